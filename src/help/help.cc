// help/help.cc: finding the help files, indexing their keywords, reading entries, lookups by
// keyword and pattern, and the read-only help File.
#include "help/help.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "buffer/file.h"
#include "buffer/registry.h"
#include "config/cfg.h"
#include "config/options.h"
#include "runtime/error.h"
#include "runtime/gen.h"

#ifndef QE_HELP_DIR
#define QE_HELP_DIR "/usr/local/share/quorl"
#endif

namespace {

const int kSlots = 4;
const char* const kPrefixes[] = {"Command_", "Resource_", "Scroll_", "Edit_"};

struct IndexEntry {
    std::string keyword;
    long offset;
};

struct HelpState {
    bool searched = false;
    std::vector<std::string> slots = std::vector<std::string>(kSlots);
    std::vector<std::vector<IndexEntry>> index = std::vector<std::vector<IndexEntry>>(kSlots);
    std::vector<std::string> tempCopies; // copies of remote help files
} help;

// quorl_strcoll: bytes compared after conversion to lower case.
int quorl_strcoll(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; i++) {
        int x = tolower((unsigned char)a[i]), y = tolower((unsigned char)b[i]);
        if (x != y) return x - y;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool readable(const std::string& path) {
    return access(path.c_str(), R_OK) == 0;
}

// The help files are in dir when name followed by "4.hlp" is readable there, or in the
// directory of the target of a symbolic link called name there.
bool tryDirectory(std::string dir, const std::string& name) {
    if (dir.empty()) dir = ".";
    if (!readable(dir + "/" + name + "4.hlp")) {
        char target[4096];
        ssize_t n = readlink((dir + "/" + name).c_str(), target, sizeof target - 1);
        if (n <= 0) return false;
        target[n] = 0;
        std::string t = target;
        std::string tdir = t.find('/') == std::string::npos ? dir
                           : t[0] == '/'                    ? t.substr(0, t.rfind('/'))
                                                            : dir + "/" + t.substr(0, t.rfind('/'));
        if (!readable(tdir + "/" + name + "4.hlp")) return false;
        dir = tdir;
    }
    for (int i = 0; i < kSlots; i++) help.slots[(size_t)i] = dir + "/" + name + std::to_string(i + 1) + ".hlp";
    return true;
}

// A slot naming a file on another host ("host:path") becomes a local copy, made with rcp.
void fetchRemote(std::string& slot) {
    size_t colon = slot.find(':');
    if (colon == std::string::npos || slot.find('/') < colon) return;
    std::string host = slot.substr(0, colon), path = slot.substr(colon + 1);
    char here[256] = "";
    gethostname(here, sizeof here - 1);
    if (host == here) {
        slot = path;
        return;
    }
    GenStr tmp(tmp1name(nullptr, nullptr, ".hlp"));
    bool ok = false;
    if (tmp.get()) {
        fflush(stdout);
        pid_t pid = fork();
        if (pid == 0) {
            // "--": a slot is a configured name, and one starting with "-" is still a file.
            execlp("rcp", "rcp", "--", slot.c_str(), tmp.get(), (char*)nullptr);
            _exit(127);
        }
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
            WEXITSTATUS(status) == 0)
            ok = true;
    }
    if (ok) {
        help.tempCopies.push_back(tmp.get());
        slot = tmp.get();
    } else {
        if (tmp.get()) unlink(tmp.get());
        slot.clear();
    }
}

void findFiles() {
    const std::string* db[kSlots] = {&helpdb1, &helpdb2, &helpdb3, &helpdb4};
    bool set = false;
    for (int i = 0; i < kSlots; i++) {
        help.slots[(size_t)i] = *db[i];
        if (!db[i]->empty()) set = true;
    }
    if (!set) {
        std::vector<std::string> dirs;
        if (const char* own = gen_getprogdir()) dirs.push_back(own);
        if (const char* path = getenv("PATH")) {
            std::stringstream ss(path);
            std::string d;
            while (std::getline(ss, d, ':')) dirs.push_back(d);
        }
        dirs.push_back(QE_HELP_DIR);
        std::vector<std::string> names;
        if (gen_progname && *gen_progname) names.push_back(gen_progname);
        names.push_back("quorl");
        bool found = false;
        for (const std::string& name : names) {
            for (const std::string& d : dirs)
                if ((found = tryDirectory(d, name))) break;
            if (found) break;
        }
    }
    for (std::string& slot : help.slots) fetchRemote(slot);
}

// A line starting with anything but a blank, tab, "#", newline or "." starts an entry under
// its first word; the entry's text follows the byte that ended the keyword, or the first
// blank or tab of the next line when the keyword ended its line.
void indexFile(int slot) {
    std::vector<IndexEntry>& ix = help.index[(size_t)slot];
    ix.clear();
    const std::string& path = help.slots[(size_t)slot];
    if (path.empty()) return;
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        char c = text[pos];
        if (c != ' ' && c != '\t' && c != '#' && c != '\n' && c != '.') {
            size_t end = pos;
            while (end < eol && text[end] != ' ' && text[end] != '\t' && text[end] != '#') end++;
            std::string keyword = text.substr(pos, std::min<size_t>(end - pos, 199));
            long offset = (long)end + 1;
            if (end == eol && eol + 1 < text.size() && (text[eol + 1] == ' ' || text[eol + 1] == '\t'))
                offset = (long)eol + 2;
            ix.push_back({keyword, offset});
        }
        pos = eol + 1;
    }
    std::stable_sort(ix.begin(), ix.end(), [](const IndexEntry& a, const IndexEntry& b) {
        return quorl_strcoll(a.keyword, b.keyword) < 0;
    });
}

