// Named identifiers of the executable's resources and of the main window's controls.
#pragma once

// The executable's own resources.
#define IDI_MAINICON 1  // the first icon: the taskbar button and the shell use it
#define IDB_LOGO 100

// TForm1: controls, by member name.
#define IDC_PAGECONTROL1 1000
#define IDC_TABSHEETMAKE 1001
#define IDC_TABSHEETCHECK 1002
#define IDC_TABSHEET1 1003
#define IDC_LABEL1 1010
#define IDC_BUTTONSCANFOLDER 1011
#define IDC_BUTTONGO 1012
#define IDC_BUTTONFINDCHECKFILE 1020
#define IDC_LABEL2 1030
#define IDC_LABEL3 1031
#define IDC_LABEL4 1032
#define IDC_LABEL5 1033
#define IDC_VTURLLABEL1 1034
#define IDC_VTURLLABEL2 1035
#define IDC_MEMO1 1040
#define IDC_LABELSTATUS 1041
#define IDC_BUTTONABORT 1042
#define IDC_IMAGE1 1043

// The folder selection dialog's resources: 4000-4099, in FolderDialog.h.
