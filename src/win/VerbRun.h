// What `tolvane FOLDER` does, as the Explorer verb starts it: the save
// dialog, the question about an existing ZIP, the job behind the progress
// window, and the result. The steps know no window system: a VerbView shows
// them, the Win32 windows in the program and a fake one in the tests.
#pragma once

#include "VerbView.h"

#include "app/MonetizeJob.h"
#include "app/StartUp.h"
#include "app/VendorConfig.h"

#include <functional>
#include <string>

namespace tolvane::win {

// The program's exit status after a folder's job.
enum class VerbExit : int {
    Done = 0, // also when the user stopped at the dialog or the question
    WithProblems = 1,
    Failed = 2,  // also a folder that is none, or one that cannot take the ZIP
    Aborted = 3, // stopped from the progress window
};

class VerbRun {
public:
    // `started` and `view` must outlive this object.
    VerbRun(app::StartUpResult& started, app::VendorConfig vendor, VerbView& view);

    // Runs the job on `folder` (the verb's argument) with every question
    // asked on the way.
    VerbExit Run(const std::string& folder);

    // The job itself; MonetizeJob::Run unless a test puts in its own (the
    // main window logic's default when empty).
    std::function<app::JobResult(const app::JobInput&, const std::string& zipPath,
                                 const platform::CancelToken&,
                                 const std::function<void(const app::JobProgress&)>&)>
        RunJobBody;
    // Keeps the folder where the next start of the main window opens (the
    // settings file unless a test puts in its own).
    std::function<void(const std::string& folder)> RememberFolder;

    // The interface text for `english` in the interface language.
    std::string Translate(const char* english) const;

private:
    class Windows;

    app::StartUpResult& started_;
    app::VendorConfig vendor_;
    VerbView& view_;
};

} // namespace tolvane::win
