// The sign-up button's steps: the required fields and the address, the
// settings saved once the mail is accepted, and the messages to show.
#include "app/SignUp.h"

#include "support/ScriptedSmtpServer.h"
#include "support/SignupFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace tolvane;
using namespace tolvane::test;
using Outcome = app::SignupResult::Outcome;

namespace {

class SignUpTest : public ::testing::Test {
protected:
    SignUpTest() { state_.UILanguage = 0; }

    app::SignupResult Run(const signup::SignupFields& fields, int port,
                          std::chrono::milliseconds replyTimeout = std::chrono::seconds(5)) {
        app::SignupContext context{state_, store_, texts_, TestMailSettings(port),
                                   [] { return TestTime(); }};
        context.mail.smtp.replyTimeout = replyTimeout;
        return app::SignUp(fields, 2, context);
    }

    TempFolder scratch_;
    app::SettingsStore store_{scratch_ / "config/settings"};
    app::TranslationTable texts_;
    app::ProgramState state_;
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
        EXPECT_EQ(result.message, c.message);
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
    std::string error;
    ASSERT_TRUE(store_.Save({false, "", "", 1}, error)) << error;
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
        EXPECT_EQ(result.message,
                  "Could not send entered information.\r\nPlease check your Internet connection.");
        EXPECT_EQ(result.failure, failure);
        EXPECT_EQ(result.settingsError, "");
        EXPECT_FALSE(state_.SignedUp);
        EXPECT_EQ(state_.TargetLanguage, 1);
        EXPECT_EQ(ReadFileText(store_.Path()), before);
    }
}

TEST_F(SignUpTest, SentWithTranslatedMessages) {
    std::ostringstream warnings;
    texts_ = app::TranslationTable::Load(
        std::string(std::getenv("TOLVANE_SOURCE_DIR")) + "/data/transl.dat", 4, warnings);
    state_.UILanguage = 3; // German
    ScriptedSmtpServer server("220 ready", AcceptingReplies());
    const auto result = Run(TestFields(), server.Port());
    EXPECT_EQ(result.outcome, Outcome::Sent) << result.failure;
    EXPECT_EQ(result.message,
              "Danke für Ihre Anmeldung. Sie erhalten in den nächsten Tagen eine E-Mail von "
              "Quorvel.\r\nDie E-Mail enthält Ihre Kontodaten, Ihre AffiliateID und SoftwareID. "
              "Starten Sie danach dieses Programm erneut und monetarisieren Sie Ihre Dateien!");
    EXPECT_EQ(result.settingsError, "");
    const auto lines = server.Received();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "The name of affiliate: Ann Lee"), lines.end());
    // Signed up, with the audience language chosen, once the mail is accepted.
    EXPECT_TRUE(state_.SignedUp);
    EXPECT_EQ(state_.TargetLanguage, 2);
    EXPECT_EQ(ReadFileText(store_.Path()), "# Tolvane settings\nsignedup=dword:1\npartnerid=sz:\n"
                                           "softwareid=sz:\ntargetlanguage=dword:2\n");
}

TEST_F(SignUpTest, UnwritableSettingsAreReportedAndTheMailStillGoes) {
    scratch_.WriteFile("config", "a file where the folder should be");
    ScriptedSmtpServer server("220 ready", AcceptingReplies());
    const auto result = Run(TestFields(), server.Port());
    EXPECT_EQ(result.outcome, Outcome::Sent) << result.failure;
    EXPECT_EQ(result.settingsError.rfind("Error writing data to Registry", 0), 0u)
        << result.settingsError;
    EXPECT_TRUE(state_.SignedUp);
}

} // namespace
