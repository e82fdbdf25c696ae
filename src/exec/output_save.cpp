#include "exec/output_save.h"

#include <cerrno>
#include <cstring>

#include "platform/settings_file_io.h"

namespace quillet {

std::string SaveOutputCopy(const OutputSource& source, const std::string& target) {
    namespace io = platform::settings_io;
    const std::string notSaved = "The output was not saved as \"" + target + "\": ";
    const std::string from = "\"" + source.path + "\"";
    const std::string changed = notSaved + from + " has changed since it was shown; run the command again.";
    platform::OutputFile in;
    if (!in.Open(source.path)) {
        return notSaved + from +
               (errno == ENOENT ? " is gone." : std::string(" cannot be read: ") + std::strerror(errno) + ".");
    }
    if (in.Stamp() != source.stamp) return changed;
    // Saved onto itself: the bytes are there already, and replacing the file
    // would give it a new identity that a later save takes for a change.
    {
        // Closed before the replace: Windows will not replace a file that is open.
        platform::OutputFile same;
        if (same.Open(target) && same.Stamp() == source.stamp) return "";
    }
    const io::Target old = io::OpenTarget(target, false);
    if (!old.failure.empty()) return notSaved + old.failure + ".";

    long long copied = 0;
    bool moved = false;
    const std::string failure = io::Replace(old, [&](char* buffer, std::size_t size) -> long {
        const long got = in.Read(buffer, size);
        if (got > 0) copied += got;
        // Written to while we copied: what would be saved is not what was shown.
        if (copied > source.stamp.size || (got == 0 && (copied != source.stamp.size || in.Stamp() != source.stamp))) {
            moved = true;
            return -1;
        }
        return got;
    });
    if (failure.empty()) return failure;
    if (moved) return changed;
    return notSaved + failure + ".";
}

}  // namespace quillet
