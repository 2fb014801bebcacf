// editor/toolkitlinks.cc: where the configuration and the toolkit meet. The toolkit reads no
// option: the editor, which owns both, hands it its settings; and the option engine's needs
// from the window system are answered here through the toolkit.
#include <strings.h>

#include "buffer/file.h"
#include "buffer/registry.h"
#include "config/cfg.h"
#include "config/options.h"
#include "config/switches.h"
#include "editor/edit.h"
#include "editor/editpriv.h"
#include "editor/startup.h"
#include "lang/syn.h"
#include "toolkit/settings.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace {

void relayoutAll() {
    for (File* f = FileHead(); f; f = f->next)
        for (Edit* e = f->edits; e; e = e->nextsame) {
            EditLayout(e);
            EditRedraw(e);
        }
}

struct ToolkitDisplay : CfgDisplay {
    int parseColor(const char* text, int* r, int* g, int* b) override {
        return WParseColor(text, r, g, b);
    }
    bool monochrome() override { return WMonochrome(); }
    int charWidth() override { return WFontWidth(); }
    int lineHeight() override { return WFontHeight(); }
    void redrawAll() override {
        // Titles may name the version-control view, which the options can change.
        for (File* f = FileHead(); f; f = f->next)
            for (Edit* e = f->edits; e; e = e->nextsame) EditSetWindowName(e);
        if (XWindowsOn) relayoutAll();
    }
    const char* resource(const char* name, const char* cls) override {
        return WResource(name, cls);
    }
    int dumpResources(const char* path) override { return WDumpResources(path); }
};

ToolkitDisplay toolkitDisplay;

} // namespace

void EditInstallCfgDisplay() {
    cfg_SetDisplay(&toolkitDisplay);
}

int EditApplyToolkitSettings() {
    WSettings s;
    s.font = fontName;
    s.background = colorTexts[COLOR_BACKGROUND];
    s.foreground = colorTexts[COLOR_FOREGROUND];
    s.control = colorTexts[COLOR_CONTROL];
    s.select = colorTexts[COLOR_SELECT];
    s.clickPause = clickpause;
    s.ignoreMotion = ignoremotion;
    s.escapeAborts = debugFlag[XSW_ESCABORT] != 0;
    return WApplySettings(s);
}

namespace {
// A font or colour set by a configure command after start-up shows at once.
// The indent sizes belong to each File from its loading on; setting one later is meant for
// the Files already open as well.
bool applyIndentSizes(const char* name) {
    bool c = strcasecmp(name, "editindent") == 0, a = strcasecmp(name, "adaindentsize") == 0,
         k = strcasecmp(name, "adacontinuationsize") == 0;
    if (!c && !a && !k) return false;
    for (File* f = FileHead(); f; f = f->next) {
        if (c) f->indentSize = indentsize;
        if (a) f->adaIndentSize = adaindentsize;
        if (k) f->adaContinuationSize = adacontinuationsize;
    }
    return true;
}

struct ShownOptions final : CfgOptionWatch {
    void optionChanged(const char* name) override {
        if (applyIndentSizes(name)) return;
        bool colour = cfg_FindOption(name) && cfg_FindOption(name)->colorSlot >= 0;
        if (!EditApplyToolkitSettings() && !colour) return;
        if (!XWindowsOn) return;
        if (colour) syn_RefigureColors();
        relayoutAll();
    }
};
ShownOptions shownOptions;
} // namespace

void EditInstallOptionWatch() {
    cfg_optionWatch.install(&shownOptions);
}
