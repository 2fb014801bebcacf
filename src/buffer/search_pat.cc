// buffer/search_pat.cc: compiling search patterns and matching them in a line.
#include "buffer/search_pat.h"

#include <algorithm>
#include <cstring>
#include <memory>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "buffer/file.h"
#include "buffer/search.h"
#include "toolkit/longwork.h"

bool SearchRun::Work(int64_t amount) {
    if (aborted) return false;
    scanned += amount;
    if (scanned > checkEvery) {
        scanned %= checkEvery;
        if (WLongWorkAborted()) aborted = true;
    }
    return !aborted;
}

// ---- bytes ----

namespace {

struct ByteTables {
    unsigned char fold[256]; // ASCII letters to lower case
    bool word[256];
    ByteTables() {
        for (int c = 0; c < 256; c++) {
            fold[c] = (unsigned char)(c >= 'A' && c <= 'Z' ? c + 32 : c);
            word[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_';
        }
    }
};
const ByteTables bytes;

inline unsigned char Fold(unsigned char c) { return bytes.fold[c]; }
inline bool SameByte(unsigned char a, unsigned char b, bool fold) {
    return a == b || (fold && Fold(a) == Fold(b));
}
bool SameBytes(const char* a, const char* b, size_t n, bool fold) {
    if (!fold) return memcmp(a, b, n) == 0;
    for (size_t i = 0; i < n; i++)
        if (Fold((unsigned char)a[i]) != Fold((unsigned char)b[i])) return false;
    return true;
}

} // namespace

bool SearchIsWordByte(unsigned char c) { return bytes.word[c]; }

// ---- literal runs ----

#ifdef __SSE2__
// Candidates are the places where both the first and the last byte of the run match, sixteen
// places at a time; each is then compared whole. Case-blind, a letter is compared with the
// block's bytes OR 0x20, which lets a few non-letters through to the full comparison.
static const char* LitFindSse2(const SearchPat& pat, const char* from, const char* to) {
    size_t m = pat.lit.size();
    const unsigned char* p = (const unsigned char*)pat.lit.data(); // folded when case-blind
    auto probe = [&](unsigned char c, __m128i& want, __m128i& orMask) {
        bool letter = pat.fold && c >= 'a' && c <= 'z';
        want = _mm_set1_epi8((char)c);
        orMask = _mm_set1_epi8(letter ? 0x20 : 0);
    };
    __m128i firstWant, firstOr, lastWant, lastOr;
    probe(p[0], firstWant, firstOr);
    probe(p[m - 1], lastWant, lastOr);
    const char* h = from;
    const char* lastStart = to - m; // the last place a match can start
    for (; h + 16 <= lastStart + 1; h += 16) {
        __m128i a = _mm_loadu_si128((const __m128i*)h);
        __m128i b = _mm_loadu_si128((const __m128i*)(h + m - 1));
        __m128i eqA = _mm_cmpeq_epi8(_mm_or_si128(a, firstOr), firstWant);
        __m128i eqB = _mm_cmpeq_epi8(_mm_or_si128(b, lastOr), lastWant);
        unsigned mask = (unsigned)_mm_movemask_epi8(_mm_and_si128(eqA, eqB));
        while (mask) {
            int i = __builtin_ctz(mask);
            if (SameBytes(h + i, pat.lit.data(), m, pat.fold)) return h + i;
            mask &= mask - 1;
        }
    }
    for (; h <= lastStart; h++)
        if (SameBytes(h, pat.lit.data(), m, pat.fold)) return h;
    return nullptr;
}
#endif

const char* PatLitFind(const SearchPat& pat, const char* from, const char* to) {
    size_t m = pat.lit.size();
    if (m == 0 || to - from < (ptrdiff_t)m) return nullptr;
    size_t n = (size_t)(to - from);
    unsigned char c0 = (unsigned char)pat.lit[0];
    bool letter0 = pat.fold && c0 >= 'a' && c0 <= 'z';
    if (m == 1 && !letter0) return (const char*)memchr(from, c0, n);
#ifdef __SSE2__
    return LitFindSse2(pat, from, to);
#else
    if (!pat.fold) return (const char*)memmem(from, n, pat.lit.data(), m);
    for (const char* h = from; h + m <= to; h++)
        if (SameBytes(h, pat.lit.data(), m, true)) return h;
    return nullptr;
#endif
}

const char* PatLitRFind(const SearchPat& pat, const char* from, const char* to) {
    size_t m = pat.lit.size();
    if (m == 0 || to - from < (ptrdiff_t)m) return nullptr;
    size_t n = (size_t)(to - from);
    const unsigned char* p = (const unsigned char*)pat.lit.data();
    size_t shift[256];
    for (size_t& s : shift) s = m;
    for (size_t i = m - 1; i > 0; i--) shift[p[i]] = i;
    const unsigned char* h = (const unsigned char*)from;
    bool fold = pat.fold;
    for (size_t pos = n - m;;) {
        unsigned char first = fold ? Fold(h[pos]) : h[pos];
        if (first == p[0]) {
            size_t i = 1;
            while (i < m && (fold ? Fold(h[pos + i]) : h[pos + i]) == p[i]) i++;
            if (i >= m) return from + pos;
        }
        size_t s = shift[first];
        if (pos < s) break;
        pos -= s;
    }
    return nullptr;
}

// ---- compiling ----

namespace {

constexpr int rxMaxNesting = 256;

struct RxParser {
    SearchPat& pat;
    const unsigned char* s;
    int n;
    int i;
    bool Fail(const char* what) {
        pat.error = std::string("Badly formed regular expression: ") + what;
        return false;
    }
    bool ParseSet(RxNode& node) {
        ByteSet members{};
        bool negate = false;
        i++; // '['
        if (i < n && s[i] == '^') negate = true, i++;
        if (i >= n) return Fail("No ']'");
        bool first = true;
        while (i < n && (first || s[i] != ']')) {
            unsigned char lo = s[i++];
            unsigned char hi = lo;
            if (i + 1 < n && s[i] == '-' && s[i + 1] != ']') {
                hi = s[i + 1];
                i += 2;
            }
            for (int c = lo; c <= hi; c++) members[c] = true;
            first = false;
        }
        if (i >= n) return Fail("No ']'");
        i++; // ']'
        if (pat.fold)
            for (int c = 'a'; c <= 'z'; c++)
                if (members[c] || members[c - 32]) members[c] = members[c - 32] = true;
        if (negate)
            for (bool& b : members) b = !b;
        node.kind = RX_SET;
        node.index = (int)pat.sets.size();
        pat.sets.push_back(members);
        return true;
    }
    // Parses alternatives into group g until ')' (nested) or the end (top level).
    bool ParseGroup(int g, int depth) {
        if (depth > rxMaxNesting) return Fail("Groups nested too deeply");
        pat.groups[g].alts.emplace_back();
        while (i < n) {
            unsigned char c = s[i];
            RxNode node{RX_CHAR, false, 0, 0};
            if (c == ')') {
                if (depth == 0) return Fail("No '('");
                return true;
            }
            if (c == '|') {
                pat.groups[g].alts.emplace_back();
                i++;
                continue;
            }
            std::vector<RxNode>& seq = pat.groups[g].alts.back().nodes;
            if (c == '*' && !seq.empty() && !seq.back().star) {
                seq.back().star = true;
                i++;
                continue;
            }
            if (c == '(') {
                int inner = (int)pat.groups.size();
                pat.groups.emplace_back();
                i++;
                if (!ParseGroup(inner, depth + 1)) return false;
                if (i >= n) return Fail("No ')'");
                i++; // ')'
                node.kind = RX_GROUP;
                node.index = inner;
            } else if (c == '[') {
                if (!ParseSet(node)) return false;
            } else if (c == '.') {
                node.kind = RX_ANY;
                i++;
            } else {
                if (c == '\\' && i + 1 < n) c = s[++i];
                i++;
                if (c == '\n') {
                    node.kind = RX_EOL;
                } else {
                    node.ch = pat.fold ? Fold(c) : c;
                }
            }
            pat.groups[g].alts.back().nodes.push_back(node);
        }
        return true;
    }
};

// Whether position i of s is preceded by an odd run of backslashes (from `from` on).
bool Escaped(const char* s, int from, int i) {
    int k = 0;
    while (i - 1 - k >= from && s[i - 1 - k] == '\\') k++;
    return k % 2 == 1;
}

// Adds to out the bytes a match of alternative `a` from node i can start with; returns
// whether it can be empty from there.
bool FirstOfAlt(const SearchPat& pat, const RxAlt& a, size_t i, ByteSet& out, bool& any);
bool FirstOfGroup(const SearchPat& pat, int g, ByteSet& out, bool& any) {
    bool empty = false;
    for (const RxAlt& a : pat.groups[g].alts)
        if (FirstOfAlt(pat, a, 0, out, any)) empty = true;
    return empty;
}
bool FirstOfAlt(const SearchPat& pat, const RxAlt& a, size_t i, ByteSet& out, bool& any) {
    for (; i < a.nodes.size(); i++) {
        const RxNode& nd = a.nodes[i];
        bool canBeEmpty = nd.star;
        switch (nd.kind) {
        case RX_CHAR:
            out[nd.ch] = true;
            if (pat.fold && nd.ch >= 'a' && nd.ch <= 'z') out[nd.ch - 32] = true;
            break;
        case RX_SET:
            for (int c = 0; c < 256; c++)
                if (pat.sets[nd.index][c]) out[c] = true;
            break;
        case RX_ANY:
        case RX_EOL: // a match that starts at the line end is only tried on empty lines
            any = true;
            break;
        case RX_GROUP:
            if (FirstOfGroup(pat, nd.index, out, any)) canBeEmpty = true;
            break;
        }
        if (!canBeEmpty) return false;
    }
    return true;
}

// The longest run of plain bytes that every match holds on its first line.
void FindRequiredRun(SearchPat& pat) {
    if (pat.groups[0].alts.size() != 1) return;
    std::string run, best;
    for (const RxNode& nd : pat.groups[0].alts[0].nodes) {
        if (nd.kind == RX_CHAR && !nd.star) {
            run += (char)nd.ch;
            continue;
        }
        if (run.size() > best.size()) best = run;
        run.clear();
        // what follows a line end, also one inside a group, is on a later line
        if (nd.kind == RX_EOL || (nd.kind == RX_GROUP && pat.hasLF)) break;
    }
    if (run.size() > best.size()) best = run;
    pat.lit = best;
}

// Groups with this many alternatives get an index of their leading literal bytes.
constexpr size_t rxIndexedAlts = 8;

void IndexAlternatives(RxGroup& g) {
    auto index = std::make_unique<RxAltIndex>();
    index->nodes.emplace_back();
    for (size_t k = 0; k < g.alts.size(); k++) {
        int at = 0;
        for (const RxNode& nd : g.alts[k].nodes) {
            if (nd.kind != RX_CHAR || nd.star) break;
            uint32_t edge = (uint32_t)at << 8 | nd.ch;
            auto it = index->children.find(edge);
            if (it == index->children.end()) {
                it = index->children.emplace(edge, (int)index->nodes.size()).first;
                index->nodes.emplace_back();
            }
            at = it->second;
        }
        index->nodes[(size_t)at].alts.push_back((int)k);
    }
    g.index = std::move(index);
}

bool CompileRegex(SearchPat& pat, const char* p, int n) {
    int from = 0, to = n;
    if (n > 0 && p[0] == '<') {
        pat.flags |= SF_WORDSTART;
        from = 1;
    } else if (n > 0 && p[0] == '^') {
        pat.flags |= SF_COL0;
        from = 1;
    }
    if (to > from && p[to - 1] == '>' && !Escaped(p, from, to - 1)) {
        pat.flags |= SF_WORDEND;
        to--;
    } else if (to > from && p[to - 1] == '$' && !Escaped(p, from, to - 1)) {
        pat.flags |= SF_EOL;
        to--;
    }
    pat.groups.emplace_back();
    RxParser parser{pat, (const unsigned char*)p + from, to - from, 0};
    if (!parser.ParseGroup(0, 0)) return false;
    pat.hasLF = memchr(p + from, '\n', (size_t)(to - from)) != nullptr;
    pat.anyFirst = false;
    pat.firstBytes.fill(false);
    if (FirstOfGroup(pat, 0, pat.firstBytes, pat.anyFirst)) pat.anyFirst = true;
    int states = 0;
    for (RxGroup& g : pat.groups)
        for (RxAlt& a : g.alts) {
            a.base = states;
            states += (int)a.nodes.size() + 1;
            ByteSet first{};
            bool any = false;
            if (FirstOfAlt(pat, a, 0, first, any)) any = true;
            a.anyFirst = any;
            for (int c = 0; c < 256; c++) a.first[(size_t)c] = first[(size_t)c];
        }
    pat.rxStates = states;
    for (RxGroup& g : pat.groups)
        if (g.alts.size() >= rxIndexedAlts) IndexAlternatives(g);
    FindRequiredRun(pat);
    return true;
}

} // namespace

bool SearchPatCompile(SearchPat& pat, const char* pattern, int patLen, int flags) {
    pat = SearchPat{};
    if (patLen < 0) patLen = 0;
    std::string_view p(pattern ? pattern : "", pattern ? (size_t)patLen : 0);
    // Patterns without special characters take the fast plain path.
    if ((flags & SF_REGEX) && p.find_first_of("\\.$^[*(|") == std::string_view::npos)
        flags &= ~SF_REGEX;
    if ((flags & SF_WILD) && p.find_first_of("*?") == std::string_view::npos) flags &= ~SF_WILD;
    pat.flags = flags;
    pat.fold = !(flags & SF_EXACT);
    pat.patLen = (int)p.size();
    if (flags & SF_REGEX) {
        pat.mode = PM_REGEX;
        return CompileRegex(pat, p.data(), (int)p.size());
    }
    pat.mode = flags & SF_WILD ? PM_WILD : PM_PLAIN;
    pat.text.assign(p);
    pat.hasLF = p.find('\n') != std::string_view::npos;
    std::string_view firstPart = p.substr(0, p.find('\n'));
    if (pat.mode == PM_PLAIN) {
        pat.lit.assign(firstPart);
        if (pat.hasLF) {
            size_t start = 0;
            for (;;) {
                size_t lf = p.find('\n', start);
                pat.parts.emplace_back(p.substr(start, lf == std::string_view::npos ? lf : lf - start));
                if (lf == std::string_view::npos) break;
                start = lf + 1;
            }
        }
    } else {
        size_t k = 0;
        for (;;) {
            size_t star = p.find('*', k);
            pat.wildSegs.emplace_back(p.substr(k, star == std::string_view::npos ? star : star - k));
            if (star == std::string_view::npos) break;
            k = star + 1;
        }
        pat.wildTrailingStar = p.back() == '*';
        // the longest run without wildcards before the first line end
        k = 0;
        while (k < firstPart.size()) {
            size_t e = firstPart.find_first_of("*?", k);
            if (e == std::string_view::npos) e = firstPart.size();
            if (e - k > pat.lit.size()) pat.lit.assign(firstPart.substr(k, e - k));
            k = e + 1;
        }
    }
    if (pat.fold)
        for (char& c : pat.lit) c = (char)Fold((unsigned char)c);
    return true;
}

// ---- the lines a match runs over ----

namespace {

// Line 0 is the line the match starts in; further lines are fetched as the match crosses line
// ends. Fetching may refill the File's cache, so every text is copied once a match crosses.
// Nothing is allocated until then: most lines never need it.
struct MatchLines {
    struct Ln {
        const char* text;
        int len;
        bool hasEnd; // the line has a line end after it
        Line* line;
    };
    File* file;
    Ln first;
    std::vector<Ln> more;
    std::vector<std::unique_ptr<std::string>> owned;
    MatchLines(File* f, Line* l, const char* t, int n) : file(f), first{t, n, true, l} {}
    const Ln& At(int k) const { return k == 0 ? first : more[(size_t)k - 1]; }
    const char* Keep(const char* text, int len) {
        owned.push_back(std::make_unique<std::string>(text, (size_t)len));
        return owned.back()->data();
    }
    // Line k of the match, or null when the match cannot continue there. After the File's
    // last line comes an empty line without a line end.
    const Ln* Get(int k) {
        while ((int)more.size() < k) {
            const Ln& prev = At((int)more.size());
            if (!prev.hasEnd) return nullptr;
            if (owned.empty()) first.text = Keep(first.text, first.len);
            Line* next = prev.line ? prev.line->next : nullptr;
            if (!next) {
                more.push_back(Ln{"", 0, false, nullptr});
            } else {
                const char* text = Keep(FileLineText(file, next), next->len);
                more.push_back(Ln{text, next->len, true, next});
            }
        }
        return &At(k);
    }
};

struct Pos {
    int line;
    int col;
};

// ---- the backtracking matcher ----

// Finished matcher states, so that a state reached again (from another resume point or another
// start column) costs one look-up: this bounds the work per line by the states times the
// columns, where plain backtracking multiplies the resume points of every star. A state's
// result does not depend on the resume points kept below it, except that it overflows when
// they and the ones it needs itself exceed the limit, so `need` is kept with it.
// Direct-mapped: a slot taken by another state is simply overwritten.
struct RxMemo {
    struct Slot {
        uint64_t key = ~uint64_t(0);
        Pos end{0, 0};
        int need = 0;
        bool ok = false;
    };
    static constexpr int bits = 16;
    std::vector<Slot> slots;
    Slot& At(uint64_t key) {
        if (slots.empty()) slots.resize(size_t(1) << bits);
        return slots[(key * 0x9E3779B97F4A7C15ull) >> (64 - bits)];
    }
};

// The memo starts once a line has cost this many steps: most attempts end long before.
constexpr long rxMemoAfter = 1L << 13;

struct RxMatcher {
    const SearchPat& pat;
    MatchLines& ml;
    SearchRun* run;
    std::vector<Pos> points; // resume points kept by the attempt
    long steps = 0;          // in this attempt
    long lineSteps = 0;      // in every attempt in this line
    size_t peak = 0;         // the most resume points the running state has needed
    bool overflow = false;
    bool aborted = false;
    RxMemo memo;

