#include "UpdaterForm.h"

#include "app/ProgramInfo.h"
#include "platform/OpenWithDesktop.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <chrono>
#include <climits>

namespace tolvane::gui {

namespace {

const QSize kClientSize(412, 122);

} // namespace

Tupdaterform::Tupdaterform(const UiTexts& texts, const app::VendorConfig& vendor, QWidget* parent)
    : QDialog(parent), Launch(&platform::OpenWithDesktop), texts_(texts),
      lblInfo_(new QLabel(this)), ProgressBar1_(new QProgressBar(this)),
      CancelBtn_(new QPushButton(this)),
      runner_([this](const Check& check, JobRunnerBase::Worker& worker) {
          return Run(check, worker);
      }) {
    setObjectName("updaterform");
    setWindowTitle("Update Software");
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    lblInfo_->setObjectName("lblInfo");
    lblInfo_->setTextFormat(Qt::PlainText);
    lblInfo_->setWordWrap(true);
    ProgressBar1_->setObjectName("ProgressBar1");
    ProgressBar1_->setTextVisible(false);
    ProgressBar1_->setFixedHeight(17);
    ProgressBar1_->setRange(0, 100);
    ProgressBar1_->setValue(0);
    ProgressBar1_->setAccessibleName("Download");
    CancelBtn_->setObjectName("CancelBtn");
    CancelBtn_->setMinimumWidth(75);
    connect(CancelBtn_, &QPushButton::clicked, this, &Tupdaterform::CancelBtnClick);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 11, 9);
    layout->addWidget(lblInfo_);
    layout->addWidget(ProgressBar1_);
    layout->addStretch(1);
    layout->addWidget(CancelBtn_, 0, Qt::AlignHCenter);
    resize(kClientSize);

    // This program's settings of the component.
    WebUpdater.ProductInfo.SetURL("http://" + vendor.updateHost + "/update.html");
    WebUpdater.ProductInfo.Version = app::kProgramVersion;
    WebUpdater.ProductInfo.VersionFormat = update::vfString;
    WebUpdater.Options = {update::uoRunUpdate, update::uoTerminate, update::uoOverwrite};
    connect(&runner_, &JobRunnerBase::finished, this, &Tupdaterform::OnCheckDone);
}

Tupdaterform::~Tupdaterform() {
    // A question still waiting is answered No.
    runner_.StopAndWait();
}

bool Tupdaterform::RunCheck() {
    if (Checking())
        return false; // Busy
    downloading_ = downloadFailed_ = waitingForClose_ = false;
    terminate_ = false;
    // An Abort pressed before the transfer begins holds for it: the token is
    // the worker's from the start.
    return runner_.Start({WebUpdater, Launch});
}

Tupdaterform::Outcome Tupdaterform::Run(const Check& check, JobRunnerBase::Worker& worker) {
    Outcome outcome;
    const platform::Expected<update::Offer> offer =
        update::FetchOffer(check.updater, worker.Token());
    // A failed check of the update page ends quietly.
    if (!offer || !offer->newer)
        return outcome;
    const bool accepted = worker.AskOnGuiThread(
        [this, installed = offer->installedVersion, offered = offer->values.Version] {
            return WebUpdaterUpdateAvailable(FromCore(installed), FromCore(offered));
        });
    if (!accepted)
        return outcome;
    update::DownloadProgress progress;
    progress.begins = [this, &worker](const std::string&) {
        worker.Post([this] { WebUpdaterBeforeDownload(); });
    };
    // At most every 50 ms, and always for the last piece.
    progress.received = [this, &worker, last = std::chrono::steady_clock::time_point()](
                            int64_t total, int64_t downloaded) mutable {
        const auto now = std::chrono::steady_clock::now();
        if (downloaded != total && now - last < std::chrono::milliseconds(50))
            return;
        last = now;
        worker.Post([this, total, downloaded] { WebUpdaterDownload(total, downloaded); });
    };
    const platform::Expected<std::string> path = update::Download(*offer, worker.Token(), progress);
    if (!path) {
        if (!path.Error().Cancelled())
            outcome.downloadFailure = path.Error();
        return outcome;
    }
    if (!check.updater.Options.Contains(update::uoRunUpdate))
        return outcome;
    const platform::Expected<void> opened =
        check.launch ? check.launch(*path, offer->values.RunParameters)
                     : platform::Expected<void>(platform::Unexpected{
                           platform::Failure(*path, "no program is set to open it")});
    if (!opened) {
        // The program goes on: ending it now would leave the user with
        // neither the old version running nor the new one installed. The
        // downloaded file stays for the user to open.
        outcome.launchFailure = opened.Error();
        return outcome;
    }
    outcome.terminate = check.updater.Options.Contains(update::uoTerminate);
    return outcome;
}

