// The identifiers of the progress window's controls, named after the
// controls they stand for. Abort is the dialog's cancel button, so that
// Escape presses it.
#pragma once

#include <windows.h>

#define IDC_Progress_Label1 1401
#define IDC_Progress_Label2 1402
#define IDC_Progress_ProgressBar1 1403
#define IDC_Progress_Label3 1404
#define IDC_Progress_ProgressBar2 1405
#define IDC_Progress_Button1 IDCANCEL
// The file being packed, under the bars.
#define IDC_Progress_FileLabel 1406
