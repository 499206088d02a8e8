// The sign-up window's logic against a view that records what it was asked
// and runs the mail where the test says, against the scripted SMTP server on
// loopback: what is refused before anything is sent, the mail as received
// and its result applied once it went out, a failed mail said in the window
// without the password, closing while it waits, the IDs page and the
// settings stored, the pages, the focus and the texts.
#include "ui/WelcomeFormLogic.h"

#include "signup/Base64.h"
#include "support/ScriptedSmtpServer.h"
#include "support/SignupFixtures.h"
#include "support/TempFolder.h"

#ifdef _WIN32
#include "platform/RegistryKey.h"
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>

using namespace tolvane;
using namespace tolvane::ui;
using namespace tolvane::test;
using C = WelcomeControl;

namespace {

class FakeView : public WelcomeFormView {
public:
    std::map<C, std::string> texts; // what is typed
    std::map<C, std::string> captions;
    std::map<C, bool> enabled;
    std::map<C, std::string> notes; // shown in the window; empty: hidden
    std::string title;
    std::vector<std::string> languages;
    int32_t language = -1;
    std::vector<std::string> pages; // "SignUp 385x340"
    std::string focus;
    C selectedAll = C::Panel1;
    bool busy = false;
    std::vector<Message> messages;
    std::vector<std::string> writeErrors;
    std::vector<std::string> links;
    std::optional<SignUpBody> body;
    int started = 0;
    int stops = 0;
    int closes = 0;

    void SetTitle(const std::string& text) override { title = text; }
    void SetCaption(C control, const std::string& caption) override { captions[control] = caption; }
    void SetEnabled(C control, bool on) override { enabled[control] = on; }
    std::string Text(C control) const override {
        const auto found = texts.find(control);
        return found == texts.end() ? "" : found->second;
    }
    void SetText(C control, const std::string& text) override { texts[control] = text; }
    void SetLanguages(const std::vector<std::string>& names, int32_t selected) override {
        languages = names;
        language = selected;
    }
    int32_t SelectedLanguage() const override { return language; }
    void ShowPage(SignUpPage page, int width, int height) override {
        pages.push_back(std::string(page == SignUpPage::IDs ? "IDs " : "SignUp ") +
                        std::to_string(width) + "x" + std::to_string(height));
    }
    void ShowNote(C control, const std::string& text) override { notes[control] = text; }
    void Focus(C control) override { focus = Name(control); }
    void SelectAll(C control) override { selectedAll = control; }
    void SetBusy(bool on) override { busy = on; }
    void ShowMessage(const Message& message) override { messages.push_back(message); }
    void ShowWriteError(const std::string&, const std::string& text,
                        const std::string& details) override {
        writeErrors.push_back(text + " | " + details);
    }
    void OpenLink(const std::string& url) override { links.push_back(url); }
    void StartSignUp(SignUpBody job) override {
        ++started;
        body = std::move(job);
    }
    app::SignupResult StopSignUp() override {
        ++stops;
        platform::CancelToken cancel;
        cancel.Request();
        return Run(cancel);
    }
    void CloseWindow() override { ++closes; }

