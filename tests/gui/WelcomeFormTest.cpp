// The sign-up and IDs window against the scripted SMTP server on loopback:
// the dialogue as received, the boxes, a refused login, a silent server and
// closing during the attempt; the IDs page and its settings file.
#include "gui/WelcomeForm.h"

#include "GuiTestSupport.h"

#include "signup/Base64.h"
#include "support/ScriptedSmtpServer.h"
#include "support/SignupFixtures.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <filesystem>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::gui;
using namespace tolvane::test;

namespace {

class WelcomeFormTest : public ::testing::Test {
protected:
    WelcomeFormTest()
        : table_(app::TranslationTable::Load(app::TranslationFileBesideProgram(), 5, warnings_)),
          texts_(table_, 0) {
        state_.TargetLanguage = 2;
    }

    std::unique_ptr<TWelcomeForm> Make(int smtpPort) {
        auto form = std::make_unique<TWelcomeForm>(state_, table_, texts_,
                                                   app::VendorConfig::FromEnvironment());
        form->Mail = TestMailSettings(smtpPort);
        form->Clock = [] { return TestTime(); };
        return form;
    }

    // Types the publisher's entries and presses "Sign up!".
    static ModalScript::Step SignUpWith(const signup::SignupFields& fields) {
        return [fields](QWidget* form) {
            Find<QLineEdit>(form, "EdName")->setText(QString::fromStdString(fields.name));
            Find<QLineEdit>(form, "EdEmail")->setText(QString::fromStdString(fields.email));
            Find<QLineEdit>(form, "EdWebsite")->setText(QString::fromStdString(fields.website));
            Find<QPlainTextEdit>(form, "EdDescription")
                ->setPlainText(QString::fromStdString(fields.description));
            Find<QPushButton>(form, "Button2")->click();
        };
    }

    std::string SettingsText() const { return ReadFileText(sandbox_.SettingsFile()); }

