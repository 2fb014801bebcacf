// editor/editdraw.cc: drawing of panes, the selection margin, the title-bar fields, the message
// line, and the scroll bars that follow the view.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

#include "buffer/columns.h"
#include "buffer/file.h"
#include "config/options.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/editpriv.h"
#include "lang/syn.h"
#include "runtime/gen.h"
#include "toolkit/scrollbar.h"
#include "toolkit/widgets.h"

namespace {

// Display cells of one line: what each cell shows and the byte index it comes from.
struct Cell {
    WCell shown;
    int index;
};

// What a character shows: control characters as their control pictures (U+2400 on, DEL
// U+2421), bytes that are not UTF-8 in a UTF-8 File and C1 controls as U+FFFD. In a File
// shown byte by byte each byte is its Latin-1 character.
char32_t shownChar(char32_t c, bool utf8) {
    if (c < 0x20) return 0x2400 + c;
    if (c == 0x7f) return 0x2421;
    if (utf8 && (c == kUtf8Invalid || (c >= 0x80 && c < 0xa0))) return 0xfffd;
    return c;
}

// The display column after bytes [from, to) of a line, starting at column `col`.
int64_t columnAfter(const char* text, int len, int from, int to, int64_t col, bool utf8) {
    const int ts = LineTabSize();
    for (int i = from; i < to;) {
        // Runs of plain ASCII go a byte a column.
        if (text[i] != '\t' && (unsigned char)text[i] >= 0x20 && (unsigned char)text[i] < 0x80) {
            int j = i + 1;
            while (j < to && text[j] != '\t' && (unsigned char)text[j] >= 0x20 &&
                   (unsigned char)text[j] < 0x80)
                j++;
            col += j - i;
            i = j;
            continue;
        }
        LineChar c = LineCharAt(text, len, i, col, utf8, ts);
        col = c.next;
        i += c.bytes;
    }
    return col;
}

// The display cells of columns [first, first + count) of a line, expanded from byte `byte`,
// which starts at column `col`. Only those cells are kept and the scan stops at the right
// edge: a line may be a gigabyte long. Returns true when the line ended before the edge,
// with its width in columns in *width.
bool expandLine(const char* text, int len, int byte, int64_t col, int64_t first, int count,
                bool utf8, std::vector<Cell>& cells, int64_t* width) {
    cells.clear();
    const int64_t limit = first + count;
    const int ts = LineTabSize();
    for (int i = byte; i < len;) {
        if (col >= limit) return false;
        LineChar c = LineCharAt(text, len, i, col, utf8, ts);
        int n = (int)(c.next - col);
        if (n == 0) {
            // A combining mark goes over the cell of the character before it.
            if (!cells.empty() && col > first && cells.back().index >= byte &&
                !cells.back().shown.mark)
                cells.back().shown.mark = c.ch;
        } else if (c.ch == '\t') {
            for (int k = 0; k < n; k++, col++)
                if (col >= first && col < limit) cells.push_back({{' ', 0}, i});
        } else {
            char32_t ch = shownChar(c.ch, utf8);
            // A wide character cut by the left edge shows its visible half as a blank.
            for (int k = 0; k < n; k++, col++)
                if (col >= first && col < limit)
                    cells.push_back({{k == 0 ? ch : col == first ? U' ' : 0, 0}, i});
        }
        i += c.bytes;
    }
    *width = col;
    return true;
}

// Is byte index `col` of line `line` inside the selection?
bool inSelection(const Selection& s, int64_t line, int col) {
    if (s.startLine == s.endLine && s.startCol == s.endCol) return false;
    if (line < s.startLine || line > s.endLine) return false;
    if (line == s.startLine && col < s.startCol) return false;
    if (line == s.endLine && col >= s.endCol) return false;
    return true;
}

// The colouring scan looks only this far past what it is asked about, so a gigabyte line
// costs what its visible part costs; an element running further is taken as running to the
// end of the line, which colours the visible part the same.
constexpr int kLookahead = 4096;

int scanEnd(int len, int to) {
    return len - to > kLookahead ? to + kLookahead : len;
}

// Where the colouring scan reports its runs: one colour per byte of the visible range.
struct ColourSink : SynTextSink {
    unsigned long* out = nullptr;
    int from = 0;
};

// Syntax colour of bytes [from, to) of a line, from the colouring state at `from`:
// colours[i - from] is byte i's.
void lineColours(const Language* lang, const char* text, int len, int from, int to,
                 uint32_t state, std::vector<unsigned long>& colours) {
    colours.assign((size_t)(to - from), wPalette.foreground);
    ColourSink sink;
    sink.out = colours.data();
    sink.from = from;
    sink.drawRun = [](SynTextSink* s, const char*, int a, int b, unsigned long fg, unsigned long) {
        auto* cs = static_cast<ColourSink*>(s);
        for (int i = a; i < b; i++) cs->out[i - cs->from] = fg;
    };
    syn_ShowText(&sink, text, scanEnd(len, to), from, to, wPalette.foreground,
                 wPalette.background, lang, &state);
}

// The colouring state at byte `to` of a line from the state at byte `from`.
uint32_t advanceState(const Language* lang, const char* text, int len, int from, int to,
                      uint32_t state) {
    SynTextSink none;
    none.drawRun = [](SynTextSink*, const char*, int, int, unsigned long, unsigned long) {};
    syn_ShowText(&none, text, scanEnd(len, to), from, to, 0, 0, lang, &state);
    return state;
}

// Drawing a row of a long line resumes from the nearest of its marks left of the view: a byte,
// the display column it starts at and the colouring state there, one every kMarkSpan bytes.
// Scrolling a huge line sideways thus scans it from its start only once, and so does asking
// for a column in it (the cursor's, at every keystroke). The marks of a few lines are kept; a
// change within one line keeps its marks before the change, any other change to a File
// forgets its lines' marks.
constexpr int kMarkSpan = 1 << 18;

struct Mark {
    int byte;
    int64_t col;
    uint32_t state;
};

struct LongLine {
    const File* file = nullptr;
    const Line* line = nullptr;
    int64_t lineNo = 0;
    int len = 0;
    uint32_t lineState = 0;
    int tabs = 0;
    const Language* lang = nullptr; // null: without colouring states
    int cppComments = 0;
    bool utf8 = false;
    std::vector<Mark> marks;
};

LongLine longLines[4];
int nextLongLine = 0;

LongLine& longLineOf(const File* file, const Line* line, int64_t lineNo, const Language* lang) {
    for (LongLine& l : longLines)
        if (l.file == file && l.line == line && l.lineNo == lineNo && l.len == line->len &&
            l.lineState == line->synState[0] && l.tabs == LineTabSize() && l.lang == lang &&
            l.cppComments == cppCommentsInC && l.utf8 == file->utf8)
            return l;
    LongLine& l = longLines[nextLongLine];
    nextLongLine = (nextLongLine + 1) % 4;
    l = LongLine{file,           line,       lineNo,
                 line->len,      line->synState[0], LineTabSize(),
                 lang,           cppCommentsInC,    file->utf8,
                 {{0, 0, line->synState[0]}}};
    return l;
}

// Adds marks up to the one at or before column upToCol and byte upToByte.
void addMarks(LongLine& ll, const char* text, int64_t upToCol, int upToByte) {
    std::vector<Mark>& m = ll.marks;
    const int len = ll.len;
    while (m.back().col < upToCol && len - m.back().byte > kMarkSpan &&
           m.back().byte + kMarkSpan <= upToByte) {
        const Mark last = m.back();
        // A mark falls on a character boundary.
        int byte = LineCharStart(text, len, last.byte + kMarkSpan, ll.utf8);
        int64_t col = columnAfter(text, len, last.byte, byte, last.col, ll.utf8);
        if (col > upToCol) break;
        uint32_t state = ll.lang ? advanceState(ll.lang, text, len, last.byte, byte, last.state)
                                 : 0;
        m.push_back({byte, col, state});
    }
}

const Mark& resumeMark(const File* file, const Line* line, int64_t lineNo, const char* text,
                       const Language* lang, int64_t firstCol) {
    LongLine& ll = longLineOf(file, line, lineNo, lang);
    addMarks(ll, text, firstCol, INT_MAX);
    std::vector<Mark>& m = ll.marks;
    auto after = std::upper_bound(m.begin(), m.end(), firstCol,
                                  [](int64_t c, const Mark& k) { return c < k.col; });
    return *(after - 1);
}

// The ground of a compared line: lines that differ on a warm tint, the current difference on
// a stronger one; the change mark in the margin in a darker tone of the same.
WColor diffGround(int mark) {
    if (mark == DIFFMARK_SAME || WMonochrome()) return wPalette.background;
    static WColor differs = WAllocColor("#fff0d8", wPalette.controlLight);
    static WColor current = WAllocColor("#ffd0a8", wPalette.controlLight);
    return mark == DIFFMARK_CURRENT ? current : differs;
}

WColor diffBar(int mark) {
    if (WMonochrome()) return wPalette.foreground;
    static WColor differs = WAllocColor("#e0a050", wPalette.controlDark);
    static WColor current = WAllocColor("#c04000", wPalette.foreground);
    return mark == DIFFMARK_CURRENT ? current : differs;
}

} // namespace

