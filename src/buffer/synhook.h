// buffer/synhook.h: the one call the line store makes into syntax colouring.
#pragma once

struct File;
struct Line;

// Sets line->synState from its predecessor (GetSynstate). Installed by the colouring
// engine; while unset every line starts in state 0.
extern void (*file_GetSynstate)(File* file, Line* line);
// Colouring is switched off while a File's line list is rebuilt.
extern bool file_synSuspended;
