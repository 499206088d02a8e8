// The identifiers of the main window's and the password prompt's controls
// and commands, named after the controls of the window they stand for;
// shared by tolvane.rc and the code.
#pragma once

// The program's icon, its first (src/gui/logo.svg at 16, 20, 24, 32, 48 and
// 256 pixels, drawn by scripts/make-windows-icon.sh).
#define IDI_Tolvane 1
// The password button's lock (lock.ico: src/gui/lock.svg at 16, 20, 24 and 32 pixels).
#define IDI_Lock 3

#define IDD_TolvaneForm 100
#define IDD_PasswordForm 101

#define IDC_Panel1 1001
#define IDC_ShellTreeView1 1002
#define IDC_ShellListView1 1003
#define IDC_btnPassword 1004
#define IDC_BitBtn1 1005
#define IDC_btnOK 1006
#define IDC_btnClose 1007

#define IDC_PasswordPrompt 1101
#define IDC_PasswordEdit 1102
#define IDC_ShowCharacters 1103

// The menus' commands.
#define IDM_Monetize1 2001
#define IDM_Exit1 2002
#define IDM_SetPassword1 2003
#define IDM_Configure1 2004
#define IDM_HomePage1 2005
#define IDM_VideoTutorial1 2006
#define IDM_About1 2007