    // The mail's body, as the view's worker runs it.
    app::SignupResult Run(const platform::CancelToken& cancel) {
        EXPECT_TRUE(body.has_value());
        const app::SignupResult result = (*body)(cancel);
        body.reset();
        return result;
    }
    static std::string Name(C control) {
        switch (control) {
        case C::EdName:
            return "EdName";
        case C::EdEmail:
            return "EdEmail";
        case C::Button2:
            return "Button2";
        case C::EdPartnerID:
            return "EdPartnerID";
        case C::EdSoftwareID:
            return "EdSoftwareID";
        case C::BtnSaveChanges:
            return "BtnSaveChanges";
        default:
            return "other";
        }
    }
};

class WelcomeFormLogicTest : public ::testing::Test {
protected:
    WelcomeFormLogicTest()
        : table_(app::TranslationTable::Load(
              std::string(std::getenv("TOLVANE_SOURCE_DIR")) + "/data/transl.dat", 5, warnings_)),
#ifdef _WIN32
          store_("Software\\Tolvane-WelcomeFormLogicTest") {
        EXPECT_TRUE(platform::RegistryKey::RemoveTree(store_.Path())); // absent is no failure
#else
          store_(scratch_ / "config/settings") {
#endif
        state_.TargetLanguage = 2;
        vendor_.homeHost = "www.tolvane.example";
    }
#ifdef _WIN32
    ~WelcomeFormLogicTest() override {
        EXPECT_TRUE(platform::RegistryKey::RemoveTree(store_.Path())); // absent is no failure
    }
#endif

    WelcomeFormLogic& Logic(int smtpPort = 9) {
        logic_ = std::make_unique<WelcomeFormLogic>(state_, table_, vendor_, view_);
        logic_->Mail = TestMailSettings(smtpPort);
        logic_->Clock = [] { return TestTime(); };
        logic_->Store = store_;
        logic_->FormCreate();
        logic_->FormShow();
        return *logic_;
    }
    void Type(const signup::SignupFields& fields) {
        view_.texts[C::EdName] = fields.name;
        view_.texts[C::EdEmail] = fields.email;
        view_.texts[C::EdWebsite] = fields.website;
        view_.texts[C::EdDescription] = fields.description;
    }
    // The mail run to its end and handed back, as the view's worker would.
    void FinishSignUp() {
        logic_->SignUpFinished(view_.Run(platform::CancelToken()));
    }
    // Nothing stored: no file, or the defaults where nothing was written.
    std::optional<app::Settings> Stored() const {
        const auto read = store_.Read();
        if (!read || (!read.Value().signedUp && read.Value().targetLanguage == 0))
            return std::nullopt;
        return read.Value();
    }

    TempFolder scratch_;
    std::ostringstream warnings_;
    app::TranslationTable table_;
    app::SettingsStore store_;
    app::ProgramState state_;
    app::VendorConfig vendor_;
    FakeView view_;
    std::unique_ptr<WelcomeFormLogic> logic_;
};

constexpr const char* kFillOut = "Please fill out all fields marked with *";

TEST_F(WelcomeFormLogicTest, WhatCannotBeSentIsRefusedBeforeAnythingIsSent) {
    const struct {
        const char* name;
        const char* email;
        bool warned;       // the box; else the message beside the address
        const char* focus; // where the user goes on
    } cases[] = {
        {"", "", true, "EdName"},          {"", "ann@site.example", true, "EdName"},
        {"Ann", "", true, "EdEmail"},      {"Ann", "DDD", false, "EdEmail"},
        {"Ann", "ann@", false, "EdEmail"},
    };
    ScriptedSmtpServer server("220 ready", AcceptingReplies());
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "/" + c.email);
        view_ = FakeView();
        WelcomeFormLogic& logic = Logic(server.Port());
        view_.notes[C::LblSendError] = "the last press's failure";
        view_.texts[C::EdName] = c.name;
        view_.texts[C::EdEmail] = c.email;
        logic.Button2Click();
        EXPECT_EQ(view_.started, 0);
        EXPECT_EQ(view_.notes[C::LblSendError], "");
        ASSERT_EQ(view_.messages.size(), c.warned ? 1u : 0u);
        if (c.warned) {
            EXPECT_EQ(view_.messages[0].kind, Message::Kind::Warning);
            EXPECT_EQ(view_.messages[0].title, "Welcome!");
            EXPECT_EQ(view_.messages[0].text, kFillOut);
        } else {
            EXPECT_EQ(view_.notes[C::LblEmailError], app::kBadEmailText);
            EXPECT_EQ(view_.selectedAll, C::EdEmail);
            logic.EdEmailChange(); // typing there takes the message away
            EXPECT_EQ(view_.notes[C::LblEmailError], "");
        }
        EXPECT_EQ(view_.focus, c.focus);
    }
    EXPECT_FALSE(server.Connected());
    EXPECT_FALSE(state_.SignedUp);
    EXPECT_FALSE(Stored());
}

