// tests/diff/test_diff.cc: the line difference engine against a script-applying model.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "diff/diff.h"

namespace {

using Lines = std::vector<std::string>;

std::vector<const char*> ptrs(const Lines& lines) {
    std::vector<const char*> p;
    for (auto& l : lines) p.push_back(l.c_str());
    return p;
}

// Rebuilds the new text from the old one by following an edit script.
Lines applyScript(const Lines& old, const DiffScript& script) {
    Lines out;
    for (size_t k = 0; k < script.size(); k++) {
        const std::string& e = script[k];
        int a = 0, b = 0;
        if (sscanf(e.c_str(), "m%d,%d", &a, &b) == 2) {
            EXPECT_LT(a, b) << e;
            for (int i = a; i <= b; i++) out.push_back(old.at(i - 1));
        } else if (sscanf(e.c_str(), "m%d", &a) == 1) {
            out.push_back(old.at(a - 1));
        } else if (sscanf(e.c_str(), "a%d", &a) == 1) {
            for (int i = 0; i < a; i++) out.push_back(script.at(++k));
        } else {
            ADD_FAILURE() << "bad element " << e;
        }
    }
    return out;
}

struct Outcome {
    DiffResult* result;
    DiffScript script;
    int count = 0;
};

Outcome compare(const Lines& a, const Lines& b, int resolveMoves) {
    Outcome o;
    auto pa = ptrs(a), pb = ptrs(b);
    o.result = diffFiles(DIFF_MEMORY, pa.data(), (int)a.size(), DIFF_MEMORY, pb.data(),
                         (int)b.size(), 1, &o.count, &o.script, resolveMoves);
    return o;
}

// Pairs are mutual, join equal texts, and (after move resolution) never cross.
void checkPairing(const DiffResult* r, const Lines& a, const Lines& b, bool monotone) {
    int lastNew = 0;
    for (int i = 1; i <= r->oldmax; i++) {
        if (!r->OA[i].matched) continue;
        int j = r->OA[i].other;
        ASSERT_GE(j, 1);
        ASSERT_LE(j, r->newmax);
        ASSERT_TRUE(r->NA[j].matched);
        ASSERT_EQ(r->NA[j].other, i);
        ASSERT_EQ(a[i - 1], b[j - 1]);
        ASSERT_EQ(diff_symtext(r, r->OA[i].symbol), a[i - 1]);
        if (monotone) {
            ASSERT_GT(j, lastNew) << "crossing pair at old line " << i;
            lastNew = j;
        }
    }
    for (int j = 1; j <= r->newmax; j++) {
        if (r->NA[j].matched) {
            ASSERT_TRUE(r->OA[r->NA[j].other].matched);
        }
    }
}

std::string randomLine(std::mt19937& rng, int vocabulary) {
    int pick = rng() % 100;
    if (pick < 3) return std::string(600 + rng() % 2000, 'a' + rng() % 26) + "\n";
    if (pick < 6) return "\n";
    if (pick < 8) return "x" + std::to_string(rng() % vocabulary) + "\r\n";
    return "x" + std::to_string(rng() % vocabulary) + "\n";
}

Lines mutate(const Lines& old, std::mt19937& rng, int vocabulary) {
    Lines out = old;
    int edits = rng() % 8;
    for (int e = 0; e < edits; e++) {
        int kind = rng() % 5;
        size_t at = out.empty() ? 0 : rng() % (out.size() + 1);
        if (kind == 0) {
            int n = 1 + rng() % 5;
            for (int k = 0; k < n; k++) out.insert(out.begin() + at, randomLine(rng, vocabulary));
        } else if (kind == 1 && !out.empty()) {
            size_t n = std::min<size_t>(1 + rng() % 6, out.size() - std::min(at, out.size() - 1));
            at = std::min(at, out.size() - 1);
            out.erase(out.begin() + at, out.begin() + at + n);
        } else if (kind == 2 && out.size() > 4) {
            // move a block
            size_t from = rng() % (out.size() - 2);
            size_t n = 1 + rng() % std::min<size_t>(6, out.size() - from);
            Lines block(out.begin() + from, out.begin() + from + n);
            out.erase(out.begin() + from, out.begin() + from + n);
            size_t to = rng() % (out.size() + 1);
            out.insert(out.begin() + to, block.begin(), block.end());
        } else if (kind == 3 && !out.empty()) {
            out[rng() % out.size()] = randomLine(rng, vocabulary);
        } else if (kind == 4 && !out.empty()) {
            // duplicate a block elsewhere
            size_t from = rng() % out.size();
            size_t n = 1 + rng() % std::min<size_t>(4, out.size() - from);
            Lines block(out.begin() + from, out.begin() + from + n);
            out.insert(out.begin() + rng() % (out.size() + 1), block.begin(), block.end());
        }
    }
    return out;
}

TEST(DiffRandom, ScriptRebuildsNewTextAndResolvedPairingIsMonotone) {
    std::mt19937 rng(20261206);
    for (int round = 0; round < 3000; round++) {
        int vocabulary = 1 + rng() % 40; // small vocabularies give many duplicates
        Lines a;
        int n = (round % 10 == 0) ? 0 : rng() % 60;
        for (int i = 0; i < n; i++) a.push_back(randomLine(rng, vocabulary));
        Lines b = (round % 17 == 0) ? Lines{} : mutate(a, rng, vocabulary);
        if (round % 2) std::swap(a, b);
        for (int resolve = 0; resolve < 2; resolve++) {
            Outcome o = compare(a, b, resolve);
            ASSERT_NE(o.result, nullptr);
            ASSERT_EQ(o.count, (int)o.script.size());
            ASSERT_EQ(applyScript(a, o.script), b) << "round " << round;
            checkPairing(o.result, a, b, resolve == 1);
            if (::testing::Test::HasFatalFailure()) return;
            diff_free(o.result);
        }
    }
}

TEST(DiffScripts, IdenticalEmptyAndAppended) {
    Lines a = {"one\n", "two\n", "two\n", "three\n"};
    Outcome same = compare(a, a, 0);
    EXPECT_EQ(same.script, (DiffScript{"m1,4\n"}));
    diff_free(same.result);

    Outcome single = compare({"x\n"}, {"x\n"}, 0);
    EXPECT_EQ(single.script, (DiffScript{"m1\n"}));
    diff_free(single.result);

    Outcome fromEmpty = compare({}, {"p\n", "q\n"}, 0);
    EXPECT_EQ(fromEmpty.script, (DiffScript{"a2\n", "p\n", "q\n"}));
    diff_free(fromEmpty.result);

    Outcome toEmpty = compare(a, {}, 0);
    EXPECT_TRUE(toEmpty.script.empty());
    diff_free(toEmpty.result);
}

TEST(DiffScripts, TrailingDuplicatesPairFromTheEnd) {
    // No line is unique, yet the equal tails pair through the backward pass.
    Outcome o = compare({"a\n", "z\n", "z\n"}, {"b\n", "z\n", "z\n"}, 0);
    EXPECT_EQ(o.script, (DiffScript{"a1\n", "b\n", "m2,3\n"}));
    EXPECT_EQ(o.result->NA[2].other, 2);
    EXPECT_EQ(o.result->NA[3].other, 3);
    diff_free(o.result);
}

TEST(DiffScripts, LineEndingsMakeDifferentTexts) {
    Outcome o = compare({"a\n", "b\r\n"}, {"a\n", "b\n"}, 0);
    EXPECT_EQ(o.script, (DiffScript{"m1\n", "a1\n", "b\n"}));
    diff_free(o.result);
}

TEST(DiffMoves, ShorterCrossingBlockIsUnpaired) {
    Lines a = {"1\n", "2\n", "3\n", "4\n", "5\n", "6\n", "7\n"};
    Lines b = {"5\n", "6\n", "1\n", "2\n", "3\n", "4\n", "7\n"};
    Outcome raw = compare(a, b, 0);
    EXPECT_EQ(raw.script, (DiffScript{"m5,6\n", "m1,4\n", "m7\n"}));
    diff_free(raw.result);

    Outcome moved = compare(a, b, 1);
    // The two-line block 5,6 loses its pairing; the four-line block stays.
    EXPECT_FALSE(moved.result->NA[1].matched);
    EXPECT_FALSE(moved.result->NA[2].matched);
    EXPECT_FALSE(moved.result->OA[5].matched);
    EXPECT_EQ(moved.result->NA[3].other, 1);
    EXPECT_EQ(moved.script, (DiffScript{"a2\n", "5\n", "6\n", "m1,4\n", "m7\n"}));
    diff_free(moved.result);

    // Equal lengths: the block as found in the new file is unpaired.
    Outcome tie = compare({"a\n", "b\n", "c\n", "d\n"}, {"c\n", "d\n", "a\n", "b\n"}, 1);
    EXPECT_FALSE(tie.result->NA[1].matched);
    EXPECT_FALSE(tie.result->NA[2].matched);
    EXPECT_EQ(tie.result->NA[3].other, 1);
    diff_free(tie.result);
}

TEST(DiffInputs, FilesStreamsAndLongLines) {
    char dir[] = "/tmp/qe_difftestXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string oldPath = std::string(dir) + "/old", newPath = std::string(dir) + "/new";
    std::string longLine(5000, 'q');
    FILE* f = fopen(oldPath.c_str(), "w");
    fprintf(f, "head\n%s\ntail\nlast", longLine.c_str());
    fclose(f);
    f = fopen(newPath.c_str(), "w");
    fprintf(f, "head\n%s\nnew\ntail\n", longLine.c_str());
    fclose(f);

    int count = 0;
    DiffScript script;
    DiffResult* r = diff_qvc2(oldPath.c_str(), newPath.c_str(), &count, &script);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->oldmax, 4); // the last line has no newline but still counts
    EXPECT_EQ(r->newmax, 4);
    EXPECT_EQ(script, (DiffScript{"m1,2\n", "a1\n", "new\n", "m3\n"}));
    EXPECT_EQ(diff_symtext(r, r->OA[2].symbol).size(), longLine.size() + 1);
    diff_free(r);

