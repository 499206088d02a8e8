#include "WelcomeForm.h"

#include "LinkLabel.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace tolvane::gui {

namespace {

QLabel* MakeLabel(const char* name, QWidget* parent, bool wrap, Qt::Alignment align = {}) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wrap);
    if (align)
        label->setAlignment(align);
    return label;
}

QLineEdit* MakeEdit(const char* name, QWidget* parent, QLabel* buddy) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    buddy->setBuddy(edit);
    return edit;
}

// A message shown in the window itself, hidden until there is one.
QLabel* MakeErrorLabel(const char* name, QWidget* parent) {
    QLabel* label = MakeLabel(name, parent, true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x20));
    label->setPalette(palette);
    label->setVisible(false);
    return label;
}

} // namespace

TWelcomeForm::TWelcomeForm(app::ProgramState& state, const app::TranslationTable& table,
                           const UiTexts& texts, const app::VendorConfig& vendor, QWidget* parent)
    : QDialog(parent), texts_(texts),
      runner_([](const ui::SignUpBody& body, JobRunnerBase::Worker& worker) {
          return body(worker.Token());
      }) {
    setObjectName("WelcomeForm");
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // The sign-up page.
    Panel1_ = new QWidget(this);
    Panel1_->setObjectName("Panel1");
    Label12_ = new LinkLabel(Panel1_);
    Label12_->setObjectName("Label12");
    Label12_->setAlignment(Qt::AlignHCenter);
    Label1_ = MakeLabel("Label1", Panel1_, true);
    Label5_ = MakeLabel("Label5", Panel1_, false, Qt::AlignRight | Qt::AlignVCenter);
    EdName_ = MakeEdit("EdName", Panel1_, Label5_);
    Label6_ = MakeLabel("Label6", Panel1_, false, Qt::AlignRight | Qt::AlignVCenter);
    EdEmail_ = MakeEdit("EdEmail", Panel1_, Label6_);
    LblEmailError_ = MakeErrorLabel("LblEmailError", Panel1_);
    Label7_ = MakeLabel("Label7", Panel1_, false, Qt::AlignRight | Qt::AlignVCenter);
    EdWebsite_ = MakeEdit("EdWebsite", Panel1_, Label7_);
    Label8_ = MakeLabel("Label8", Panel1_, true);
    EdDescription_ = new QPlainTextEdit(Panel1_);
    EdDescription_->setObjectName("EdDescription");
    EdDescription_->setTabChangesFocus(true);
    EdDescription_->setFixedHeight(50);
    Label8_->setBuddy(EdDescription_);
    Button2_ = new QPushButton(Panel1_);
    Button2_->setObjectName("Button2");
    Button2_->setMinimumWidth(105);
    Label9_ = new LinkLabel(Panel1_);
    Label9_->setObjectName("Label9");
    LblSendError_ = MakeErrorLabel("LblSendError", Panel1_);

    auto* fields = new QGridLayout;
    fields->addWidget(Label5_, 0, 0);
    fields->addWidget(EdName_, 0, 1);
    fields->addWidget(Label6_, 1, 0);
    fields->addWidget(EdEmail_, 1, 1);
    // Under the address it is about, in the column of the fields.
    fields->addWidget(LblEmailError_, 2, 1);
    fields->addWidget(Label7_, 3, 0);
    fields->addWidget(EdWebsite_, 3, 1);
    fields->setColumnStretch(1, 1);
    auto* signUpBottom = new QHBoxLayout;
    // A long translation of the link wraps instead of running under the button.
    Label9_->setWordWrap(true);
    signUpBottom->addWidget(Label9_, 1);
    signUpBottom->addWidget(Button2_, 0, Qt::AlignBottom);
    auto* page1 = new QVBoxLayout(Panel1_);
    page1->addWidget(Label12_);
    page1->addWidget(Label1_);
    page1->addLayout(fields);
    page1->addWidget(Label8_);
    page1->addWidget(EdDescription_);
    page1->addWidget(LblSendError_);
    page1->addStretch(1);
    page1->addLayout(signUpBottom);

    // The IDs page.
    Panel2_ = new QWidget(this);
    Panel2_->setObjectName("Panel2");
    Label10_ = MakeLabel("Label10", Panel2_, true);
    Label2_ = MakeLabel("Label2", Panel2_, false, Qt::AlignRight | Qt::AlignVCenter);
    EdPartnerID_ = MakeEdit("EdPartnerID", Panel2_, Label2_);
    Label4_ = MakeLabel("Label4", Panel2_, false, Qt::AlignRight | Qt::AlignVCenter);
    EdSoftwareID_ = MakeEdit("EdSoftwareID", Panel2_, Label4_);
    Label11_ = MakeLabel("Label11", Panel2_, true, Qt::AlignRight | Qt::AlignVCenter);
    ComboBox1_ = new QComboBox(Panel2_);
    ComboBox1_->setObjectName("ComboBox1");
    ComboBox1_->setEditable(false);
    ComboBox1_->setMinimumWidth(113);
    Label11_->setBuddy(ComboBox1_);
    BtnSaveChanges_ = new QPushButton(Panel2_);
    BtnSaveChanges_->setObjectName("BtnSaveChanges");
    BtnSaveChanges_->setMinimumWidth(105);
    Label3_ = new LinkLabel(Panel2_);
    Label3_->setObjectName("Label3");

    auto* ids = new QGridLayout;
    ids->addWidget(Label2_, 0, 0);
    ids->addWidget(EdPartnerID_, 0, 1);
    ids->addWidget(Label4_, 1, 0);
    ids->addWidget(EdSoftwareID_, 1, 1);
    ids->setColumnStretch(1, 1);
    auto* language = new QHBoxLayout;
    language->addWidget(Label11_, 1);
    language->addWidget(ComboBox1_);
    auto* idsBottom = new QHBoxLayout;
    Label3_->setWordWrap(true);
    idsBottom->addWidget(Label3_, 1);
    idsBottom->addWidget(BtnSaveChanges_, 0, Qt::AlignBottom);
    auto* page2 = new QVBoxLayout(Panel2_);
    page2->addWidget(Label10_);
    page2->addLayout(ids);
    page2->addLayout(language);
    page2->addStretch(1);
    page2->addLayout(idsBottom);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->addWidget(Panel1_);
    layout->addWidget(Panel2_);
    Panel2_->setVisible(false);

    // One chain through both pages in the order they are seen, top to
    // bottom and left to right; Tab skips the hidden page and wraps round
    // within the one shown.
    QWidget* const chain[] = {Label12_,       EdName_,    EdEmail_, EdWebsite_,
                              EdDescription_, Label9_,    Button2_, EdPartnerID_,
                              EdSoftwareID_,  ComboBox1_, Label3_,  BtnSaveChanges_};
    for (size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    connect(Label9_, &LinkLabel::clicked, this, &TWelcomeForm::Label9Click);
    connect(Label3_, &LinkLabel::clicked, this, &TWelcomeForm::Label3Click);
    connect(Label12_, &LinkLabel::clicked, this, &TWelcomeForm::Label12Click);
    connect(Button2_, &QPushButton::clicked, this, &TWelcomeForm::Button2Click);
    connect(BtnSaveChanges_, &QPushButton::clicked, this, &TWelcomeForm::BtnSaveChangesClick);
    connect(EdEmail_, &QLineEdit::textEdited, this, [this] { logic_->EdEmailChange(); });
    connect(&runner_, &JobRunnerBase::finished, this, &TWelcomeForm::OnSignupFinished);
    ui::WelcomeFormView& view = *this;
    logic_ = std::make_unique<ui::WelcomeFormLogic>(state, table, vendor, view);
    logic_->FormCreate();
}

TWelcomeForm::~TWelcomeForm() {
    logic_->FormClose();
}

void TWelcomeForm::FormShow() {
    logic_->FormShow();
}

int32_t TWelcomeForm::ShowModalOn(Page page) {
    logic_->ShowPage(page == Page::IDs ? ui::SignUpPage::IDs : ui::SignUpPage::SignUp);
    exec();
    return logic_->Tag();
}

void TWelcomeForm::FillIds(const std::string& partnerId, const std::string& softwareId) {
    logic_->FillIds(partnerId, softwareId);
}

void TWelcomeForm::Label9Click() {
    logic_->Label9Click();
}

void TWelcomeForm::Label3Click() {
    logic_->Label3Click();
}

void TWelcomeForm::Label12Click() {
    logic_->Label12Click();
}

void TWelcomeForm::BtnSaveChangesClick() {
    logic_->BtnSaveChangesClick();
}

void TWelcomeForm::Button2Click() {
    logic_->Button2Click();
}

void TWelcomeForm::OnSignupFinished() {
    // The worker has ended: its result is ours now.
    logic_->SignUpFinished(runner_.TakeResult());
}

void TWelcomeForm::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TWelcomeForm::closeEvent(QCloseEvent* event) {
    logic_->FormClose();
    QDialog::closeEvent(event);
}

void TWelcomeForm::reject() {
    logic_->FormClose();
    QDialog::reject();
}

QWidget* TWelcomeForm::ControlWidget(ui::WelcomeControl control) const {
    using C = ui::WelcomeControl;
    switch (control) {
    case C::Panel1:
        return Panel1_;
    case C::Label12:
        return Label12_;
    case C::Label1:
        return Label1_;
    case C::Label5:
        return Label5_;
    case C::EdName:
        return EdName_;
    case C::Label6:
        return Label6_;
    case C::EdEmail:
        return EdEmail_;
    case C::LblEmailError:
        return LblEmailError_;
    case C::Label7:
        return Label7_;
    case C::EdWebsite:
        return EdWebsite_;
    case C::Label8:
        return Label8_;
    case C::EdDescription:
        return EdDescription_;
    case C::Button2:
        return Button2_;
    case C::Label9:
        return Label9_;
    case C::LblSendError:
        return LblSendError_;
    case C::Panel2:
        return Panel2_;
    case C::Label10:
        return Label10_;
    case C::Label2:
        return Label2_;
    case C::EdPartnerID:
        return EdPartnerID_;
    case C::Label4:
        return Label4_;
    case C::EdSoftwareID:
        return EdSoftwareID_;
    case C::Label11:
        return Label11_;
    case C::ComboBox1:
        return ComboBox1_;
    case C::BtnSaveChanges:
        return BtnSaveChanges_;
    case C::Label3:
        return Label3_;
    }
    return nullptr;
}

void TWelcomeForm::SetTitle(const std::string& title) {
    setWindowTitle(FromCore(title));
}

void TWelcomeForm::SetCaption(ui::WelcomeControl control, const std::string& caption) {
    QWidget* widget = ControlWidget(control);
    if (auto* button = qobject_cast<QPushButton*>(widget))
        button->setText(FromCore(caption));
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(FromCore(caption));
}

void TWelcomeForm::SetEnabled(ui::WelcomeControl control, bool enabled) {
    ControlWidget(control)->setEnabled(enabled);
}

std::string TWelcomeForm::Text(ui::WelcomeControl control) const {
    QWidget* widget = ControlWidget(control);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return ToCore(edit->text());
    if (auto* text = qobject_cast<QPlainTextEdit*>(widget))
        return ToCore(text->toPlainText());
    return {};
}

void TWelcomeForm::SetText(ui::WelcomeControl control, const std::string& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(ControlWidget(control)))
        edit->setText(FromCore(text));
}

