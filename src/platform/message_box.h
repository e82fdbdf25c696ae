#pragma once
// A modal message box with an OK button only, no icon and no owner window.
#include <string>

namespace quillet::platform {

// Shows text (UTF-8) captioned caption and returns when the user confirms.
// Without a running GUI the text goes to standard error instead.
void ShowMessageBox(const std::string& text, const std::string& caption);

}  // namespace quillet::platform