    FILE* in = fopen(newPath.c_str(), "r");
    r = diff_qvc(oldPath.c_str(), 4, in, &count, &script);
    fclose(in);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(script, (DiffScript{"m1,2\n", "a1\n", "new\n", "m3\n"}));
    diff_free(r);

    // Lines around the first buffer size, where a line just fills the buffer.
    f = fopen(oldPath.c_str(), "w");
    for (int len = 508; len <= 514; len++) fprintf(f, "%s\n", std::string(len, 'b').c_str());
    fclose(f);
    r = diff_qvc2(oldPath.c_str(), oldPath.c_str(), &count, &script);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->oldmax, 7);
    for (int i = 1; i <= 7; i++) EXPECT_EQ(diff_symtext(r, r->OA[i].symbol).size(), size_t(508 + i));
    diff_free(r);

    std::string captured;
    static std::string* sink;
    sink = &captured;
    diff_message = [](const char* t) { *sink += t; };
    EXPECT_EQ(diff_text((std::string(dir) + "/missing").c_str(), newPath.c_str()), nullptr);
    EXPECT_EQ(diffFiles(7, nullptr, 0, DIFF_MEMORY, nullptr, 0, 0, nullptr, nullptr, 0),
              nullptr);
    // Too many lines for the largest table: refused before a line is read.
    std::vector<const char*> none;
    EXPECT_EQ(diff_mem(16777215, none.data(), 0, none.data(), &count, &script), nullptr);
    EXPECT_EQ(captured, "Error opening file - " + std::string(dir) +
                            "/missing\nError - unknown file type 7\nOut of memory in diff.\n");
    diff_message = [](const char* t) { fputs(t, stdout); };
    unlink(oldPath.c_str());
    unlink(newPath.c_str());
    rmdir(dir);
}

