#include "WelcomeForm.h"

#include "LinkLabel.h"

#include "app/ReferralRef.h"
#include "app/SettingsStore.h"
#include "signup/Base64.h"
#include "signup/EmailAddress.h"

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

#include <array>

namespace tolvane::gui {

namespace {

constexpr int kClientWidth = 385;
constexpr int kSignUpHeight = 340;
constexpr int kIdsHeight = 210;
constexpr const char* kRegistryWriteError = "Error writing data to Registry";

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
    : QDialog(parent), Mail(app::MakeSignupMailSettings(vendor)), state_(state), table_(table),
      texts_(texts), vendor_(vendor),
      runner_([](const app::SignupRequest& request, JobRunnerBase::Worker& worker) {
          return app::SignUp(request, worker.Token());
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
    Label2_->setText("Affiliate ID*:");
    EdPartnerID_ = MakeEdit("EdPartnerID", Panel2_, Label2_);
    Label4_ = MakeLabel("Label4", Panel2_, false, Qt::AlignRight | Qt::AlignVCenter);
    Label4_->setText("Software ID*:");
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
    connect(EdEmail_, &QLineEdit::textEdited, this, [this] { ShowMessage(LblEmailError_, {}); });
    connect(&runner_, &JobRunnerBase::finished, this, &TWelcomeForm::OnSignupFinished);
    FormCreate();
}

TWelcomeForm::~TWelcomeForm() {
    CancelSending();
}

void TWelcomeForm::FormCreate() {
    for (size_t language = 0; language < table_.Languages(); ++language)
        ComboBox1_->addItem(FromCore(table_.At(0, language)));
    const int32_t target = state_.TargetLanguage;
    ComboBox1_->setCurrentIndex(target >= 0 && target < ComboBox1_->count() ? target : -1);
}

void TWelcomeForm::FormShow() {
    setWindowTitle(texts_("Welcome!"));
    Label10_->setText(texts_("Have you received email from Quorvel with your Affiliate ID and "
                             "Software ID? If so, please enter that information below."));
    Label3_->setText(texts_("<< Return to Signup page"));
    BtnSaveChanges_->setText(texts_("Save Changes"));
    Label1_->setText(texts_("Before to start monetization, you need to signup first. Please "
                            "enter the information about you and your main website, then click "
                            "\"Signup!\"."));
    Label5_->setText(texts_("Your name*:"));
    Label7_->setText(texts_("Your website:"));
    Label6_->setText(texts_("Your email*:"));
    Label8_->setText(texts_("If you will use monetized files on your website, please describe "
                            "it. What kind of downloads are you providing? How many downloads "
                            "per day?"));
    Label9_->setText(texts_("I already have an account. Skip this step."));
    Button2_->setText(texts_("Sign up!"));
    Label11_->setText(texts_("The most commonly used language of people who will download "
                             "monetized files:"));
    Label12_->setText(texts_("Click here to watch tutorial"));
    ShowPage(Panel2_->isVisible() ? Page::IDs : Page::SignUp);
}

void TWelcomeForm::ShowPage(Page page) {
    const bool ids = page == Page::IDs;
    Panel1_->setVisible(!ids);
    Panel2_->setVisible(ids);
    FitToPage();
    // Enter presses the button of the page shown.
    (ids ? BtnSaveChanges_ : Button2_)->setDefault(true);
    FocusFirstEmptyField();
}

void TWelcomeForm::FitToPage() {
    // The page's client size, taller only where a language's texts or a
    // message shown in the window need it.
    const bool ids = Panel2_->isVisibleTo(this);
    layout()->invalidate();
    layout()->activate();
    const int forWidth = layout()->heightForWidth(kClientWidth);
    const int height = std::max(ids ? kIdsHeight : kSignUpHeight,
                                forWidth > 0 ? forWidth : layout()->sizeHint().height());
    setFixedSize(kClientWidth, height);
}

void TWelcomeForm::FocusFirstEmptyField() {
    const bool ids = Panel2_->isVisibleTo(this);
    const std::array<QLineEdit*, 2> required =
        ids ? std::array{EdPartnerID_, EdSoftwareID_} : std::array{EdName_, EdEmail_};
    for (QLineEdit* field : required) {
        // The IDs are stored without the blanks around them.
        if (ids ? app::TrimmedId(ToCore(field->text())).empty() : field->text().isEmpty()) {
            field->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    (ids ? BtnSaveChanges_ : Button2_)->setFocus(Qt::OtherFocusReason);
}

void TWelcomeForm::ShowMessage(QLabel* label, const QString& text) {
    if (label->text() == text && label->isHidden() == text.isEmpty())
        return;
    label->setText(text);
    label->setVisible(!text.isEmpty());
    FitToPage();
}

int32_t TWelcomeForm::ShowModalOn(Page page) {
    ShowPage(page);
    exec();
    return tag_;
}

void TWelcomeForm::FillIds(const std::string& partnerId, const std::string& softwareId) {
    EdPartnerID_->setText(FromCore(partnerId));
    EdSoftwareID_->setText(FromCore(softwareId));
}

void TWelcomeForm::Label9Click() {
    ShowPage(Page::IDs);
}

void TWelcomeForm::Label3Click() {
    ShowPage(Page::SignUp);
}

void TWelcomeForm::Label12Click() {
    Links.Open(this, QUrl(FromCore("http://" + vendor_.homeHost)), texts_);
}

void TWelcomeForm::BtnSaveChangesClick() {
    // Pasted from the partner's mail, the IDs often bring blanks along.
    const std::string partnerId = app::TrimmedId(ToCore(EdPartnerID_->text()));
    const std::string softwareId = app::TrimmedId(ToCore(EdSoftwareID_->text()));
    if (partnerId.empty() || softwareId.empty()) {
        QMessageBox::warning(this, windowTitle(),
                             texts_("Please fillout all fields marked with *"));
        FocusFirstEmptyField();
        return;
    }
    tag_ = 1;
    EdPartnerID_->setText(FromCore(partnerId));
    EdSoftwareID_->setText(FromCore(softwareId));
    state_.PartnerID = partnerId;
    state_.SoftwareID = softwareId;
    state_.SignedUp = true;
    SaveSettings();
    accept();
}

void TWelcomeForm::SaveSettings() {
    state_.TargetLanguage = ComboBox1_->currentIndex();
    const app::Settings settings{state_.SignedUp, state_.PartnerID, state_.SoftwareID,
                                 state_.TargetLanguage};
    const platform::Expected<void> saved =
        app::SettingsStore(app::SettingsStore::DefaultPath()).Save(settings);
    if (!saved)
        ShowWriteError(saved.Error());
}

void TWelcomeForm::ShowWriteError(const platform::Report& report) {
    QMessageBox box(QMessageBox::NoIcon, windowTitle(), kRegistryWriteError, QMessageBox::Ok, this);
    box.setObjectName("RegistryErrorBox");
    box.setInformativeText(MessageText(platform::TextWithCause(report)));
    box.exec();
}

void TWelcomeForm::Button2Click() {
    // One mail at a time: a second press while one is on its way does nothing.
    if (Sending())
        return;
    // What went wrong with the last press no longer holds.
    ShowMessage(LblSendError_, {});
    signup::SignupFields fields{ToCore(EdName_->text()), ToCore(EdEmail_->text()),
                                ToCore(EdWebsite_->text()), ToCore(EdDescription_->toPlainText())};
    if (fields.name.empty() || fields.email.empty()) {
        QMessageBox::warning(this, windowTitle(),
                             texts_("Please fillout all fields marked with *"));
        FocusFirstEmptyField();
        return;
    }
    // Refused here, before anything is sent, where the address is typed.
    if (!signup::IsEmailAddress(fields.email)) {
        ShowMessage(LblEmailError_, texts_(app::kBadEmailText));
        EdEmail_->setFocus(Qt::OtherFocusReason);
        EdEmail_->selectAll();
        return;
    }
    ShowMessage(LblEmailError_, {});
    abandoned_ = false;
    Button2_->setEnabled(false);
    setCursor(Qt::BusyCursor);
    // The mail works on a copy of what it needs and hands back what changed.
    runner_.Start(app::SignupRequest{
        .texts = table_,
        .uiLanguage = state_.UILanguage,
        .fields = std::move(fields),
        .selectedLanguage = ComboBox1_->currentIndex(),
        .stored = {state_.SignedUp, state_.PartnerID, state_.SoftwareID, state_.TargetLanguage},
        .store = app::SettingsStore(app::SettingsStore::DefaultPath()),
        .mail = Mail,
        .clock = Clock,
    });
}

void TWelcomeForm::OnSignupFinished() {
    const app::SignupResult result = runner_.TakeResult();
    Button2_->setEnabled(true);
    unsetCursor();
    // SignedUp and TargetLanguage were set (and stored) once the mail was
    // accepted, also when the window was closed just after.
    result.ApplyTo(state_);
    if (abandoned_)
        return;
    if (result.settingsError)
        ShowWriteError(*result.settingsError);
    switch (result.outcome) {
    case app::SignupResult::Outcome::Sent:
        QMessageBox::information(this, windowTitle(), MessageText(result.report.text));
        accept(); // Tag stays as it was
        return;
    case app::SignupResult::Outcome::MissingFields:
        QMessageBox::warning(this, windowTitle(), MessageText(result.report.text));
        return;
    case app::SignupResult::Outcome::BadEmail:
        ShowMessage(LblEmailError_, MessageText(result.report.text));
        EdEmail_->setFocus(Qt::OtherFocusReason);
        return;
    case app::SignupResult::Outcome::NotSent:
        // In the window, with the failure's own text, which stays open on the
        // sign-up page for another try.
        ShowMessage(LblSendError_, MessageText(result.report.text) + "\n" +
                                       WithoutPassword(result.report.extendedMsg));
        Button2_->setFocus(Qt::OtherFocusReason);
        return;
    }
}

QString TWelcomeForm::WithoutPassword(const std::string& text) const {
    std::string out = text;
    const std::string& password = Mail.smtp.password;
    if (password.empty())
        return MessageText(out);
    for (const std::string& secret : {password, signup::EncodeBase64(password)}) {
        for (size_t at = out.find(secret); at != std::string::npos; at = out.find(secret, at))
            out.replace(at, secret.size(), "********");
    }
    return MessageText(out);
}

void TWelcomeForm::CancelSending() {
    if (!Sending())
        return;
    abandoned_ = true;
    runner_.StopAndWait();
    OnSignupFinished();
}

void TWelcomeForm::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TWelcomeForm::closeEvent(QCloseEvent* event) {
    CancelSending();
    QDialog::closeEvent(event);
}

void TWelcomeForm::reject() {
    CancelSending();
    QDialog::reject();
}

} // namespace tolvane::gui
