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

// Folder selection dialog: its captions and messages (string table).
#define IDS_FOLDERDIALOG_FONT 2000
#define IDS_FOLDERDIALOG_OK 2001
#define IDS_FOLDERDIALOG_CANCEL 2002
#define IDS_FOLDERDIALOG_CREATEFOLDER 2003
#define IDS_FOLDERDIALOG_DELETE 2004
#define IDS_FOLDERDIALOG_CAPTION 2005
#define IDS_FOLDERDIALOG_WARNING 2006
#define IDS_FOLDERDIALOG_CANNOTCREATE 2007
