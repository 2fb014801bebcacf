// editor/editpriv.h: what the editor's own files share and nothing outside the folder needs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct Edit;
struct EditCmdCtx;
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
// Runs reindent, which changes the indentation of lines l1..l2 of the edit's File, keeping
// the primary selection's points at their place in the text; then redraws.
void EditReindentKeepingSelection(Edit* edit, int64_t l1, int64_t l2,
                                  const std::function<void()>& reindent);
// The file named by the command's argument, or the one chosen with the file chooser (title
// and confirming button given); "" when none was chosen.
namespace editopen {
std::string nameOrChosen(Edit* edit, EditCmdCtx* ctx, const char* title, const char* button);
}
// Shows definition `which` (0 the first) of the tag in this window, pushing its File when it
// is another; an unknown tag beeps with "Can't find tag: %s" (and succeeds, as OpenTag does).
int EditGoToTag(Edit* edit, const std::string& name, int which);
