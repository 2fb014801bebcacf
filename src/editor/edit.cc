// editor/edit.cc: creating editors and their windows, layout, window events, the NewEdit family,
// closing and destroying.
#include "editor/edit.h"

#include <algorithm>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "buffer/file.h"
#include "buffer/registry.h"
#include "config/options.h"
#include "buffer/save.h"
#include "editor/editcmd.h"
#include "editor/editpriv.h"
#include "editor/querysave.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "editor/editmenus.h"
#include "toolkit/cmdline.h"
#include "toolkit/menu.h"
#include "toolkit/scrollbar.h"
#include "toolkit/widgets.h"
#include "vcfront/vc.h"

namespace {

int titleHeight() {
    return WFontHeight() + 8;
}
int messageHeight() {
    return WFontHeight() + 6;
}

void vsbAction(ScrollBar*, int action, int64_t pos, void* data) {
    auto* edit = static_cast<Edit*>(data);
    int64_t rows = EditRows(edit);
    int64_t top = edit->view.topLine;
    switch (action) {
    case SB_LINEUP: top--; break;
    case SB_LINEDOWN: top++; break;
    case SB_PAGEUP: top -= std::max<int64_t>(1, rows - 1); break;
    case SB_PAGEDOWN: top += std::max<int64_t>(1, rows - 1); break;
    case SB_TRACK: top = pos / WFontHeight() + 1; break;
    }
    int64_t lines = edit->view.file ? edit->view.file->nLines : 1;
    top = std::clamp<int64_t>(top, 1, std::max<int64_t>(1, lines - rows + 1));
    EditScrollTo(edit, top);
}

void hsbAction(ScrollBar* sb, int action, int64_t pos, void* data) {
    auto* port = static_cast<EditPort*>(data);
    int fw = WFontWidth();
    int64_t h = port->hpos;
    switch (action) {
    case SB_LINEUP: h -= fw; break;
    case SB_LINEDOWN: h += fw; break;
    case SB_PAGEUP: h -= std::max(fw, port->width - fw); break;
    case SB_PAGEDOWN: h += std::max(fw, port->width - fw); break;
    case SB_TRACK: h = pos; break;
    }
    h = std::clamp<int64_t>(h, 0, std::max<int64_t>(0, sb->max - sb->view));
    h -= h % fw; // whole columns only
    if (h == port->hpos) return;
    port->hpos = (int)h;
    sbSetPos(sb, h);
    epDrawRows(port->edit, 0, (int)EditRows(port->edit));
}

int textEvent(WEvent& ev, void* data) {
    auto* edit = static_cast<Edit*>(data);
    // The menu bar gets the keys first: F10 and Alt with a title's letter open it.
    if (ev.kind == WE_KEY && edit->menuBar && WMenuBarKey(edit->menuBar, ev)) return 1;
    if (ev.kind == WE_KEY && edit->keyHook && edit->keyHook(edit, ev)) return 1;
    switch (ev.kind) {
    case WE_EXPOSE: {
        int fh = WFontHeight();
        epDrawRows(edit, ev.y / fh, (ev.y + ev.height) / fh);
        return 1;
    }
    case WE_CROSSING:
        return 1;
    default:
        break;
    }
    return EditEventParse(edit, ev);
}

// The default mouse bindings go up to four clicks.
int textClickMayFollow(const WEvent& press, void*) {
    return press.clicks < 4;
}

int textPressAtOnce(WEvent& ev, void* data) {
    return EditPressAtOnce(static_cast<Edit*>(data), ev);
}

int marginEvent(WEvent& ev, void* data) {
    auto* edit = static_cast<Edit*>(data);
    if (ev.kind == WE_EXPOSE) {
        int fh = WFontHeight();
        epDrawRows(edit, ev.y / fh, (ev.y + ev.height) / fh);
        return 1;
    }
    return EditEventParse(edit, ev);
}

int frameEvent(WEvent& ev, void* data) {
    auto* edit = static_cast<Edit*>(data);
    switch (ev.kind) {
    case WE_EXPOSE:
        EditDrawChrome(edit);
        break;
    case WE_RESIZE:
        if (edit->frame->width != ev.width || edit->frame->height != ev.height) {
            edit->frame->width = ev.width;
            edit->frame->height = ev.height;
        }
        EditLayout(edit);
        EditDrawChrome(edit);
        EditRedraw(edit);
        break;
    case WE_CLOSE:
        EditClose(edit);
        break;
    case WE_CROSSING:
        edit->focus = ev.state != 0;
        // Taking the window up again is when a file changed behind its back is noticed.
        if (ev.state && !edit->skipFileCheck && WInputAllowed(edit->frame))
            EditFileCheck(edit, nullptr);
        break;
    case WE_KEY:
    case WE_HELP:
        return textEvent(ev, data);
    default:
        break;
    }
    return 1;
}

int iconEvent(WEvent& ev, void* data) {
    if (ev.kind == WE_EXPOSE) EditDrawChrome(static_cast<Edit*>(data));
    return 1;
}

// The title bar's line field goes to a line as LineD does.
void lineFieldActivate(TextField* tf, void* data) {
    auto* edit = static_cast<Edit*>(data);
    std::string t = tf->text;
    size_t slash = t.find('/');
    if (slash != std::string::npos) t.resize(slash);
    WSetFocusChild(edit->view.window);
    EditGotoLineText(edit, t);
    edit->view.shownLine = -1;
    EditUpdateTitle(edit);
}

void nameFieldActivate(TextField* tf, void* data) {
    auto* edit = static_cast<Edit*>(data);
    WSetFocusChild(edit->view.window);
    std::string name = tf->text;
    if (name.empty()) return;
    if (File* file = EditFileSearch(name.c_str(), edit->view.file))
        EditPush(edit, file, 0);
    else
        EditSetMsg(edit, "[EditOpenFile] Could not open file");
}

void fieldCancel(TextField*, void* data) {
    auto* edit = static_cast<Edit*>(data);
    WSetFocusChild(edit->view.window);
    edit->view.shownLine = -1;
    EditUpdateTitle(edit);
}

} // namespace