int64_t EditRows(const Edit* edit) {
    int fh = WFontHeight();
    return std::max<int64_t>(1, edit->view.height / fh);
}

void epDrawRows(Edit* edit, int row0, int row1) {
    EditView& v = edit->view;
    if (!v.window) return;
    EditPort* port = edit->panes;
    File* file = v.file;
    int fh = WFontHeight(), fw = WFontWidth();
    int offset = port ? port->offset : 0;
    int hpos = port ? port->hpos : 0;
    int firstCol = hpos / fw;
    int cols = std::max(1, (v.width - offset) / fw + 1);
    const Selection& s = v.sel[0];
    bool empty = s.startLine == s.endLine && s.startCol == s.endCol;
    Line* line = nullptr;
    int64_t lineNo = v.topLine + row0;
    if (file && lineNo >= 1 && lineNo <= file->nLines)
        line = FileLine(file, lineNo, v.topLineRec, v.topLine);
    std::vector<Cell> cells;
    std::vector<unsigned long> colours;
    std::vector<WCell> runText;
    if (edit->margin) {
        int y0 = row0 * fh;
        WFillRect(edit->margin, 0, y0, edit->margin->width, (row1 - row0 + 1) * fh,
                  wPalette.background);
        WFillRect(edit->margin, edit->margin->width - 1, y0, 1, (row1 - row0 + 1) * fh,
                  wPalette.controlDark);
    }
    for (int r = row0; r <= row1; r++, lineNo++) {
        int y = r * fh;
        if (y >= v.height) break;
        int mark = edit->diffMark && line ? edit->diffMark(edit, lineNo) : DIFFMARK_SAME;
        const WColor ground = diffGround(mark);
        WFillRect(v.window, 0, y, v.width, fh, ground);
        if (!file || !line) continue;
        if (mark && edit->margin)
            WFillRect(edit->margin, 2, y, std::max(1, edit->margin->width - 5), fh,
                      diffBar(mark));
        // Deciding to colour may bring line states up to date, which reads other lines'
        // text through the caches: only then is this line's text fetched.
        bool colour = syn_NeedToColor(file, port, lineNo);
        const char* text = FileLineText(file, line);
        const Language* lang = colour ? file->language : nullptr;
        int fromByte = 0;
        int64_t fromCol = 0;
        uint32_t state = line->synState[0];
        if (line->len > kMarkSpan) {
            const Mark& m = resumeMark(file, line, lineNo, text, lang, firstCol);
            fromByte = m.byte;
            fromCol = m.col;
            state = m.state;
        }
        int64_t width = 0;
        bool whole = expandLine(text, line->len, fromByte, fromCol, firstCol, cols, file->utf8,
                                cells, &width);
        const int end = (int)cells.size();
        const int byte0 = end > 0 ? cells[0].index : 0;
        if (lang && end > 0) {
            if (fromByte == 0)
                state = SynstateAt(state, text, scanEnd(line->len, byte0), byte0, lang);
            else
                state = advanceState(lang, text, line->len, fromByte, byte0, state);
            lineColours(lang, text, line->len, byte0, cells[end - 1].index + 1, state, colours);
        }
        // Runs of one (foreground, background) pair from the left edge; selected text keeps
        // the selection's colours.
        for (int c = 0; c < end;) {
            int start = c;
            WColor fg = 0, bg = 0;
            runText.clear();
            for (; c < end; c++) {
                bool sel = inSelection(s, lineNo, cells[c].index);
                // The secondary selection (a quick paste in the making) on a lighter ground.
                bool sec = !sel && inSelection(v.sel[1], lineNo, cells[c].index);
                WColor cf = sel ? wPalette.selectText
                            : lang ? colours[(size_t)(cells[c].index - byte0)]
                                     : wPalette.foreground;
                WColor cb = sel   ? wPalette.select
                            : sec ? wPalette.controlLight
                                  : ground;
                if (c > start && (cf != fg || cb != bg)) break;
                fg = cf;
                bg = cb;
                runText.push_back(cells[c].shown);
            }
            WDrawCells(v.window, offset + start * fw, y, runText.data(), (int)runText.size(), fg,
                       bg);
        }
        // The line break of a selected line is shown as one selected cell.
        if (whole && lineNo >= s.startLine && lineNo < s.endLine &&
            inSelection(s, lineNo, std::max(line->len, s.startLine == lineNo ? s.startCol : 0))) {
            int64_t x = offset + (width - firstCol) * fw;
            if (x >= offset && x < v.width) WFillRect(v.window, (int)x, y, fw, fh, wPalette.select);
        }
        if (empty && lineNo == s.cursorLine) {
            int dcol = (int)epColumnAt(file, line, lineNo, s.cursorCol);
            int x = offset + (dcol - firstCol) * fw;
            if (x >= offset - 1 && x < v.width) WFillRect(v.window, x, y, 2, fh, wPalette.foreground);
        }
        line = line->next;
    }
}

