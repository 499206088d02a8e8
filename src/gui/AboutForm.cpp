#include "AboutForm.h"

#include "LinkLabel.h"

#include "app/ProgramInfo.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QUrl>
#include <QVBoxLayout>

namespace tolvane::gui {

namespace {

const QSize kClientSize(326, 248);

QFrame* MakeBevel(const char* name, QWidget* parent) {
    auto* bevel = new QFrame(parent);
    bevel->setObjectName(name);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    return bevel;
}

} // namespace

QPixmap LogoPixmap(int size, qreal devicePixelRatio) {
    QSvgRenderer renderer(QStringLiteral(":/tolvane/logo.svg"));
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

TAboutForm::TAboutForm(const UiTexts& texts, const app::VendorConfig& vendor, QWidget* parent)
    : QDialog(parent), texts_(texts), vendor_(vendor), Image1_(new QLabel(this)),
      Label1_(new QLabel(QStringLiteral("Tolvane v. ") + app::kProgramVersion, this)),
      Label2_(new QLabel(this)), Label3_(new QLabel(this)), Label4_(new QLabel(this)),
      Label5_(new QLabel(this)), Label6_(new LinkLabel(this)), Label7_(new LinkLabel(this)),
      Button1_(new QPushButton(this)) {
    setObjectName("AboutForm");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Image1_->setObjectName("Image1");
    Image1_->setPixmap(LogoPixmap(64, devicePixelRatioF()));
    Image1_->setFixedSize(64, 64);
    Image1_->setAccessibleName("Tolvane");
    Label1_->setObjectName("Label1");
    QFont title = Label1_->font();
    title.setPointSize(12);
    title.setBold(true);
    Label1_->setFont(title);
    Label2_->setObjectName("Label2");
    Label2_->setWordWrap(true);
    Label3_->setObjectName("Label3");
    Label3_->setWordWrap(true);
    Label3_->setEnabled(false);
    Label4_->setObjectName("Label4");
    Label5_->setObjectName("Label5");
    Label6_->setObjectName("Label6");
    Label6_->setText(FromCore(vendor_.homeHost));
    Label7_->setObjectName("Label7");
    Label7_->setText(FromCore(vendor_.supportEmail));
    Label4_->setBuddy(Label6_);
    Label5_->setBuddy(Label7_);
    Button1_->setObjectName("Button1");
    Button1_->setDefault(true);
    connect(Button1_, &QPushButton::clicked, this, &TAboutForm::Button1Click);
    connect(Label6_, &LinkLabel::clicked, this, &TAboutForm::Label6Click);
    connect(Label7_, &LinkLabel::clicked, this, &TAboutForm::Label7Click);

    auto* head = new QHBoxLayout;
    head->addWidget(Image1_);
    head->addSpacing(8);
    head->addWidget(Label1_, 1);
    auto* links = new QGridLayout;
    links->addWidget(Label4_, 0, 0);
    links->addWidget(Label6_, 0, 1);
    links->addWidget(Label5_, 1, 0);
    links->addWidget(Label7_, 1, 1);
    links->setColumnStretch(1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(Button1_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(MakeBevel("Bevel1", this));
    layout->addLayout(links);
    layout->addWidget(Label2_);
    layout->addWidget(MakeBevel("Bevel2", this));
    layout->addWidget(Label3_);
    layout->addStretch(1);
    layout->addLayout(bottom);
    setTabOrder(Button1_, Label6_);
    setTabOrder(Label6_, Label7_);
    resize(kClientSize);
}

QUrl TAboutForm::WebsiteUrl() const {
    return QUrl(FromCore("http://" + vendor_.homeHost));
}

QUrl TAboutForm::SupportUrl() const {
    return QUrl(FromCore("mailto:" + vendor_.supportEmail));
}

void TAboutForm::FormShow() {
    setWindowTitle(texts_("About..."));
    Label4_->setText(texts_("Website:"));
    Label5_->setText(texts_("Support:"));
    Label2_->setText(texts_("Copyright (C) 2026 Tolvane. All rights reserved."));
    Label3_->setText(texts_("This program is protected by copyright law. Unauthorized "
                            "reproduction or distribution of it, or of any part of it, may be "
                            "prosecuted."));
    Button1_->setText(texts_("OK"));
    Button1_->setFocus();
    setFixedSize(kClientSize.expandedTo(sizeHint()));
}

void TAboutForm::Button1Click() {
    accept();
}

void TAboutForm::Label6Click() {
    Links.Open(this, WebsiteUrl(), texts_);
}

void TAboutForm::Label7Click() {
    Links.Open(this, SupportUrl(), texts_);
}

void TAboutForm::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

} // namespace tolvane::gui
