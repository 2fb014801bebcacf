// editor/startup.h: the program's entry: switches, configuration, the command-line walk.
#pragma once

#include <string>
#include <vector>

extern int display_splash_on_startup;
extern int process_default_config_file;
extern int console_mode;
extern int ISDN_mode;
extern int editorStandAlone;

// Batch mode: run command strings in headless windows, then end.
struct BatchRequest {
    bool on = false;
    std::vector<std::string> commands; // each -do, in order
};
extern BatchRequest batchRequest;

[[noreturn]] void qe_main(int argc, char** argv);
// The usage summary (-help shows it in a window, --help prints it).
extern const char* const builtinHelp;
void init_prior_to_gui(int* argc, char** argv);
void cleanup_after_gui();
// Ends the program on a signal (from the safe point that noticed it): journals of unsaved
// edits are written and kept, everything else is cleaned up; SIGINT ends with status 1.
void abortme(int sig);
// The display connection is gone: as abortme, then status 1.
void EditDisplayLost();
void dprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void enable_ISDN_mode(int level);

// The outcome of the command-line walk: whether anything was opened.
int WalkCommandLine(int argc, char** argv);

// Where the configuration and the toolkit meet (toolkitlinks.cc): the option engine's window
// system, installed before any option is set; the toolkit's settings copied from the options
// (1 when the font or a colour changed); the reaction to an option changed after start-up.
void EditInstallCfgDisplay();
int EditApplyToolkitSettings();
void EditInstallOptionWatch();
