// indent/aindent_c.cc: the C-family grammar of the indenter (C, C++, Java): its tokens and
// states, from the bottom of the stack to strings, comments and preprocessor conditionals.
#include <cstdio>
#include <cstring>
#include <string>

#include "config/options.h"
#include "indent/aindent_priv.h"

namespace {

enum CTok {
    T_LBRACE, T_RBRACE, T_EQUALS, T_IF, T_ELSE, T_FOR, T_WHILE, T_SWITCH, T_CLASS, T_STRUCT,
    T_UNION, T_ENUM, T_IFDEF, T_IFNDEF, T_ELIF, T_ENDIF, T_HASH, T_CMT_OPEN, T_CMT_CLOSE,
    T_LINECMT, T_LPAREN, T_RPAREN, T_LBRACKET, T_RBRACKET, T_DQUOTE, T_SEMI, T_SCOPE, T_COLON,
    T_SQUOTE, T_ESC_DQUOTE, T_ESC_SQUOTE, T_ESC_BACKSLASH, T_QUESTION, T_BACKSLASH, T_LESS,
    T_GREATER, T_OTHERCHAR, T_WORD, T_EOL
};

enum CKind {
    K_NOTHING, K_STATEMENT, K_BRACE, K_IF, K_FWS, K_DEFSTART, K_DEFINITION, K_EQUALS, K_INIT,
    K_COMMENT, K_LINECOMMENT, K_PREPROC, K_PREPROCIF, K_PAREN, K_BRACKET, K_STRING, K_CHAR,
    K_TEMPLATE
};

extern const AIStateOps nothingOps, statementOps, braceOps, ifOps, fwsOps, defStartOps,
    definitionOps, equalsOps, initOps, commentOps, lineCommentOps, preprocOps, parenOps,
    bracketOps, stringOps, charOps, templateOps;

int parenMode() {
    return aIndent_parenIndentMode;
}

bool angleLists(const AIndentEngine* engine) {
    return AI_LangSettings[engine->language].angleLists;
}

// The word of a token as written.
std::string tokenWord(const AIToken& t) {
    return std::string(t.text, (size_t)t.len);
}

void pushStatement(AIndentEngine* engine, int base, int inner, int64_t lineNumber) {
    AIState s = MakeState(&statementOps, K_STATEMENT, base, inner);
    s.flag4 = (int)(lineNumber & 0x7fffffff);
    Push(engine, s);
}

void pushParen(AIndentEngine* engine, AITokens* tk, int indentSize, bool bracket) {
    AIState s = bracket ? MakeState(&bracketOps, K_BRACKET, 0, 0) : MakeState(&parenOps, K_PAREN, 0, 0);
    s.inner = GetParenIndent(engine, tk, indentSize, parenMode());
    s.base = engine->lineColumn; // a line that starts by closing it goes back here
    Push(engine, s);
}

// Strings and character constants; the quote itself is consumed here.
bool pushQuote(AIndentEngine* engine, AITokens* tk, int code) {
    if (code == T_DQUOTE) {
        GetToken(engine, tk);
        Push(engine, MakeState(&stringOps, K_STRING, 0, 0));
        return true;
    }
    if (code == T_SQUOTE) {
        GetToken(engine, tk);
        Push(engine, MakeState(&charOps, K_CHAR, 0, 0));
        return true;
    }
    return false;
}

// C_HandleEndOfStatement: unwind the statements a ";" or "}" ends.
void endOfStatement(AIndentEngine* engine) {
    while (!engine->stack.empty()) {
        AIState& s = Top(engine);
        if (s.kind == K_STATEMENT || s.kind == K_FWS) {
            Pop(engine);
        } else if (s.kind == K_IF) {
            if (s.flag2 == 0) {
                s.flag2 = 1;
                return;
            }
            Pop(engine);
        } else {
            return;
        }
    }
}

// Pops if, statement and for/while/switch states: what an unexpected token ends.
void unwindStatements(AIndentEngine* engine) {
    while (!engine->stack.empty()) {
        int k = Top(engine).kind;
        if (k != K_STATEMENT && k != K_IF && k != K_FWS) return;
        Pop(engine);
    }
}

// The text of a comment or directive line after its opener, blanks skipped.
char charAfter(const AITokens* tk) {
    int p = tk->pos;
    while (p < tk->len && (tk->text[p] == ' ' || tk->text[p] == '\t'))
        p++;
    return p < tk->len ? tk->text[p] : 0;
}

// C_HaveComment: comments and directive lines, tried by the main states before they look at
// a token. True when it took the token.
bool C_HaveComment(AIndentEngine* engine, AITokens* tk) {
    const AIToken& t = PeekToken(engine, tk);
    bool first = FirstOfLine(tk);
    if (t.code == T_CMT_OPEN) {
        int shift = 0; // how far the comment's line moves
        if (first) {
            int col = engine->lineColumn;
            if (aIndent_touchComments) {
                GetToken(engine, tk);
                if (charAfter(tk) == '#' && tk->pos < tk->len && tk->text[tk->pos] == '#')
                    col = 0;
                else if (engine->lineColumn == 0 && aIndent_commentsStayFlushLeft)
                    col = 0;
                else if (engine->wishColumn >= 0)
                    col = engine->wishColumn;
            } else {
                GetToken(engine, tk);
            }
            SetWishCol(engine, tk, col); // comments teach nothing
            shift = col - engine->lineColumn;
        } else {
            GetToken(engine, tk);
        }
        int open = tk->consumed.col + shift;
        AIState s = MakeState(&commentOps, K_COMMENT, open, open + 1);
        // Lines of text without a leading star line up with the text after the opener.
        const AIToken& next = PeekToken(engine, tk);
        s.flag4 = next.code == T_EOL ? open + 3 : next.col + shift;
        Push(engine, s);
        return true;
    }
    if (t.code == T_LINECMT) {
        if (first) {
            GetToken(engine, tk);
            int col = engine->wishColumn >= 0 ? engine->wishColumn : engine->lineColumn;
            if ((tk->pos < tk->len && tk->text[tk->pos] == '#') ||
                (engine->lineColumn == 0 && aIndent_commentsStayFlushLeft))
                col = 0;
            SetWishCol(engine, tk, col);
        } else {
            GetToken(engine, tk);
        }
        Push(engine, MakeState(&lineCommentOps, K_LINECOMMENT, 0, 0));
        return true;
    }
    if (t.code == T_HASH && first && engine->language != AI_LANG_JAVA) {
        GetToken(engine, tk);
        SetWishCol(engine, tk, 0);
        if (Top(engine).kind == K_NOTHING) engine->notBeginning = true;
        Push(engine, MakeState(&preprocOps, K_PREPROC, 0, 0));
        return true;
    }
    return false;
}

bool beginsStatement(int code) {
    switch (code) {
    case T_LBRACE: case T_EQUALS: case T_IF: case T_FOR: case T_WHILE: case T_SWITCH:
    case T_CLASS: case T_STRUCT: case T_UNION: case T_ENUM: case T_LPAREN: case T_LBRACKET:
    case T_DQUOTE: case T_SQUOTE: case T_WORD: case T_OTHERCHAR: case T_SCOPE: case T_LESS:
        return true;
    default:
        return false;
    }
}

// ---- kind 0: bottom of the stack ----
int C_Nothing_TakeToken(AIndentEngine* engine, AITokens* tk, int indentSize, int, int64_t line) {
    AIState& self = Top(engine);
    if (self.kind != K_NOTHING) {
        fprintf(stderr, "C_Nothing_TakeToken called on line with top of stack not \"nothing\".");
        return -1;
    }
    if (FirstOfLine(tk)) SetWishCol(engine, tk, self.inner);
    if (C_HaveComment(engine, tk)) return 0;
    int code = PeekToken(engine, tk).code;
    // Bits of the conditional and label grammar a fresh engine meets at a line's start.
    if (beginsStatement(code) || code == T_ELSE) {
        if (code == T_ELSE && FirstOfLine(tk)) engine->notBeginning = true;
        pushStatement(engine, engine->lineColumn, engine->lineColumn + indentSize, line);
        return 0;
    }
    if (FirstOfLine(tk) && (code == T_RBRACE || code == T_RPAREN)) engine->notBeginning = true;
    GetToken(engine, tk);
    return 0;
}

// A statement that so far is only a prefix of the next line's one: "template <...>" in C++,
// annotations ("@Name", "@Name(...)") in Java and C++. Its flag5: 1 after "@", 2 after the
// annotation's name, 3 after "template"; 0 once anything else comes.
void notePrefix(AIndentEngine* engine, AIState* self, const AIToken& t, bool startedBefore) {
    if (engine->stack.empty() || &Top(engine) != self) {
        // The statement is gone, or a state it pushed is on top: a "(" or "<" of the prefix.
        if (self->flag5 == 2 && t.code != T_LPAREN) self->flag5 = 0;
        if (self->flag5 == 3 && t.code != T_LESS) self->flag5 = 0;
        return;
    }
    bool at = t.len == 1 && t.text[0] == '@' && engine->language != AI_LANG_C;
    if (!startedBefore) {
        if (t.code == T_WORD && t.len == 8 && strncmp(t.text, "template", 8) == 0 &&
            angleLists(engine))
            self->flag5 = 3;
        else
            self->flag5 = at ? 1 : 0;
    } else if (self->flag5 == 1 && t.code == T_WORD) {
        self->flag5 = 2;
    } else if (self->flag5 == 2 && t.len == 1 && t.text[0] == '.') {
        self->flag5 = 1;
    } else if (self->flag5 && at) {
        self->flag5 = 1;
    } else if (!(self->flag5 == 3 && t.code == T_GREATER)) {
        self->flag5 = 0;
    }
}

// ---- kind 1: statement ----
int C_Statement_TakeToken(AIndentEngine* engine, AITokens* tk, int indentSize, int, int64_t line) {
    AIState* self = &Top(engine);
    if (self->kind != K_STATEMENT) {
        fprintf(stderr, "C_Statement_TakeToken called on line with top of stack not a statement.");
        return -1;
    }
    int code = PeekToken(engine, tk).code;
    bool first = FirstOfLine(tk);
    if (code == T_RBRACE && self->flag2) {
        // A statement without its ";" (a macro call) ends at the block's end.
        unwindStatements(engine);
        return 0;
    }
    if (first && self->flag2) {
        if (self->flag5 >= 2)
            SetWishCol(engine, tk, self->base); // after "template <...>" or an annotation
        else if (self->base == 0 && !self->flag3)
            SetWishCol(engine, tk, 0);
        else
            ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
    }
    if (C_HaveComment(engine, tk)) return 0;
    if (code == T_EOL) {
        GetToken(engine, tk);
        return 0;
    }
    bool startedBefore = self->flag2;
    self->flag2 = 1;
    const AIToken t = GetToken(engine, tk);
    switch (code) {
    case T_LBRACE: {
        if (first && startedBefore) ModifyWishCol(engine, tk, self->base, &self->base, 0, self);
        // Namespaces and extern "C" wrap whole files: their bodies stay where they are.
        Push(engine, MakeState(&braceOps, K_BRACE, self->base, self->flag6 ? self->base : self->inner));
        break;
    }
    case T_EQUALS:
        Push(engine, MakeState(&equalsOps, K_EQUALS, engine->lineColumn,
                               engine->lineColumn + indentSize));
        break;
    case T_IF: {
        int col = engine->lineColumn;
        Pop(engine);
        Push(engine, MakeState(&ifOps, K_IF, col, col + indentSize));
        break;
    }
    case T_FOR: case T_WHILE: case T_SWITCH: {
        int col = engine->lineColumn;
        Pop(engine);
        int step = code == T_SWITCH && aIndent_switchInTwo ? 2 * indentSize : indentSize;
        AIState s = MakeState(&fwsOps, K_FWS, col, col + step);
        s.flag3 = code;
        Push(engine, s);
        break;
    }
    case T_CLASS: case T_STRUCT: case T_UNION: case T_ENUM:
        Push(engine, MakeState(&defStartOps, K_DEFSTART, engine->lineColumn, engine->lineColumn));
        break;
    case T_LPAREN: case T_LBRACKET:
        pushParen(engine, tk, indentSize, code == T_LBRACKET);
        break;
    case T_DQUOTE:
        Push(engine, MakeState(&stringOps, K_STRING, 0, 0));
        break;
    case T_SQUOTE:
        Push(engine, MakeState(&charOps, K_CHAR, 0, 0));
        break;
    case T_SEMI:
        Pop(engine);
        endOfStatement(engine);
        break;
    case T_COLON: {
        // A label or case label stands on the line its statement began on; a ":" further on
        // (constructor initialisers, bit-fields) belongs to the statement.
        if (self->flag1 || self->flag4 != (int)(line & 0x7fffffff)) break;
        Pop(engine);
        if (engine->stack.empty()) break;
        AIState& top = Top(engine);
        // The line's first word tells a case label from a goto label.
        const char* p = tk->text;
        while (*p == ' ' || *p == '\t') p++;
        bool caseLabel = strncmp(p, "case", 4) == 0 || strncmp(p, "default", 7) == 0;
        if (caseLabel)
            ModifyWishCol(engine, tk, top.inner - indentSize, &top.inner, -indentSize, &top);
        else
            SetWishCol(engine, tk, engine->lineColumn == 0 ? 0 : top.inner - indentSize);
        if (engine->lineColumn == 0) engine->notBeginning = true;
        break;
    }
    case T_QUESTION:
        self->flag1 = 1;
        break;
    case T_LESS:
        // template <...> opens an argument list.
        if (self->flag5 == 3) {
            int col = GetParenIndent(engine, tk, indentSize, 0);
            Push(engine, MakeState(&templateOps, K_TEMPLATE, engine->lineColumn, col));
        }
        break;
    default:
        if (t.len == 1 && t.text[0] == ',') self->flag3 = 1;
        break;
    }
    notePrefix(engine, self, t, startedBefore);
    if (!startedBefore && code == T_WORD &&
        ((t.len == 9 && strncmp(t.text, "namespace", 9) == 0) ||
         (t.len == 6 && strncmp(t.text, "extern", 6) == 0)))
        self->flag6 = 1;
    return 0;
}

// ---- kind 2: brace block ----
int C_Brace_TakeToken(AIndentEngine* engine, AITokens* tk, int indentSize, int, int64_t line) {
    AIState* self = &Top(engine);
    if (FirstOfLine(tk)) ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
    if (C_HaveComment(engine, tk)) return 0;
    int code = PeekToken(engine, tk).code;
    if (beginsStatement(code)) {
        pushStatement(engine, engine->lineColumn, engine->lineColumn + indentSize, line);
        return 0;
    }
    bool first = FirstOfLine(tk);
    GetToken(engine, tk);
    if (code == T_RBRACE) {
        int base = self->base;
        Pop(engine);
        if (first) SetWishCol(engine, tk, base);
        endOfStatement(engine);
    }
    return 0;
}

// ---- kinds 3 and 4: if, and for / while / switch ----
int C_IfFws_TakeToken(AIndentEngine* engine, AITokens* tk, int indentSize, int, int64_t line) {
    AIState* self = &Top(engine);
    bool isIf = self->kind == K_IF;
    int phase = isIf ? self->flag2 : 0;
    if (FirstOfLine(tk)) {
        if (phase == 1)
            ModifyWishCol(engine, tk, self->base, &self->base, 0, self);
        else
            ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
    }
    if (phase != 1 && C_HaveComment(engine, tk)) return 0;
    int code = PeekToken(engine, tk).code;
    if (code == T_EOL) {
        GetToken(engine, tk);
        return 0;
    }
    if (phase == 1) {
        if (code == T_ELSE) {
            GetToken(engine, tk);
            self->flag2 = 2;
            return 0;
        }
        if (C_HaveComment(engine, tk)) return 0;
        unwindStatements(engine);
        return 0;
    }
    if (code == T_LPAREN && !self->flag1) {
        GetToken(engine, tk);
        self->flag1 = 1;
        pushParen(engine, tk, indentSize, false);
        return 0;
    }
    if (code == T_LBRACE) {
        if (FirstOfLine(tk)) SetWishCol(engine, tk, self->base);
        int step = !isIf && self->flag3 == T_SWITCH && aIndent_switchInTwo ? 2 * indentSize
                                                                            : indentSize;
        pushStatement(engine, self->base, self->base + step, line);
        return 0;
    }
    if (code == T_IF || code == T_FOR || code == T_WHILE || code == T_SWITCH || code == T_WORD ||
        code == T_LBRACKET || code == T_DQUOTE || code == T_SQUOTE || code == T_SEMI ||
        code == T_LPAREN || code == T_CLASS || code == T_STRUCT || code == T_UNION ||
        code == T_ENUM) {
        pushStatement(engine, self->base + indentSize, self->base + 2 * indentSize, line);
        Top(engine).flag4 = -1; // the controlled statement is no label
        return 0;
    }
    if (code == T_RBRACE) {
        // A block closing around an if without its statement: the if is over.
        unwindStatements(engine);
        return 0;
    }
    GetToken(engine, tk);
    return 0;
}

// ---- kind 5: start of a class / struct / union / enum ----
int C_HaveDefinitionStart_TakeToken(AIndentEngine* engine, AITokens* tk, int indentSize, int,
                                    int64_t) {
    AIState* self = &Top(engine);
    if (FirstOfLine(tk)) ModifyWishCol(engine, tk, self->base, &self->base, 0, self);
    if (C_HaveComment(engine, tk)) return 0;
    int code = PeekToken(engine, tk).code;
    switch (code) {
    case T_LBRACE: {
        GetToken(engine, tk);
        int col = engine->lineColumn;
        const AIToken& next = PeekToken(engine, tk);
        int inner = next.code == T_EOL || next.code == T_CMT_OPEN || next.code == T_LINECMT
                        ? col + indentSize
                        : next.col;
        Pop(engine);
        AIState body = MakeState(&definitionOps, K_DEFINITION, col, inner);
        body.flag4 = inner;
        Push(engine, body);
        return 0;
    }
    case T_RBRACE: case T_EQUALS: case T_IF: case T_ELSE: case T_FOR: case T_WHILE:
    case T_SWITCH: case T_RPAREN: case T_RBRACKET: case T_SEMI: case T_DQUOTE: case T_SQUOTE:
    case T_LPAREN:
        Pop(engine);
        return 0;
    case T_LESS:
        if (angleLists(engine)) {
            GetToken(engine, tk);
            int col = GetParenIndent(engine, tk, indentSize, 0);
            Push(engine, MakeState(&templateOps, K_TEMPLATE, engine->lineColumn, col));
            return 0;
        }
        break;
    default:
        break;
    }
    GetToken(engine, tk);
    return 0;
}

// ---- kind 6: definition body ----
int C_Definition_TakeToken(AIndentEngine* engine, AITokens* tk, int indentSize, int, int64_t) {
    AIState* self = &Top(engine);
    bool first = FirstOfLine(tk);
    if (first) {
        ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
        self->flag4 = engine->lineColumn; // where the member begins
    }
    if (C_HaveComment(engine, tk)) return 0;
    const AIToken t = PeekToken(engine, tk);
    switch (t.code) {
    case T_LPAREN: case T_LBRACKET:
        GetToken(engine, tk);
        pushParen(engine, tk, indentSize, t.code == T_LBRACKET);
        return 0;
    case T_LBRACE: {
        // A method's body goes by the line its declaration began on, which may lie above
        // the parameters' continuation lines.
        GetToken(engine, tk);
        int base = first ? engine->lineColumn : self->flag4;
        Push(engine, MakeState(&braceOps, K_BRACE, base, base + indentSize));
        return 0;
    }
    case T_RBRACE: {
        GetToken(engine, tk);
        int base = self->base;
        Pop(engine);
        if (first) SetWishCol(engine, tk, base);
        return 0;
    }
    case T_CLASS: case T_STRUCT: case T_UNION: case T_ENUM:
        GetToken(engine, tk);
        Push(engine, MakeState(&defStartOps, K_DEFSTART, engine->lineColumn, engine->lineColumn));
        return 0;
    case T_EQUALS: {
        // A member's initialiser list: "= {" ... "}".
        GetToken(engine, tk);
        Push(engine, MakeState(&equalsOps, K_EQUALS, engine->lineColumn,
                               engine->lineColumn + indentSize));
        return 0;
    }
    case T_DQUOTE: case T_SQUOTE:
        pushQuote(engine, tk, t.code);
        return 0;
    case T_WORD: {
        GetToken(engine, tk);
        std::string w = tokenWord(t);
        if (tk->count == 1 && (w == "public" || w == "private" || w == "protected") &&
            PeekToken(engine, tk).code == T_COLON) {
            AIState* below = Below(engine, 1);
            if (below) ModifyWishCol(engine, tk, below->base, &below->base, 0, below);
            if (engine->lineColumn == 0) engine->notBeginning = true;
        }
        return 0;
    }
    default:
        GetToken(engine, tk);
        return 0;
    }
}

// ---- kinds 7 and 8: after "=", initialiser lists ----
int openInitList(AIndentEngine* engine, AITokens* tk, int indentSize) {
    GetToken(engine, tk); // the "{"
    const AIToken& next = PeekToken(engine, tk);
    int col = engine->lineColumn;
    int inner = next.code == T_EOL || next.code == T_CMT_OPEN || next.code == T_LINECMT
                    ? col + indentSize
                    : next.col;
    Push(engine, MakeState(&initOps, K_INIT, col, inner));
    return 0;
}

int C_HaveEquals_TakeToken(AIndentEngine* engine, AITokens* tk, int indentSize, int, int64_t) {
    AIState* self = &Top(engine);
    if (FirstOfLine(tk)) ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
    if (C_HaveComment(engine, tk)) return 0;
    int code = PeekToken(engine, tk).code;
    if (code == T_EOL) {
        GetToken(engine, tk);
        return 0;
    }
    if (code == T_LBRACE) {
        Pop(engine);
        return openInitList(engine, tk, indentSize);
    }
    Pop(engine);
    return 0;
}

int C_Initialization_TakeToken(AIndentEngine* engine, AITokens* tk, int indentSize, int,
                               int64_t) {
    AIState* self = &Top(engine);
    int code = PeekToken(engine, tk).code;
    bool first = FirstOfLine(tk);
    if (first) {
        if (code == T_RBRACE)
            ModifyWishCol(engine, tk, self->base, &self->base, 0, self);
        else
            ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
    }
    if (C_HaveComment(engine, tk)) return 0;
    switch (code) {
    case T_LBRACE:
        return openInitList(engine, tk, indentSize);
    case T_RBRACE:
        GetToken(engine, tk);
        Pop(engine);
        return 0;
    case T_LPAREN: case T_LBRACKET:
        GetToken(engine, tk);
        pushParen(engine, tk, indentSize, code == T_LBRACKET);
        return 0;
    case T_DQUOTE: case T_SQUOTE:
        pushQuote(engine, tk, code);
        return 0;
    default:
        GetToken(engine, tk);
        return 0;
    }
}

// ---- kinds 9 and 10: comments ----
bool startsLikeStar(const AIToken& t) {
    if (t.len < 1 || !t.text) return false;
    char c = t.text[0];
    return c == '*' || (c && aIndent_charsLikeStarInsideComment.find(c) != std::string::npos);
}

int C_Comment_TakeToken(AIndentEngine* engine, AITokens* tk, int, int, int64_t) {
    AIState* self = &Top(engine);
    const AIToken t = PeekToken(engine, tk);
    if (FirstOfLine(tk)) {
        if (!aIndent_touchComments || t.code == T_EOL)
            SetWishCol(engine, tk, engine->lineColumn);
        else if (startsLikeStar(t))
            ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
        else
            ModifyWishCol(engine, tk, self->flag4, &self->flag4, 0, self);
    }
    GetToken(engine, tk);
    if (t.code == T_CMT_CLOSE) Pop(engine);
    return 0;
}

int C_LineComment_TakeToken(AIndentEngine* engine, AITokens* tk, int, int, int64_t) {
    const AIToken& t = GetToken(engine, tk);
    if (t.code == T_EOL) Pop(engine);
    return 0;
}

// ---- kinds 15 and 16: strings and character constants ----
int C_Quoted_TakeToken(AIndentEngine* engine, AITokens* tk, int, int, int64_t) {
    AIState* self = &Top(engine);
    if (FirstOfLine(tk)) SetWishCol(engine, tk, 0);
    const AIToken& t = GetToken(engine, tk);
    int close = self->kind == K_STRING ? T_DQUOTE : T_SQUOTE;
    if (t.code == close) {
        Pop(engine);
    } else if (t.code == T_EOL) {
        // Only a backslash carries a string over to the next line.
        if (tk->lastCode != T_BACKSLASH) Pop(engine);
    }
    return 0;
}

// ---- kinds 13, 14, 17: parentheses, brackets, argument lists ----
int C_Nested_TakeToken(AIndentEngine* engine, AITokens* tk, int indentSize, int, int64_t line) {
    AIState* self = &Top(engine);
    int close = self->kind == K_PAREN ? T_RPAREN : self->kind == K_BRACKET ? T_RBRACKET : T_GREATER;
    int code = PeekToken(engine, tk).code;
    if (FirstOfLine(tk)) {
        if (code == close && self->kind != K_TEMPLATE)
            SetWishCol(engine, tk, self->base);
        else
            ModifyWishCol(engine, tk, self->inner, &self->inner, 0, self);
    }
    if (C_HaveComment(engine, tk)) return 0;
    if (pushQuote(engine, tk, code)) return 0;
    GetToken(engine, tk);
    if (code == close) {
        Pop(engine);
    } else if (self->kind == K_TEMPLATE) {
        if (code == T_LESS) {
            int col = GetParenIndent(engine, tk, indentSize, 0);
            Push(engine, MakeState(&templateOps, K_TEMPLATE, engine->lineColumn, col));
        }
    } else if (code == T_LPAREN || code == T_LBRACKET) {
        pushParen(engine, tk, indentSize, code == T_LBRACKET);
    } else if (code == T_LBRACE) {
        // A block inside an argument list (a lambda, an anonymous class) is a block.
        Push(engine, MakeState(&braceOps, K_BRACE, engine->lineColumn,
                               engine->lineColumn + indentSize));
        (void)line;
    }
    return 0;
}

// ---- kinds 11 and 12: preprocessor lines and conditionals ----

// The stack without the directive's own state on top.
AIStack stackBelowDirective(AIndentEngine* engine) {
    AIStack s = engine->stack;
    if (!s.empty()) s.pop_back();
    return s;
}

void replaceStackBelowDirective(AIndentEngine* engine, const AIStack& with) {
    AIState directive = Top(engine);
    engine->learnField = nullptr;
    engine->learnOwner = nullptr;
    engine->stack = with;
    engine->stack.push_back(directive);
}

void preprocDirective(AIndentEngine* engine, AITokens* tk, int code) {
    std::vector<AIPreprocIf>& conds = engine->conds;
    if (code == T_IF || code == T_IFDEF || code == T_IFNDEF) {
        AIPreprocIf rec;
        rec.atIf = stackBelowDirective(engine);
        rec.keep = 1;
        if (code != T_IF) {
            rec.keep = 2;
        } else {
            const AIToken& next = PeekToken(engine, tk);
            if (next.len == 1 && next.text[0] == '0') {
                int p = tk->pos + 1;
                while (p < tk->len && (tk->text[p] == ' ' || tk->text[p] == '\t')) p++;
                if (p >= tk->len || tk->text[p] == '/') rec.keep = 2;
            }
        }
        conds.push_back(std::move(rec));
        return;
    }
    if (conds.empty()) return;
    AIPreprocIf& rec = conds.back();
    if (code == T_ELIF || code == T_ELSE) {
        if (rec.elseSeen) return;
        if (code == T_ELSE) rec.elseSeen = true;
        if (rec.branch == rec.keep) {
            rec.kept = stackBelowDirective(engine);
            rec.haveKept = true;
        }
        replaceStackBelowDirective(engine, rec.atIf);
        rec.branch++;
        return;
    }
    if (code == T_ENDIF) {
        if (rec.branch == rec.keep) {
            rec.kept = stackBelowDirective(engine);
            rec.haveKept = true;
        }
        AIStack next = rec.haveKept ? std::move(rec.kept) : std::move(rec.atIf);
        conds.pop_back();
        replaceStackBelowDirective(engine, next);
    }
}

int C_PreProc_TakeToken(AIndentEngine* engine, AITokens* tk, int, int, int64_t) {
    AIState* self = &Top(engine);
    if (FirstOfLine(tk)) SetWishCol(engine, tk, 0);
    const AIToken t = GetToken(engine, tk);
    if (t.code == T_EOL) {
        // A directive goes on past a line ending in a backslash.
        if (tk->lastCode != T_BACKSLASH) Pop(engine);
        return 0;
    }
    if (!self->flag1) {
        self->flag1 = 1; // the directive's word is behind us
        if (t.code == T_IF || t.code == T_IFDEF || t.code == T_IFNDEF || t.code == T_ELIF ||
            t.code == T_ELSE || t.code == T_ENDIF) {
            self->flag2 = 1;
            preprocDirective(engine, tk, t.code);
        }
    }
    return 0;
}

const AIStateOps nothingOps{"nothing", C_Nothing_TakeToken};
const AIStateOps statementOps{"statement", C_Statement_TakeToken};
const AIStateOps braceOps{"brace", C_Brace_TakeToken};
const AIStateOps ifOps{"if", C_IfFws_TakeToken};
const AIStateOps fwsOps{"for/while/switch", C_IfFws_TakeToken};
const AIStateOps defStartOps{"definition start", C_HaveDefinitionStart_TakeToken};
const AIStateOps definitionOps{"definition", C_Definition_TakeToken};
const AIStateOps equalsOps{"after =", C_HaveEquals_TakeToken};
const AIStateOps initOps{"initialisation", C_Initialization_TakeToken};
const AIStateOps commentOps{"comment", C_Comment_TakeToken};
const AIStateOps lineCommentOps{"// comment", C_LineComment_TakeToken};
const AIStateOps preprocOps{"preprocessor line", C_PreProc_TakeToken};
const AIStateOps parenOps{"parenthesised expression", C_Nested_TakeToken};
const AIStateOps bracketOps{"bracketed index", C_Nested_TakeToken};
const AIStateOps stringOps{"string", C_Quoted_TakeToken};
const AIStateOps charOps{"character constant", C_Quoted_TakeToken};
const AIStateOps templateOps{"template argument list", C_Nested_TakeToken};

} // namespace

void New_c_nothing(AIndentEngine* engine) {
    engine->stack.clear();
    engine->stack.push_back(MakeState(&nothingOps, K_NOTHING, 0, 0));
}

const char* const c_tokenStrs[] = {
    "{", "}", "=", "if", "else", "for", "while", "switch", "class", "struct", "union", "enum",
    "ifdef", "ifndef", "elif", "endif", "#", "/*", "*/", "//", "(", ")", "[", "]", "\"", ";",
    "::", ":", "'", "\\\"", "\\'", "\\\\", "?", "\\", "<", ">",
};

const AILangSettings AI_LangSettings[4] = {
    {36, c_tokenStrs, New_c_nothing, T_WORD, T_EOL, false},
    {44, ada_tokenStrs, New_ada_nothing, 45, 46, false},
    {36, c_tokenStrs, New_c_nothing, T_WORD, T_EOL, true},
    {36, c_tokenStrs, New_c_nothing, T_WORD, T_EOL, true},
};
