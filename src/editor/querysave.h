// editor/querysave.h: the questions asked before unsaved work could be lost: "Save Changes?"
// one File at a time (with its version-control choice), "Save Files?" over several, and which
// Files need asking at all.
#pragma once

#include <vector>

struct Edit;
struct File;

// One File handed to the dialogues, with what to do once it is settled (saved, checked in or
// given up); the close path marks it so that it is unloaded when the window goes.
struct FileListEntry {
    File* file = nullptr;
    void (*action)(File* file) = nullptr;
};
using FileList = std::vector<FileListEntry>;

// Another window shows the File, or holds it on its alternate-file stack.
bool FileUsedElsewhere(Edit* edit, File* file);
// The File would lose its edits (or a check-out of this session) if `edit` stopped showing it.
bool edit_FileNeedsSaving(Edit* edit, File* file);

// "Save Changes?" over the Files in order: negative when cancelled (the Files not reached yet
// stay as they are), else not negative.
int vc_querysave_dialogue(FileList& files);
// "Save Files?": the Files are listed, all chosen; the chosen ones are kept in `files` (1), or
// the user cancelled (0). Nothing is saved.
int edit_ChooseFiles(FileList& files);
// "Save Files?" and then each chosen File saved: 1 to go on, 0 to cancel.
int saveFilesDlg(FileList& files);
// Every modified File that is a real file (and, with `checkins`, every one to be checked in on
// close), in the order of the File registry.
FileList edit_ModifiedFiles(bool checkins);

// Marks a File whose edits were given up while a window closes: it is unloaded with the window.
void edit_MarkNotAFile(File* file);
// Unloads every File so marked that no window shows any more, and clears the marks.
void edit_ReleaseGivenUp();