    RxMatcher(const SearchPat& p, MatchLines& m, SearchRun* r) : pat(p), ml(m), run(r) {}

    // One attempt from p: the first match's end, or false.
    bool Attempt(Pos p, Pos& end) {
        points.clear();
        steps = 0;
        peak = 0;
        overflow = false;
        return Atom(RxNode{RX_GROUP, false, 0, 0}, p, end);
    }

    bool Atom(const RxNode& nd, Pos p, Pos& next) {
        if (++steps > rxMaxSteps) {
            overflow = true;
            return false;
        }
        if ((++lineSteps & 4095) == 0 && run && !run->Work(4096)) aborted = overflow = true;
        if (aborted) return false;
        const MatchLines::Ln& l = ml.At(p.line);
        switch (nd.kind) {
        case RX_CHAR:
            if (p.col >= l.len || !SameByte((unsigned char)l.text[p.col], nd.ch, pat.fold))
                return false;
            break;
        case RX_ANY:
            if (p.col >= l.len) return false;
            break;
        case RX_SET:
            if (p.col >= l.len || !pat.sets[nd.index][(unsigned char)l.text[p.col]]) return false;
            break;
        case RX_EOL:
            if (p.col != l.len || !ml.Get(p.line + 1)) return false;
            next = Pos{p.line + 1, 0};
            return true;
        case RX_GROUP: {
            // The first alternative that matches is taken for good: nothing inside a matched
            // group is ever tried again, so its resume points are dropped. An alternative that
            // cannot start with the byte here is not tried at all.
            size_t kept = points.size();
            const RxGroup& g = pat.groups[nd.index];
            if (g.index) return IndexedGroup(g, p, next);
            bool atEnd = p.col >= l.len;
            unsigned char here = atEnd ? 0 : (unsigned char)l.text[p.col];
            for (const RxAlt& a : g.alts) {
                if (!a.anyFirst && (atEnd || !a.first[here])) continue;
                if (Seq(a, 0, p, next)) {
                    points.resize(kept);
                    return true;
                }
                if (overflow) return false;
            }
            return false;
        }
        }
        next = Pos{p.line, p.col + 1};
        return true;
    }

