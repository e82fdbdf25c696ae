#include "platform/number_text.h"

#include <cstdlib>
#include <locale.h>

namespace quillet::platform {

namespace {
_locale_t CLocale() {
    static _locale_t c = _create_locale(LC_ALL, "C");
    return c;
}
}  // namespace

double ReadCDouble(const std::string& text) { return _strtod_l(text.c_str(), nullptr, CLocale()); }

}  // namespace quillet::platform
