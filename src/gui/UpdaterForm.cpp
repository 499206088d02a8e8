#include "UpdaterForm.h"

#include "GuiQuery.h"
#include "UpdateInfoForm.h"

#include "app/ProgramInfo.h"

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

// The component asks for its info window on the worker thread; the window
// itself lives on the GUI thread and is asked there.
class InfoWindowOnGuiThread : public update::UpdateInfoWindow {
public:
    InfoWindowOnGuiThread(Tupdaterform& form, const std::atomic<bool>& abandoned)
        : form_(form), abandoned_(abandoned) {}

    bool ShowModal(const update::TUpdateInfoCaption& captions, const std::string& address,
                   bool& checkForUpdate) override {
        struct Answer {
            bool accepted = false;
            bool check = true;
        };
        Tupdaterform* form = &form_;
        const Answer answer = AskOnGuiThread<Answer>(
            form,
            [form, captions, address, check = checkForUpdate] {
                Answer a;
                a.check = check;
                a.accepted = form->InfoForm()->ShowModal(captions, address, a.check);
                return a;
            },
            Answer{false, checkForUpdate}, abandoned_);
        checkForUpdate = answer.check;
        return answer.accepted;
    }

private:
    Tupdaterform& form_;
    const std::atomic<bool>& abandoned_;
};

} // namespace

Tupdaterform::Tupdaterform(const UiTexts& texts, const app::VendorConfig& vendor, QWidget* parent)
    : QDialog(parent), texts_(texts), lblInfo_(new QLabel(this)),
      ProgressBar1_(new QProgressBar(this)), CancelBtn_(new QPushButton(this)) {
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
    // Every event below is raised on the worker thread.
    WebUpdater.OnUpdateAvailable = [this](update::TWebUpdate&, const std::string& actualVersion,
                                          const std::string& newVersion, bool& canUpdate) {
        const QString installed = FromCore(actualVersion), offered = FromCore(newVersion);
        canUpdate = AskOnGuiThread<bool>(
            this,
            [this, installed, offered] { return WebUpdaterUpdateAvailable(installed, offered); },
            false, abandoned_);
    };
    WebUpdater.OnBeforeShowInfo = [this](update::TWebUpdate&, bool& showInfo,
                                         bool& checkForUpdate) {
        WebUpdaterBeforeShowInfo(showInfo, checkForUpdate);
    };
    WebUpdater.OnBeforeDownload = [this](update::TWebUpdate&, const std::string&) {
        QMetaObject::invokeMethod(this, &Tupdaterform::WebUpdaterBeforeDownload,
                                  Qt::QueuedConnection);
    };
    WebUpdater.OnDownload = [this, last = std::chrono::steady_clock::time_point()](
                                update::TWebUpdate&, int64_t total, int64_t downloaded) mutable {
        const auto now = std::chrono::steady_clock::now();
        if (downloaded != total && now - last < std::chrono::milliseconds(50))
            return;
        last = now;
        emit downloadProgressed(total, downloaded);
    };
    WebUpdater.OnDownloadError = [this](update::TWebUpdate& sender) {
        const QString reason = FromCore(sender.LastError());
        QMetaObject::invokeMethod(
            this, [this, reason] { WebUpdaterDownloadError(reason); }, Qt::QueuedConnection);
    };
    WebUpdater.OnCannotExecute = [this](update::TWebUpdate& sender) {
        const QString reason = FromCore(sender.LastError());
        QMetaObject::invokeMethod(
            this, [this, reason] { WebUpdaterCannotExecute(reason); }, Qt::QueuedConnection);
    };
    WebUpdater.Terminate = [this] { terminate_ = true; };
    WebUpdater.MakeInfoWindow = [this]() -> std::unique_ptr<update::UpdateInfoWindow> {
        return std::make_unique<InfoWindowOnGuiThread>(*this, abandoned_);
    };
    connect(this, &Tupdaterform::downloadProgressed, this, &Tupdaterform::WebUpdaterDownload,
            Qt::QueuedConnection);
    connect(this, &Tupdaterform::checkDone, this, &Tupdaterform::OnCheckDone, Qt::QueuedConnection);
}

Tupdaterform::~Tupdaterform() {
    abandoned_ = true;
    if (cancel_)
        cancel_->Request();
    if (thread_.joinable())
        thread_.join();
}

TUpdateInfoForm* Tupdaterform::InfoForm() {
    if (!infoForm_)
        infoForm_ = new TUpdateInfoForm(this);
    return infoForm_;
}

bool Tupdaterform::RunCheck() {
    if (checking_)
        return false; // Busy
    if (thread_.joinable())
        thread_.join();
    checking_ = true;
    downloading_ = downloadFailed_ = waitingForClose_ = false;
    terminate_ = false;
    // An Abort pressed before the transfer begins holds for it: the token is
    // the worker's from the start.
    cancel_ = std::make_unique<platform::CancelToken>();
    thread_ = std::thread([this, &cancel = *cancel_] {
        WebUpdater.RunCheck(cancel);
        emit checkDone();
    });
    return true;
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
    if (thread_.joinable())
        thread_.join();
    checking_ = false;
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
    if (cancel_)
        cancel_->Request();
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

void Tupdaterform::WebUpdaterBeforeShowInfo(bool& showInfo, bool& /*checkForUpdate*/) {
    showInfo = false;
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
