// Tupdaterform: the update window over UpdaterFormLogic, which decides what
// the check does and shows. The check runs on the job runner: the question
// "Update now?" is asked by the worker and answered here while it waits,
// the download's bar moves through queued calls, and Abort reaches the
// transfer at once. Hidden until a download begins.
#pragma once

#include "JobRunner.h"
#include "StartUpSteps.h"
#include "UiTexts.h"

#include "app/VendorConfig.h"
#include "platform/Expected.h"
#include "ui/UpdaterFormLogic.h"
#include "update/WebUpdate.h"

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tolvane::gui {

class Tupdaterform : public QDialog, public UpdateCheckStep, private ui::UpdaterFormView {
    Q_OBJECT
public:
    Tupdaterform(const UiTexts& texts, const app::VendorConfig& vendor, QWidget* parent = nullptr);
    // Cancels a running check and waits for it.
    ~Tupdaterform() override;

private:
    // First: the members below refer to it.
    ui::UpdaterFormLogic logic_;

public:
    // The check's properties, this program's settings; taken when a check
    // starts.
    update::TWebUpdate& WebUpdater;
    // Opens the downloaded installer with the page's run parameters (on the
    // worker thread); the desktop's opener by default. Taken when a check
    // starts; tests replace it.
    std::function<platform::Expected<void>(const std::string& path, const std::string& parameters)>&
        Launch;

    // Starts a check on the worker thread; false at once while one runs.
    bool RunCheck() { return logic_.RunCheck(); }
    // The start-up check: run to its end while the GUI stays alive. False
    // when the program is to end (an installer was started).
    bool RunStartUpCheck() override;
    bool Checking() const { return logic_.Checking(); }

public slots:
    void FormShow() { logic_.FormShow(); }
    void CancelBtnClick() { logic_.CancelBtnClick(); }

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
    // ui::UpdaterFormView
    void SetTitle(const std::string& title) override;
    void SetCaption(ui::UpdaterControl control, const std::string& caption) override;
    void SetEnabled(ui::UpdaterControl control, bool enabled) override;
    void SetProgress(int position, int maximum) override;
    void ShowWindow(bool shown) override;
    bool AskYesNo(const ui::Message& question) override;
    void StartCheck(ui::UpdateCheckBody body) override;
    void StopCheck() override;
    void CheckEnded() override { emit checkEnded(); }

    void FitToTexts();

    QLabel* lblInfo_;
    QProgressBar* ProgressBar1_;
    QPushButton* CancelBtn_;
    // Last: it stops and waits for the check before the rest goes.
    JobRunner<ui::UpdateCheckBody, ui::UpdateCheckResult> runner_;
};

} // namespace tolvane::gui
