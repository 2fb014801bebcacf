// editor/startup.cc: start-up: switches and the switch file, the display, configuration,
// the command-line walk, and the hand-over to the main loop or to batch mode.
#include "editor/startup.h"
#include "editor/merge.h"
#include "editor/editdialogs.h"

#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/registry.h"
#include "buffer/tags.h"
#include "config/bindings.h"
#include "config/cfg.h"
#include "config/options.h"
#include "config/switches.h"
#include "editor/batch.h"
#include "editor/edit.h"
#include "editor/edithelp.h"
#include "help/help.h"
#include "lang/syn.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "runtime/seam.h"
#include "toolkit/toolkit.h"
#include "vcfront/vc.h"

int display_splash_on_startup = 1;
int process_default_config_file = 1;
int console_mode = 0;
int ISDN_mode = 0;
int editorStandAlone = 0;
BatchRequest batchRequest;

void dprintf(const char* format, ...) {
    if (!console_mode) return;
    va_list ap;
    va_start(ap, format);
    vfprintf(stderr, format, ap);
    va_end(ap);
}

void enable_ISDN_mode(int level) {
    ISDN_mode = level;
    if (level >= 1) {
        debugFlag[XSW_COLORICONS] = 0;
        debugFlag[XSW_DISPLAY1] = 0;
    }
    if (level >= 2) debugFlag[XSW_DISPLAY2] = 0;
    if (level >= 8) debugFlag[XSW_PICTUREBUTTONS] = 0;
    // Level 9 also turns syntax colouring off, once the configuration has been read (which
    // would otherwise turn it on again): see qe_main.
}

static void readSwitchFile() {
    GenStr base(gen_copy(gen_getprogname() ? gen_getprogname() : "qe"));
    GenStr name(gen_changesuffix(base.get(), "xsw"));
    GenStr path(gen_sconcat(gen_getprogdir(), name.get()));
    FILE* f = gen_fopenregular(path.get());
    if (!f) return;
    char line[1024];
    while (fgets(line, sizeof line, f)) {
        char* p = line;
        while (gen_isspace((unsigned char)*p)) p++;
        if (!*p || *p == '#') continue;
        char* rest = nullptr;
        char* word = gen_strtok_r(p, " \t\r\n", &rest);
        char* value = gen_strtok_r(nullptr, " \t\r\n", &rest);
        if (!word) continue;
        int index = GetXSwitchIndex(word);
        if (index < 0) {
            gen_warning("Ignoring unknown option \"%s\" in \"%s\"", word, path.get());
            continue;
        }
        if (value) debugFlag[index] = (unsigned char)atoi(value);
    }
    fclose(f);
}

static bool hasBatchSwitch(int argc, char** argv) {
    for (int i = 1; i < argc; i++)
        if (argv[i] && strcmp(argv[i], "-batch") == 0) return true;
    return false;
}

void init_prior_to_gui(int* argc, char** argv) {
    display_splash_on_startup = getenv("NOSPLASH") ? 0 : 1;
    InitDebugFlag();
    readSwitchFile();
    bool batch = hasBatchSwitch(*argc, argv);
    int out = 1;
    for (int i = 1; i < *argc; i++) {
        char* w = argv[i];
        bool isX = strcmp(w, "-X") == 0, isZ = strcmp(w, "-Z") == 0;
        // "-Xname" and "-Zname" in one word are the same as "-X name" and "-Z name".
        bool joined = (strncmp(w, "-X", 2) == 0 || strncmp(w, "-Z", 2) == 0) && w[2];
        if (joined) {
            int index = GetXSwitchIndex(w + 2);
            if (index < 0)
                gen_warning("Ignoring unknown switch \"-X%s\"", w + 2);
            else
                debugFlag[index] = w[1] == 'X' ? 1 : 0;
            continue;
        }
        if ((isX && i + 1 < *argc) || isZ) {
            const char* name = i + 1 < *argc ? argv[++i] : "";
            int index = GetXSwitchIndex(name);
            if (index < 0)
                gen_warning("Ignoring unknown switch \"-X%s\"", name);
            else
                debugFlag[index] = isX ? 1 : 0;
            continue;
        }
        if (strcmp(w, "-console") == 0) {
            console_mode = 1;
            gen_warning("No console mode available on UNIX yet\n");
            continue;
        }
        if (strncmp(w, "-isdn", 5) == 0) {
            int level = (w[5] >= '0' && w[5] <= '9') ? w[5] - '0' : 1;
            enable_ISDN_mode(level);
            continue;
        }
        if (strcmp(w, "-noicons") == 0) {
            enable_ISDN_mode(9);
            continue;
        }
        if (strcmp(w, "-splash") == 0 || strcmp(w, "-nosplash") == 0) {
            display_splash_on_startup = w[1] == 's';
            continue;
        }
        if (strcmp(w, "-nocfg") == 0) {
            process_default_config_file = 0;
            continue;
        }
        if (batch && strcmp(w, "-batch") == 0) {
            batchRequest.on = true;
            continue;
        }
        if (batch && (strcmp(w, "-do") == 0 || strcmp(w, "-answer") == 0) && i + 1 < *argc) {
            if (w[1] == 'd')
                batchRequest.commands.push_back(argv[++i]);
            else
                WQueueAnswer(argv[++i]);
            continue;
        }
        argv[out++] = w;
    }
    for (int i = out; i < *argc; i++) argv[i] = nullptr;
    *argc = out;
    FilesStartJournalTimer();
    vc_InstallLinks();
    vc_Init();
}