    // A large group: only the alternatives whose leading literal bytes are at p, in their
    // order.
    bool IndexedGroup(const RxGroup& g, Pos p, Pos& next) {
        const RxAltIndex& index = *g.index;
        const MatchLines::Ln& l = ml.At(p.line);
        std::vector<int> tryAlts = index.nodes[0].alts;
        int at = 0;
        for (int c = p.col; c < l.len; c++) {
            unsigned char b = (unsigned char)l.text[c];
            auto it = index.children.find((uint32_t)at << 8 | (pat.fold ? Fold(b) : b));
            if (it == index.children.end()) break;
            at = it->second;
            const std::vector<int>& here = index.nodes[(size_t)at].alts;
            tryAlts.insert(tryAlts.end(), here.begin(), here.end());
        }
        std::sort(tryAlts.begin(), tryAlts.end());
        size_t kept = points.size();
        for (int k : tryAlts) {
            if (Seq(g.alts[(size_t)k], 0, p, next)) {
                points.resize(kept);
                return true;
            }
            if (overflow) return false;
        }
        return false;
    }

    // The rest of alternative a from node i at p, through the memo once the line is costly.
    bool Seq(const RxAlt& a, size_t i, Pos p, Pos& end) {
        uint64_t state = (uint64_t)a.base + i;
        if (lineSteps < rxMemoAfter || state >= (1u << 21) || p.line >= (1 << 11))
            return SeqRun(a, i, p, end);
        uint64_t key = state << 43 | (uint64_t)p.line << 32 | (uint32_t)p.col;
        RxMemo::Slot& slot = memo.At(key);
        if (slot.key == key) {
            size_t need = points.size() + (size_t)slot.need;
            if (need > (size_t)rxMaxResumePoints) {
                overflow = true;
                return false;
            }
            peak = std::max(peak, need);
            if (slot.ok) end = slot.end;
            return slot.ok;
        }
        size_t depth = points.size(), outerPeak = peak;
        peak = depth;
        bool ok = SeqRun(a, i, p, end);
        int need = (int)(peak - depth);
        peak = std::max(outerPeak, peak);
        if (!overflow) slot = RxMemo::Slot{key, ok ? end : Pos{0, 0}, need, ok};
        return ok;
    }

