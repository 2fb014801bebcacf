// dialogue/script_lex.cc: reading tokens: names, strings with octal escapes, decimal, octal and
// hexadecimal numbers, the two-character operators, comments; and the error report.
#include "dialogue/script_lex.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

struct KeywordName {
    const char* name;
    int keyword;
};

const KeywordName keywordNames[] = {
    {"return", KW_RETURN},   {"dismiss", KW_DISMISS}, {"cli", KW_CLI},
    {"alert", KW_ALERT},     {"activate", KW_ACTIVATE}, {"if", KW_IF},
    {"then", KW_THEN},       {"elseif", KW_ELSEIF},   {"elif", KW_ELSEIF},
    {"else", KW_ELSE},       {"while", KW_WHILE},     {"break", KW_BREAK},
    {"substr", KW_SUBSTR},   {"strlen", KW_LENGTH},   {"length", KW_LENGTH},
    {"len", KW_LENGTH},      {"index", KW_INDEX},     {"rindex", KW_RINDEX},
    {"dialogue", KW_DIALOGUE}, {"clitext", KW_CLITEXT}, {"number", KW_NUMBER},
    {"text", KW_TEXT},       {"sel", KW_SEL},         {"val", KW_VAL},
    {"set", KW_SET},         {"load", KW_LOAD},       {"save", KW_SAVE},
};

int keywordOf(const std::string& name) {
    for (const KeywordName& k : keywordNames)
        if (name == k.name) return k.keyword;
    return KW_NONE;
}

bool nameStart(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool nameChar(int c) {
    return nameStart(c) || (c >= '0' && c <= '9');
}

} // namespace

void TokenStream::open(const char* source, size_t length, const std::string& srcName,
                       bool file) {
    text = source;
    size = length;
    pos = 0;
    line = 1;
    sourceName = srcName;
    fileMode = file;
    tokenEnd = prevEnd = 0;
    next();
}

void TokenStream::next() {
    prevEnd = tokenEnd;
    keyword = KW_NONE;
    // Blanks and comments; line breaks inside comments still count.
    for (;;) {
        while (pos < size && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\n' ||
                              text[pos] == '\r' || text[pos] == '\f' || text[pos] == '\v')) {
            if (text[pos] == '\n') line++;
            pos++;
        }
        if (pos + 1 < size && text[pos] == '/' && text[pos + 1] == '/') {
            while (pos < size && text[pos] != '\n') pos++;
            continue;
        }
        if (pos + 1 < size && text[pos] == '/' && text[pos + 1] == '*') {
            pos += 2;
            while (pos < size && !(text[pos] == '*' && pos + 1 < size && text[pos + 1] == '/')) {
                if (text[pos] == '\n') line++;
                pos++;
            }
            pos = pos < size ? pos + 2 : size;
            continue;
        }
        break;
    }
    if (pos >= size) {
        kind = TK_EOF;
        tokenEnd = pos;
        return;
    }
    unsigned char c = (unsigned char)text[pos];
    if (nameStart(c)) {
        size_t start = pos;
        while (pos < size && nameChar((unsigned char)text[pos])) pos++;
        name.assign(text + start, pos - start);
        kind = TK_NAME;
        if (keywords && (keyword = keywordOf(name)) != KW_NONE) kind = TK_KEYWORD;
    } else if ((c >= '0' && c <= '9') ||
               (fileMode && c == '-' && pos + 1 < size && text[pos + 1] >= '0' &&
                text[pos + 1] <= '9')) {
        bool negative = c == '-';
        if (negative) pos++;
        uint32_t v = 0;
        if (text[pos] == '0' && pos + 1 < size && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
            pos += 2;
            while (pos < size && isxdigit((unsigned char)text[pos])) {
                int d = text[pos] <= '9' ? text[pos] - '0' : (text[pos] | 0x20) - 'a' + 10;
                v = v * 16 + (uint32_t)d;
                pos++;
            }
        } else if (text[pos] == '0') {
            while (pos < size && text[pos] >= '0' && text[pos] <= '7')
                v = v * 8 + (uint32_t)(text[pos++] - '0');
        } else {
            while (pos < size && text[pos] >= '0' && text[pos] <= '9')
                v = v * 10 + (uint32_t)(text[pos++] - '0');
        }
        number = (int32_t)(negative ? 0u - v : v);
        kind = TK_NUMBER;
    } else if (c == '"') {
        pos++;
        name.clear();
        for (;;) {
            if (pos >= size) {
                kind = TK_EOF;
                tokenEnd = pos;
                error("String contains newline on line %d\n", line);
            }
            char ch = text[pos];
            if (ch == '"') {
                pos++;
                break;
            }
            if (ch == '\n') {
                // The stream ends: nothing after the broken string is read.
                int at = line;
                pos = size;
                kind = TK_EOF;
                tokenEnd = pos;
                error("String contains newline on line %d\n", at);
            }
            if (ch == '\\' && pos + 1 < size) {
                pos++;
                if (text[pos] >= '0' && text[pos] <= '7') {
                    int v = 0, n = 0;
                    while (n < 3 && pos < size && text[pos] >= '0' && text[pos] <= '7') {
                        v = v * 8 + (text[pos++] - '0');
                        n++;
                    }
                    name.push_back((char)v);
                    continue;
                }
                ch = text[pos];
                if (ch == '\n') line++;
            }
            name.push_back(ch);
            pos++;
        }
        kind = TK_STRING;
    } else {
        pos++;
        kind = c;
        if (!fileMode && pos < size) {
            char n = text[pos];
            if (n == '=' && (c == '=' || c == '!' || c == '>' || c == '<')) {
                kind = c == '=' ? TK_EQ : c == '!' ? TK_NE : c == '>' ? TK_GE : TK_LE;
                pos++;
            } else if (c == '&' && n == '&') {
                kind = TK_AND;
                pos++;
            } else if (c == '|' && n == '|') {
                kind = TK_OR;
                pos++;
            }
        }
    }
    tokenEnd = pos;
}