    GuiSandbox sandbox_;
    std::ostringstream warnings_;
    app::TranslationTable table_;
    UiTexts texts_;
    app::ProgramState state_;
};

TEST_F(WelcomeFormTest, TheSignUpMailGoesOutAsTypedAndTheWindowThanksAndCloses) {
    ScriptedSmtpServer server("220 mail.example ready", AcceptingReplies());
    auto form = Make(server.Port());
    QString thanks;
    signup::SignupFields fields = TestFields();
    fields.description = "Shareware games.\n.\nAbout 300 downloads a day.";
    ModalScript script({SignUpWith(fields), ReadMessage(&thanks)});
    EXPECT_EQ(form->ShowModalOn(SignUpStep::Page::SignUp), 0);
    EXPECT_EQ(script.StepsDone(), 2u);
    EXPECT_TRUE(script.Unexpected().empty());
    EXPECT_EQ(thanks, "Thank you for signing up. You will receive email from Quorvel within the "
                      "next few days.\nThe email will contain your account information, your "
                      "Affiliate ID and Software ID. After that, run this program again, and start "
                      "monetizing your files!");
    EXPECT_FALSE(form->isVisible());

    const auto mail = TestMailSettings(server.Port());
    std::vector<std::string> expected = {"EHLO " + HostName(),
                                         "RSET",
                                         "AUTH LOGIN",
                                         signup::EncodeBase64(mail.smtp.userName),
                                         signup::EncodeBase64(mail.smtp.password),
                                         "MAIL FROM:<signup@tolvane.example>",
                                         "RCPT TO:<partners@quorvel.example>",
                                         "RCPT TO:<support@tolvane.example>",
                                         "DATA"};
    for (const std::string& line : signup::SignupMessageText(fields, mail, TestTime()))
        expected.push_back((!line.empty() && line[0] == '.' ? "." : "") + line);
    expected.insert(expected.end(), {".", "QUIT"});
    EXPECT_EQ(server.Received(), expected);
    // Signed up, and the language choice stored, before the mail went.
    EXPECT_TRUE(state_.SignedUp);
    EXPECT_EQ(SettingsText(), "# Tolvane settings\nsignedup=dword:1\npartnerid=sz:\n"
                              "softwareid=sz:\ntargetlanguage=dword:2\n");
}

TEST_F(WelcomeFormTest, ARefusedLoginShowsBothBoxesWithoutThePasswordAndStaysOpen) {
    const std::string password64 = signup::EncodeBase64(TestMailSettings(0).smtp.password);
    std::vector<std::string> replies = AcceptingReplies();
    replies.resize(4);
    replies.push_back("535 5.7.8 credentials " + password64 + " rejected");
    ScriptedSmtpServer server("220 ready", replies);
    auto form = Make(server.Port());
    QString first, second;
    bool openAfterwards = false;
    ModalScript script(
        {SignUpWith(TestFields()), ReadMessage(&first), ReadMessage(&second), [&](QWidget* dialog) {
             openAfterwards = dialog == form.get() && dialog->isVisible();
             EXPECT_EQ(Find<QLineEdit>(dialog, "EdName")->text(), "Ann Lee");
             EXPECT_TRUE(Find<QPushButton>(dialog, "Button2")->isEnabled());
             form->reject();
         }});
    // The window answers the script itself once the boxes are gone.
    QTimer again;
    QObject::connect(&again, &QTimer::timeout, [&] {
        if (script.StepsDone() == 3 && QApplication::activeModalWidget() == form.get())
            form->setProperty("answered", false);
    });
    again.start(20);
    form->ShowModalOn(SignUpStep::Page::SignUp);
    EXPECT_EQ(first, "Could not send entered information.\nPlease check your Internet connection.");
    EXPECT_EQ(second, "5.7.8 credentials ******** rejected");
    EXPECT_TRUE(openAfterwards);
    EXPECT_EQ(form->Tag(), 0);
    EXPECT_TRUE(state_.SignedUp);
}

TEST_F(WelcomeFormTest, ClosingTheWindowWhileASilentServerIsWaitedForCancelsTheAttempt) {
    ScriptedSmtpServer server("", {});
    auto form = Make(server.Port());
    form->Mail.smtp.replyTimeout = std::chrono::seconds(30);
    qint64 closedAfter = -1;
    ModalScript script({SignUpWith(TestFields()), [&](QWidget*) {}});
    QTimer watch;
    QElapsedTimer clock;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!form->Sending() || !server.Connected() || closedAfter >= 0)
            return;
        // Busy: the button is off, and a second press starts no second mail.
        EXPECT_FALSE(Find<QPushButton>(form.get(), "Button2")->isEnabled());
        form->Button2Click();
        clock.start();
        form->close();
        closedAfter = clock.elapsed();
    });
    watch.start(20);
    form->ShowModalOn(SignUpStep::Page::SignUp);
    ASSERT_GE(closedAfter, 0);
    EXPECT_LT(closedAfter, 2000); // not the 30 s of the reply limit
    EXPECT_FALSE(form->Sending());
    EXPECT_TRUE(server.Received().empty());   // returns once the client has closed
    EXPECT_TRUE(script.Unexpected().empty()); // no failure boxes after a cancel
}

TEST_F(WelcomeFormTest, SavingIdsStoresThemAsTypedWithTheLanguage) {
    auto form = Make(9);
    ModalScript script({[](QWidget* dialog) {
        Find<QLineEdit>(dialog, "EdPartnerID")->setText(" P-1 ");
        Find<QLineEdit>(dialog, "EdSoftwareID")->setText("S2");
        Find<QComboBox>(dialog, "ComboBox1")->setCurrentIndex(3);
        Find<QPushButton>(dialog, "BtnSaveChanges")->click();
    }});
    EXPECT_EQ(form->ShowModalOn(SignUpStep::Page::IDs), 1);
    EXPECT_EQ(state_.PartnerID, " P-1 ");
    EXPECT_EQ(state_.SoftwareID, "S2");
    EXPECT_TRUE(state_.SignedUp);
    EXPECT_EQ(state_.TargetLanguage, 3);
    EXPECT_EQ(SettingsText(), "# Tolvane settings\nsignedup=dword:1\npartnerid=sz: P-1 \n"
                              "softwareid=sz:S2\ntargetlanguage=dword:3\n");
}