    bool SeqRun(const RxAlt& a, size_t i, Pos p, Pos& end) {
        for (; i < a.nodes.size(); i++) {
            const RxNode& nd = a.nodes[i];
            Pos next;
            if (!nd.star) {
                if (!Atom(nd, p, next)) return false;
                p = next;
                continue;
            }
            // Greedy: one resume point per repetition. Zero repetitions only when the first
            // one fails.
            size_t base = points.size();
            Pos at = p;
            while (Atom(nd, at, next)) {
                if (next.line == at.line && next.col == at.col) break; // an empty group
                peak = std::max(peak, points.size() + 1);
                if ((int)points.size() >= rxMaxResumePoints) overflow = true;
                if (overflow) {
                    points.resize(base);
                    return false;
                }
                points.push_back(next);
                at = next;
            }
            if (overflow) return false;
            if (points.size() == base) continue;
            while (points.size() > base) {
                if (Seq(a, i + 1, points.back(), end)) return true;
                if (overflow) return false;
                points.pop_back();
            }
            return false;
        }
        end = p;
        return true;
    }
};

// Wildcard matching. At a start column the text must match the part before the first '*';
// each later part is then taken at its leftmost place on the line the '*' is on, and never
// moved again (moving it right could only leave less room for the parts after it). The
// leftmost place at or after a column is remembered per part: the start columns of one line
// ask it for columns that only grow (forward) or only shrink (backward), so each column of the
// line is tried once per part, not once per start column.
struct WildScan {
    const SearchPat& pat;
    MatchLines& ml;
    SearchRun* run;
    struct Known {
        int line = -1;
        int lo = 0;  // no place in [lo, hit) ...
        int hit = 0; // ...and one at hit; -1: none from lo to the line end
    };
    std::vector<Known> known;
    long work = 0;
    bool aborted = false;

