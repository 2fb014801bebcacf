// tests/buffer/test_edits.cc: changes, indents, rectangles, undo and redo against a plain
// string model of the text, and the edge cases of merging, saved markers and line mapping.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/registry.h"
#include "buffer/save.h"
#include "buffer/undo.h"
#include "config/options.h"
#include "runtime/gen.h"
#include "testutil.h"

namespace {

int undoCount(File* f) {
    int n = 0;
    for (UndoRec* r = f->undo; r; r = r->next) n++;
    return n;
}

void change(File* f, int64_t lS, int cS, int64_t lE, int cE, const std::string& t,
            int mergeable = 1) {
    FileChange(f, nullptr, 0, lS, cS, lE, cE, t.data(), (int64_t)t.size(), mergeable);
}

// ---- the model: the text as one string in which every line ends with LF ----

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        if (lf == std::string::npos) lf = text.size();
        out.push_back(text.substr(start, lf - start));
        start = lf + 1;
    }
    return out;
}

std::string join(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
}

int tabStop(int c) {
    return 8 * ((c + 8) / 8);
}

int colsOf(const std::string& s, int index) {
    return LineCols(s.data(), (int)s.size(), index, false);
}

struct Model {
    std::string text;

    std::vector<std::string> lines() const { return split(text); }

    // Byte offset of a position; an end column past its line reaches the next line.
    int64_t offset(int64_t l, int c, bool isEnd) const {
        auto ls = lines();
        int64_t off = 0;
        if (l < 1) return 0;
        if (l > (int64_t)ls.size()) return (int64_t)text.size();
        for (int64_t i = 1; i < l; i++) off += (int64_t)ls[i - 1].size() + 1;
        int len = (int)ls[l - 1].size();
        if (c < 0) c = 0;
        if (c > len) return isEnd ? off + len + 1 : off + len;
        return off + c;
    }

    // Replaces the bytes; returns the offset where the new text starts.
    int64_t change(int64_t lS, int cS, int64_t lE, int cE, std::string t) {
        if (lE < lS || (lE == lS && cE < cS)) std::swap(lS, lE), std::swap(cS, cE);
        std::string norm;
        for (size_t i = 0; i < t.size(); i++) {
            if (t[i] == '\r') {
                if (i + 1 < t.size() && t[i + 1] == '\n') i++;
                norm += '\n';
            } else {
                norm += t[i];
            }
        }
        int64_t s = offset(lS, cS, false), e = std::max(s, offset(lE, cE, true));
        text = text.substr(0, (size_t)s) + norm + text.substr((size_t)e);
        if (!text.empty() && text.back() != '\n') text += '\n';
        return s;
    }

    void indent(int64_t lS, int64_t lE, int delta) {
        auto ls = lines();
        for (int64_t n = lS; n <= lE; n++) {
            std::string& l = ls[n - 1];
            int white = 0;
            int w = LineIndentWidth(l.data(), (int)l.size(), 8, &white);
            int want = std::max(0, w + delta);
            l = std::string((size_t)(want / 8), '\t') + std::string((size_t)(want % 8), ' ') +
                l.substr((size_t)white);
        }
        text = join(ls);
    }

    void rectPaste(int64_t line, int col, const std::string& t) {
        auto ls = lines();
        int x = line <= (int64_t)ls.size() ? colsOf(ls[line - 1], col) : col;
        std::vector<std::string> rows;
        size_t start = 0;
        while (start < t.size()) {
            size_t lf = t.find('\n', start);
            if (lf == std::string::npos) lf = t.size();
            rows.push_back(t.substr(start, lf - start));
            start = lf + 1;
        }
        for (size_t k = 0; k < rows.size(); k++) {
            int64_t n = line + (int64_t)k;
            const std::string& row = rows[k];
            if (n > (int64_t)ls.size()) {
                ls.push_back(row.empty() ? "" : std::string((size_t)x, ' ') + row);
                continue;
            }
            if (row.empty()) continue;
            std::string& l = ls[n - 1];
            int c = 0;
            size_t i = 0;
            auto next = [&](size_t at, int cc) { return l[at] == '\t' ? tabStop(cc) : cc + 1; };
            while (i < l.size() && next(i, c) <= x) c = next(i, c), i++;
            if (c < x && i < l.size()) {
                int nx = next(i, c);
                l = l.substr(0, i) + std::string((size_t)(x - c), ' ') + row +
                    std::string((size_t)(nx - x), ' ') + l.substr(i + 1);
            } else {
                l = l.substr(0, i) + std::string((size_t)(x - c), ' ') + row + l.substr(i);
            }
        }
        text = join(ls);
    }