void TWelcomeForm::SetLanguages(const std::vector<std::string>& names, int32_t selected) {
    ComboBox1_->clear();
    for (const std::string& name : names)
        ComboBox1_->addItem(FromCore(name));
    ComboBox1_->setCurrentIndex(selected);
}

int32_t TWelcomeForm::SelectedLanguage() const {
    return ComboBox1_->currentIndex();
}

void TWelcomeForm::ShowPage(ui::SignUpPage page, int clientWidth, int clientHeight) {
    const bool ids = page == ui::SignUpPage::IDs;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    Panel1_->setVisible(!ids);
    Panel2_->setVisible(ids);
    FitToPage();
    // Enter presses the button of the page shown.
    (ids ? BtnSaveChanges_ : Button2_)->setDefault(true);
}

void TWelcomeForm::FitToPage() {
    layout()->invalidate();
    layout()->activate();
    const int forWidth = layout()->heightForWidth(clientWidth_);
    const int height =
        std::max(clientHeight_, forWidth > 0 ? forWidth : layout()->sizeHint().height());
    setFixedSize(clientWidth_, height);
}

void TWelcomeForm::ShowNote(ui::WelcomeControl control, const std::string& core) {
    auto* label = qobject_cast<QLabel*>(ControlWidget(control));
    const QString text = MessageText(core);
    if (label->text() == text && label->isHidden() == text.isEmpty())
        return;
    label->setText(text);
    label->setVisible(!text.isEmpty());
    FitToPage();
}

