// diff/diff.cc: the symbol-table line difference engine shared by compare, merge and QVC.
//
// The method is Heckel's (CACM 21(4), 1978): lines unique in both files anchor the match,
// pairs spread to equal neighbours, then duplicated lines are paired near their neighbours.
#include "diff/diff.h"
#include "runtime/gen.h"

#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>
#include <sys/mman.h>
#include <sys/stat.h>

namespace {

// One comparison at a time: the working state lives here until diff_return hands it over.
DiffSymbol* ST = nullptr;
DiffLine* OA = nullptr;
DiffLine* NA = nullptr;
DiffNode* Oblock = nullptr;
int oldmax = 0;
int newmax = 0;
int maxsym = 0;

// The line reading buffer lives for the whole run.
char* diffbuf = nullptr;
long diff_bufsize = 0;

const long sizeLadder[] = {1039,   3301,   6091,    9679,    13451,   19069,   33577,
                           65535,  131071, 262143,  524287,  1048575, 2097151, 16777215};

void stdoutMessage(const char* text) {
    fputs(text, stdout);
    fflush(stdout);
}

void diffMsg(const char* format, ...) __attribute__((format(printf, 1, 2)));
void diffMsg(const char* format, ...) {
    char text[4200];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    diff_message(text);
}

// The symbols' texts, allocated from large blocks and freed together.
struct TextBlock {
    TextBlock* next;
    size_t used, size;
    char data[1];
};
TextBlock* texts = nullptr;

char* textAlloc(size_t n) {
    if (!texts || texts->size - texts->used < n) {
        size_t size = n > (1u << 20) ? n : (1u << 20);
        auto* b = static_cast<TextBlock*>(malloc(sizeof(TextBlock) + size));
        if (!b) return nullptr;
        b->next = texts;
        b->used = 0;
        b->size = size;
        texts = b;
    }
    char* p = texts->data + texts->used;
    texts->used += n;
    return p;
}

void freeTexts(void* list) {
    for (auto* b = static_cast<TextBlock*>(list); b;) {
        TextBlock* next = b->next;
        free(b);
        b = next;
    }
}

void freeTables() {
    freeTexts(texts);
    texts = nullptr;
    free(Oblock);
    free(NA);
    free(OA);
    free(ST);
    ST = nullptr;
    OA = NA = nullptr;
    Oblock = nullptr;
    oldmax = newmax = maxsym = 0;
}

// Reads one whole line (newline included) into diffbuf; null at end of input.
char* diff_fgets(FILE* stream) {
    if (!diffbuf) {
        diff_bufsize = 512;
        diffbuf = static_cast<char*>(malloc(diff_bufsize));
        if (!diffbuf) {
            diff_bufsize = 0;
            diff_message("Out of memory.");
            return nullptr;
        }
    }
    long start = 0;
    for (;;) {
        diffbuf[diff_bufsize - 2] = 0;
        if (!fgets(diffbuf + start, static_cast<int>(diff_bufsize - start), stream)) {
            if (start == 0) return nullptr;
            return diffbuf; // a last line without newline
        }
        if (diffbuf[diff_bufsize - 2] == 0 || diffbuf[diff_bufsize - 2] == '\n') return diffbuf;
        // The line did not fit: double the buffer and read on at the old end.
        long oldSize = diff_bufsize;
        char* bigger = static_cast<char*>(realloc(diffbuf, diff_bufsize + diff_bufsize));
        if (!bigger) {
            diff_message("Out of memory.");
            return nullptr;
        }
        diffbuf = bigger;
        diff_bufsize += diff_bufsize;
        start = oldSize - 1;
    }
}

// A named file read whole in one go, with the offsets at which its lines start (and the
// end), so that both sides are read once instead of twice through fgets.
struct PathText {
    std::unique_ptr<char[]> bytes; // not zeroed first: every byte is read into
    std::vector<size_t> starts;
};
constexpr int DIFF_LOADED = 100; // internal kind: a PathText

int diffFindFileLength(int kind, const void* source, int count) {
    switch (kind) {
    case DIFF_FILE:
        return diff_fileAccess ? diff_fileAccess->lineCount(source) : -1;
    case DIFF_MEMORY:
    case DIFF_STREAM:
    case DIFF_LOADED:
        return count;
    case DIFF_PATH: {
        FILE* f = gen_fopenregular(static_cast<const char*>(source));
        if (!f) {
            diffMsg("Error opening file - %s\n", static_cast<const char*>(source));
            return -1;
        }
        // Counting stops where no table could hold the file any more.
        int n = 0;
        while (n < sizeLadder[13] && diff_fgets(f)) n++;
        fclose(f);
        return n;
    }
    default:
        diffMsg("Error - unknown file type %i\n", kind);
        return -1;
    }
}

// The line hash of the first len bytes (diff_hash without the terminator).
unsigned hashLen(const char* text, size_t len) {
    uint32_t h = 0;
    for (size_t i = 0; i < len; i++) {
        uint32_t t = h + static_cast<unsigned char>(text[i]);
        h = (t >> 23) + (t << 7);
    }
    return h & 0x3FFFFFFF;
}

// Where the probe for a line's text starts. The probe starts from a slot chosen by a stronger
// hash of the text: the line hash kept in the entry gives too many distinct lines the same
// value for linear probing to stay short (a generated 100 MB C file: 700,000 distinct
// lines, 207,000 values, over 700 probes a line); it still decides equality together with
// the text.
unsigned probeStart(const char* text, size_t len) {
    uint64_t mixed = 14695981039346656037ull ^ (uint64_t)len;
    size_t i = 0;
    for (; i + 8 <= len; i += 8) {
        uint64_t w;
        memcpy(&w, text + i, 8);
        mixed = (mixed ^ w) * 0x9e3779b97f4a7c15ull;
        mixed ^= mixed >> 29;
    }
    for (; i < len; i++) mixed = (mixed ^ static_cast<unsigned char>(text[i])) * 1099511628211ull;
    mixed ^= mixed >> 32;
    return static_cast<unsigned>(mixed % static_cast<unsigned>(maxsym));
}

// The symbol of a line's text (len bytes, no NUL among them), entered when new; -1 when the
// table is full or memory ran out.
int storeAt(const char* text, size_t len, unsigned start) {
    unsigned h = hashLen(text, len);
    unsigned slot = start;
    do {
        DiffSymbol& s = ST[slot];
        if (s.hash < 0) {
            s.hash = static_cast<int>(h);
            s.text = textAlloc(len + 1);
            if (!s.text) return -1;
            memcpy(s.text, text, len);
            s.text[len] = 0;
            return static_cast<int>(slot);
        }
        if (s.hash == static_cast<int>(h) && memcmp(s.text, text, len) == 0 && s.text[len] == 0)
            return static_cast<int>(slot);
        slot = (slot + 1) % static_cast<unsigned>(maxsym);
    } while (slot != start);
    return -1;
}

int diff_store(const char* text) {
    if (!text) return -1;
    size_t len = strlen(text);
    return storeAt(text, len, probeStart(text, len));
}

// Enters lines 1..count given by line(i, &len) into the symbol table. The table is far larger
// than the caches: the probe of a line a few lines ahead is prefetched while this one is
// stored.
template <typename LineOf>
int storeLines(int count, DiffLine* lines, int isOld, LineOf line) {
    constexpr int ahead = 8;
    struct Pending {
        const char* text;
        size_t len;
        unsigned start;
    } ring[ahead];
    auto prepare = [&](int i) {
        Pending& p = ring[i % ahead];
        p.text = line(i, &p.len);
        p.start = probeStart(p.text, p.len);
        __builtin_prefetch(&ST[p.start]);
    };
    for (int i = 1; i <= count && i <= ahead; i++) prepare(i);
    for (int i = 1; i <= count; i++) {
        Pending p = ring[i % ahead];
        if (i + ahead <= count) prepare(i + ahead);
        int symbol = storeAt(p.text, p.len, p.start);
        if (symbol < 0) return -1;
        if (isOld)
            ST[symbol].oldCount++;
        else
            ST[symbol].newCount++;
        lines[i] = DiffLine{0, 0, symbol};
    }
    lines[count + 1].matched = 1;
    return 0;
}

int diffReadOneFile(int kind, const void* source, int count, DiffLine* lines, int isOld) {
    FILE* f = nullptr;
    if (kind == DIFF_PATH) {
        f = gen_fopenregular(static_cast<const char*>(source));
        if (!f) return -1;
    } else if (kind == DIFF_STREAM) {
        f = const_cast<FILE*>(static_cast<const FILE*>(source));
    }
    if (kind == DIFF_MEMORY) {
        auto text = static_cast<const char* const*>(source);
        return storeLines(count, lines, isOld, [&](int i, size_t* len) {
            const char* t = text[i - 1] ? text[i - 1] : "";
            *len = strlen(t);
            return t;
        });
    }
    if (kind == DIFF_LOADED) {
        auto file = static_cast<const PathText*>(source);
        return storeLines(count, lines, isOld, [&](int i, size_t* len) {
            const char* t = file->bytes.get() + file->starts[i - 1];
            // A NUL ends the line's text, as it ends a C string read line by line.
            *len = strnlen(t, file->starts[i] - file->starts[i - 1]);
            return t;
        });
    }
    for (int i = 1; i <= count; i++) {
        const char* text = nullptr;
        switch (kind) {
        case DIFF_FILE:
            text = diff_fileAccess->lineText(source, i);
            break;
        case DIFF_MEMORY:
            text = static_cast<const char* const*>(source)[i - 1];
            break;
        default:
            text = diff_fgets(f);
            break;
        }
        // A side that yields fewer lines than announced reads the rest as empty lines.
        int symbol = diff_store(text ? text : "");
        if (symbol < 0) {
            if (kind == DIFF_PATH) fclose(f);
            return -1;
        }
        if (isOld)
            ST[symbol].oldCount++;
        else
            ST[symbol].newCount++;
        lines[i] = DiffLine{0, 0, symbol};
    }
    lines[count + 1].matched = 1;
    if (kind == DIFF_PATH) fclose(f);
    return 0;
}

// Memory for the symbol table, which probes touch all over: on huge pages where the system
// has them, so that filling it costs a few faults instead of one per 4 KiB. Freed with free.
void* bigAlloc(size_t bytes) {
    constexpr size_t huge = 2u << 20;
    if (bytes < huge) return malloc(bytes);
    size_t rounded = (bytes + huge - 1) / huge * huge;
    void* p = aligned_alloc(huge, rounded);
    if (p) madvise(p, rounded, MADV_HUGEPAGE);
    return p;
}

// False when the file cannot be read (reported as the line-by-line reader reports it).
bool loadPath(const char* path, PathText& out) {
    FILE* f = gen_fopenregular(path);
    if (!f) {
        diffMsg("Error opening file - %s\n", path);
        return false;
    }
    struct stat st;
    size_t have = 0;
    size_t size = fstat(fileno(f), &st) == 0 && st.st_size > 0 ? (size_t)st.st_size + 1 : 65536;
    out.bytes.reset(new char[size]);
    for (size_t n; (n = fread(out.bytes.get() + have, 1, size - have, f)) > 0;) {
        have += n;
        if (have == size) {
            // The file grew while being read: read on into a larger buffer.
            std::unique_ptr<char[]> bigger(new char[size * 2]);
            memcpy(bigger.get(), out.bytes.get(), have);
            out.bytes = std::move(bigger);
            size *= 2;
        }
    }
    fclose(f);
    const char* base = out.bytes.get();
    out.starts.clear();
    size_t at = 0;
    // Counting stops where no table could hold the file any more.
    while (at < have && (long)out.starts.size() < sizeLadder[13]) {
        out.starts.push_back(at);
        const char* lf = static_cast<const char*>(memchr(base + at, '\n', have - at));
        at = lf ? (size_t)(lf - base) + 1 : have;
    }
    out.starts.push_back(at); // the end of the last line read
    return true;
}

int diffReadFiles(int oldKind, const void* oldSource, int oldCount, int newKind,
                  const void* newSource, int newCount) {
    PathText oldText, newText;
    if (oldKind == DIFF_PATH) {
        if (!loadPath(static_cast<const char*>(oldSource), oldText)) return -1;
        oldKind = DIFF_LOADED;
        oldSource = &oldText;
        oldCount = (int)oldText.starts.size() - 1;
    }
    if (newKind == DIFF_PATH) {
        if (!loadPath(static_cast<const char*>(newSource), newText)) return -1;
        newKind = DIFF_LOADED;
        newSource = &newText;
        newCount = (int)newText.starts.size() - 1;
    }
    int o = diffFindFileLength(oldKind, oldSource, oldCount);
    if (o < 0) return -1;
    int n = diffFindFileLength(newKind, newSource, newCount);
    if (n < 0) return -1;
    int size = diff_tablesize(static_cast<long>(o) + n);
    if (size == 0) {
        diff_message("Out of memory in diff.\n");
        return -1;
    }
    oldmax = o;
    newmax = n;
    maxsym = size;
    ST = static_cast<DiffSymbol*>(bigAlloc(sizeof(DiffSymbol) * maxsym));
    OA = static_cast<DiffLine*>(calloc(oldmax + 2, sizeof(DiffLine)));
    NA = static_cast<DiffLine*>(calloc(newmax + 2, sizeof(DiffLine)));
    Oblock = static_cast<DiffNode*>(calloc(oldmax + 1, sizeof(DiffNode)));
    if (!ST || !OA || !NA || !Oblock) {
        free(ST);
        ST = nullptr;
        freeTables();
        diff_message("Out of memory in diff.\n");
        return -1;
    }
    for (int i = 0; i < maxsym; i++) ST[i] = DiffSymbol{};
    if (diffReadOneFile(oldKind, oldSource, oldmax, OA, 1) < 0 ||
        diffReadOneFile(newKind, newSource, newmax, NA, 0) < 0) {
        freeTables();
        return -1;
    }
    OA[oldmax + 1] = DiffLine{1, newmax + 1, newmax + 1};
    NA[newmax + 1] = DiffLine{1, oldmax + 1, oldmax + 1};
    for (int i = 1; i <= oldmax; i++) {
        if (i + 16 <= oldmax) __builtin_prefetch(&ST[OA[i + 16].symbol], 1);
        DiffSymbol& s = ST[OA[i].symbol];
        DiffNode* node = &Oblock[i - 1];
        *node = DiffNode{i, s.oldLines, nullptr};
        if (s.oldLines)
            s.oldLines->prev = node;
        else
            s.oldTail = node;
        s.oldLines = node;
    }
    return 0;
}

// The unpaired old lines of the duplicated texts, in line order per text, answering "the
// lowest above x" and "the highest below x" in logarithmic time however often a text occurs.
// Each text's group has a sentinel slot at both ends; paired lines are skipped through
// union-find links towards the next (or previous) line still unpaired.
struct UnpairedLines {
    std::vector<int> lines;  // grouped by text, ascending; sentinels hold INT_MIN / INT_MAX
    std::vector<int> after;  // union-find: next slot at or after that is unpaired
    std::vector<int> before; // union-find: next slot at or before that is unpaired
    std::vector<int> slotOf; // old line -> slot, -1 when not kept
    std::vector<int> groupOf; // symbol -> its leading sentinel slot, -1 when not kept
    std::vector<int> groupLast; // symbol -> the slot of its highest line
    bool active = false;

