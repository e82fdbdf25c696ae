#include "platform/style.h"

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

namespace quillet::platform {

#ifdef __WXGTK__
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

}  // namespace
#endif

void InstallCompactControls() {
#ifdef __WXGTK__
    static bool installed = false;
    if (installed) return;
    GdkScreen* screen = gdk_screen_get_default();
    if (screen == nullptr) return;
    GtkCssProvider* provider = gtk_css_provider_new();
    // A rejected rule keeps the theme's look; that is ugly, not fatal.
    if (!gtk_css_provider_load_from_data(provider, kCompactCss, -1, nullptr)) {
        g_object_unref(provider);
        return;
    }
    // The provider styles every window until the end; the screen keeps it.
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
    installed = true;
#endif
}

// The Liberation faces have the metrics of Arial and Courier New.
FontFaces LayoutFontFaces() { return {"Liberation Sans", "Liberation Mono"}; }

}  // namespace quillet::platform
