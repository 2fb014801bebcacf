// help/helpgen.cc: writes the help files and the manual pages at build time from the
// program's own tables (the command table, the option tables, the default key and mouse
// bindings, qvc's usage) and the hand-written texts beside this file, so that the reference
// cannot drift from the code.
//   helpgen SRCDIR BINDIR MANDIR    writes BINDIR/qe1.hlp..qe4.hlp, MANDIR/qe.1 and qvc.1
//   helpgen --check SRCDIR          lists the commands and options without a description
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <strings.h>

#include "config/bindings.h"
#include "config/cfg.h"
#include "editor/editcmd.h"
#include "help/help.h"
#include "vc/qvc.h"

namespace {

struct Paragraph {
    std::string name, text;
};

// "NAME text" paragraphs; lines starting with a blank continue one, "#" lines are comments.
std::vector<Paragraph> readParagraphs(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        std::cerr << "helpgen: cannot read " << path << "\n";
        exit(1);
    }
    std::vector<Paragraph> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == ' ') {
            if (!out.empty()) out.back().text += " " + line.substr(line.find_first_not_of(' '));
            continue;
        }
        size_t sp = line.find(' ');
        out.push_back({line.substr(0, sp), sp == std::string::npos ? "" : line.substr(sp + 1)});
    }
    return out;
}

