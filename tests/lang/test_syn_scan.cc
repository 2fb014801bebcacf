// tests/lang/test_syn_scan.cc: the scanners and the engine's pieces, table by table.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <unistd.h>

#include "buffer/file.h"
#include "config/options.h"
#include "lang_test_util.h"
#include "runtime/gen.h"

namespace {

const Language* lang(int type) {
    return syn_LanguageDefinition(type);
}

std::string classesOf(int type, const std::string& text, uint32_t state = 0) {
    return ClassesOf(text, state, lang(type));
}

class Syn : public testing::Test {
protected:
    void SetUp() override { LangTestInit(); }
    void TearDown() override {
        cppCommentsInC = 0;
        syn_preall = 0;
        colorsyntax = colorsyntaxGUI = 1;
        syn_ParseOptions("1");
        GASM_AdjustSeparators("");
    }
};

// Chains a language's line parser over lines; returns the state at the start of each line
// after the first, written as letters: c comment, s string, q char, d dead, - none.
std::string stateChain(int type, std::vector<std::string> lines) {
    std::string out;
    uint32_t s = 0, aux = 0;
    for (const std::string& l : lines) {
        uint32_t next = 0;
        s = lang(type)->quickLineParser(s, aux, l.data(), (int)l.size(), &next);
        aux = next;
        std::string w;
        if (s & SYN_COMMENT) w += 'c';
        if (s & SYN_STRING) w += 's';
        if (s & SYN_CHAR) w += 'q';
        if (s & SYN_DEADCODE) w += 'd';
        out += (w.empty() ? "-" : w) + " ";
    }
    out.pop_back();
    return out;
}

} // namespace

TEST_F(Syn, NumbersFollowEachLanguagesRules) {
    struct Case {
        int type;
        const char* word;
        bool number;
    } cases[] = {
        {1, "10uL", true},   {1, "0x1fUL", true},  {1, "10LL", false}, {1, "1.5ff", false},
        {1, ".5", true},     {1, "1e+10", true},   {1, "1.5.2", false}, {1, "0x", false},
        {1, "1e", false},    {1, "12Lu", true},    {1, "12uu", false}, {6, "0x1F", true},
        {6, "10L", true},    {6, "10LL", false},   {6, "2.5d", true},  {6, "10u", false},
        {4, "16#FF#", true}, {4, "1_000.5e+3", true}, {4, "16#FF", false},
        {4, "1.2.3", false}, {4, "2#1.1#", true},  {3, "42", true},    {3, "42L", false},
    };
    for (const Case& c : cases) {
        std::string expect(strlen(c.word), c.number ? 'N' : '.');
        EXPECT_EQ(classesOf(c.type, c.word), expect) << c.type << " " << c.word;
    }
}

TEST_F(Syn, KeywordCaseAndWordRules) {
    EXPECT_EQ(classesOf(3, "begin Begin BEGIN"), "KKKKK............");
    EXPECT_EQ(classesOf(4, "begin Begin BEGIN"), "KKKKK.KKKKK.KKKKK");
    EXPECT_EQ(classesOf(5, "  Call"), "..KKKK");
    EXPECT_EQ(classesOf(5, "Call"), "CCCC"); // a "C" in the first column makes a comment line
    EXPECT_EQ(classesOf(1, "Int int"), "....KKK");
    EXPECT_EQ(classesOf(1, "#  include <a.h>"), "KKKKKKKKKK......");
    EXPECT_EQ(classesOf(6, "return null;"), "KKKKKK.KKKK.");
    EXPECT_EQ(classesOf(4, "X'Range"), ".......");
    EXPECT_EQ(classesOf(8, "  b; s x a"), "..K..K....");
    // Words longer than 128 characters are never looked up.
    EXPECT_EQ(classesOf(1, std::string(200, 'i')), std::string(200, '.'));
}