// ---- chains ----

void EditLinkFile(Edit* edit, File* file) {
    edit->view.file = file;
    edit->nextsame = file->edits;
    file->edits = edit;
    if (!file->lastEdit) file->lastEdit = edit;
}

void EditUnlinkFile(Edit* edit) {
    File* file = edit->view.file;
    if (!file) return;
    epForgetLines(file); // the File may be freed, and its address reused
    for (Edit** p = &file->edits; *p; p = &(*p)->nextsame) {
        GAssert(*p != (*p)->nextsame);
        if (*p == edit) {
            *p = edit->nextsame;
            break;
        }
    }
    if (file->lastEdit == edit) file->lastEdit = file->edits;
    edit->nextsame = nullptr;
    edit->view.file = nullptr;
}

void EditSetWindowName(Edit* edit) {
    if (!edit->top || !edit->view.file) return;
    const char* name = edit->view.file->name ? edit->view.file->name : "";
    // Under ClearCase the view the files come from is part of every title.
    std::string view = vc_GetCCaseView();
    if (view.empty())
        WSetWindowName(edit->top, gen_basename(name));
    else
        WSetWindowName(edit->top, (std::string(gen_basename(name)) + " [" + view + "]").c_str());
    EditUpdateSearcherName(edit);
}

void EditCollapse(Edit* edit, int64_t line, int col) {
    for (Selection& s : edit->view.sel) {
        s.startLine = s.endLine = s.cursorLine = line;
        s.startCol = s.endCol = s.cursorCol = col;
        s.flags = 0;
    }
    epDrawRows(edit, 0, (int)EditRows(edit));
    EditUpdateTitle(edit);
}

void EditScrollTo(Edit* edit, int64_t topLine) {
    EditView& v = edit->view;
    if (topLine < 1) topLine = 1;
    if (v.file) {
        Line* hint = v.topLineRec;
        int64_t hintNo = v.topLine;
        v.topLineRec = topLine <= v.file->nLines ? FileLine(v.file, topLine, hint, hintNo) : nullptr;
    }
    v.topLine = topLine;
    epDrawRows(edit, 0, (int)EditRows(edit));
    EditsSbSetOne(edit);
    EditPublishState(edit);
    if (edit->diffScrolled) edit->diffScrolled(edit);
}

