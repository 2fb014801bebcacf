// indent/aindent_ada.cc: the Ada grammar of the indenter: blocks with their declarative and
// statement parts, headers that wait for their terminating word, alternatives, labels.
#include <cctype>
#include <cstring>

#include "config/options.h"
#include "indent/aindent_priv.h"

const char* const ada_tokenStrs[] = {
    "begin", "end", ";", "--", "<<", ">>", "(", ")", "if", "then", "elsif", "else", "loop",
    "for", "while", "declare", "exception", "when", "=>", "case", "select", "or", "accept",
    "do", "separate", "procedure", "is", "function", "package", "task", "generic", "private",
    "new", "type", "subtype", "record", "use", "tagged", "with", "\"", "'", ":=", ":", "abort",
};

namespace {

enum AdaTok {
    A_BEGIN, A_END, A_SEMI, A_COMMENT, A_LABEL_OPEN, A_LABEL_CLOSE, A_LPAREN, A_RPAREN, A_IF,
    A_THEN, A_ELSIF, A_ELSE, A_LOOP, A_FOR, A_WHILE, A_DECLARE, A_EXCEPTION, A_WHEN, A_ARROW,
    A_CASE, A_SELECT, A_OR, A_ACCEPT, A_DO, A_SEPARATE, A_PROCEDURE, A_IS, A_FUNCTION,
    A_PACKAGE, A_TASK, A_GENERIC, A_PRIVATE, A_NEW, A_TYPE, A_SUBTYPE, A_RECORD, A_USE,
    A_TAGGED, A_WITH, A_DQUOTE, A_SQUOTE, A_ASSIGN, A_COLON, A_ABORT, A_OTHERCHAR, A_WORD, A_EOL
};

enum AdaKind {
    K_NOTHING, K_STATEMENT, K_AFTERIS, K_BLOCK, K_COMMENT, K_LABEL, K_STRING, K_CHAR, K_PAREN,
    K_WHEN
};

extern const AIStateOps nothingOps, statementOps, afterIsOps, blockOps, commentOps, labelOps,
    stringOps, charOps, parenOps, whenOps;

// Statement fields: flag1 started, flag3 terminator (-1 none), flag5 whether an alternative
// terminator applies, flag6 the alternative, flag2 whether it is a header, flag4 whether it
// began with "with".
void pushStatement(AIndentEngine* engine, int base, int inner, int terminator, bool started,
                   int alternative = -1) {
    AIState s = MakeState(&statementOps, K_STATEMENT, base, inner);
    s.flag1 = started;
    s.flag3 = terminator;
    s.flag5 = alternative >= 0;
    s.flag6 = alternative;
    s.flag2 = terminator >= 0 || alternative >= 0;
    Push(engine, s);
}

// Block fields: flag5 statement part, flag2 "end" seen (or waiting for ";"), flag6 generic,
// flag3 something taken since it opened.
void pushBlock(AIndentEngine* engine, int base, int inner, bool statementPart,
               bool generic = false) {
    AIState b = MakeState(&blockOps, K_BLOCK, base, inner);
    b.flag5 = statementPart;
    b.flag6 = generic;
    Push(engine, b);
}

bool Ada_HaveComment(AIndentEngine* engine, AITokens* tk) {
    if (PeekToken(engine, tk).code != A_COMMENT) return false;
    bool first = FirstOfLine(tk);
    GetToken(engine, tk);
    if (first) {
        int col = engine->lineColumn;
        if (aIndent_touchComments) {
            if (engine->lineColumn == 0 && aIndent_commentsStayFlushLeft)
                col = 0;
            else if (engine->wishColumn >= 0)
                col = engine->wishColumn;
        }
        SetWishCol(engine, tk, col);
    }
    Push(engine, MakeState(&commentOps, K_COMMENT, 0, 0));
    return true;
}

// A "'" opens a character literal only as in 'x'; otherwise it is an attribute's tick.
bool pushQuote(AIndentEngine* engine, AITokens* tk, int code) {
    if (code == A_DQUOTE) {
        GetToken(engine, tk);
        Push(engine, MakeState(&stringOps, K_STRING, 0, 0));
        return true;
    }
    if (code == A_SQUOTE) {
        GetToken(engine, tk);
        if (tk->pos + 1 < tk->len && tk->text[tk->pos + 1] == '\'')
            Push(engine, MakeState(&charOps, K_CHAR, 0, 0));
        return true;
    }
    return false;
}

AIState* nearestBlock(AIndentEngine* engine) {
    for (int d = 0;; d++) {
        AIState* s = Below(engine, d);
        if (!s) return nullptr;
        if (s->kind == K_BLOCK) return s;
    }
}

// Pops, never the bottom state.
void popNotBottom(AIndentEngine* engine) {
    if (engine->stack.size() > 1) Pop(engine);
}

bool wordIs(const AIToken& t, const char* w) {
    int n = (int)strlen(w);
    if (t.len != n) return false;
    for (int i = 0; i < n; i++)
        if (tolower((unsigned char)t.text[i]) != w[i]) return false;
    return true;
}

// ---- bottom ----
int Ada_Nothing_TakeToken(AIndentEngine* engine, AITokens* tk, int, int, int64_t) {
    AIState* self = &Top(engine);
    if (FirstOfLine(tk)) ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
    if (Ada_HaveComment(engine, tk)) return 0;
    int code = PeekToken(engine, tk).code;
    if (code == A_EOL) {
        GetToken(engine, tk);
        return 0;
    }
    if (FirstOfLine(tk) && (code == A_END || code == A_EXCEPTION || code == A_PRIVATE ||
                            code == A_ELSE || code == A_ELSIF || code == A_WHEN || code == A_BEGIN))
        engine->notBeginning = true;
    pushStatement(engine, engine->lineColumn, engine->lineColumn + aIndent_indentForContinuation,
                  -1, false);
    return 0;
}

// ---- statement ----
void alternativeMet(AIndentEngine* engine, int indentSize, int alt) {
    int base = Top(engine).base;
    Pop(engine); // the header
    if (!engine->stack.empty() && Top(engine).kind == K_BLOCK) Pop(engine);
    if (!engine->stack.empty() && Top(engine).kind == K_STATEMENT) {
        Pop(engine);
        if (alt == A_IS)
            Push(engine, MakeState(&afterIsOps, K_AFTERIS, base, base + indentSize));
        else
            pushStatement(engine, base + indentSize, base + indentSize + aIndent_indentForContinuation,
                          -1, true);
    }
}

int Ada_Statement_TakeToken(AIndentEngine* engine, AITokens* tk, int indentSize, int,
                            int64_t) {
    AIState* self = &Top(engine);
    const AIToken t = PeekToken(engine, tk);
    int code = t.code;
    bool first = FirstOfLine(tk);
    if (first) {
        if (self->flag1 && self->flag2 && (code == self->flag3 || code == self->flag6)) {
            // "is", "then", "loop" on a line of their own line up with their header.
            SetWishCol(engine, tk, self->base);
        } else if (self->flag1) {
            ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
        } else {
            AIState* below = Below(engine, 1);
            if (!(below && below->kind == K_BLOCK && below->inner == self->base))
                ModifyWishCol(engine, tk, self->base, &self->base, 0, self);
        }
    }
    if (code == A_COMMENT && self->flag3 == A_EOL) {
        Pop(engine); // "record -- ...": the header ends with its line all the same
        return 0;
    }
    if (Ada_HaveComment(engine, tk)) return 0;
    bool startedBefore = self->flag1;
    if (code != A_EOL) {
        self->flag1 = 1;
        self->taken++;
    }
    // "and then" is an operator, not the "then" an "if" waits for.
    bool andThen = code == A_THEN && tk->count > 0 && wordIs(tk->consumed, "and");
    if (code == self->flag3 && self->flag3 >= 0 && !andThen) {
        GetToken(engine, tk);
        Pop(engine);
        return 0;
    }
    if (self->flag5 && code == self->flag6) {
        GetToken(engine, tk);
        alternativeMet(engine, indentSize, code);
        return 0;
    }
    bool header = self->flag2;
    int col = engine->lineColumn;
    // Generic formal subprograms and packages ("with function F ... is <>;") open nothing.
    if (!startedBefore && code == A_WITH) self->flag4 = 1;
    switch (code) {
    case A_EOL:
        GetToken(engine, tk);
        return 0;
    case A_IF: case A_FOR: case A_WHILE: case A_CASE: case A_ACCEPT: case A_PROCEDURE:
    case A_FUNCTION: case A_PACKAGE: case A_TASK: case A_TYPE: case A_RECORD: {
        GetToken(engine, tk);
        // Within a header ("task type", "protected type", "access procedure") the words name
        // kinds of things and open nothing.
        if (header || self->flag4) return 0;
        if (code == A_TYPE && startedBefore) return 0;
        int inner = code == A_CASE && !aIndent_switchInTwo ? col : col + indentSize;
        bool declarative = code == A_PROCEDURE || code == A_FUNCTION || code == A_PACKAGE ||
                           code == A_TASK || code == A_TYPE || code == A_RECORD;
        pushBlock(engine, col, inner, !declarative);
        int term = -1, alt = -1;
        switch (code) {
        case A_IF: term = A_THEN; break;
        case A_FOR: term = A_LOOP; alt = A_USE; break;
        case A_WHILE: term = A_LOOP; break;
        case A_ACCEPT: term = A_DO; break;
        case A_TYPE: alt = A_IS; break;
        case A_RECORD: term = A_EOL; break;
        default: term = A_IS; break;
        }
        pushStatement(engine, col, col + aIndent_indentForContinuation, term, true, alt);
        return 0;
    }
    case A_DO:
        // "return R : T do ... end return;"
        if (first && startedBefore) SetWishCol(engine, tk, self->base);
        GetToken(engine, tk);
        if (!header) pushBlock(engine, self->base, self->base + indentSize, true);
        return 0;
    case A_BEGIN: case A_LOOP: case A_SELECT: case A_DECLARE: case A_GENERIC:
        GetToken(engine, tk);
        if (first && startedBefore) ModifyWishCol(engine, tk, self->base, &self->base, 0, self);
        pushBlock(engine, col, col + indentSize, code == A_BEGIN || code == A_LOOP || code == A_SELECT,
                  code == A_GENERIC);
        return 0;
    case A_SEMI: {
        GetToken(engine, tk);
        int term = self->flag3;
        bool waiting = header;
        Pop(engine);
        if (waiting) {
            int more = term == A_WITH ? 1 : (term == A_THEN || term == A_ABORT) ? 0 : 2;
            for (int i = 0; i < more; i++)
                popNotBottom(engine);
        }
        return 0;
    }
    case A_LABEL_OPEN: {
        GetToken(engine, tk);
        Pop(engine);
        AIState* encl = engine->stack.empty() ? nullptr : &Top(engine);
        if (first && encl) ModifyWishCol(engine, tk, encl->base, &encl->base, 0, encl);
        if (first && engine->lineColumn == 0) engine->notBeginning = true;
        Push(engine, MakeState(&labelOps, K_LABEL, engine->lineColumn, engine->lineColumn));
        return 0;
    }
    case A_LPAREN: {
        GetToken(engine, tk);
        AIState p = MakeState(&parenOps, K_PAREN, engine->lineColumn, 0);
        p.inner = GetParenIndent(engine, tk, indentSize, aIndent_ada_parenIndentMode);
        Push(engine, p);
        return 0;
    }
    case A_WHEN: {
        GetToken(engine, tk);
        if (startedBefore) return 0; // "exit when", "entry E when"
        Push(engine, MakeState(&whenOps, K_WHEN, self->base, self->base + indentSize));
        pushStatement(engine, self->base, self->base + aIndent_indentForContinuation, A_ARROW, true);
        return 0;
    }
    case A_SEPARATE: {
        GetToken(engine, tk);
        int base = self->base, inner = self->inner;
        Pop(engine);
        pushStatement(engine, base, inner, A_EOL, true);
        return 0;
    }
    case A_COLON: {
        GetToken(engine, tk);
        AIState* block = nearestBlock(engine);
        if (block && block->flag5 && !header && self->taken == 2) { // "Name :" 
            int base = self->base + indentSize;
            Pop(engine);
            pushStatement(engine, base, base + aIndent_indentForContinuation, -1, true);
        }
        return 0;
    }
    case A_DQUOTE: case A_SQUOTE:
        pushQuote(engine, tk, code);
        return 0;
    default:
        GetToken(engine, tk);
        return 0;
    }
}

// ---- after "is" ----
int Ada_AfterIs_TakeToken(AIndentEngine* engine, AITokens* tk, int, int, int64_t) {
    AIState* self = &Top(engine);
    if (FirstOfLine(tk)) ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
    if (Ada_HaveComment(engine, tk)) return 0;
    int code = PeekToken(engine, tk).code;
    if (code == A_EOL) {
        GetToken(engine, tk);
        return 0;
    }
    if (code == A_NEW) {
        GetToken(engine, tk);
        pushStatement(engine, self->base, self->inner, A_WITH, true);
        return 0;
    }
    if (code == A_WORD) {
        GetToken(engine, tk);
        return 0;
    }
    Pop(engine);
    pushStatement(engine, engine->lineColumn, engine->lineColumn + aIndent_indentForContinuation,
                  -1, false);
    return 0;
}

// ---- block ----
int Ada_Block_TakeToken(AIndentEngine* engine, AITokens* tk, int, int, int64_t) {
    AIState* self = &Top(engine);
    if (FirstOfLine(tk)) ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
    if (Ada_HaveComment(engine, tk)) return 0;
    const AIToken t = PeekToken(engine, tk);
    int code = t.code;
    bool fresh = !self->flag3;
    if (code != A_EOL) self->flag3 = 1;
    if (self->flag2) {
        if (code == A_SEMI) {
            Pop(engine); // the ";" is left to the statement that opened the block
            return 0;
        }
        GetToken(engine, tk);
        return 0;
    }
    bool first = FirstOfLine(tk);
    auto atBase = [&] {
        if (first) ModifyWishCol(engine, tk, self->base, &self->base, 0, self);
    };
    if (self->flag6 && (code == A_PROCEDURE || code == A_FUNCTION || code == A_PACKAGE ||
                        code == A_TASK)) {
        atBase();
        int base = self->base;
        Pop(engine);
        if (!engine->stack.empty() && Top(engine).kind == K_STATEMENT) {
            Pop(engine);
            pushStatement(engine, base, base + aIndent_indentForContinuation, -1, false);
        }
        return 0;
    }
    switch (code) {
    case A_EOL:
        GetToken(engine, tk);
        return 0;
    case A_BEGIN:
        if (self->flag5) break;
        GetToken(engine, tk);
        atBase();
        self->flag5 = 1;
        return 0;
    case A_END:
        GetToken(engine, tk);
        atBase();
        self->flag2 = 1;
        return 0;
    case A_THEN: case A_ELSIF:
        atBase();
        pushStatement(engine, self->base, self->base + aIndent_indentForContinuation,
                      code == A_THEN ? A_ABORT : A_THEN, false);
        if (code == A_THEN) GetToken(engine, tk);
        return 0;
    case A_ELSE: case A_EXCEPTION: case A_OR: case A_PRIVATE:
        GetToken(engine, tk);
        atBase();
        return 0;
    case A_NEW: case A_SEPARATE:
        // "is new ...;", "is separate;": a declaration that ends with its ";".
        GetToken(engine, tk);
        self->flag2 = 1;
        return 0;
    default:
        // "is abstract;", "is null;", and expression functions "is (...);".
        if (fresh && !self->flag5 &&
            (wordIs(t, "abstract") || wordIs(t, "null") || code == A_LPAREN)) {
            GetToken(engine, tk);
            self->flag2 = 1;
            return 0;
        }
        break;
    }
    pushStatement(engine, self->inner, self->inner + aIndent_indentForContinuation, -1, false);
    return 0;
}

// ---- "when" alternative ----
int Ada_When_TakeToken(AIndentEngine* engine, AITokens* tk, int, int, int64_t) {
    AIState* self = &Top(engine);
    if (FirstOfLine(tk)) ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
    if (Ada_HaveComment(engine, tk)) return 0;
    int code = PeekToken(engine, tk).code;
    if (code == A_END || code == A_ELSE || code == A_WHEN || code == A_OR) {
        Pop(engine);
        if (!engine->stack.empty() && Top(engine).kind == K_STATEMENT) Pop(engine);
        return 0;
    }
    if (code == A_EOL) {
        GetToken(engine, tk);
        return 0;
    }
    pushStatement(engine, self->inner, self->inner + aIndent_indentForContinuation, -1, false);
    return 0;
}

// ---- labels, comments, strings, parentheses ----
int Ada_Label_TakeToken(AIndentEngine* engine, AITokens* tk, int, int, int64_t) {
    AIState* self = &Top(engine);
    if (FirstOfLine(tk)) ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
    if (GetToken(engine, tk).code == A_LABEL_CLOSE) Pop(engine);
    return 0;
}

int Ada_Comment_TakeToken(AIndentEngine* engine, AITokens* tk, int, int, int64_t) {
    if (GetToken(engine, tk).code == A_EOL) Pop(engine);
    return 0;
}

int Ada_Quoted_TakeToken(AIndentEngine* engine, AITokens* tk, int, int, int64_t) {
    AIState* self = &Top(engine);
    if (FirstOfLine(tk)) SetWishCol(engine, tk, 0);
    int code = GetToken(engine, tk).code;
    if (code == (self->kind == K_STRING ? A_DQUOTE : A_SQUOTE) || code == A_EOL) Pop(engine);
    return 0;
}

int Ada_Paren_TakeToken(AIndentEngine* engine, AITokens* tk, int indentSize, int, int64_t) {
    AIState* self = &Top(engine);
    int code = PeekToken(engine, tk).code;
    if (FirstOfLine(tk)) {
        if (code == A_RPAREN)
            SetWishCol(engine, tk, self->base);
        else
            ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
    }
    if (Ada_HaveComment(engine, tk)) return 0;
    if (pushQuote(engine, tk, code)) return 0;
    GetToken(engine, tk);
    if (code == A_RPAREN) {
        Pop(engine);
    } else if (code == A_LPAREN) {
        AIState p = MakeState(&parenOps, K_PAREN, engine->lineColumn, 0);
        p.inner = GetParenIndent(engine, tk, indentSize, aIndent_ada_parenIndentMode);
        Push(engine, p);
    }
    return 0;
}

const AIStateOps nothingOps{"nothing", Ada_Nothing_TakeToken};
const AIStateOps statementOps{"statement", Ada_Statement_TakeToken};
const AIStateOps afterIsOps{"after is", Ada_AfterIs_TakeToken};
const AIStateOps blockOps{"block", Ada_Block_TakeToken};
const AIStateOps commentOps{"comment", Ada_Comment_TakeToken};
const AIStateOps labelOps{"label", Ada_Label_TakeToken};
const AIStateOps stringOps{"string", Ada_Quoted_TakeToken};
const AIStateOps charOps{"character literal", Ada_Quoted_TakeToken};
const AIStateOps parenOps{"parenthesised expression", Ada_Paren_TakeToken};
const AIStateOps whenOps{"when", Ada_When_TakeToken};

} // namespace

void New_ada_nothing(AIndentEngine* engine) {
    engine->stack.clear();
    engine->stack.push_back(MakeState(&nothingOps, K_NOTHING, 0, 0));
}
