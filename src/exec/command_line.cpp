#include "exec/command_line.h"

namespace quillet {

namespace {

const char* const kNoInterpreter =
    "Environment variable COMSPEC isn't set\n"
    "Define COMSPC in <AUTOEXEC.BAT> or elsewhere,\n"
    "reboot your machine and try again.";

const char* const kEmptyPattern = "Empty searchpattern\nExecution cancelled";

const char* const kLineBreak =
    "A field holds a line break: a command line is one line.\nExecution cancelled";

Composition Refuse(const std::string& message) {
    Composition c;
    c.refusal = message;
    return c;
}

void Quoted(std::string& out, const std::string& value) {
    out += '"';
    out += value;
    out += '"';
}

}  // namespace

Composition ComposeCommandLine(const FormValues& v, const PlatformParams& platform) {
    if (!platform.interpreter)
        return Refuse(kNoInterpreter);
    if (!platform.unavailable.empty())
        return Refuse(platform.unavailable);

    // The tool's name is glued to the redirection and one blank follows it:
    // the interpreter sees "ham.exe>ham.txt " and then the verb.  A path with
    // a blank is quoted, or the interpreter would take its first word.
    std::string arg = platform::QuotedWhereBlank(platform.programDir + platform.separator + "ham.exe");
    arg += ">ham.txt ";

    // Field values go in exactly as typed: a quote or ">" in a field is the
    // user's business with the interpreter, not ours to escape.
    FocusTarget focus = FocusTarget::Unchanged;
    switch (v.command) {
    case CmdInfo:
        arg += "info ";
        break;
    case CmdGroups:
        arg += "groups ";
        if (!v.argument.empty())
            Quoted(arg, v.argument);
        break;
    case CmdLocate:
        arg += "locate ";
        Quoted(arg, v.argument);
        break;
    case CmdDelete:
        arg += "delete ";
        Quoted(arg, v.msgId);
        focus = FocusTarget::MsgId;
        break;
    case CmdType:
        arg += "type ";
        if (!v.number.empty()) {
            arg += '-';
            arg += v.number;
            arg += ' ';
        }
        arg += v.argument;
        break;
    case CmdExport:
        arg += "export ";
        arg += v.sourceGroup;
        arg += " > ";
        arg += v.targetFile;
        focus = FocusTarget::SourceGroup;
        break;
    case CmdImport:
        arg += "import ";
        if (v.go) {
            arg += "-go";
            Quoted(arg, v.groupName);
            arg += ' ';
        }
        if (v.ih) arg += "-ih ";
        if (v.na) arg += "-na ";
        if (v.t) arg += "-t ";
        if (v.x) arg += "-x ";
        arg += v.fileNames;
        break;
    case CmdGrep:
        arg += "grep ";
        if (v.ignoreCase) arg += "-i ";
        if (v.optC) arg += "-c ";
        if (v.optH) arg += "-h ";
        if (v.optL) arg += "-l ";
        if (v.optN) arg += "-n ";
        if (v.optVa) arg += "-va ";
        if (v.optVe) arg += "-ve ";
        if (v.searchExpr.empty())
            return Refuse(kEmptyPattern);
        Quoted(arg, v.searchExpr);
        arg += ' ';
        Quoted(arg, v.groupExpr);
        focus = FocusTarget::SearchExpr;
        break;
    case CmdHelp:
        arg += "help ";
        arg += v.argument;
        break;
    case CmdScoreview:
        arg += "scoreview ";
        arg += v.scoreView;
        focus = FocusTarget::ScoreView;
        break;
    case CmdScoretest:
        arg += "scoretest ";
        Quoted(arg, v.scoreTest);
        focus = FocusTarget::ScoreTest;
        break;
    default:
        // No command chosen yet: the tool runs without a verb.
        break;
    }

    // A line break would end the command line there and make the rest a
    // command of its own.
    if (arg.find_first_of("\r\n") != std::string::npos)
        return Refuse(kLineBreak);

    Composition c;
    c.ok = true;
    c.interpreter = *platform.interpreter;
    c.line = c.interpreter.empty() ? arg : c.interpreter + platform.switchText + arg;
    c.argument = std::move(arg);
    c.focus = focus;
    return c;
}

}  // namespace quillet
