// dialogue/script.h: the dialogue script language: one pass straight over the source text,
// parsing and evaluating together; code that must not run is parsed in skipping mode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WDialog;

// A script value: a 32-bit integer or a string.
struct ScriptValue {
    bool isInt = true;
    int32_t i = 0;
    std::string s;
    static ScriptValue Int(int32_t v) {
        ScriptValue r;
        r.i = v;
        return r;
    }
    static ScriptValue Str(std::string v) {
        ScriptValue r;
        r.isInt = false;
        r.s = std::move(v);
        return r;
    }
};

// The dialogue a script runs for: its widgets, placer arguments and the callbacks of whoever
// opened it. Every field may be empty (a script run with no dialogue).
struct ScriptDialog {
    WDialog* dialog = nullptr;
    std::vector<std::string> args; // placer arguments, %1 is args[0]
    int level = 0;                 // activation level (kept in the dialogue when there is one)
    // The command interpreter: runs a command string; 1 on success.
    int (*cli)(void* arg, const char* command) = nullptr;
    // Text processing: the string a command string gives back; false when it cannot.
    bool (*text)(void* arg, const char* command, std::string& out) = nullptr;
    void* arg = nullptr;
    std::string name;              // the source name in error reports
    bool dismissed = false;        // a script ran `dismiss`
    int dismissValue = 0;
};

// Runs code for the dialogue: the value given to `return` (integer 0 without one). A run that
// ends with an error reports it in an alert and returns false (result the integer 0).
bool InvokeFunc(const char* code, ScriptDialog* dialog, ScriptValue* result = nullptr);
// The same with up to two integer arguments (#1, #2); argc is how many are given.
bool CallParseOn(ScriptDialog* dialog, const char* code, int argc, int arg1, int arg2,
                 ScriptValue* result = nullptr);
// When a variable called name exists its value is the code, else name itself is the code.
bool CallDBProc(const char* name, const std::vector<ScriptValue>& args, ScriptValue* result,
                ScriptDialog* dialog);

// The process-wide variables (1024 chained buckets).
ScriptValue* LookupVar(const char* name);            // null when never assigned
ScriptValue* InsertVar(const char* name, const ScriptValue& value);
unsigned ScriptHash(const char* name);               // the bucket, 0..1023
void ScriptClearVars();                              // tests

// Named dialogue descriptions, the same shape: the description's text and its origin.
struct DialogueDescription {
    std::string text;   // the description as written
    std::string source; // file name (or "built-in")
    int line = 1;       // where it starts in that file
};
const DialogueDescription* LookupDlb(const char* name);
void InsertDlb(const char* name, const DialogueDescription& description);
std::vector<std::string> DlbNames();

// Shows an error report (an alert); tests may replace it.
extern void (*scriptReport)(const std::string& text);
// Loop passes and calls a run may make before it is ended ("Script ran too long"); negative:
// no limit. Harnesses that run untrusted scripts set it.
extern long scriptStepLimit;
// How deep calls of script functions may nest before the run is ended.
enum { SCRIPT_MAX_DEPTH = 200, SCRIPT_MAX_NESTING = 1500 };
