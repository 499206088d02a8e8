#include "ProgressForm.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane::gui {

namespace {

const QSize kClientSize(338, 185);

QProgressBar* MakeBar(const char* name, QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setFixedHeight(16);
    return bar;
}

} // namespace

TProgressForm::TProgressForm(const UiTexts& texts, QWidget* parent)
    : QDialog(parent), texts_(texts), Label1_(new QLabel(this)), Label2_(new QLabel(this)),
      ProgressBar1_(MakeBar("ProgressBar1", this)), Label3_(new QLabel(this)),
      ProgressBar2_(MakeBar("ProgressBar2", this)), lblFile_(new QLabel(this)),
      Button1_(new QPushButton(this)) {
    setObjectName("ProgressForm");
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Label1_->setObjectName("Label1");
    Label2_->setObjectName("Label2");
    Label3_->setObjectName("Label3");
    lblFile_->setObjectName("lblFile");
    lblFile_->setTextFormat(Qt::PlainText);
    lblFile_->setEnabled(false);
    Button1_->setObjectName("Button1");
    Button1_->setMinimumWidth(89);
    connect(Button1_, &QPushButton::clicked, this, &TProgressForm::Button1Click);
    ProgressBar1_->setAccessibleName("Step 1");
    ProgressBar2_->setAccessibleName("Step 2");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 12, 8, 8);
    layout->addWidget(Label1_);
    layout->addSpacing(8);
    layout->addWidget(Label2_);
    layout->addWidget(ProgressBar1_);
    layout->addSpacing(8);
    layout->addWidget(Label3_);
    layout->addWidget(ProgressBar2_);
    layout->addWidget(lblFile_);
    layout->addStretch(1);
    layout->addWidget(Button1_, 0, Qt::AlignHCenter);
    resize(kClientSize);
}

void TProgressForm::Reset() {
    ProgressBar1_->setValue(0);
    ProgressBar2_->setValue(0);
    lblFile_->clear();
    Button1_->setEnabled(true);
}

void TProgressForm::ShowFile(const QString& file) {
    // The file's own name; long ones shortened in the middle so the end shows.
    const QString name = file.section('/', -1);
    lblFile_->setText(lblFile_->fontMetrics().elidedText(
        name, Qt::ElideMiddle, lblFile_->width() > 0 ? lblFile_->width() : 320));
}

void TProgressForm::FormShow() {
    setWindowTitle(texts_("Progrgess"));
    Label1_->setText(texts_("The files are monetizing. Please wait..."));
    Label2_->setText(texts_("Step 1. Creating BH archive and referral link"));
    Label3_->setText(texts_("Step 2. Compressing in ZIP format"));
    Button1_->setText(texts_("Abort"));
    // The window's size, grown where a language's texts need more room.
    setFixedSize(kClientSize.expandedTo(sizeHint()));
}

void TProgressForm::Button1Click() {
    Button1_->setEnabled(false);
    emit abortRequested();
}

void TProgressForm::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TProgressForm::closeEvent(QCloseEvent* event) {
    // Closing from the title bar is "Abort"; the job's end hides the window.
    event->ignore();
    if (Button1_->isEnabled())
        Button1Click();
}

void TProgressForm::reject() {
    if (Button1_->isEnabled())
        Button1Click();
}

} // namespace tolvane::gui
