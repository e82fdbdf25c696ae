#include "app/command_args.h"

#include <gtest/gtest.h>

#include "app/version.h"

namespace quillet {
namespace {

TEST(CommandArgs, Table) {
    struct Case {
        std::vector<std::string> args;
        int status;             // -1: the window opens
        std::string entered;    // the directory entered, "" for none
        std::string outStart;   // what standard output starts with
        std::string errHas;     // a piece of standard error ("" for empty)
    };
    const std::string usage = "Usage: quillet [DIR]\n";
    const Case cases[] = {
        {{}, -1, "", "", ""},
        {{"--help"}, 0, "", usage, ""},
        {{"-h", "--bogus"}, 0, "", usage, ""},
        {{"/srv/news", "--help"}, 0, "", usage, ""},
        {{"--version"}, 0, "", std::string("Quillet ") + QUILLET_VERSION + "\n", ""},
        {{"--bogus"}, 2, "", "", "quillet: unknown option '--bogus'\n" + usage},
        {{"-x", "/srv/news"}, 2, "", "", "unknown option '-x'"},
        {{"/srv/news"}, -1, "/srv/news", "", ""},
        {{"--", "-odd"}, -1, "-odd", "", ""},
        {{"/no/such"}, 2, "/no/such", "",
         "quillet: cannot start in '/no/such': No such file or directory\n"},
        {{"/srv/news", "/srv/other"}, 2, "", "", "only one directory"},
    };
    for (const Case& c : cases) {
        std::string entered;
        const CommandArgsOutcome o = HandleCommandArgs(c.args, [&](const std::string& dir) {
            entered = dir;
            return dir == "/no/such" ? std::string("No such file or directory") : std::string();
        });
        const std::string what = ::testing::PrintToString(c.args);
        EXPECT_EQ(o.start, c.status < 0) << what;
        if (c.status >= 0) {
            EXPECT_EQ(o.exitStatus, c.status) << what;
        }
        EXPECT_EQ(entered, c.entered) << what;
        EXPECT_EQ(o.out.substr(0, c.outStart.size()), c.outStart) << what;
        if (c.outStart.empty()) {
            EXPECT_EQ(o.out, "") << what;
        }
        if (c.errHas.empty()) {
            EXPECT_EQ(o.err, "") << what;
        } else {
            EXPECT_NE(o.err.find(c.errHas), std::string::npos) << what << o.err;
        }
    }
    // The title bar and --version must not drift apart.
    EXPECT_NE(std::string(kVersionText).find(QUILLET_VERSION), std::string::npos);
}

}  // namespace
}  // namespace quillet