bool Tupdaterform::RunStartUpCheck() {
    if (!RunCheck())
        return true;
    QEventLoop loop;
    connect(this, &Tupdaterform::checkEnded, &loop, &QEventLoop::quit);
    loop.exec();
    return !terminate_;
}

void Tupdaterform::OnCheckDone() {
    const Outcome outcome = runner_.TakeResult();
    if (outcome.downloadFailure)
        WebUpdaterDownloadError(FromCore(platform::CauseLine(*outcome.downloadFailure)));
    if (outcome.launchFailure)
        WebUpdaterCannotExecute(FromCore(platform::CauseLine(*outcome.launchFailure)));
    terminate_ = outcome.terminate;
    // A failed download stays on screen, with its reason, until closed.
    if (downloadFailed_ && isVisible()) {
        waitingForClose_ = true;
        return;
    }
    hide();
    emit checkEnded();
}

void Tupdaterform::EndCheckWhenClosed() {
    if (!waitingForClose_)
        return;
    waitingForClose_ = false;
    emit checkEnded();
}

void Tupdaterform::FormShow() {
    setWindowTitle(texts_("Update Software"));
    CancelBtn_->setText(texts_("Abort"));
    lblInfo_->setText(texts_("Downloading new version. Please wait ..."));
    setFixedSize(kClientSize.expandedTo(sizeHint()));
}

void Tupdaterform::CancelBtnClick() {
    runner_.RequestStop();
    hide();
    EndCheckWhenClosed();
}

bool Tupdaterform::WebUpdaterUpdateAvailable(const QString& actualVersion,
                                             const QString& newVersion) {
    QMessageBox box(
        QMessageBox::Warning, texts_("Update Software"),
        texts_("Version %1 is available; you have %2. Update now?").arg(newVersion, actualVersion),
        QMessageBox::Yes | QMessageBox::No, parentWidget());
    box.setObjectName("UpdateQuestion");
    return box.exec() == QMessageBox::Yes;
}

void Tupdaterform::WebUpdaterBeforeDownload() {
    if (Aborted())
        return;
    downloading_ = true;
    ProgressBar1_->setValue(0);
    show();
    raise();
}

void Tupdaterform::WebUpdaterDownload(qint64 total, qint64 downloaded) {
    if (!downloading_)
        return; // the update page's own reads
    scale_ = total > INT_MAX ? static_cast<int>(total / INT_MAX + 1) : 1;
    ProgressBar1_->setMaximum(static_cast<int>(total / scale_));
    ProgressBar1_->setValue(static_cast<int>(std::min(downloaded, total) / scale_));
}

void Tupdaterform::WebUpdaterDownloadError(const QString& reason) {
    // Only a download that the window shows is reported; a failed check of
    // the update page ends quietly.
    if (!downloading_ || Aborted())
        return;
    ShowFailure(texts_("The download failed: %1", reason));
}

void Tupdaterform::WebUpdaterCannotExecute(const QString& reason) {
    if (!downloading_)
        return;
    ShowFailure(texts_("The downloaded installer could not be opened: %1. The file has been kept.",
                       reason));
}

void Tupdaterform::ShowFailure(const QString& text) {
    downloadFailed_ = true;
    lblInfo_->setText(text);
    CancelBtn_->setText(texts_("Close"));
    setFixedSize(kClientSize.expandedTo(sizeHint()));
}

void Tupdaterform::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void Tupdaterform::closeEvent(QCloseEvent* event) {
    CancelBtnClick();
    event->accept();
}

void Tupdaterform::reject() {
    CancelBtnClick();
}

} // namespace tolvane::gui