TEST_F(WelcomeFormLogicTest, TheMailGoesOutAsTypedAndItsResultIsAppliedOnceItWentOut) {
    ScriptedSmtpServer server("220 mail.example ready", AcceptingReplies());
    WelcomeFormLogic& logic = Logic(server.Port());
    state_.PartnerID = "P1"; // stored as it was
    Type(TestFields());
    view_.language = 3;
    logic.Button2Click();
    ASSERT_EQ(view_.started, 1);
    EXPECT_TRUE(logic.Sending());
    EXPECT_FALSE(view_.enabled[C::Button2]);
    EXPECT_TRUE(view_.busy);
    logic.Button2Click(); // one mail at a time
    EXPECT_EQ(view_.started, 1);
    const app::SignupResult result = view_.Run(platform::CancelToken());
    // Stored by the mail, but the state is the window's to change.
    EXPECT_FALSE(state_.SignedUp);
    logic.SignUpFinished(result);

    EXPECT_FALSE(logic.Sending());
    EXPECT_TRUE(view_.enabled[C::Button2]);
    EXPECT_FALSE(view_.busy);
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].kind, Message::Kind::Information);
    EXPECT_EQ(view_.messages[0].text.rfind("Thank you for signing up.", 0), 0u);
    EXPECT_EQ(view_.closes, 1);
    EXPECT_EQ(logic.Tag(), 0);
    EXPECT_TRUE(state_.SignedUp);
    EXPECT_EQ(state_.TargetLanguage, 3);
    const auto stored = Stored();
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->signedUp);
    EXPECT_EQ(stored->partnerId, "P1");
    EXPECT_EQ(stored->targetLanguage, 3);

    EXPECT_EQ(server.Received(), SignupDialogue(TestFields(), server.Port()));
}

TEST_F(WelcomeFormLogicTest, AFailedMailIsSaidInTheWindowWithoutThePassword) {
    const std::string password64 = signup::EncodeBase64(TestMailSettings(0).smtp.password);
    std::vector<std::string> loginRefused = AcceptingReplies();
    loginRefused.resize(4);
    loginRefused.push_back("535 5.7.8 credentials " + password64 + " rejected");
    std::vector<std::string> plainRefused = loginRefused;
    plainRefused.back() = "535 tusalevi407 is not it";
    ScriptedSmtpServer base64("220 ready", loginRefused);
    ScriptedSmtpServer plain("220 ready", plainRefused);
    const std::pair<int, std::string> cases[] = {
        {base64.Port(), "5.7.8 credentials ******** rejected"},
        {plain.Port(), "******** is not it"},
    };
    for (const auto& [port, failure] : cases) {
        SCOPED_TRACE(failure);
        view_ = FakeView();
        WelcomeFormLogic& logic = Logic(port);
        Type(TestFields());
        logic.Button2Click();
        FinishSignUp();
        EXPECT_EQ(view_.notes[C::LblSendError], "Could not send entered information.\r\nPlease "
                                                "check your Internet connection.\r\n" +
                                                    failure);
        EXPECT_TRUE(view_.messages.empty());
        EXPECT_EQ(view_.closes, 0);
        EXPECT_EQ(view_.focus, "Button2");
        EXPECT_TRUE(view_.enabled[C::Button2]);
        EXPECT_EQ(logic.Page(), SignUpPage::SignUp);
        EXPECT_FALSE(state_.SignedUp);
        EXPECT_EQ(state_.TargetLanguage, 2);
        EXPECT_FALSE(Stored());
    }
}

