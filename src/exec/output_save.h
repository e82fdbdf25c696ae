#pragma once
// Saving what a run produced, or the file the pane shows in its place, under
// a name the user picks: the file's bytes as they are, whole (the pane may
// hold only part of them), replacing the target in one step.
#include <string>

#include "platform/output_file.h"

namespace quillet {

// The file the pane's text came from, as it stood when the pane showed it.
struct OutputSource {
    std::string path;
    platform::FileStamp stamp;
};

// Copies source to target.  A source that is gone, or that is no longer
// what the pane showed, is refused rather than saved: the user would get
// something else than they looked at.  Gives "" or a message saying what
// went wrong and where; the target is then as it was.
std::string SaveOutputCopy(const OutputSource& source, const std::string& target);

}  // namespace quillet
