// tests/editor/editor_fixture.h: what the editor tests share: a temporary directory for files
// and temp files, the headless backend with 80x32 windows and tab stops every 8, and a
// teardown that closes every editor window without questions and frees every File.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "buffer/file.h"
#include "buffer/registry.h"
#include "config/options.h"
#include "config/switches.h"
#include "editor/edit.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

struct EditorFixture : ::testing::Test {
    std::string dir;
    void SetUp() override {
        char tmpl[] = "/tmp/qe-editor-XXXXXX";
        dir = mkdtemp(tmpl);
        tempFileDir = dir + "/tmp";
        mkdir(tempFileDir.c_str(), 0700);
        InitDebugFlag();
        if (!wBackend) {
            wRequestedBackend = WB_HEADLESS;
            ASSERT_EQ(WGUIInit(nullptr, nullptr), 1);
        }
        editheight = 32;
        editwidth = 80;
        tabsize = 8;
        // The interfaces the editor installs at start-up.
        EditInstallFileLinks();
        EditInitColouring();
    }
    void TearDown() override {
        while (ContextWindow* cw = NextEditContext()) {
            auto* e = static_cast<Edit*>(cw->data);
            e->destroying = true; // no questions while tearing down
            EditDestroy(e);
        }
        while (File* f = FileHead()) FileFree(f);
        std::string cmd = "rm -rf '" + dir + "'";
        if (system(cmd.c_str()) != 0) ADD_FAILURE() << "cleanup failed";
    }
    std::string write(const std::string& name, const std::string& bytes) {
        std::string p = dir + "/" + name;
        FILE* f = fopen(p.c_str(), "wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
        return p;
    }
};