void epForgetLines(const File* file) {
    for (LongLine& l : longLines)
        if (l.file == file) l = LongLine{};
}

void epLineEdited(File* file, int64_t lineNo, int from) {
    Line* now = lineNo >= 1 && lineNo <= file->nLines ? EditFileLine(file, lineNo) : nullptr;
    for (LongLine& l : longLines) {
        if (l.file != file || l.lineNo != lineNo) continue;
        if (!now) {
            l = LongLine{};
            continue;
        }
        // Marks before the change still hold: their columns and states come from the bytes
        // before them.
        while (l.marks.size() > 1 && l.marks.back().byte > from) l.marks.pop_back();
        l.line = now;
        l.len = now->len;
    }
}

int64_t epColumnAt(File* file, Line* line, int64_t lineNo, int byte) {
    const char* text = FileLineText(file, line);
    if (line->len <= kMarkSpan || byte <= kMarkSpan)
        return LineCols(text, line->len, byte, file->utf8);
    LongLine& ll = longLineOf(file, line, lineNo, nullptr);
    int upTo = std::min(byte, line->len);
    addMarks(ll, text, INT64_MAX, upTo);
    const Mark& m = *(std::upper_bound(ll.marks.begin(), ll.marks.end(), upTo,
                                       [](int b, const Mark& k) { return b < k.byte; }) -
                      1);
    return columnAfter(text, line->len, m.byte, upTo, m.col, file->utf8) + (byte - upTo);
}