bool ensureIndexed() {
    if (!help.searched) {
        help.searched = true;
        findFiles();
        for (int i = 0; i < kSlots; i++) indexFile(i);
    }
    for (const auto& ix : help.index)
        if (!ix.empty()) return true;
    return false;
}

// Lines are taken up to a tab or newline; after a tab, the rest (its leading blanks and tabs
// skipped) is the second column. Lines starting with "#" are comments; the entry goes on
// while lines start with a blank or a tab or are empty.
void readEntry(int slot, long offset, HelpResult& out) {
    FILE* f = fopen(help.slots[(size_t)slot].c_str(), "rb");
    if (!f) {
        Panic("Can't open help file");
        return;
    }
    fseek(f, offset, SEEK_SET);
    std::string line;
    bool first = true;
    int c;
    for (;;) {
        line.clear();
        while ((c = fgetc(f)) != EOF && c != '\n') line.push_back((char)c);
        if (!first && !line.empty() && line[0] == '#') {
            if (c == EOF) break;
            continue;
        }
        if (!first && !line.empty() && line[0] != ' ' && line[0] != '\t') break;
        if (c == EOF && line.empty() && !first) break;
        first = false;
        size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            out.lines.push_back(line);
            out.second.emplace_back();
        } else {
            size_t rest = line.find_first_not_of(" \t", tab);
            out.lines.push_back(line.substr(0, tab));
            out.second.push_back(rest == std::string::npos ? "" : line.substr(rest));
        }
        if (c == EOF) break;
    }
    fclose(f);
    // The blank lines that separate entries are not part of the one before.
    while (out.lines.size() > 1 && out.lines.back().find_first_not_of(" \t") == std::string::npos) {
        out.lines.pop_back();
        out.second.pop_back();
    }
}

std::vector<std::string> allKeywords() {
    std::vector<std::string> all = {"Index", "Configuration"};
    for (const auto& ix : help.index)
        for (const IndexEntry& e : ix) all.push_back(e.keyword);
    return all;
}

void sortedUnique(std::vector<std::string>& words) {
    std::stable_sort(words.begin(), words.end(),
                     [](const std::string& a, const std::string& b) { return quorl_strcoll(a, b) < 0; });
    words.erase(std::unique(words.begin(), words.end(),
                            [](const std::string& a, const std::string& b) {
                                return quorl_strcoll(a, b) == 0;
                            }),
                words.end());
}

void listResult(const std::vector<std::string>& words, HelpResult& out) {
    out.lines = words;
    out.second.assign(words.size(), "");
}

std::vector<std::string> configurationDump() {
    std::vector<std::string> lines;
    for (CfgOption* table : cfg_AllTables)
        for (CfgOption* o = table; o->name; o++)
            if (!o->hidden && o->type != CFG_FUNC) {
                std::string l = cfg_OptionLine(*o);
                std::stringstream ss(l);
                std::string one;
                while (std::getline(ss, one)) lines.push_back(one);
            }
    return lines;
}

// One keyword: the built-in two, else a binary search of each index in slot order that
// prefers an exact match among the case-blind equals.
bool searchOne(const std::string& key, HelpResult& out) {
    if (key == "Index") {
        std::vector<std::string> all = allKeywords();
        sortedUnique(all);
        listResult(all, out);
        return true;
    }
    if (key == "Configuration") {
        listResult(configurationDump(), out);
        return true;
    }
    for (int slot = 0; slot < kSlots; slot++) {
        const std::vector<IndexEntry>& ix = help.index[(size_t)slot];
        auto lo = std::lower_bound(ix.begin(), ix.end(), key, [](const IndexEntry& e, const std::string& k) {
            return quorl_strcoll(e.keyword, k) < 0;
        });
        if (lo == ix.end() || quorl_strcoll(lo->keyword, key) != 0) continue;
        auto hit = lo;
        for (auto it = lo; it != ix.end() && quorl_strcoll(it->keyword, key) == 0; ++it)
            if (it->keyword == key) {
                hit = it;
                break;
            }
        readEntry(slot, hit->offset, out);
        return true;
    }
    return false;
}

