#pragma once
// Numbers in text as a program writes them, whatever the user's locale: a
// German locale would take "1,5" but stop at "1.5".
#include <string>

namespace quillet::platform {

// The decimal number at the start of text, read as strtod reads it in the C
// locale (blanks, sign, digits, point, exponent); 0 when there is none.
double ReadCDouble(const std::string& text);

}  // namespace quillet::platform
