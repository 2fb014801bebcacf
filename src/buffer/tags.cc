// buffer/tags.cc: the process-wide tag dictionary, loaded from tag files as written by ctags.
#include "buffer/tags.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "buffer/file.h"
#include "buffer/vchook.h"
#include "buffer/registry.h"
#include "buffer/search.h"
#include "buffer/undo.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/toolkit.h"


namespace {

constexpr size_t tagGrowBy = 200;  // the dictionary grows this many entries at a time
constexpr int tagLineBuffer = 2048; // 2047 bytes of a line and its NUL

std::vector<TagEntry> tagDict;
int64_t tagCount = -1;        // -1 while no tag file was loaded
std::string tagFileName;      // the current tag file, empty until set or loaded

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool ByName(const TagEntry& a, const TagEntry& b) { return strcmp(a.name.c_str(), b.name.c_str()) < 0; }

// Binary search over the first n entries by byte order.
TagEntry* Lookup(const char* name, size_t n) {
    auto end = tagDict.begin() + (ptrdiff_t)n;
    TagEntry key;
    key.name = name;
    auto it = std::lower_bound(tagDict.begin(), end, key, ByName);
    return it != end && it->name == name ? &*it : nullptr;
}

// A pattern address: the text between the delimiters, without a leading '^', with a final
// '$' turned into a line end so that the plain search anchors it there. ctags escapes the
// delimiter and backslashes inside; those escapes are undone, and anything after the closing
// delimiter (the ;" of extension fields) is ignored.
std::string PatternOf(const char* addr) {
    char delim = addr[0];
    const char* p = addr + 1;
    if (*p == '^') p++;
    std::string out;
    bool anchored = false;
    for (; *p; p++) {
        if (*p == '\\' && (p[1] == delim || p[1] == '\\')) {
            out += *++p;
            continue;
        }
        if (*p == delim) break;
        if (*p == '$' && (p[1] == delim || p[1] == 0)) {
            anchored = true;
            continue;
        }
        out += *p;
    }
    if (anchored) out += '\n';
    return out;
}

// Parses one line into e: 1 an entry, 0 a line to skip, -1 a malformed address.
int ParseLine(char* text, TagEntry& e) {
    size_t n = strlen(text);
    while (n && (text[n - 1] == '\n' || text[n - 1] == '\r')) text[--n] = 0;
    // Blank lines, and the pseudo-tags ctags writes about itself, name no identifier.
    if (n == 0 || strncmp(text, "!_", 2) == 0) return 0;
    // ctags separates the fields with tabs, and then a name may hold blanks ("operator ()");
    // other tag files use any white space.
    bool tabs = strchr(text, '\t') != nullptr;
    auto isSep = [tabs](char c) { return tabs ? c == '\t' : IsBlank(c); };
    char* p = text;
    while (*p && !isSep(*p)) p++;
    e.name.assign(text, (size_t)(p - text));
    while (isSep(*p)) p++;
    char* file = p;
    while (*p && !isSep(*p)) p++;
    e.file.assign(file, (size_t)(p - file));
    while (IsBlank(*p)) p++;
    if (e.name.empty() || e.file.empty() || !*p) return -1;
    if (*p == '/' || *p == '?') {
        e.direction = *p == '/' ? 1 : -1;
        e.pattern = PatternOf(p);
        e.line = -1;
        e.hasLine = false;
        return e.pattern.empty() ? -1 : 1;
    }
    char* end;
    long long v = strtoll(p, &end, 10);
    // A number may be followed by ctags's ;" and extension fields, or by ;/pattern/.
    if (end == p || v < 1 || (*end && !IsBlank(*end) && *end != ';')) return -1;
    e.line = v;
    e.hasLine = true;
    e.pattern.clear();
    return 1;
}

void MarkTagsInEveryFile() {
    for (File* f = FileHead(); f; f = f->next) {
        for (UndoRec* r = f->undo; r; r = r->next) r->flags &= (uint8_t)~UNDO_TAGS;
        if (f->undo) f->undo->flags |= UNDO_TAGS;
    }
}

} // namespace

int64_t TagCount() { return tagCount; }

void TagSetFileName(const char* path) { tagFileName = path ? path : ""; }

const char* TagGetFileName() {
    if (!tagFileName.empty()) return tagFileName.c_str();
    // The file chooser keeps no directory of its own yet: the default is "tags" in the
    // current directory.
    return "tags";
}

