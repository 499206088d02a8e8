// The Qt sign-up and IDs window over its logic, against the scripted SMTP
// server on loopback: what is typed going out, the boxes, a failed mail and
// a refused address laid out in the window, a silent server and closing
// during the attempt with the event loop turning; the IDs page's widgets;
// focus, Tab and Enter on both pages. The rules themselves are
// tests/ui/WelcomeFormLogicTest's.
#include "gui/WelcomeForm.h"

#include "GuiTestSupport.h"

#include "signup/Base64.h"
#include "support/ScriptedSmtpServer.h"
#include "support/SignupFixtures.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>

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
        form->Logic().Mail = TestMailSettings(smtpPort);
        form->Logic().Clock = [] { return TestTime(); };
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

    // The objectName of the widget that has the focus in `dialog`.
    static std::string Focused(QWidget* dialog) {
        QWidget* focus = dialog->focusWidget();
        return focus ? focus->objectName().toStdString() : "";
    }

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

    EXPECT_EQ(server.Received(), SignupDialogue(fields, server.Port()));
    // The queued result reached the window's state.
    EXPECT_TRUE(state_.SignedUp);
}

// A message in the window stands below the widget above it, within the
// window's width and height, and is tall enough for all its lines.
void ExpectWhole(QWidget* form, QLabel* message, QWidget* above) {
    const QRect box(message->mapTo(form, QPoint(0, 0)), message->size());
    const QRect over(above->mapTo(form, QPoint(0, 0)), above->size());
    EXPECT_TRUE(message->isVisible());
    EXPECT_TRUE(form->rect().contains(box)) << box.bottom() << " > " << form->height();
    EXPECT_GE(box.top(), over.bottom());
    EXPECT_GE(message->height(), message->heightForWidth(message->width()));
}

TEST_F(WelcomeFormTest, AFailedMailIsShownWholeInTheWindow) {
    const int closed = ClosedLoopbackPort();
    const QString failure =
        QString("Cannot connect to 127.0.0.1 port %1: Connection refused").arg(closed);
    auto form = Make(closed);
    bool checked = false;
    ModalScript script({[&](QWidget* dialog) {
        SignUpWith(TestFields())(dialog);
        ASSERT_TRUE(WaitFor([&] { return !form->Sending(); }));
        auto* error = Find<QLabel>(dialog, "LblSendError");
        EXPECT_EQ(error->text(), "Could not send entered information.\nPlease check your "
                                 "Internet connection.\n" +
                                     failure);
        ExpectWhole(dialog, error, Find<QWidget>(dialog, "EdDescription"));
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(Find<QWidget>(dialog, "Panel1")->isVisible());
        EXPECT_EQ(Find<QLineEdit>(dialog, "EdName")->text(), "Ann Lee");
        EXPECT_TRUE(Find<QPushButton>(dialog, "Button2")->isEnabled());
        // The next press says only what holds then.
        Find<QLineEdit>(dialog, "EdEmail")->setText("DDD");
        Find<QPushButton>(dialog, "Button2")->click();
        EXPECT_FALSE(error->isVisible());
        EXPECT_TRUE(Find<QLabel>(dialog, "LblEmailError")->isVisible());
        checked = true;
        form->reject();
    }});
    EXPECT_EQ(form->ShowModalOn(SignUpStep::Page::SignUp), 0);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(script.Unexpected().empty()) << script.Unexpected().front().toStdString();
}

// "DDD" typed and Enter pressed: no box, no connection, the message under
// the field and the focus in it; typing there again takes the message away.
TEST_F(WelcomeFormTest, ABadAddressIsRefusedBesideItsFieldBeforeAnythingIsSent) {
    ScriptedSmtpServer server("220 ready", AcceptingReplies());
    auto form = Make(server.Port());
    bool checked = false;
    ModalScript script({[&](QWidget* dialog) {
        auto* email = Find<QLineEdit>(dialog, "EdEmail");
        Find<QLineEdit>(dialog, "EdName")->setText("Ann Lee");
        QTest::keyClicks(email, "DDD");
        QTest::keyClick(email, Qt::Key_Return);
        EXPECT_FALSE(form->Sending());
        auto* message = Find<QLabel>(dialog, "LblEmailError");
        EXPECT_EQ(message->text(),
                  "Please enter a valid email address, for example name@example.com.");
        ExpectWhole(dialog, message, email);
        EXPECT_EQ(message->mapTo(dialog, QPoint(0, 0)).x(), email->mapTo(dialog, QPoint(0, 0)).x());
        EXPECT_LT(message->mapTo(dialog, QPoint(0, 0)).y(),
                  Find<QWidget>(dialog, "EdWebsite")->mapTo(dialog, QPoint(0, 0)).y());
        EXPECT_EQ(Focused(dialog), "EdEmail");
        QTest::keyClicks(email, "x");
        EXPECT_FALSE(message->isVisible());
        checked = true;
        form->reject();
    }});
    form->ShowModalOn(SignUpStep::Page::SignUp);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(script.Unexpected().empty()) << script.Unexpected().front().toStdString();
    EXPECT_FALSE(server.Connected());
}

