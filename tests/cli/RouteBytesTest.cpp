// Every coding route writes the bytes it is known to write: the small
// benchmark corpus packed by each route, compared with recorded digests, for
// 1, 2 and 4 threads. A digest changes only when the coding does on purpose.
#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace tolvane::test;

namespace {

struct Route {
    const char* name;
    const char* command; // appended to "tolvane-cli"; {c} the corpus, {a} the archive
    const char* sha256;
};

// Written with TZ=UTC, OEM code page 850, Debian 12's zlib and libdeflate; the ZIP's entries
// record the corpus files' mode, made 0644 whatever the umask.
const Route kRoutes[] = {
    {"store", "pack {c} -o {a} --level S",
     "cd0f583c9820f8e48427ae2b4fdcb69f2a7a253196ee89a57f6216ab47c2912a"},
    {"deflate fast", "pack {c} -o {a} --level F",
     "889bf209e2c8e398f54cb9bd05377fb42b48c4ba4bdc8bd2caf4e2964de0a2c0"},
    {"deflate normal", "pack {c} -o {a} --level N",
     "dfeb01715bfcbbefa2d3bf077dada69e4dba8228ee850aaeecb3f1c6610a1281"},
    {"deflate maximum", "pack {c} -o {a} --level X",
     "7fd6a137ad677d6aa95d41e01017330b6e56b87eb81dd7a0e6ceacaa2d69bbaf"},
    {"fuse", "pack {c} -o {a} --method fuse",
     "04bf9793381640dd98990dc06e3d4909c05c29268fee2572564f7a86408123b8"},
    {"zip", "zip $(find {c}/logs {c}/docs -maxdepth 1 -type f | LC_ALL=C sort) -o {a}",
     "3f9aebb5bef19b346847562d1ae52c76491d74e35465306fe23c07e29b4618ba"},
    {"update", "pack {c}/docs -o {a} && " TOLVANE_CLI_PATH " pack {c} -o {a}",
     "ac474f1fb10b9a80e893c297b2d0231ec7c486aef953f6e9d635087926567425"},
};

std::string Replace(std::string text, const std::string& key, const std::string& value) {
    for (size_t at = text.find(key); at != std::string::npos;
         at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

class RouteBytesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        corpus_ = new TempFolder;
        const auto made = RunPeer("python3 " TOLVANE_SOURCE_DIR "/bench/make_corpus.py " +
                                  ShellQuote(corpus_->Path() + "/c") + " --scale 0.02");
        ASSERT_EQ(made.status, 0) << made.output;
        const auto modes = RunPeer("find " + ShellQuote(corpus_->Path() + "/c") +
                                   " -type f -exec chmod 0644 {} +");
        ASSERT_EQ(modes.status, 0) << modes.output;
    }
    static void TearDownTestSuite() {
        delete corpus_;
        corpus_ = nullptr;
    }
    static TempFolder* corpus_;
};

TempFolder* RouteBytesTest::corpus_ = nullptr;

TEST_F(RouteBytesTest, EachRouteWritesTheBytesItAlwaysWrote) {
    for (const char* jobs : {"1", "2", "4"}) {
        for (const Route& route : kRoutes) {
            SCOPED_TRACE(std::string(route.name) + ", " + jobs + " threads");
            TempFolder out;
            const std::string archive =
                out.Path() + (route.name == std::string("zip") ? "/a.zip" : "/a.bh");
            std::string command = Replace(route.command, "{c}", ShellQuote(corpus_->Path() + "/c"));
            command = Replace(command, "{a}", ShellQuote(archive));
            const auto run = RunPeer("export TZ=UTC TOLVANE_OEM_CODEPAGE=850 LC_ALL=C.UTF-8 "
                                     "TOLVANE_JOBS=" +
                                     std::string(jobs) + "; " TOLVANE_CLI_PATH " " + command);
            ASSERT_EQ(run.status, 0) << run.output;
            EXPECT_EQ(RunPeer("sha256sum < " + ShellQuote(archive) + " | cut -c1-64").output,
                      std::string(route.sha256) + "\n");
        }
    }
}

} // namespace
