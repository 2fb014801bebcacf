// editor/editpriv.h: what the editor's own files share and nothing outside the folder needs.
#pragma once

#include <cstdint>

struct Edit;
struct File;
struct Line;

int64_t EditRows(const Edit* edit);                // whole text rows in the view
void epDrawRows(Edit* edit, int row0, int row1);   // redraw rows of the text area
void epForgetLines(const File* file);              // its text changed: drop drawing memos
// Line lineNo changed from byte `from` on, and no other line: its memos before that stay.
void epLineEdited(File* file, int64_t lineNo, int from);
// The display column of byte `byte` of a line (as LineCols), from the memos of a long line.
int64_t epColumnAt(File* file, Line* line, int64_t lineNo, int byte);
void EditsSbSetOne(Edit* edit);                    // scroll bars follow the view
void EditPublishState(Edit* edit);
void EditDrawChrome(Edit* edit);
void EditScrollTo(Edit* edit, int64_t topLine);    // new top line, redrawn
void EditLinkFile(Edit* edit, File* file);         // head of the File's editor chain
void EditUnlinkFile(Edit* edit);                   // leaves its File's editor chain
void EditSetWindowName(Edit* edit);
void EditCollapse(Edit* edit, int64_t line, int col); // both selections to one point
