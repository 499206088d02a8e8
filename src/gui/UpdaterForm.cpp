#include "UpdaterForm.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane::gui {

namespace {

const QSize kClientSize(ui::UpdaterFormLogic::kClientWidth, ui::UpdaterFormLogic::kClientHeight);

// The logic's worker over the job runner's.
class RunnerWorker final : public ui::UpdateCheckWorker {
public:
    explicit RunnerWorker(JobRunnerBase::Worker& worker) : worker_(worker) {}
    const platform::CancelToken& Token() const override { return worker_.Token(); }
    void Post(std::function<void()> call) override { worker_.Post(std::move(call)); }
    bool Ask(std::function<bool()> question) override {
        return worker_.AskOnGuiThread(std::move(question));
    }

private:
    JobRunnerBase::Worker& worker_;
};

} // namespace

Tupdaterform::Tupdaterform(const UiTexts& texts, const app::VendorConfig& vendor, QWidget* parent)
    : QDialog(parent), logic_(texts.Table(), texts.Language(), vendor, *this),
      WebUpdater(logic_.WebUpdater), Launch(logic_.Launch), lblInfo_(new QLabel(this)),
      ProgressBar1_(new QProgressBar(this)), CancelBtn_(new QPushButton(this)),
      runner_([](const ui::UpdateCheckBody& body, JobRunnerBase::Worker& worker) {
          RunnerWorker adapter(worker);
          return body(adapter);
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
    connect(&runner_, &JobRunnerBase::finished, this, &Tupdaterform::OnCheckDone);
}

Tupdaterform::~Tupdaterform() {
    // A question still waiting is answered No.
    runner_.StopAndWait();
}

bool Tupdaterform::RunStartUpCheck() {
    if (!RunCheck())
        return true;
    QEventLoop loop;
    connect(this, &Tupdaterform::checkEnded, &loop, &QEventLoop::quit);
    loop.exec();
    return logic_.ProgramGoesOn();
}

void Tupdaterform::OnCheckDone() {
    logic_.CheckFinished(runner_.TakeResult());
}

void Tupdaterform::FitToTexts() {
    setFixedSize(kClientSize.expandedTo(sizeHint()));
}

void Tupdaterform::SetTitle(const std::string& title) {
    setWindowTitle(FromCore(title));
}

void Tupdaterform::SetCaption(ui::UpdaterControl control, const std::string& caption) {
    switch (control) {
    case ui::UpdaterControl::lblInfo:
        lblInfo_->setText(FromCore(caption));
        break;
    case ui::UpdaterControl::CancelBtn:
        CancelBtn_->setText(FromCore(caption));
        break;
    }
    FitToTexts();
}

void Tupdaterform::SetEnabled(ui::UpdaterControl control, bool enabled) {
    switch (control) {
    case ui::UpdaterControl::lblInfo:
        lblInfo_->setEnabled(enabled);
        return;
    case ui::UpdaterControl::CancelBtn:
        CancelBtn_->setEnabled(enabled);
        return;
    }
}

void Tupdaterform::SetProgress(int position, int maximum) {
    ProgressBar1_->setMaximum(maximum);
    ProgressBar1_->setValue(position);
}

void Tupdaterform::ShowWindow(bool shown) {
    if (!shown) {
        hide();
        return;
    }
    show();
    raise();
}

bool Tupdaterform::AskYesNo(const ui::Message& question) {
    QMessageBox box(QMessageBox::Warning, FromCore(question.title), FromCore(question.text),
                    QMessageBox::Yes | QMessageBox::No, parentWidget());
    box.setObjectName("UpdateQuestion");
    return box.exec() == QMessageBox::Yes;
}

void Tupdaterform::StartCheck(ui::UpdateCheckBody body) {
    runner_.Start(std::move(body));
}

void Tupdaterform::StopCheck() {
    runner_.RequestStop();
}

void Tupdaterform::showEvent(QShowEvent* event) {
    logic_.FormShow();
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
