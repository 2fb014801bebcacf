// vcfront/vc_links.cc: the front end as the lower libraries reach it: the buffer's
// version-control questions, the QVC core's comment dialogue and messages, and the option
// that selects the system.
#include <cstring>

#include "buffer/file.h"
#include "buffer/registry.h"
#include "buffer/vchook.h"
#include "config/cfgcmd.h"
#include "runtime/gen.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"
#include "vc/qvc.h"
#include "vcfront/vc.h"

namespace {

struct BufferLinks final : FileVcFrontEnd {
    int underVC(const char* path) override { return vc_UnderVC(path); }
    char* getCheckUser(const char* path) override {
        std::string who = vc_GetCheckUser(path);
        return who.empty() ? nullptr : gen_copy(who.c_str());
    }
    int checkInFile(const char* path, const char* comment) override {
        return vc_CheckInFile(path, comment);
    }
    int checkOutFile(const char* path) override { return vc_CheckOutFile(nullptr, path); }
    int checkOutFileByVersion(const char* path, const char* version) override {
        return vc_CheckOutFileByVersion(path, version);
    }
    int uncheckFile(const char* path) override { return vc_UncheckFile(nullptr, path); }
    int setOutput(int destination) override { return vc_SetOutput(destination); }
    void errIgnore() override { vc_ErrIgnore(); }
    void errAlert(const char* text) override { vc_ErrAlert(text); }
    int askMissing(File* file) override {
        GenStr text(gen_sprintf("%.60s does not exist, check it out of Version Control?",
                                file->name));
        int r = WButtonDialogue("Check non-existent file out of version control?", text.get(),
                                {"Cancel", "New", "Get", "Check Out"}, 0);
        return r < 0 ? 0 : r;
    }
    int fetch(File* file, bool checkOut) override {
        if (checkOut) {
            GenStr failed(gen_sprintf("Checkout of %s failed", file->name));
            auto checkout = [&] { return vc_CheckOutFile(nullptr, file->name); };
            return vc_Quietly(checkout, failed.get()) == 1;
        }
        return vc_Quietly([&] { return vc_GetFile(file->name); }, nullptr) == 1;
    }
    int checkInOnClose(File* file) override { return file_CheckIn(file, nullptr); }
} bufferLinks;

// The comment dialogue: an editor pane for the lines, OK and Cancel.
struct CommentDialogue final : QvcCommentDialogue {
    int ask(const char* title, std::vector<std::string>& lines) override {
        if (!XWindowsOn) return 0;
        WDialog* d = WDialogNew(title);
        d->batchText = title;
        d->cancelResult = 1;
        WDialogAdd(d, nullptr, WG_LABEL, "prompt", "Comments:");
        Widget* text = WDialogAdd(d, nullptr, WG_EDITOR, "comments", "");
        text->columns = 60;
        text->rows = 8;
        text->stretch = 1;
        d->focus = text;
        Widget* row = WDialogAdd(d, nullptr, WG_ROW, "buttons", nullptr);
        row->align = WALIGN_CENTER;
        WDialogAdd(d, row, WG_BUTTON, "ok", "OK")->isDefault = true;
        WDialogAdd(d, row, WG_BUTTON, "cancel", "Cancel")->isCancel = true;
        d->describeAnswer = [](WDialog* dd, Widget* pressed) {
            std::string t = WidgetText(WDialogFind(dd, "comments"));
            while (!t.empty() && t.back() == '\n') t.pop_back();
            if (pressed && pressed->isCancel) return std::string("Cancel");
            std::string shown; // one line, as the answer is written
            for (char c : t) shown += c == '\n' ? std::string("\\n") : std::string(1, c);
            return shown;
        };
        int r = WDialogRun(d);
        std::string all = WidgetText(text);
        WDialogDestroy(d);
        if (r != 0) return 0;
        lines.clear();
        size_t start = 0;
        while (start < all.size()) {
            size_t nl = all.find('\n', start);
            if (nl == std::string::npos) nl = all.size();
            lines.push_back(all.substr(start, nl - start));
            start = nl + 1;
        }
        return 1;
    }
} commentDialogue;

// Another system selected: new templates, and every File asks its status again.
struct SystemWatch final : CfgVersionControl {
    void systemChanged() override {
        vc_Init();
        for (File* f = FileHead(); f; f = f->next) f->vcKnown = false;
    }
} systemWatch;

} // namespace

void vc_InstallLinks() {
    fileVc.install(&bufferLinks);
    qvc_commentDialogue.install(&commentDialogue);
    cfg_versionControl.install(&systemWatch);
    qvc_output = [](const char* text) { vc_output("%s", text); };
}
