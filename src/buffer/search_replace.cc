// buffer/search_replace.cc: replacing every match of a pattern as one undoable change.
#include <algorithm>
#include <cstdint>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/notify.h"
#include "buffer/search.h"
#include "buffer/search_pat.h"
#include "toolkit/longwork.h"

namespace {

// Where text inserted at (line, col) ends; CR LF and a lone CR end lines as LF does.
void EndOfInserted(const char* text, int len, int64_t& line, int& col) {
    int after = 0;
    int64_t ends = 0;
    for (int i = 0; i < len; i++) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < len && text[i + 1] == '\n') i++;
            ends++;
            after = 0;
        } else {
            after++;
        }
    }
    if (ends) {
        line += ends;
        col = after;
    } else {
        col += len;
    }
}

} // namespace

int FileReplaceAll(File* file, int64_t& line, int& col, const char* pattern, int patLen,
                   const char* replacement, int repLen, int flags, int64_t& firstLine) {
    return FileReplaceRange(file, 1, 0, INT64_MAX, 0, line, col, pattern, patLen, replacement,
                            repLen, flags, firstLine);
}

int FileReplaceRange(File* file, int64_t fromLine, int fromCol, int64_t toLine, int toCol,
                     int64_t& line, int& col, const char* pattern, int patLen,
                     const char* replacement, int repLen, int flags, int64_t& firstLine) {
    SearchPat pat;
    if (!SearchCompileReport(pat, pattern, patLen, flags)) return -1;
    if (!file || !file->first || pat.patLen == 0) return 0;
    if (!replacement || repLen < 0) repLen = 0;
    WLongWork work("Replacing");
    SearchRun run;
    run.file = file;
    run.checkEvery = file->cacheAlloc > 0 ? file->cacheAlloc : 32768;
    int replaced = 0;
    int rc = 0;
    {
        FileViewsHold hold(file);
        UndoGroup group(file, 0);
        if (fromLine < 1) fromLine = 1, fromCol = 0;
        if (fromLine > file->nLines) return 0;
        int64_t no = fromLine;
        Line* l = FileLine(file, no, nullptr, 0);
        int c = std::clamp(fromCol, 0, l->len);
        while (l) {
            FindResult r;
            rc = SearchForw(file, pat, run, l, no, c, r);
            if (rc <= 0) break;
            int64_t endNo = r.no + r.lineEnds;
            int endCol = r.lineEnds ? r.end : r.col + r.end;
            if (r.no > toLine || (r.no == toLine && r.col >= toCol)) break;
            if (endNo > toLine || (endNo == toLine && endCol > toCol)) {
                // Runs past the end of the range: a shorter match may start further on.
                l = r.line, no = r.no, c = r.col;
                if (c < l->len) {
                    c++;
                } else {
                    l = l->next, no++, c = 0;
                }
                continue;
            }
            bool empty = r.lineEnds == 0 && r.end == 0;
            // A line end matched after the last line is not in the File: the match stops at
            // the File's end, and nothing after it can match again.
            bool pastEnd = endNo > file->nLines;
            if (pastEnd) {
                endNo = file->nLines;
                endCol = FileLine(file, endNo, r.line, r.no)->len;
            }
            // Closed before and after, so that no replacement merges with typing.
            FileCloseUndo(file);
            FileChange(file, r.line, r.no, r.no, r.col, endNo, endCol, replacement, repLen, 0);
            FileCloseUndo(file);
            if (firstLine < 0 || r.no < firstLine) firstLine = r.no;
            if (!replaced) group.lS = r.no, group.cS = r.col;
            replaced++;
            // Go on after the inserted text; the match's own Line record is still its line.
            int64_t at = r.no;
            int atCol = r.col;
            EndOfInserted(replacement, repLen, at, atCol);
            // The end of the range moves with the text after the replaced match.
            if (toLine != INT64_MAX) {
                if (toLine == endNo) toCol = atCol + (toCol - endCol);
                toLine += at - endNo;
            }
            line = at;
            col = atCol;
            group.lE = at, group.cE = atCol;
            if (pastEnd || at > file->nLines) break;
            l = FileLine(file, at, r.line, r.no);
            no = at;
            c = atCol;
            if (empty) {
                // an empty match would be found again at the same place
                if (c < l->len) {
                    c++;
                } else {
                    l = l->next, no++, c = 0;
                }
            }
        }
    }
    if (rc < 0) return -1;
    return replaced ? 1 : 0;
}
