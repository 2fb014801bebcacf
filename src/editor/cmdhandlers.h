// editor/cmdhandlers.h: the command handlers the command table names, by the file that
// implements them (each such file keeps its handlers and their helpers in a namespace named
// after it).
#pragma once

#include "editor/editcmd.h"

namespace editsel {
int cmdContinueSelection(Edit* edit, EditCmdCtx* ctx);
int cmdDown(Edit* edit, EditCmdCtx* ctx);
int cmdDownSome(Edit* edit, EditCmdCtx* ctx);
int cmdEOF(Edit* edit, EditCmdCtx* ctx);
int cmdEOL(Edit* edit, EditCmdCtx* ctx);
int cmdLeft(Edit* edit, EditCmdCtx* ctx);
int cmdLeftSome(Edit* edit, EditCmdCtx* ctx);
int cmdLeftU(Edit* edit, EditCmdCtx* ctx);
int cmdNoSelection(Edit* edit, EditCmdCtx* ctx);
int cmdPageDown(Edit* edit, EditCmdCtx* ctx);
int cmdPageUp(Edit* edit, EditCmdCtx* ctx);
int cmdPrimaryToSecondary(Edit* edit, EditCmdCtx* ctx);
int cmdReturn(Edit* edit, EditCmdCtx* ctx);
int cmdReverseWord(Edit* edit, EditCmdCtx* ctx);
int cmdRight(Edit* edit, EditCmdCtx* ctx);
int cmdRightD(Edit* edit, EditCmdCtx* ctx);
int cmdRightSome(Edit* edit, EditCmdCtx* ctx);
int cmdSOF(Edit* edit, EditCmdCtx* ctx);
int cmdSOL(Edit* edit, EditCmdCtx* ctx);
int cmdSOL0(Edit* edit, EditCmdCtx* ctx);
int cmdSOL1(Edit* edit, EditCmdCtx* ctx);
int cmdSOLSecondary(Edit* edit, EditCmdCtx* ctx);
int cmdSecondaryAdjust(Edit* edit, EditCmdCtx* ctx);
int cmdSecondaryAll(Edit* edit, EditCmdCtx* ctx);
int cmdSecondaryLine(Edit* edit, EditCmdCtx* ctx);
int cmdSecondaryStart(Edit* edit, EditCmdCtx* ctx);
int cmdSecondaryToPrimary(Edit* edit, EditCmdCtx* ctx);
int cmdSecondaryWord(Edit* edit, EditCmdCtx* ctx);
int cmdSelectAll(Edit* edit, EditCmdCtx* ctx);
int cmdSelectLine(Edit* edit, EditCmdCtx* ctx);
int cmdSelectToLines(Edit* edit, EditCmdCtx* ctx);
int cmdSelectWord(Edit* edit, EditCmdCtx* ctx);
int cmdSelectionAdjust(Edit* edit, EditCmdCtx* ctx);
int cmdSelectionExtend(Edit* edit, EditCmdCtx* ctx);
int cmdSelectionGrab(Edit* edit, EditCmdCtx* ctx);
int cmdSelectionStart(Edit* edit, EditCmdCtx* ctx);
int cmdSelectionStartDrag(Edit* edit, EditCmdCtx* ctx);
int cmdSelectionStartDragAdd(Edit* edit, EditCmdCtx* ctx);
int cmdUp(Edit* edit, EditCmdCtx* ctx);
int cmdUpSome(Edit* edit, EditCmdCtx* ctx);
int cmdWord(Edit* edit, EditCmdCtx* ctx);
} // namespace editsel
namespace editparse {
int cmdBlock(Edit* edit, EditCmdCtx* ctx);
int cmdIf(Edit* edit, EditCmdCtx* ctx);
int cmdQuote(Edit* edit, EditCmdCtx* ctx);
} // namespace editparse
namespace editautoindent {
int cmdAutoIndent(Edit* edit, EditCmdCtx* ctx);
int cmdAutoIndentImplicit(Edit* edit, EditCmdCtx* ctx);
int cmdAutoIndentOrTab(Edit* edit, EditCmdCtx* ctx);
} // namespace editautoindent
namespace editcmds {
int cmdAllowAutoCheckout(Edit* edit, EditCmdCtx* ctx);
int cmdBackspace(Edit* edit, EditCmdCtx* ctx);
int cmdCmtReg(Edit* edit, EditCmdCtx* ctx);
int cmdCommentBlock(Edit* edit, EditCmdCtx* ctx);
int cmdCopy1(Edit* edit, EditCmdCtx* ctx);
int cmdCopy2(Edit* edit, EditCmdCtx* ctx);
int cmdCopy3(Edit* edit, EditCmdCtx* ctx);
int cmdCopy4(Edit* edit, EditCmdCtx* ctx);
int cmdCut1(Edit* edit, EditCmdCtx* ctx);
int cmdCut2(Edit* edit, EditCmdCtx* ctx);
int cmdCut3(Edit* edit, EditCmdCtx* ctx);
int cmdCut4(Edit* edit, EditCmdCtx* ctx);
int cmdDate(Edit* edit, EditCmdCtx* ctx);
int cmdDelete(Edit* edit, EditCmdCtx* ctx);
int cmdEnterInsertMode(Edit* edit, EditCmdCtx* ctx);
int cmdIndent(Edit* edit, EditCmdCtx* ctx);
int cmdInsertNewline(Edit* edit, EditCmdCtx* ctx);
int cmdJoinLines(Edit* edit, EditCmdCtx* ctx);
int cmdLowerCaseBlock(Edit* edit, EditCmdCtx* ctx);
int cmdNormalizeSelection(Edit* edit, EditCmdCtx* ctx);
int cmdPaste1(Edit* edit, EditCmdCtx* ctx);
int cmdPaste2(Edit* edit, EditCmdCtx* ctx);
int cmdPaste3(Edit* edit, EditCmdCtx* ctx);
int cmdPaste4(Edit* edit, EditCmdCtx* ctx);
int cmdPreventAutoCheckout(Edit* edit, EditCmdCtx* ctx);
int cmdQuote(Edit* edit, EditCmdCtx* ctx);
int cmdRectCopy1(Edit* edit, EditCmdCtx* ctx);
int cmdRectCopy2(Edit* edit, EditCmdCtx* ctx);
int cmdRectCopy3(Edit* edit, EditCmdCtx* ctx);
int cmdRectCopy4(Edit* edit, EditCmdCtx* ctx);
int cmdRectCut1(Edit* edit, EditCmdCtx* ctx);
int cmdRectCut2(Edit* edit, EditCmdCtx* ctx);
int cmdRectCut3(Edit* edit, EditCmdCtx* ctx);
int cmdRectCut4(Edit* edit, EditCmdCtx* ctx);
int cmdRectPaste1(Edit* edit, EditCmdCtx* ctx);
int cmdRedo(Edit* edit, EditCmdCtx* ctx);
int cmdRepeatLast(Edit* edit, EditCmdCtx* ctx);
int cmdSecondaryReplace(Edit* edit, EditCmdCtx* ctx);
int cmdSecondaryReplaceClip(Edit* edit, EditCmdCtx* ctx);
int cmdSelectLanguage(Edit* edit, EditCmdCtx* ctx);
int cmdSelectMatch(Edit* edit, EditCmdCtx* ctx);
int cmdSelectToMatch(Edit* edit, EditCmdCtx* ctx);
int cmdSelectionDrop(Edit* edit, EditCmdCtx* ctx);
int cmdShowMatch(Edit* edit, EditCmdCtx* ctx);
int cmdTab(Edit* edit, EditCmdCtx* ctx);
int cmdToggleAutoCheckout(Edit* edit, EditCmdCtx* ctx);
int cmdToggleReadOnly(Edit* edit, EditCmdCtx* ctx);
int cmdToggleMarginColumn(Edit* edit, EditCmdCtx* ctx);
int cmdUnCmtReg(Edit* edit, EditCmdCtx* ctx);
int cmdUnCommentBlock(Edit* edit, EditCmdCtx* ctx);
int cmdUndo(Edit* edit, EditCmdCtx* ctx);
int cmdUnindent(Edit* edit, EditCmdCtx* ctx);
int cmdUpperCaseBlock(Edit* edit, EditCmdCtx* ctx);
int cmdUserName(Edit* edit, EditCmdCtx* ctx);
} // namespace editcmds
namespace editfile {
int cmdAbort(Edit* edit, EditCmdCtx* ctx);
int cmdAlterLocation(Edit* edit, EditCmdCtx* ctx);
int cmdBeep(Edit* edit, EditCmdCtx* ctx);
int cmdClose(Edit* edit, EditCmdCtx* ctx);
int cmdCloseOrPop(Edit* edit, EditCmdCtx* ctx);
int cmdConfigure(Edit* edit, EditCmdCtx* ctx);
int cmdConfigureFile(Edit* edit, EditCmdCtx* ctx);
int cmdCyclePush(Edit* edit, EditCmdCtx* ctx);
int cmdCyclePushBack(Edit* edit, EditCmdCtx* ctx);
int cmdDone(Edit* edit, EditCmdCtx* ctx);
int cmdFlashCursor(Edit* edit, EditCmdCtx* ctx);
int cmdIdentify(Edit* edit, EditCmdCtx* ctx);
int cmdMinibuffer(Edit* edit, EditCmdCtx* ctx);
int cmdNoop(Edit* edit, EditCmdCtx* ctx);
int cmdPop(Edit* edit, EditCmdCtx* ctx);
int cmdPopupMenu(Edit* edit, EditCmdCtx* ctx);
int cmdQuerySaveAll(Edit* edit, EditCmdCtx* ctx);
int cmdQuerySaveCheckinAll(Edit* edit, EditCmdCtx* ctx);
int cmdQuit(Edit* edit, EditCmdCtx* ctx);
int cmdRevert(Edit* edit, EditCmdCtx* ctx);
int cmdRevertToBackup(Edit* edit, EditCmdCtx* ctx);
int cmdSave(Edit* edit, EditCmdCtx* ctx);
int cmdSaveAll(Edit* edit, EditCmdCtx* ctx);
int cmdSaveAs(Edit* edit, EditCmdCtx* ctx);
int cmdShowContextMenu(Edit* edit, EditCmdCtx* ctx);
int cmdTogglePush(Edit* edit, EditCmdCtx* ctx);
} // namespace editfile
namespace editgoto {
int cmdColumn(Edit* edit, EditCmdCtx* ctx);
int cmdGoto(Edit* edit, EditCmdCtx* ctx);
int cmdOpenText(Edit* edit, EditCmdCtx* ctx);
} // namespace editgoto
namespace editwin {
int cmdNextWindow(Edit* edit, EditCmdCtx* ctx);
int cmdResize(Edit* edit, EditCmdCtx* ctx);
} // namespace editwin
namespace editopen {
int cmdEditFilename(Edit* edit, EditCmdCtx* ctx);
int cmdInsertFile(Edit* edit, EditCmdCtx* ctx);
int cmdLoadFile(Edit* edit, EditCmdCtx* ctx);
int cmdLoadFileWithNewEditor(Edit* edit, EditCmdCtx* ctx);
int cmdNotepad(Edit* edit, EditCmdCtx* ctx);
int cmdOpenFile(Edit* edit, EditCmdCtx* ctx);
} // namespace editopen
namespace editdialogs {
int cmdAbout(Edit* edit, EditCmdCtx* ctx);
int cmdDialog(Edit* edit, EditCmdCtx* ctx);
} // namespace editdialogs
namespace editshell {
int cmdCmdPrompt2Wnd(Edit* edit, EditCmdCtx* ctx);
int cmdCommandToWindow(Edit* edit, EditCmdCtx* ctx);
int cmdExecuteCmd(Edit* edit, EditCmdCtx* ctx);
int cmdGrep(Edit* edit, EditCmdCtx* ctx);
int cmdMake(Edit* edit, EditCmdCtx* ctx);
int cmdShell(Edit* edit, EditCmdCtx* ctx);
} // namespace editshell
namespace errnav {
int cmdErrorOrTag(Edit* edit, EditCmdCtx* ctx);
int cmdNextError(Edit* edit, EditCmdCtx* ctx);
int cmdToggleErrorView(Edit* edit, EditCmdCtx* ctx);
} // namespace errnav
namespace editoptions {
int cmdConfigOptions(Edit* edit, EditCmdCtx* ctx);
int cmdEditorFlags(Edit* edit, EditCmdCtx* ctx);
} // namespace editoptions
namespace editsearch {
int cmdBackISearch(Edit* edit, EditCmdCtx* ctx);
int cmdEditLine(Edit* edit, EditCmdCtx* ctx);
int cmdISearch(Edit* edit, EditCmdCtx* ctx);
int cmdLineD(Edit* edit, EditCmdCtx* ctx);
int cmdStopSearch(Edit* edit, EditCmdCtx* ctx);
int cmdTruncateSearch(Edit* edit, EditCmdCtx* ctx);
} // namespace editsearch
namespace searcher {
int cmdSearch(Edit* edit, EditCmdCtx* ctx);
} // namespace searcher
namespace edithelp {
int cmdHelp(Edit* edit, EditCmdCtx* ctx);
int cmdOpenManual(Edit* edit, EditCmdCtx* ctx);
} // namespace edithelp
namespace editprint {
int cmdPrint(Edit* edit, EditCmdCtx* ctx);
int cmdPrintsyn(Edit* edit, EditCmdCtx* ctx);
int cmdPrintFile(Edit* edit, EditCmdCtx* ctx);
int cmdPageSetup(Edit* edit, EditCmdCtx* ctx);
} // namespace editprint
namespace edittags {
int cmdAppendTagFile(Edit* edit, EditCmdCtx* ctx);
int cmdEditTag(Edit* edit, EditCmdCtx* ctx);
int cmdNewTag(Edit* edit, EditCmdCtx* ctx);
int cmdOpenTag(Edit* edit, EditCmdCtx* ctx);
int cmdResetTags(Edit* edit, EditCmdCtx* ctx);
} // namespace edittags

