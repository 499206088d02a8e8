// `tolvane-cli signup`: exit status and the messages on standard error.
#include "cli/SignupCommand.h"

#include "support/CommandOutcome.h"
#include "support/EnvironmentGuard.h"
#include "support/ScriptedSmtpServer.h"
#include "support/SignupFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace tolvane;
using namespace tolvane::test;

namespace {

using Outcome = CommandOutcome;

class SignupCommandTest : public ::testing::Test {
protected:
    Outcome Signup(const std::vector<std::string>& args, int port) {
        const std::string portText = std::to_string(port);
        EnvironmentGuard smtp(
            {{"TOLVANE_SMTP_HOST", "127.0.0.1"}, {"TOLVANE_SMTP_PORT", portText.c_str()}});
        std::ostringstream out, err;
        const int status = cli::RunSignup(args, out, err);
        return {status, out.str(), err.str()};
    }
    std::string Settings() const { return scratch_ / "config/Tolvane/settings"; }

    TempFolder scratch_;
    EnvironmentGuard env_{{"XDG_CONFIG_HOME", (scratch_ / "config").c_str()},
                          {"LANGUAGE", "en_US"}};
};

TEST_F(SignupCommandTest, TheMailAcceptedIsStatusZero) {
    ScriptedSmtpServer server("220 ready", AcceptingReplies());
    const std::string description = scratch_.WriteFile("d.txt", "one\n.\n");
    const auto r =
        Signup({"--name", "Ann", "--email", "a@b.example", "--description-file", description},
               server.Port());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "tolvane-cli signup: Thank you for signing up. You will receive email from "
                     "Quorvel within the next few days.\n"
                     "tolvane-cli signup: The email will contain your account information, your "
                     "Affiliate ID and Software ID. After that, run this program again, and start "
                     "monetizing your files!\n");
    const auto lines = server.Received();
    // The file's last line end closes its last line and adds none.
    const auto at = std::find(lines.begin(), lines.end(), "one");
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(std::vector<std::string>(at, at + 3), (std::vector<std::string>{"one", "..", ""}));
    EXPECT_NE(ReadFileText(Settings()).find("signedup=dword:1\n"), std::string::npos);
}

TEST_F(SignupCommandTest, AFailedMailIsStatusOneAndRecordsNoSignUp) {
    const int closed = ClosedLoopbackPort();
    auto r = Signup({"--name", "Ann", "--email", "a@b.example"}, closed);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tolvane-cli signup: Could not send entered information.\n"
                     "tolvane-cli signup: Please check your Internet connection.\n"
                     "tolvane-cli signup: Cannot connect to 127.0.0.1 port " +
                         std::to_string(closed) + ": Connection refused\n");
    EXPECT_FALSE(std::filesystem::exists(Settings()));

    ScriptedSmtpServer server("421 try later", {});
    r = Signup({"--name", "Ann", "--email", "a@b.example"}, server.Port());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.substr(r.err.rfind("tolvane-cli")), "tolvane-cli signup: try later\n");
    EXPECT_FALSE(std::filesystem::exists(Settings()));
}

// Settings that cannot be read are said with whom to ask; the sign-up goes
// on and writes them anew once the mail is accepted.
TEST_F(SignupCommandTest, SettingsThatCannotBeReadAreSaidAndTheMailStillGoes) {
    scratch_.WriteFile("config/Tolvane/settings", "partnerid=sz:p1\ngarbage\n");
    ScriptedSmtpServer server("220 ready", AcceptingReplies());
    const auto r = Signup({"--name", "Ann", "--email", "a@b.example"}, server.Port());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.rfind("tolvane-cli signup: Could not read data from Registry.\n"
                          "tolvane-cli signup: Please contact us at ",
                          0),
              0u)
        << r.err;
    EXPECT_NE(ReadFileText(Settings()).find("signedup=dword:1\n"), std::string::npos);
}

TEST_F(SignupCommandTest, NothingSentIsStatusTwo) {
    ScriptedSmtpServer server("220 ready", AcceptingReplies());
    const std::string missing = scratch_ / "none.txt";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--name", "Ann"}, "tolvane-cli signup: Please fill out all fields marked with *\n"},
        {{"--name", "Ann", "--email", "DDD"},
         "tolvane-cli signup: Please enter a valid email address, for example "
         "name@example.com.\n"},
        {{"--name", "Ann", "--email", "a@b", "--description-file", missing},
         "tolvane-cli signup: cannot read the description: " + missing +
             ": No such file or directory\n"},
        {{"--name", "Ann", "--email"},
         "tolvane-cli signup: option '--email' needs a value\nTry 'tolvane-cli signup --help'.\n"},
        {{"--nmae", "Ann"},
         "tolvane-cli signup: unknown option '--nmae' (did you mean '--name'?)\nTry 'tolvane-cli "
         "signup --help'.\n"},
    };
    for (const auto& [args, err] : cases) {
        const auto r = Signup(args, server.Port());
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, err);
    }
    EXPECT_FALSE(server.Connected());
    EXPECT_FALSE(std::filesystem::exists(Settings()));
    const auto help = Signup({"--help"}, server.Port());
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: tolvane-cli signup --name NAME --email EMAIL", 0), 0u);
}

} // namespace