void cleanup_after_gui() {
    FilesAbort();
    syn_Cleanup();
    vc_Cleanup();
    clearMice();
    clearKeys();
}

void abortme(int sig) {
    // Run once, from a safe point: a second signal or a display lost while the journals are
    // written must not start it again.
    static bool ending = false;
    if (ending) return;
    ending = true;
    FilesKeepJournals();
    FilesAbort();
    if (sig == SIGINT) gen_callexit(1);
}

void EditDisplayLost() {
    gen_error("Lost the connection to the display");
    abortme(0);
    gen_callexit(1);
}

// ---- the command-line walk ----

namespace {

struct Walk {
    int argc;
    char** argv;
    int i = 1;
    unsigned long pending = 0;
    bool opened = false;
    bool reuse = false;
    Edit* reuseWindow = nullptr;
    bool help = false;

    unsigned long parseLine(const char* word) {
        char* end = nullptr;
        unsigned long n = strtoul(word + 1, &end, 0);
        if (end && *end) mprintf("Bad line number %s\n", word);
        return n;
    }

    void openFile(const char* name) {
        opened = true;
        if (!pending && i + 1 < argc && argv[i + 1][0] == '+') pending = parseLine(argv[++i]);
        int64_t line = (int64_t)pending;
        pending = 0;
        if (!reuse) {
            NewEdit(name, line, 1, 0);
        } else if (!reuseWindow) {
            reuseWindow = NewEdit2(name, line);
        } else {
            File* file = FileFName(name);
            if (file) EditPushEntry(reuseWindow, file, line);
        }
    }

    void tag() {
        if (i + 1 >= argc) return;
        const char* name = argv[++i];
        opened = true;
        int64_t line = 0;
        if (File* file = TagFind(name, line, 0)) {
            NewEditTag(file->name, line < 0 ? -line : line, 1, 0);
        } else {
            mprintf("Unknown tag \"%s\"\n", name);
        }
        if (pending) mprintf("Line number specified for tag\n");
        pending = 0;
    }

    static bool readable(const char* path) { return access(path, R_OK) == 0; }

    // -diff FILE1 [-vVERSION1] [FILE2 [VERSION2]]
    void diff() {
        opened = true;
        const char* file1 = i + 1 < argc ? argv[++i] : nullptr;
        if (!file1) return;
        const char* file2 = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!file2) {
            if (gen_isdir(file1))
                gen_warning("File given to diff is a directory: %s", file1);
            else if (!readable(file1))
                gen_warning("Cannot open file for reading: %s", file1);
            else
                diffFiles(file1, nullptr, nullptr, nullptr, true);
            return;
        }
        const char* version1 = nullptr;
        const char* version2 = nullptr;
        i++;
        if (strncmp(file2, "-v", 2) == 0) {
            version1 = file2[2] ? file2 + 2 : (i + 1 < argc ? argv[++i] : "");
            file2 = i + 1 < argc ? argv[++i] : nullptr;
        }
        if (file2) {
            if (i + 1 < argc) {
                const char* v = argv[++i];
                if (strncmp(v, "-v", 2) == 0) v = v[2] ? v + 2 : (i + 1 < argc ? argv[++i] : "");
                version2 = v;
            }
        } else {
            file2 = file1;
        }
        GenStr inDir;
        if (gen_isdir(file1)) {
            gen_warning("File given to diff is a directory: %s", file1);
            return;
        }
        if (!version1 && !readable(file1)) {
            gen_warning("Cannot open file for reading: %s", file1);
            return;
        }
        if (gen_isdir(file2)) {
            inDir.reset(gen_sconcat(file2, file1));
            if (gen_isdir(inDir.get()) || !readable(inDir.get())) {
                gen_warning("File given to diff is a directory: %s", file2);
                return;
            }
            file2 = inDir.get();
        }
        if (!version2 && !readable(file2)) {
            gen_warning("Cannot open file for reading: %s", file2);
            return;
        }
        diffFiles(file1, version1, file2, version2, false);
    }

    void diffFiles(const char* f1, const char* v1, const char* f2, const char* v2, bool dialog) {
        if (dialog)
            DoDiffFiles(f1, nullptr, nullptr);
        else
            EditDiffFilesFromCommandLine(f1, v1, f2, v2);
    }

