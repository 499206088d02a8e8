// Tupdaterform in Win32: the start-up's update check with its question
// "Update now?", the window that shows the download with its bar and
// "Abort", and a failed update said in it until it is closed. What happens
// when is UpdaterFormLogic's; the check runs on an UpdateCheckThread. A build
// without the update check has a window that finds nothing.
#pragma once

#include "app/Translation.h"
#include "app/VendorConfig.h"

#include <memory>

#include <windows.h>

namespace tolvane::win {

class Tupdaterform {
public:
    // `table` must outlive this object; `owner` (may be null) owns the
    // window and the question.
    Tupdaterform(HWND owner, const app::TranslationTable& table, int language,
                 const app::VendorConfig& vendor);
    // Stops a running check and waits for it.
    ~Tupdaterform();
    Tupdaterform(const Tupdaterform&) = delete;
    Tupdaterform& operator=(const Tupdaterform&) = delete;

    // Runs the check to its end with the window's messages (and the other
    // windows') handled meanwhile; false when an installer was started and
    // the program is to end now.
    bool RunStartUpCheck();

private:
    // The dialog as the logic's view, in UpdaterForm.cpp.
    class View;
    std::unique_ptr<View> view_;
};

} // namespace tolvane::win
