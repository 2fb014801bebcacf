// buffer/search.cc: searching a File forwards and backwards, line by line through its cache.
#include "buffer/search.h"

#include "buffer/file.h"
#include "buffer/search_pat.h"
#include "runtime/error.h"

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

// Lines that lie back to back in the temp file and in the cache are searched as one block for
// the pattern's literal run; only lines holding it are matched properly. This keeps plain
// searches near the speed of the bytes.
bool UseBlocks(const SearchPat& pat, const Line* l) {
    return !pat.lit.empty() && l->allocLen == lnInFile;
}

} // namespace

int SearchForw(File* file, const SearchPat& pat, SearchRun& run, Line* l, int64_t no, int col,
               FindResult& r) {
    for (; l; l = l->next, no++, col = 0) {
        if (col < 0 || col > l->len) continue; // a start outside the line matches nothing there
        if (UseBlocks(pat, l)) {
            FileLineText(file, l); // brings l and what follows into the cache
            int64_t cacheEnd = file->cacheBase + file->cacheLen;
            Line* e = l;
            while (Line* nx = e->next) {
                if (nx->allocLen != lnInFile || nx->offset != e->offset + e->len + 1 ||
                    nx->offset + nx->len > cacheEnd)
                    break;
                e = nx;
            }
            const char* hit = PatLitFind(pat, CacheText(file, l->offset + col),
                                         CacheText(file, e->offset + e->len));
            if (hit) {
                int64_t at = hit - file->cache + file->cacheBase;
                while (l->offset + l->len < at) {
                    if (!run.Work(l->len + 1)) return -1;
                    l = l->next, no++, col = 0;
                }
            } else {
                if (!run.Work(e->offset + e->len + 1 - l->offset)) return -1;
                for (; l != e; l = l->next) no++;
                continue;
            }
        }
        const char* text = FileLineText(file, l);
        int rc = PatMatchF(pat, &run, file, l, text, l->len, col, r.lineEnds, r.end);
        if (rc >= 0) {
            r.line = l;
            r.no = no;
            r.col = rc;
            return 1;
        }
        if (rc == -3 || !run.Work(l->len + 1)) return -1;
    }
    return 0;
}

namespace {

int FindBack(File* file, const SearchPat& pat, SearchRun& run, Line* l, int64_t no, int col,
             FindResult& r) {
    for (; l; l = l->prev, no--, col = l ? l->len : 0) {
        if (col < 0) continue;
        if (col > l->len) col = l->len;
        if (UseBlocks(pat, l)) {
            if (!InCache(file, l)) FileCache(file, l, 0, 1);
            Line* b = l;
            while (Line* pv = b->prev) {
                if (pv->allocLen != lnInFile || pv->offset + pv->len + 1 != b->offset ||
                    pv->offset < file->cacheBase)
                    break;
                b = pv;
            }
            // on the start line a plain match starts at or before col; anything else may hold
            // its literal run anywhere on the line
            int64_t to = l->offset + l->len;
            if (pat.mode == PM_PLAIN && !pat.hasLF && col + (int64_t)pat.lit.size() < l->len)
                to = l->offset + col + (int64_t)pat.lit.size();
            const char* hit = PatLitRFind(pat, CacheText(file, b->offset), CacheText(file, to));
            if (hit) {
                int64_t at = hit - file->cache + file->cacheBase;
                while (l->offset > at) {
                    if (!run.Work(l->len + 1)) return -1;
                    l = l->prev, no--;
                    col = l->len;
                }
            } else {
                if (!run.Work(l->offset + l->len + 1 - b->offset)) return -1;
                for (; l != b; l = l->prev) no--;
                continue;
            }
        }
        const char* text = LineTextBack(file, l);
        int rc = PatMatchB(pat, &run, file, l, text, l->len, col, r.lineEnds, r.end);
        if (rc >= 0) {
            r.line = l;
            r.no = no;
            r.col = rc;
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
