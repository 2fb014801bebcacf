// editor/editprint.cc: the Print, Printsyn, PrintFile and PageSetup commands: the print
// dialogue over the settings of the last print, for the current File or its selection, or
// for a file on disk.
#include <cstdlib>

#include "buffer/file.h"
#include "config/options.h"
#include "dialogue/dlgopen.h"
#include "editor/cmdhandlers.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/editdialogs.h"
#include "editor/editpriv.h"
#include "print/prt.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"

namespace editprint {

// The template every print request starts from; a confirmed dialogue updates it.
PrintSettings& printTemplate() {
    static PrintSettings t = [] {
        PrintSettings s;
        s.columns = editprint2column ? 2 : 1;
        return s;
    }();
    return t;
}

// The request the open print dialogue is for.
struct Request {
    PrintSettings settings;
    bool onDisk = false; // a file on disk: no selection, no syntax colours
    bool hasSelection = false;
    bool confirmed = false;
} request;

Widget* named(WDialog* d, const char* name) {
    return WDialogFind(d, name);
}

void setText(WDialog* d, const char* name, const std::string& text) {
    if (Widget* w = named(d, name)) WidgetSetText(w, text);
}
void setValue(WDialog* d, const char* name, int value) {
    if (Widget* w = named(d, name)) WidgetSetValue(w, value);
}
int valueOf(WDialog* d, const char* name, int dflt) {
    Widget* w = named(d, name);
    return w ? w->value : dflt;
}

void printOpened(WDialog* d) {
    const PrintSettings& s = request.settings;
    setValue(d, "destination", s.destination);
    setText(d, "command", s.printerCommand.empty() ? printcommand : s.printerCommand);
    setText(d, "file", s.outputFile);
    if (Widget* w = named(d, "font")) {
        int index = -1;
        for (size_t i = 0; i < w->items.size(); i++)
            if (prt_PostScriptFont(w->items[i]) == s.font) index = (int)i;
        if (index < 0) {
            w->items.push_back(s.font); // a font chosen elsewhere stays offered
            index = (int)w->items.size() - 1;
        }
        WidgetSetValue(w, index);
    }
    char size[32];
    snprintf(size, sizeof size, "%g", s.fontSize);
    setText(d, "size", size);
    if (!(s.flags & PRT_SHOWSIZE))
        if (Widget* w = named(d, "size")) w->enabled = false;
    setValue(d, "selection", request.hasSelection);
    if (Widget* w = named(d, "selection")) w->enabled = request.hasSelection;
    setValue(d, "header", (s.flags & PRT_HEADER) != 0);
    setValue(d, "colours", s.colours);
    if (Widget* w = named(d, "colours")) w->enabled = !request.onDisk;
}

void printClosing(WDialog* d, int result) {
    if (result != 1) return;
    PrintSettings& s = request.settings;
    s.destination = valueOf(d, "destination", s.destination) == 1 ? PRT_TO_FILE : PRT_TO_PRINTER;
    if (Widget* w = named(d, "command")) s.printerCommand = WidgetText(w);
    if (Widget* w = named(d, "file")) s.outputFile = WidgetText(w);
    if (Widget* w = named(d, "font"))
        if (w->value >= 0 && w->value < (int)w->items.size())
            s.font = prt_PostScriptFont(w->items[(size_t)w->value]);
    if (Widget* w = named(d, "size"); w && (s.flags & PRT_SHOWSIZE)) {
        double size = atof(WidgetText(w).c_str());
        if (size > 0 && size <= 1000) s.fontSize = size;
    }
    request.hasSelection = request.hasSelection && valueOf(d, "selection", 0);
    s.flags = (s.flags & ~PRT_HEADER) | (valueOf(d, "header", 1) ? PRT_HEADER : 0);
    s.colours = valueOf(d, "colours", 0) != 0;
    request.confirmed = true;
}

// The page setup edits the template, and the open request along with it.
void setupOpened(WDialog* d) {
    const PrintSettings& s = printTemplate();
    setValue(d, "paper", s.paper >= 0 && s.paper <= 3 ? s.paper : 0);
    setValue(d, "orientation", s.landscape ? 1 : 0);
    setValue(d, "columns", s.columns == 2 ? 1 : 0);
}

void setupClosing(WDialog* d, int result) {
    if (result != 1) return;
    for (PrintSettings* s : {&printTemplate(), &request.settings}) {
        s->paper = valueOf(d, "paper", s->paper);
        s->landscape = valueOf(d, "orientation", s->landscape);
        s->columns = valueOf(d, "columns", s->columns - 1) + 1;
    }
}

const bool hooksSet = [] {
    SetDialogueHooks("Print", {printOpened, printClosing});
    SetDialogueHooks("PageSetup", {setupOpened, setupClosing});
    return true;
}();

// The print dialogue over the template, then the print it confirms. editprt_Create (a File
// shown in an editor, its selection when there is one) has the header on; PrintFile (a file
// on disk) has what its caller chose. The default button prints with the settings shown.
int printDialogue(Edit* e, PrintSource src, bool colours, bool header) {
    (void)hooksSet;
    request = Request();
    request.settings = printTemplate();
    request.settings.flags = PRT_SHOWSIZE | (header ? PRT_HEADER : 0);
    request.settings.colours = colours && src.path.empty();
    request.onDisk = !src.path.empty();
    const Selection& sel = e->view.sel[0];
    request.hasSelection = !request.onDisk && !SelEmpty(sel);
    if (EditOpenDialogue(e, "Print", {}) < 0 || !request.confirmed) return 0;
    PrintSettings& s = request.settings;
    // What is kept for next time: everything but the choices made for this File alone.
    PrintSettings& t = printTemplate();
    bool keepColours = t.colours;
    t = s;
    t.colours = keepColours;
    if (request.hasSelection) {
        src.l1 = sel.startLine;
        src.c1 = sel.startCol;
        src.l2 = sel.endLine;
        src.c2 = sel.endCol;
    }
    return prt_Print(s, src);
}

int editprt_Create(Edit* e, bool colours) {
    PrintSource src;
    src.file = e->view.file;
    return src.file ? printDialogue(e, src, colours, true) : 0;
}

// PrintFile(file, header): the whole of a file on disk, not a File the editor holds.
int PrintFile(Edit* e, const std::string& file, bool header) {
    PrintSource src;
    src.path = file;
    return printDialogue(e, src, false, header);
}

int cmdPrint(Edit* e, EditCmdCtx*) {
    return editprt_Create(e, false);
}
int cmdPrintsyn(Edit* e, EditCmdCtx*) {
    return editprt_Create(e, true);
}
// The file named, else one chosen; nothing chosen changes nothing.
int cmdPrintFile(Edit* e, EditCmdCtx* ctx) {
    std::string name = editopen::nameOrChosen(e, ctx, "Print File", "Print");
    if (name.empty()) return 1;
    return PrintFile(e, ExpandFileName(name), true);
}
int cmdPageSetup(Edit* e, EditCmdCtx*) {
    (void)hooksSet;
    request.settings = printTemplate();
    return EditOpenDialogue(e, "PageSetup", {}) >= 0 ? 1 : 0;
}

} // namespace editprint