// ---- creation ----

void EditLayout(Edit* edit) {
    WWindow* f = edit->frame;
    int fh = WFontHeight(), fw = WFontWidth();
    int sbw = std::max(1, scrollbarwidth);
    int W = f->width, H = f->height;
    int barH = edit->menuBar ? WMenuBarHeight() : 0;
    int titleH = edit->top ? titleHeight() + barH : 0;
    int msgH = edit->top ? messageHeight() : 0;
    int areaY = titleH, areaH = std::max(sbw + 1, H - titleH - msgH);
    bool vRight = scrolllocation == 1, hTop = scrollhlocation == 0;
    int vsbX = vRight ? W - sbw : 0;
    int textX0 = vRight ? 0 : sbw;
    int marginW = edit->margin ? std::max(0, SelectionMarginWidth) : 0;
    int textY = hTop ? areaY + sbw : areaY;
    int textH = std::max(1, areaH - sbw);
    int hsbY = hTop ? areaY : areaY + textH;
    int textW = std::max(1, W - sbw - marginW);
    WMoveResize(edit->vsb->win, vsbX, textY, sbw, textH);
    WMoveResize(edit->corner, vsbX, hsbY, sbw, sbw);
    if (edit->margin) WMoveResize(edit->margin, textX0, textY, std::max(1, marginW), textH);
    WMoveResize(edit->view.window, textX0 + marginW, textY, textW, textH);
    edit->view.width = textW;
    edit->view.height = textH;
    for (EditPort* p = edit->panes; p; p = p->next) {
        p->width = textW - p->offset;
        p->height = textH;
        WMoveResize(p->hsb->win, textX0 + marginW + p->offset, hsbY, std::max(1, p->width), sbw);
    }
    if (edit->menuBar) WMoveResize(edit->menuBar->win, 0, 0, W, barH);
    if (edit->top) {
        int y = 3 + barH, h = fh + 2 + 0;
        int x = 4;
        WMoveResize(edit->lineField->win, x, y, 14 * fw, h);
        x += 14 * fw + 4;
        WMoveResize(edit->status, x, y, 24 * fw, h);
        x += 24 * fw + 4;
        int right = W - 4 - 2 * (fh + 6) - 4 - 14 * fw - 4;
        WMoveResize(edit->nameField->win, x, y, std::max(4 * fw, right - x), h);
        x = std::max(x + 4 * fw, right) + 4;
        WMoveResize(edit->tagField->win, x, y, 14 * fw, h);
        x += 14 * fw + 4;
        WMoveResize(edit->modIcon, x, y, fh + 6, h);
        x += fh + 6;
        WMoveResize(edit->roIcon, x, y, fh + 6, h);
        WMoveResize(edit->msgLine, 0, H - msgH, W, msgH);
        if (edit->haltButton) {
            int bw = btnWidthFor("Halt");
            WMoveResize(edit->haltButton->win, W - bw - 2, H - msgH + 1, bw, std::max(1, msgH - 2));
        }
    }
    EditsSbSetOne(edit);
}

