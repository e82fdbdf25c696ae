#include "platform/number_text.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace quillet::platform {

namespace {
locale_t CLocale() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    return c;
}
}  // namespace

double ReadCDouble(const std::string& text) { return strtod_l(text.c_str(), nullptr, CLocale()); }

}  // namespace quillet::platform
