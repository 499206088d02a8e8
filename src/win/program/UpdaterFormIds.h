// The identifiers of the update window and its controls, named after the
// controls of the window they stand for; shared by UpdaterForm.rc and the
// code.
#pragma once

#define IDD_updaterform 110

#define IDC_Updater_lblInfo 1501
#define IDC_Updater_ProgressBar1 1502
#define IDC_Updater_CancelBtn 1503
