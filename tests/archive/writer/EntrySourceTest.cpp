// An entry's bytes through the stages: the source (counting, progress, a stop,
// a file that changes size), the CRC, the stored codec, the cipher, the output.
#include "archive/writer/EntrySource.h"

#include "archive/codecs/StoredCodec.h"
#include "archive/framework/CipherStage.h"
#include "archive/framework/Crc.h"
#include "archive/framework/CrcStage.h"
#include "archive/framework/MemoryStream32.h"
#include "archive/framework/StreamSink.h"

#include "support/TempFolder.h"
#include "support/TestStreams.h"

#include <gtest/gtest.h>

#include <vector>

namespace tolvane::archive {
namespace {

using test::TempFolder;

class XorCipher : public BufferCipher {
public:
    void EncryptBuffer(uint8_t* data, size_t length) override {
        for (size_t i = 0; i < length; ++i)
            data[i] ^= 0xA5;
    }
};

struct Passed {
    std::vector<uint8_t> written;
    uint32_t crc = 0;
    int64_t remaining = 0;
    std::vector<int64_t> progress;
    int64_t done = 0;
};

// `size` bytes of `path` stored through the CRC and the cipher; `onPump`
// runs before each slice is read.
Passed Store(const std::string& path, int64_t size, bool counted,
             const std::function<void()>& onPump = {},
             const platform::CancelToken* cancel = nullptr) {
    Passed run;
    run.remaining = size;
    TFileStream32 file(path, TFileStream32::Mode::Read);
    const std::function<void(int64_t)> progress = [&](int64_t at) { run.progress.push_back(at); };
    EntrySource source(file, size,
                       {cancel, onPump ? &onPump : nullptr, counted ? &run.remaining : nullptr,
                        counted ? &progress : nullptr});
    CrcStage crc(source);
    TMemoryStream32 output;
    StreamSink out(output);
    XorCipher cipher;
    CipherStage sink(&cipher, out);
    ScratchBuffer buffer;
    EncodeStored(crc, sink, buffer);
    run.written.assign(output.Data(), output.Data() + output.Size());
    run.crc = crc.Crc();
    run.done = source.Done();
    return run;
}

TEST(EntrySourceTest, TheChainCountsTheBytesTakesTheirCrcAndEnciphersThem) {
    TempFolder scratch;
    const std::vector<uint8_t> bytes = test::RandomBytes(600000, 1);
    const std::string path = scratch.WriteFile("a.bin", bytes);
    const Passed run = Store(path, static_cast<int64_t>(bytes.size()), true);
    std::vector<uint8_t> expected = bytes;
    XorCipher().EncryptBuffer(expected.data(), expected.size());
    EXPECT_TRUE(run.written == expected);
    EXPECT_EQ(run.crc, Crc32(bytes.data(), bytes.size()));
    EXPECT_EQ(run.remaining, 0);
    // A slice at a time, up to the whole file.
    EXPECT_EQ(run.progress, (std::vector<int64_t>{262144, 524288, 600000}));

    // A pre-pass reads the same bytes without moving the run's count.
    const Passed prePass = Store(path, static_cast<int64_t>(bytes.size()), false);
    EXPECT_EQ(prePass.crc, run.crc);
    EXPECT_EQ(prePass.remaining, static_cast<int64_t>(bytes.size()));
    EXPECT_TRUE(prePass.progress.empty());

    const Passed empty = Store(scratch.WriteFile("empty", ""), 0, true);
    EXPECT_TRUE(empty.written.empty());
    EXPECT_EQ(empty.crc, 0u);
}

TEST(EntrySourceTest, AStopMadeBeforeASliceEndsTheReadingThere) {
    TempFolder scratch;
    const std::string path = scratch.WriteFile("a.bin", test::RandomBytes(1 << 20, 2));
    platform::CancelToken cancel;
    int pumps = 0;
    const Passed run = Store(
        path, 1 << 20, true,
        [&] {
            if (++pumps == 2)
                cancel.Request();
        },
        &cancel);
    EXPECT_EQ(pumps, 2);
    EXPECT_EQ(run.done, 262144);
    EXPECT_EQ(run.written.size(), 262144u);
    EXPECT_EQ(run.remaining, (1 << 20) - 262144);
}

TEST(EntrySourceTest, AFileThatChangedSizeIsReadToTheSizeItWasBegunWithOrThrows) {
    TempFolder scratch;
    const std::vector<uint8_t> bytes = test::RandomBytes(1000, 3);
    const std::string path = scratch.WriteFile("a.bin", bytes);
    // Grown since it was opened: the entry holds what it was begun with.
    const Passed grown = Store(path, 600, true);
    EXPECT_EQ(grown.done, 600);
    EXPECT_EQ(grown.crc, Crc32(bytes.data(), 600));
    // Shorter: no entry that claims bytes it does not hold.
    try {
        Store(path, 2000, true);
        ADD_FAILURE() << "a short file was taken";
    } catch (const StreamReadError& e) {
        EXPECT_STREQ(e.what(), "the file became shorter while it was read");
    }
}

} // namespace
} // namespace tolvane::archive
