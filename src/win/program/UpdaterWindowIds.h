// The identifiers of the update window and its controls, named after the
// controls of the window they stand for; shared by UpdaterWindow.rc and the
// code.
#pragma once

#define IDD_updaterform 110

#define IDC_lblInfo 1201
#define IDC_ProgressBar1 1202
#define IDC_CancelBtn 1203