TEST_F(WelcomeFormTest, OneEmptyIdShowsOnlyTheWarning) {
    auto form = Make(9);
    QString warning;
    ModalScript script({[](QWidget* dialog) {
                            Find<QLineEdit>(dialog, "EdPartnerID")->setText("P1");
                            Find<QPushButton>(dialog, "BtnSaveChanges")->click();
                        },
                        ReadMessage(&warning), Reject()});
    QTimer again;
    QObject::connect(&again, &QTimer::timeout, [&] {
        if (script.StepsDone() == 2 && QApplication::activeModalWidget() == form.get())
            form->setProperty("answered", false);
    });
    again.start(20);
    EXPECT_EQ(form->ShowModalOn(SignUpStep::Page::IDs), 0);
    EXPECT_EQ(warning, "Please fill out all fields marked with *");
    EXPECT_EQ(state_.PartnerID, "");
    EXPECT_FALSE(state_.SignedUp);
    EXPECT_FALSE(fs::exists(sandbox_.SettingsFile()));
}

TEST_F(WelcomeFormTest, WithoutATranslationTableTheListIsEmptyAndMinusOneIsStored) {
    const app::TranslationTable none;
    TWelcomeForm form(state_, none, texts_, app::VendorConfig::FromEnvironment());
    auto* languages = Find<QComboBox>(&form, "ComboBox1");
    EXPECT_EQ(languages->count(), 0);
    EXPECT_EQ(languages->currentIndex(), -1);
    ModalScript script({[](QWidget* dialog) {
        Find<QLineEdit>(dialog, "EdPartnerID")->setText("P1");
        Find<QLineEdit>(dialog, "EdSoftwareID")->setText("S1");
        Find<QPushButton>(dialog, "BtnSaveChanges")->click();
    }});
    EXPECT_EQ(form.ShowModalOn(SignUpStep::Page::IDs), 1);
    EXPECT_EQ(state_.TargetLanguage, -1);
    EXPECT_NE(SettingsText().find("targetlanguage=dword:-1\n"), std::string::npos);
}

TEST_F(WelcomeFormTest, TheLinksSwitchPagesAtTheirHeightsAndKeepWhatWasTyped) {
    auto form = Make(9);
    ModalScript script({[&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Welcome!");
        EXPECT_EQ(dialog->height(), 340);
        EXPECT_EQ(Find<QComboBox>(dialog, "ComboBox1")->currentIndex(), 2);
        Find<QLineEdit>(dialog, "EdName")->setText("Ann");
        QTest::mouseClick(Find<QWidget>(dialog, "Label9"), Qt::LeftButton);
        EXPECT_TRUE(Find<QWidget>(dialog, "Panel2")->isVisible());
        EXPECT_FALSE(Find<QWidget>(dialog, "Panel1")->isVisible());
        EXPECT_EQ(dialog->height(), 210);
        EXPECT_EQ(dialog->width(), 385);
        QTest::mouseClick(Find<QWidget>(dialog, "Label3"), Qt::LeftButton);
        EXPECT_EQ(dialog->height(), 340);
        EXPECT_EQ(Find<QLineEdit>(dialog, "EdName")->text(), "Ann");
        form->reject();
    }});
    EXPECT_EQ(form->ShowModalOn(SignUpStep::Page::SignUp), 0);
    EXPECT_EQ(script.StepsDone(), 1u);
}

} // namespace