    void rectDel(int64_t lS, int cS, int64_t lE, int cE) {
        auto ls = lines();
        if (lE < lS) std::swap(lS, lE), std::swap(cS, cE);
        if (cE < cS) std::swap(cS, cE);
        lS = std::max<int64_t>(lS, 1);
        lE = std::min<int64_t>(lE, (int64_t)ls.size());
        if (lS > lE) return;
        int left = colsOf(ls[lS - 1], cS), right = colsOf(ls[lE - 1], cE);
        if (right < left) std::swap(left, right);
        if (left == right) return;
        for (int64_t n = lS; n <= lE; n++) {
            std::string& l = ls[n - 1];
            auto next = [&](size_t at, int cc) { return l[at] == '\t' ? tabStop(cc) : cc + 1; };
            int c = 0;
            size_t i = 0;
            while (i < l.size() && next(i, c) <= left) c = next(i, c), i++;
            size_t from = i;
            int pad = c < left && i < l.size() ? left - c : 0;
            while (i < l.size() && c < right) c = next(i, c), i++;
            if (c > right) pad += c - right;
            if (i > from) l = l.substr(0, from) + std::string((size_t)pad, ' ') + l.substr(i);
        }
        text = join(ls);
    }
};

// Leading white space exactly as LineIndent would make it, so that an indent undoes exactly.
bool canonicalIndent(const std::string& l) {
    int white = 0;
    int w = LineIndentWidth(l.data(), (int)l.size(), 8, &white);
    return l.substr(0, (size_t)white) ==
           std::string((size_t)(w / 8), '\t') + std::string((size_t)(w % 8), ' ');
}

int widest(const std::vector<std::string>& ls, bool utf8) {
    int w = 0;
    for (const auto& l : ls) w = std::max(w, LineWidth(l.data(), (int)l.size(), utf8));
    return w;
}

void checkStructure(File* f) {
    int64_t n = 0;
    Line* prev = nullptr;
    for (Line* l = f->first; l; prev = l, l = l->next, n++) {
        ASSERT_EQ(l->prev, prev);
        if (l->allocLen != lnInFile) {
            ASSERT_GE(l->allocLen, l->len + 1);
            ASSERT_EQ(l->text[l->len], 0);
        }
    }
    ASSERT_EQ(f->last, prev);
    ASSERT_EQ(f->nLines, n);
}

// The bytes a save may leave on disk, found from the end, never reach past what walking from
// the first line finds: the leading lines still read, in order and without gaps, from the
// temp file as loaded or last saved.
void checkDiskPrefix(File* f) {
    int64_t walked = 0;
    Line* l = f->first;
    if (!f->dosMode && !f->loadedAsDos && f->consistentEnds)
        while (l && l->allocLen == lnInFile && l->offset == walked &&
               l->offset + l->len + 1 <= f->loadSize) {
            walked = l->offset + l->len + 1;
            l = l->next;
        }
    Line* from = nullptr;
    int64_t size = -1;
    int64_t found = FileDiskPrefix(f, &from, &size);
    ASSERT_LE(found, walked);
    ASSERT_EQ(size, FileCurrentSize(f));
    int64_t at = 0;
    for (l = f->first; l && at < found; l = l->next) at += l->len + 1;
    ASSERT_EQ(at, found);
    ASSERT_EQ(from, l);
}

std::string randomText(std::mt19937& rng, int maxLen, bool lineEnds) {
    static const char plain[] = "ab \txyz";
    std::string s;
    int n = (int)(rng() % (unsigned)(maxLen + 1));
    for (int i = 0; i < n; i++) {
        unsigned r = rng() % 40;
        if (lineEnds && r < 5)
            s += '\n';
        else if (lineEnds && r == 5)
            s += "\r\n";
        else if (lineEnds && r == 6)
            s += '\r';
        else if (r == 7)
            s += '\x01';
        else if (r == 8)
            s += '\0';
        else
            s += plain[rng() % (sizeof plain - 1)];
    }
    return s;
}