Edit* EditCreate(WWindow* parent, int x, int y, int width, int height, const char* name,
                 File* file, int kind, int withMenuBar, int fixed) {
    int fh = WFontHeight(), fw = WFontWidth();
    int sbw = std::max(1, scrollbarwidth);
    width = std::max(width, 3 * fh + sbw);
    height = std::max(height, 2 * fh + sbw + 5);
    auto* edit = new Edit;
    edit->name = name && *name ? name : "editor";
    edit->kind = kind;
    edit->fixed = fixed != 0;
    edit->embedded = parent != nullptr;
    edit->frame = WCreateWindow(parent, x, y, width, height, frameEvent, edit);
    WSetBackground(edit->frame, wPalette.control);
    if (!parent) edit->top = edit->frame;
    edit->vsb = sbCreate(edit->frame, 0, 0, sbw, sbw, true, vsbAction, edit);
    edit->corner = WCreateWindow(edit->frame, 0, 0, sbw, sbw, iconEvent, edit);
    WSetBackground(edit->corner, wPalette.control);
    WMapWindow(edit->corner);
    if (SelectionMarginWidth > 0) {
        edit->margin = WCreateWindow(edit->frame, 0, 0, SelectionMarginWidth, 1, marginEvent, edit);
        WSetCursor(edit->margin, WCURSOR_RIGHTARROW);
        WMapWindow(edit->margin);
    }
    edit->view.window = WCreateWindow(edit->frame, 0, 0, 1, 1, textEvent, edit);
    WSetCursor(edit->view.window, WCURSOR_ARROW);
    WMapWindow(edit->view.window);
    WSetClickCallback(edit->view.window, textClickMayFollow, textPressAtOnce);
    auto* port = new EditPort;
    port->window = edit->view.window;
    port->edit = edit;
    port->hsb = sbCreate(edit->frame, 0, 0, sbw, sbw, false, hsbAction, port);
    edit->panes = port;
    if (edit->top && withMenuBar) {
        edit->menuBar = WMenuBarCreate(edit->frame, 0, 0, width, EditMenuBarFill, EditMenuBarRun,
                                       edit);
        WMenuBarSetTitles(edit->menuBar, EditMenuBarTitles());
    }
    if (edit->top) {
        edit->lineField = tfCreate(edit->frame, 0, 0, 1, 1, lineFieldActivate, edit);
        edit->lineField->cancel = fieldCancel;
        edit->status = WCreateWindow(edit->frame, 0, 0, 1, 1, iconEvent, edit);
        WMapWindow(edit->status);
        edit->nameField = tfCreate(edit->frame, 0, 0, 1, 1, nameFieldActivate, edit);
        edit->nameField->cancel = fieldCancel;
        edit->tagField = tfCreate(edit->frame, 0, 0, 1, 1, nullptr, edit);
        edit->tagField->cancel = fieldCancel;
        edit->modIcon = WCreateWindow(edit->frame, 0, 0, 1, 1, iconEvent, edit);
        WMapWindow(edit->modIcon);
        edit->roIcon = WCreateWindow(edit->frame, 0, 0, 1, 1, iconEvent, edit);
        WMapWindow(edit->roIcon);
        edit->msgLine = WCreateWindow(edit->frame, 0, 0, 1, 1, iconEvent, edit);
        WMapWindow(edit->msgLine);
        WSetFocusChild(edit->view.window);
    }
    (void)fw;
    if (file) {
        EditLinkFile(edit, file);
        edit->view.topLineRec = file->first;
    }
    EditLayout(edit);
    if (edit->top) {
        edit->cw.kind = CW_EDIT;
        edit->cw.data = edit;
        cwInsertList(&edit->cw);
        EditSetWindowName(edit);
    }
    return edit;
}

// The size of a new top-level editor window for columns x rows characters of text, and its
// size without text, from which the window manager resizes it in steps of one character.
// Where the next editor window goes, when its opener knows (a merge's result beside the
// texts it is made from).
static struct {
    bool wanted = false;
    int x = 0, y = 0, width = 0, height = 0;
} nextPlace;

void EditPlaceNextWindow(int x, int y, int width, int height) {
    nextPlace.wanted = true;
    nextPlace.x = x;
    nextPlace.y = y;
    nextPlace.width = width;
    nextPlace.height = height;
}

static void newWindowSize(int columns, int rows, int& width, int& height, int& baseWidth,
                          int& baseHeight) {
    int fh = WFontHeight(), fw = WFontWidth();
    int sbw = std::max(1, scrollbarwidth);
    int marginW = SelectionMarginWidth > 0 ? SelectionMarginWidth : 0;
    baseWidth = sbw + marginW + 2;
    baseHeight = sbw + titleHeight() + messageHeight() + WMenuBarHeight();
    width = std::max(20, columns) * fw + baseWidth;
    height = std::max(3, rows) * fh + baseHeight;
}

