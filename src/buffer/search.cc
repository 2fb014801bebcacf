// buffer/search.cc: searching a File forwards and backwards, line by line through its cache.
#include "buffer/search.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <unistd.h>

#include "buffer/file.h"
#include "buffer/search_pat.h"
#include "runtime/error.h"
#include "toolkit/longwork.h"

namespace {

bool InCache(const File* file, const Line* l) {
    return file->cacheBase >= 0 && l->offset >= file->cacheBase &&
           l->offset + l->len <= file->cacheBase + file->cacheLen;
}
const char* CacheText(const File* file, int64_t offset) {
    return file->cache + (offset - file->cacheBase);
}

// The text of a line with the cache filled backward from it.
const char* LineTextBack(File* file, Line* l) {
    if (l->allocLen != lnInFile) return l->text;
    if (!InCache(file, l)) FileCache(file, l, 0, 1);
    return CacheText(file, l->offset);
}

// Lines that lie back to back in the temp file are searched as one block for the pattern's
// literal run; only lines holding it are matched properly. This keeps plain searches near the
// speed of the bytes.
bool UseBlocks(const SearchPat& pat, const Line* l) {
    return !pat.lit.empty() && l->allocLen == lnInFile;
}

// A window on the temp file for the blocks: far larger than the File's cache, so that a long
// search reads the temp file in few large reads and leaves the File's cache alone. Where it
// cannot be read the File's cache serves instead.
// Reads start small and double up to the largest window: a search that finds its match nearby
// reads little.
constexpr int64_t scanWindowFirst = 1 << 16;
constexpr int64_t scanWindowMax = 1 << 20;
struct ScanWindow {
    File* file;
    std::unique_ptr<char[]> buf;
    int64_t base = -1, len = 0;
    int64_t size = 0; // of buf
    bool usable = true;

