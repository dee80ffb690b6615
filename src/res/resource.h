// Resource identifiers of Quenlath, shared by the resource scripts (Morvessa.rc and
// the four language scripts it includes) and by the C++ code. Plain #defines only,
// so that windres, the MinGW build and the native Linux build can all include it.
#pragma once

// Icon group: the application icon, also shown in the notice and About dialogs.
#define IDR_MAINFRAME 128

// Dialog templates.
#define IDD_MAIN_DIALOG 102
#define IDD_NOTICE 129
#define IDD_ABOUTBOX 130

// Controls.
#define IDC_CURRENT_LETTER 1000 // combo box: current letter of the internal drive
#define IDC_NEW_LETTER 1002     // combo box: free letters to choose from
#define IDC_DONT_SHOW 1003      // check box: do not show the notice again
#define IDC_VERSION 1006        // static text: version label of the About box

// Command of the About item inserted into the main dialog's system menu.
#define IDM_ABOUTBOX 32989

// String table.
#define IDS_APP_TITLE 1 // product title; message-box caption and main window title
#define IDS_NEED_ADMIN 2
#define IDS_BAD_NEW_LETTER 3
#define IDS_DRIVE_OFF 4
#define IDS_TOOL_NAME 5 // base of the mutex name; the same in every language
#define IDS_OTHER_USER 6
#define IDS_ABOUT 7
#define IDS_UNSUPPORTED_OS 8
// How a drive letter change ended, when not as it should.
#define IDS_CHANGE_CONFLICT 9   // the drive's letter or the new letter changed meanwhile
#define IDS_CHANGE_NOT_MADE 10  // nothing changed
#define IDS_CHANGE_NO_LETTER 11 // the drive may be left without a letter
#define IDS_BATCH_MISSING 12    // assign.bat or the program-files folder is missing
#define IDS_CHANGE_TIMEOUT 13   // still running after 60 seconds
#define IDS_CHANGE_UNKNOWN 14   // an exit code assign.bat does not give
// At start: the device search finds the drive, but no mount-table entry names it.
#define IDS_DRIVE_NO_LETTER 15

// Why the session should not end yet, listed by Windows while a change runs.
#define IDS_CHANGE_RUNNING 16

// windows.h defines these; the native build has no windows.h, so supply the same
// values there. The guards keep the Windows build on the system's definitions.
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
