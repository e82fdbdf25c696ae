#include "form/compact_style.h"

#include <dlfcn.h>

#include <cstring>

namespace quillet {

namespace {

// Heights and paddings chosen so that a field line of 24 pixels, a check box
// row of 15 and a button row of 25 hold their controls at a scale base of
// 1024 with the form's fonts; larger bases only have more room.
const char kCompactCss[] = R"css(
button {
    min-height: 0;
    min-width: 0;
    padding: 1px 2px;
}
entry {
    min-height: 0;
    padding: 1px 3px;
}
checkbutton, radiobutton {
    min-height: 0;
    padding: 0;
}
checkbutton check, radiobutton radio {
    min-width: 12px;
    min-height: 12px;
    margin: 0 3px 0 0;
}
)css";

// GTK's style priority for a program's own provider; above the theme's.
constexpr unsigned kPriorityApplication = 600;

// The toolkit is linked with GTK but its headers are not part of this
// build, so the four calls are looked up in the already loaded library.
using CssProviderNew = void* (*)();
using CssProviderLoadFromData = int (*)(void*, const char*, long, void**);
using ScreenGetDefault = void* (*)();
using AddProviderForScreen = void (*)(void*, void*, unsigned);

template <class F>
F Lookup(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace

void InstallCompactStyle() {
    static bool installed = false;
    if (installed) return;

    auto providerNew = Lookup<CssProviderNew>("gtk_css_provider_new");
    auto loadFromData = Lookup<CssProviderLoadFromData>("gtk_css_provider_load_from_data");
    auto screenDefault = Lookup<ScreenGetDefault>("gdk_screen_get_default");
    auto addProvider =
        Lookup<AddProviderForScreen>("gtk_style_context_add_provider_for_screen");
    if (!providerNew || !loadFromData || !screenDefault || !addProvider) return;

    void* screen = screenDefault();
    if (screen == nullptr) return;
    void* provider = providerNew();
    if (provider == nullptr) return;
    // A rejected rule keeps the theme's look; that is ugly, not fatal.
    if (!loadFromData(provider, kCompactCss, static_cast<long>(std::strlen(kCompactCss)),
                      nullptr))
        return;
    // The provider is never released: it styles every window until the end.
    addProvider(screen, provider, kPriorityApplication);
    installed = true;
}

}  // namespace quillet
