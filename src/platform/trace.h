#pragma once
// Masks for wxLogTrace at the places where something fails without the user
// being told.  Nothing is printed unless a mask is named in the WXTRACE
// environment variable (WXTRACE=quillet.exec,quillet.settings); then the
// traces go to standard error.

namespace quillet::platform {

// Starting the server and the console tool, and each run's output file.
constexpr char kTraceExec[] = "quillet.exec";
// Writing the settings file.
constexpr char kTraceSettings[] = "quillet.settings";

}  // namespace quillet::platform
