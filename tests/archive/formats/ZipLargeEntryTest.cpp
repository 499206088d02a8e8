// An entry of more than 4 GiB and an entry whose local header lies beyond
// 4 GiB: Zip64 records that the real readers accept. Slow: writes ~4.3 GB.
#include "archive/formats/ZipWriter.h"

#include "archive/framework/ByteOrder.h"
#include "support/Peers.h"
#include "support/TempFolder.h"
#include "support/WriterHarness.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::archive;
using namespace tolvane::test;

namespace {

TEST(ZipLargeEntryTest, EntriesBeyond4GiBGetZip64Records) {
    TempFolder scratch;
    const std::string source = scratch.MakeFolder("src");
    const std::string archive = scratch / "big.zip";
    const uint64_t bigSize = (4ull << 30) + (1 << 20);
    fs::resize_file(scratch.WriteFile("src/big.bh", "start"), bigSize); // sparse
    scratch.WriteFile("src/small.txt", "after the big one");

    TZip writer;
    ConfigureLikeJob(writer, source, archive);
    writer.RecurseDirs = false;
    writer.SetFileSpec({source + "/big.bh", source + "/small.txt"});
    writer.SetTempDir(scratch.MakeFolder("work"));
    std::vector<Report> reports;
    CollectReports(writer, reports);
    ASSERT_EQ(writer.Compress(), 2);
    EXPECT_TRUE(reports.empty());

    // The big entry's local header: sizes deferred to its Zip64 block.
    FILE* f = std::fopen(archive.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    uint8_t local[30 + 6 + 20];
    ASSERT_EQ(std::fread(local, 1, sizeof local, f), sizeof local);
    std::fclose(f);
    EXPECT_EQ(LoadLE32(local + 18), 0xFFFFFFFFu);
    EXPECT_EQ(LoadLE32(local + 22), 0xFFFFFFFFu);
    EXPECT_EQ(LoadLE16(local + 28), 20);
    EXPECT_EQ(LoadLE16(local + 36), 0x0001);
    EXPECT_EQ(LoadLE64(local + 40), bigSize);
    EXPECT_EQ(LoadLE64(local + 48), bigSize);

    const std::string a = ShellQuote(archive);
    auto unzip = RunPeer("unzip -t " + a);
    EXPECT_EQ(unzip.status, 0) << unzip.output;
    auto sevenZip = RunPeer("7z t " + a);
    EXPECT_EQ(sevenZip.status, 0) << sevenZip.output;
    auto python = RunPeer("python3 -c " +
                          ShellQuote("import sys, zipfile\n"
                                     "z = zipfile.ZipFile(sys.argv[1])\n"
                                     "i = z.getinfo('big.bh')\n"
                                     "assert i.file_size == int(sys.argv[2]), i.file_size\n"
                                     "assert z.read('small.txt') == b'after the big one'\n"
                                     "sys.exit(1 if z.testzip() else 0)\n") +
                          " " + a + " " + std::to_string(bigSize));
    EXPECT_EQ(python.status, 0) << python.output;

    // Adding to it reads the Zip64 directory back and keeps both entries.
    scratch.WriteFile("src/third.txt", "third");
    writer.SetFileSpec({source + "/third.txt"});
    writer.SetArchiveFile(archive);
    ASSERT_EQ(writer.Compress(), 1);
    auto listing = RunPeer("unzip -l " + a);
    EXPECT_EQ(listing.status, 0) << listing.output;
    EXPECT_NE(listing.output.find("third.txt"), std::string::npos);
    EXPECT_NE(listing.output.find(std::to_string(bigSize)), std::string::npos);
}

} // namespace
