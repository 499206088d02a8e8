// The identifiers of the progress window's controls, named after the
// controls they stand for. Abort is the dialog's cancel button, so that
// Escape presses it.
#pragma once

#include <windows.h>

#define IDC_Label1 1201
#define IDC_Label2 1202
#define IDC_ProgressBar1 1203
#define IDC_Label3 1204
#define IDC_ProgressBar2 1205
#define IDC_Button1 IDCANCEL
// The file being packed, under the bars.
#define IDC_FileLabel 1206
