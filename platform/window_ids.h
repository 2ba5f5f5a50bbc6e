#pragma once
// The titles and control ids of stowr's windows: the program builds its windows with them, and
// the end-to-end driver (e2e/) finds the windows and controls by them. Plain constants, so that
// both sides include this one header and cannot drift apart.

// The Main window (app/main_window.h).
inline constexpr const char* kMainTitle = "stowr - Tailpack Manager v0.1";
enum MainControl : int {
  kExeLabel = 1001,
  kCountLabel = 1002,
  kPathLabel = 1003,
  kChooseButton = 1004,
  kChunkList = 1005,
  kAddButton = 1006,
  kRemoveOneButton = 1007,
  kRemoveAllButton = 1008,
  kPreviewButton = 1009,
  kExtractOneButton = 1010,
  kExtractAllButton = 1011,
};

// The Add dialog (tools/add_dialog.h).
inline constexpr const char* kAddDialogTitle = "stowr - add tailpack";
enum AddDialogControl : int {
  kDescriptorLabel = 1001,
  kDescriptorBox = 1002,
};

// The Viewer (viewer/viewer_window.h) and the one control each of its views puts in it: the text
// box or the graphic area.
inline constexpr const char* kViewerTitle = "stowr - viewer";
inline constexpr int kViewerPaneId = 1001;

// The progress window of long work (tools/busy.h, platform/ui_win32_task.cpp): its two lines,
// what is being done and to which file, its bar and the figure under it. Its Cancel button has the
// id of Cancel.
inline constexpr const char* kBusyTitle = "stowr - please wait";
enum ProgressControl : int {
  kProgressWhat = 101,
  kProgressPath = 102,
  kProgressBar = 103,
  kProgressFigure = 104,
};
