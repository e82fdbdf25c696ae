#include "exec/command_line.h"

#include <initializer_list>

#include "platform/windows_line.h"

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

const std::string& Value(const FormValues& values, const std::string& name) {
    static const std::string empty;
    const auto found = values.find(name);
    return found == values.end() ? empty : found->second;
}

bool Ticked(const FormValues& values, const std::string& option) {
    return Value(values, option) == "1";
}

// The options of a verb in the order the tool's help names them, each with
// its blank.
void Options(std::string& out, const FormValues& values, std::initializer_list<const char*> options) {
    for (const char* option : options)
        if (Ticked(values, option)) (out += option) += ' ';
}

}  // namespace

Composition ComposeCommandLine(const FormValues& v, const PlatformParams& platform) {
    if (!platform.interpreter)
        return Refuse(kNoInterpreter);
    if (!platform.unavailable.empty())
        return Refuse(platform.unavailable);

    // The tool's name is glued to the redirection and one blank follows it:
    // the interpreter sees "ham.exe>ham.txt " and then the verb.  A path with
    // a blank is quoted, or the interpreter would take its first word; so is
    // one with a character the interpreter reads itself.
    std::string arg = platform::QuotedForInterpreter(platform.programDir + platform.separator + "ham.exe");
    arg += ">ham.txt ";

    // Field values go in exactly as typed: a quote or ">" in a field is the
    // user's business with the interpreter, not ours to escape.
    auto value = [&v](const char* name) -> const std::string& { return Value(v, name); };
    const std::string& verb = value("command");
    std::string focus;
    if (verb == "info") {
        arg += "info ";
    } else if (verb == "groups") {
        arg += "groups ";
        if (!value("argument").empty())
            Quoted(arg, value("argument"));
    } else if (verb == "locate") {
        arg += "locate ";
        Quoted(arg, value("argument"));
    } else if (verb == "delete") {
        arg += "delete ";
        Quoted(arg, value("msgId"));
        focus = "msgId";
    } else if (verb == "type") {
        arg += "type ";
        if (!value("number").empty()) {
            arg += '-';
            arg += value("number");
            arg += ' ';
        }
        arg += value("argument");
    } else if (verb == "export") {
        arg += "export ";
        arg += value("sourceGroup");
        arg += " > ";
        arg += value("targetFile");
        focus = "sourceGroup";
    } else if (verb == "import") {
        arg += "import ";
        if (Ticked(v, "-go")) {
            arg += "-go";
            Quoted(arg, value("groupName"));
            arg += ' ';
        }
        Options(arg, v, {"-ih", "-na", "-t", "-x"});
        arg += value("fileNames");
    } else if (verb == "grep") {
        arg += "grep ";
        Options(arg, v, {"-i", "-c", "-h", "-l", "-n", "-va", "-ve"});
        if (value("searchExpr").empty())
            return Refuse(kEmptyPattern);
        Quoted(arg, value("searchExpr"));
        arg += ' ';
        Quoted(arg, value("groupExpr"));
        focus = "searchExpr";
    } else if (verb == "help") {
        arg += "help ";
        arg += value("argument");
    } else if (verb == "scoreview") {
        arg += "scoreview ";
        arg += value("scoreView");
        focus = "scoreView";
    } else if (verb == "scoretest") {
        arg += "scoretest ";
        Quoted(arg, value("scoreTest"));
        focus = "scoreTest";
    }
    // No command chosen yet: the tool runs without a verb.

    // A line break would end the command line there and make the rest a
    // command of its own; so would whatever else ends a line of a batch file.
    if (arg.find_first_of(platform::kInterpreterLineEnds) != std::string::npos)
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
