// Every text a person sees, in one table: the window, the tray, the document list and its
// questions, and one plain Swedish sentence per cause the program knows, saying what is wrong and
// what to do. Standard error and --queue speak English for logs and scripts and never come here.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace uitext {

enum class T {
  // The window.
  Title,
  StartServer,
  StopServer,
  HideToTray,
  StatusLine,
  Stopped,
  Wait,
  InQueue,
  // The tray icon.
  TrayShowWindow,
  TrayToCorner,
  TrayTip,
  TrayTipWarning,
  // The warning the window and the tray give while the printer cannot take jobs.
  WarningTip,
  WarningRefusedTip,
  NoticeTitle,
  NoticeRefusedTitle,
  // The document list.
  ListTitle,
  ColumnName,
  ColumnSize,
  ColumnSince,
  ColumnState,
  SizeBytes,
  SizeKilo,
  SizeMega,
  Remove,
  OpenFolder,
  Close,
  Cancel,
  ListHeading,
  ListHeadingFailing,
  JobCount,
  RemoveTitle,
  RemoveQuestion,
  RemovedToTrash,
  NoTrashQuestion,
  KeptInQueue,
  RemovedForGood,
  NotRemoved,
  // A job's state in the list.
  StateQueued,
  StateWaiting,
  StateWaitingFor,
  StateStillWritten,
  StatePrinting,
  StatePrinted,
  StateFailed,
  StateUnprintable,
  Tries,
  WithDetail,
  Lines,
  // Causes: what is wrong and what to do.
  CausePrinterFolderMissing,
  CausePrinterFolderNotMade,
  CausePrinterIsFile,
  CausePrinterMissing,
  CausePrinterRefuses,
  CauseNoReader,
  CauseSpoolFolderIsPrinter,
  CauseNotAPrinter,
  CauseNoCommand,
  CauseCommandNotFound,
  CauseCommandFailed,
  CauseNoCupsDefault,
  CauseCupsRefused,
  CausePrinterLock,
  CausePrinterBusy,
  CausePrinterFailed,
  CauseStillWritten,
  CauseWrittenTooLong,
  CauseUnusableName,
  CauseUnreachableName,
  CauseNotDeletable,
  CausePrintedNotDeleted,
  CauseJobUnreadable,
  CauseTooBig,
  CauseHardLinks,
  CauseSparse,
  CauseUnprintable,
  CauseFailed,
  CauseFolderUnusable,
  // Why the server does not start, in a message box.
  StartRefused,
  RefusalNoFolder,
  RefusalNotAbsolute,
  RefusalPathTooLong,
  RefusalFolderRefused,
  AlreadyRuns,
};

// The text with {1}, {2}... replaced by the arguments, which are taken as they stand.
std::string text(T id, std::initializer_list<std::string> args = {});

// Every entry of the table, for the check that what is shown comes from it.
std::vector<std::string> allTexts();

}  // namespace uitext