    static int find(std::vector<int>& link, int i) {
        int root = i;
        while (link[root] != root) root = link[root];
        while (link[i] != root) {
            int up = link[i];
            link[i] = root;
            i = up;
        }
        return root;
    }
    void build() {
        lines.clear();
        slotOf.assign(oldmax + 1, -1);
        groupOf.assign(maxsym, -1);
        groupLast.assign(maxsym, -1);
        for (int j = 1; j <= newmax; j++) {
            int sym = NA[j].symbol;
            const DiffSymbol& s = ST[sym];
            if (NA[j].matched || groupOf[sym] >= 0 || s.oldCount == 0 || s.newCount == 0) continue;
            groupOf[sym] = int(lines.size());
            lines.push_back(INT_MIN);
            for (DiffNode* n = s.oldTail; n; n = n->prev) {
                slotOf[n->line] = int(lines.size());
                lines.push_back(n->line);
            }
            groupLast[sym] = int(lines.size()) - 1;
            lines.push_back(INT_MAX);
        }
        after.resize(lines.size());
        before.resize(lines.size());
        for (size_t i = 0; i < lines.size(); i++) after[i] = before[i] = int(i);
        active = true;
    }
    void remove(int line) {
        if (!active || slotOf[line] < 0) return;
        int slot = slotOf[line];
        after[slot] = slot + 1;
        before[slot] = slot - 1;
        slotOf[line] = -1;
    }
    // Slot range [first, last] of a symbol's lines, sentinels excluded.
    void range(int sym, int* first, int* last) {
        *first = groupOf[sym] + 1;
        *last = groupLast[sym];
    }
    int lowestAbove(int sym, int x) {
        if (groupOf[sym] < 0) return 0;
        int first, last;
        range(sym, &first, &last);
        int slot = int(std::upper_bound(lines.begin() + first, lines.begin() + last + 1, x) -
                       lines.begin());
        int found = find(after, slot);
        return lines[found] == INT_MAX ? 0 : lines[found];
    }
    int highestBelow(int sym, int x) {
        if (groupOf[sym] < 0) return 0;
        int first, last;
        range(sym, &first, &last);
        int slot = int(std::lower_bound(lines.begin() + first, lines.begin() + last + 1, x) -
                       lines.begin()) - 1;
        int found = find(before, slot);
        return lines[found] == INT_MIN ? 0 : lines[found];
    }
};
UnpairedLines unpaired;

void diff_matchup(int oldLine, int newLine) {
    OA[oldLine].matched = 1;
    OA[oldLine].other = newLine;
    NA[newLine].matched = 1;
    NA[newLine].other = oldLine;
    DiffSymbol& s = ST[NA[newLine].symbol];
    s.newCount--;
    s.oldCount--;
    // Every old line has its own node, so it is unlinked without walking the list.
    DiffNode* node = &Oblock[oldLine - 1];
    if (node->prev)
        node->prev->next = node->next;
    else if (s.oldLines == node)
        s.oldLines = node->next;
    if (node->next)
        node->next->prev = node->prev;
    else if (s.oldTail == node)
        s.oldTail = node->prev;
    node->next = node->prev = nullptr;
    unpaired.remove(oldLine);
}

void diff_matchexact() {
    for (int j = 1; j <= newmax; j++) {
        DiffSymbol& s = ST[NA[j].symbol];
        if (s.oldCount == 1 && s.newCount == 1 && s.oldLines) diff_matchup(s.oldLines->line, j);
    }
}

// Can new line j + 1 pair with the old line after the partner of j?
bool canSpreadForward(int j) {
    if (j >= newmax || !NA[j].matched || NA[j + 1].matched) return false;
    int i = NA[j].other;
    return i < oldmax && !OA[i + 1].matched && OA[i + 1].symbol == NA[j + 1].symbol;
}

void diff_matchforward() {
    for (int j = 1; j < newmax; j++) {
        if (canSpreadForward(j)) diff_matchup(NA[j].other + 1, j + 1);
    }
}

void diff_matchbackward() {
    for (int j = newmax + 1; j >= 2; j--) {
        if (!NA[j].matched || NA[j - 1].matched) continue;
        int i = NA[j].other;
        if (i > 1 && !OA[i - 1].matched && OA[i - 1].symbol == NA[j - 1].symbol)
            diff_matchup(i - 1, j - 1);
    }
}

// Pairs forward from the new line j as long as the neighbours agree; the last new line of
// the run.
int spreadFrom(int j) {
    while (canSpreadForward(j)) {
        diff_matchup(NA[j].other + 1, j + 1);
        j++;
    }
    return j;
}

int nextPairedAfter(int j) {
    int k = j + 1;
    while (k <= newmax && !NA[k].matched) k++;
    return k;
}


void diff_matchdupgood() {
    unpaired.build();
    int low = 0;
    int next = nextPairedAfter(0);
    int high = next <= newmax ? NA[next].other : 0;
    int j = 1;
    while (j <= newmax) {
        if (NA[j].matched) {
            while (j < newmax && NA[j + 1].matched) j++;
            low = NA[j].other;
            next = nextPairedAfter(j);
            if (next <= newmax) high = NA[next].other;
            j++;
            continue;
        }
        int sym = NA[j].symbol;
        DiffSymbol& s = ST[sym];
        if (s.oldCount == 0 || s.newCount == 0) {
            j++;
            continue;
        }
        int candidate = 0;
        if (high > low) {
            // The lowest unpaired line strictly inside the window.
            int above = unpaired.lowestAbove(sym, low);
            if (above && above < high) candidate = above;
        } else {
            // A crossed window: the line nearest a bound. Walking the list from its highest
            // line, the nearest above low comes first and wins a tie with the nearest below
            // high.
            int above = unpaired.lowestAbove(sym, low);
            int below = unpaired.highestBelow(sym, high);
            if (above && (!below || above - low <= high - below))
                candidate = above;
            else
                candidate = below;
        }
        if (!candidate) {
            j++;
            continue;
        }
        diff_matchup(candidate, j);
        int end = spreadFrom(j);
        low = NA[end].other;
        if (next <= end) {
            next = nextPairedAfter(end);
            if (next <= newmax) high = NA[next].other;
        }
        // The line that stopped the spread is not looked at again in this pass.
        j = end + 2;
    }
    unpaired.active = false;
}

void diff_matchdup() {
    int j = 1;
    while (j <= newmax) {
        DiffSymbol& s = ST[NA[j].symbol];
        if (NA[j].matched || s.oldCount == 0 || s.newCount == 0 || !s.oldLines) {
            j++;
            continue;
        }
        diff_matchup(s.oldTail->line, j);
        j = spreadFrom(j) + 2;
    }
}

void unpair(DiffLine* side, int k, DiffLine* otherSide) {
    int partner = side[k].other;
    side[k].matched = 0;
    side[k].other = side[k].symbol;
    otherSide[partner].matched = 0;
    otherSide[partner].other = otherSide[partner].symbol;
}

// Length of the run of lines from k on one side whose partners are consecutive.
int consecutiveRun(const DiffLine* side, int k, int max) {
    int len = 1;
    while (k + len <= max && side[k + len].matched &&
           side[k + len].other == side[k + len - 1].other + 1)
        len++;
    return len;
}

void diff_resolve(int* oldLine, int* newLine) {
    int i = *oldLine;
    int j = *newLine;
    int k1 = consecutiveRun(OA, i, oldmax);
    int k2 = consecutiveRun(NA, j, newmax);
    if (k1 >= k2) {
        for (int k = j; k < j + k2; k++) unpair(NA, k, OA);
        *newLine = j + k2;
    } else {
        for (int k = i; k < i + k1; k++) unpair(OA, k, NA);
        *oldLine = i + k1;
    }
}

void diff_findmoves() {
    int i = 1;
    int j = 1;
    while (i <= oldmax) {
        while (!OA[i].matched) i++;
        while (!NA[j].matched) j++;
        if (OA[i].other == j) {
            i++;
            j++;
            continue;
        }
        // Both sides stop at their sentinels, which pair with each other, so a crossing
        // is always between real lines.
        if (i > oldmax || j > newmax) break;
        diff_resolve(&i, &j);
    }
}

int diff_showdiffs(int fill, DiffScript* script) {
    int count = 0;
    char element[64];
    int j = 1;
    while (j <= newmax) {
        if (NA[j].matched) {
            int first = NA[j].other;
            int k = j;
            while (k < newmax && NA[k + 1].matched && NA[k + 1].other == NA[k].other + 1) k++;
            if (fill) {
                if (k == j)
                    snprintf(element, sizeof element, "m%d\n", first);
                else
                    snprintf(element, sizeof element, "m%d,%d\n", first, NA[k].other);
                script->push_back(element);
            }
            count++;
            j = k + 1;
        } else {
            int k = j;
            while (k < newmax && !NA[k + 1].matched) k++;
            if (fill) {
                snprintf(element, sizeof element, "a%d\n", k - j + 1);
                script->push_back(element);
                for (int m = j; m <= k; m++) script->push_back(ST[NA[m].symbol].text);
            }
            count += 1 + (k - j + 1);
            j = k + 1;
        }
    }
    return count;
}

void diffShowDiffs(int* count, DiffScript* script) {
    int n = diff_showdiffs(0, nullptr);
    script->clear();
    script->reserve(n);
    diff_showdiffs(1, script);
    *count = n;
}

DiffResult* diff_return() {
    DiffResult* r = new DiffResult{OA, NA, ST, Oblock, oldmax, newmax, maxsym, texts};
    texts = nullptr;
    ST = nullptr;
    OA = NA = nullptr;
    Oblock = nullptr;
    oldmax = newmax = maxsym = 0;
    return r;
}

} // namespace