    WildScan(const SearchPat& p, MatchLines& m, SearchRun* r)
        : pat(p), ml(m), run(r), known(p.wildSegs.size()) {}

    bool Tick() {
        if ((++work & 4095) == 0 && run && !run->Work(4096)) aborted = true;
        return !aborted;
    }

    // Whether part `seg` matches at p ('?' any byte of the line, LF a line end); its end.
    bool PartAt(const std::string& seg, Pos p, Pos& end) {
        for (unsigned char pc : seg) {
            const MatchLines::Ln& l = ml.At(p.line);
            if (pc == '\n') {
                if (p.col != l.len || !ml.Get(p.line + 1)) return false;
                p = Pos{p.line + 1, 0};
            } else {
                if (p.col >= l.len) return false;
                if (pc != '?' && !SameByte((unsigned char)l.text[p.col], pc, pat.fold)) return false;
                p.col++;
            }
        }
        end = p;
        return true;
    }

    // The leftmost column from col to the line's end where part s matches: -1 none.
    int Leftmost(size_t s, int line, int col) {
        Known& k = known[s];
        const std::string& seg = pat.wildSegs[s];
        Pos e;
        if (k.line == line && col >= k.lo && (k.hit < 0 || col <= k.hit)) return k.hit;
        if (k.line == line && col < k.lo) {
            for (int q = k.lo - 1; q >= col && Tick(); q--)
                if (PartAt(seg, Pos{line, q}, e)) k.hit = q;
            k.lo = col;
            return k.hit;
        }
        k = Known{line, col, -1};
        int len = ml.At(line).len;
        for (int q = col; q <= len && Tick(); q++)
            if (PartAt(seg, Pos{line, q}, e)) {
                k.hit = q;
                break;
            }
        return k.hit;
    }