// Closed while the mail waits: stopped and waited for; what an accepted
// mail changed is kept, but nothing is shown.
TEST_F(WelcomeFormLogicTest, ClosingWhileTheMailWaitsStopsItAndShowsNothing) {
    for (const bool accepted : {false, true}) {
        SCOPED_TRACE(accepted);
        view_ = FakeView();
        state_.SignedUp = false;
        ScriptedSmtpServer silent("", {});
        WelcomeFormLogic& logic = Logic(silent.Port());
        logic.FormClose(); // nothing on its way: nothing to stop
        EXPECT_EQ(view_.stops, 0);
        if (accepted)
            logic.SendSignUp = [](const app::SignupRequest& request, const platform::CancelToken&) {
                app::SignupResult result;
                result.outcome = app::SignupResult::Outcome::Sent;
                result.settings = request.stored;
                result.settings->signedUp = true;
                return result;
            };
        Type(TestFields());
        logic.Button2Click();
        logic.FormClose();
        EXPECT_EQ(view_.stops, 1);
        EXPECT_FALSE(logic.Sending());
        EXPECT_TRUE(view_.enabled[C::Button2]);
        EXPECT_FALSE(view_.busy);
        EXPECT_TRUE(view_.messages.empty());
        EXPECT_EQ(view_.notes[C::LblSendError], "");
        EXPECT_EQ(view_.closes, 0);
        EXPECT_EQ(state_.SignedUp, accepted);
    }
}

TEST_F(WelcomeFormLogicTest, IdsAreSavedTrimmedWithTheLanguageAndOneMissingShowsOnlyTheWarning) {
    const struct {
        const char* partner;
        const char* software;
        const char* saved; // "P/S", or "" when only the warning shows
        const char* focus;
    } cases[] = {
        {"P1", "", "", "EdSoftwareID"},
        {"P1", "   ", "", "EdSoftwareID"},
        {" ", "S1", "", "EdPartnerID"},
        {" P-777 ", "\tS/888\u00a0", "P-777/S/888", ""}, // last: it saves
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.partner) + "/" + c.software);
        view_ = FakeView();
        WelcomeFormLogic& logic = Logic();
        logic.Label9Click();
        view_.texts[C::EdPartnerID] = c.partner;
        view_.texts[C::EdSoftwareID] = c.software;
        view_.language = 3;
        view_.focus.clear();
        logic.BtnSaveChangesClick();
        if (!*c.saved) {
            ASSERT_EQ(view_.messages.size(), 1u);
            EXPECT_EQ(view_.messages[0].text, kFillOut);
            EXPECT_EQ(view_.focus, c.focus);
            EXPECT_EQ(view_.closes, 0);
            EXPECT_EQ(logic.Tag(), 0);
            EXPECT_FALSE(state_.SignedUp);
            EXPECT_EQ(state_.TargetLanguage, 2);
            EXPECT_FALSE(Stored());
            continue;
        }
        EXPECT_TRUE(view_.messages.empty());
        EXPECT_EQ(view_.closes, 1);
        EXPECT_EQ(logic.Tag(), 1);
        EXPECT_EQ(view_.texts[C::EdPartnerID] + "/" + view_.texts[C::EdSoftwareID], c.saved);
        EXPECT_EQ(state_.PartnerID + "/" + state_.SoftwareID, c.saved);
        EXPECT_TRUE(state_.SignedUp);
        EXPECT_EQ(state_.TargetLanguage, 3);
        const auto stored = Stored();
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->partnerId + "/" + stored->softwareId, c.saved);
        EXPECT_TRUE(stored->signedUp);
        EXPECT_EQ(stored->targetLanguage, 3);
    }
}

#ifndef _WIN32
TEST_F(WelcomeFormLogicTest, SettingsThatCannotBeWrittenAreSaidAndTheIdsStillTakeEffect) {
    scratch_.WriteFile("config", "a file where the folder should be");
    WelcomeFormLogic& logic = Logic();
    view_.texts[C::EdPartnerID] = "P1";
    view_.texts[C::EdSoftwareID] = "S1";
    logic.BtnSaveChangesClick();
    ASSERT_EQ(view_.writeErrors.size(), 1u);
    EXPECT_EQ(view_.writeErrors[0], "Error writing data to Registry | Error writing data to "
                                    "Registry (" +
                                        store_.Path() + ": Not a directory)");
    EXPECT_EQ(logic.Tag(), 1);
    EXPECT_EQ(state_.PartnerID, "P1");
}
#endif