// Drives random edits, undos, redos, saves and journal writes against the model.
void randomRun(unsigned seed, const std::string& initial, int steps) {
    TestDir dir;
    std::string path = dir.write("random.txt", initial);
    File* f = FileFFile(path.c_str());
    ASSERT_NE(f, nullptr);
    std::mt19937 rng(seed);
    Model m{join(split(initial))};
    std::vector<std::string> history{m.text};
    size_t cur = 0;
    long saved = 0;
    int expectWidth = f->maxWidth, everWidth = f->maxWidth;
    for (int step = 0; step < steps; step++) {
        SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
        if (!f->haslock) {
            ASSERT_EQ(incr_AcquireLock(f), 1);
        }
        auto ls = m.lines();
        int64_t n = (int64_t)ls.size();
        unsigned op = rng() % 100;
        int before = undoCount(f);
        std::string was = m.text;
        bool exactWidth = false;
        if (op < 50) {
            // Positions cluster near a moving spot so that typing merges now and then.
            int64_t lS = 1 + (int64_t)(rng() % (unsigned)(n + 2));
            int cS = (int)(rng() % 12);
            int64_t lE = lS + (rng() % 4 == 0 ? (int64_t)(rng() % 3) : 0);
            int cE = lE == lS ? cS + (int)(rng() % 3) : (int)(rng() % 12);
            if (rng() % 3 == 0 && f->undo && f->undo->text && !(f->undo->flags & UNDO_GROUP))
                lS = lE = f->undo->lE, cS = cE = f->undo->cE; // keep typing at the end
            std::string t = randomText(rng, rng() % 5 == 0 ? 20 : 3, true);
            change(f, lS, cS, lE, cE, t, rng() % 4 != 0);
            int64_t s = m.change(lS, cS, lE, cE, t);
            // The lines the change wrote are widened; no other.
            if (!m.text.empty()) {
                std::string tn;
                for (size_t i = 0; i < t.size(); i++) {
                    if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') continue;
                    tn += t[i] == '\r' ? '\n' : t[i];
                }
                int64_t endOff = std::min<int64_t>(s + (int64_t)tn.size(), (int64_t)m.text.size() - 1);
                int64_t firstLine = std::count(m.text.begin(), m.text.begin() + s, '\n');
                int64_t lastLine = std::count(m.text.begin(), m.text.begin() + endOff, '\n');
                auto nl = m.lines();
                for (int64_t i = firstLine; i <= lastLine && i < (int64_t)nl.size(); i++)
                    expectWidth = std::max(expectWidth,
                                           LineWidth(nl[i].data(), (int)nl[i].size(), f->utf8));
            }
            exactWidth = true;
            int after = undoCount(f);
            long curBefore = (long)cur;
            bool merged = after == before;
            if (merged) {
                history[cur] = m.text; // merged into the newest record
            } else {
                ASSERT_EQ(after, before + 1);
                history.resize(cur + 1);
                history.push_back(m.text);
                cur++;
            }
            if (saved > curBefore || (merged && saved == curBefore)) saved = -1;
        } else if (op < 60 && n > 0) {
            int64_t lS = 1 + (int64_t)(rng() % (unsigned)n);
            int64_t lE = std::min<int64_t>(n, lS + (int64_t)(rng() % 4));
            int delta = (int)(rng() % 17) - 8;
            bool exact = true;
            for (int64_t i = lS; i <= lE; i++) {
                int w = LineIndentWidth(ls[i - 1].data(), (int)ls[i - 1].size(), 8, nullptr);
                exact = exact && canonicalIndent(ls[i - 1]) && w + delta >= 0;
            }
            if (!exact) continue;
            if (rng() % 2) std::swap(lS, lE);
            FileIndent(f, nullptr, 0, lS, lE, delta);
            m.indent(std::min(lS, lE), std::max(lS, lE), delta);
            history.resize(cur + 1);
            history.push_back(m.text);
            cur++;
            if (saved >= (long)cur) saved = -1;
        } else if (op < 68) {
            int64_t line = 1 + (int64_t)(rng() % (unsigned)(n + 2));
            int col = (int)(rng() % 14);
            std::string t = randomText(rng, 10, false);
            for (int k = (int)(rng() % 3); k > 0; k--) t += "\n" + randomText(rng, 4, false);
            if (rng() % 2) t += "\n";
            FileRectPaste(f, nullptr, 0, line, col, t.data(), (int64_t)t.size());
            m.rectPaste(line, col, t);
        } else if (op < 75 && n > 0) {
            int64_t lS = 1 + (int64_t)(rng() % (unsigned)n);
            int64_t lE = lS + (int64_t)(rng() % 4) - 1;
            int cS = (int)(rng() % 14), cE = (int)(rng() % 14);
            FileRectDel(f, nullptr, 0, lS, cS, lE, cE);
            m.rectDel(lS, cS, lE, cE);
        } else if (op < 86) {
            int64_t r = FileUndo(f, nullptr, 0);
            if (cur == 0) {
                ASSERT_EQ(r, -100);
            } else {
                ASSERT_NE(r, -100);
                m.text = history[--cur];
            }
        } else if (op < 95) {
            int64_t r = FileRedo(f, nullptr, 0);
            if (cur + 1 >= history.size()) {
                ASSERT_EQ(r, -100);
            } else {
                ASSERT_NE(r, -100);
                m.text = history[++cur];
            }
        } else if (op < 97) {
            FileCloseUndo(f);
        } else if (op < 98) {
            ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
            std::string disk = m.text;
            if (f->dosMode) // an empty or LF-less file loads in DOS mode
                for (size_t i = disk.find('\n'); i != std::string::npos; i = disk.find('\n', i + 2))
                    disk.replace(i, 1, "\r\n");
            ASSERT_EQ(readFile(path), disk);
            ASSERT_FALSE(f->haslock);
            // Every line is read again from a temp file that holds the text as saved.
            for (Line* l = f->first; l; l = l->next) ASSERT_EQ(l->allocLen, lnInFile);
            ASSERT_EQ(readFile(f->tempName), m.text);
            saved = (long)cur;
            expectWidth = everWidth = widest(m.lines(), f->utf8);
            ASSERT_EQ(f->maxWidth, expectWidth);
        } else {
            // The journal written now must rebuild the text from the file on disk.
            ASSERT_EQ(incr_SaveEdits(f), 1);
            if (f->haslock) {
                GenStr journal(incr_GetName(f, 0));
                File* copy = FileFFileNoApplyEdits(path.c_str());
                ASSERT_NE(copy, nullptr);
                ASSERT_EQ(incr_ApplyEdits(copy, journal.get()), 1);
                ASSERT_EQ(textOf(copy), m.text);
                ASSERT_NO_FATAL_FAILURE(checkDiskPrefix(copy));
                FileFree(copy);
            }
        }
        if (op >= 60 && op < 75 && undoCount(f) != before) {
            // A rectangle is one undo step.
            ASSERT_EQ(undoCount(f), before + 1);
            history.resize(cur + 1);
            history.push_back(m.text);
            cur++;
            if (saved >= (long)cur) saved = -1;
        } else if (op >= 60 && op < 75) {
            ASSERT_EQ(m.text, was);
        }
        auto now = m.lines();
        ASSERT_NO_FATAL_FAILURE(checkStructure(f));
        ASSERT_NO_FATAL_FAILURE(checkDiskPrefix(f));
        ASSERT_EQ(linesOf(f), now);
        ASSERT_EQ(f->nLines, (int64_t)now.size());
        ASSERT_EQ(f->modified, (long)cur != saved);
        everWidth = std::max(everWidth, widest(now, f->utf8));
        if (exactWidth) {
            ASSERT_EQ(f->maxWidth, expectWidth);
        }
        expectWidth = f->maxWidth;
        ASSERT_GE(f->maxWidth, widest(now, f->utf8));
        ASSERT_LE(f->maxWidth, everWidth);
    }
    // Undoing everything gives the original text, redoing everything the final one.
    std::string final = history.back();
    while (FileUndo(f, nullptr, 0) != -100) {
    }
    EXPECT_EQ(textOf(f), history[0]);
    EXPECT_EQ(f->modified, saved != 0);
    while (FileRedo(f, nullptr, 0) != -100) {
    }
    EXPECT_EQ(textOf(f), final);
    FileFree(f);
}

