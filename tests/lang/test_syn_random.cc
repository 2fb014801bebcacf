// tests/lang/test_syn_random.cc: random edits with lazy state propagation never leave a stale
// line state where it is trusted or drawn.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "buffer/file.h"
#include "config/options.h"
#include "lang_test_util.h"
#include "runtime/gen.h"

namespace {

// Fragments that open and close every multi-line construct the line parsers track.
const char* const kFragments[] = {
    "/*", "*/", "\"", "'", "\\", "//", "x", " ", "int", "42", "{", "(*", "*)", "}",
    ";", "!", "--", "a\\", "/", "*", "#define Y", "if", "else"};
const char* const kDirectives[] = {"#if 0", "#if 1", "#else", "#elif 0", "#elif 1", "#endif",
                                   "#ifdef X", "#  if 0", "#endif /* x */"};

struct View {
    File* file;
    int64_t top = 1;
    int64_t height = 12;
    struct Drawn {
        int64_t line;
        uint32_t state;       // the state it was drawn from
        std::string classes;  // the colours drawn, as class letters
    };
    std::vector<Drawn> drawn;
};
View* theView = nullptr;

// The one View as the colouring engine's panes; drawLine does what the pane drawing code
// does for each line it shows.
struct ViewPanes final : SynPanes {
    File* paneFile(EditPort* pane) override { return ((View*)pane)->file; }
    void forEachPane(File* file, void (*visit)(EditPort*, int64_t, int64_t, void*),
                     void* ctx) override {
        if (theView && theView->file == file)
            visit((EditPort*)theView, theView->top, theView->top + theView->height - 1, ctx);
    }
    void drawLine(EditPort* pane, int64_t n) override;
};
ViewPanes viewPanes;

void ViewPanes::drawLine(EditPort* pane, int64_t n) {
    View* v = (View*)pane;
    Line* line = FileLine(v->file, n);
    if (!line) return;
    std::vector<unsigned long> colours;
    syn_LineColours(v->file, pane, n, line, fg_pixel, colours);
    std::string classes;
    for (unsigned long px : colours) classes += "?.CDKSNQ"[px < 8 ? px : 0];
    v->drawn.push_back({n, line->synState[0], classes});
}

std::string randomLine(std::mt19937& rng) {
    std::string s;
    if (rng() % 4 == 0) {
        s = kDirectives[rng() % (sizeof kDirectives / sizeof *kDirectives)];
        if (rng() % 3 == 0) s = " " + s;
        return s;
    }
    int n = (int)(rng() % 6);
    for (int i = 0; i < n; i++) s += kFragments[rng() % (sizeof kFragments / sizeof *kFragments)];
    return s;
}

void setText(File* file, Line* line, const std::string& text) {
    FileInstanciateLine(file, line);
    gen_free(line->text);
    line->allocLen = (int)text.size() + 10;
    line->text = (char*)gen_alloc(1, (size_t)line->allocLen + 1);
    memcpy(line->text, text.data(), text.size());
    line->text[text.size()] = 0;
    line->len = (int)text.size();
}

// States computed line by line from the first line, as loading does.
std::vector<uint32_t> referenceStates(File* file) {
    std::vector<uint32_t> states{0}; // index 0 unused
    uint32_t s = 0, aux = 0;
    for (Line* l = file->first; l; l = l->next) {
        states.push_back(s);
        std::string t = LineText(file, l);
        uint32_t next = 0;
        s = file->language->quickLineParser(s, aux, t.data(), (int)t.size(), &next);
        aux = next;
    }
    return states;
}

void runRandomEdits(int type, unsigned seed) {
    std::mt19937 rng(seed);
    File* file = FileFInternal("random");
    file->language = syn_LanguageDefinition(type);
    for (int i = 0; i < 40; i++) {
        std::string t = randomLine(rng);
        FileAppendS(file, t.data(), (int)t.size());
    }
    file->synValidLines = file->nLines;
    View view{file, 1, 12, {}};
    theView = &view;
    EditPort* pane = (EditPort*)&view;
    for (int step = 0; step < 1500; step++) {
        int64_t k = 1 + (int64_t)(rng() % (uint64_t)(file->nLines + 1));
        if (k > file->nLines) k = file->nLines;
        int op = (int)(rng() % 10);
        if (op < 5 && file->nLines > 0) {
            setText(file, FileLine(file, k), randomLine(rng));
            synPropagate(pane, k);
        } else if (op < 7 || file->nLines < 5) {
            std::string t = randomLine(rng);
            FileInsertS(file, FileLine(file, k), t.data(), (int)t.size());
            synPropagate(pane, k < 1 ? 1 : k);
        } else if (op < 9) {
            FileRemove(file, FileLine(file, k));
            synPropagate(pane, k > file->nLines ? file->nLines : k);
        } else {
            view.top = 1 + (int64_t)(rng() % (uint64_t)file->nLines); // scroll
            synRedraw(pane, view.top);
        }
        std::vector<uint32_t> ref = referenceStates(file);
        // Every state the engine trusts is right...
        int64_t n = 1;
        for (Line* l = file->first; l && n <= file->synValidLines; l = l->next, n++)
            ASSERT_EQ(l->synState[0], ref[n]) << "type " << type << " seed " << seed << " step "
                                             << step << " line " << n;
        // ...and so is every line drawn, in its colours too.
        for (const View::Drawn& d : view.drawn) {
            ASSERT_EQ(d.state, ref[d.line]) << "drawn line " << d.line << " step " << step;
            std::string t = LineText(file, FileLine(file, d.line));
            ASSERT_EQ(d.classes, ClassesOf(t, ref[d.line], file->language));
        }
        view.drawn.clear();
    }
    theView = nullptr;
    FileFree(file);
}

} // namespace