TEST_F(Syn, CommentsByLanguageAndOption) {
    cppCommentsInC = 0;
    EXPECT_EQ(classesOf(1, "x // y"), "......");
    cppCommentsInC = 1;
    EXPECT_EQ(classesOf(1, "x // y"), "..CCCC");
    EXPECT_EQ(stateChain(1, {"a // /* b", "c"}), "- -");
    cppCommentsInC = 0;
    EXPECT_EQ(stateChain(1, {"a // /* b", "c"}), "c c");
    EXPECT_EQ(stateChain(2, {"a // /* b", "c"}), "- -");
    EXPECT_EQ(classesOf(6, "x // y"), "..CCCC");
    EXPECT_EQ(classesOf(9, "mov ; x"), "....CCC");
    EXPECT_EQ(classesOf(9, "# x"), "CCC");
    EXPECT_EQ(classesOf(10, "  #define A 1"), "..DDDDDDDDDDD");
    EXPECT_EQ(classesOf(10, "#x \\  "), "DDDD..");
    EXPECT_EQ(classesOf(12, "see <A>link</A> x"), "....KKKKKKKKKKK..");
    EXPECT_EQ(classesOf(11, "  \"why\" Done"), "..CCCCCCCCCC");
}

TEST_F(Syn, AssemblyQualifiers) {
    EXPECT_EQ(classesOf(7, "; x ! y"), ".......");
    GASM_AdjustSeparators(";!");
    EXPECT_EQ(classesOf(7, "; text"), "CCCCCC");
    EXPECT_EQ(classesOf(7, "! text"), "CCCCCC");
    EXPECT_EQ(classesOf(7, "#if !x"), "KKK...");
    EXPECT_EQ(stateChain(7, {"x ; /* y", "a ! /* b", "#if !X /* c", "d"}), "- - c c");
    EXPECT_EQ(stateChain(7, {"#if 0", "x #endif", "#endif", "y"}), "d d - -");
}