TEST(EditsRandom, SmallFileManySteps) {
    for (unsigned seed = 1; seed <= 12; seed++)
        randomRun(seed, "alpha\n\tbeta\n  gamma delta\n\nend\n", 700);
}

TEST(EditsRandom, EmptyAndUnterminatedFiles) {
    randomRun(101, "", 800);
    randomRun(102, "no final newline", 800);
}

TEST(EditsRandom, FileLargerThanTheCache) {
    std::string big;
    for (int i = 0; i < 3000; i++) big += "line " + std::to_string(i) + " with\ttab\n";
    randomRun(201, big, 600);
}

// ---- edge cases ----

struct EditsTest : ::testing::Test {
    TestDir dir;
    File* load(const std::string& text) {
        return FileFFile(dir.write("f.txt", text).c_str());
    }
};

TEST_F(EditsTest, InsertSplitAndJoinUndo) {
    File* f = load("abcd\n");
    change(f, 1, 2, 1, 2, "x\ny");
    EXPECT_EQ(linesOf(f), (std::vector<std::string>{"abx", "ycd"}));
    EXPECT_EQ(FileUndo(f, nullptr, 0), 1);
    EXPECT_EQ(linesOf(f), (std::vector<std::string>{"abcd"}));
    EXPECT_FALSE(f->modified);
    FileFree(f);

    f = load("1\n2222\n3\n4444\n5\n");
    change(f, 2, 3, 4, 0, "");
    EXPECT_EQ(linesOf(f), (std::vector<std::string>{"1", "2224444", "5"}));
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(textOf(f), "1\n2222\n3\n4444\n5\n");
    FileFree(f);
}