// Breaks text into lines of at most width characters, each after indent.
std::string wrap(const std::string& text, const std::string& indent, size_t width = 76) {
    std::istringstream words(text);
    std::string w, out, line;
    while (words >> w) {
        if (!line.empty() && indent.size() + line.size() + 1 + w.size() > width) {
            out += indent + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + w;
    }
    if (!line.empty()) out += indent + line + "\n";
    return out;
}

// ---- bindings, as a reader would write them ----

struct BindingText {
    std::string trigger;  // "Ctrl+Shift+Up", "Shift+Button1 press x2"
    std::string location; // "" for the editor's text
    std::string command;
};

BindingText describeBinding(const std::string& spec, bool isKey) {
    BindingText b;
    size_t eq = std::string::npos;
    bool quoted = false;
    for (size_t i = 0; i < spec.size(); i++) {
        if (spec[i] == '"' && (i == 0 || spec[i - 1] != '\\')) quoted = !quoted;
        if (!quoted && spec[i] == '=') {
            eq = i;
            break;
        }
    }
    std::string left = spec.substr(0, eq);
    b.command = eq == std::string::npos ? "" : spec.substr(eq + 1);
    std::string trigger;
    size_t i = 0;
    if (isKey && !left.empty() && left[0] == '"') {
        for (i = 1; i < left.size() && left[i] != '"'; i++) {
            if (left[i] == '\\' && i + 1 < left.size()) i++;
            trigger.push_back(left[i]);
        }
        i++;
        if (trigger == " ") trigger = "Space";
    } else {
        while (i < left.size() && left[i] != '|' && left[i] != '@') trigger.push_back(left[i++]);
        if (!isKey) {
            // "Mouse1*Press2(AtOnce)": button, event and count.
            std::string button = trigger.substr(0, trigger.find('*'));
            std::string ev = trigger.find('*') == std::string::npos ? "" : trigger.substr(trigger.find('*') + 1);
            if (button.rfind("Mouse", 0) == 0) button = "Button" + button.substr(5);
            if (button == "Any") button = "Any button";
            std::string kind = ev, count;
            while (!kind.empty() && (isdigit((unsigned char)kind.back()) || kind.back() == ')')) {
                if (kind.back() == ')') {
                    kind.erase(kind.find('('));
                    continue;
                }
                count.insert(count.begin(), kind.back());
                kind.pop_back();
            }
            for (char& c : kind) c = (char)tolower((unsigned char)c);
            trigger = button + (kind.empty() ? "" : " " + kind) +
                      (count.empty() || count == "1" ? "" : " x" + count);
        }
    }
    std::string mods;
    std::vector<std::string> at;
    while (i < left.size()) {
        char sep = left[i++];
        std::string word;
        while (i < left.size() && left[i] != '|' && left[i] != '@') word.push_back(left[i++]);
        if (sep == '|')
            mods += word == "Control" ? "Ctrl+" : word == "Any" ? "any modifiers+" : word + "+";
        else
            at.push_back(word);
    }
    b.trigger = mods + trigger;
    if (!at.empty() && at[0] != "Edit") b.location = at[0];
    return b;
}

std::vector<std::string> commandWords(const std::string& command) {
    std::vector<std::string> words;
    std::string w;
    for (char c : command + ";") {
        if (isalnum((unsigned char)c) || c == '_' || c == '!' || c == '-' || c == '>') {
            w.push_back(c);
        } else {
            if (!w.empty()) words.push_back(w);
            w.clear();
        }
    }
    return words;
}

std::vector<BindingText> defaultBindings(bool keys) {
    std::vector<BindingText> out;
    for (const char* const* p = keys ? edit_DefaultKeys : edit_DefaultMice; *p; p++)
        out.push_back(describeBinding(*p, keys));
    return out;
}

std::string bindingLine(const BindingText& b, size_t width) {
    std::string t = b.trigger + (b.location.empty() ? "" : " (" + b.location + ")");
    if (t.size() < width) t.resize(width, ' ');
    return t + " " + b.command;
}

// ---- the tables ----

struct Command {
    std::string name;
    int flags;
};

std::vector<Command> allCommands() {
    std::vector<Command> out;
    for (const EditCmd& c : EditCmds())
        if (c.name) out.push_back({c.name, c.flags});
    for (const EditCmd* c = configCmds; c->name; c++) out.push_back({c->name, c->flags});
    return out;
}

const char* tableName(int t) {
    static const char* const names[] = {"size", "colour", "editor", "debugger",
                                        "interface", "version control", "miscellaneous"};
    return names[t];
}

std::string typeAndDefault(const CfgOption& o) {
    std::string r;
    switch (o.type) {
    case CFG_BOOL:
        return std::string("On or Off; default ") + (o.dflt ? "On" : "Off");
    case CFG_INT:
        return "a number from " + std::to_string(o.range.min) + " to " + std::to_string(o.range.max) +
               "; default " + std::to_string(o.dflt);
    case CFG_CHOICE: {
        r = "one of";
        for (const ChoiceValue* c = o.choices; c && c->name; c++)
            r += std::string(c == o.choices ? " " : ", ") + c->name;
        const char* d = cfg_valueFChoice(o.choices, (int)o.dflt);
        return r + "; default " + (d ? d : "none");
    }
    case CFG_COLOR:
        return std::string("a colour; default ") + (o.dfltStr ? o.dfltStr : "none");
    case CFG_STRING:
        return std::string("a text; default ") +
               (o.dfltStr && *o.dfltStr ? "\"" + std::string(o.dfltStr) + "\"" : "none");
    case CFG_SIZE:
        return "a size, WxH in characters or WxHp in pixels; unset by default";
    default:
        return "a configuration command";
    }
}

struct Option {
    const CfgOption* row;
    int table;
};

std::vector<Option> allOptions() {
    std::vector<Option> out;
    for (int t = 0; t < 7; t++)
        for (const CfgOption* o = cfg_AllTables[t]; o->name; o++)
            if (!o->hidden) out.push_back({o, t});
    return out;
}

const Paragraph* findDescription(const std::vector<Paragraph>& ps, const Option& o) {
    for (const Paragraph& p : ps) {
        if (p.name == "@debugger") {
            if (o.table == 3) return &p;
            continue;
        }
        if (p.name.find('*') != std::string::npos ? HelpPatternMatch(p.name.c_str(), o.row->name, false)
                                                   : p.name == o.row->name)
            return &p;
    }
    return nullptr;
}

const Paragraph* findCommand(const std::vector<Paragraph>& ps, const std::string& name) {
    for (const Paragraph& p : ps)
        if (p.name == name) return &p;
    return nullptr;
}

// ---- writing ----

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) {
        std::cerr << "helpgen: cannot write " << path << "\n";
        exit(1);
    }
}

