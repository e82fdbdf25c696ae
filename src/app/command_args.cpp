#include "app/command_args.h"

#include "app/version.h"

namespace quillet {

namespace {

const char kUsage[] =
    "Usage: quillet [DIR]\n"
    "       quillet --help | --version\n"
    "\n"
    "A desktop front end for ham.exe, the console tool of the news server\n"
    "hamster.exe.  Quillet starts in DIR (by default the current directory):\n"
    "it reads quillet.ini there, starts the server there and writes the\n"
    "tool's output to ham.txt there.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the name and version and exit\n";

CommandArgsOutcome Stop(int status, std::string out, std::string err) {
    CommandArgsOutcome o;
    o.start = false;
    o.exitStatus = status;
    o.out = std::move(out);
    o.err = std::move(err);
    return o;
}

CommandArgsOutcome UsageError(const std::string& what) {
    return Stop(2, "", "quillet: " + what + "\n" + kUsage);
}

}  // namespace

CommandArgsOutcome HandleCommandArgs(const std::vector<std::string>& args,
                                     const EnterDirectory& enterDirectory) {
    std::vector<std::string> dirs;
    bool optionsEnded = false;
    for (const std::string& a : args) {
        if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
            dirs.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "-h" || a == "--help") {
            return Stop(0, kUsage, "");
        } else if (a == "-V" || a == "--version") {
            return Stop(0, std::string("Quillet ") + QUILLET_VERSION + "\n", "");
        } else {
            return UsageError("unknown option '" + a + "'");
        }
    }
    if (dirs.size() > 1) return UsageError("only one directory may be given");
    if (dirs.size() == 1) {
        const std::string reason = enterDirectory(dirs[0]);
        if (!reason.empty())
            return Stop(2, "", "quillet: cannot start in '" + dirs[0] + "': " + reason + "\n");
    }
    return CommandArgsOutcome{};
}

}  // namespace quillet