const DiffFileAccess* diff_fileAccess = nullptr;
void (*diff_message)(const char* text) = stdoutMessage;

unsigned diff_hash(const char* text, int* size) {
    uint32_t h = 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    for (; *p; p++) {
        uint32_t t = h + *p;
        h = (t >> 23) + (t << 7);
    }
    if (size) *size = static_cast<int>(p - reinterpret_cast<const unsigned char*>(text)) + 1;
    return h & 0x3FFFFFFF;
}

int diff_tablesize(long totalLines) {
    if (totalLines >= sizeLadder[13]) return 0;
    for (long step : sizeLadder) {
        if (step > totalLines) return static_cast<int>(step);
    }
    return 0;
}

DiffResult* diffFiles(int oldKind, const void* oldSource, int oldCount, int newKind,
                      const void* newSource, int newCount, int wantScript, int* scriptCount,
                      DiffScript* script, int resolveMoves) {
    if (diffReadFiles(oldKind, oldSource, oldCount, newKind, newSource, newCount) < 0)
        return nullptr;
    diff_matchexact();
    diff_matchforward();
    diff_matchbackward();
    diff_matchdupgood();
    diff_matchdup();
    if (resolveMoves) diff_findmoves();
    if (wantScript) diffShowDiffs(scriptCount, script);
    return diff_return();
}

