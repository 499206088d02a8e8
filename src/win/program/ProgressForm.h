// The progress window: the job's two stages in a bar each (the BH archive,
// then the ZIP), the file being packed, and "Abort". The window owns the
// worker thread that runs the job and the token that stops it; it closes only
// once the worker has ended.
#pragma once

#include "win/JobThread.h"
#include "win/VerbView.h"

#include <memory>
#include <type_traits>

#include <windows.h>

namespace tolvane::win {

class TProgressForm {
public:
    explicit TProgressForm(const ProgressTexts& texts);
    ~TProgressForm();
    TProgressForm(const TProgressForm&) = delete;
    TProgressForm& operator=(const TProgressForm&) = delete;

    // Shows the window, runs `job` on the worker and the window's messages
    // here until the job has ended; returns its result.
    app::JobResult Run(const JobBody& job);

    HWND Handle() const { return window_; }
    // As the "Abort" button: the job is asked to stop; Run still returns
    // only once it has ended.
    void Abort();

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    // Sizes and places everything for the window's DPI, from the texts'
    // extents in the message font of that DPI.
    void Layout(bool centre);
    void ShowProgress();

    using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, decltype(&DeleteObject)>;

    ProgressTexts texts_;
    HWND window_ = nullptr;
    HWND heading_ = nullptr;
    HWND stage1_ = nullptr;
    HWND bar1_ = nullptr;
    HWND stage2_ = nullptr;
    HWND bar2_ = nullptr;
    HWND file_ = nullptr;
    HWND abort_ = nullptr;
    FontHandle font_{nullptr, &DeleteObject};
    bool finished_ = false;
    // Last: joined before the window it posts to goes.
    JobThread thread_;
};

} // namespace tolvane::win
