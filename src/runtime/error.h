// runtime/error.h: the error service (levels, the last-error word, mprintf, Panic).
#pragma once

#include <cstdarg>

#include "runtime/gen.h"
#include "runtime/seam.h"

enum ErrLevel { ERR_SUCCESS = 0, ERR_FAILURE = 1, ERR_ABORTED = 3 };

extern int quorlErrno; // the last-error word

// How reports reach the user. With neither interface installed (no display, or a program
// without the toolkit) everything goes to the standard streams.
// The toolkit's alert box and bell, installed while a display is attached.
struct ErrorDisplay {
    virtual void alert(const char* text) = 0; // show an alert box and wait for it
    virtual void bell() = 0;
};
extern Seam<ErrorDisplay> errorDisplay;
// The editor's windows: the message line of every command window, the message list, and
// whether mprintf goes there (the "GuiMprintf" switch).
struct ErrorMessages {
    virtual void messageLines(const char* text) = 0;
    virtual void messageList(const char* text) = 0;
    virtual bool guiMprintf() = 0;
};
extern Seam<ErrorMessages> errorMessages;

int QuorlError(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
int QuorlVError(int level, const char* format, va_list args);
int err_Success(const char* format, ...) __attribute__((format(printf, 1, 2)));
int err_Failure(const char* format, ...) __attribute__((format(printf, 1, 2)));
int err_Report(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
int err_ReportFatal(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
int QuorlGetLastError();
void err_ClearAll();
void QuorlClearLastError();
int err_CheckAndClear(int level);
int QuorlFatalError(int code, const char* format, ...) __attribute__((format(printf, 2, 3)));
void mprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

[[noreturn]] void Panic(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void SysPanic(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Shows the panic text everywhere (stderr, bell, alert, message lines) without unwinding.
void PanicReport(const char* text);
