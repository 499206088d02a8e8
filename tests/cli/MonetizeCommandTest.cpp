// `tolvane-cli monetize` and `tolvane-cli settings` with settings and a
// working folder of their own.
#include "cli/MonetizeCommand.h"

#include "support/CommandOutcome.h"
#include "support/EnvironmentGuard.h"
#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::test;

namespace {

using Outcome = CommandOutcome;

class MonetizeCommandTest : public ::testing::Test {
protected:
    MonetizeCommandTest()
        : env_({{"XDG_CONFIG_HOME", (scratch_ / "config").c_str()},
                {"XDG_DATA_HOME", (scratch_ / "data").c_str()},
                {"TOLVANE_ARCHIVER_HOST", "dl.example.net"},
                {"LANGUAGE", "en_US"}}) {
        scratch_.WriteFile("Docs/a.txt", std::string(3000, 'a'));
        scratch_.WriteFile("Docs/b/c.txt", "c");
        zip_ = scratch_ / "Docs.zip";
    }

    Outcome Settings(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        int status = cli::RunSettings(args, out, err);
        return {status, out.str(), err.str()};
    }
    Outcome Monetize(const std::vector<std::string>& args, const std::string& input = "") {
        std::istringstream in(input);
        std::ostringstream out, err;
        int status = cli::RunMonetize(args, in, out, err);
        return {status, out.str(), err.str()};
    }

