// buffer/synhook.h: the calls the line store makes into syntax colouring.
#pragma once

struct File;
struct Line;
struct Language;

// Sets line->synState from its predecessor (GetSynstate). Installed by the colouring
// engine; while unset every line starts in state 0.
extern void (*file_GetSynstate)(File* file, Line* line);
// The language of a file name (syn_LanguageOfFile); unset means none.
extern const Language* (*file_LanguageOfFile)(const char* name);
// Colouring is switched off while a File's line list is rebuilt.
extern bool file_synSuspended;
// The name a language has in the language menu.
extern const char* (*file_LanguageMenuName)(const Language* language);