    // -merge FILE1 FILE2 [BASE [OUTPUT]]: the files merged, the result written to OUTPUT when
    // the merge is done (the form version-control tools call); -merge FILE alone merges the
    // conflict markers of FILE in its own window.
    void merge() {
        opened = true;
        std::vector<std::string> w;
        while (i + 1 < argc && argv[i + 1][0] != '-' && w.size() < 4) w.push_back(argv[++i]);
        if (w.empty()) {
            mprintf("-merge needs a file\n");
            return;
        }
        if (w.size() == 1) {
            if (Edit* e = NewEdit(w[0].c_str(), 0, 1, 0)) MergeConflictMarkers(e->view.file);
            return;
        }
        MergeRequest rq;
        rq.file1 = w[0];
        rq.file2 = w[1];
        if (w.size() >= 3) rq.base = w[2];
        if (w.size() >= 4) rq.output = w[3];
        MergeFiles(rq, 1, MERGE_MERGE, 0);
    }

    void run() {
        for (; i < argc; i++) {
            const char* w = argv[i];
            if (w[0] != '-') {
                if (w[0] == '+') {
                    if (pending) mprintf("Line number specified twice\n");
                    pending = parseLine(w);
                } else if (!*w) {
                    continue;
                } else if (gen_isdir(w)) {
                    opened = true;
                    if (_EditLoadFile(nullptr, 0, w, 0) != 1) gen_callexit(1);
                } else {
                    openFile(w);
                }
            } else if (strcmp(w, "-diff") == 0) {
                diff();
            } else if (strcmp(w, "-merge") == 0) {
                merge();
            } else if (strcmp(w, "-tag") == 0) {
                tag();
            } else if (strcmp(w, "-help") == 0) {
                help = true;
            } else if (strcmp(w, "-reuse") == 0) {
                reuse = true;
            } else if (strncmp(w, "-X", 2) == 0 || strncmp(w, "-Z", 2) == 0) {
                continue;
            } else {
                mprintf("Unknown argument %s\n", w);
            }
        }
    }
};

} // namespace

const char* const builtinHelp =
    "QUORL Edit - A Programmer's Editor\n"
    "usage: qe [switches] [+LINE] FILE... | DIRECTORY | -tag NAME | -diff FILE1 [-vVERSION1] "
    "[FILE2 [VERSION2]]\n"
    "switches: -reuse -help -nocfg -splash -nosplash -isdnN -noicons -console -X NAME -Z NAME\n"
    "X options: -display NAME -geometry COLSxROWS[+X+Y] -fn FONT -xrm RESOURCE\n"
    "batch mode: -batch [-do COMMANDS]... [-answer TEXT]...\n"
    "--help prints this, --version the release\n";

int WalkCommandLine(int argc, char** argv) {
    Walk walk{argc, argv};
    walk.run();
    if (walk.help) {
        walk.opened = true;
        // The guide's "editor" entry; without help files, the built-in summary.
        if (!vtInsert("editor", "EditFileHelp")) WAlert(builtinHelp);
    }
    return walk.opened ? 1 : 0;
}

void qe_main(int argc, char** argv) {
    gen_init(argv[0], 0);
    gen_getprogdir();
    EditInstallFileLinks();
    init_prior_to_gui(&argc, argv);
    editorStandAlone = 1;
    if (batchRequest.on) wRequestedBackend = WB_HEADLESS;
    atexit(FilesAtExit);
    atexit(cleanupHelp); // the copies of help files fetched from other machines
    gen_signalquit = abortme;
    int opened = 0;
    try {
        ErrorCheck first;
        EditInstallCfgDisplay();
        if (WGUIInit(&argc, argv) != 1) gen_callexit(1);
        if (!XWindowsOn) gen_errorexit(1, "Failed to attach to windowing system\n");
        EditInitColouring();
        cfg_StartupConfiguration(process_default_config_file);
        if (ISDN_mode >= 9) colorsyntax = 0;
        EditInstallOptionWatch();
        EditApplyToolkitSettings();
        seam_CheckInstalled(); // every crossing the program needs is installed by now
        WRefigureFont();
        WRefigureColors();
        syn_RefigureColors();
        abSetup("QUORL Edit", "A Programmer's Editor", "About qe", 0);
        // Batch mode has no one to show it to.
        if (display_splash_on_startup && !batchRequest.on) AboutSplash();
        opened = WalkCommandLine(argc, argv);
        abRaise();
        gen_checksignal();
        if (!opened && _EditLoadFile(nullptr, 0, nullptr, 0) != 1) gen_callexit(1);
    } catch (const PanicError&) {
        gen_callexit(1);
    } catch (const WDisplayLost&) {
        EditDisplayLost();
    }
    int status = 0;
    if (batchRequest.on) {
        status = RunBatch(batchRequest.commands);
    } else {
        try {
            EditMainLoop();
            cfg_AskSaveConfig();
        } catch (const WDisplayLost&) {
            EditDisplayLost();
        }
    }
    WDrawExit();
    cleanup_after_gui();
    gen_callexit(status);
}