std::string commandsFile(const std::vector<Paragraph>& descriptions) {
    std::vector<BindingText> keys = defaultBindings(true), mice = defaultBindings(false);
    std::string out = "# Generated by helpgen from the command table and commands.txt: do not edit.\n";
    for (const Command& c : allCommands()) {
        out += "Command_" + c.name + "\n " + c.name + "\n\n";
        const Paragraph* p = findCommand(descriptions, c.name);
        out += wrap(p ? p->text : "(not described yet)", "   ");
        std::string flags;
        if (c.flags & CMDF_CHANGES) flags += " It changes the text, so it is refused in a read-only File.";
        if (c.flags & CMDF_SECONDARY) flags += " It uses the secondary selection.";
        if (!flags.empty()) out += wrap(flags, "   ");
        std::string bound;
        for (int k = 0; k < 2; k++)
            for (const BindingText& b : k == 0 ? keys : mice) {
                std::vector<std::string> w = commandWords(b.command);
                if (std::find(w.begin(), w.end(), c.name) == w.end()) continue;
                bound += "     " + bindingLine(b, 28) + "\n";
            }
        if (!bound.empty()) out += "\n   Default bindings:\n" + bound;
        out += "\n";
    }
    return out;
}

std::string optionsFile(const std::vector<Paragraph>& descriptions) {
    std::string out = "# Generated by helpgen from the option tables and options.txt: do not edit.\n";
    for (const Option& o : allOptions()) {
        out += "Resource_" + std::string(o.row->name) + "\n " + o.row->name + " (" +
               tableName(o.table) + " option)\n\n";
        const Paragraph* p = findDescription(descriptions, o);
        out += wrap(p ? p->text : "(not described yet)", "   ");
        out += wrap("Value: " + typeAndDefault(*o.row) + ".", "   ");
        if (o.row->type == CFG_CHOICE)
            for (const ChoiceValue* c = o.row->choices; c && c->name; c++)
                out += "     " + std::string(c->name) + (c->label ? " - " + std::string(c->label) : "") + "\n";
        out += "\n";
    }
    return out;
}

std::string bindingsFile() {
    std::string out = "# Generated by helpgen from the default bindings: do not edit.\n";
    out += "keys\n Default key bindings\n\n   Key (where, when not in the text)   Command string\n";
    for (const BindingText& b : defaultBindings(true)) out += "   " + bindingLine(b, 34) + "\n";
    out += "\n   The key option changes them (see ConfigFiles); Identify shows what a key runs.\n\n";
    out += "mouse\n Default mouse bindings\n\n   Button, event, clicks (where)       Command string\n";
    for (const BindingText& b : defaultBindings(false)) out += "   " + bindingLine(b, 34) + "\n";
    out += "\n   The mouse option changes them (see ConfigFiles).\n\n";
    return out;
}

// ---- manual pages ----

std::string roff(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\\') out += "\\e";
        else if (c == '-') out += "\\-";
        else out.push_back(c);
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
    return out;
}

// The lines of a help entry of the guide, without its first (title) line.
std::vector<std::string> guideEntry(const std::string& guidePath, const std::string& key) {
    std::ifstream in(guidePath);
    std::vector<std::string> lines;
    std::string line;
    bool in_entry = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] != ' ' && line[0] != '#') {
            if (in_entry) break;
            in_entry = line == key;
            continue;
        }
        if (in_entry && (line.empty() || line[0] == ' ')) lines.push_back(line);
    }
    while (!lines.empty() && lines.back().find_first_not_of(' ') == std::string::npos) lines.pop_back();
    return lines;
}

std::string manSection(const std::string& guide, const std::string& key, const std::string& title) {
    std::string out = ".SH " + title + "\n.nf\n";
    for (const std::string& l : guideEntry(guide, key)) {
        std::string t = l.size() > 3 && l.compare(0, 3, "   ") == 0 ? l.substr(3) : l;
        out += roff(t) + "\n";
    }
    return out + ".fi\n";
}

