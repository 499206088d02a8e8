// Tupdaterform: hosts the update check WebUpdater and runs it on the job
// runner: the offer read, the question "Update now?" (asked by the worker,
// answered here while it waits), the download's bar, and Abort, which
// reaches the transfer at once. The window opens the installer as its host
// and ends the program after it. Hidden until a download begins.
#pragma once

#include "JobRunner.h"
#include "StartUpSteps.h"
#include "UiTexts.h"

#include "app/VendorConfig.h"
#include "platform/Expected.h"
#include "update/WebUpdate.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tolvane::gui {

class Tupdaterform : public QDialog, public UpdateCheckStep {
    Q_OBJECT
public:
    Tupdaterform(const UiTexts& texts, const app::VendorConfig& vendor, QWidget* parent = nullptr);
    // Cancels a running check and waits for it.
    ~Tupdaterform() override;

    // The check's properties, this program's settings; taken when a check
    // starts.
    update::TWebUpdate WebUpdater;
    // Opens the downloaded installer with the page's run parameters (on the
    // worker thread); the desktop's opener by default. Taken when a check
    // starts; tests replace it.
    std::function<platform::Expected<void>(const std::string& path, const std::string& parameters)>
        Launch;

    // Starts a check on the worker thread; false at once while one runs.
    bool RunCheck();
    // The start-up check: the update page's address and version set, the
    // check run to its end while the GUI stays alive. False when the program
    // is to end (an installer was started).
    bool RunStartUpCheck() override;
    bool Checking() const { return runner_.Running(); }

public slots:
    void FormShow();
    void CancelBtnClick();
    // Asked on the GUI thread for the worker, naming both versions; true to update.
    bool WebUpdaterUpdateAvailable(const QString& actualVersion, const QString& newVersion);
    void WebUpdaterBeforeDownload();
    void WebUpdaterDownload(qint64 total, qint64 downloaded);
    void WebUpdaterDownloadError(const QString& reason);
    // The downloaded installer could not be opened: `reason` names the file
    // and why. The window says so and stays until closed; the program goes on.
    void WebUpdaterCannotExecute(const QString& reason);

signals:
    // On the GUI thread, once the check is over and its window closed.
    void checkEnded();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private slots:
    void OnCheckDone();

private:
    struct Check {
        update::TWebUpdate updater;
        std::function<platform::Expected<void>(const std::string&, const std::string&)> launch;
    };
    // What the check ended with; nothing to say for a page without a newer
    // version, a No or a cancel.
    struct Outcome {
        std::optional<platform::Report> downloadFailure;
        std::optional<platform::Report> launchFailure;
        // An installer was started and the options end the program.
        bool terminate = false;
    };
    // The check on the worker thread.
    Outcome Run(const Check& check, JobRunnerBase::Worker& worker);

    void EndCheckWhenClosed();
    // Abort was pressed, or the window closed, during this check (GUI thread).
    bool Aborted() const { return runner_.StopRequested(); }
    // Shows `text` in place of the progress until the user closes the window.
    void ShowFailure(const QString& text);

    const UiTexts& texts_;
    QLabel* lblInfo_;
    QProgressBar* ProgressBar1_;
    QPushButton* CancelBtn_;

    bool downloading_ = false;     // GUI thread: the window shows a download
    bool downloadFailed_ = false;  // GUI thread: the window shows why the update failed
    bool waitingForClose_ = false; // GUI thread: the failure stays until closed
    bool terminate_ = false;       // GUI thread: an installer was started
    int scale_ = 1;                // bytes per bar step, for files beyond 2 GiB
    // Last: it stops and waits for the check before the rest goes.
    JobRunner<Check, Outcome> runner_;
};

} // namespace tolvane::gui
