// diff/merge.cc: cursors walking line pairings in step (see merge.h).
#include "diff/merge.h"

#include <algorithm>
#include <cstring>

namespace {

// Lines n1 of file 1 and n2 of file 2 are paired with each other.
bool inStep(const DiffResult* r, int n1, int n2) {
    return r->OA[n1].matched && r->OA[n1].other == n2 && r->NA[n2].matched;
}

// Base line b is paired with line n of the file on r's new side.
bool baseInStep(const DiffResult* r, int b, int n) {
    return r->OA[b].matched && r->OA[b].other == n;
}

} // namespace

int FindDiff2(DiffCursor* c1, DiffCursor* c2, const DiffResult* r, int stopAtEnd) {
    int n1 = c1->number, n2 = c2->number;
    while (n1 <= c1->lines && n2 <= c2->lines && inStep(r, n1, n2)) {
        n1++;
        n2++;
    }
    if (stopAtEnd && n1 > c1->lines && n2 > c2->lines) return -1;
    c1->number = n1;
    c2->number = n2;
    return n1 <= c1->lines || n2 <= c2->lines;
}

int FindEndOfDiff2(DiffCursor* c1, DiffCursor* c2, const DiffResult* r) {
    if (c1->ended() || c2->ended()) {
        c1->count = c1->remaining();
        c2->count = c2->remaining();
    } else {
        int i = c1->number;
        while (i <= c1->lines && !r->OA[i].matched) i++;
        if (i <= c1->lines) {
            c1->count = i - c1->number;
            c2->count = std::max(0, r->OA[i].other - c2->number);
        } else {
            c1->count = c1->remaining();
            c2->count = c2->remaining();
        }
    }
    return c1->count > 0 || c2->count > 0;
}

int FindPreviousDiff2(DiffCursor* c1, DiffCursor* c2, const DiffResult* r) {
    int n1 = std::min(c1->number, c1->lines + 1), n2 = std::min(c2->number, c2->lines + 1);
    while (n1 > 1 && n2 > 1 && inStep(r, n1 - 1, n2 - 1)) {
        n1--;
        n2--;
    }
    if (n1 <= 1 && n2 <= 1) return 0;
    int i = n1 - 1;
    while (i >= 1 && !r->OA[i].matched) i--;
    if (i >= 1) {
        c1->number = i + 1;
        c2->number = r->OA[i].other + 1;
    } else {
        c1->number = 1;
        c2->number = 1;
    }
    return 1;
}

int FindDiff3(DiffCursor* c1, DiffCursor* c2, DiffCursor* cb, const DiffResult* r1,
              const DiffResult* r2) {
    int n1 = c1->number, n2 = c2->number, b = cb->number;
    while (b <= cb->lines && n1 <= c1->lines && n2 <= c2->lines && baseInStep(r1, b, n1) &&
           baseInStep(r2, b, n2)) {
        b++;
        n1++;
        n2++;
    }
    c1->number = n1;
    c2->number = n2;
    cb->number = b;
    return !c1->ended() || !c2->ended() || !cb->ended();
}

int FindEndOfDiff3(DiffCursor* c1, DiffCursor* c2, DiffCursor* cb, const DiffResult* r1,
                   const DiffResult* r2) {
    auto rest = [&] {
        c1->count = c1->remaining();
        c2->count = c2->remaining();
        cb->count = cb->remaining();
    };
    if (c1->ended() || c2->ended() || cb->ended()) {
        rest();
    } else {
        int b = cb->number;
        while (b <= cb->lines && !(r1->OA[b].matched && r2->OA[b].matched)) b++;
        if (b <= cb->lines) {
            cb->count = b - cb->number;
            c1->count = std::max(0, r1->OA[b].other - c1->number);
            c2->count = std::max(0, r2->OA[b].other - c2->number);
        } else {
            rest();
        }
    }
    return c1->count > 0 || c2->count > 0 || cb->count > 0;
}

int DiffIdentical(const DiffResult* r) {
    if (r->oldmax != r->newmax) return 0;
    for (int i = 1; i <= r->oldmax; i++)
        if (!inStep(r, i, i)) return 0;
    return 1;
}

bool DiffSameLines(const DiffResult* r1, int n1, const DiffResult* r2, int n2, int count) {
    for (int k = 0; k < count; k++) {
        const DiffSymbol& a = r1->ST[r1->NA[n1 + k].symbol];
        const DiffSymbol& b = r2->ST[r2->NA[n2 + k].symbol];
        if (a.hash != b.hash || a.len != b.len || memcmp(a.text, b.text, (size_t)a.len) != 0)
            return false;
    }
    return true;
}

int DiffAutoChoice3(const DiffCursor& c1, const DiffCursor& c2, const DiffCursor& cb,
                    const DiffResult* r1, const DiffResult* r2) {
    // A file's block is unchanged from the base when it is as long and every base line of the
    // block is paired with it.
    auto unchanged = [&](const DiffCursor& c, const DiffResult* r) {
        if (c.count != cb.count) return false;
        for (int k = 0; k < cb.count; k++)
            if (!baseInStep(r, cb.number + k, c.number + k)) return false;
        return true;
    };
    if (unchanged(c1, r1)) return 2;
    if (unchanged(c2, r2)) return 1;
    if (c1.count == c2.count && DiffSameLines(r1, c1.number, r2, c2.number, c1.count)) return 1;
    return 0;
}

ChangeMarks DiffChangeMarks(const char* resultName, const char* user, const char* date24) {
    const char* base = resultName ? strrchr(resultName, '/') : nullptr;
    base = base ? base + 1 : resultName ? resultName : "";
    const char* dot = strrchr(base, '.');
    std::string suffix = dot ? dot + 1 : "";
    std::string start = "|", end;
    if (suffix == "cxx" || suffix == "cc" || suffix[0] == 'C') {
        start = "// ";
    } else if (suffix[0] == 'c' || suffix[0] == 'h') {
        start = "/* ";
        end = " */";
    } else if (suffix[0] == 'f' || suffix[0] == 'F') {
        start = "C";
    } else if (suffix[0] == 'p') {
        start = "{";
        end = "}";
    } else if (suffix[0] == 's') {
        start = ";";
    }
    ChangeMarks m;
    m.header = start + (user ? user : "") + ": " + std::string(date24 ? date24 : "").substr(0, 24) +
               end;
    m.separator = start + "End NEW CODE" + end + " " + start + "OLD CODE" + end;
    m.end = start + "End OLD CODE" + end;
    m.prefix2 = start;
    return m;
}
