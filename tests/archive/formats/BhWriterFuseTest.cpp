// The BH writer's Fuse route: header bytes, the store fall-back, encryption,
// and the failure paths, with the data checked by the project's decoder and by
// lhasa's -lh6- decoder.
#include "archive/formats/BhWriter.h"

#include "archive/framework/ByteOrder.h"
#include "archive/framework/Crc.h"
#include "support/Peers.h"
#include "support/TempFolder.h"
#include "support/WriterHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::archive;
using namespace tolvane::test;

namespace {

std::string Text(size_t size, unsigned seed = 1) {
    static const char* const kWords[] = {"archive ", "folder ", "publisher ", "download ",
                                         "the ",     "of ",     "shortcut ",  "entry\r\n"};
    std::mt19937 random(seed);
    std::string out;
    while (out.size() < size)
        out += kWords[random() % 8];
    out.resize(size);
    return out;
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

class BhWriterFuseTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_ = scratch_.MakeFolder("src");
        work_ = scratch_.MakeFolder("work");
        archive_ = scratch_ / "out.bh";
    }

    std::unique_ptr<TBhWriter> MakeWriter(const std::string& password = "") {
        auto writer = std::make_unique<TBhWriter>();
        ConfigureLikeJob(*writer, source_, archive_);
        writer->SetCompressMethod(cmFuse);
        writer->Password = password;
        writer->SetTempDir(work_);
        CollectReports(*writer, reports_);
        return writer;
    }

    // The entry's data bytes (after header and name) as they lie in the archive.
    std::vector<uint8_t> RawData(const ReadEntry& entry) {
        const std::vector<uint8_t> all = ReadFileBytes(archive_);
        const auto begin = all.begin() + static_cast<std::ptrdiff_t>(entry.header.dataOffset);
        return {begin, begin + entry.header.compressedLength};
    }

    TempFolder scratch_;
    std::string source_;
    std::string work_;
    std::string archive_;
    std::vector<Report> reports_;
};

TEST_F(BhWriterFuseTest, TextIsCodedAsMethodThreeThatLhasaDecodes) {
    const std::string text = Text(300000);
    scratch_.WriteFile("src/book.txt", text);
    ASSERT_EQ(MakeWriter()->Compress(), 1);
    EXPECT_TRUE(reports_.empty());
    const auto entries = ReadBhArchive(archive_);
    ASSERT_EQ(entries.size(), 1u);
    const BhEntry& h = entries[0].header;
    EXPECT_EQ(h.method, 3);
    EXPECT_EQ(h.flags, 0); // not encrypted, level N
    EXPECT_EQ(h.headerLength, 37 + std::string("book.txt").size());
    EXPECT_EQ(h.uncompressedLength, text.size());
    EXPECT_EQ(h.crc32, Crc32(text.data(), text.size()));
    EXPECT_LT(h.compressedLength, text.size() / 3);
    EXPECT_EQ(h.dataOffset + h.compressedLength, fs::file_size(archive_)); // nothing after it
    EXPECT_TRUE(entries[0].data == Bytes(text));

    if (!HavePeer("lha"))
        GTEST_SKIP() << "lhasa is not installed";
    // The same data under a level-0 LHA header with method -lh6-.
    const std::vector<uint8_t> coded = RawData(entries[0]);
    std::vector<uint8_t> lzh = {0, 0, '-', 'l', 'h', '6', '-'};
    for (uint32_t v : {h.compressedLength, h.uncompressedLength, h.dosDateTime})
        for (int i = 0; i < 4; ++i)
            lzh.push_back(static_cast<uint8_t>(v >> (8 * i)));
    lzh.insert(lzh.end(), {0x20, 0, 1, 'b'});
    const uint16_t crc16 = Crc16(text.data(), text.size());
    lzh.insert(lzh.end(), {static_cast<uint8_t>(crc16), static_cast<uint8_t>(crc16 >> 8)});
    lzh[0] = static_cast<uint8_t>(lzh.size() - 2);
    for (size_t i = 2; i < lzh.size(); ++i)
        lzh[1] = static_cast<uint8_t>(lzh[1] + lzh[i]);
    lzh.insert(lzh.end(), coded.begin(), coded.end());
    lzh.push_back(0);
    const std::string lzhPath = scratch_.WriteFile("book.lzh", lzh);
    const PeerResult printed =
        RunPeer("lha pq " + ShellQuote(lzhPath) + " > " + ShellQuote(scratch_ / "printed"));
    ASSERT_EQ(printed.status, 0) << printed.output;
    EXPECT_EQ(ReadFileText(scratch_ / "printed"), text);
}