static Edit* newWindow(File* file, int64_t line, int isTagLine, int columns, int rows) {
    struct stat st;
    if (file->name && !file->internal && stat(file->name, &st) == 0)
        file->readOnly = file->readOnly || access(file->name, W_OK) != 0;
    int width, height, baseWidth, baseHeight, x = 0, y = 0;
    newWindowSize(columns, rows, width, height, baseWidth, baseHeight);
    if (nextPlace.wanted) {
        x = nextPlace.x;
        y = nextPlace.y;
        width = nextPlace.width;
        height = nextPlace.height;
        nextPlace.wanted = false;
    } else {
        WGeometryPlace(width, height, &x, &y);
    }
    Edit* edit = EditCreate(nullptr, x, y, width, height, "editor", file, 0, 1, 0);
    WSetResizeCells(edit->top, baseWidth, baseHeight);
    WMapWindow(edit->top);
    EditAttachFile(edit, file, line, isTagLine);
    EditRedraw(edit);
    return edit;
}

// Buffer mode (the option openfilesinnewbuffers): files opened through the plain NewEdit
// family go onto the stack of one editor, the first window opened while the mode is on.
static Edit* bufferEditor = nullptr;

Edit* EditBufferEditor() {
    return openfilesinnewbuffers ? bufferEditor : nullptr;
}

// A file name as one word of OpenFile's argument: quoted, with quotes and backslashes escaped.
static std::string quotedName(const char* name) {
    std::string q = "\"";
    for (const char* p = name; *p; p++) {
        if (*p == '"' || *p == '\\') q += '\\';
        q += *p;
    }
    return q + "\"";
}

Edit* _NewEditWithBufferSwitch(const char* name, File* file, int64_t line, int isTagLine,
                               int useBufferEditor) {
    if (!name && file) name = file->name;
    if (Edit* buffers = useBufferEditor && name ? EditBufferEditor() : nullptr) {
        EditCli(buffers, ("OpenFile " + quotedName(name)).c_str());
        if (line > 1) EditCli(buffers, ("LineD " + std::to_string(line)).c_str());
        if (buffers->top) WRaiseWindow(buffers->top);
        return buffers;
    }
    if (!file) {
        if (!name) return nullptr;
        file = FileFName(name);
        if (!file) return nullptr;
    }
    // -geometry on the command line sizes the first such window.
    int columns = editwidth, rows = editheight;
    WTakeGeometry(&columns, &rows);
    Edit* edit = newWindow(file, line, isTagLine, columns, rows);
    if (openfilesinnewbuffers && !bufferEditor) bufferEditor = edit;
    return edit;
}

void EditResizeTo(Edit* edit, int columns, int rows) {
    if (!edit->top) return;
    int width, height, baseWidth, baseHeight;
    newWindowSize(columns, rows, width, height, baseWidth, baseHeight);
    WResizeWindow(edit->top, width, height);
    // The window manager's answer comes as a resize event; what is asked for shows at once.
    EditLayout(edit);
    EditDrawChrome(edit);
    EditRedraw(edit);
}

Edit* NewEditOfSize(File* file, int columns, int rows) {
    return file ? newWindow(file, 0, 0, columns, rows) : nullptr;
}

Edit* NewEdit(const char* name, int64_t line, int, int) {
    return _NewEditWithBufferSwitch(name, nullptr, line, 0, 1);
}

Edit* NewEdit2(const char* name, int64_t line) {
    return _NewEditWithBufferSwitch(name, nullptr, line, 0, 0);
}

Edit* NewEditTag(const char* name, int64_t line, int, int) {
    return _NewEditWithBufferSwitch(name, nullptr, line, 1, 1);
}

Edit* CreateEWind(File* file) {
    return file ? _NewEditWithBufferSwitch(file->name, file, 0, 0, 0) : nullptr;
}

Edit* CreateEWind_line(File* file, int64_t line) {
    return file ? _NewEditWithBufferSwitch(file->name, file, line, 0, 0) : nullptr;
}