DiffResult* diff_qvc(const char* oldPath, int newCount, FILE* newStream, int* scriptCount,
                     DiffScript* script) {
    return diffFiles(DIFF_PATH, oldPath, 0, DIFF_STREAM, newStream, newCount, 1, scriptCount,
                     script, 0);
}

DiffResult* diff_qvc2(const char* oldPath, const char* newPath, int* scriptCount,
                      DiffScript* script) {
    return diffFiles(DIFF_PATH, oldPath, 0, DIFF_PATH, newPath, 0, 1, scriptCount, script, 0);
}

DiffResult* diff_mem(int oldCount, const char* const* oldLines, int newCount,
                     const char* const* newLines, int* scriptCount, DiffScript* script) {
    return diffFiles(DIFF_MEMORY, oldLines, oldCount, DIFF_MEMORY, newLines, newCount, 1,
                     scriptCount, script, 0);
}

DiffResult* diff_text(const char* oldPath, const char* newPath) {
    return diffFiles(DIFF_PATH, oldPath, 0, DIFF_PATH, newPath, 0, 0, nullptr, nullptr, 1);
}

void diff_free(DiffResult* r) {
    if (!r) return;
    freeTexts(r->texts);
    free(r->Oblock);
    free(r->NA);
    free(r->OA);
    free(r->ST);
    delete r;
}