std::string qeManual(const std::string& guide, const std::vector<Paragraph>& commands) {
    std::string out = ".TH QE 1 \"\" \"QUORL Edit\" \"User Commands\"\n.SH NAME\nqe \\- QUORL Edit, a "
                      "programmer's editor for X\n";
    out += manSection(guide, "CommandLine", "SYNOPSIS");
    out += manSection(guide, "editor", "DESCRIPTION");
    out += manSection(guide, "Files", "EDITING FILES");
    out += manSection(guide, "Printing", "PRINTING");
    out += manSection(guide, "ConfigFiles", "CONFIGURATION");
    out += manSection(guide, "Help", "HELP");
    out += ".SH COMMANDS\nThe commands of key and mouse bindings, menus and command strings:\n";
    for (const Command& c : allCommands()) {
        const Paragraph* p = findCommand(commands, c.name);
        out += ".TP\n.B " + roff(c.name) + "\n" + roff(p ? p->text : "") + "\n";
    }
    out += ".SH DEFAULT KEYS\n.nf\n";
    for (const BindingText& b : defaultBindings(true)) out += roff(bindingLine(b, 34)) + "\n";
    out += ".fi\n.SH DEFAULT MOUSE BINDINGS\n.nf\n";
    for (const BindingText& b : defaultBindings(false)) out += roff(bindingLine(b, 34)) + "\n";
    out += ".fi\n.SH OPTIONS\nEvery option, its values and its default are in the help "
           "entries Resource_NAME (Help Resource_*).\n";
    out += ".SH FILES\n.TP\n.I $HOME/.tql/qe.cfg\nthe user's configuration\n.TP\n"
           ".I config/qe.cfg\nthe site configuration, beside the program\n.TP\n"
           ".I qe1.hlp ... qe4.hlp\nthe help files, beside the program\n";
    out += ".SH SEE ALSO\n.BR qvc (1)\n";
    return out;
}

std::string qvcManual() {
    std::string out = ".TH QVC 1 \"\" \"QUORL Edit\" \"User Commands\"\n.SH NAME\nqvc \\- the "
                      "version control of QUORL Edit\n.SH SYNOPSIS\n.B qvc\n.I command "
                      "file... arguments\n.SH DESCRIPTION\nqvc keeps the versions of files in "
                      "its own repository format; the editor qe uses it to check files in "
                      "and out. What it prints for a wrong command line:\n.nf\n";
    for (std::string l : qvc_UsageLines()) {
        if (!l.empty() && l.back() == '\n') l.pop_back();
        out += roff(l) + "\n";
    }
    return out + ".fi\n.SH SEE ALSO\n.BR qe (1)\n";
}

int check(const std::string& src) {
    std::vector<Paragraph> commands = readParagraphs(src + "/commands.txt");
    std::vector<Paragraph> options = readParagraphs(src + "/options.txt");
    int missing = 0;
    for (const Command& c : allCommands())
        if (!findCommand(commands, c.name)) {
            std::cout << "command without a description: " << c.name << "\n";
            missing++;
        }
    for (const Option& o : allOptions())
        if (!findDescription(options, o)) {
            std::cout << "option without a description: " << o.row->name << "\n";
            missing++;
        }
    return missing ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && !strcmp(argv[1], "--check")) return check(argv[2]);
    if (argc != 4) {
        std::cerr << "usage: helpgen SRCDIR BINDIR MANDIR | helpgen --check SRCDIR\n";
        return 2;
    }
    std::string src = argv[1], bin = argv[2], man = argv[3];
    std::vector<Paragraph> commands = readParagraphs(src + "/commands.txt");
    std::vector<Paragraph> options = readParagraphs(src + "/options.txt");
    std::ifstream guide(src + "/guide.hlp", std::ios::binary);
    std::string guideText((std::istreambuf_iterator<char>(guide)), std::istreambuf_iterator<char>());
    writeFile(bin + "/qe1.hlp", guideText);
    writeFile(bin + "/qe2.hlp", commandsFile(commands));
    writeFile(bin + "/qe3.hlp", optionsFile(options));
    writeFile(bin + "/qe4.hlp", bindingsFile());
    writeFile(man + "/qe.1", qeManual(src + "/guide.hlp", commands));
    writeFile(man + "/qvc.1", qvcManual());
    return 0;
}