TEST_F(BhWriterFuseTest, DataThatDoesNotShrinkIsStored) {
    const std::vector<uint8_t> noise = RandomBytes(50000, 4);
    scratch_.WriteFile("src/noise.bin", noise);
    scratch_.WriteFile("src/empty.dat", "");
    ASSERT_EQ(MakeWriter()->Compress(), 2);
    const auto entries = ReadBhArchive(archive_);
    ASSERT_EQ(entries.size(), 2u);
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.header.name);
        EXPECT_EQ(entry.header.method, 0);
        EXPECT_EQ(entry.header.flags, 0);
        EXPECT_EQ(entry.header.compressedLength, entry.header.uncompressedLength);
    }
    EXPECT_EQ(entries[0].header.crc32, 0u); // the empty file
    EXPECT_TRUE(entries[1].data == noise);
}

TEST_F(BhWriterFuseTest, APasswordEnciphersCodedAndStoredEntries) {
    const std::string text = Text(40000, 2);
    // A small compressible head, then enough noise for the coded data to catch
    // up with it only after much of it was written (and the keys moved on).
    std::vector<uint8_t> noise(2000, 0);
    const std::vector<uint8_t> tail = RandomBytes(3000000, 5);
    noise.insert(noise.end(), tail.begin(), tail.end());
    scratch_.WriteFile("src/a.txt", text);
    scratch_.WriteFile("src/b.bin", noise);
    scratch_.WriteFile("src/c.dat", "");
    ASSERT_EQ(MakeWriter("s3cret")->Compress(), 3);
    EXPECT_TRUE(reports_.empty());

    const std::string password = "s3cret";
    const auto entries = ReadBhArchive(archive_, &password);
    ASSERT_EQ(entries.size(), 3u);
    // a.txt: coded, enciphered; the length counts the 12-byte encryption header.
    EXPECT_EQ(entries[0].header.method, 3);
    EXPECT_EQ(entries[0].header.flags, 1);
    EXPECT_TRUE(entries[0].data == Bytes(text));
    // b.bin: stored after coding did not pay, still enciphered from a fresh start.
    EXPECT_EQ(entries[1].header.method, 0);
    EXPECT_EQ(entries[1].header.flags, 1);
    EXPECT_EQ(entries[1].header.compressedLength, noise.size() + 12);
    EXPECT_TRUE(entries[1].data == noise);
    // c.dat: empty files are never enciphered.
    EXPECT_EQ(entries[2].header.method, 0);
    EXPECT_EQ(entries[2].header.flags, 0);
    EXPECT_EQ(entries[2].header.compressedLength, 0u);
    EXPECT_EQ(entries[1].header.dataOffset + entries[1].header.compressedLength + 37 + 5,
              entries[2].header.dataOffset);

    // The enciphered bytes are not the plain ones, and a wrong password is noticed.
    const std::vector<uint8_t> raw = RawData(entries[1]);
    EXPECT_FALSE(std::equal(tail.begin(), tail.end(), raw.end() - 3000000));
    BhReader reader(archive_, platform::CodePage(850, "UTF-8"));
    const std::string wrong = "s3creT";
    std::string error;
    int wrongPasswords = 0;
    while (auto entry = reader.Next()) {
        if (entry->Encrypted() && !reader.Extract(*entry, nullptr, &wrong, error))
            ++wrongPasswords;
    }
    EXPECT_EQ(wrongPasswords, 2);
}

