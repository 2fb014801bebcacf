// indent/aindent_priv.h: what the engine's core and its two grammars share: the states, the
// token reader and the learning of columns.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "indent/aindent.h"

struct AIndentEngine;
struct AITokens;
struct AIState;

// A state's reaction to the token in front of it: consume it, push a state and leave it, or
// pop and leave it to the state below. Returns 0, or -1 on an internal inconsistency.
using AITakeTokenFn = int (*)(AIndentEngine* engine, AITokens* tk, int indentSize, int tabSize,
                              int64_t lineNumber);

// The operations of a kind of state. The stack holds states by value, so deleting and
// cloning a state are the container's copy and destruction.
struct AIStateOps {
    const char* name;
    AITakeTokenFn takeToken;
};

struct AIState {
    const AIStateOps* ops = nullptr;
    int kind = 0;
    int inner = 0; // where lines inside or continuing the construct go
    int base = 0;  // the column of the construct itself
    // Kind-specific fields, named for the kinds that use them.
    int flag1 = 0;   // C statement: ternary; if / fws: condition seen; Ada statement: started
    int flag2 = 0;   // C statement: started; if: phase; Ada block: "end" seen
    int flag3 = 0;   // C statement: comma; fws: keyword; Ada statement: terminator
    int flag4 = 0;   // C statement: first line; comment: column after the opener
    int flag5 = 0;   // Ada statement: alternative applies / block: statement part
    int taken = 0;   // tokens the state has consumed (Ada statements)
    int flag6 = 0;   // C statement: a wrapper (namespace, extern); Ada statement: the
                     // alternative / block: generic
};
using AIStack = std::deque<AIState>;

// A preprocessor conditional: the stack at its "#if", the stack that the kept branch left.
struct AIPreprocIf {
    AIStack atIf;
    AIStack kept;
    bool haveKept = false;
    int branch = 1;
    int keep = 1;
    bool elseSeen = false;
};

struct AIToken {
    int code = -1;
    int col = 0;      // column where it starts
    int colAfter = 0; // column just after it
    int len = 0;
    const char* text = nullptr;
};

struct AITokens {
    const char* text = nullptr;
    int len = 0;
    int pos = 0;
    int col = 0;
    int tabSize = 8;
    int count = 0;        // tokens consumed on this line
    bool havePeek = false;
    AIToken peeked;
    AIToken consumed;
    int lastCode = -1;    // code of the last token before the end of the line
};

struct AILangSettings {
    int nTokens;
    const char* const* tokenStrs;
    void (*newNothing)(AIndentEngine* engine);
    int otherWord;
    int endOfLine;
    bool angleLists; // "<" after a class name opens an argument list (C++, Java)
};
extern const AILangSettings AI_LangSettings[4];
extern const char* const c_tokenStrs[];
extern const char* const ada_tokenStrs[];

struct AIndentEngine {
    int lineColumn = 0;
    int wishColumn = -1;
    int* learnField = nullptr;
    int learnCorrection = 0;
    const AIState* learnOwner = nullptr;
    bool notBeginning = false;
    AIStack stack;
    std::vector<AIPreprocIf> conds;
    int language = 0;
};

// ---- token reader ----
const AIToken& PeekToken(AIndentEngine* engine, AITokens* tk);
const AIToken& GetToken(AIndentEngine* engine, AITokens* tk);
inline bool FirstOfLine(const AITokens* tk) {
    return tk->count == 0;
}
inline bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// ---- the stack ----
AIState& Top(AIndentEngine* engine);
AIState* Below(AIndentEngine* engine, int depth); // depth 1: just under the top; null none
void Push(AIndentEngine* engine, const AIState& state);
void Pop(AIndentEngine* engine); // tells the learning registration of the state's death
AIState MakeState(const AIStateOps* ops, int kind, int base, int inner);

// ---- columns ----
void ModifyWishCol(AIndentEngine* engine, AITokens* tk, int column, int* field, int correction,
                   const AIState* owner);
// The wish column without anything to learn.
void SetWishCol(AIndentEngine* engine, AITokens* tk, int column);
int GetParenIndent(AIndentEngine* engine, AITokens* tk, int indentSize, int parenMode);

// ---- the grammars ----
void New_c_nothing(AIndentEngine* engine);
void New_ada_nothing(AIndentEngine* engine);
