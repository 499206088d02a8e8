// The identifiers of the About window's controls, named after the controls
// of the window they stand for; shared by tolvane.rc and the code.
#pragma once

#define IDD_AboutForm 103

#define IDC_About_Button1 1301
#define IDC_About_Image1 1302
#define IDC_About_Label1 1303
#define IDC_About_Bevel1 1304
#define IDC_About_Label4 1305
#define IDC_About_Label6 1306
#define IDC_About_Label5 1307
#define IDC_About_Label7 1308
#define IDC_About_Label2 1309
#define IDC_About_Bevel2 1310
#define IDC_About_Label3 1311
