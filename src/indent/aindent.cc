// indent/aindent.cc: the engine's core: creating and copying engines, the token reader, the
// stack, learning columns, and feeding lines.
#include "indent/aindent.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "indent/aindent_priv.h"

int aIndent_indentForContinuation = 3;

// ---- engines ----

AIndentEngine* AIndent_New(int language) {
    if (language < 0 || language > AI_LANG_JAVA) language = AI_LANG_C;
    AIndentEngine* engine = new (std::nothrow) AIndentEngine;
    if (!engine) return nullptr;
    engine->language = language;
    AI_LangSettings[language].newNothing(engine);
    return engine;
}

AIndentEngine* AIndent_Clone(const AIndentEngine* engine) {
    if (!engine) return nullptr;
    AIndentEngine* copy = new (std::nothrow) AIndentEngine(*engine);
    if (!copy) return nullptr;
    // A registration points into the original's stack; clones are taken between lines,
    // where there is none.
    copy->learnField = nullptr;
    copy->learnOwner = nullptr;
    return copy;
}

void AIndent_Delete(AIndentEngine* engine) {
    delete engine;
}

int AIndent_Language(const AIndentEngine* engine) {
    return engine->language;
}

// ---- the token reader ----

static bool matchAt(const AITokens* tk, const char* s, int n, bool folded) {
    if (tk->pos + n > tk->len) return false;
    for (int i = 0; i < n; i++) {
        char c = tk->text[tk->pos + i];
        if (folded ? tolower((unsigned char)c) != s[i] : c != s[i]) return false;
    }
    // A string ending in a word character must not run into more of a word.
    if (IsWordChar(s[n - 1]) && tk->pos + n < tk->len && IsWordChar(tk->text[tk->pos + n]))
        return false;
    return true;
}

// The token strings of a language by their first byte, in table order, with their lengths:
// the reader tries only those that can match.
struct AITokenIndex {
    std::vector<int> byFirst[256];
    std::vector<int> length;
};

static const AITokenIndex& tokenIndex(int language) {
    static AITokenIndex built[4];
    static bool ready[4];
    AITokenIndex& ix = built[language];
    if (!ready[language]) {
        const AILangSettings& ls = AI_LangSettings[language];
        for (int i = 0; i < ls.nTokens; i++) {
            const char* t = ls.tokenStrs[i];
            ix.length.push_back((int)strlen(t));
            unsigned char c = (unsigned char)t[0];
            ix.byFirst[c].push_back(i);
            if (language == AI_LANG_ADA && toupper(c) != c) ix.byFirst[toupper(c)].push_back(i);
        }
        ready[language] = true;
    }
    return ix;
}

static const AIToken& PeekOrGetToken(AIndentEngine* engine, AITokens* tk, bool get) {
    if (!tk->havePeek) {
        int tab = tk->tabSize > 0 ? tk->tabSize : 8;
        while (tk->pos < tk->len) {
            char c = tk->text[tk->pos];
            if (c == ' ' || c == '\r' || c == '\f' || c == '\v')
                tk->col++;
            else if (c == '\t')
                tk->col = tab * (tk->col / tab + 1);
            else
                break;
            tk->pos++;
        }
        const AILangSettings& ls = AI_LangSettings[engine->language];
        AIToken& t = tk->peeked;
        t.col = tk->col;
        t.text = tk->text + tk->pos;
        if (tk->pos >= tk->len) {
            t.code = ls.endOfLine;
            t.len = 0;
        } else {
            t.code = -1;
            bool folded = engine->language == AI_LANG_ADA;
            const AITokenIndex& ix = tokenIndex(engine->language);
            for (int i : ix.byFirst[(unsigned char)tk->text[tk->pos]]) {
                if (matchAt(tk, ls.tokenStrs[i], ix.length[(size_t)i], folded)) {
                    t.code = i;
                    t.len = ix.length[(size_t)i];
                    break;
                }
            }
            if (t.code < 0) {
                int n = 0;
                while (tk->pos + n < tk->len && IsWordChar(tk->text[tk->pos + n]))
                    n++;
                if (n > 0) {
                    t.code = ls.otherWord;
                    t.len = n;
                } else {
                    t.code = ls.otherWord - 1;
                    t.len = 1;
                }
            }
        }
        t.colAfter = t.col + t.len;
        tk->havePeek = true;
        if (tk->count == 0) engine->lineColumn = t.col;
    }
    if (get) {
        tk->consumed = tk->peeked;
        tk->havePeek = false;
        tk->pos += tk->consumed.len;
        tk->col = tk->consumed.colAfter;
        if (tk->consumed.code != AI_LangSettings[engine->language].endOfLine)
            tk->lastCode = tk->consumed.code;
        tk->count++;
        return tk->consumed;
    }
    return tk->peeked;
}

const AIToken& PeekToken(AIndentEngine* engine, AITokens* tk) {
    return PeekOrGetToken(engine, tk, false);
}
const AIToken& GetToken(AIndentEngine* engine, AITokens* tk) {
    return PeekOrGetToken(engine, tk, true);
}

// ---- the stack ----

AIState MakeState(const AIStateOps* ops, int kind, int base, int inner) {
    AIState s;
    s.ops = ops;
    s.kind = kind;
    s.base = base;
    s.inner = inner;
    return s;
}

