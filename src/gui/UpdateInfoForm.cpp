#include "UpdateInfoForm.h"

#include "UiTexts.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane::gui {

TUpdateInfoForm::TUpdateInfoForm(QWidget* parent)
    : QDialog(parent), Panel1_(new QWidget(this)), WebBrowser_(new QLabel(Panel1_)),
      Panel2_(new QWidget(this)), chk_FutureUpdate_(new QCheckBox(Panel2_)),
      Panel_Bottom_(new QWidget(this)), btn_OK_(new QPushButton("OK", Panel_Bottom_)),
      btn_Cancel_(new QPushButton("Cancel", Panel_Bottom_)) {
    setObjectName("UpdateInfoForm");
    setWindowTitle("WebUpdate");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    Panel1_->setObjectName("Panel1");
    WebBrowser_->setObjectName("WebBrowser");
    WebBrowser_->setTextFormat(Qt::PlainText);
    WebBrowser_->setAlignment(Qt::AlignCenter);
    WebBrowser_->setWordWrap(true);
    WebBrowser_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    WebBrowser_->setFrameShape(QFrame::StyledPanel);
    auto* page = new QVBoxLayout(Panel1_);
    page->addWidget(WebBrowser_);

    Panel2_->setObjectName("Panel2");
    Panel2_->setFixedHeight(31);
    chk_FutureUpdate_->setObjectName("chk_FutureUpdate");
    chk_FutureUpdate_->setChecked(true);
    auto* check = new QVBoxLayout(Panel2_);
    check->setContentsMargins(8, 0, 8, 0);
    check->addWidget(chk_FutureUpdate_);

    // The buttons are placed by Panel_BottomResize, not by a layout.
    Panel_Bottom_->setObjectName("Panel_Bottom");
    Panel_Bottom_->setFixedHeight(41);
    Panel_Bottom_->installEventFilter(this);
    btn_OK_->setObjectName("btn_OK");
    btn_OK_->setDefault(true);
    btn_OK_->setCursor(Qt::PointingHandCursor);
    btn_Cancel_->setObjectName("btn_Cancel");
    btn_Cancel_->setCursor(Qt::PointingHandCursor);
    for (QPushButton* button : {btn_OK_, btn_Cancel_}) {
        button->resize(button->sizeHint().expandedTo(QSize(75, 25)));
        button->move(button->x(), (Panel_Bottom_->height() - button->height()) / 2);
    }
    connect(btn_OK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btn_Cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1_, 1);
    layout->addWidget(Panel2_);
    layout->addWidget(Panel_Bottom_);
    resize(530, 453);
}

bool TUpdateInfoForm::ShowModal(const update::TUpdateInfoCaption& captions,
                                const std::string& address, bool& checkForUpdate) {
    chk_FutureUpdate_->setChecked(checkForUpdate);
    btn_OK_->setText(FromCore(captions.OkButton));
    btn_Cancel_->setText(FromCore(captions.CancelButton));
    chk_FutureUpdate_->setText(FromCore(captions.CheckForUpdate));
    for (QPushButton* button : {btn_OK_, btn_Cancel_})
        button->resize(button->sizeHint().expandedTo(QSize(75, 25)));
    Panel_BottomResize();
    WebBrowser_->setText(FromCore(address));
    const bool accepted = exec() == QDialog::Accepted;
    checkForUpdate = chk_FutureUpdate_->isChecked();
    return accepted;
}

void TUpdateInfoForm::Panel_BottomResize() {
    const int width = Panel_Bottom_->width();
    // Integer division rounds toward zero, as the pair's rule asks.
    const int left = (width - btn_OK_->width() - btn_Cancel_->width() - 6) / 2;
    const int top = (Panel_Bottom_->height() - btn_OK_->height()) / 2;
    btn_OK_->move(left, top);
    btn_Cancel_->move(left + btn_OK_->width() + 3, top);
}

bool TUpdateInfoForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel_Bottom_ && event->type() == QEvent::Resize)
        Panel_BottomResize();
    return QDialog::eventFilter(watched, event);
}

} // namespace tolvane::gui