TEST_F(Syn, DeadCodeTracking) {
    struct Case {
        int type;
        std::vector<std::string> lines;
        const char* states;
    } cases[] = {
        {1, {"#if 0", "#if X", "#endif", "x", "#endif", "y"}, "d d d d - -"},
        {1, {"#if 0", "a", "#else", "b", "#endif"}, "d d - - -"},
        {1, {"#if 0", "#elif 1", "a", "#else", "b", "#endif", "c"}, "d - - d d - -"},
        {1, {"#if 0", "#elif 0", "a", "#endif", "b"}, "d d d - -"},
        {1, {"#if 1", "a", "#else", "b", "#endif", "c"}, "- - d d - -"},
        {1, {"#if 1", "#if X", "#else", "#endif", "#elif 1", "x", "#endif"}, "- - - - d d -"},
        {1, {" # if 0x0", "a", "#endif"}, "d d -"},
        {1, {"x # if 0", "a"}, "- -"},
        {1, {"#ifdef 0", "a"}, "- -"},
        {1, {"/* #if 0", "*/ x", "#if 0 /*", "*/", "#endif", "y"}, "c - cd d - -"},
        {3, {"{ #if 0 }", "#if 0", "'x'", "#endif", "(* a } b"}, "- d d - -"},
        {3, {"(* open", "still *) 'str", "x"}, "c - -"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(stateChain(c.type, c.lines), c.states) << c.lines[0] << " ... " << c.lines[1];
    syn_preall = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(stateChain(1, {"#if 0", "a"}), "- -");
    EXPECT_NE(testing::internal::GetCapturedStdout().find(
                  "All_Dead_Code_Coloring is not supported yet."),
              std::string::npos);
}

TEST_F(Syn, StringsAndCharactersAcrossLines) {
    EXPECT_EQ(stateChain(1, {"\"abc", "x"}), "- -");
    EXPECT_EQ(stateChain(1, {"\"abc\\", "def\"", "x"}), "s - -");
    EXPECT_EQ(stateChain(1, {"'a\\", "x"}), "q -");
    EXPECT_EQ(stateChain(1, {"'\\", "#if 0", "x"}), "q - -"); // no directive inside a literal
    EXPECT_EQ(stateChain(1, {"\"a\\\"b/*\"", "x"}), "- -");
    EXPECT_EQ(stateChain(6, {"\"abc\\", "x"}), "- -");
    EXPECT_EQ(stateChain(8, {"\"abc\\", "x\"", "y"}), "s - -");
    EXPECT_EQ(classesOf(1, "def\" x", SYN_STRING), "SSSS..");
    EXPECT_EQ(classesOf(1, "a */ int", SYN_COMMENT), "CCCC.KKK");
    EXPECT_EQ(classesOf(1, "int x", SYN_DEADCODE | SYN_COMMENT), "DDDDD");
    // A NUL at the end of an unclosed string is not part of it.
    EXPECT_EQ(classesOf(1, std::string("\"ab\0", 4)), "SSS.");
}

TEST_F(Syn, StateAtColumn) {
    const Language* c = lang(1);
    std::string t = "a = \"str\" b; /* c */";
    EXPECT_EQ(SynstateAt(0, t.data(), (int)t.size(), 4, c), 0u); // the opening quote itself
    EXPECT_EQ(SynstateAt(0, t.data(), (int)t.size(), 5, c), SYN_STRING);
    EXPECT_EQ(SynstateAt(0, t.data(), (int)t.size(), 8, c), SYN_STRING); // the closing quote
    EXPECT_EQ(SynstateAt(0, t.data(), (int)t.size(), 9, c), 0u);
    EXPECT_EQ(SynstateAt(0, t.data(), (int)t.size(), 16, c) & SYN_COMMENT, SYN_COMMENT);
    EXPECT_EQ(SynstateAt(SYN_COMMENT, t.data(), (int)t.size(), 0, c), SYN_COMMENT);
    EXPECT_EQ(SynstateAt(SYN_DEADCODE | SYN_STRING, t.data(), (int)t.size(), 3, c), SYN_DEADCODE);
}

// Drawing a line in pieces (as selected text is drawn) gives the colours of drawing it whole,
// and the state carried to a column equals SynstateAt there; also for binary bytes.
TEST_F(Syn, PiecesColourLikeTheWholeLine) {
    const char* frags[] = {"/*", "*/", "\"", "'", "\\", "//", "x", " ", "int", "1e+5", "{",
                           "(*", "*)", "}", "#if", "--", ";", "!", ".5", "<A>", "</A>",
                           "16#F#", "S'Range", "\0", "\r", "\xff", "begin"};
    std::mt19937 rng(7);
    GASM_AdjustSeparators(";!");
    for (int type = 1; type <= 12; type++) {
        // The preprocessed assembler's two comment forms share one state bit, so a comment
        // cut by a piece boundary cannot tell which form it continues.
        if (type == 10) continue;
        const Language* l = lang(type);
        for (int iter = 0; iter < 400; iter++) {
            std::string t;
            int n = 1 + (int)(rng() % 8);
            for (int i = 0; i < n; i++) {
                const char* f = frags[rng() % (sizeof frags / sizeof *frags)];
                t.append(f, *f ? strlen(f) : 1);
            }
            uint32_t start = (rng() % 4 == 0) ? SYN_COMMENT : 0;
            std::vector<int> cuts;
            for (int c = 1; c < (int)t.size(); c++)
                if (rng() % 3 == 0) cuts.push_back(c);
            std::string whole = ClassesOf(t, start, l);
            ASSERT_EQ(ClassesInPieces(t, start, l, cuts), whole) << type << " [" << t << "]";
            if (cuts.empty()) continue;
            int col = cuts[0];
            uint32_t at = SynstateAt(start, t.data(), (int)t.size(), col, l);
            uint32_t carried = start;
            SynTextSink null{};
            null.drawRun = [](SynTextSink*, const char*, int, int, unsigned long, unsigned long) {};
            syn_ShowText(&null, t.data(), (int)t.size(), 0, col, 1, 0, l, &carried);
            EXPECT_EQ(at, carried) << type << " [" << t << "] at " << col;
        }
    }
}

TEST_F(Syn, LanguageOfFileName) {
    struct Case {
        const char* path;
        int type;
    } cases[] = {
        {"a.c", 1},      {"x/y.C", 2},     {"a.cc", 2},        {"p.pas", 3},   {"a.adb", 4},
        {"a.ads", 4},    {"a.sub", 4},     {"a.for", 5},       {"A.java", 6},  {"run.sh", 7},
        {"a.S", 7},      {"a.tql", 8},     {"x.rc", 8},        {"d/.quorlrc", 8},
        {"Makefile", 0}, {"a.H", 0},       {"a.txt", 0},       {"dir.c/file", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(syn_LanguageOfFile(c.path)->id, c.type) << c.path;
    char dir[] = "/tmp/synXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string pas = std::string(dir) + "/p.h", empty = std::string(dir) + "/e.h";
    FILE* f = fopen(pas.c_str(), "w");
    fputs("  \n { pascal include }\n", f);
    fclose(f);
    fclose(fopen(empty.c_str(), "w"));
    EXPECT_EQ(syn_LanguageOfFile(pas.c_str())->id, 3);
    EXPECT_EQ(syn_LanguageOfFile(empty.c_str())->id, 1);
    unlink(pas.c_str());
    unlink(empty.c_str());
    rmdir(dir);
    colorsyntax = 0;
    EXPECT_EQ(syn_LanguageOfFile("a.c")->id, 0);
}

TEST_F(Syn, ColourOptions) {
    EXPECT_EQ(syn_ParseOptions("1"), 0); // already all on
    EXPECT_EQ(syn_ParseOptions("k"), 1);
    EXPECT_EQ(classesOf(1, "int 1"), "....N");
    EXPECT_EQ(syn_ParseOptions("C s"), 1);
    EXPECT_EQ(colorsyntax_comment + colorsyntax_string + colorsyntax_keyword, 0);
    EXPECT_EQ(colorsyntaxGUI, 1);
    EXPECT_EQ(syn_ParseOptions("0"), 1);
    EXPECT_EQ(colorsyntax_number + colorsyntax_deadcode + colorsyntaxGUI + colorsyntax, 0);
    EXPECT_EQ(syn_ParseOptions("a"), 1);
    EXPECT_EQ(colorsyntax_char + colorsyntaxGUI, 2);
    testing::internal::CaptureStdout();
    EXPECT_EQ(syn_ParseOptions("xn"), 1); // the unknown letter is reported and skipped
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Unknown option for syntax coloring: x(valid ones are 0|1|a|C|k|d|n|s|c) \n");
    EXPECT_EQ(colorsyntax_number, 0);
    EXPECT_EQ(syn_SetColorOption(SYN_NUMBER, 1), 0);
    EXPECT_EQ(syn_SetColorOption(SYN_NUMBER, 1), 1);
    EXPECT_EQ(syn_SetColorOption(1u << 5, 1), 0);
    unsigned long px = 99;
    GetColorFromState(SYN_NUMBER | SYN_NOCOLOR, lang(1), &px);
    EXPECT_EQ(px, 99u);
    GetColorFromState(SYN_DEADCODE, lang(1), &px);
    EXPECT_EQ(px, deadcode_fg);
    syn_SetColorOption(SYN_DEADCODE, 0);
    GetColorFromState(SYN_DEADCODE, lang(1), &px);
    EXPECT_EQ(px, fg_pixel);
}

TEST_F(Syn, KeywordTablesSortLazilyAndUnsortAtCleanup) {
    syn_LanguageDefinition(2);
    EXPECT_GT(c_language.keywordCount, 0); // C++ files use the C keywords too
    EXPECT_EQ(c_language.keywordCount, 45);
    // Table sizes as stored, duplicates included: C++, Pascal, Ada, Fortran, Java,
    // assembly, TQL script, plain assembler directives, build progress.
    const int sizes[][2] = {{2, 42}, {3, 60}, {4, 71}, {5, 72}, {6, 50},
                            {7, 13}, {8, 245}, {9, 59}, {11, 6}};
    for (auto [type, size] : sizes) EXPECT_EQ(syn_LanguageDefinition(type)->keywordCount, size);
    syn_Cleanup();
    EXPECT_EQ(c_language.keywordCount, -45);
    EXPECT_EQ(classesOf(1, "while"), "KKKKK");
    syn_Init();
}

TEST_F(Syn, IncompleteLanguageIsReportedOnce) {
    Language broken = c_language;
    broken.id = LANG_PASCAL;
    broken.separators = nullptr;
    File* file = FileFInternal("broken");
    file->language = &broken;
    FileAppendS(file, "x", 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(syn_NeedToColor(file, nullptr, 1));
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  "Incomplete language specification for language: Pascal"),
              std::string::npos);
    EXPECT_EQ(broken.id, 0);
    EXPECT_FALSE(syn_NeedToColor(file, nullptr, 1));
    FileFree(file);
}

// Binary bytes, NUL bytes and a multi-megabyte line are scanned in one pass each way: the
// drawing scan covers every byte, and nothing reads past the line.
TEST_F(Syn, BadInputIsScannedWhole) {
    std::mt19937 rng(3);
    std::string binary(1 << 16, '\0');
    for (char& c : binary) c = (char)(rng() & 0xff);
    std::string pathological;
    const char* parts[] = {"1e+", "a.b", "<A>", "16#", "\"\\", "#", "/*", "'", "--", "(*"};
    while (pathological.size() < (2u << 20)) pathological += parts[rng() % 10];
    GASM_AdjustSeparators(";!#*|?-");
    for (int type = 1; type <= 12; type++) {
        for (const std::string* t : {&binary, &pathological}) {
            std::string classes = ClassesOf(*t, 0, lang(type));
            ASSERT_EQ(classes.size(), t->size());
            EXPECT_EQ(classes.find_first_of(" ?"), std::string::npos) << type;
            (void)SynstateAt(0, t->data(), (int)t->size(), (int)t->size() - 1, lang(type));
            if (lang(type)->quickLineParser) {
                uint32_t aux = 0;
                lang(type)->quickLineParser(0, 0, t->data(), (int)t->size(), &aux);
            }
        }
    }
}

// A pane drawing part of a line: from a column inside a string, selected, and uncoloured.
TEST_F(Syn, DrawLineFromAColumn) {
    File* file = FileFInternal("draw");
    file->language = lang(1);
    const char* lines[] = {"/* open", "x \"abc\" 12 */ int y = 7;"};
    for (const char* l : lines) FileAppendS(file, l, (int)strlen(l));
    std::string got;
    SynTextSink sink;
    sink.ctx = &got;
    sink.drawRun = [](SynTextSink* s, const char*, int from, int to, unsigned long fg,
                      unsigned long) {
        *(std::string*)s->ctx += std::to_string(from) + "-" + std::to_string(to) + ":" +
                                 "?.CDKSNQ"[fg < 8 ? fg : 0] + " ";
    };
    syn_DrawLine(&sink, file, nullptr, 2, 4, 40, fg_pixel, 0, false);
    EXPECT_EQ(got, "4-13:C 13-14:. 14-17:K 17-22:. 22-23:N 23-24:. ");
    got.clear();
    syn_DrawLine(&sink, file, nullptr, 2, 14, 24, 9, 0, true); // selected: no syntax colour
    EXPECT_EQ(got, "14-24:? ");
    got.clear();
    file->language = lang(0);
    syn_DrawLine(&sink, file, nullptr, 1, 0, 7, fg_pixel, 0, false);
    EXPECT_EQ(got, "0-7:. ");
    FileFree(file);
}

// The "Language" menu: choosing by name recomputes the states; the check mark follows.
TEST_F(Syn, ChoosingALanguageFromTheMenu) {
    File* file = FileFInternal("menu");
    const char* lines[] = {"/* a", "b */", "c"};
    for (const char* l : lines) FileAppendS(file, l, (int)strlen(l));
    // The File stands for its own pane, shown nowhere.
    struct Unshown final : SynPanes {
        File* paneFile(EditPort* p) override { return (File*)p; }
        void forEachPane(File*, void (*)(EditPort*, int64_t, int64_t, void*), void*) override {}
        void drawLine(EditPort*, int64_t) override {}
    } unshown;
    synPanes.install(&unshown);
    EditPort* pane = (EditPort*)file;
    EXPECT_EQ(syn_LanguageMenuIndex(file), 0);
    EXPECT_EQ(syn_ChooseLanguage(pane, "Java", 1), 1);
    EXPECT_STREQ(syn_GetLangStr(file), "Java");
    EXPECT_EQ(syn_LanguageMenuIndex(file), 6);
    EXPECT_EQ(FileLine(file, 2)->synState[0], SYN_COMMENT);
    EXPECT_EQ(FileLine(file, 3)->synState[0], 0u);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(syn_ChooseLanguage(pane, "Cobol", 1), 0);
    std::string said = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("Selection of an undefined language: Cobol"), std::string::npos);
    EXPECT_STREQ(syn_GetLangStr(file), "Java");
    file->language = &asm_language;
    EXPECT_EQ(syn_GetLangStr(file), nullptr); // no menu entry
    synPanes.install(nullptr);
    FileFree(file);
}
