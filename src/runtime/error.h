// runtime/error.h: the error service (levels, the last-error word, mprintf, Panic).
#pragma once

#include <cstdarg>

#include "runtime/gen.h"

enum ErrLevel { ERR_SUCCESS = 0, ERR_FAILURE = 1, ERR_ABORTED = 3 };

extern int quorlErrno; // the last-error word

// How reports reach the user. The toolkit installs its alert box, bell and message lines;
// with none installed, everything goes to the standard streams.
struct ErrorSink {
    bool (*displayOpen)() = nullptr;               // an alert box can be shown
    void (*alert)(const char* text) = nullptr;     // show an alert box and wait for it
    void (*bell)() = nullptr;                      // ring the bell
    void (*messageLines)(const char* text) = nullptr; // message line of every command window
    void (*messageList)(const char* text) = nullptr;  // append to the message-list window
    void (*allowInput)() = nullptr;                // re-enable input to the windows
    bool (*guiMprintf)() = nullptr;                // the "GuiMprintf" switch
};
extern ErrorSink err_sink;

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
