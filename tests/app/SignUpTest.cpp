// The sign-up button's steps: the required fields and the address, the
// settings saved once the mail is accepted, what the result changes of the
// program state, and the messages to show.
#include "app/SignUp.h"

#include "support/ScriptedSmtpServer.h"
#include "support/SignupFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace tolvane;
using namespace tolvane::test;
using Outcome = app::SignupResult::Outcome;

namespace {

class SignUpTest : public ::testing::Test {
protected:
    // Signs up with the audience language 2 chosen, from the state's values,
    // and applies the result to the state as the window does.
    app::SignupResult Run(const signup::SignupFields& fields, int port) {
        const app::SignupRequest request{
            .texts = texts_,
            .uiLanguage = uiLanguage_,
            .fields = fields,
            .selectedLanguage = 2,
            .stored = {state_.SignedUp, state_.PartnerID, state_.SoftwareID, state_.TargetLanguage},
            .store = store_,
            .mail = TestMailSettings(port),
            .clock = [] { return TestTime(); },
        };
        const app::SignupResult result = app::SignUp(request, cancel_);
        result.ApplyTo(state_);
        return result;
    }

    TempFolder scratch_;
    app::SettingsStore store_{scratch_ / "config/settings"};
    app::TranslationTable texts_;
    int32_t uiLanguage_ = 0;
    app::ProgramState state_;
    platform::CancelToken cancel_;
};

TEST_F(SignUpTest, AMissingFieldOrABadAddressSavesAndSendsNothing) {
    ScriptedSmtpServer server("220 ready", AcceptingReplies());
    const struct {
        signup::SignupFields fields;
        Outcome outcome;
        const char* message;
    } cases[] = {
        {{"Ann", "", "w", "d"}, Outcome::MissingFields, "Please fill out all fields marked with *"},
        {{"", "a@b.example", "w", "d"},
         Outcome::MissingFields,
         "Please fill out all fields marked with *"},
        {{"Ann", "DDD", "w", "d"},
         Outcome::BadEmail,
         "Please enter a valid email address, for example name@example.com."},
        {{"Ann", "ann@site", "w", "d"},
         Outcome::BadEmail,
         "Please enter a valid email address, for example name@example.com."},
    };
    for (const auto& c : cases) {
        const auto result = Run(c.fields, server.Port());
        EXPECT_EQ(result.outcome, c.outcome) << c.fields.email;
        EXPECT_EQ(result.report.text, c.message);
        EXPECT_FALSE(result.settings);
    }
    EXPECT_FALSE(state_.SignedUp);
    EXPECT_FALSE(std::filesystem::exists(store_.Path()));
    EXPECT_FALSE(server.Connected());
}

// A mail that never left records nothing: the state and the settings file
// stay as they were, so the next start asks for the sign-up again.
TEST_F(SignUpTest, AMailThatFailsLeavesTheSettingsAsTheyWere) {
    std::vector<std::string> loginRefused = AcceptingReplies();
    loginRefused.resize(4);
    loginRefused.push_back("535 5.7.8 credentials rejected");
    ASSERT_TRUE(store_.Save({false, "", "", 1}));
    const std::string before = ReadFileText(store_.Path());
    state_.TargetLanguage = 1;

    const int closed = ClosedLoopbackPort();
    ScriptedSmtpServer refusing("220 ready", loginRefused);
    const std::pair<int, std::string> cases[] = {
        {closed,
         "Cannot connect to 127.0.0.1 port " + std::to_string(closed) + ": Connection refused"},
        {refusing.Port(), "5.7.8 credentials rejected"},
    };
    for (const auto& [port, failure] : cases) {
        const auto result = Run(TestFields(), port);
        EXPECT_EQ(result.outcome, Outcome::NotSent);
        EXPECT_EQ(result.report.text,
                  "Could not send entered information.\r\nPlease check your Internet connection.");
        EXPECT_EQ(result.report.extendedMsg, failure);
        EXPECT_EQ(result.report.grade, platform::ReportGrade::Failed);
        EXPECT_FALSE(result.settings);
        EXPECT_FALSE(result.settingsError);
        EXPECT_FALSE(state_.SignedUp);
        EXPECT_EQ(state_.TargetLanguage, 1);
        EXPECT_EQ(ReadFileText(store_.Path()), before);
    }
}

TEST_F(SignUpTest, SentWithTranslatedMessages) {
#ifdef _WIN32
    GTEST_SKIP()
        << "reads the settings file, which Windows keeps in the registry (RegistrySettingsTest)";
#endif
    std::ostringstream warnings;
    texts_ = app::TranslationTable::Load(
        std::string(std::getenv("TOLVANE_SOURCE_DIR")) + "/data/transl.dat", 4, warnings);
    uiLanguage_ = 3; // German
    // The stored IDs go back into the file as they were.
    state_.PartnerID = "P1";
    ScriptedSmtpServer server("220 ready", AcceptingReplies());
    const auto result = Run(TestFields(), server.Port());
    EXPECT_EQ(result.outcome, Outcome::Sent) << result.report.extendedMsg;
    EXPECT_EQ(result.report.grade, platform::ReportGrade::Notice);
    EXPECT_EQ(result.report.text,
              "Danke für Ihre Anmeldung. Sie erhalten in den nächsten Tagen eine E-Mail von "
              "Quorvel.\r\nDie E-Mail enthält Ihre Kontodaten, Ihre AffiliateID und SoftwareID. "
              "Starten Sie danach dieses Programm erneut und monetarisieren Sie Ihre Dateien!");
    EXPECT_FALSE(result.settingsError);
    const auto lines = server.Received();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "The name of affiliate: Ann Lee"), lines.end());
    // Signed up, with the audience language chosen, once the mail is accepted.
    EXPECT_TRUE(state_.SignedUp);
    EXPECT_EQ(state_.TargetLanguage, 2);
    EXPECT_EQ(ReadFileText(store_.Path()), "# Tolvane settings\nsignedup=dword:1\npartnerid=sz:P1\n"
                                           "softwareid=sz:\ntargetlanguage=dword:2\n");
}

