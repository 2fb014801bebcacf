// tests/runtime/test_gen_str.cc: heap-string helpers, character classes, hash and checksum.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "runtime/gen.h"

static std::string take(char* s) {
    GenStr owner(s);
    return s ? std::string(s) : std::string("<null>");
}

TEST(GenStr, ConcatSkipsNullAndEmptyParts) {
    struct {
        const char *a, *b, *want;
    } cases[] = {
        {nullptr, "b", "b"}, {"", "b", "b"}, {"a", nullptr, "a"},
        {"a", "", "a"},      {nullptr, nullptr, ""}, {"ab", "cd", "abcd"},
    };
    for (auto& c : cases) EXPECT_EQ(take(gen_concat(c.a, c.b)), c.want) << c.a << "|" << c.b;
    EXPECT_EQ(take(gen_concat5("a", nullptr, "", "b", "c")), "abc");
    EXPECT_EQ(take(gen_concat9("1", "2", "3", "4", "5", "6", "7", "8", "9")), "123456789");
    EXPECT_EQ(take(gen_fconcat3(gen_copy("x"), nullptr, "y")), "xy");

    EXPECT_EQ(take(gen_concat_sep(nullptr, '/', "b")), "b");
    EXPECT_EQ(take(gen_concat_sep("a", '/', nullptr)), "a");
    EXPECT_EQ(take(gen_concat_sep(nullptr, '/', nullptr)), "<null>");
    EXPECT_EQ(take(gen_concat_sep("a", ':', "b")), "a:b");
}

TEST(GenStr, CopiesStopAtNulAndLimit) {
    EXPECT_EQ(take(gen_copy(nullptr)), "<null>");
    EXPECT_EQ(take(gen_copyn("abcdef", 3)), "abc");
    EXPECT_EQ(take(gen_copyn("ab\0cd", 4)), "ab");
    EXPECT_EQ(take(gen_copyn("ab", 10)), "ab");
    EXPECT_EQ(take(gen_copyn("ab", -1)), "");
    EXPECT_EQ(take(gen_sprintf("%s-%d", "x", 42)), "x-42");
}

TEST(GenStr, CaseBlindComparisonFoldsAsciiOnly) {
    EXPECT_TRUE(gen_strequal("Hello", "hELLO"));
    EXPECT_FALSE(gen_strequal("\xC4", "\xE4")); // Latin-1 letters are not folded
    EXPECT_LT(gen_stricmp("abc", "ABD"), 0);
    EXPECT_GT(gen_stricmp("abcd", "ABC"), 0);
    EXPECT_EQ(gen_stricmp("[", "["), 0);
    EXPECT_GT(gen_stricmp("Z", "["), 0); // folding goes to lower case: 'z' sorts after '['

    EXPECT_TRUE(gen_strnequal("abcX", "abcY", 3));
    EXPECT_FALSE(gen_strnequal("abcX", "abcY", 4));
    EXPECT_TRUE(gen_strprefix("foobar", "foo"));
    EXPECT_FALSE(gen_strprefix("foobar", "Foo"));
    EXPECT_TRUE(gen_strcaseprefix("foobar", "FOO"));
    EXPECT_FALSE(gen_strcaseprefix("fo", "foo"));
}

TEST(GenStr, SearchFirstAndLast) {
    const char* s = "aXbxcx";
    EXPECT_EQ(gen_strstr(s, "x"), s + 3);
    EXPECT_EQ(gen_strcasestr(s, "x"), s + 1);
    EXPECT_EQ(gen_strrstr(s, "X"), s + 1);
    EXPECT_EQ(gen_strrstr(s, "x"), s + 5);
    EXPECT_EQ(gen_strrcasestr(s, "bX"), s + 2);
    EXPECT_EQ(gen_strrstr(s, "aXbxcxy"), nullptr);
    EXPECT_EQ(gen_strcasestr(s, "q"), nullptr);
    EXPECT_EQ(gen_strstr(nullptr, "x"), nullptr);
    EXPECT_EQ(gen_strrcasestr(s, nullptr), nullptr);
}