namespace mergecmds {
int cmdDiffFiles(Edit* edit, EditCmdCtx* ctx);
int cmdMergeFiles(Edit* edit, EditCmdCtx* ctx);
int cmdShowLastEdit(Edit* edit, EditCmdCtx* ctx);
} // namespace mergecmds

namespace vccmds {
int cmdChangeLogVar(Edit* edit, EditCmdCtx* ctx);
int cmdCheckin(Edit* edit, EditCmdCtx* ctx);
int cmdCheckout(Edit* edit, EditCmdCtx* ctx);
int cmdDiscard(Edit* edit, EditCmdCtx* ctx);
int cmdPlaceUnderVC(Edit* edit, EditCmdCtx* ctx);
int cmdRevertDate(Edit* edit, EditCmdCtx* ctx);
int cmdRevertHistory(Edit* edit, EditCmdCtx* ctx);
int cmdRevertVersion(Edit* edit, EditCmdCtx* ctx);
int cmdShowHistory(Edit* edit, EditCmdCtx* ctx);
int cmdShowView(Edit* edit, EditCmdCtx* ctx);
int cmdUnqvc(Edit* edit, EditCmdCtx* ctx);
int cmdVcBuffer(Edit* edit, EditCmdCtx* ctx);
} // namespace vccmds