std::string TokenName(int kind) {
    switch (kind) {
    case TK_EOF: return "End-of-file";
    case TK_NAME: return "name";
    case TK_STRING: return "string";
    case TK_NUMBER: return "number";
    case TK_KEYWORD: return "keyword";
    case TK_EQ: return "==";
    case TK_NE: return "!=";
    case TK_GE: return ">=";
    case TK_LE: return "<=";
    case TK_AND: return "&&";
    case TK_OR: return "||";
    default: return std::string("'") + (char)kind + "'";
    }
}

void TokenStream::check(int want) {
    if (kind == want) {
        next();
        return;
    }
    if (kind == TK_STRING)
        error("Expected %s got %s%s%s", TokenName(want).c_str(), "\"", name.c_str(), "\"");
    error("Expected %s got %s%s%s", TokenName(want).c_str(), "", TokenName(kind).c_str(), "");
}

std::string ScriptReport(const TokenStream& ts, const std::string& message) {
    char where[64];
    snprintf(where, sizeof where, "\non line %d in ", ts.line);
    std::string out = message + where + (ts.sourceName.empty() ? "???" : ts.sourceName) +
                      "\nrest of line: ";
    size_t point = std::min(ts.prevEnd, ts.size);
    if (ts.fileMode) {
        size_t end = point;
        while (end < ts.size && ts.text[end] != '\n' && end - point < 600) end++;
        out.append(ts.text + point, end - point);
        return out;
    }
    size_t start = point;
    while (start > 0 && ts.text[start - 1] != '\n') start--;
    size_t end = point;
    while (end < ts.size && ts.text[end] != '\n') end++;
    // Long lines keep 300 characters either side of the point.
    if (point - start > 300) start = point - 300;
    if (end - point > 300) end = point + 300;
    out.append(ts.text + start, point - start);
    out += " <Error> ";
    out.append(ts.text + point, end - point);
    return out;
}

void TokenStream::error(const char* format, ...) {
    char buf[1024];
    va_list ap;
    va_start(ap, format);
    vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    throw ScriptError{ScriptReport(*this, buf)};
}