// The language list: the table's languages, the stored one chosen where
// the table has it.
TEST_F(WelcomeFormLogicTest, TheLanguageListHoldsTheTablesLanguagesWithTheStoredOneChosen) {
    const app::TranslationTable none;
    const struct {
        const app::TranslationTable& table;
        int32_t stored;
        size_t count;
        int32_t chosen;
    } cases[] = {{table_, 2, 5, 2}, {table_, 5, 5, -1}, {table_, -1, 5, -1}, {none, 2, 0, -1}};
    for (const auto& c : cases) {
        state_.TargetLanguage = c.stored;
        WelcomeFormLogic logic(state_, c.table, app::VendorConfig(), view_);
        logic.Store = store_;
        logic.FormCreate();
        EXPECT_EQ(view_.languages.size(), c.count);
        EXPECT_EQ(view_.language, c.chosen) << c.stored;
        view_.texts[C::EdPartnerID] = "P1";
        view_.texts[C::EdSoftwareID] = "S1";
        logic.BtnSaveChangesClick();
        EXPECT_EQ(Stored().value_or(app::Settings()).targetLanguage, c.chosen);
    }
    EXPECT_EQ(view_.languages[0], "English");
}

// Each page at its size with the focus in its first empty required field;
// the links switch pages and leave what was typed alone.
TEST_F(WelcomeFormLogicTest, ThePagesShowAtTheirSizesWithTheFocusInTheFirstEmptyField) {
    const struct {
        SignUpPage page;
        std::map<C, std::string> typed;
        const char* size;
        const char* focus;
    } cases[] = {
        {SignUpPage::SignUp, {}, "SignUp 385x340", "EdName"},
        {SignUpPage::SignUp, {{C::EdName, "Ann"}}, "SignUp 385x340", "EdEmail"},
        {SignUpPage::SignUp, {{C::EdName, "Ann"}, {C::EdEmail, "x"}}, "SignUp 385x340", "Button2"},
        {SignUpPage::IDs, {{C::EdPartnerID, " "}}, "IDs 385x210", "EdPartnerID"},
        {SignUpPage::IDs, {{C::EdPartnerID, "P"}}, "IDs 385x210", "EdSoftwareID"},
        {SignUpPage::IDs,
         {{C::EdPartnerID, "P"}, {C::EdSoftwareID, "S"}},
         "IDs 385x210",
         "BtnSaveChanges"},
    };
    for (const auto& c : cases) {
        view_ = FakeView();
        WelcomeFormLogic& logic = Logic();
        view_.texts = c.typed;
        logic.ShowPage(c.page);
        EXPECT_EQ(view_.pages.back(), c.size);
        EXPECT_EQ(view_.focus, c.focus) << c.size << " " << c.typed.size();
        // Shown again (the window shown once more): the same page.
        logic.FormShow();
        EXPECT_EQ(view_.pages.back(), c.size);
    }
    view_.pages.clear();
    logic_->Label3Click();
    logic_->Label9Click();
    EXPECT_EQ(view_.pages, (std::vector<std::string>{"SignUp 385x340", "IDs 385x210"}));
    EXPECT_EQ(view_.texts[C::EdPartnerID], "P");
    logic_->Label12Click();
    EXPECT_EQ(view_.links, std::vector<std::string>{"http://www.tolvane.example"});
}

TEST_F(WelcomeFormLogicTest, TheTextsAreInTheInterfaceLanguage) {
    for (const int32_t language : {0, 3}) {
        state_.UILanguage = language;
        Logic();
        EXPECT_EQ(view_.title, table_.Translate("Welcome!", language));
        EXPECT_EQ(view_.captions[C::Button2], table_.Translate("Sign up!", language));
        EXPECT_EQ(view_.captions[C::Label3],
                  table_.Translate("<< Return to Signup page", language));
        for (C label : {C::Label2, C::Label4, C::Label5, C::Label6}) // the fields marked with *
            EXPECT_NE(view_.captions[label].find('*'), std::string::npos);
    }
    EXPECT_NE(view_.captions[C::Button2], "Sign up!");
}

} // namespace
