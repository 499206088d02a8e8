// The sign-up button's steps: the required fields, the settings saved before
// the mail, and the messages to show.
#include "app/SignUp.h"

#include "support/ScriptedSmtpServer.h"
#include "support/SignupFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

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

TEST_F(SignUpTest, AMissingRequiredFieldSavesAndSendsNothing) {
    ScriptedSmtpServer server("220 ready", AcceptingReplies());
    for (const signup::SignupFields& fields :
         {signup::SignupFields{"Ann", "", "w", "d"}, signup::SignupFields{"", "a@b", "w", "d"}}) {
        const auto result = Run(fields, server.Port());
        EXPECT_EQ(result.outcome, Outcome::MissingFields);
        EXPECT_EQ(result.message, "Please fill out all fields marked with *");
    }
    EXPECT_FALSE(state_.SignedUp);
    EXPECT_FALSE(std::filesystem::exists(store_.Path()));
    EXPECT_FALSE(server.Connected());
}

// The server keeps silent; while the client waits for its greeting, the
// settings are already on disk.
TEST_F(SignUpTest, SettingsAreSavedBeforeTheMailAndStayWhenItFails) {
    ScriptedSmtpServer server("", {});
    auto running = std::async(std::launch::async, [&] {
        return Run(TestFields(), server.Port(), std::chrono::seconds(3));
    });
    for (int i = 0; i < 500 && !server.Connected(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(server.Connected());
    EXPECT_EQ(ReadFileText(store_.Path()), "# Tolvane settings\nsignedup=dword:1\npartnerid=sz:\n"
                                           "softwareid=sz:\ntargetlanguage=dword:2\n");
    const auto result = running.get();
    EXPECT_EQ(result.outcome, Outcome::NotSent);
    EXPECT_EQ(result.message,
              "Could not send entered information.\r\nPlease check your Internet connection.");
    EXPECT_EQ(result.failure, "No reply from the server within 3 s");
    EXPECT_TRUE(state_.SignedUp);
    EXPECT_EQ(state_.TargetLanguage, 2);
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