int TagAppendDictionary(const char* path) {
    std::string opened = path ? path : "";
    FILE* fp = opened.empty() ? nullptr : gen_fopenregular(opened.c_str());
    if (!fp) {
        opened = TagGetFileName();
        fp = gen_fopenregular(opened.c_str());
    }
    if (!fp) {
        QuorlError(ERR_FAILURE, "No tags file loaded.");
        return 0;
    }
    if (tagCount <= 0 && opened != tagFileName) tagFileName = opened;
    std::string dir;
    if (size_t slash = opened.rfind('/'); slash != std::string::npos) dir = opened.substr(0, slash + 1);

    bool existed = tagCount >= 0;
    size_t before = existed ? (size_t)tagCount : 0;
    std::vector<TagEntry> saved; // what a malformed line must put back
    if (existed) saved.assign(tagDict.begin(), tagDict.begin() + (ptrdiff_t)before);
    tagDict.resize(before);
    char buf[tagLineBuffer];
    int lineNo = 0;
    int rc = 1;
    while (fgets(buf, sizeof buf, fp)) {
        lineNo++;
        size_t n = strlen(buf);
        if (n == sizeof buf - 1 && buf[n - 1] != '\n') {
            // longer than the buffer: the rest of the line is dropped, not taken for a new line
            int c;
            while ((c = fgetc(fp)) != EOF && c != '\n') {
            }
        }
        TagEntry e;
        int got = ParseLine(buf, e);
        if (got == 0) continue;
        if (got < 0) {
            QuorlError(ERR_FAILURE, "Malformed address in tags file %s, line %d", opened.c_str(),
                       lineNo);
            rc = -1;
            break;
        }
        e.dir = dir;
        if (existed) {
            if (TagEntry* old = Lookup(e.name.c_str(), before)) {
                // a later tag file overrides an earlier one
                *old = std::move(e);
                continue;
            }
        }
        if (tagDict.size() == tagDict.capacity()) tagDict.reserve(tagDict.size() + tagGrowBy);
        tagDict.push_back(std::move(e));
    }
    fclose(fp);
    if (rc < 0) {
        tagDict.assign(saved.begin(), saved.end());
        return -1;
    }
    // Lookups are binary searches by byte order; a file that is not sorted that way (ctags -u,
    // or folded case) is sorted here rather than leaving names unfindable.
    if ((existed && tagDict.size() > before) || !std::is_sorted(tagDict.begin(), tagDict.end(), ByName))
        std::stable_sort(tagDict.begin(), tagDict.end(), ByName);
    tagCount = (int64_t)tagDict.size();
    return 1;
}

char* TagQueryFileName() {
    std::string start = TagGetFileName();
    std::string chosen;
    if (!FileChooseDialogue("Choose Tag File", "Load", start.c_str(), chosen) || chosen.empty())
        return nullptr;
    return gen_copy(chosen.c_str());
}

int TagAvailable() {
    if (tagCount < 0) TagAppendDictionary(TagGetFileName());
    return tagCount >= 0;
}

void TagReset() {
    tagDict.clear();
    tagDict.shrink_to_fit();
    tagCount = -1;
}

void TagReinit() {
    if (tagCount < 0) return;
    std::string name = tagFileName;
    TagReset();
    TagAppendDictionary(name.c_str());
    MarkTagsInEveryFile();
}

const TagEntry* TagDefault(const char* name) {
    if (tagCount < 0) TagAppendDictionary(TagGetFileName());
    if (tagCount <= 0 || !name) return nullptr;
    return Lookup(name, (size_t)tagCount);
}

int TagDefinitions(const char* name) {
    const TagEntry* first = TagDefault(name);
    if (!first) return 0;
    const TagEntry* end = tagDict.data() + tagCount;
    int n = 0;
    for (const TagEntry* e = first; e != end && e->name == first->name; e++) n++;
    return n;
}

File* TagFind(const char* name, int64_t& line, int which) {
    if (!name || !*name) return nullptr;
    const TagEntry* e = name[0] == '/' ? nullptr : TagDefault(name);
    // The same name's definitions lie side by side, in the order the tag file gives them.
    if (e && which > 0 && which < TagDefinitions(name)) e += which;
    TagEntry vcEntry;
    if (!e) {
        // a file under version control stands for itself
        FileVcFrontEnd* vc = file_VcFrontEnd();
        if (!vc || vc->underVC(name) != 1) return nullptr;
        vcEntry.name = vcEntry.file = name;
        vcEntry.line = 1;
        vcEntry.hasLine = true;
        e = &vcEntry;
    }
    std::string path = e->file[0] == '/' ? e->file : e->dir + e->file;
    File* f = FileFName(path.c_str());
    if (!f) {
        QuorlError(ERR_FAILURE, "Can't open file %s for tag %s", path.c_str(), name);
        return nullptr;
    }
    if (e->hasLine) {
        line = e->line;
        return f;
    }
    int64_t start = e->direction > 0 ? 1 : std::max<int64_t>(f->nLines, 1);
    int64_t l = start, endLine;
    int col = 0, endCol;
    if (FileFind(f, nullptr, 0, l, col, endLine, endCol, e->direction, 1, e->pattern.data(),
                 (int)e->pattern.size(), SF_EXACT) != 1)
        l = start;
    line = -l;
    return f;
}
