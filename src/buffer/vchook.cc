// buffer/vchook.cc: a File's version-control state, asked of the front end and cached.
#include "buffer/vchook.h"

#include <cstring>
#include <pwd.h>
#include <string>
#include <unistd.h>

#include "buffer/file.h"
#include "buffer/notify.h"
#include "buffer/save.h"
#include "config/options.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/toolkit.h"

Seam<FileVcFrontEnd> fileVc{"FileVcFrontEnd", "version control front end"};

FileVcFrontEnd* file_VcFrontEnd() {
    return fileVc.find();
}

static std::string currentUser() {
    if (struct passwd* pw = getpwuid(getuid())) return pw->pw_name;
    const char* login = getlogin();
    return login ? login : "";
}

// The front end's messages go to its quiet buffer while the guard lives.
struct QuietVc {
    FileVcFrontEnd& vc;
    int saved;
    explicit QuietVc(FileVcFrontEnd& front) : vc(front), saved(front.setOutput(-1)) {}
    ~QuietVc() { vc.setOutput(saved); }
};

int file_UnderVC(File* file) {
    if (!file->vcKnown) {
        file->vcKnown = true;
        FileVcFrontEnd* vc = file_VcFrontEnd();
        file->underVc = file->name && vc && vc->underVC(file->name) == 1;
        if (!file->underVc) file->checkedOut = file->checkinOnClose = false;
    }
    return file->underVc;
}

int file_IsCheckedOut(File* file, char** user, int* underVC) {
    int under = file_UnderVC(file);
    if (underVC) *underVC = under;
    char* holder = nullptr;
    if (under) { // (only a File under control, so the front end is there)
        holder = fileVc->getCheckUser(file->name);
        file->checkinOnClose = holder && currentUser() == holder;
    }
    if (user)
        *user = holder;
    else
        gen_free(holder);
    return file->checkinOnClose;
}

// The File's read-only state follows the file's permissions.
static void setRealReadonly(File* file) {
    file->readOnly = (file->name && access(file->name, F_OK) == 0 &&
                      access(file->name, W_OK) != 0) ||
                     file->loadReadOnly;
    FileReadonlySet(file);
}

// What a File-level operation answers without a front end: no File is under control, so
// there is nothing to check in, out or discard.
static int noFrontEnd() {
    return 0;
}

int file_CheckIn(File* file, const char* arg) {
    FileVcFrontEnd* vc = file_VcFrontEnd();
    if (!vc) return noFrontEnd();
    int result;
    {
        QuietVc quiet(*vc);
        result = vc->checkInFile(file->name, arg);
    }
    setRealReadonly(file);
    if (result == 1) {
        file->checkedOut = file->checkinOnClose = false;
        vc->errIgnore();
    } else {
        vc->errAlert(nullptr);
        FileSetModTime(file);
    }
    return result == 1;
}

int file_CheckOut(File* file) {
    FileVcFrontEnd* vc = file_VcFrontEnd();
    if (!vc) return noFrontEnd();
    int result;
    {
        QuietVc quiet(*vc);
        result = file->version ? vc->checkOutFileByVersion(file->name, file->version)
                               : vc->checkOutFile(file->name);
    }
    if (result == -2) return -2;
    if (result != 1) {
        GenStr text(gen_sprintf("Checkout of %s failed", file->name));
        vc->errAlert(text.get());
        return 0;
    }
    vc->errIgnore();
    file->checkedOut = file->checkinOnClose = true;
    return 1;
}

int file_Discard(File* file) {
    FileVcFrontEnd* vc = file_VcFrontEnd();
    if (!vc) return noFrontEnd();
    FileCacheForget(file);
    file->aiCheckpointLine = -1;
    file->synValidLines = 0;
    bool mine = file_UnderVC(file) && file->checkedOut;
    GenStr question(gen_sprintf(
        "Are you sure you want to discard your changes to %s?%s", file->name,
        mine ? "" : "\nYou don't appear to have checked this file out during this session."));
    if (!WYesNo("Confirm", question.get(), 0)) return 0;
    return file_Uncheck(file) && FileRevert(file);
}

int file_Uncheck(File* file) {
    FileVcFrontEnd* vc = file_VcFrontEnd();
    if (!vc) return noFrontEnd();
    int result;
    {
        QuietVc quiet(*vc);
        result = vc->uncheckFile(file->name);
    }
    if (result != 1) return 0;
    file->checkedOut = file->checkinOnClose = false;
    file->noAutoCheckout = preventautocheckout != 0;
    return 1;
}
