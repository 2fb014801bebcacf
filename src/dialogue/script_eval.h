// dialogue/script_eval.h: the interpreter's state, shared by its modules (dialogue/ only).
#pragma once

#include "dialogue/script.h"
#include "dialogue/script_lex.h"

// What a statement left behind.
enum StmtEnd { ST_NORMAL, ST_BREAK, ST_RETURN };

// Thrown by `dismiss`: the run is abandoned.
struct ScriptDismiss {};

// An assignable place: what an operand named, when it can be assigned to.
struct ScriptPlace {
    enum Kind { NONE, VAR, SUBSTR, PLACER, CALLARG, WIDGET } kind = NONE;
    std::string var;       // VAR, SUBSTR: the variable's name
    int index = 0;         // PLACER, CALLARG: N; SUBSTR: offset; WIDGET: the index (-1 none)
    int count = 0;         // SUBSTR: length
    bool known = true;     // VAR: the variable exists
    struct Widget* widget = nullptr;
    int qualifier = -1;    // WIDGET: KW_NONE, KW_LENGTH, KW_VAL, KW_SEL, KW_SET, KW_LOAD, KW_SAVE
    bool hasIndex = false; // WIDGET: "(" index ")" followed
    ScriptValue indexValue;
    bool deferred = false; // WIDGET: not read yet (it may be about to be assigned)
};

struct ScriptFrame {
    TokenStream ts;
    std::vector<ScriptValue> args; // #1 is args[0]
    ScriptValue result;
};

struct ScriptRun {
    ScriptDialog* dialog = nullptr;
    ScriptFrame* frame = nullptr;
    int depth = 0;   // nested calls
    int nesting = 0; // nested expressions and statements in this run
    long steps = 0;  // loop passes and calls so far
};

// The widget numbered n (from 0) or named; null when there is none (script_widget.cc).
struct Widget* ScriptWidgetByNumber(ScriptDialog* d, int n);
struct Widget* ScriptWidgetByName(ScriptDialog* d, const std::string& name);
// The value of a parsed widget reference, and assigning to one.
ScriptValue ScriptWidgetValue(TokenStream& ts, ScriptPlace& place);
void ScriptWidgetAssign(TokenStream& ts, ScriptPlace& place, const ScriptValue& value);