TEST_F(BhWriterFuseTest, CancelInTheMiddleOfAnEntryLeavesTheArchiveAsItWas) {
    scratch_.WriteFile("src/first.txt", Text(1000));
    ASSERT_EQ(MakeWriter()->Compress(), 1);
    const std::vector<uint8_t> before = ReadFileBytes(archive_);

    scratch_.WriteFile("src/big.txt", Text(3 << 20, 3));
    auto writer = MakeWriter();
    tolvane::platform::CancelToken cancel;
    writer->SetCancelToken(&cancel);
    writer->OnProgress = [&](TZipCommon&, uint8_t byFile, uint8_t) {
        if (byFile >= 30)
            cancel.Request();
    };
    EXPECT_EQ(writer->Compress(), 0);
    EXPECT_TRUE(ReadFileBytes(archive_) == before);
    EXPECT_EQ(CountTempFiles(work_), 0u);
}

TEST_F(BhWriterFuseTest, FilesThatCannotBeReadAreReportedAndTheRestIsWritten) {
#ifdef _WIN32
    GTEST_SKIP() << "takes the read permission away with POSIX mode bits";
#endif
    const std::string victim = scratch_.WriteFile("src/a.txt", Text(1 << 20));
    fs::create_symlink(scratch_ / "nowhere", source_ + "/dangling.txt");
    scratch_.WriteFile("src/c.txt", "after");
    auto writer = MakeWriter();
    writer->CodingThreads = 1; // the cut must fall inside the entry's own reading
    bool cut = false;
    writer->OnProgress = [&](TZipCommon&, uint8_t byFile, uint8_t) {
        if (!cut && byFile > 0 && byFile < 50) {
            fs::resize_file(victim, 1000);
            cut = true;
        }
    };
    EXPECT_EQ(writer->Compress(), 1);
    EXPECT_TRUE(cut);
    // The link is reported by the scan, before any data is read.
    ASSERT_EQ(reports_.size(), 2u);
    EXPECT_EQ(reports_[0].code, kErrNotRegularFile);
    EXPECT_EQ(reports_[0].fileName, source_ + "/dangling.txt");
    EXPECT_EQ(reports_[1].code, kErrOpeningFile);
    EXPECT_EQ(reports_[1].fileName, victim);
    EXPECT_EQ(reports_[1].extendedMsg, "the file became shorter while it was read");
    const auto entries = ReadBhArchive(archive_);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].header.name, "c.txt");
}

TEST_F(BhWriterFuseTest, FoldersAndUpdatesWorkAsWithDeflate) {
    scratch_.WriteFile("src/a.txt", Text(5000));
    scratch_.MakeFolder("src/empty");
    auto writer = MakeWriter();
    writer->StoreEmptySubDirs = true;
    ASSERT_EQ(writer->Compress(), 2);
    EXPECT_TRUE(reports_.empty());
    const std::vector<uint8_t> before = ReadFileBytes(archive_);

    // A deflated entry added to the Fuse archive: the old bytes stay as they are.
    scratch_.WriteFile("src/b.txt", Text(5000, 9));
    auto update = MakeWriter();
    update->SetCompressMethod(cmDeflate);
    ASSERT_EQ(update->Compress(), 1);
    const std::vector<uint8_t> after = ReadFileBytes(archive_);
    ASSERT_GT(after.size(), before.size());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
    const auto entries = ReadBhArchive(archive_);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].header.method, 3);
    EXPECT_EQ(entries[1].header.name, "empty/");
    EXPECT_EQ(entries[1].header.attributes, 0x10);
    EXPECT_EQ(entries[2].header.method, 8);
}

} // namespace