TEST(GenStr, TokensAndCase) {
    char text[] = "  one,,two ,three  ";
    char* rest = nullptr;
    std::vector<std::string> got;
    for (char* t = gen_strtok_r(text, ", ", &rest); t; t = gen_strtok_r(nullptr, ", ", &rest))
        got.push_back(t);
    EXPECT_EQ(got, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(gen_strtok_r(nullptr, ", ", &rest), nullptr);

    char word[] = "MiXeD\xC4z";
    EXPECT_STREQ(gen_strlower(word), "mixed\xC4z");
    EXPECT_STREQ(gen_strupper(word), "MIXED\xC4Z");
}

TEST(GenStr, CharacterClasses) {
    EXPECT_EQ(gen_char_type('a'), 0);
    EXPECT_EQ(gen_char_type('_'), 0);
    EXPECT_EQ(gen_char_type('$'), 0);
    EXPECT_EQ(gen_char_type((char)0xE9), 0); // a negative plain char is a high byte
    EXPECT_EQ(gen_char_type('\n'), 2);
    EXPECT_EQ(gen_char_type('\r'), 3);
    EXPECT_EQ(gen_char_type(0), -1);
    EXPECT_EQ(gen_char_type('-'), 3);
    EXPECT_TRUE(gen_isbreak(';'));
    EXPECT_TRUE(gen_isbreak(' '));
    EXPECT_TRUE(gen_isbreak(127));
    EXPECT_TRUE(gen_isbreak((char)0x80));
    EXPECT_FALSE(gen_isbreak('!'));
    EXPECT_TRUE(gen_isspace('\f'));
    EXPECT_FALSE(gen_isblank('\n'));
}

TEST(GenStr, WordBreakClassesFirstRuleWins) {
    struct {
        int prev, c, next, want;
    } cases[] = {
        {'a', 0, 0, 0},       {'\\', 'a', 'b', 8},  {'a', '\\', 'n', 8},  {' ', 'x', ' ', 1},
        {'n', '\'', 't', 1},  {' ', '\'', 't', 13}, {' ', '-', '5', 1},   {'a', '-', '5', 9},
        {' ', '-', ' ', 9},   {'a', '\t', 'b', 2},  {0, '/', '*', 10},    {'*', '/', 0, 10},
        {'/', '/', 'x', 10},  {'/', '*', 'x', 10},  {'a', '*', 'b', 13},  {'a', '/', 'b', 13},
        {'a', ';', 'b', 3},   {'a', ',', 'b', 4},   {'f', '(', ')', 12},  {'(', ')', ';', 12},
        {'x', '[', ']', 12},  {'{', '}', 0, 12},    {'f', '(', 'x', 5},   {'x', ')', ';', 5},
        {' ', '{', ' ', 6},   {'x', ']', 0, 7},     {'(', '.', 'x', 5},   {'[', '+', 0, 7},
        {'(', '{', 'x', 6},   {'a', '.', 'b', 13},  {'a', (char)0xC3, 'b', 1},
    };
    for (auto& c : cases)
        EXPECT_EQ(gen_new_char_type(c.prev, c.c, c.next), c.want)
            << "prev=" << (char)c.prev << " c=" << (char)c.c << " next=" << (char)c.next;
}

// What a double click selects: the run of equal classes around the clicked byte.
static std::string wordAt(const std::string& line, size_t at) {
    auto cls = [&](size_t i) {
        int prev = i > 0 ? (unsigned char)line[i - 1] : 0;
        int next = i + 1 < line.size() ? (unsigned char)line[i + 1] : 0;
        return gen_new_char_type(prev, (unsigned char)line[i], next);
    };
    int k = cls(at);
    size_t b = at, e = at + 1;
    while (b > 0 && cls(b - 1) == k) b--;
    while (e < line.size() && cls(e) == k) e++;
    return line.substr(b, e - b);
}

TEST(GenStr, DoubleClickWords) {
    EXPECT_EQ(wordAt("x = foo_bar(x);", 6), "foo_bar");
    EXPECT_EQ(wordAt("call f() now", 6), "()");
    EXPECT_EQ(wordAt("it don't go", 4), "don't");
    EXPECT_EQ(wordAt("n = -42;", 5), "-42");
    EXPECT_EQ(wordAt("a /* c */", 3), "/*");
    EXPECT_EQ(wordAt("x = $var2;", 6), "$var2");
}

TEST(GenStr, HashCoversShortKeysAndSamplesLongOnes) {
    EXPECT_EQ(gen_hcomp("identifier", -1), gen_hcomp("identifier", 10));
    // Up to nine bytes every byte counts.
    std::set<long> shortHashes;
    for (int i = 0; i < 9; i++) {
        std::string s = "abcdefghi";
        s[i] = 'X';
        shortHashes.insert(gen_hcomp(s.c_str(), 9));
    }
    EXPECT_EQ(shortHashes.size(), 9u);
    // Longer keys: a byte outside the nine samples does not change the hash.
    std::string a = "0123456789abcdefghij", b = a;
    b[5] = '#';
    EXPECT_EQ(gen_hcomp(a.c_str(), -1), gen_hcomp(b.c_str(), -1));
    b = a;
    b[10] = '#'; // middle sample (length 20: bytes 9, 10, 11)
    EXPECT_NE(gen_hcomp(a.c_str(), -1), gen_hcomp(b.c_str(), -1));
    // Spread: distinct short keys almost never collide, and all fit in 31 bits.
    std::set<long> seen;
    for (int i = 0; i < 20000; i++) {
        std::string key = "k" + std::to_string(i);
        long h = gen_hcomp(key.c_str(), -1);
        EXPECT_GE(h, 0);
        EXPECT_LE(h, 0x7fffffffL);
        seen.insert(h);
    }
    EXPECT_GT(seen.size(), 19900u);
}

TEST(GenStr, ChecksumIsPlainMsbFirstCrc) {
    const unsigned long poly = 0x10211021UL;
    unsigned long sum = 0;
    const unsigned char one[] = {0x01}, two[] = {0x02};
    gen_cksum(one, 1, &sum);
    EXPECT_EQ(sum, poly); // the lone bit is shifted out exactly once
    sum = 0;
    gen_cksum(two, 1, &sum);
    EXPECT_EQ(sum, (poly << 1) & 0xffffffffUL);

    // A running update over pieces equals one update over the whole.
    const char* text = "The quick brown fox jumps over the lazy dog";
    unsigned long whole = 0, pieces = 0;
    gen_cksum((const unsigned char*)text, (long)strlen(text), &whole);
    gen_cksum((const unsigned char*)text, 10, &pieces);
    gen_cksum((const unsigned char*)text + 10, (long)strlen(text) - 10, &pieces);
    EXPECT_EQ(whole, pieces);
    EXPECT_LE(whole, 0xffffffffUL);

    // Appending the checksum big-endian leaves a zero remainder.
    unsigned char framed[64];
    size_t n = strlen(text);
    memcpy(framed, text, n);
    for (int i = 0; i < 4; i++) framed[n + i] = (unsigned char)(whole >> (24 - 8 * i));
    unsigned long check = 0;
    gen_cksum(framed, (long)n + 4, &check);
    EXPECT_EQ(check, 0UL);
}