void TWelcomeForm::Focus(ui::WelcomeControl control) {
    ControlWidget(control)->setFocus(Qt::OtherFocusReason);
}

void TWelcomeForm::SelectAll(ui::WelcomeControl control) {
    if (auto* edit = qobject_cast<QLineEdit*>(ControlWidget(control)))
        edit->selectAll();
}

void TWelcomeForm::SetBusy(bool busy) {
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void TWelcomeForm::ShowMessage(const ui::Message& message) {
    const QString title = FromCore(message.title);
    const QString text = MessageText(message.text);
    switch (message.kind) {
    case ui::Message::Kind::Information:
        QMessageBox::information(this, title, text);
        return;
    case ui::Message::Kind::Warning:
        QMessageBox::warning(this, title, text);
        return;
    case ui::Message::Kind::Error:
        QMessageBox::critical(this, title, text);
        return;
    }
}

void TWelcomeForm::ShowWriteError(const std::string& title, const std::string& text,
                                  const std::string& details) {
    QMessageBox box(QMessageBox::NoIcon, FromCore(title), FromCore(text), QMessageBox::Ok, this);
    box.setObjectName("RegistryErrorBox");
    box.setInformativeText(MessageText(details));
    box.exec();
}

void TWelcomeForm::OpenLink(const std::string& url) {
    Links.Open(this, QUrl(FromCore(url)), texts_);
}

void TWelcomeForm::StartSignUp(ui::SignUpBody body) {
    runner_.Start(std::move(body));
}

app::SignupResult TWelcomeForm::StopSignUp() {
    runner_.StopAndWait();
    return runner_.TakeResult();
}

void TWelcomeForm::CloseWindow() {
    accept();
}

} // namespace tolvane::gui
