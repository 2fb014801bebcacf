// tests/buffer/journal_child.cc: an editor process for the crash tests, linked with the line
// store alone.
//   edit FILE SEED          edit at random for ever, writing the journal between batches; the
//                           text of the last journal write is kept in FILE.cur (FILE.next
//                           while a write is under way)
//   hold FILE               take the lock, make one change, keep the journal fresh for ever;
//                           an interrupt ends it the way it ends the editor
//   open FILE OUT [ANSWER]  open FILE (answering the recovery question with ANSWER) and write
//                           its text to OUT, followed by a line "viewonly=V haslock=H
//                           modified=M"; "<null>" when the File was not opened
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <unistd.h>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/registry.h"
#include "buffer/undo.h"
#include "config/switches.h"
#include "editor/startup.h"
#include "runtime/gen.h"
#include "toolkit/toolkit.h"

static std::string textOf(File* f) {
    std::string s;
    for (Line* l = f->first; l; l = l->next) {
        s.append(FileLineText(f, l), (size_t)l->len);
        s += '\n';
    }
    return s;
}

static void writeAtomically(const std::string& path, const std::string& bytes) {
    std::string tmp = path + ".tmp";
    FILE* out = fopen(tmp.c_str(), "wb");
    if (!out) exit(4);
    fwrite(bytes.data(), 1, bytes.size(), out);
    if (fclose(out) != 0 || rename(tmp.c_str(), path.c_str()) != 0) exit(4);
}

static int edit(const char* name, unsigned seed) {
    File* f = FileFFile(name);
    if (!f || incr_AcquireLock(f) != 1) return 2;
    std::string cur = std::string(name) + ".cur", next = std::string(name) + ".next";
    const std::string disk = textOf(f);
    writeAtomically(cur, disk);
    std::mt19937 rng(seed);
    for (;;) {
        for (int k = (int)(rng() % 8) + 1; k > 0; k--) {
            int64_t n = f->nLines;
            int64_t lS = 1 + (int64_t)(rng() % (unsigned)(n + 1));
            int cS = (int)(rng() % 10);
            int64_t lE = lS + (rng() % 5 == 0 ? (int64_t)(rng() % 4) : 0);
            int cE = (int)(rng() % 10);
            static const char* texts[] = {"", "x", "typed", "two\nlines", "\n", "end\n"};
            const char* t = texts[rng() % 6];
            if (rng() % 6 == 0) {
                // An undo back to the text on disk drops the journal: from then on the disk
                // text is what a recovery must find. It is announced as the write under way
                // before the undo and becomes the last write after it, so that a kill at any
                // point in between finds it on record.
                UndoRec* after = f->undo ? f->undo->next : nullptr;
                bool toDisk = f->haslock && f->undo &&
                              (after ? (after->flags & UNDO_SAVED) != 0 : f->undoBottomOnDisk);
                if (toDisk) writeAtomically(next, disk);
                bool locked = f->haslock;
                FileUndo(f, nullptr, 0);
                if (toDisk != (locked && !f->haslock)) return 5; // the journal went otherwise
                if (toDisk) rename(next.c_str(), cur.c_str());
            } else
                FileChange(f, nullptr, 0, lS, cS, lE, cE, t, (int64_t)strlen(t), 1);
        }
        if (!f->haslock && incr_AcquireLock(f) != 1) return 3; // undone back to the disk
        std::string text = textOf(f);
        writeAtomically(next, text);
        FilesWriteJournals();
        rename(next.c_str(), cur.c_str());
    }
}

static int hold(const char* name) {
    File* f = FileFFile(name);
    if (!f || incr_AcquireLock(f) != 1) return 2;
    FileChange(f, nullptr, 0, 1, 0, 1, 0, "held ", 5, 1);
    FilesWriteJournals();
    gen_signalquit = abortme;
    printf("locked\n");
    fflush(stdout);
    for (;;) {
        usleep(100000);
        gen_checksignal(); // the safe point an interrupt waits for, as in the main loop
        FilesWriteJournals();
    }
}

static int openFile(const char* name, const char* out, const char* answer) {
    if (answer) WQueueAnswer(answer);
    File* f = FileFFile(name);
    std::string result = "<null>";
    if (f) {
        char flags[80];
        snprintf(flags, sizeof flags, "viewonly=%d haslock=%d modified=%d\n", f->viewOnly,
                 f->haslock, f->modified);
        result = textOf(f) + flags;
    }
    writeAtomically(out, result);
    return 0;
}

int main(int argc, char** argv) {
    gen_init(argv[0], 0);
    InitDebugFlag();
    wRequestedBackend = WB_HEADLESS;
    int n = 0;
    WGUIInit(&n, nullptr);
    if (argc >= 4 && strcmp(argv[1], "edit") == 0) return edit(argv[2], (unsigned)atoi(argv[3]));
    if (argc >= 3 && strcmp(argv[1], "hold") == 0) return hold(argv[2]);
    if (argc >= 4 && strcmp(argv[1], "open") == 0) {
        int r = openFile(argv[2], argv[3], argc >= 5 ? argv[4] : nullptr);
        FilesAbort(); // leave no temp files; the journal goes only with our own lock
        return r;
    }
    fprintf(stderr, "usage: journal_child edit FILE SEED | hold FILE | open FILE OUT [ANSWER]\n");
    return 1;
}