// ---- the panes as the colouring engine sees them ----

namespace {

struct EditorPanes final : SynPanes {
    File* paneFile(EditPort* pane) override {
        return pane && pane->edit ? pane->edit->view.file : nullptr;
    }

    // Every editor showing the File, with the lines its view covers (the last one partly).
    void forEachPane(File* file, void (*visit)(EditPort*, int64_t, int64_t, void*),
                     void* ctx) override {
        for (Edit* e = file->edits; e; e = e->nextsame)
            if (e->panes && e->view.window)
                visit(e->panes, e->view.topLine, e->view.topLine + EditRows(e), ctx);
    }

    void drawLine(EditPort* pane, int64_t line) override {
        Edit* e = pane ? pane->edit : nullptr;
        if (!e) return;
        int64_t row = line - e->view.topLine;
        if (row >= 0 && row <= EditRows(e)) epDrawRows(e, (int)row, (int)row);
    }
};
EditorPanes editorPanes;

} // namespace

void EditInitColouring() {
    synPanes.install(&editorPanes);
    syn_Init();
}

void EditRedraw(Edit* edit) {
    if (!edit->view.window) return;
    epDrawRows(edit, 0, (int)EditRows(edit));
    EditsSbSetOne(edit);
    EditUpdateTitle(edit);
}

