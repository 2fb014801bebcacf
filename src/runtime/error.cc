// runtime/error.cc: the error service: reports, the last-error word and Panic.
#include "runtime/error.h"

#include <cstdio>
#include <cstring>
#include <string>

int quorlErrno = 0;
Seam<ErrorDisplay> errorDisplay{"ErrorDisplay", "toolkit"};
Seam<ErrorMessages> errorMessages{"ErrorMessages", "editor"};

static std::string formatText(const char* format, va_list args) {
    char buf[2048];
    vsnprintf(buf, sizeof buf, format ? format : "", args);
    return buf;
}

static void show(const std::string& text) {
    if (ErrorDisplay* display = errorDisplay.find())
        display->alert(text.c_str());
    else
        mprintf("%s", text.c_str());
}

int QuorlVError(int level, const char* format, va_list args) {
    if (quorlErrno == 0 || quorlErrno == 1) quorlErrno = level;
    int result = level == 0 ? 1 : 0;
    if (!format || !*format) return result;
    std::string text = formatText(format, args);
    if (text.empty() || text.back() != '\n') text += '\n';
    show(text);
    return result;
}

int QuorlError(int level, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    int r = QuorlVError(level, format, ap);
    va_end(ap);
    return r;
}

int err_Success(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    QuorlVError(0, format, ap);
    va_end(ap);
    return 1;
}

int err_Failure(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    QuorlVError(1, format, ap);
    va_end(ap);
    return 0;
}

int err_Report(int level, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    int r = QuorlVError(level, format, ap);
    va_end(ap);
    return r;
}

int err_ReportFatal(int level, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    QuorlVError(level, format, ap);
    va_end(ap);
    return 0;
}

int QuorlGetLastError() {
    return quorlErrno;
}
void err_ClearAll() {
    quorlErrno = 0;
}
void QuorlClearLastError() {
    quorlErrno = 0;
}
int err_CheckAndClear(int level) {
    if (quorlErrno != level) return 0;
    quorlErrno = 0;
    return 1;
}

int QuorlFatalError(int, const char* format, ...) {
    if (!format) return 0;
    va_list ap;
    va_start(ap, format);
    std::string text = formatText(format, ap);
    va_end(ap);
    show(text + "\n");
    return 0;
}

void mprintf(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    ErrorMessages* messages = errorMessages.find();
    if (messages && errorDisplay.installed() && messages->guiMprintf()) {
        static char buf[65536];
        vsnprintf(buf, sizeof buf, format, ap);
        messages->messageList(buf);
    } else {
        vfprintf(stdout, format, ap);
        fflush(stdout);
    }
    va_end(ap);
}

void PanicReport(const char* text) {
    fflush(stdout);
    fprintf(stderr, "%s\n", text);
    fflush(stderr);
    if (ErrorDisplay* display = errorDisplay.find()) {
        display->bell();
        display->alert(text);
    }
    if (ErrorMessages* messages = errorMessages.find()) messages->messageLines(text);
}

void Panic(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    std::string text = formatText(format, ap);
    va_end(ap);
    PanicReport(text.c_str());
    throw PanicError{gen_error_depth()};
}

// The same report and unwinding as Panic: the text is shown as given, with nothing appended.
void SysPanic(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    std::string text = formatText(format, ap);
    va_end(ap);
    PanicReport(text.c_str());
    throw PanicError{gen_error_depth()};
}
