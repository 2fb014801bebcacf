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
int oldmax = 0;
int newmax = 0;
int maxsym = 0; // symbols entered so far

// The line reading buffer lives for the whole run.
char* diffbuf = nullptr;
long diff_bufsize = 0;

const long sizeLadder[] = {1039,   3301,   6091,    9679,    13451,   19069,   33577,
                           65535,  131071, 262143,  524287,  1048575, 2097151, 16777215};
constexpr long maxLines = 16777215; // no comparison holds this many lines

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

// Memory for the big arrays. Fresh memory costs more to touch than to compute with here, so
// large arrays are sized for the most they could need (untouched pages cost nothing) and put
// on huge pages where the system has them. Freed with free.
void* bigAlloc(size_t bytes) {
    constexpr size_t huge = 2u << 20;
    if (bytes < huge) return malloc(bytes ? bytes : 1);
    size_t rounded = (bytes + huge - 1) / huge * huge;
    void* p = aligned_alloc(huge, rounded);
    if (p) madvise(p, rounded, MADV_HUGEPAGE);
    return p;
}

// The symbols' copied texts, allocated from large blocks and freed together.
struct TextBlock {
    TextBlock* next;
    size_t used, size;
    char data[1];
};

// A compared file's bytes: mapped when the system lets us, else read into memory.
struct FileBytes {
    const char* data = nullptr;
    size_t size = 0;
    void* map = nullptr;
    std::unique_ptr<char[]> copy;
    bool hasNul = false; // a NUL ends a line's text, as it ends a C string read line by line
    ~FileBytes() {
        if (map) munmap(map, size);
    }
};

// Everything a result's texts live in.
struct Storage {
    TextBlock* texts = nullptr;
    std::unique_ptr<FileBytes> files[2];
    ~Storage() {
        for (TextBlock* b = texts; b;) {
            TextBlock* next = b->next;
            free(b);
            b = next;
        }
    }
};
Storage* storage = nullptr;