    bool At(int c, Pos& end) {
        Pos p{0, c};
        const std::vector<std::string>& segs = pat.wildSegs;
        if (!PartAt(segs[0], p, p)) return false;
        for (size_t s = 1; s < segs.size(); s++) {
            if (s + 1 == segs.size() && pat.wildTrailingStar) {
                end = Pos{p.line, ml.At(p.line).len};
                return true;
            }
            int q = Leftmost(s, p.line, p.col);
            if (q < 0 || aborted) return false;
            PartAt(segs[s], Pos{p.line, q}, p);
        }
        end = p;
        return true;
    }
};

bool PlainAt(const SearchPat& pat, MatchLines& ml, Pos p, Pos& end) {
    const MatchLines::Ln& l = ml.At(p.line);
    size_t n = pat.text.size();
    if ((size_t)(l.len - p.col) < n || !SameBytes(l.text + p.col, pat.text.data(), n, pat.fold))
        return false;
    end = Pos{p.line, p.col + (int)n};
    return true;
}

// A plain pattern holding line ends can only start where its first piece ends its line.
bool PlainLinesAt(const SearchPat& pat, MatchLines& ml, int col, Pos& end) {
    const MatchLines::Ln& l0 = ml.At(0);
    const std::string& first = pat.parts[0];
    if (col != l0.len - (int)first.size() || col < 0) return false;
    if (!SameBytes(l0.text + col, first.data(), first.size(), pat.fold)) return false;
    size_t k;
    for (k = 1; k < pat.parts.size(); k++) {
        const MatchLines::Ln* l = ml.Get((int)k);
        if (!l) return false;
        const std::string& part = pat.parts[k];
        bool last = k + 1 == pat.parts.size();
        if (last ? l->len < (int)part.size() : l->len != (int)part.size()) return false;
        if (!SameBytes(l->text, part.data(), part.size(), pat.fold)) return false;
    }
    end = Pos{(int)k - 1, (int)pat.parts.back().size()};
    return true;
}

// Matching at the start columns of one line: the lines a match runs over, and the matchers'
// knowledge gathered at earlier columns.
struct LineMatch {
    const SearchPat& pat;
    MatchLines ml;
    RxMatcher rx;
    WildScan wild;
    LineMatch(const SearchPat& p, SearchRun* run, File* file, Line* line, const char* text, int len)
        : pat(p), ml(file, line, text, len), rx(p, ml, run), wild(p, ml, run) {}
    bool Aborted() const { return rx.aborted || wild.aborted; }

