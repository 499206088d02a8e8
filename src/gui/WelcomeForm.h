// TWelcomeForm: the sign-up page (Panel1) and the IDs page (Panel2) taking
// turns in one modal window. The sign-up mail goes out on the job runner
// while the window stays alive; closing the window cancels it.
#pragma once

#include "JobRunner.h"
#include "OpenLink.h"
#include "StartUpSteps.h"
#include "UiTexts.h"

#include "app/ProgramState.h"
#include "app/SignUp.h"
#include "app/VendorConfig.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tolvane::gui {

class LinkLabel;

class TWelcomeForm : public QDialog, public SignUpStep {
    Q_OBJECT
public:
    // `state` is the program's (the window reads and replaces SignedUp, the
    // IDs and TargetLanguage); `table` the translation table. Both outlive it.
    TWelcomeForm(app::ProgramState& state, const app::TranslationTable& table, const UiTexts& texts,
                 const app::VendorConfig& vendor, QWidget* parent = nullptr);
    // Cancels a mail still being sent and waits for it.
    ~TWelcomeForm() override;

    // 0 at creation, 1 once IDs were saved.
    int32_t Tag() const { return tag_; }
    // The mail's server, account and time limits (tests shorten them).
    signup::SignupMailSettings Mail;
    // The clock of the mail's Date line.
    signup::LocalClock Clock = signup::CurrentLocalTime;
    // How the tutorial link is opened (a box with the address where nothing takes it).
    LinkOpener Links;
    // Whether a mail is being sent.
    bool Sending() const { return runner_.Running(); }

    int32_t ShowModalOn(Page page) override;
    // The IDs page's fields, as the Configure command fills them.
    void FillIds(const std::string& partnerId, const std::string& softwareId) override;

public slots:
    // Closing the window (Escape, the title bar) cancels a mail on its way.
    void reject() override;
    void FormShow();
    void Label9Click();
    void Label3Click();
    void Label12Click();
    void Button2Click();
    void BtnSaveChangesClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void OnSignupFinished();

private:
    void FormCreate();
    // Shows `page` at its size, with its button the default one and the focus
    // in its first empty required field.
    void ShowPage(Page page);
    void FitToPage();
    void FocusFirstEmptyField();
    // Shows `text` in `label` in the window (hides it when empty) and fits
    // the window round it.
    void ShowMessage(QLabel* label, const QString& text);
    void SaveSettings();
    // The box that says the settings could not be written, with the file and
    // the cause.
    void ShowWriteError(const platform::Report& report);
    // Stops a running mail (the connection closed at once) and waits for it.
    void CancelSending();
    // The failure's text without the account's password in any form.
    QString WithoutPassword(const std::string& text) const;

    app::ProgramState& state_;
    const app::TranslationTable& table_;
    const UiTexts& texts_;
    app::VendorConfig vendor_;
    int32_t tag_ = 0;

    QWidget* Panel1_;
    LinkLabel* Label12_;
    QLabel* Label1_;
    QLabel* Label5_;
    QLineEdit* EdName_;
    QLabel* Label6_;
    QLineEdit* EdEmail_;
    QLabel* LblEmailError_; // why the address was refused
    QLabel* Label7_;
    QLineEdit* EdWebsite_;
    QLabel* Label8_;
    QPlainTextEdit* EdDescription_;
    QPushButton* Button2_;
    LinkLabel* Label9_;
    QLabel* LblSendError_; // why the mail could not be sent

    QWidget* Panel2_;
    QLabel* Label10_;
    QLabel* Label2_;
    QLineEdit* EdPartnerID_;
    QLabel* Label4_;
    QLineEdit* EdSoftwareID_;
    QLabel* Label11_;
    QComboBox* ComboBox1_;
    QPushButton* BtnSaveChanges_;
    LinkLabel* Label3_;

    // The window was closed while the mail was on its way: its result is
    // applied, but nothing is shown.
    bool abandoned_ = false;
    // Last: it stops and waits for the mail before the rest goes.
    JobRunner<app::SignupRequest, app::SignupResult> runner_;
};

} // namespace tolvane::gui