char* textAlloc(size_t n) {
    TextBlock*& texts = storage->texts;
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

// The table from texts to symbols: open addressing over a power of two of 8-byte slots, each
// the symbol number + 1 (0: empty) and 32 more bits of the text's hash, so that a probe
// rarely needs to look at a symbol that is not the line's own.
uint64_t* table = nullptr;
uint32_t tableMask = 0;
int symbolCapacity = 0;

void freeTables() {
    delete storage;
    storage = nullptr;
    free(table);
    table = nullptr;
    free(NA);
    free(OA);
    free(ST);
    ST = nullptr;
    OA = NA = nullptr;
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

// A 64-bit hash of a line's text, a word at a time.
inline uint64_t lineHash(const char* p, size_t len) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ len;
    const char* end = p + len;
    for (; end - p >= 8; p += 8) {
        uint64_t w;
        memcpy(&w, p, 8);
        h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    if (p < end) {
        uint64_t w = 0;
        if (len >= 8) {
            // The last word overlaps the one before; shift out the bytes already hashed.
            memcpy(&w, end - 8, 8);
            w >>= 8 * (8 - (end - p));
        } else {
            for (int k = 0; p + k < end; k++) w |= uint64_t(static_cast<unsigned char>(p[k])) << (8 * k);
        }
        h = (h ^ w) * 0x94D049BB133111EBull;
    }
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    h ^= h >> 29;
    return h;
}

bool growTable() {
    uint32_t size = tableMask ? (tableMask + 1) * 2 : 4096;
    auto* bigger = static_cast<uint64_t*>(bigAlloc(sizeof(uint64_t) * size));
    if (!bigger) return false;
    memset(bigger, 0, sizeof(uint64_t) * size);
    uint32_t mask = size - 1;
    for (int k = 0; k < maxsym; k++) {
        // The symbol's hash field holds the bits its slot is chosen by.
        uint32_t slot = static_cast<uint32_t>(ST[k].hash) & mask;
        while (bigger[slot]) slot = (slot + 1) & mask;
        bigger[slot] = (static_cast<uint64_t>(ST[k].tag) << 32) | static_cast<uint32_t>(k + 1);
    }
    free(table);
    table = bigger;
    tableMask = mask;
    return true;
}

// The symbol of a text, entered when new (copied unless the text stays where it is); -1 when
// memory ran out or no more symbols fit.
int storeText(const char* text, size_t len, uint64_t h, bool stable) {
    uint32_t key = static_cast<uint32_t>(h >> 34); // 30 bits: the symbol's hash and its slot
    uint32_t tag = static_cast<uint32_t>(h);
    for (uint32_t slot = key & tableMask;; slot = (slot + 1) & tableMask) {
        uint64_t v = table[slot];
        if (!v) break;
        if (static_cast<uint32_t>(v >> 32) == tag) {
            int k = static_cast<int>(static_cast<uint32_t>(v)) - 1;
            const DiffSymbol& s = ST[k];
            if (static_cast<size_t>(s.len) == len && memcmp(s.text, text, len) == 0) return k;
        }
    }
    if (maxsym >= symbolCapacity) return -1;
    if (static_cast<uint64_t>(maxsym + 1) * 2 > static_cast<uint64_t>(tableMask) + 1 && !growTable())
        return -1;
    uint32_t slot = key & tableMask;
    while (table[slot]) slot = (slot + 1) & tableMask;
    int k = maxsym++;
    table[slot] = (static_cast<uint64_t>(tag) << 32) | static_cast<uint32_t>(k + 1);
    DiffSymbol& s = ST[k];
    s = DiffSymbol{};
    s.hash = static_cast<int>(key);
    s.tag = tag;
    s.len = static_cast<int>(len);
    if (stable) {
        s.text = text;
    } else {
        char* copy = textAlloc(len + 1);
        if (!copy) return -1;
        memcpy(copy, text, len);
        copy[len] = 0;
        s.text = copy;
    }
    return k;
}

// Enters the lines of one side into the symbol table as next(&text, &len) yields them, until
// it says there are no more or `limit` lines were read; the number of lines, or -1. A stable
// text stays where it is for the result's life; any other is valid only until the next call.
template <typename Next>
int storeLines(int limit, DiffLine* lines, int isOld, bool stable, Next next) {
    auto enter = [&](int i, const char* text, size_t len, uint64_t hash) {
        int symbol = storeText(text, len, hash, stable);
        if (symbol < 0) return false;
        DiffSymbol& s = ST[symbol];
        if (isOld) {
            s.oldCount++;
            s.oldLine = i;
        } else {
            s.newCount++;
        }
        lines[i] = DiffLine{0, 0, symbol};
        return true;
    };
    // The table is larger than the caches: the slot of a line a few lines ahead is fetched
    // while this one is entered. Texts that do not stay put are copied into the ring.
    constexpr int ahead = 8;
    struct Pending {
        const char* text;
        size_t len;
        uint64_t hash;
        std::string own;
    } ring[ahead];
    int have = 0; // lines prepared
    auto prepare = [&] {
        if (have >= limit) return;
        Pending& p = ring[have % ahead];
        if (!next(&p.text, &p.len)) {
            limit = have;
            return;
        }
        if (!stable) {
            p.own.assign(p.text, p.len);
            p.text = p.own.data();
        }
        p.hash = lineHash(p.text, p.len);
        __builtin_prefetch(&table[static_cast<uint32_t>(p.hash >> 34) & tableMask]);
        have++;
    };
    for (int k = 0; k < ahead; k++) prepare();
    int i = 0;
    while (i < have) {
        Pending& p = ring[i % ahead];
        i++;
        if (!enter(i, p.text, p.len, p.hash)) return -1;
        prepare();
    }
    lines[i + 1].matched = 1;
    return i;
}

// Maps (or reads) a named file; false when it cannot be read (reported as the line-by-line
// reader reports it).
bool loadPath(const char* path, FileBytes& out) {
    FILE* f = gen_fopenregular(path);
    if (!f) {
        diffMsg("Error opening file - %s\n", path);
        return false;
    }
    struct stat st;
    if (fstat(fileno(f), &st) == 0 && st.st_size > 0) {
        void* map = mmap(nullptr, (size_t)st.st_size, PROT_READ, MAP_PRIVATE | MAP_POPULATE,
                         fileno(f), 0);
        if (map != MAP_FAILED) {
            out.map = map;
            out.data = static_cast<const char*>(map);
            out.size = (size_t)st.st_size;
        }
    }
    if (!out.map) {
        size_t have = 0;
        size_t size = st.st_size > 0 ? (size_t)st.st_size + 1 : 65536;
        out.copy.reset(new char[size]);
        for (size_t n; (n = fread(out.copy.get() + have, 1, size - have, f)) > 0;) {
            have += n;
            if (have == size) {
                // The file grew while being read: read on into a larger buffer.
                std::unique_ptr<char[]> bigger(new char[size * 2]);
                memcpy(bigger.get(), out.copy.get(), have);
                out.copy = std::move(bigger);
                size *= 2;
            }
        }
        out.data = out.copy.get();
        out.size = have;
    }
    fclose(f);
    out.hasNul = out.size && memchr(out.data, 0, out.size);
    return true;
}

// The most lines a side can have: a known count, or one per byte of a file.
long sideCapacity(int kind, const void* source, int count, const FileBytes* bytes) {
    if (kind == DIFF_PATH) return std::min<long>((long)bytes->size, maxLines);
    if (kind == DIFF_FILE) return diff_fileAccess ? diff_fileAccess->lineCount(source) : -1;
    if (kind == DIFF_MEMORY || kind == DIFF_STREAM) return count;
    diffMsg("Error - unknown file type %i\n", kind);
    return -1;
}

int diffReadOneFile(int kind, const void* source, int count, const FileBytes* bytes,
                    DiffLine* lines, int isOld) {
    if (kind == DIFF_PATH) {
        const char* at = bytes->data;
        const char* end = at + bytes->size;
        bool nul = bytes->hasNul;
        return storeLines(count, lines, isOld, true, [&](const char** text, size_t* len) {
            if (at >= end) return false;
            const char* lf = static_cast<const char*>(memchr(at, '\n', (size_t)(end - at)));
            const char* next = lf ? lf + 1 : end;
            *text = at;
            *len = nul ? strnlen(at, (size_t)(next - at)) : (size_t)(next - at);
            at = next;
            return true;
        });
    }
    if (kind == DIFF_MEMORY) {
        auto text = static_cast<const char* const*>(source);
        int i = 0;
        return storeLines(count, lines, isOld, false, [&](const char** t, size_t* len) {
            *t = text[i] ? text[i] : "";
            *len = strlen(*t);
            i++;
            return true;
        });
    }
    int i = 0;
    FILE* f = const_cast<FILE*>(static_cast<const FILE*>(source));
    // A side that yields fewer lines than announced reads the rest as empty lines.
    return storeLines(count, lines, isOld, false, [&](const char** t, size_t* len) {
        if (kind == DIFF_FILE) {
            // A NUL ends the text here too, as it would in a copy read as a C string.
            *t = diff_fileAccess->lineView(source, ++i, len);
            if (!*t) {
                *t = "";
                *len = 0;
            } else if (const void* nul = memchr(*t, 0, *len)) {
                *len = (size_t)(static_cast<const char*>(nul) - *t);
            }
            return true;
        }
        const char* text = diff_fgets(f);
        *t = text ? text : "";
        *len = strlen(*t);
        return true;
    });
}

int diffReadFiles(int oldKind, const void* oldSource, int oldCount, int newKind,
                  const void* newSource, int newCount) {
    storage = new Storage;
    FileBytes* bytes[2] = {nullptr, nullptr};
    int kinds[2] = {oldKind, newKind};
    const void* sources[2] = {oldSource, newSource};
    for (int side = 0; side < 2; side++) {
        if (kinds[side] != DIFF_PATH) continue;
        storage->files[side].reset(new FileBytes);
        bytes[side] = storage->files[side].get();
        if (!loadPath(static_cast<const char*>(sources[side]), *bytes[side])) {
            freeTables();
            return -1;
        }
    }
    long oldCap = sideCapacity(oldKind, oldSource, oldCount, bytes[0]);
    if (oldCap < 0) {
        freeTables();
        return -1;
    }
    long newCap = sideCapacity(newKind, newSource, newCount, bytes[1]);
    if (newCap < 0) {
        freeTables();
        return -1;
    }
    // Counts known beforehand are refused before anything is read.
    if ((oldKind != DIFF_PATH && newKind != DIFF_PATH && oldCap + newCap >= maxLines) ||
        (oldKind != DIFF_PATH && oldCap >= maxLines) || (newKind != DIFF_PATH && newCap >= maxLines)) {
        freeTables();
        diff_message("Out of memory in diff.\n");
        return -1;
    }
    symbolCapacity = (int)std::min<long>(oldCap + newCap + 1, maxLines);
    ST = static_cast<DiffSymbol*>(bigAlloc(sizeof(DiffSymbol) * symbolCapacity));
    OA = static_cast<DiffLine*>(bigAlloc(sizeof(DiffLine) * (oldCap + 2)));
    NA = static_cast<DiffLine*>(bigAlloc(sizeof(DiffLine) * (newCap + 2)));
    if (!ST || !OA || !NA || !growTable()) {
        freeTables();
        diff_message("Out of memory in diff.\n");
        return -1;
    }
    OA[0] = NA[0] = DiffLine{0, 0, 0};
    int o = diffReadOneFile(oldKind, oldSource, (int)oldCap, bytes[0], OA, 1);
    int n = o < 0 ? -1 : diffReadOneFile(newKind, newSource, (int)newCap, bytes[1], NA, 0);
    if (o < 0 || n < 0 || (long)o + n >= maxLines) {
        freeTables();
        diff_message("Out of memory in diff.\n");
        return -1;
    }
    oldmax = o;
    newmax = n;
    OA[oldmax + 1] = DiffLine{1, newmax + 1, newmax + 1};
    NA[newmax + 1] = DiffLine{1, oldmax + 1, oldmax + 1};
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
    // Keeps the texts of the new lines still unpaired that have unpaired old lines too; as
    // pairing only removes lines, no other text needs them later.
    void build() {
        lines.clear();
        groupOf.clear();
        groupLast.clear();
        for (int j = 1; j <= newmax; j++) {
            if (NA[j].matched) continue;
            int sym = NA[j].symbol;
            const DiffSymbol& s = ST[sym];
            if (s.oldCount == 0 || s.newCount == 0) continue;
            if (groupOf.empty()) {
                groupOf.assign(maxsym, -1);
                groupLast.assign(maxsym, -1);
            }
            if (groupOf[sym] >= 0) continue;
            groupOf[sym] = int(lines.size());
            groupLast[sym] = int(lines.size()); // the fill point until the lines are in
            lines.push_back(INT_MIN);
            lines.resize(lines.size() + s.oldCount);
            lines.push_back(INT_MAX);
        }
        if (!groupOf.empty())
            for (int i = 1; i <= oldmax; i++) {
                if (OA[i].matched) continue;
                int g = groupOf[OA[i].symbol];
                if (g >= 0) lines[++groupLast[OA[i].symbol]] = i;
            }
        after.resize(lines.size());
        before.resize(lines.size());
        for (size_t i = 0; i < lines.size(); i++) after[i] = before[i] = int(i);
        active = true;
    }
    void end() {
        active = false;
        lines.clear();
        after.clear();
        before.clear();
        groupOf.clear();
        groupLast.clear();
    }
    void remove(int line) {
        if (!active || groupOf.empty()) return;
        int sym = OA[line].symbol;
        if (groupOf[sym] < 0) return;
        int first, last;
        range(sym, &first, &last);
        int slot = int(std::lower_bound(lines.begin() + first, lines.begin() + last + 1, line) -
                       lines.begin());
        after[slot] = slot + 1;
        before[slot] = slot - 1;
    }
    // Slot range [first, last] of a symbol's lines, sentinels excluded.
    void range(int sym, int* first, int* last) {
        *first = groupOf[sym] + 1;
        *last = groupLast[sym];
    }
    int lowestAbove(int sym, int x) {
        if (groupOf.empty() || groupOf[sym] < 0) return 0;
        int first, last;
        range(sym, &first, &last);
        int slot = int(std::upper_bound(lines.begin() + first, lines.begin() + last + 1, x) -
                       lines.begin());
        int found = find(after, slot);
        return lines[found] == INT_MAX ? 0 : lines[found];
    }
    int highestBelow(int sym, int x) {
        if (groupOf.empty() || groupOf[sym] < 0) return 0;
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
    unpaired.remove(oldLine);
}

void diff_matchexact() {
    for (int j = 1; j <= newmax; j++) {
        DiffSymbol& s = ST[NA[j].symbol];
        // The one old line with the text is the last one read with it.
        if (s.oldCount == 1 && s.newCount == 1) diff_matchup(s.oldLine, j);
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
}

void diff_matchdup() {
    int j = 1;
    while (j <= newmax) {
        DiffSymbol& s = ST[NA[j].symbol];
        int lowest = NA[j].matched || s.oldCount == 0 || s.newCount == 0
                         ? 0
                         : unpaired.lowestAbove(NA[j].symbol, 0);
        if (!lowest) {
            j++;
            continue;
        }
        diff_matchup(lowest, j);
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
                for (int m = j; m <= k; m++) {
                    const DiffSymbol& s = ST[NA[m].symbol];
                    script->emplace_back(s.text, (size_t)s.len);
                }
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
    DiffResult* r = new DiffResult{OA, NA, ST, oldmax, newmax, maxsym, storage};
    storage = nullptr;
    free(table);
    table = nullptr;
    tableMask = 0;
    ST = nullptr;
    OA = NA = nullptr;
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
    unpaired.end();
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
    delete static_cast<Storage*>(r->storage);
    free(r->NA);
    free(r->OA);
    free(r->ST);
    delete r;
}