bool matchFrom(const char* p, const char* t, bool ignoreCase) {
    for (; *p; p++, t++) {
        if (*p == '*' || *p == '@') {
            while (p[1] == '*' || p[1] == '@') p++;
            if (!p[1]) return true;
            for (; *t; t++)
                if (matchFrom(p + 1, t, ignoreCase)) return true;
            return false;
        }
        if (!*t) return false;
        if (*p == '?') continue;
        unsigned char a = (unsigned char)*p, b = (unsigned char)*t;
        if (a != b && !(ignoreCase && isalpha(a) && tolower(a) == tolower(b))) return false;
    }
    return *t == 0;
}

} // namespace

bool HelpPatternMatch(const char* pattern, const char* text, bool ignoreCase) {
    return matchFrom(pattern, text, ignoreCase);
}

const std::vector<std::string>& HelpFiles() {
    ensureIndexed();
    return help.slots;
}

void HelpReset() {
    cleanupHelp();
    help = HelpState();
}

bool HelpKeyLookup(const char* key, HelpResult& result, std::string* found) {
    result = HelpResult();
    if (!key || !*key) return false;
    if (!ensureIndexed()) {
        QuorlError(1, "Could not find any help files\n");
        return false;
    }
    std::string k = key;
    if (k.find_first_of("*?@") != std::string::npos) {
        bool ignoreCase = !exactcase;
        std::vector<std::string> hits;
        std::string cut = k.substr(0, 200);
        for (const std::string& w : allKeywords()) {
            bool hit = HelpPatternMatch(k.c_str(), w.c_str(), ignoreCase);
            for (const char* p : kPrefixes)
                hit = hit || HelpPatternMatch((p + cut).c_str(), w.c_str(), ignoreCase);
            if (hit) hits.push_back(w);
        }
        sortedUnique(hits);
        if (hits.empty()) return false;
        if (hits.size() == 1) {
            if (found) *found = hits[0];
            return searchOne(hits[0], result);
        }
        if (found) *found = k;
        listResult(hits, result);
        return true;
    }
    if (searchOne(k, result)) {
        if (found) *found = k;
        return true;
    }
    std::string cut = k.substr(0, 90);
    for (const char* p : kPrefixes)
        if (searchOne(p + cut, result)) {
            if (found) *found = p + cut;
            return true;
        }
    return false;
}

File* FileFHelp(const char* first, const char* second) {
    if (first && !*first) first = nullptr;
    if (second && !*second) second = nullptr;
    if (!first && !second) {
        QuorlError(1, "No keyword specified for help request!");
        return nullptr;
    }
    for (const char* k : {first, second}) {
        if (!k) continue;
        GenStr name(gen_sprintf("help %s", k));
        for (File* f = FileHead(); f; f = f->next)
            if (f->internal && !f->stub && f->nLines > 0 && f->name && !strcmp(f->name, name.get()))
                return f;
    }
    HelpResult r;
    const char* key = first;
    bool ok = first && HelpKeyLookup(first, r);
    if (!ok && second) {
        key = second;
        ok = HelpKeyLookup(second, r);
    }
    if (!ok) {
        if (ensureIndexed()) { // else "Could not find any help files" was the report
            if (first && second)
                QuorlError(1, "No entries found for %s or %s", first, second);
            else
                QuorlError(1, "No entry found for %s", first ? first : second);
        }
        return nullptr;
    }
    std::string text;
    for (const std::string& l : r.lines) text += l + "\n";
    File* file = FileFInternal(nullptr);
    gen_free(file->name);
    file->name = gen_sprintf("help %s", key);
    FileFString(file, text.data(), (int64_t)text.size());
    file->readOnly = true;
    file->notAFile = true;
    FilesAddFile(file);
    return file;
}

File* FileFManual() {
    for (File* f = FileHead(); f; f = f->next)
        if (f->internal && !f->stub && f->nLines > 0 && f->name && !strcmp(f->name, "manual"))
            return f;
    if (!ensureIndexed() && help.slots[0].empty()) {
        QuorlError(1, "Could not find any help files\n");
        return nullptr;
    }
    std::ifstream in(help.slots[0], std::ios::binary);
    if (!in) {
        QuorlError(1, "Can't open help file");
        return nullptr;
    }
    // The guide as it reads, without the comments kept for its maintainers.
    std::string text, line;
    while (std::getline(in, line))
        if (line.empty() || line[0] != '#') text += line + "\n";
    File* file = FileFInternal(nullptr);
    gen_free(file->name);
    file->name = gen_copy("manual");
    FileFString(file, text.data(), (int64_t)text.size());
    file->readOnly = true;
    file->notAFile = true;
    FilesAddFile(file);
    return file;
}

void cleanupHelp() {
    for (const std::string& t : help.tempCopies) unlink(t.c_str());
    help.tempCopies.clear();
}