// Typing at the end of a line widens maxWidth by what it adds, also after the line was
// changed by other means to the same length.
TEST_F(EditsTest, TypingAtTheEndKeepsTheWidthExact) {
    File* f = load("abc\nqq\nz\n");
    change(f, 1, 3, 1, 3, "d");
    EXPECT_EQ(f->maxWidth, 5);
    change(f, 1, 3, 2, 0, "\t\nq"); // "abc" and a tab: 4 bytes again, but 8 wide
    EXPECT_EQ(f->maxWidth, 8);
    change(f, 1, 4, 1, 4, "x");
    EXPECT_EQ(f->maxWidth, 9);
    for (int i = 0; i < 20; i++) change(f, 1, 5 + i, 1, 5 + i, i % 5 ? "y" : "\t");
    EXPECT_EQ(linesOf(f)[0], "abc\tx\tyyyy\tyyyy\tyyyy\tyyyy");
    EXPECT_EQ(f->maxWidth, LineWidth(f->first->text, f->first->len, f->utf8));
    FileIndent(f, nullptr, 0, 1, 1, 8); // the same line through another road
    change(f, 1, f->first->len, 1, f->first->len, "\x01");
    EXPECT_EQ(f->maxWidth, LineWidth(f->first->text, f->first->len, f->utf8));
    // Deleting never widens: the width stays what the widest line had.
    int wide = f->maxWidth;
    change(f, 1, 0, 1, 3, "");
    EXPECT_EQ(f->maxWidth, wide);
    FileFree(f);
}

TEST_F(EditsTest, TypingMergesUntilClosed) {
    File* f = load("abc\n");
    change(f, 1, 1, 1, 1, "x");
    change(f, 1, 2, 1, 2, "y");
    change(f, 1, 3, 1, 3, "z");
    EXPECT_EQ(undoCount(f), 1);
    change(f, 1, 3, 1, 4, ""); // a backspace within the run merges too
    EXPECT_EQ(undoCount(f), 1);
    FileCloseUndo(f);
    change(f, 1, 3, 1, 3, "w");
    EXPECT_EQ(undoCount(f), 2);
    EXPECT_EQ(linesOf(f)[0], "axywbc");
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(linesOf(f)[0], "axybc");
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(linesOf(f)[0], "abc");
    // Not mergeable, or typing elsewhere, starts a record.
    change(f, 1, 0, 1, 0, "p");
    change(f, 1, 3, 1, 3, "q");
    change(f, 1, 4, 1, 4, "r", 0);
    EXPECT_EQ(undoCount(f), 3);
    FileFree(f);
}

TEST_F(EditsTest, RedoListAndModifiedState) {
    File* f = load("one\n");
    change(f, 1, 3, 1, 3, "!");
    FileUndo(f, nullptr, 0);
    EXPECT_FALSE(f->modified);
    EXPECT_EQ(FileRedo(f, nullptr, 0), 1);
    EXPECT_TRUE(f->modified);
    EXPECT_EQ(linesOf(f)[0], "one!");
    FileUndo(f, nullptr, 0);
    change(f, 1, 0, 1, 0, "x");
    EXPECT_EQ(f->redo, nullptr);
    EXPECT_EQ(FileRedo(f, nullptr, 0), -100);
    FileFree(f);
}

TEST_F(EditsTest, UndoAroundASave) {
    File* f = load("one\n");
    change(f, 1, 3, 1, 3, "!");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_FALSE(f->modified);
    change(f, 1, 0, 1, 0, "x");
    EXPECT_TRUE(f->modified);
    FileUndo(f, nullptr, 0);
    EXPECT_FALSE(f->modified);
    FileUndo(f, nullptr, 0);
    EXPECT_TRUE(f->modified);
    FileRedo(f, nullptr, 0);
    EXPECT_FALSE(f->modified);
    FileFree(f);

    // Saved with nothing to undo: undoing back to the bottom is the disk state.
    f = load("a\n");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    change(f, 1, 0, 1, 0, "b");
    FileUndo(f, nullptr, 0);
    EXPECT_FALSE(f->modified);
    FileFree(f);
}

