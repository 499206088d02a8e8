// TWelcomeForm: the sign-up page (Panel1) and the IDs page (Panel2) taking
// turns in one modal window, a view over ui::WelcomeFormLogic. The sign-up
// mail goes out on the job runner while the window stays alive; closing the
// window cancels it.
#pragma once

#include "JobRunner.h"
#include "OpenLink.h"
#include "StartUpSteps.h"
#include "UiTexts.h"

#include "app/ProgramState.h"
#include "app/SignUp.h"
#include "app/VendorConfig.h"
#include "ui/WelcomeFormLogic.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tolvane::gui {

class LinkLabel;

class TWelcomeForm : public QDialog, public SignUpStep, private ui::WelcomeFormView {
    Q_OBJECT
public:
    // `state` is the program's (the window reads and replaces SignedUp, the
    // IDs and TargetLanguage); `table` the translation table. Both outlive it.
    TWelcomeForm(app::ProgramState& state, const app::TranslationTable& table, const UiTexts& texts,
                 const app::VendorConfig& vendor, QWidget* parent = nullptr);
    // Cancels a mail still being sent and waits for it.
    ~TWelcomeForm() override;

    // 0 at creation, 1 once IDs were saved.
    int32_t Tag() const { return logic_->Tag(); }
    // The window's state and rules; its mail settings and clock, which tests shorten.
    ui::WelcomeFormLogic& Logic() { return *logic_; }
    // How the tutorial link is opened (a box with the address where nothing takes it).
    LinkOpener Links;
    // Whether a mail is being sent.
    bool Sending() const { return logic_->Sending(); }

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
    // What the logic asks of this window.
    void SetTitle(const std::string& title) override;
    void SetCaption(ui::WelcomeControl control, const std::string& caption) override;
    void SetEnabled(ui::WelcomeControl control, bool enabled) override;
    std::string Text(ui::WelcomeControl control) const override;
    void SetText(ui::WelcomeControl control, const std::string& text) override;
    void SetLanguages(const std::vector<std::string>& names, int32_t selected) override;
    int32_t SelectedLanguage() const override;
    void ShowPage(ui::SignUpPage page, int clientWidth, int clientHeight) override;
    void ShowNote(ui::WelcomeControl control, const std::string& text) override;
    void Focus(ui::WelcomeControl control) override;
    void SelectAll(ui::WelcomeControl control) override;
    void SetBusy(bool busy) override;
    void ShowMessage(const ui::Message& message) override;
    void ShowWriteError(const std::string& title, const std::string& text,
                        const std::string& details) override;
    void OpenLink(const std::string& url) override;
    void StartSignUp(ui::SignUpBody body) override;
    app::SignupResult StopSignUp() override;
    void CloseWindow() override;

    QWidget* ControlWidget(ui::WelcomeControl control) const;
    // Fits the window to the page shown: the page's client size, taller only
    // where a language's texts or a message shown in the window need it.
    void FitToPage();

    const UiTexts& texts_;
    // The page's client size, as the logic last showed it.
    int clientWidth_ = ui::WelcomeFormLogic::kClientWidth;
    int clientHeight_ = ui::WelcomeFormLogic::kSignUpHeight;

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

    std::unique_ptr<ui::WelcomeFormLogic> logic_;
    // Last: it stops and waits for the mail before the rest goes.
    JobRunner<ui::SignUpBody, app::SignupResult> runner_;
};

} // namespace tolvane::gui
