// buffer/search_pat.h: a search pattern compiled once per search, and matching it in a line.
// Internal to the search engine (search*.cc) and its tests.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct File;
struct Line;

enum PatMode { PM_PLAIN, PM_WILD, PM_REGEX };

// Regular expressions compile to groups of alternatives of node sequences; groups[0] is the
// whole expression.
enum RxKind : uint8_t { RX_CHAR, RX_ANY, RX_SET, RX_GROUP, RX_EOL };
struct RxNode {
    RxKind kind;
    bool star;
    unsigned char ch; // RX_CHAR: the byte, folded when case-blind
    int index;        // RX_SET: into sets; RX_GROUP: into groups
};
struct RxAlt {
    std::vector<RxNode> nodes;
    int base = 0;                // Seq(this, i) is matcher state base + i (memo keys)
    std::bitset<256> first;      // bytes a match of this alternative can start with...
    bool anyFirst = true;        // ...or any byte, the line end, or nothing at all
};
// The alternatives of a large group filed under their leading literal bytes (folded when
// case-blind), so that a start column tries only those whose literal bytes are there.
struct RxAltIndex {
    struct Node {
        std::vector<int> alts; // alternatives whose literal bytes end here
    };
    std::vector<Node> nodes;                     // nodes[0] is the root: no literal bytes
    std::unordered_map<uint32_t, int> children;  // node << 8 | byte -> node
};
struct RxGroup {
    std::vector<RxAlt> alts;
    std::unique_ptr<RxAltIndex> index; // for groups of many alternatives
};
using ByteSet = std::array<bool, 256>;

struct SearchPat {
    PatMode mode = PM_PLAIN;
    int flags = 0;          // the caller's bits plus the anchors taken out of an expression
    bool fold = false;      // case-blind
    std::string text;       // plain or wildcard pattern
    int patLen = 0;         // length as given: the backward search starts that far back
    bool hasLF = false;     // a match may cross line ends
    std::vector<std::string> parts; // plain pattern with LF: the pieces between line ends
    std::vector<RxGroup> groups;
    std::vector<ByteSet> sets;
    ByteSet firstBytes{};   // bytes a regular-expression match can start with
    bool anyFirst = true;   // ...or any byte at all
    std::string lit;        // bytes every match holds in a row on its first line (may be empty)
    std::vector<std::string> wildSegs; // a wildcard pattern split at its '*'s
    bool wildTrailingStar = false;     // ...which ends in one: the match runs to the line end
    int rxStates = 0;       // matcher states (alternative, node) of an expression
    std::string error;      // why the expression is malformed
};

// Work done on behalf of one search, so that a long search can be aborted even inside a huge
// line. Null where nobody asks.
struct SearchRun {
    File* file = nullptr;
    int64_t scanned = 0;    // bytes (or matcher steps) since the last abort check
    int64_t checkEvery = 32768;
    bool aborted = false;
    // Adds work; asks the long-work scope once more than checkEvery has piled up (Escape
    // stops the search). False once aborted.
    bool Work(int64_t amount);
};

// Classifies and compiles; false with `error` set for a malformed expression.
bool SearchPatCompile(SearchPat& pat, const char* pattern, int patLen, int flags);

// The first (forward) or last (backward) match in the line whose text is (text, len), starting
// at or after / at or before col. Returns the start column, -1 none, -3 aborted.
int PatMatchF(const SearchPat& pat, SearchRun* run, File* file, Line* line, const char* text,
              int len, int col, int& lineEnds, int& end);
int PatMatchB(const SearchPat& pat, SearchRun* run, File* file, Line* line, const char* text,
              int len, int col, int& lineEnds, int& end);

// The first occurrence of pat.lit that starts in [from, to - lit.size()], or null; and the last.
const char* PatLitFind(const SearchPat& pat, const char* from, const char* to);
const char* PatLitRFind(const SearchPat& pat, const char* from, const char* to);

// A letter, digit or '_'.
bool SearchIsWordByte(unsigned char c);

// The regular-expression limits: resume points kept by one attempt, and the work one attempt
// may do before it is given up (several stars can otherwise multiply their resume points).
constexpr int rxMaxResumePoints = 200;
constexpr long rxMaxSteps = 1L << 18;

// Where a search found its match.
struct FindResult {
    Line* line = nullptr;
    int64_t no = 0;
    int col = 0;
    int lineEnds = 0;
    int end = 0;
};
// Searches forward from (l, no, col): 1 found, 0 not found, -1 aborted.
int SearchForw(File* file, const SearchPat& pat, SearchRun& run, Line* l, int64_t no, int col,
               FindResult& r);
// Compiles for one search; a malformed expression is reported here, once.
bool SearchCompileReport(SearchPat& pat, const char* pattern, int patLen, int flags);