    // One attempt at column c: start conditions, the pattern, end conditions.
    bool TryAt(int c, Pos& end) {
        const MatchLines::Ln& l0 = ml.At(0);
        if ((pat.flags & SF_COL0) && c != 0) return false;
        if ((pat.flags & SF_WORDSTART) && c > 0 && SearchIsWordByte((unsigned char)l0.text[c - 1]))
            return false;
        bool ok;
        Pos start{0, c};
        switch (pat.mode) {
        case PM_PLAIN:
            ok = pat.hasLF ? PlainLinesAt(pat, ml, c, end) : PlainAt(pat, ml, start, end);
            break;
        case PM_WILD:
            ok = wild.At(c, end);
            break;
        default:
            if (!pat.anyFirst && (c >= l0.len || !pat.firstBytes[(unsigned char)l0.text[c]]))
                return false;
            ok = rx.Attempt(start, end);
            break;
        }
        if (!ok) return false;
        const MatchLines::Ln& le = ml.At(end.line);
        if ((pat.flags & SF_EOL) && end.col != le.len) return false;
        if ((pat.flags & SF_WORDEND) && end.col < le.len &&
            SearchIsWordByte((unsigned char)le.text[end.col]))
            return false;
        return true;
    }
};

int Found(int c, const Pos& end, int& lineEnds, int& endOut) {
    lineEnds = end.line;
    endOut = end.line ? end.col : end.col - c;
    return c;
}

// The last column a match may start at; an empty line is tried at column 0.
int LastStart(const SearchPat& pat, int len) {
    if (pat.mode == PM_PLAIN)
        return len - (int)(pat.hasLF ? pat.parts[0].size() : pat.text.size());
    return len > 0 ? len - 1 : 0;
}
// Whether finding the literal run alone decides the match.
bool LiteralDecides(const SearchPat& pat) {
    return pat.mode == PM_PLAIN && !pat.hasLF &&
           !(pat.flags & (SF_WORDSTART | SF_WORDEND | SF_COL0 | SF_EOL));
}

} // namespace

int PatMatchF(const SearchPat& pat, SearchRun* run, File* file, Line* line, const char* text,
              int len, int col, int& lineEnds, int& end) {
    if (col < 0 || col > len || pat.patLen == 0) return -1;
    int last = LastStart(pat, len);
    if (pat.flags & SF_COL0) last = std::min(last, 0); // only column 0 can start a match
    if (col > last) return -1;
    if (!pat.lit.empty()) {
        // every match holds the literal run on its first line
        const char* hit = PatLitFind(pat, text + col, text + len);
        if (!hit) return -1;
        int at = (int)(hit - text);
        if (LiteralDecides(pat)) return Found(at, Pos{0, at + (int)pat.lit.size()}, lineEnds, end);
        if (pat.mode == PM_PLAIN) col = at; // there the literal is the match's start
    }
    if (pat.mode == PM_PLAIN && pat.hasLF) col = last; // the one column that can start it
    LineMatch lm(pat, run, file, line, text, len);
    Pos e;
    for (int c = col; c <= last; c++) {
        if (run && (c & 4095) == 4095 && !run->Work(4096)) return -3;
        if (lm.TryAt(c, e)) return Found(c, e, lineEnds, end);
        if (lm.Aborted()) return -3;
    }
    return -1;
}

int PatMatchB(const SearchPat& pat, SearchRun* run, File* file, Line* line, const char* text,
              int len, int col, int& lineEnds, int& end) {
    if (col < 0 || pat.patLen == 0) return -1;
    int last = LastStart(pat, len);
    if (col > last) col = last;
    if ((pat.flags & SF_COL0) && col > 0) col = 0;
    if (col < 0) return -1;
    int lowest = 0;
    if (pat.mode == PM_PLAIN && pat.hasLF) {
        if (col != last) return -1;
        lowest = col;
    }
    if (!pat.lit.empty()) {
        // A plain match starting at or before col is its literal; any other match holds it
        // somewhere on this line.
        const char* to = pat.mode == PM_PLAIN ? text + std::min(len, col + (int)pat.lit.size())
                                              : text + len;
        const char* hit = PatLitRFind(pat, text, to);
        if (!hit) return -1;
        int at = (int)(hit - text);
        if (LiteralDecides(pat)) return Found(at, Pos{0, at + (int)pat.lit.size()}, lineEnds, end);
        if (pat.mode == PM_PLAIN && !pat.hasLF) col = at;
    }
    LineMatch lm(pat, run, file, line, text, len);
    Pos e;
    for (int c = col; c >= lowest; c--) {
        if (run && (c & 4095) == 4095 && !run->Work(4096)) return -3;
        if (lm.TryAt(c, e)) return Found(c, e, lineEnds, end);
        if (lm.Aborted()) return -3;
    }
    return -1;
}
