// Tupdaterform's logic without a toolkit: the check of the update page on
// a worker, the question "Update now?" naming both versions (asked by the
// worker, answered on the window's thread), the window shown once the
// download begins with its bar up to Content-Length, Abort, a failed
// download or an installer that cannot be opened said in the window until
// it is closed, and whether the program ends after the start-up check. The
// window is its UpdaterFormView.
#pragma once

#include "UpdaterFormView.h"

#include "app/Translation.h"
#include "app/VendorConfig.h"
#include "platform/Expected.h"
#include "update/WebUpdate.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace tolvane::ui {

class UpdaterFormLogic {
public:
    // The window's client size at 96 dots per inch.
    static constexpr int kClientWidth = 412;
    static constexpr int kClientHeight = 122;

    // `table` and `view` must outlive this object; `language` is the
    // interface language's column.
    UpdaterFormLogic(const app::TranslationTable& table, int language,
                     const app::VendorConfig& vendor, UpdaterFormView& view);

    // The caption and the texts in the interface language.
    void FormShow();
    // Starts a check on the worker; false at once while one runs.
    bool RunCheck();
    // Abort, or the window closed: a running check is asked to stop (no
    // download begins after it), the window hides, and a failure on screen
    // ends the check.
    void CancelBtnClick();
    // The check's end, on the window's thread.
    void CheckFinished(const UpdateCheckResult& result);

    // From RunCheck until the result came.
    bool Checking() const { return checking_; }
    // After the check ended: false when an installer was started and the
    // program is to end now.
    bool ProgramGoesOn() const { return !terminate_; }
    std::string Translate(const char* english) const;

    // The check's properties, this program's settings; taken when a check starts.
    update::TWebUpdate WebUpdater;
    // Opens the downloaded installer with the page's run parameters, on the
    // worker; the desktop's opener unless a test puts in its own.
    std::function<platform::Expected<void>(const std::string& path, const std::string& parameters)>
        Launch;
    // The two steps of the check, on the worker; the update library's
    // unless a test puts in its own.
    std::function<platform::Expected<update::Offer>(const update::TWebUpdate&,
                                                    const platform::CancelToken&)>
        FetchOffer;
    std::function<platform::Expected<std::string>(
        const update::Offer&, const platform::CancelToken&, const update::DownloadProgress&)>
        Download;
    // The bar moves at most this often (and always for the last piece), so
    // that a fast download does not flood the window's thread.
    std::chrono::milliseconds ProgressInterval{50};

private:
    // On the window's thread, asked by the worker.
    bool UpdateAvailable(const std::string& installed, const std::string& offered);
    void BeforeDownload();
    void Downloaded(int64_t total, int64_t received);
    void ShowFailure(const std::string& text);
    void End();

    const app::TranslationTable& table_;
    int language_;
    UpdaterFormView& view_;
    bool checking_ = false;
    bool aborted_ = false;         // Abort came during this check
    bool downloading_ = false;     // the window shows a download
    bool failureShown_ = false;    // the window says why the update failed
    bool waitingForClose_ = false; // the check is over, its failure on screen
    bool terminate_ = false;
};

} // namespace tolvane::ui
