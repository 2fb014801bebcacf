// buffer/autoindent.cc: FileAutoIndent: finds where the indenter may start reading, feeds it
// the lines above the region and re-indents each line of the region to the column it asks.
#include "buffer/autoindent.h"

#include <algorithm>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/notify.h"
#include "buffer/synhook.h"
#include "buffer/undo.h"
#include "config/options.h"
#include "config/switches.h"
#include "indent/aindent.h"

namespace {

// The checkpoint is taken this many lines above the region, so that typing down a function
// finds it a few lines up.
constexpr int64_t kCheckpointDistance = 15;
// The colouring state of a line that starts inside a block comment and nothing else.
constexpr uint32_t kInsideComment = 1u << 31;

int engineLanguage(const File* file) {
    switch (FileLanguageId(file)) {
    case LANG_C: return AI_LANG_C;
    case LANG_CPP: return AI_LANG_CPP;
    case LANG_JAVA: return AI_LANG_JAVA;
    case LANG_ADA: return AI_LANG_ADA;
    default: return -1;
    }
}

// What a saved parser depends on besides the lines above it.
int settingsKey(int language, int indentSize) {
    return (((language * 101 + indentSize) * 101 + tabsize) * 2 + aIndent_touchComments) * 2 +
           aIndent_switchInTwo;
}

struct Feeder {
    File* file;
    int indentSize;
    int tabSize;
    int parse(AIndentEngine* engine, Line* line, int64_t n) {
        return AIndent_ParseLine(engine, FileLineText(file, line), line->len, indentSize, tabSize, n);
    }
};

// Restores an option for the length of one call.
struct IntRestore {
    int& slot;
    int saved;
    explicit IntRestore(int& s) : slot(s), saved(s) {}
    ~IntRestore() { slot = saved; }
};

} // namespace

bool FileCanAutoIndent(const File* file) {
    return file && engineLanguage(file) >= 0;
}

void FileDropAutoIndentCheckpoint(File* file) {
    file->aiCheckpointLine = -1;
    AIndent_Delete(file->aiCheckpoint);
    file->aiCheckpoint = nullptr;
}

int FileAutoIndent(File* file, Line* hint, int64_t hintNo, int64_t lS, int cS, int64_t lE, int cE,
                   int flags) {
    return FilexAutoIndent(file, hint, hintNo, lS, cS, lE, cE, flags, 0);
}

int FilexAutoIndent(File* file, Line* hint, int64_t hintNo, int64_t lS, int cS, int64_t lE,
                    int cE, int flags, int undoMode) {
    int language = engineLanguage(file);
    if (language < 0 || debugFlag[XSW_NOAUTOINDENT]) return 0;
    if (lE < lS || (lE == lS && cE < cS)) {
        std::swap(lS, lE);
        std::swap(cS, cE);
    }
    if (cE == 0 && lE > lS) lE--;
    if (lS < 1) lS = 1;
    if (lE < lS) lE = lS;
    bool region = lE > lS;
    IntRestore touch(aIndent_touchComments);
    if (flags & AI_COMMENTS_GIVEN)
        aIndent_touchComments = (flags & AI_TOUCH_COMMENTS) ? 1 : 0;
    else if (region)
        aIndent_touchComments = 1;
    bool ada = language == AI_LANG_ADA;
    int indentSize = ada ? file->adaIndentSize : file->indentSize;
    IntRestore continuation(aIndent_indentForContinuation);
    if (ada) aIndent_indentForContinuation = file->adaContinuationSize;
    Feeder feed{file, std::max(1, indentSize), tabsize > 0 ? tabsize : 8};
    int key = settingsKey(language, feed.indentSize);

    if (undoMode == 0) {
        UndoFreeList(file->redo);
        file->redo = nullptr;
    }

    // Where to start reading: a line that really begins, not inside a comment, or the
    // checkpoint, whichever comes first walking up.
    bool useStates = colorsyntax && file->language;
    int64_t start = std::min<int64_t>(lS - 1, file->nLines);
    Line* line = start >= 1 ? FileLine(file, start, hint, hintNo) : nullptr;
    bool fromCheckpoint = false;
    if (file->aiCheckpoint && AIndent_Language(file->aiCheckpoint) != language)
        FileDropAutoIndentCheckpoint(file);
    int64_t checkpoint = file->aiCheckpoint ? file->aiCheckpointLine : -1;
    if (checkpoint >= 0 && file->aiCheckpointKey != key) {
        FileDropAutoIndentCheckpoint(file);
        checkpoint = -1;
    }
    while (line && start > 1) {
        if (start == checkpoint) {
            fromCheckpoint = true;
            break;
        }
        bool inComment = useStates && start <= file->synValidLines &&
                         line->synState[0] == kInsideComment;
        if (!inComment && AIndent_ReallyBeginning(ada, FileLineText(file, line), line->len)) break;
        line = line->prev;
        start--;
    }
    if (start < 1) start = 1;
    AIndentEngine* engine = fromCheckpoint ? AIndent_Clone(file->aiCheckpoint) : AIndent_New(language);
    if (!engine) return 0;
    if (!line && start <= file->nLines) line = FileLine(file, start, hint, hintNo);
    int64_t saveAt = lS - kCheckpointDistance;
    for (int64_t n = start; line && n < lS; n++, line = line->next) {
        if (n == saveAt && n != checkpoint) {
            AIndentEngine* copy = AIndent_Clone(engine);
            if (copy) {
                AIndent_Delete(file->aiCheckpoint);
                file->aiCheckpoint = copy;
                file->aiCheckpointLine = n;
                file->aiCheckpointKey = key;
            }
        }
        feed.parse(engine, line, n);
    }

    // Re-indent the region, each line as asked, feeding it as it now stands.
    int64_t changedFrom = -1;
    {
        UndoGroup group(file, undoMode);
        group.lS = lS, group.cS = 0, group.lE = lE, group.cE = 0;
        Line* l = FileLine(file, lS, hint, hintNo);
        if (!l && lS == file->nLines + 1 && !region) {
            const char nl = '\n';
            FilexChange(file, nullptr, 0, lS, 0, lS, 0, &nl, 1, 0, undoMode);
            l = FileLine(file, lS);
        }
        if (l) FileCache(file, l, lE - lS + 1, 1);
        for (int64_t n = lS; l && n <= lE; n++) {
            const char* text = FileLineText(file, l);
            int white = 0;
            int now = LineIndentWidth(text, l->len, feed.tabSize, &white);
            int delta = 0;
            if (white == l->len && region) {
                delta = -now; // blank lines of a region lose their blanks
            } else {
                int wish = AIndent_GetIndentColumn(engine, text, l->len, feed.indentSize,
                                                   feed.tabSize, n);
                if (wish >= 0) delta = wish - now;
            }
            if (delta != 0) {
                FileIndentLines(file, l, n, n, delta, undoMode);
                if (changedFrom < 0) changedFrom = n;
            }
            feed.parse(engine, l, n);
            l = l->next;
        }
    }
    AIndent_Delete(engine);
    if (changedFrom >= 0) FileShowChange(file, lS, -1, lE, -1, lE, -1, lE, -1);
    return 1;
}