int _EditLoadFile(Edit*, int, const char* dir, int) {
    std::string chosen;
    if (FileChooseDialogue("Edit File", "Edit", dir && *dir ? dir : ".", chosen) != 1) return 0;
    return NewEdit(chosen.c_str(), 0, 1, 0) ? 1 : 0;
}

// ---- lookup ----

Edit* EditOfWindow(WWindow* window) {
    WWindow* top = WTopLevelOf(window);
    for (ContextWindow* cw = NextEditContext(); cw; cw = cw->next) {
        if (cw->kind != CW_EDIT) continue;
        auto* e = static_cast<Edit*>(cw->data);
        if (e->top == top) return e;
    }
    return nullptr;
}

Edit* EditCurrent() {
    for (ContextWindow* cw = NextEditContext(); cw; cw = cw->next)
        if (cw->kind == CW_EDIT) return static_cast<Edit*>(cw->data);
    return nullptr;
}

void EditCursor(Edit* edit, int64_t* line, int* col) {
    *line = edit->view.sel[0].cursorLine;
    *col = edit->view.sel[0].cursorCol;
}

void EditSelectionRange(Edit* edit, int64_t* l1, int* c1, int64_t* l2, int* c2) {
    const Selection& s = edit->view.sel[0];
    *l1 = s.startLine;
    *c1 = s.startCol;
    *l2 = s.endLine;
    *c2 = s.endCol;
}

void EditsRaiseOne(Edit* edit) {
    if (!edit || !edit->top) return;
    WRaiseWindow(edit->top);
    if (!edit->skipFileCheck) EditFileCheck(edit, nullptr);
}

// ---- closing ----

int EditClose(Edit* edit) {
    if (edit->fixed) {
        WBeep();
        return 0;
    }
    edit->closing = true;
    if (edit->search.busy) {
        // The search stops, and the editor closes once it has.
        edit->search.abortRequest = true;
        return 0;
    }
    int r = EditDestroy(edit);
    if (!r) edit->closing = false;
    return r;
}

int EditCloseOrPop(Edit* edit) {
    return edit->pops ? EditPopEdit(edit) : EditClose(edit);
}

int EditDone(Edit* edit) {
    if (edit->fixed) {
        WBeep();
        return 0;
    }
    auto saveOne = [](File* f) {
        if (!f || !f->modified || f->noReload) return true;
        return FileSave(f, nullptr, nullptr) == 1;
    };
    if (!saveOne(edit->view.file)) return 0;
    for (EditPop* p = edit->pops; p; p = p->next)
        if (!saveOne(p->file)) return 0;
    return EditClose(edit);
}

int EditDestroy(Edit* edit) {
    if (!edit->destroying && !EditSaveAndCloseFiles(edit)) return 0;
    edit->destroying = true;
    if (edit == bufferEditor) bufferEditor = nullptr;
    if (auto hook = edit->destroyHook) {
        edit->destroyHook = nullptr;
        hook(edit);
    }
    EditSearchRelease(edit);
    File* file = edit->view.file;
    EditUnlinkFile(edit);
    // A File shown nowhere any more may be unloaded; one with unsaved changes stays loaded.
    auto release = [](File* f) {
        if (f && !f->edits && !f->pops && !f->modified) FileStubout(f);
    };
    while (EditPop* p = edit->pops) {
        edit->pops = p->next;
        for (EditPop** q = &p->file->pops; *q; q = &(*q)->nextForFile)
            if (*q == p) {
                *q = p->nextForFile;
                break;
            }
        File* f = p->file;
        delete p;
        release(f);
    }
    release(file);
    edit_ReleaseGivenUp(); // the Files whose edits were given up as it closed
    if (edit->top) cwRemoveList(&edit->cw);
    for (EditPort* p = edit->panes; p;) {
        EditPort* next = p->next;
        sbDestroy(p->hsb);
        delete p;
        p = next;
    }
    sbDestroy(edit->vsb);
    WMenuBarDestroy(edit->menuBar);
    delete edit->lineField;
    delete edit->nameField;
    delete edit->tagField;
    delete edit->haltButton;
    WDestroyWindow(edit->frame); // every part of the editor is a child of it
    delete edit;
    return 1;
}