    bool Holds(const Line* l) const {
        return base >= 0 && l->offset >= base && l->offset + l->len <= base + len;
    }
    // Reads a window of the temp file from start; the next one will be twice as large.
    void Read(int64_t start) {
        int64_t want = size ? std::min(size * 2, scanWindowMax) : scanWindowFirst;
        if (want != size) buf.reset(new char[(size_t)want]), size = want;
        base = -1, len = 0;
        int fd = file->tempName ? CacheOpen(file->tempName, 0) : -1;
        if (fd < 0) {
            usable = false;
            return;
        }
        int64_t got = 0;
        while (got < size) {
            ssize_t n = pread(fd, buf.get() + got, (size_t)(size - got), start + got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += n;
        }
        base = start, len = got;
    }
    // Makes sure l is in the File's cache or in this window; the text at a temp-file offset.
    // Null when neither can hold it (a line longer than the window).
    const char* Text(const Line* l, int64_t offset) const {
        if (InCache(file, l)) return CacheText(file, offset);
        return Holds(l) ? buf.get() + (offset - base) : nullptr;
    }
    int64_t End(const Line* l) const {
        return InCache(file, l) ? file->cacheBase + file->cacheLen : base + len;
    }
    int64_t Start(const Line* l) const { return InCache(file, l) ? file->cacheBase : base; }
    bool Forward(const Line* l) {
        if (InCache(file, l) || Holds(l)) return true;
        if (usable) Read(l->offset & ~(int64_t)4095);
        return Holds(l);
    }
    bool Backward(const Line* l) {
        if (InCache(file, l) || Holds(l)) return true;
        int64_t end = (l->offset + l->len + 4096) & ~(int64_t)4095;
        int64_t next = size ? std::min(size * 2, scanWindowMax) : scanWindowFirst;
        if (usable) Read(std::max<int64_t>(0, end - next));
        return Holds(l);
    }
};

} // namespace

int SearchForw(File* file, const SearchPat& pat, SearchRun& run, Line* l, int64_t no, int col,
               FindResult& r) {
    ScanWindow w{file, nullptr};
    while (l) {
        if (col >= 0 && col <= l->len && UseBlocks(pat, l) && w.Forward(l)) {
            // A block is at most a cache-full, so that the abort check keeps its rhythm.
            int64_t end = std::min(w.End(l), l->offset + run.checkEvery);
            if (l->offset + l->len <= end) {
                const char* base = w.Text(l, l->offset);
                const char* hit = PatLitFind(pat, base + col, base + (end - l->offset));
                int64_t stop = hit ? l->offset + (hit - base) : end;
                // The lines that end before the hit (or within what was searched) hold no
                // match: they are passed while they lie back to back in the temp file. Only
                // the lines up to the hit are walked, so that a search that finds its match
                // nearby (replacing every match) costs no more than the distance.
                int64_t passed = 0;
                bool together = true;
                while (together && (hit ? l->offset + l->len < stop : l->offset + l->len <= end)) {
                    passed += l->len + 1;
                    Line* nx = l->next;
                    together = nx && nx->allocLen == lnInFile && nx->offset == l->offset + l->len + 1;
                    l = nx, no++, col = 0;
                }
                if (!run.Work(passed)) return -1;
                if (!l) return 0;
                // Searched on from a line that is elsewhere, or that runs past the window.
                if (!hit || !together || l->offset + l->len > end) continue;
                int rc = PatMatchF(pat, &run, file, l, w.Text(l, l->offset), l->len, col,
                                   r.lineEnds, r.end);
                if (rc >= 0) {
                    r.line = l, r.no = no, r.col = rc;
                    return 1;
                }
                if (rc == -3 || !run.Work(l->len + 1)) return -1;
                l = l->next, no++, col = 0;
                continue;
            }
        }
        // a start outside the line matches nothing there
        if (col >= 0 && col <= l->len) {
            const char* text = FileLineText(file, l);
            int rc = PatMatchF(pat, &run, file, l, text, l->len, col, r.lineEnds, r.end);
            if (rc >= 0) {
                r.line = l, r.no = no, r.col = rc;
                return 1;
            }
            if (rc == -3 || !run.Work(l->len + 1)) return -1;
        }
        l = l->next, no++, col = 0;
    }
    return 0;
}

namespace {

int FindBack(File* file, const SearchPat& pat, SearchRun& run, Line* l, int64_t no, int col,
             FindResult& r) {
    ScanWindow w{file, nullptr};
    for (; l; l = l->prev, no--, col = l ? l->len : 0) {
        if (col < 0) continue;
        if (col > l->len) col = l->len;
        if (UseBlocks(pat, l) && w.Backward(l)) {
            int64_t start = std::max(w.Start(l), l->offset + l->len - run.checkEvery);
            Line* b = l;
            int64_t bNo = no;
            while (Line* pv = b->prev) {
                if (pv->allocLen != lnInFile || pv->offset + pv->len + 1 != b->offset ||
                    pv->offset < start)
                    break;
                b = pv, bNo--;
            }
            // on the start line a plain match starts at or before col; anything else may hold
            // its literal run anywhere on the line
            int64_t to = l->offset + l->len;
            if (pat.mode == PM_PLAIN && !pat.hasLF && col + (int64_t)pat.lit.size() < l->len)
                to = l->offset + col + (int64_t)pat.lit.size();
            const char* from = w.Text(l, b->offset);
            const char* hit = PatLitRFind(pat, from, from + (to - b->offset));
            if (!hit) {
                if (!run.Work(l->offset + l->len + 1 - b->offset)) return -1;
                l = b, no = bNo;
                continue;
            }
            int64_t at = b->offset + (hit - from);
            while (l->offset > at) {
                if (!run.Work(l->len + 1)) return -1;
                l = l->prev, no--;
                col = l->len;
            }
            const char* text = w.Text(l, l->offset);
            int rc = PatMatchB(pat, &run, file, l, text, l->len, col, r.lineEnds, r.end);
            if (rc >= 0) {
                r.line = l, r.no = no, r.col = rc;
                return 1;
            }
            if (rc == -3 || !run.Work(l->len + 1)) return -1;
            continue;
        }
        const char* text = LineTextBack(file, l);
        int rc = PatMatchB(pat, &run, file, l, text, l->len, col, r.lineEnds, r.end);
        if (rc >= 0) {
            r.line = l, r.no = no, r.col = rc;
            return 1;
        }
        if (rc == -3 || !run.Work(l->len + 1)) return -1;
    }
    return 0;
}

} // namespace

bool SearchCompileReport(SearchPat& pat, const char* pattern, int patLen, int flags) {
    if (SearchPatCompile(pat, pattern, patLen, flags)) return true;
    QuorlError(ERR_FAILURE, "%s", pat.error.c_str());
    return false;
}

Line* FilexFind(File* file, Line* hint, int64_t hintNo, int64_t& line, int& col, int64_t& endLine,
                int& endCol, int direction, int fromEdge, const char* pattern, int patLen,
                int flags) {
    SearchPat pat;
    if (!SearchCompileReport(pat, pattern, patLen, flags)) return FindErrorLine();
    if (!file || !file->first || pat.patLen == 0) return nullptr;
    // A search through a big File keeps the windows drawn and stops on Escape.
    WLongWork work("Searching");
    SearchRun run;
    run.file = file;
    run.checkEvery = file->cacheAlloc > 0 ? file->cacheAlloc : 32768;
    FindResult r;
    int rc;
    if (direction > 0) {
        int64_t no = fromEdge ? 1 : line;
        int c = fromEdge ? 0 : col;
        Line* l;
        if (no > file->nLines) {
            l = file->last, no = file->nLines;
            c = l->len;
        } else {
            l = FileLine(file, no, hint, hintNo);
            if (no < 1) no = 1;
        }
        rc = SearchForw(file, pat, run, l, no, c, r);
    } else {
        int64_t no = fromEdge ? file->nLines : line;
        Line* l;
        int c;
        if (fromEdge || no > file->nLines) {
            l = file->last, no = file->nLines;
            c = l->len;
        } else {
            l = FileLine(file, no, hint, hintNo);
            if (no < 1) no = 1;
            // from a cursor, step back so that a match ending at it is not found again
            c = col - pat.patLen + 1;
        }
        rc = FindBack(file, pat, run, l, no, c, r);
    }
    if (rc < 0) return FindErrorLine();
    if (rc == 0) return nullptr;
    // the next search usually starts here: have it in the File's cache
    if (direction > 0)
        FileLineText(file, r.line);
    else
        LineTextBack(file, r.line);
    line = r.no;
    col = r.col;
    endLine = r.no + r.lineEnds;
    endCol = r.lineEnds ? r.end : r.col + r.end;
    return r.line;
}

int FileFind(File* file, Line* hint, int64_t hintNo, int64_t& line, int& col, int64_t& endLine,
             int& endCol, int direction, int fromEdge, const char* pattern, int patLen,
             int flags) {
    Line* l = FilexFind(file, hint, hintNo, line, col, endLine, endCol, direction, fromEdge,
                        pattern, patLen, flags);
    if (l == FindErrorLine()) return -1;
    return l ? 1 : 0;
}

int FMatchesHere(File* file, Line* line, int col, const char* pattern, int patLen, int& lineEnds,
                 int& end, int flags) {
    SearchPat pat;
    if (!SearchCompileReport(pat, pattern, patLen, flags)) return -2;
    if (!line) return -1;
    const char* text = FileLineText(file, line);
    return PatMatchF(pat, nullptr, file, line, text, line->len, col, lineEnds, end);
}

int BMatchesHere(File* file, Line* line, int col, const char* pattern, int patLen, int& lineEnds,
                 int& end, int flags) {
    SearchPat pat;
    if (!SearchCompileReport(pat, pattern, patLen, flags)) return -2;
    if (!line) return -1;
    const char* text = LineTextBack(file, line);
    return PatMatchB(pat, nullptr, file, line, text, line->len, col, lineEnds, end);
}