AIState& Top(AIndentEngine* engine) {
    return engine->stack.back();
}

AIState* Below(AIndentEngine* engine, int depth) {
    int n = (int)engine->stack.size();
    return n - 1 - depth >= 0 ? &engine->stack[(size_t)(n - 1 - depth)] : nullptr;
}

void Push(AIndentEngine* engine, const AIState& state) {
    engine->stack.push_back(state);
}

// NotifyOfDeath: a state that goes takes its registration for learning with it.
void Pop(AIndentEngine* engine) {
    if (engine->stack.empty()) return;
    if (engine->learnOwner == &engine->stack.back()) {
        engine->learnField = nullptr;
        engine->learnOwner = nullptr;
    }
    engine->stack.pop_back();
}

// ---- columns ----

void ModifyWishCol(AIndentEngine* engine, AITokens* tk, int column, int* field, int correction,
                   const AIState* owner) {
    engine->wishColumn = column < 0 ? 0 : column; // a label one step left of the margin
    engine->learnField = field;
    engine->learnCorrection = correction;
    engine->learnOwner = owner;
    // Blank lines teach nothing.
    if (PeekToken(engine, tk).code == AI_LangSettings[engine->language].endOfLine &&
        FirstOfLine(tk)) {
        engine->learnField = nullptr;
        engine->learnOwner = nullptr;
    }
}

void SetWishCol(AIndentEngine* engine, AITokens* tk, int column) {
    ModifyWishCol(engine, tk, column, nullptr, 0, nullptr);
}

// Called with the "(" just consumed.
int GetParenIndent(AIndentEngine* engine, AITokens* tk, int indentSize, int parenMode) {
    if (parenMode == 1) return engine->lineColumn + 2 * indentSize;
    int after = tk->consumed.colAfter;
    const AIToken& next = PeekToken(engine, tk);
    return next.code == AI_LangSettings[engine->language].endOfLine ? after : next.col;
}

// ---- feeding lines ----

constexpr size_t kMaxDepth = 2000;
constexpr size_t kMaxConditionals = 200;

static int ParseLine(AIndentEngine* engine, const char* text, int len, int indentSize,
                     int tabSize, int64_t lineNumber) {
    AITokens tk;
    tk.text = text;
    tk.len = text ? len : 0;
    tk.tabSize = tabSize;
    engine->wishColumn = -1;
    engine->learnField = nullptr;
    engine->learnOwner = nullptr;
    int eol = AI_LangSettings[engine->language].endOfLine;
    // Each token is taken by one state in the end; a state that pushes or pops leaves it for
    // the next. The guard stops a state table that would pass a token round for ever.
    long long guardLimit = 64LL * (tk.len + 2);
    for (long long guard = 0; guard < guardLimit; guard++) {
        const AIToken& t = PeekToken(engine, &tk);
        int code = t.code;
        if (engine->stack.empty()) {
            fprintf(stderr, "Error: Stack empty in ParseLine\n");
            engine->wishColumn = -1;
            return -1;
        }
        int before = tk.count;
        Top(engine).ops->takeToken(engine, &tk, indentSize, tabSize, lineNumber);
        // Nesting no program has (a line of a million "(") starts the engine afresh rather
        // than growing it without bound.
        if (engine->stack.size() > kMaxDepth || engine->conds.size() > kMaxConditionals) {
            engine->stack.resize(1);
            engine->conds.clear();
            engine->learnField = nullptr;
            engine->learnOwner = nullptr;
        }
        if (code == eol && tk.count > before) {
            if (engine->learnField) *engine->learnField = engine->lineColumn - engine->learnCorrection;
            engine->learnField = nullptr;
            engine->learnOwner = nullptr;
            return engine->wishColumn;
        }
    }
    fprintf(stderr, "Error: no state takes the end of line %lld\n", (long long)lineNumber);
    return engine->wishColumn;
}

int AIndent_ParseLine(AIndentEngine* engine, const char* text, int len, int indentSize,
                      int tabSize, int64_t lineNumber) {
    return ParseLine(engine, text, len, indentSize, tabSize, lineNumber);
}

int AIndent_GetIndentColumn(AIndentEngine* engine, const char* text, int len, int indentSize,
                            int tabSize, int64_t lineNumber) {
    // The line is read by a copy that is thrown away. The copy leaves the conditionals out:
    // they change only on a directive line, which goes to column 0 whatever they hold.
    static AIndentEngine probe;
    probe.stack = engine->stack;
    probe.conds.clear();
    probe.language = engine->language;
    probe.notBeginning = engine->notBeginning;
    probe.lineColumn = engine->lineColumn;
    return ParseLine(&probe, text, len, indentSize, tabSize, lineNumber);
}

bool AIndent_ReallyBeginning(bool isAda, const char* text, int len) {
    if (!text || len <= 0 || !IsWordChar(text[0])) return false;
    AIndentEngine engine;
    engine.language = isAda ? AI_LANG_ADA : AI_LANG_C;
    AI_LangSettings[engine.language].newNothing(&engine);
    ParseLine(&engine, text, len, 4, 4, 1);
    return !engine.notBeginning;
}
