// help/help.h: the plain-text help: four help files of entries under keywords, an index per
// file, lookups by keyword or wildcard pattern, and the read-only File a request produces.
#pragma once

#include <string>
#include <vector>

struct File;

// The lines of an entry (or of a keyword list), with the second column of each line ("" for
// none).
struct HelpResult {
    std::vector<std::string> lines;
    std::vector<std::string> second;
};

// The lines of the entry for key, or of the keywords a pattern matches; false when nothing
// was found ("Could not find any help files" is reported when no help file could be read).
bool HelpKeyLookup(const char* key, HelpResult& result, std::string* found = nullptr);

// The help File for first, else for second (either may be null); null after reporting.
File* FileFHelp(const char* first, const char* second);

// The manual: the user's guide (the first help file) whole, as the read-only File "manual";
// null after reporting.
File* FileFManual();

// Where the help files are: the four slots once found ("" for an empty slot).
const std::vector<std::string>& HelpFiles();
// Forgets the slots and indexes: the next request looks for the help files again.
void HelpReset();
// Whether text matches a help pattern ("*" and "@" any run, "?" one byte).
bool HelpPatternMatch(const char* pattern, const char* text, bool ignoreCase);

// Deletes the temporary copies of help files from other hosts.
void cleanupHelp();