TEST_F(EditsTest, IndentTabsAndBlanks) {
    File* f = load("\tx\n\tx\n");
    FileIndent(f, nullptr, 0, 1, 1, -4);
    FileIndent(f, nullptr, 0, 2, 2, 4);
    EXPECT_EQ(linesOf(f), (std::vector<std::string>{"    x", "\t    x"}));
    tabsize = 0;
    FileIndent(f, nullptr, 0, 2, 2, 1);
    tabsize = 8;
    EXPECT_EQ(linesOf(f)[1], std::string(13, ' ') + "x");
    FileUndo(f, nullptr, 0);
    FileUndo(f, nullptr, 0);
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(textOf(f), "\tx\n\tx\n");
    FileFree(f);
}

TEST_F(EditsTest, RectanglesSplitTabsAndUndoAsOne) {
    File* f = load("a\tb\nshort\n");
    FileRectPaste(f, nullptr, 0, 1, 1, "XY\nZ\nnew", 8);
    EXPECT_EQ(linesOf(f), (std::vector<std::string>{"aXY\tb", "sZhort", " new"}));
    EXPECT_EQ(undoCount(f), 1);
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(textOf(f), "a\tb\nshort\n");
    // Byte 2 of line 1 is display column 8, byte 4 of line 2 column 4: columns 4..7 go,
    // which cuts the tab (columns 1..7) and keeps its outer part as blanks.
    FileRectDel(f, nullptr, 0, 1, 2, 2, 4);
    EXPECT_EQ(linesOf(f), (std::vector<std::string>{"a   b", "shor"}));
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(textOf(f), "a\tb\nshort\n");
    FileFree(f);
}

TEST_F(EditsTest, AddingAfterTheLastLine) {
    File* f = load("a\n");
    change(f, 2, 0, 2, 0, "tail");
    EXPECT_EQ(textOf(f), "a\ntail\n");
    EXPECT_TRUE(f->undo->flags & UNDO_NOFINALNL);
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(textOf(f), "a\n");
    FileRedo(f, nullptr, 0);
    EXPECT_EQ(textOf(f), "a\ntail\n");
    // Deleting to the end from mid-line keeps the last line's terminator.
    change(f, 1, 1, 9, 0, "");
    EXPECT_EQ(textOf(f), "a\n");
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(textOf(f), "a\ntail\n");
    FileFree(f);
}

TEST_F(EditsTest, DiskLineNumbersFollowChanges) {
    std::string text;
    for (int i = 1; i <= 20; i++) text += std::to_string(i) + "\n";
    File* f = load(text);
    change(f, 3, 0, 3, 0, "new\nnew\n"); // two lines before disk line 3
    change(f, 12, 0, 15, 0, "");         // current 12..14 (disk 10..12) gone
    EXPECT_EQ(FileLinenoFDiskLineno(f, 2), 2);
    EXPECT_EQ(FileLinenoFDiskLineno(f, 3), 5);
    EXPECT_EQ(FileLinenoFDiskLineno(f, 9), 11);
    EXPECT_EQ(FileLinenoFDiskLineno(f, 13), 12);
    EXPECT_EQ(FileLinenoFDiskLineno(f, 20), 19);
    EXPECT_EQ(FileLinenoFDiskLineno(f, -4), 4);
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(FileLinenoFDiskLineno(f, 13), 13);
    // The tag numbering counts from the marked record.
    f->undo->flags |= UNDO_TAGS;
    change(f, 1, 0, 1, 0, "top\n");
    EXPECT_EQ(FileLinenoFTagLineno(f, 7), 8);
    FileFree(f);
}

TEST_F(EditsTest, LargeDeletionUndoesAndMaps) {
    std::string text;
    for (int i = 0; i < 40000; i++) text += "l" + std::to_string(i) + "\n";
    File* f = load(text);
    change(f, 2, 0, 40000, 0, "");
    EXPECT_EQ(f->nLines, 2);
    EXPECT_EQ(FileLinenoFDiskLineno(f, 40000), 2);
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(textOf(f), text);
    FileFree(f);
}

} // namespace
