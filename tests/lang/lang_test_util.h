// tests/lang/lang_test_util.h: helpers shared by the colouring tests.
#pragma once

#include <string>
#include <vector>

#include "lang/syn.h"

struct File;

// Distinct pixels per colour class so that drawn runs can be read back as class letters:
// '.' plain, 'C' comment, 'D' dead code, 'K' keyword, 'S' string, 'N' number, 'Q' character.
void SetTestColours();
// Colours a line from its start state and returns one class letter per byte.
std::string ClassesOf(const std::string& text, uint32_t state, const Language* lang);
// The same through the drawing scan cut into pieces at the given columns.
std::string ClassesInPieces(const std::string& text, uint32_t state, const Language* lang,
                            const std::vector<int>& cuts);
// Text of line n of a File.
std::string LineText(File* file, Line* line);
// One-time set-up: runtime, colouring hooks, colours.
void LangTestInit();