TEST(SynPropagation, RandomEditsLeaveNoStaleState) {
    LangTestInit();
    synPanes.install(&viewPanes);
    GASM_AdjustSeparators(";!");
    for (int type : {1, 2, 3, 6, 7, 8})
        for (unsigned seed = 1; seed <= 3; seed++) runRandomEdits(type, seed);
    GASM_AdjustSeparators("");
    synPanes.install(nullptr);
}

// A huge File opened at its end: the drawn lines get states from a sync point near them at
// once (no scan from the top), and the exact states catch up afterwards, redrawing the lines
// whose guessed state was wrong.
TEST(SynPropagation, FarDrawsSyncNearbyAndCatchUp) {
    LangTestInit();
    synPanes.install(&viewPanes);
    File* file = FileFInternal("huge");
    file->language = syn_LanguageDefinition(1);
    const int64_t n = 260000;
    // A comment opened 5000 lines above the end and closed 5 lines above it: longer than any
    // sync distance, so the guess for the lines before its end is wrong.
    for (int64_t i = 1; i <= n; i++) {
        std::string t = i == n - 5000 ? "int a; /* opened" : i == n - 5 ? "closed */ int b;"
                                                                        : "x = \"s\"; y++;";
        FileAppendS(file, t.data(), (int)t.size());
    }
    for (Line* l = file->first; l; l = l->next) l->synState[0] = l->synState[1] = 0;
    file->synValidLines = 0;
    std::vector<uint32_t> ref = referenceStates(file);
    View view{file, n - 11, 12, {}};
    theView = &view;
    EditPort* pane = (EditPort*)&view;
    synRedraw(pane, view.top);
    ASSERT_EQ(view.drawn.size(), 12u);
    EXPECT_LT(file->synValidLines, n / 2); // nothing scanned from the top
    // Past the comment's end the guess is right; inside it, wrong until the catch-up.
    for (const View::Drawn& d : view.drawn) {
        if (d.line > n - 5) {
            EXPECT_EQ(d.state, ref[d.line]) << d.line;
        }
    }
    EXPECT_NE(view.drawn[0].state, ref[n - 11]);
    // An edit among the guessed lines keeps the guesses next to it consistent.
    setText(file, FileLine(file, n - 2), "/* again");
    synPropagate(pane, n - 2);
    ref = referenceStates(file);
    view.drawn.clear();
    int slices = 0;
    while (syn_CatchUp(file)) slices++;
    EXPECT_GT(slices, 0);
    EXPECT_EQ(file->synValidLines, n);
    int64_t k = 1;
    for (Line* l = file->first; l; l = l->next, k++) ASSERT_EQ(l->synState[0], ref[k]) << k;
    // The lines drawn from a wrong guess were drawn again, right this time.
    ASSERT_FALSE(view.drawn.empty());
    for (const View::Drawn& d : view.drawn) EXPECT_EQ(d.state, ref[d.line]) << d.line;
    theView = nullptr;
    FileFree(file);
    synPanes.install(nullptr);
}

// Guessed states belong to a language: choosing another one drops them, wherever the view
// goes next.
TEST(SynPropagation, LanguageChangeDropsGuesses) {
    LangTestInit();
    synPanes.install(&viewPanes);
    File* file = FileFInternal("huge");
    file->language = syn_LanguageDefinition(1); // C carries a string over a final backslash
    const int64_t n = 260000;
    for (int64_t i = 1; i <= n; i++) FileAppendS(file, "a = \"x\\", 7);
    for (Line* l = file->first; l; l = l->next) l->synState[0] = l->synState[1] = 0;
    file->synValidLines = 0;
    View view{file, n - 2000, 12, {}};
    theView = &view;
    EditPort* pane = (EditPort*)&view;
    synRedraw(pane, view.top);
    file->language = syn_LanguageDefinition(6); // Java does not
    view.top = n - 11;
    synRecalculate(pane, 1, view.top + 20, true);
    std::vector<uint32_t> ref = referenceStates(file);
    view.top = n - 2000;
    view.drawn.clear();
    synRedraw(pane, view.top);
    ASSERT_EQ(view.drawn.size(), 12u);
    for (const View::Drawn& d : view.drawn) EXPECT_EQ(d.state, ref[d.line]) << d.line;
    theView = nullptr;
    FileFree(file);
    synPanes.install(nullptr);
}