void EditsSbSetOne(Edit* edit) {
    File* file = edit->view.file;
    int fh = WFontHeight(), fw = WFontWidth();
    int64_t lines = file ? file->nLines : 0;
    if (edit->vsb) {
        sbSetScroller(edit->vsb, lines * fh, edit->view.height);
        sbSetPos(edit->vsb, (edit->view.topLine - 1) * fh);
    }
    for (EditPort* p = edit->panes; p; p = p->next) {
        if (!p->hsb) continue;
        int64_t width = (int64_t)(file ? std::max(file->maxWidth, 1) : 80) * fw;
        sbSetScroller(p->hsb, width, p->width);
        sbSetPos(p->hsb, p->hpos);
    }
}

void EditsSbSet(File* file) {
    for (Edit* e = file->edits; e; e = e->nextsame) EditsSbSetOne(e);
}

// ---- title bar and message line ----

void drawStatus(Edit* edit) {
    if (!edit->status) return;
    WWindow* w = edit->status;
    WFillRect(w, 0, 0, w->width, w->height, wPalette.control);
    WDrawText(w, 4, (w->height - WFontHeight()) / 2, edit->statusText.data(),
              (int)edit->statusText.size(), wPalette.foreground, wPalette.control);
}

void drawIcons(Edit* edit) {
    File* file = edit->view.file;
    int fh = WFontHeight();
    if (edit->modIcon) {
        WWindow* w = edit->modIcon;
        WFillRect(w, 0, 0, w->width, w->height, wPalette.control);
        if (file && file->modified) {
            // A pencil-coloured box with a star: the File has unsaved changes.
            WFillRect(w, 2, 2, w->width - 4, w->height - 4, wPalette.background);
            WBevel(w, 2, 2, w->width - 4, w->height - 4, false);
            WDrawText(w, (w->width - WFontWidth()) / 2, (w->height - fh) / 2, "*", 1,
                      wPalette.foreground, wPalette.background);
        }
    }
    if (edit->roIcon) {
        WWindow* w = edit->roIcon;
        WFillRect(w, 0, 0, w->width, w->height, wPalette.control);
        if (file && file->readOnly) {
            // The "stop" sign of a read-only File.
            WFillRect(w, 2, 2, w->width - 4, w->height - 4, 0xc00000);
            const char* t = "RO";
            WDrawText(w, (w->width - 2 * WFontWidth()) / 2, (w->height - fh) / 2, t, 2, 0xffffff,
                      0xc00000);
        }
    }
}

void drawMessage(Edit* edit) {
    if (!edit->msgLine) return;
    WWindow* w = edit->msgLine;
    WFillRect(w, 0, 0, w->width, w->height, wPalette.control);
    WBevel(w, 0, 0, w->width, w->height, false);
    std::string t = edit->message;
    for (char& c : t)
        if (c == '\n' || c == '\t') c = ' ';
    WDrawText(w, 4, (w->height - WFontHeight()) / 2, t.data(), (int)t.size(), wPalette.foreground,
              wPalette.control);
    // As the view's state: tools outside the program can read what the line says.
    if (edit->top) WSetProperty(edit->top, "_QE_MESSAGE", t);
}

void EditSetMsg(Edit* edit, const char* text) {
    std::string t = text ? text : "";
    while (!t.empty() && t.back() == '\n') t.pop_back();
    edit->message = t;
    drawMessage(edit);
    // Without a display every message is a line of output (batch mode reads them).
    if (WIsHeadless() && !t.empty()) WMessage(t.c_str());
}

void EditShowProgress(const char* text) {
    Edit* edit = EditCurrent();
    if (!edit) return;
    // Drawn only: progress is not a message the batch output should list.
    edit->message = text ? text : "";
    drawMessage(edit);
    WSync();
}