TEST_F(SignUpTest, UnwritableSettingsAreReportedAndTheMailStillGoes) {
#ifdef _WIN32
    GTEST_SKIP()
        << "blocks the settings file, which Windows keeps in the registry (RegistrySettingsTest)";
#endif
    scratch_.WriteFile("config", "a file where the folder should be");
    ScriptedSmtpServer server("220 ready", AcceptingReplies());
    const auto result = Run(TestFields(), server.Port());
    EXPECT_EQ(result.outcome, Outcome::Sent) << result.report.extendedMsg;
    ASSERT_TRUE(result.settingsError);
    EXPECT_EQ(platform::TextWithCause(*result.settingsError),
              "Error writing data to Registry (" + store_.Path() + ": Not a directory)");
    // Signed up and the language chosen for this run, though not stored.
    EXPECT_TRUE(state_.SignedUp);
    EXPECT_EQ(state_.TargetLanguage, 2);
}

// Closing the window during the mail: the connection closed at once, nothing
// recorded, and the result says it was a stop, not a failure to show.
TEST_F(SignUpTest, AStopWhileTheServerIsSilentRecordsNothing) {
    ScriptedSmtpServer server("", {});
    std::thread user([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!server.Connected() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        cancel_.Request();
    });
    const auto result = Run(TestFields(), server.Port());
    user.join();
    EXPECT_EQ(result.outcome, Outcome::NotSent);
    EXPECT_TRUE(result.report.Cancelled());
    EXPECT_FALSE(result.settings);
    EXPECT_FALSE(state_.SignedUp);
    EXPECT_FALSE(std::filesystem::exists(store_.Path()));
}

} // namespace
