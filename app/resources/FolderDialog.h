/* Resource ids of the folder selection dialog: its captions and messages in the string
   table, and the strip of its tool-button images. The block 4000-4099 is the dialog's. */
#pragma once

#define IDS_FOLDER_OK 4000
#define IDS_FOLDER_CANCEL 4001
#define IDS_FOLDER_CREATE 4002
#define IDS_FOLDER_DELETE 4003
#define IDS_FOLDER_TITLE 4004
#define IDS_FOLDER_FONT 4005
#define IDS_FOLDER_WARNING 4006
#define IDS_FOLDER_CREATE_FAILED 4007

/* Four 16 x 16 images side by side: new folder, new folder disabled, delete, delete disabled;
   magenta is transparent. */
#define IDB_FOLDER_BUTTONS 4050