    TempFolder scratch_;
    EnvironmentGuard env_;
    std::string zip_;
};

TEST_F(MonetizeCommandTest, MonetizesWithTheStoredIds) {
    auto saved = Settings({"--partner-id", "p 1", "--software-id", "archiver", "--language", "3"});
    EXPECT_EQ(saved.status, 0) << saved.err;
    auto shown = Settings({});
    EXPECT_NE(shown.out.find("\naffiliate ID:      p 1\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("\naudience language: 3 (Deutsch)\n"), std::string::npos);

    auto r = Monetize({scratch_ / "Docs", "-o", zip_});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), zip_ + " written.\n");
    auto names = RunPeer("unzip -Z1 " + ShellQuote(zip_));
    EXPECT_EQ(names.output, "Archivierer herunterladen.URL\nDocs.bh\n");
    auto url = RunPeer("unzip -p " + ShellQuote(zip_) + " 'Archivierer herunterladen.URL'");
    EXPECT_EQ(url.output,
              "[InternetShortcut]\r\nURL=http://dl.example.net/index.php?ref=p%201_~\r\n");
}

TEST_F(MonetizeCommandTest, TheSummarySaysWhatWentIntoTheZip) {
    ASSERT_EQ(Settings({"--partner-id", "p", "--software-id", "s", "--language=English"}).status,
              0);
    const std::string pw = scratch_.WriteFile("pw", "secret\n");
    for (const bool encrypted : {false, true}) {
        const std::string zip = scratch_ / (encrypted ? "e.zip" : "p.zip");
        std::vector<std::string> args = {scratch_ / "Docs", "-o", zip};
        if (encrypted)
            args.insert(args.end(), {"--password-file", pw});
        const auto r = Monetize(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const std::string bh = encrypted ? "e.bh" : "p.bh";
        EXPECT_EQ(r.out,
                  zip + " written.\n" +
                      (encrypted ? "  " + bh +
                                       "                       108 bytes, 120 packed, encrypted\n"
                                       "  Download the archiver.URL   65 bytes, 77 packed, "
                                       "encrypted\n"
                                 : "  " + bh +
                                       "                       108 bytes, 108 packed\n"
                                       "  Download the archiver.URL   65 bytes, 65 packed\n") +
                      "  link in the shortcut: http://dl.example.net/index.php?ref=p_s\n"
                      "  2 files packed, 0 left out\n");
    }
}

TEST_F(MonetizeCommandTest, WithoutIdsTheJobRunsAndWarnsThatTheLinkCreditsNoOne) {
    const auto r = Monetize({scratch_ / "Docs", "-o", zip_, "-q"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tolvane-cli monetize: warning: no affiliate ID and software ID are stored, "
                     "so the shortcut's link carries no referral reference and downloads through "
                     "it are not credited to you;\n"
                     "tolvane-cli monetize: store them with 'tolvane-cli settings --partner-id ID "
                     "--software-id ID' (sign up with 'tolvane-cli signup' to get them)\n");
    EXPECT_EQ(RunPeer("unzip -p " + ShellQuote(zip_) + " 'Download the archiver.URL'").output,
              "[InternetShortcut]\r\nURL=http://dl.example.net/\r\n");
}

TEST_F(MonetizeCommandTest, SettingsShowUnsetValuesAndRefuseUnknownLanguages) {
    EXPECT_NE(Settings({}).out.find("\naffiliate ID:      (not set)\nsoftware ID:       (not "
                                    "set)\naudience language: 0 (English)\n"),
              std::string::npos);
    const auto refused = Settings({"--language", "Klingon"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "tolvane-cli settings: unknown language 'Klingon' (transl.dat has 0 "
                           "English, 1 Espa\xC3\xB1ol, 2 Fran\xC3\xA7"
                           "ais, 3 Deutsch, 4 "
                           "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9)\n"
                           "Try 'tolvane-cli settings --help'.\n");
    EXPECT_EQ(Settings({"--language", "5"}).status, 2);
    EXPECT_EQ(Settings({"--language=deutsch"}).status, 0);
    EXPECT_NE(Settings({}).out.find("audience language: 3 (Deutsch)\n"), std::string::npos);
}

TEST_F(MonetizeCommandTest, APasswordFromStandardInputProtectsTheZip) {
    auto r = Monetize({scratch_ / "Docs", "-o", zip_, "--password-stdin"}, "s3cret\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(RunPeer("unzip -tqq -P s3cret " + ShellQuote(zip_)).status, 0);
    auto empty = Monetize({scratch_ / "Docs", "-o", scratch_ / "x.zip", "--password-stdin"}, "\n");
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.err, "tolvane-cli monetize: no password on standard input\n");
}

TEST_F(MonetizeCommandTest, ALanguageWithoutShortcutNameWritesNothing) {
    // Written by hand: the settings command refuses a language transl.dat does not have.
    scratch_.WriteFile("config/Tolvane/settings", "signedup=dword:0\npartnerid=sz:\n"
                                                  "softwareid=sz:\ntargetlanguage=dword:9\n");
    auto r = Monetize({scratch_ / "Docs", "-o", zip_});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "tolvane-cli monetize: No audience language chosen: set it to a number from "
                     "0 to 4 in the settings.\n");
    EXPECT_FALSE(fs::exists(zip_));
}

TEST_F(MonetizeCommandTest, FilesLeftOutAreNamedAndGiveStatusOne) {
    fs::create_symlink(scratch_ / "gone", scratch_ / "Docs/lost.txt");
    for (const char* verbosity : {"-q", "-v"}) {
        auto r = Monetize({scratch_ / "Docs", "-o", zip_, verbosity});
        EXPECT_EQ(r.status, 1);
        // The writer and the report's number only with -v.
        EXPECT_NE(r.err.find(std::string("tolvane-cli monetize: ") +
                             (verbosity[1] == 'v' ? "BH error 25303: " : "") +
                             scratch_ / "Docs/lost.txt" + ": left out \u2013 a link to nothing\n"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_TRUE(fs::exists(zip_));
}

TEST_F(MonetizeCommandTest, SettingsNeedBothIds) {
    const std::vector<std::string> cases[] = {
        {"--partner-id", "p"}, {"--partner-id", " \t", "--software-id", "s"}, // blank is empty
    };
    for (const auto& args : cases) {
        auto r = Settings(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "tolvane-cli settings: give both --partner-id and --software-id, neither "
                         "empty\nTry 'tolvane-cli settings --help'.\n");
    }
    EXPECT_FALSE(fs::exists(scratch_ / "config/Tolvane/settings"));
}

// IDs pasted from the partner's mail: stored without their blanks, signed up
// with them (the window then opens on no page), and the link stays valid.
TEST_F(MonetizeCommandTest, StoredIdsAreTrimmedAndCountAsSignedUp) {
    ASSERT_EQ(Settings({"--language", "0"}).status, 0);
    EXPECT_NE(Settings({}).out.find("\nsigned up:         no\n"), std::string::npos);
    const auto saved = Settings({"--partner-id", " P-777 ", "--software-id", "\tS/888\r\n"});
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(ReadFileText(scratch_ / "config/Tolvane/settings"),
              "# Tolvane settings\nsignedup=dword:1\npartnerid=sz:P-777\nsoftwareid=sz:S/888\n"
              "targetlanguage=dword:0\n");
    EXPECT_NE(Settings({}).out.find("\nsigned up:         yes\n"), std::string::npos);
    const auto r = Monetize({scratch_ / "Docs", "-o", zip_, "-q"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(RunPeer("unzip -p " + ShellQuote(zip_) + " 'Download the archiver.URL'").output,
              "[InternetShortcut]\r\nURL=http://dl.example.net/index.php?ref=P-777_S%2F888\r\n");
}

// What Python's zipfile sees in a ZIP: "name:encrypted" per entry.
std::string ZipContents(const std::string& zip) {
    return RunPeer("python3 -c " +
                   ShellQuote("import sys, zipfile\n"
                              "for i in sorted(zipfile.ZipFile(sys.argv[1]).infolist(),\n"
                              "                key=lambda i: i.filename):\n"
                              "    print(i.filename + ':' + str(i.flag_bits & 1))\n") +
                   " " + ShellQuote(zip))
        .output;
}

TEST_F(MonetizeCommandTest, AnOutputNameGetsZipAndTheBhArchiveIsNamedAfterIt) {
    const struct {
        const char* given;
        const char* zip; // the file written, and named in the message
        const char* bh;  // the BH archive inside it
    } cases[] = {
        {"out/MyBook", "out/MyBook.zip", "MyBook.bh"},
        {"noext", "noext.zip", "noext.bh"},
        {"My.Book.v2", "My.Book.v2.zip", "My.Book.v2.bh"},
        {"book.tar.gz", "book.tar.gz.zip", "book.tar.gz.bh"},
        {"out.bh", "out.bh.zip", "out.bh.bh"},
        {"Docs.ZIP", "Docs.ZIP", "Docs.bh"},
    };
    scratch_.MakeFolder("out");
    for (const auto& c : cases) {
        const auto r = Monetize({scratch_ / "Docs", "-o", scratch_ / c.given});
        EXPECT_EQ(r.status, 0) << c.given << r.err;
        EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), scratch_ / c.zip + " written.\n")
            << c.given;
        // Listed in name order.
        const std::string bh = std::string(c.bh) + ":0\n";
        const std::string url = "Download the archiver.URL:0\n";
        EXPECT_EQ(ZipContents(scratch_ / c.zip), bh < url ? bh + url : url + bh) << c.given;
        if (std::string(c.given) != c.zip) {
            EXPECT_FALSE(fs::exists(scratch_ / c.given)) << c.given;
        }
    }
}

TEST_F(MonetizeCommandTest, APasswordAskedForIsAppliedToAZipJustWritten) {
    ASSERT_EQ(Monetize({scratch_ / "Docs", "-o", zip_}).status, 0);
    // At once, within the same two-second time slot.
    const std::string pw = scratch_.WriteFile("pw", "secret\n");
    auto r = Monetize({scratch_ / "Docs", "-o", zip_, "--password-file", pw});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string contents = ZipContents(zip_);
    EXPECT_NE(contents.find("Docs.bh:1\n"), std::string::npos) << contents;
    EXPECT_NE(contents.find("Download the archiver.URL:1\n"), std::string::npos) << contents;
}

TEST_F(MonetizeCommandTest, AZipOfSomethingElseIsAddedToWithAWarningUnlessReplaced) {
    ASSERT_EQ(Settings({"--partner-id", "p", "--software-id", "s"}).status, 0);
    std::vector<std::string> twelve;
    for (int i = 1; i <= 12; ++i)
        twelve.push_back("n" + std::string(i < 10 ? "0" : "") + std::to_string(i));
    const struct {
        std::vector<std::string> names;
        std::string holds; // "" when no warning is due
    } cases[] = {
        {{"Docs.bh", "Download the archiver.URL"}, ""}, // this job's own ZIP
        {{"notes.txt"}, "1 other entry (notes.txt)"},
        {{"a.txt", "Docs.bh", "b/c.txt"}, "2 other entries (a.txt, b/c.txt)"},
        {twelve, "12 other entries (n01, n02, n03, n04, n05, n06, n07, n08, n09, n10 and 2 more)"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(WriteWithZipfile(zip_, c.names).status, 0);
        const auto added = Monetize({scratch_ / "Docs", "-o", zip_, "-q"});
        EXPECT_EQ(added.status, 0);
        EXPECT_EQ(added.err, c.holds.empty() ? ""
                                             : "tolvane-cli monetize: warning: " + zip_ +
                                                   " already holds " + c.holds +
                                                   "; adding to it. Use --replace to write it "
                                                   "anew.\n");
        std::set<std::string> names(c.names.begin(), c.names.end());
        names.insert({"Docs.bh", "Download the archiver.URL"});
        std::string expected;
        for (const std::string& name : names)
            expected += name + ":0\n";
        EXPECT_EQ(ZipContents(zip_), expected);

        const auto replaced = Monetize({scratch_ / "Docs", "-o", zip_, "-q", "--replace"});
        EXPECT_EQ(replaced.status, 0);
        EXPECT_EQ(replaced.err, "");
        EXPECT_EQ(ZipContents(zip_), "Docs.bh:0\nDownload the archiver.URL:0\n");
    }
}

TEST_F(MonetizeCommandTest, AFolderArgumentThatIsNoFolderIsNamedForWhatItIs) {
    const std::string file = scratch_.WriteFile("plain.txt", "x");
    const std::pair<std::string, const char*> cases[] = {
        {scratch_ / "nope", "no such folder"},
        {file, "not a folder"},
    };
    for (const auto& [folder, what] : cases) {
        const auto r = Monetize({folder, "-o", zip_});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "tolvane-cli monetize: " + folder + ": " + what + "\n");
    }
}

TEST_F(MonetizeCommandTest, AnOutputFolderThatCannotTakeTheZipIsSaidBeforeAnyWork) {
    ASSERT_EQ(Settings({"--partner-id", "p", "--software-id", "s"}).status, 0);
    const std::string file = scratch_.WriteFile("plain.txt", "x");
    const struct {
        std::string given, written;
        const char* why;
    } outputs[] = {
        {scratch_ / "nodir/x.zip", scratch_ / "nodir/x.zip", "No such file or directory"},
        {file + "/x", file + "/x.zip", "Not a directory"},
    };
    for (const auto& o : outputs) {
        const auto r = Monetize({scratch_ / "Docs", "-o", o.given});
        EXPECT_EQ(r.status, 2) << o.given;
        // Said once, naming the ZIP as it would have been written.
        EXPECT_EQ(r.err, "tolvane-cli monetize: cannot write " + o.written + ": " + o.why + "\n");
    }
}

TEST_F(MonetizeCommandTest, SettingsThatCannotBeReadStopTheJobAndAreNotShown) {
    const std::string path = scratch_ / "config/Tolvane/settings";
    // nullptr: a folder where the file should be.
    for (const char* text : {"", "signedup=dword:1\r\npartnerid=sz:p", "garbage\n",
                             static_cast<const char*>(nullptr)}) {
        fs::remove_all(path);
        if (text)
            scratch_.WriteFile("config/Tolvane/settings", text);
        else
            scratch_.MakeFolder("config/Tolvane/settings");
        const std::string why = text ? std::string(text) : "a folder";
        auto r = Monetize({scratch_ / "Docs", "-o", zip_});
        EXPECT_EQ(r.status, 2) << why;
        EXPECT_NE(r.err.find("Could not read data from Registry."), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("The settings could not be read (" + path + ": "), std::string::npos)
            << r.err;
        EXPECT_FALSE(fs::exists(zip_));
        const auto shown = Settings({});
        EXPECT_EQ(shown.status, 2) << why;
        EXPECT_EQ(shown.out, "") << why;
        EXPECT_NE(shown.err.find("tolvane-cli settings: " + path + ": "), std::string::npos)
            << shown.err;
    }
    EXPECT_NE(Settings({}).err.find(path + ": it is a folder, not a file"), std::string::npos);
}

} // namespace