// Focus starts in the first empty required field; Tab goes round the page
// shown in the order it is seen, Shift+Tab the other way.
TEST_F(WelcomeFormTest, FocusAndTabFollowThePageAsItIsSeen) {
    using Names = std::vector<std::string>;
    const Names signUp = {"Label12",       "EdName", "EdEmail", "EdWebsite",
                          "EdDescription", "Label9", "Button2"};
    const Names ids = {"EdPartnerID", "EdSoftwareID", "ComboBox1", "Label3", "BtnSaveChanges"};
    const struct {
        SignUpStep::Page page;
        Names filled; // fields typed into before the window shows
        std::string first;
    } cases[] = {
        {SignUpStep::Page::SignUp, {}, "EdName"},
        {SignUpStep::Page::SignUp, {"EdName"}, "EdEmail"},
        {SignUpStep::Page::SignUp, {"EdName", "EdEmail"}, "Button2"},
        {SignUpStep::Page::IDs, {}, "EdPartnerID"},
        {SignUpStep::Page::IDs, {"EdPartnerID"}, "EdSoftwareID"},
        {SignUpStep::Page::IDs, {"EdPartnerID", "EdSoftwareID"}, "BtnSaveChanges"},
    };
    for (const auto& c : cases) {
        const Names& order = c.page == SignUpStep::Page::IDs ? ids : signUp;
        auto form = Make(9);
        for (const std::string& name : c.filled)
            Find<QLineEdit>(form.get(), name.c_str())->setText("x@y.example");
        Names forward, backward;
        std::string first;
        ModalScript script({[&](QWidget* dialog) {
            first = Focused(dialog);
            for (size_t i = 0; i < order.size(); ++i) {
                QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
                forward.push_back(Focused(dialog));
            }
            for (size_t i = 0; i < order.size(); ++i) {
                QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
                backward.insert(backward.begin(), Focused(dialog));
            }
            form->reject();
        }});
        form->ShowModalOn(c.page);
        EXPECT_EQ(first, c.first) << c.filled.size();
        // Round from the first field to it again, and back: the page's order
        // begun at the first field.
        Names fromFirst = order;
        std::rotate(fromFirst.begin(), std::find(fromFirst.begin(), fromFirst.end(), c.first),
                    fromFirst.end());
        EXPECT_EQ(backward, fromFirst);
        std::rotate(fromFirst.begin(), fromFirst.begin() + 1, fromFirst.end());
        EXPECT_EQ(forward, fromFirst);
    }
}

TEST_F(WelcomeFormTest, ClosingTheWindowWhileASilentServerIsWaitedForCancelsTheAttempt) {
    ScriptedSmtpServer server("", {});
    auto form = Make(server.Port());
    form->Logic().Mail.smtp.replyTimeout = std::chrono::seconds(30);
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

// IDs pasted from the mail with blanks around them, and Enter pressed.
TEST_F(WelcomeFormTest, EnterOnTheIdsPageSavesWhatWasTypedWithTheLanguageChosen) {
    auto form = Make(9);
    ModalScript script({[](QWidget* dialog) {
        for (const char* label : {"Label2", "Label4"}) // the fields the warning means
            EXPECT_TRUE(Find<QLabel>(dialog, label)->text().contains('*')) << label;
        QTest::keyClicks(Find<QLineEdit>(dialog, "EdPartnerID"), " P-777 ");
        auto* software = Find<QLineEdit>(dialog, "EdSoftwareID");
        software->setText(QString::fromUtf8("\tS/888\u00a0"));
        Find<QComboBox>(dialog, "ComboBox1")->setCurrentIndex(3);
        QTest::keyClick(software, Qt::Key_Enter);
    }});
    EXPECT_EQ(form->ShowModalOn(SignUpStep::Page::IDs), 1);
    EXPECT_TRUE(script.Unexpected().empty());
    EXPECT_EQ(state_.PartnerID, "P-777");
    EXPECT_EQ(state_.SoftwareID, "S/888");
    EXPECT_TRUE(state_.SignedUp);
    EXPECT_EQ(state_.TargetLanguage, 3);
    EXPECT_EQ(Find<QLineEdit>(form.get(), "EdPartnerID")->text(), "P-777");
    // Into the file the program keeps them in.
    EXPECT_NE(SettingsText().find("softwareid=sz:S/888\n"), std::string::npos);
}

// The warning's box, and the focus back in the field to fill once it closed.
TEST_F(WelcomeFormTest, AnEmptyIdShowsTheWarningAndTheFocusGoesBackToIt) {
    auto form = Make(9);
    QString warning;
    std::string focusAfter;
    ModalScript script({[](QWidget* dialog) {
                            Find<QLineEdit>(dialog, "EdPartnerID")->setText("P1");
                            Find<QLineEdit>(dialog, "EdSoftwareID")->clear();
                            Find<QPushButton>(dialog, "BtnSaveChanges")->click();
                        },
                        ReadMessage(&warning),
                        [&](QWidget* dialog) {
                            focusAfter = Focused(dialog);
                            form->reject();
                        }});
    QTimer again;
    QObject::connect(&again, &QTimer::timeout, [&] {
        if (script.StepsDone() == 2 && QApplication::activeModalWidget() == form.get())
            form->setProperty("answered", false);
    });
    again.start(20);
    EXPECT_EQ(form->ShowModalOn(SignUpStep::Page::IDs), 0);
    EXPECT_EQ(warning, "Please fill out all fields marked with *");
    EXPECT_EQ(focusAfter, "EdSoftwareID");
    EXPECT_EQ(form->Tag(), 0);
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