// Files are split into lines where they are mapped; the same texts given as strings must pair
// the same way (a NUL ends a line's text, a last line may lack its newline).
TEST(DiffInputs, MappedFilesPairLikeTheSameLinesInMemory) {
    char dir[] = "/tmp/qe_difftestXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string oldPath = std::string(dir) + "/old", newPath = std::string(dir) + "/new";
    std::mt19937 rng(7);
    auto write = [](const std::string& path, const std::string& bytes) {
        FILE* f = fopen(path.c_str(), "wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    };
    for (int round = 0; round < 300; round++) {
        int vocabulary = 1 + rng() % 30;
        Lines a;
        int n = round % 25 == 0 ? 0 : rng() % 50;
        for (int i = 0; i < n; i++) a.push_back(randomLine(rng, vocabulary));
        Lines b = mutate(a, rng, vocabulary);
        std::string bytesA, bytesB;
        for (auto& l : a) bytesA += l;
        for (auto& l : b) bytesB += l;
        if (round % 3 == 0 && !b.empty()) {
            // A NUL inside a line: the rest of that line is not part of its text.
            size_t at = bytesB.find('\n');
            bytesB.insert(at, std::string("\0junk", 5));
        }
        if (round % 4 == 0) bytesA += "no newline";
        write(oldPath, bytesA);
        write(newPath, bytesB);
        auto split = [](const std::string& bytes) {
            Lines out;
            for (size_t at = 0; at < bytes.size();) {
                size_t lf = bytes.find('\n', at);
                size_t end = lf == std::string::npos ? bytes.size() : lf + 1;
                std::string line = bytes.substr(at, end - at);
                out.push_back(line.substr(0, line.find('\0')));
                at = end;
            }
            return out;
        };
        Lines ma = split(bytesA), mb = split(bytesB);
        Outcome mem = compare(ma, mb, 0);
        int count = 0;
        DiffScript script;
        DiffResult* r = diff_qvc2(oldPath.c_str(), newPath.c_str(), &count, &script);
        ASSERT_NE(r, nullptr);
        ASSERT_EQ(script, mem.script) << "round " << round;
        diff_free(r);
        diff_free(mem.result);
        Outcome moved = compare(ma, mb, 1);
        r = diff_text(oldPath.c_str(), newPath.c_str());
        ASSERT_NE(r, nullptr);
        ASSERT_EQ(r->oldmax, moved.result->oldmax);
        ASSERT_EQ(r->newmax, moved.result->newmax);
        for (int i = 1; i <= r->oldmax; i++) {
            ASSERT_EQ(r->OA[i].matched, moved.result->OA[i].matched) << "round " << round;
            if (r->OA[i].matched) {
                ASSERT_EQ(r->OA[i].other, moved.result->OA[i].other);
            }
            ASSERT_EQ(diff_symtext(r, r->OA[i].symbol), ma[i - 1]);
        }
        diff_free(r);
        diff_free(moved.result);
    }
    unlink(oldPath.c_str());
    unlink(newPath.c_str());
    rmdir(dir);
}

// Enough distinct texts to make the symbol table grow several times while lines are entered:
// a shuffled file pairs every line with its own text.
TEST(DiffTable, GrowsWithoutLosingTexts) {
    Lines a;
    for (int i = 0; i < 60000; i++) a.push_back("line " + std::to_string(i * 7919 % 100003) + "\n");
    Lines b = a;
    std::shuffle(b.begin(), b.end(), std::mt19937(3));
    b.push_back("extra\n");
    Outcome o = compare(a, b, 0);
    ASSERT_NE(o.result, nullptr);
    EXPECT_EQ(o.result->maxsym, 60001);
    for (int i = 1; i <= o.result->oldmax; i++) {
        ASSERT_TRUE(o.result->OA[i].matched) << i;
        ASSERT_EQ(b[o.result->OA[i].other - 1], a[i - 1]);
    }
    EXPECT_FALSE(o.result->NA[60001].matched);
    EXPECT_EQ(applyScript(a, o.script), b);
    diff_free(o.result);
}

TEST(DiffTable, SizeLadder) {
    EXPECT_EQ(diff_tablesize(0), 1039);
    EXPECT_EQ(diff_tablesize(1038), 1039);
    EXPECT_EQ(diff_tablesize(1039), 3301);
    EXPECT_EQ(diff_tablesize(65534), 65535);
    EXPECT_EQ(diff_tablesize(65535), 131071);
    EXPECT_EQ(diff_tablesize(16777214), 16777215);
    EXPECT_EQ(diff_tablesize(16777215), 0);
    int size = 0;
    // t = 97, h = 97 << 7; t = h + 10, h = t << 7 (t >> 23 is still 0)
    EXPECT_EQ(diff_hash("a\n", &size), ((97u << 7) + 10u) << 7);
    EXPECT_EQ(size, 3);
    // High bits fold back in through the right shift and are masked to 30 bits.
    EXPECT_LT(diff_hash(std::string(300, '\xff').c_str(), nullptr), 1u << 30);
}

} // namespace