void EditUpdateTitle(Edit* edit) {
    EditView& v = edit->view;
    File* file = v.file;
    if (!file) return;
    int64_t line = v.sel[0].cursorLine;
    int col = v.sel[0].cursorCol;
    if (edit->lineField && (line != v.shownLine || file->nLines != v.shownCount)) {
        char buf[64];
        snprintf(buf, sizeof buf, "%lld/%lld", (long long)line, (long long)file->nLines);
        tfSetText(edit->lineField, buf);
    }
    if (v.shownEncodingOf == file &&
        (file->utf8 != v.shownUtf8 || (file->badUtf8 && !v.shownBadUtf8))) {
        // The File's encoding was decided again (an edit, a save): its text is drawn anew.
        v.shownUtf8 = file->utf8;
        v.shownBadUtf8 = file->badUtf8;
        v.shownLine = -1;
        EditSetMsg(edit, !file->utf8 ? "Not valid UTF-8: shown as Latin-1"
                         : file->badUtf8
                             ? "Inserted bytes that are not UTF-8 (shown as \xEF\xBF\xBD): the "
                               "file is Latin-1 once saved"
                             : "Valid UTF-8: shown as UTF-8");
        epDrawRows(edit, 0, (int)EditRows(edit));
        EditsSbSetOne(edit);
    }
    if (line != v.shownLine || col != v.shownCol || file->utf8 != v.shownUtf8 ||
        file->badUtf8 != v.shownBadUtf8 || v.shownEncodingOf != file) {
        int dcol = 1;
        if (line >= 1 && line <= file->nLines) {
            Line* l = FileLine(file, line, v.topLineRec, v.topLine);
            dcol = (int)epColumnAt(file, l, line, col) + 1;
        }
        char buf[64];
        // The encoding the File is shown in follows the position.
        snprintf(buf, sizeof buf, "Ln %lld,Col %d %s", (long long)line, dcol,
                 !file->utf8 ? "Latin-1" : file->badUtf8 ? "UTF-8 (bad)" : "UTF-8");
        edit->statusText = buf;
        drawStatus(edit);
    }
    file->currentLine = line;
    v.shownLine = line;
    v.shownCol = col;
    v.shownUtf8 = file->utf8;
    v.shownBadUtf8 = file->badUtf8;
    v.shownEncodingOf = file;
    v.shownCount = file->nLines;
    if (edit->nameField && !(edit->top && edit->top->focusChild == edit->nameField->win))
        tfSetText(edit->nameField, file->name ? file->name : "");
    if (file->modified != edit->shownModified || file->readOnly != edit->shownReadOnly) {
        edit->shownModified = file->modified;
        edit->shownReadOnly = file->readOnly;
        drawIcons(edit);
    }
    EditPublishState(edit);
}

// Tools outside the program (end-to-end tests, window-manager scripts) can read the view.
void EditPublishState(Edit* edit) {
    if (!edit->top || !edit->view.file) return;
    char buf[512];
    const Selection& s = edit->view.sel[0];
    snprintf(buf, sizeof buf,
             "top=%lld line=%lld col=%d lines=%lld stack=%d sel=%lld,%d-%lld,%d enc=%s file=%s",
             (long long)edit->view.topLine, (long long)s.cursorLine, s.cursorCol,
             (long long)edit->view.file->nLines, EditStackDepth(edit), (long long)s.startLine,
             s.startCol, (long long)s.endLine, s.endCol,
             !edit->view.file->utf8 ? "Latin-1" : edit->view.file->badUtf8 ? "UTF-8(bad)" : "UTF-8",
             edit->view.file->name ? edit->view.file->name : "");
    WSetProperty(edit->top, "_QE_STATE", buf);
}

void EditDrawChrome(Edit* edit) {
    if (edit->top) {
        WFillRect(edit->frame, 0, 0, edit->frame->width, edit->frame->height, wPalette.control);
    }
    drawStatus(edit);
    drawIcons(edit);
    drawMessage(edit);
    if (edit->corner)
        WFillRect(edit->corner, 0, 0, edit->corner->width, edit->corner->height,
                  wPalette.control);
}

void EditsModifiedUpdate(File* file) {
    for (Edit* e = file->edits; e; e = e->nextsame) drawIcons(e);
}

void EditsReadOnlyUpdate(File* file) {
    for (Edit* e = file->edits; e; e = e->nextsame) {
        e->shownReadOnly = file->readOnly;
        drawIcons(e);
    }
}
