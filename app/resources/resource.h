// Named identifiers of the executable's resources and of the main window's controls.
#pragma once

// The executable's own resources.
#define IDI_MAINICON 1  // the first icon: the taskbar button and the shell use it
#define IDB_LOGO 100

// TForm1's controls, by what they are for: the page control and its pages,
#define IDC_PAGES 1000
#define IDC_MAKE_PAGE 1001
#define IDC_CHECK_PAGE 1002
#define IDC_ABOUT_PAGE 1003
// on the "Make checkfile" page,
#define IDC_FOLDER_PROMPT 1010
#define IDC_FOLDER_BUTTON 1011
#define IDC_GO_BUTTON 1012
// on the "Check files" page,
#define IDC_OPEN_CHECKFILE_BUTTON 1020
// on the About page,
#define IDC_VERSION_LINE 1030
#define IDC_COPYRIGHT_LINE 1031
#define IDC_LICENCE_LINE 1032
#define IDC_NO_WARRANTY_LINE 1033
#define IDC_EMAIL_LINK 1034
#define IDC_WEB_LINK 1035
// and below the pages.
#define IDC_LOG 1040
#define IDC_STATUS_LINE 1041
#define IDC_ABORT_BUTTON 1042
#define IDC_LOGO 1043

// The folder selection dialog's resources: 4000-4099, in FolderDialog.h.
