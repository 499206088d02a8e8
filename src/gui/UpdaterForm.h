// Tupdaterform: hosts the update component WebUpdater, runs its check on a
// worker thread and answers its events on the GUI thread: the question
// "Update now?" (asked by the worker, answered here while it waits), the
// download's bar (queued signals) and Abort, which reaches the transfer at
// once. Hidden until a download begins.
#pragma once

#include "StartUpSteps.h"
#include "UiTexts.h"

#include "app/VendorConfig.h"
#include "platform/CancelToken.h"
#include "update/WebUpdate.h"

#include <QDialog>

#include <atomic>
#include <memory>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tolvane::gui {

class TUpdateInfoForm;

class Tupdaterform : public QDialog, public UpdateCheckStep {
    Q_OBJECT
public:
    Tupdaterform(const UiTexts& texts, const app::VendorConfig& vendor, QWidget* parent = nullptr);
    // Cancels a running check and waits for it.
    ~Tupdaterform() override;

    // The component, with this program's settings. Its events are set by the
    // window; tests may replace Launch. Touch it only while no check runs.
    update::TWebUpdate WebUpdater;

    // Starts a check on the worker thread; false at once while one runs.
    bool RunCheck();
    // The start-up check: the update page's address and version set, the
    // check run to its end while the GUI stays alive. False when the program
    // is to end (an installer was started).
    bool RunStartUpCheck() override;
    bool Checking() const { return checking_; }
    // The info window, made on its first use (GUI thread).
    TUpdateInfoForm* InfoForm();

public slots:
    void FormShow();
    void CancelBtnClick();
    // Asked on the GUI thread for the worker, naming both versions; true to update.
    bool WebUpdaterUpdateAvailable(const QString& actualVersion, const QString& newVersion);
    // Runs on the worker thread: the info window is skipped.
    void WebUpdaterBeforeShowInfo(bool& showInfo, bool& checkForUpdate);
    void WebUpdaterBeforeDownload();
    void WebUpdaterDownload(qint64 total, qint64 downloaded);
    void WebUpdaterDownloadError(const QString& reason);
    // The downloaded installer could not be opened: `reason` names the file
    // and why. The window says so and stays until closed; the program goes on.
    void WebUpdaterCannotExecute(const QString& reason);

signals:
    // Emitted on the worker thread: progress of the download (at most every
    // 50 ms, and always for its last piece); the end of the check.
    void downloadProgressed(qint64 total, qint64 downloaded);
    void checkDone();
    // On the GUI thread, once the check is over and its window closed.
    void checkEnded();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private slots:
    void OnCheckDone();

private:
    void EndCheckWhenClosed();
    // Abort was pressed, or the window closed, during this check (GUI thread).
    bool Aborted() const { return cancel_ && cancel_->Requested(); }
    // Shows `text` in place of the progress until the user closes the window.
    void ShowFailure(const QString& text);

    const UiTexts& texts_;
    QLabel* lblInfo_;
    QProgressBar* ProgressBar1_;
    QPushButton* CancelBtn_;
    TUpdateInfoForm* infoForm_ = nullptr;

    // The running (or last) check's token, new for each: the worker reads it
    // until it is joined, so it is replaced only after that.
    std::unique_ptr<platform::CancelToken> cancel_;
    std::thread thread_;
    bool checking_ = false;              // GUI thread
    bool downloading_ = false;           // GUI thread: the window shows a download
    bool downloadFailed_ = false;        // GUI thread: the window shows why the update failed
    bool waitingForClose_ = false;       // GUI thread: the failure stays until closed
    std::atomic<bool> abandoned_{false}; // the window goes: questions answer No
    std::atomic<bool> terminate_{false}; // an installer was started
    int scale_ = 1;                      // bytes per bar step, for files beyond 2 GiB
};

} // namespace tolvane::gui
