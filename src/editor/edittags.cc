// editor/edittags.cc: the tag commands over the tag dictionary (OpenTag, NewTag, EditTag,
// AppendTagFile, ResetTags).
#include <algorithm>
#include <cctype>
#include <string>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/tags.h"
#include "editor/editcmd.h"
#include "editor/editpriv.h"
#include "runtime/gen.h"
#include "toolkit/toolkit.h"

namespace edittags {

// The selected text when it lies on one line, else the word around the cursor.
std::string tagName(Edit* e) {
    File* f = e->view.file;
    int64_t l1, l2;
    int c1, c2;
    EditSelectionRange(e, &l1, &c1, &l2, &c2);
    if (l1 > f->nLines) return "";
    Line* l = EditFileLine(f, l1);
    std::string t(FileLineText(f, l), (size_t)l->len);
    if (l1 == l2 && c1 != c2) {
        // A word selected with the blank after it (SelectWord at a word's end) names the word.
        std::string sel = t.substr((size_t)c1, (size_t)(c2 - c1));
        size_t a = sel.find_first_not_of(" \t"), b = sel.find_last_not_of(" \t");
        return a == std::string::npos ? std::string() : sel.substr(a, b - a + 1);
    }
    auto word = [&](int i) {
        unsigned char c = (unsigned char)t[(size_t)i];
        return isalnum(c) || c == '_' || c == '$';
    };
    int a = std::min(c1, (int)t.size()), b = a;
    while (a > 0 && word(a - 1)) a--;
    while (b < (int)t.size() && word(b)) b++;
    return t.substr((size_t)a, (size_t)(b - a));
}

void selectLine(Edit* e, int64_t line) {
    EditSetLine(e, line, 1);
    EditSetSelection(e, 0, line, EditColStartOfText(e, line), line,
                     EditLineLen(e->view.file, line));
}

int notFound(Edit* e, const std::string& name) {
    WBeep();
    char* m = name.empty() ? gen_sprintf("No word found around cursor")
                           : gen_sprintf("Can't find tag: %s", name.c_str());
    EditSetMsg(e, m);
    gen_free(m);
    return 1;
}

// The tag's File and its current line (which: the definition of a name defined more than once).
File* findTag(const std::string& name, int64_t& line, int which = 0) {
    int64_t tagLine = 0;
    File* f = TagFind(name.c_str(), tagLine, which);
    if (!f) return nullptr;
    line = tagLine > 0 ? FileLinenoFTagLineno(f, tagLine) : -tagLine;
    return f;
}

// The last definition a window went to, so that NewTag from there goes on to the next one.
struct LastJump {
    std::string name;
    int which = 0;
    std::string file; // the File's name and the line the jump selected
    int64_t line = 0;
};
LastJump lastJump;

bool atLastJump(Edit* e) {
    File* f = e->view.file;
    return !lastJump.name.empty() && f && f->name && lastJump.file == f->name &&
           e->view.sel[0].startLine == lastJump.line;
}

} // namespace edittags

int EditGoToTag(Edit* e, const std::string& name, int which) {
    using namespace edittags;
    int64_t line = 0;
    File* f = name.empty() ? nullptr : findTag(name, line, which);
    if (!f) return notFound(e, name);
    if (f != e->view.file && !EditPush(e, f, 1)) return 0;
    selectLine(e, line);
    lastJump = {name, which, f->name ? f->name : "", line};
    return 1;
}

namespace edittags {

int cmdOpenTag(Edit* e, EditCmdCtx* ctx) {
    std::string name = EditCmdArg(ctx);
    if (name.empty()) name = tagName(e);
    return EditGoToTag(e, name, 0);
}

// The next definition of the tag last gone to, while the window still stands on that one and
// the word there names no other tag (SelectWord;NewTag selects whatever word the line has);
// else the first definition of the argument, the selection or the word at the cursor, or of
// a name asked for.
int cmdNewTag(Edit* e, EditCmdCtx* ctx) {
    std::string name = EditCmdArg(ctx);
    bool typed = !name.empty();
    if (!typed) name = tagName(e);
    bool goOn = atLastJump(e) && (name.empty() || name == lastJump.name ||
                                  (!typed && TagDefinitions(name.c_str()) == 0));
    if (goOn) name = lastJump.name;
    if (name.empty() && (WPrompt("NewTag", "Tag to find?", name) != 1 || name.empty())) return 1;
    int n = TagDefinitions(name.c_str());
    if (n == 0) return EditGoToTag(e, name, 0); // a file under version control, or unknown
    int which = goOn ? (lastJump.which + 1) % n : 0;
    lastJump.name.clear();
    if (EditGoToTag(e, name, which) != 1) return 0;
    if (lastJump.name.empty()) return 1; // its file could not be opened: said so
    GenStr m(n > 1 ? gen_sprintf("%s: definition %d of %d", name.c_str(), which + 1, n)
                   : gen_sprintf("%s: the only definition", name.c_str()));
    EditSetMsg(e, m.get());
    return 1;
}

int cmdEditTag(Edit* e, EditCmdCtx* ctx) {
    std::string name = EditCmdArg(ctx);
    if (name.empty() && (WPrompt("EditTag", "Tag to edit?", name) != 1 || name.empty())) return 1;
    int64_t line = 0;
    File* f = findTag(name, line);
    if (!f) return notFound(e, name);
    Edit* opened = CreateEWind_line(f, line);
    if (!opened) return 0;
    selectLine(opened, line);
    return 1;
}

int cmdAppendTagFile(Edit* e, EditCmdCtx* ctx) {
    std::string path = EditCmdArg(ctx);
    if (path.empty()) {
        GenStr chosen(TagQueryFileName());
        if (!chosen) return 1;
        path = chosen.get();
    }
    if (TagAppendDictionary(path.c_str()) != 1) return 0;
    char* m = gen_sprintf("Tags loaded from %s (%lld in all)", path.c_str(), (long long)TagCount());
    EditSetMsg(e, m);
    gen_free(m);
    return 1;
}

int cmdResetTags(Edit* e, EditCmdCtx*) {
    TagReset();
    EditSetMsg(e, "Tags reset");
    return 1;
}

} // namespace edittags
using namespace edittags;

