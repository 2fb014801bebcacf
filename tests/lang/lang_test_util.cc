// tests/lang/lang_test_util.cc: helpers shared by the colouring tests.
#include "lang_test_util.h"

#include <vector>

#include "buffer/file.h"
#include "config/options.h"
#include "runtime/gen.h"

void SetTestColours() {
    fg_pixel = 1;
    comment_fg = 2;
    deadcode_fg = 3;
    keyword_fg = 4;
    string_fg = 5;
    integer_fg = 6;
    character_fg = 7;
}

static char letterOf(unsigned long px) {
    static const char letters[] = "?.CDKSNQ";
    return px < 8 ? letters[px] : '?';
}

namespace {
struct Recorder {
    SynTextSink sink;
    std::string classes;
    int lastTo = -1;
    bool adjacentSameColour = false; // two runs in a row with one colour: not merged
    unsigned long lastFg = 0;
};
} // namespace

static void record(SynTextSink* sink, const char*, int from, int to, unsigned long fg,
                   unsigned long) {
    Recorder* r = (Recorder*)sink->ctx;
    if (r->lastTo == from && r->lastFg == fg) r->adjacentSameColour = true;
    for (int i = from; i < to; i++) r->classes[i] = letterOf(fg);
    r->lastTo = to;
    r->lastFg = fg;
}

std::string ClassesInPieces(const std::string& text, uint32_t state, const Language* lang,
                            const std::vector<int>& cuts) {
    Recorder r;
    r.sink.drawRun = record;
    r.sink.ctx = &r;
    r.classes.assign(text.size(), ' ');
    int from = 0;
    std::vector<int> ends = cuts;
    ends.push_back((int)text.size());
    for (int to : ends) {
        r.lastTo = -1; // a new piece may repeat the previous colour
        syn_ShowText(&r.sink, text.data(), (int)text.size(), from, to, fg_pixel, 0, lang, &state);
        from = to;
    }
    if (r.adjacentSameColour) return "<unmerged runs>";
    return r.classes;
}

std::string ClassesOf(const std::string& text, uint32_t state, const Language* lang) {
    return ClassesInPieces(text, state, lang, {});
}

std::string LineText(File* file, Line* line) {
    const char* t = FileLineText(file, line);
    return std::string(t, (size_t)line->len);
}

void LangTestInit() {
    static bool done = false;
    if (done) return;
    done = true;
    gen_init("test_lang", 0);
    syn_Init();
    SetTestColours();
}
