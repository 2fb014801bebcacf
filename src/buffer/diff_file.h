// buffer/diff_file.h: comparing two editor buffers with the line difference engine.
#pragma once

#include "diff/diff.h"

struct File;

// The comparison of two Files, line by line with moved blocks resolved; the caller frees
// the result with diff_free. Null when the engine failed (it has said why).
DiffResult* diff_merge(File* oldFile, File* newFile);
