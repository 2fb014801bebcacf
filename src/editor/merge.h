// editor/merge.h: compare windows and the two- and three-way merge: the files side by side in
// one window, stepping through their differences, and the merge controller that builds a
// result buffer from the blocks the user (or the automatic rules) chooses.
#pragma once

#include <cstdint>
#include <string>

#include "diff/merge.h"

struct Edit;
struct File;
struct WDialog;
struct WWindow;
struct CompareWindow;

enum MergeMode { MERGE_MERGE = 0, MERGE_COMPARE = 1, MERGE_LASTEDIT = 2 };

// What to compare or merge. An empty file 2 is file 1 itself; a directory, that directory
// plus file 1's base name. A base makes the merge three-way.
struct MergeRequest {
    std::string file1, version1, file2, version2, base;
    std::string output;    // where the result is written at the end ("": offered for saving)
    File* inPlace = nullptr; // the File the result replaces (changed on disk, conflict markers)
    std::string title1, title2, titleBase; // set instead of the titles made from the names
    bool file1FromDisk = false; // file 1 as on disk even when its buffer has unsaved edits
};

// One file taking part: the walking cursor and where the file is shown.
struct MergeSide {
    DiffCursor cur;
    File* file = nullptr;
    Edit* editor = nullptr;
    std::string title;
};

// The state of one compare or merge (DiffStuff), alive until its window closes.
struct DiffStuff {
    DiffResult* r1 = nullptr; // file 1 against file 2; three-way: the base against file 1
    DiffResult* r2 = nullptr; // three-way: the base against file 2
    MergeSide s1, s2, base;
    File* result = nullptr;
    Edit* resultEdit = nullptr;
    CompareWindow* window = nullptr;
    WDialog* controller = nullptr;
    int mode = MERGE_COMPARE;
    bool threeWay = false;
    bool autoMerge = false;
    bool aborted = false;
    bool finished = false;   // every difference handled
    bool marksReady = false; // change-mark texts set up
    ChangeMarks marks;
    std::string output;
    File* inPlace = nullptr;
    std::string name1;       // what the result is named after
    int diffIndex = 0;       // which difference is selected (1 the first), for the message line
    // While the automatic rules run, what goes to the result is gathered here and added in
    // one change, not one change (and one redraw) per block.
    bool gathering = false;
    std::string gathered;
};

// Opens the files and the windows and starts the mode; null when nothing was opened (said why).
DiffStuff* MergeFiles(const MergeRequest& request, int autoMerge, int mode, int targetLine);
// Compare navigation: 1 next, 2 previous, anything else re-selects the current difference.
void DoDiffFiles2(DiffStuff* ds, int direction);
// Goes to the difference nearest line targetLine of file 2 (the one holding it, else the
// nearer of those around it).
void DiffFindRange2(DiffStuff* ds, int targetLine);
// Turns a compare into a two-way merge of the same files.
void DiffStartMerge(DiffStuff* ds);
// Releases everything the compare or merge holds (its windows included).
void DiffStuffDestroy(DiffStuff* ds);
// The compare or merge an editor of a compare window belongs to (null: none).
DiffStuff* DiffStuffOf(Edit* edit);

// The merge controller's buttons by name (EditMergeControlBtnClick); 0 for an unknown name.
int EditMergeControlBtnClick(DiffStuff* ds, const char* name);

// A temporary file holding text, named with the suffix of `like` so that it is coloured the
// same; "" when it cannot be written (0600, in the temp directory).
std::string MergeTempText(const std::string& like, const char* text, int64_t n);

// Splits a file with conflict markers into the three texts and merges them, the result
// replacing the File. 0 when the file has no markers (said so).
int MergeConflictMarkers(File* file);

// The compare window: a top-level window with the texts side by side (compare/window.cc).
// Where pane i of n goes in a compare window's text area of width by height pixels: its
// title row of `header` pixels, then its text.
struct PaneBox {
    int x, y, width, height;
};
PaneBox CompareGrid(size_t i, size_t n, int width, int height, int header);
CompareWindow* CompareWindowCreate(DiffStuff* ds, const std::string& title);
void CompareWindowDestroy(CompareWindow* w);
void CompareWindowMessage(CompareWindow* w, const std::string& text);
// Three texts: the screen rectangle of the cell beside the base, where the result window goes.
bool CompareWindowFreeCell(CompareWindow* w, int* x, int* y, int* width, int* height);
void CompareWindowRefresh(CompareWindow* w); // marks and buttons after a step
Edit* CompareWindowEdit(void* contextData);  // its first editor (batch, window lists)
WWindow* CompareWindowTop(void* contextData);  // its top-level window

// The command line's -diff and -merge.
void EditDiffFilesFromCommandLine(const char* f1, const char* v1, const char* f2,
                                  const char* v2);
void DoDiffFiles(const char* file1, const char* version1, const char* file2);
