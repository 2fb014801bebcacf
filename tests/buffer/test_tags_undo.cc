// tests/buffer/test_tags_undo.cc: tag line numbers followed through the edits made since the
// tag file was written.
#include <gtest/gtest.h>

#include <string>

#include "buffer/change.h"
#include "buffer/registry.h"
#include "buffer/tags.h"
#include "test_search_util.h"

namespace {

TEST(TagsUndo, LineNumbersFollowEditsSinceTheTags) {
    SearchTestDir dir;
    std::string text;
    for (int i = 1; i <= 60; i++) text += "line " + std::to_string(i) + "\n";
    dir.write("f.c", text);
    TagReset();
    ASSERT_EQ(TagAppendDictionary(dir.write("tags", "target\tf.c\t42\npat\tf.c\t/^line 50$/\n").c_str()), 1);
    int64_t line = 0;
    File* f = TagFind("target", line, 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(line, 42);
    // two lines inserted above, one removed below: the tag leads to line 44
    FileChange(f, nullptr, 0, 3, 0, 3, 0, "new\nnew\n", 8, 0);
    FileChange(f, nullptr, 0, 50, 0, 51, 0, "", 0, 0);
    EXPECT_EQ(TagFind("target", line, 0), f);
    EXPECT_EQ(FileLinenoFTagLineno(f, line), 44);
    EXPECT_EQ(LineString(f, FileLine(f, 44)), "line 42");
    TagFind("pat", line, 0); // a pattern is searched in the File as it is now
    EXPECT_EQ(line, -51);
    // regenerated tags describe the File as it is now
    dir.write("tags", "target\tf.c\t44\n");
    TagReinit();
    FileChange(f, nullptr, 0, 1, 0, 1, 0, "top\n", 4, 0);
    TagFind("target", line, 0);
    EXPECT_EQ(FileLinenoFTagLineno(f, line), 45);
    EXPECT_EQ(LineString(f, FileLine(f, 45)), "line 42");
    TagReset();
    while (File* g = FileHead()) FileFree(g);
}

} // namespace
