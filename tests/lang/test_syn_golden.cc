// tests/lang/test_syn_golden.cc: sample files per language against hand-written colour classes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "buffer/file.h"
#include "config/options.h"
#include "lang_test_util.h"

static std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    std::string l;
    while (std::getline(in, l)) lines.push_back(l);
    return lines;
}

class Golden : public testing::TestWithParam<const char*> {};

TEST_P(Golden, EveryByteHasItsClass) {
    LangTestInit();
    cppCommentsInC = 0;
    GASM_AdjustSeparators(";!");
    std::string path = std::string(QE_LANG_DATA) + "/" + GetParam();
    std::vector<std::string> expected = readLines(path + ".golden");
    File* file = FileFFileNoApplyEdits(path.c_str());
    ASSERT_NE(file, nullptr);
    ASSERT_NE(file->language, nullptr);
    ASSERT_EQ(file->nLines, (int64_t)expected.size());
    // Loading leaves the states to the first drawing; bring them all up to date.
    ASSERT_EQ(file->synValidLines, 0);
    synxRecalculate(file, 1, file->nLines);
    ASSERT_EQ(file->synValidLines, file->nLines);
    int64_t n = 1;
    for (Line* line = file->first; line; line = line->next, n++) {
        std::string text = LineText(file, line);
        EXPECT_EQ(ClassesOf(text, line->synState[0], file->language), expected[n - 1])
            << GetParam() << ":" << n << ": " << text;
    }
    FileFree(file);
    GASM_AdjustSeparators("");
}

INSTANTIATE_TEST_SUITE_P(Languages, Golden,
                         testing::Values("sample.c", "sample.cpp", "sample.pas", "sample.adb",
                                         "sample.f", "sample.java", "sample.s", "sample.tql"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string s = info.param;
                             return s.substr(s.find('.') + 1);
                         });
