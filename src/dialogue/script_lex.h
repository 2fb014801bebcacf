// dialogue/script_lex.h: the token stream of scripts and dialogue description files.
#pragma once

#include <cstdint>
#include <string>

// Token kinds: a single character is its own kind; the rest lie above 255.
enum ScriptToken {
    TK_EOF = 256,
    TK_NAME,
    TK_STRING,
    TK_NUMBER,
    TK_EQ,  // ==
    TK_NE,  // !=
    TK_GE,  // >=
    TK_LE,  // <=
    TK_AND, // &&
    TK_OR,  // ||
    TK_KEYWORD,
};

enum ScriptKeyword {
    KW_NONE = -1,
    KW_RETURN,
    KW_DISMISS,
    KW_CLI,
    KW_ALERT,
    KW_ACTIVATE,
    KW_IF,
    KW_THEN,
    KW_ELSEIF, // "elseif" and "elif"
    KW_ELSE,
    KW_WHILE,
    KW_BREAK,
    KW_SUBSTR,
    KW_LENGTH, // "strlen", "length" and "len"
    KW_INDEX,
    KW_RINDEX,
    KW_DIALOGUE,
    KW_CLITEXT,
    KW_NUMBER,
    KW_TEXT,
    KW_SEL,
    KW_VAL,
    KW_SET,
    KW_LOAD,
    KW_SAVE,
};

// Thrown by a lexical or parse error after it was reported; carries the report.
struct ScriptError {
    std::string report;
};

struct TokenStream {
    const char* text = nullptr; // the whole source
    size_t size = 0;
    size_t pos = 0;             // next character to read
    int line = 1;
    int kind = TK_EOF;
    int keyword = KW_NONE;
    int32_t number = 0;
    std::string name;           // names and strings (grown as needed)
    size_t tokenEnd = 0;        // where the current token ends
    size_t prevEnd = 0;         // where the token before it ended (the error point)
    bool skipping = false;
    bool fileMode = false;
    bool keywords = true;       // scripts: match keywords; description files: plain names
    std::string sourceName;

    TokenStream() { name.reserve(200); }
    void open(const char* source, size_t length, const std::string& sourceName, bool fileMode);
    void next();
    // Demands a token kind and reads on; "Expected %s got %s%s%s" otherwise.
    void check(int want);
    [[noreturn]] void error(const char* format, ...) __attribute__((format(printf, 2, 3)));

    struct Mark {
        size_t pos, tokenEnd, prevEnd;
        int line, kind, keyword;
        int32_t number;
        std::string name;
    };
    Mark mark() const { return {pos, tokenEnd, prevEnd, line, kind, keyword, number, name}; }
    void reset(const Mark& m) {
        pos = m.pos, tokenEnd = m.tokenEnd, prevEnd = m.prevEnd, line = m.line;
        kind = m.kind, keyword = m.keyword, number = m.number, name = m.name;
    }
};

// How a token kind is named in messages.
std::string TokenName(int kind);
// The report of an error at the stream's point (message, line, source, rest of line).
std::string ScriptReport(const TokenStream& ts, const std::string& message);
