// The ZIP reader on archives made by Info-ZIP, Python's zipfile and 7-Zip,
// and on damaged ones.
#include "archive/formats/ZipReader.h"

#include "archive/framework/ByteOrder.h"
#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace tolvane;
using namespace tolvane::archive;
using namespace tolvane::test;

namespace {

class ZipReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        scratch_.WriteFile("in/notes.txt", std::string(20000, 'n') + "end");
        scratch_.WriteFile("in/empty.dat", "");
        scratch_.WriteFile("in/raw.bin", RandomBytes(3000, 1));
    }

    void Make(const std::string& command) {
        auto r = RunPeer("cd " + ShellQuote(scratch_ / "in") + " && " + command);
        ASSERT_EQ(r.status, 0) << r.output;
    }

    struct Outcome {
        std::vector<ZipEntry> entries;
        std::vector<std::string> errors; // "" for an entry that checked out
        std::string damage;
    };

    Outcome Read(const std::string& name, const std::string* password = nullptr) {
        Outcome o;
        ZipReader reader(scratch_ / name, platform::CodePage(850, "UTF-8"));
        EXPECT_TRUE(reader.IsOpen());
        if (!reader.ReadDirectory(o.entries, o.damage))
            return o;
        for (const auto& e : o.entries) {
            std::string error;
            std::string data;
            bool ok = reader.Extract(
                e,
                [&](const uint8_t* d, size_t n) {
                    data.append(reinterpret_cast<const char*>(d), n);
                },
                password, error);
            if (ok) {
                EXPECT_EQ(data.size(), e.uncompressedSize);
            }
            o.errors.push_back(ok ? "" : error);
        }
        return o;
    }

    TempFolder scratch_;
};

TEST_F(ZipReaderTest, ReadsWhatInfoZipWrites) {
    Make("zip -q ../plain.zip notes.txt empty.dat raw.bin && zip -q -0 ../stored.zip notes.txt");
    auto plain = Read("plain.zip");
    ASSERT_EQ(plain.entries.size(), 3u);
    EXPECT_EQ(plain.entries[0].name, "notes.txt");
    EXPECT_EQ(plain.entries[0].method, 8);
    EXPECT_EQ(plain.entries[0].uncompressedSize, 20003u);
    EXPECT_EQ(plain.errors, (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(Read("stored.zip").entries.at(0).method, 0);
}

TEST_F(ZipReaderTest, DeciphersInfoZipAnd7ZipEncryption) {
    Make("zip -q -P pass ../izip.zip notes.txt raw.bin && "
         "7z a -tzip -mx=0 -ppass -mem=ZipCrypto ../seven.zip notes.txt raw.bin >/dev/null");
    const std::string good = "pass", bad = "nope";
    for (const char* name : {"izip.zip", "seven.zip"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Read(name, &good).errors, (std::vector<std::string>{"", ""}));
        EXPECT_EQ(Read(name, &bad).errors.at(0), "wrong password");
        EXPECT_EQ(Read(name).errors.at(0), "encrypted: give --password-file");
    }
}

TEST_F(ZipReaderTest, ReadsUtf8NamesAndZip64FromPython) {
    Make("python3 -c " + ShellQuote("import zipfile\n"
                                    "with zipfile.ZipFile('../py.zip', 'w') as z:\n"
                                    "    z.writestr('数据.txt', 'data')\n"
                                    "    with z.open('z64.txt', 'w', force_zip64=True) as f:\n"
                                    "        f.write(b'x' * 5000)\n"));
    auto py = Read("py.zip");
    ASSERT_EQ(py.entries.size(), 2u);
    EXPECT_EQ(py.entries[0].name, "数据.txt");
    EXPECT_EQ(py.entries[1].uncompressedSize, 5000u);
    EXPECT_EQ(py.errors, (std::vector<std::string>{"", ""}));
}

TEST_F(ZipReaderTest, DamagedArchivesGiveErrorsNotCrashes) {
    Make("zip -q -0 ../good.zip notes.txt raw.bin");
    const auto good = ReadFileBytes(scratch_ / "good.zip");
    const size_t end = good.size() - 22;
    const size_t cd = LoadLE32(good.data() + end + 16);
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        std::string expectDamage, expectEntryError;
    };
    const Case cases[] = {
        {"flipped data byte",
         [](auto& b) { b[30 + LoadLE16(b.data() + 26) + LoadLE16(b.data() + 28) + 5] ^= 1; }, "",
         "CRC mismatch"},
        {"cut short", [](auto& b) { b.resize(b.size() - 30); }, "no end record", ""},
        {"directory outside", [&](auto& b) { StoreLE32(b.data() + end + 16, 0x7FFFFFF0); },
         "the central directory lies outside the archive", ""},
        {"name past the end", [&](auto& b) { StoreLE16(b.data() + cd + 28, 0xFFFF); },
         "a central record runs past the directory", ""},
        {"local offset outside", [&](auto& b) { StoreLE32(b.data() + cd + 42, 0x7FFFFFF0); }, "",
         "no local header at offset"},
        {"size past the end", [&](auto& b) { StoreLE32(b.data() + cd + 20, 0x7FFFFFF0); }, "",
         "the data runs past the end of the archive"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto bytes = good;
        c.damage(bytes);
        scratch_.WriteFile("bad.zip", bytes);
        auto o = Read("bad.zip");
        if (!c.expectDamage.empty()) {
            EXPECT_EQ(o.damage.rfind(c.expectDamage, 0), 0u) << o.damage;
            continue;
        }
        EXPECT_EQ(o.damage, "");
        ASSERT_FALSE(o.errors.empty());
        EXPECT_EQ(o.errors[0].rfind(c.expectEntryError, 0), 0u) << "[" << o.errors[0] << "]";
    }
}

} // namespace
