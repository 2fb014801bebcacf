// buffer/tags.h: the tag dictionary loaded from tag files, and finding a tag's definition.
#pragma once

#include <cstdint>
#include <string>

struct File;

struct TagEntry {
    std::string name;
    std::string file;
    int64_t line = -1;     // the line number, -1 for a pattern entry
    std::string pattern;   // plain text to search for (a final LF anchors it at a line end)
    int direction = 1;     // 1 forward from the top ('/'), -1 backward from the bottom ('?')
    bool hasLine = false;
    std::string dir;       // the tag file's directory with its final '/', or empty
};

// The File of a definition; line > 0 is a line number of the tag file's time (turn it into
// a current one with FileLinenoFTagLineno), line < 0 minus a current line number. Null when the
// name is unknown or the file cannot be opened. which: the definition of a name defined more
// than once (0 the first, in tag file order).
File* TagFind(const char* name, int64_t& line, int which);
// How many definitions the dictionary holds for name (loading it first if it never was).
int TagDefinitions(const char* name);

// Loads another tag file: 1 done, 0 no tag file could be opened, -1 a malformed address.
int TagAppendDictionary(const char* path);
// The chooser for a tag file; a copy of the chosen path (gen_free it) or null.
char* TagQueryFileName();
// Loads the dictionary if that was never tried; whether one exists.
int TagAvailable();
void TagReset();
void TagReinit();
// The tag file name: the one loaded or set, else "tags" in the chooser's directory.
const char* TagGetFileName();
void TagSetFileName(const char* path);

// Lookup by exact name (loading the dictionary first if it never was); null when unknown.
const TagEntry* TagDefault(const char* name);
// Entries in the dictionary, -1 while none was loaded.
int64_t TagCount();

