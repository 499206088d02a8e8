// The deflate stage: round trips through zlib's inflate, the empty stream,
// determinism with a reused engine, output placement, cancel, cipher,
// progress and write failures.
#include "archive/codecs/CompressStream.h"

#include "archive/framework/FileStream32.h"
#include "archive/framework/MemoryStream32.h"

#include "support/TempFolder.h"

#include "support/TestStreams.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>
#include <string>
#include <vector>

namespace tolvane::archive {
namespace {

using tolvane::test::FullStream;
using tolvane::test::RecordingStream;

using Bytes = std::vector<uint8_t>;

const TDeflateType kAllTypes[] = {dtDeflateS, dtDeflateF, dtDeflateN, dtDeflateX};

void Fill(TMemoryStream32& stream, const Bytes& bytes) {
    stream.Clear();
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
}

Bytes Contents(TMemoryStream32& stream, size_t from = 0) {
    return Bytes(stream.Data() + from, stream.Data() + stream.Size());
}

// Expands a raw deflate stream; fails the test if it is not one, or if bytes
// follow its end.
Bytes Inflate(const Bytes& packed) {
    z_stream zs{};
    if (inflateInit2(&zs, -15) != Z_OK)
        throw std::runtime_error("inflateInit2");
    Bytes out;
    uint8_t chunk[65536];
    zs.next_in = const_cast<Bytef*>(packed.data());
    zs.avail_in = static_cast<uInt>(packed.size());
    int result = Z_OK;
    while (result == Z_OK) {
        zs.next_out = chunk;
        zs.avail_out = sizeof chunk;
        result = inflate(&zs, Z_NO_FLUSH);
        out.insert(out.end(), chunk, chunk + (sizeof chunk - zs.avail_out));
    }
    const uInt leftOver = zs.avail_in;
    inflateEnd(&zs);
    EXPECT_EQ(result, Z_STREAM_END) << "not a complete raw deflate stream";
    EXPECT_EQ(leftOver, 0u) << "bytes after the end of the deflate stream";
    return out;
}

// What zlib itself makes of `data` with the same parameters in one call.
Bytes ReferenceDeflate(const Bytes& data, int level) {
    z_stream zs{};
    if (deflateInit2(&zs, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    Bytes out(deflateBound(&zs, data.size()));
    zs.next_in = const_cast<Bytef*>(data.data());
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    if (result != Z_STREAM_END)
        throw std::runtime_error("deflate");
    return out;
}

// Words from a small vocabulary: compressible like real text, not trivially.
Bytes TextLike(size_t size) {
    static const char* const kWords[] = {"archive ", "stream ",  "deflate ", "the ",
                                         "of ",      "window\n", "header ",  "entry, ",
                                         "CRC ",     "buffer. ", "file ",    "folder "};
    Bytes out;
    out.reserve(size);
    uint32_t state = 12345;
    while (out.size() < size) {
        state = state * 1103515245u + 12345u;
        const char* word = kWords[(state >> 16) % 12];
        for (const char* p = word; *p && out.size() < size; ++p)
            out.push_back(static_cast<uint8_t>(*p));
    }
    return out;
}

struct Packed {
    bool ok;
    uint32_t crc;
    Bytes bytes;
};

Packed Pack(const Bytes& data, TDeflateType type, DeflateEngine& engine,
            const CodecRecord& record = {}, uint32_t entryCrc = kCrc32Start) {
    TMemoryStream32 source;
    Fill(source, data);
    TMemoryStream32 destination;
    const bool ok = CompressEntryData(source, destination, record, nullptr, engine, type,
                                      source.Size(), entryCrc);
    return {ok, entryCrc, Contents(destination)};
}

Packed Pack(const Bytes& data, TDeflateType type) {
    DeflateEngine engine;
    return Pack(data, type, engine);
}

class XorCipher : public BufferCipher {
public:
    void EncryptBuffer(uint8_t* data, size_t length) override {
        for (size_t i = 0; i < length; ++i)
            data[i] ^= 0x3C;
    }
};

// --- levels ------------------------------------------------------------------

TEST(DeflateLevelTest, LevelsAndMethodNames) {
    EXPECT_EQ(DeflateLevel(dtDeflateS), 0);
    EXPECT_EQ(DeflateLevel(dtDeflateF), 1);
    EXPECT_EQ(DeflateLevel(dtDeflateN), -1);
    EXPECT_EQ(DeflateLevel(dtDeflateX), 9);
    EXPECT_STREQ(DeflateMethodName(dtDeflateS), "DeflateS");
    EXPECT_STREQ(DeflateMethodName(dtDeflateF), "DeflateF");
    EXPECT_STREQ(DeflateMethodName(dtDeflateN), "DeflateN");
    EXPECT_STREQ(DeflateMethodName(dtDeflateX), "DeflateX");
}

// --- round trips -------------------------------------------------------------

TEST(CompressStreamTest, RoundTripsEveryLevel) {
    const std::pair<const char*, Bytes> inputs[] = {
        {"tiny", {'x'}},
        {"short text", TextLike(300)},
        {"1 MiB text", TextLike(1 << 20)},
        {"random", test::RandomBytes(400000, 1)},
    };
    for (TDeflateType type : kAllTypes) {
        for (const auto& [name, data] : inputs) {
            SCOPED_TRACE(std::string(DeflateMethodName(type)) + " " + name);
            const Packed packed = Pack(data, type);
            EXPECT_TRUE(packed.ok);
            EXPECT_EQ(packed.crc, Crc32(data.data(), data.size()));
            EXPECT_EQ(Inflate(packed.bytes), data);
        }
    }
}

TEST(CompressStreamTest, UsesTheEngineParametersOfEachLevel) {
    // Same bytes as zlib with window bits -15, memory level 8 and the level of
    // the type, fed in one call: the pieces do not change the stream.
    const Bytes data = TextLike(700000);
    for (TDeflateType type : {dtDeflateF, dtDeflateN, dtDeflateX}) {
        SCOPED_TRACE(DeflateMethodName(type));
        EXPECT_EQ(Pack(data, type).bytes, ReferenceDeflate(data, DeflateLevel(type)));
    }
    EXPECT_LT(Pack(data, dtDeflateX).bytes.size(), Pack(data, dtDeflateF).bytes.size());
}

TEST(CompressStreamTest, EmptySourceGivesTheEmptyFinalBlock) {
    for (TDeflateType type : {dtDeflateF, dtDeflateN, dtDeflateX}) {
        SCOPED_TRACE(DeflateMethodName(type));
        const Packed packed = Pack({}, type);
        EXPECT_TRUE(packed.ok);
        EXPECT_EQ(packed.bytes, (Bytes{0x03, 0x00}));
        EXPECT_EQ(packed.crc, 0u);
    }
    const Packed stored = Pack({}, dtDeflateS);
    EXPECT_EQ(stored.crc, 0u);
    EXPECT_TRUE(Inflate(stored.bytes).empty());
}

TEST(CompressStreamTest, IdenticalBytesAtMaximumLevel) {
    const Bytes data(262144, 'A');
    const Packed packed = Pack(data, dtDeflateX);
    EXPECT_TRUE(packed.ok);
    EXPECT_LT(packed.bytes.size(), 2000u);
    EXPECT_EQ(Inflate(packed.bytes), data);
    EXPECT_EQ(packed.crc, Crc32(data.data(), data.size()));
}

TEST(CompressStreamTest, OutputGoesOutInFullBufferPieces) {
    const Bytes data = test::RandomBytes(500000, 2);
    TMemoryStream32 source;
    Fill(source, data);
    RecordingStream destination;
    DeflateEngine engine;
    uint32_t crc = kCrc32Start;
    ASSERT_TRUE(CompressEntryData(source, destination, {}, nullptr, engine, dtDeflateN,
                                  source.Size(), crc));
    ASSERT_GE(destination.writes.size(), 4u);
    for (size_t i = 0; i + 1 < destination.writes.size(); ++i)
        EXPECT_EQ(destination.writes[i], 131070);
    EXPECT_LE(destination.writes.back(), 131070);
    EXPECT_EQ(Inflate(Contents(destination)), data);
}

// --- determinism and engine reuse --------------------------------------------

TEST(CompressStreamTest, SameInputGivesSameBytes) {
    const Bytes data = TextLike(300000);
    for (TDeflateType type : kAllTypes) {
        SCOPED_TRACE(DeflateMethodName(type));
        EXPECT_EQ(Pack(data, type).bytes, Pack(data, type).bytes);
    }
}

TEST(CompressStreamTest, ReusedEngineGivesTheBytesOfAFreshOne) {
    const Bytes entries[] = {TextLike(200000), test::RandomBytes(150000, 3), Bytes{}, TextLike(50),
                             Bytes(70000, 'z')};
    const TDeflateType types[] = {dtDeflateN, dtDeflateN, dtDeflateX, dtDeflateF,
                                  dtDeflateF, dtDeflateS, dtDeflateN};
    DeflateEngine shared;
    int index = 0;
    for (TDeflateType type : types) {
        for (const Bytes& data : entries) {
            SCOPED_TRACE(std::to_string(index++));
            const Packed reused = Pack(data, type, shared);
            const Packed fresh = Pack(data, type);
            EXPECT_EQ(reused.bytes, fresh.bytes);
            EXPECT_EQ(reused.crc, fresh.crc);
        }
    }
}

TEST(CompressStreamTest, EngineRecoversFromACancelledEntry) {
    const Bytes data = TextLike(600000);
    DeflateEngine engine;
    {
        std::atomic<bool> cancel{false};
        int pumps = 0;
        const std::function<void()> pump = [&] {
            if (++pumps == 3)
                cancel = true;
        };
        CodecRecord record;
        record.cancel = &cancel;
        record.pump = &pump;
        EXPECT_FALSE(Pack(data, dtDeflateN, engine, record).ok);
    }
    EXPECT_EQ(Pack(data, dtDeflateN, engine).bytes, Pack(data, dtDeflateN).bytes);
}

// --- placement ---------------------------------------------------------------

TEST(CompressStreamTest, OutputFollowsWhatTheDestinationHeld) {
    const Bytes data = TextLike(100000);
    TMemoryStream32 source;
    Fill(source, data);
    TMemoryStream32 destination;
    destination.WriteBuffer("HEADER", 6);
    DeflateEngine engine;
    uint32_t crc = kCrc32Start;
    ASSERT_TRUE(CompressEntryData(source, destination, {}, nullptr, engine, dtDeflateN,
                                  source.Size(), crc));
    EXPECT_EQ(Bytes(destination.Data(), destination.Data() + 6),
              Bytes({'H', 'E', 'A', 'D', 'E', 'R'}));
    EXPECT_EQ(Inflate(Contents(destination, 6)), data);
}

TEST(CompressStreamTest, OutputLandsAtTheWritePositionWhenTheDestinationMoves) {
    const Bytes data = test::RandomBytes(400000, 4);
    TMemoryStream32 destination;
    destination.WriteBuffer("0123456789", 10);
    DeflateEngine engine;
    TCompressStream stream(destination, engine, {}, dtDeflateN);
    const int64_t pieces[] = {131072, 131072, 137856};
    int64_t offset = 0;
    for (int64_t piece : pieces) {
        stream.WriteBuffer(data.data() + offset, piece);
        offset += piece;
        // The writer goes back to patch its header in between.
        destination.SetPosition(2);
        destination.WriteBuffer("ab", 2);
    }
    destination.SetPosition(0);
    ASSERT_TRUE(stream.Finish());
    EXPECT_EQ(Bytes(destination.Data(), destination.Data() + 10),
              Bytes({'0', '1', 'a', 'b', '4', '5', '6', '7', '8', '9'}));
    EXPECT_EQ(Inflate(Contents(destination, 10)), data);
    EXPECT_EQ(stream.CrcRegister() ^ 0xFFFFFFFFu, Crc32(data.data(), data.size()));
}

TEST(CompressStreamTest, OnlyThePositionQueryAnswers) {
    TMemoryStream32 destination;
    DeflateEngine engine;
    TCompressStream stream(destination, engine, {}, dtDeflateN);
    const Bytes data = TextLike(5000);
    stream.WriteBuffer(data.data(), 5000);
    EXPECT_EQ(stream.Position(), 5000);
    EXPECT_EQ(stream.Seek(0, SeekOrigin::Begin), -1);
    EXPECT_EQ(stream.Seek(3, SeekOrigin::Current), -1);
    uint8_t byte;
    EXPECT_EQ(stream.Read(&byte, 1), -1);
    ASSERT_TRUE(stream.Finish());
    EXPECT_EQ(Inflate(Contents(destination)), data);
}

// --- cancel, progress --------------------------------------------------------

TEST(CompressStreamTest, CancelDuringALargeSourceReturnsFalse) {
    const Bytes data = test::RandomBytes(2 << 20, 5);
    TMemoryStream32 source;
    Fill(source, data);
    TMemoryStream32 destination;
    std::atomic<bool> cancel{false};
    int pumps = 0;
    const std::function<void()> pump = [&] {
        if (++pumps == 4)
            cancel = true;
    };
    int64_t remaining = static_cast<int64_t>(data.size());
    CodecRecord record;
    record.cancel = &cancel;
    record.pump = &pump;
    record.remaining = &remaining;
    DeflateEngine engine;
    uint32_t crc = 0x0BADF00Du;
    EXPECT_FALSE(CompressEntryData(source, destination, record, nullptr, engine, dtDeflateN,
                                   source.Size(), crc));
    EXPECT_EQ(pumps, 4);
    // Three chunks went in before the cancel; the CRC is left alone.
    EXPECT_EQ(remaining, static_cast<int64_t>(data.size()) - 3 * 131072);
    EXPECT_EQ(crc, 0x0BADF00Du);
}

TEST(CompressStreamTest, RemainingCounterAndProgressFollowTheInput) {
    const Bytes data = TextLike(300000);
    TMemoryStream32 source;
    Fill(source, data);
    TMemoryStream32 destination;
    int64_t remaining = 1000000;
    CodecRecord record;
    record.remaining = &remaining;
    std::vector<std::pair<int64_t, int64_t>> calls; // position, remaining
    DeflateEngine engine;
    uint32_t crc = kCrc32Start;
    ASSERT_TRUE(CompressEntryData(
        source, destination, record,
        [&](int64_t position) { calls.emplace_back(position, remaining); }, engine, dtDeflateN,
        source.Size(), crc));
    EXPECT_EQ(remaining, 700000);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), (std::pair<int64_t, int64_t>{300000, 700000}));
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].first + calls[i].second, 1000000);
        if (i > 0) {
            EXPECT_GE(calls[i].first, calls[i - 1].first);
        }
    }
}

// --- cipher ------------------------------------------------------------------

TEST(CompressStreamTest, CipherEnciphersTheOutputAndKeepsTheCallersCrc) {
    const Bytes data = TextLike(400000);
    XorCipher cipher;
    CodecRecord record;
    record.cipher = &cipher;
    record.crcStart = 0x5555AAAAu;
    DeflateEngine engine;
    const Packed enciphered = Pack(data, dtDeflateN, engine, record, 0x12345678u);
    EXPECT_TRUE(enciphered.ok);
    EXPECT_EQ(enciphered.crc, 0x12345678u);
    Bytes plain = enciphered.bytes;
    for (auto& b : plain)
        b ^= 0x3C;
    EXPECT_EQ(plain, Pack(data, dtDeflateN).bytes);
}

TEST(CompressStreamTest, WithACipherTheCrcRegisterStaysAsSupplied) {
    XorCipher cipher;
    CodecRecord record;
    record.cipher = &cipher;
    record.crcStart = 0x5555AAAAu;
    TMemoryStream32 destination;
    DeflateEngine engine;
    TCompressStream stream(destination, engine, record, dtDeflateN);
    const Bytes data = TextLike(10000);
    stream.WriteBuffer(data.data(), 10000);
    ASSERT_TRUE(stream.Finish());
    EXPECT_EQ(stream.CrcRegister(), 0x5555AAAAu);

    // Without one, the register runs on from the supplied start value.
    TMemoryStream32 plainDestination;
    CodecRecord plain;
    plain.crcStart = 0x5555AAAAu;
    TCompressStream plainStream(plainDestination, engine, plain, dtDeflateN);
    plainStream.WriteBuffer(data.data(), 10000);
    ASSERT_TRUE(plainStream.Finish());
    EXPECT_EQ(plainStream.CrcRegister(), UpdateCrc32(0x5555AAAAu, data.data(), data.size()));
}

TEST(CompressStreamTest, CipheredEmptySourceWithUntouchedCrcGivesZero) {
    XorCipher cipher;
    CodecRecord record;
    record.cipher = &cipher;
    DeflateEngine engine;
    const Packed packed = Pack({}, dtDeflateN, engine, record, kCrc32Start);
    EXPECT_EQ(packed.crc, 0u);
    EXPECT_EQ(packed.bytes, (Bytes{0x03 ^ 0x3C, 0x00 ^ 0x3C}));
}

// --- write failures ----------------------------------------------------------

TEST(CompressStreamTest, RefusingDestinationThrowsWriteError) {
    TMemoryStream32 source;
    Fill(source, test::RandomBytes(500000, 6));
    FullStream destination(200000);
    DeflateEngine engine;
    uint32_t crc = kCrc32Start;
    try {
        CompressEntryData(source, destination, {}, nullptr, engine, dtDeflateN, source.Size(), crc);
        FAIL() << "short write not reported";
    } catch (const StreamWriteError& error) {
        EXPECT_EQ(error.ErrorNumber(), ENOSPC);
    }
    // The engine stays usable for the next entry.
    const Bytes next = TextLike(1000);
    EXPECT_EQ(Inflate(Pack(next, dtDeflateN, engine).bytes), next);
}

TEST(CompressStreamTest, FullDeviceThrowsWriteErrorWithEnospc) {
    TFileStream32 destination("/dev/full", TFileStream32::Mode::ReadWrite);
    if (!destination.IsValid())
        GTEST_SKIP() << "/dev/full is not available";
    TMemoryStream32 source;
    Fill(source, TextLike(1000));
    DeflateEngine engine;
    uint32_t crc = kCrc32Start;
    try {
        CompressEntryData(source, destination, {}, nullptr, engine, dtDeflateN, source.Size(), crc);
        FAIL() << "write to a full device not reported";
    } catch (const StreamWriteError& error) {
        EXPECT_EQ(error.ErrorNumber(), ENOSPC);
    }
}

TEST(CompressStreamTest, FileRoundTrip) {
    test::TempFolder folder;
    const Bytes data = TextLike(900000);
    const std::string in = folder.WriteFile("in.txt", data);
    TFileStream32 source(in, TFileStream32::Mode::Read);
    TFileStream32 destination(folder / "out.deflate", TFileStream32::Mode::Create);
    ASSERT_TRUE(source.IsValid() && destination.IsValid());
    DeflateEngine engine;
    uint32_t crc = kCrc32Start;
    ASSERT_TRUE(CompressEntryData(source, destination, {}, nullptr, engine, dtDeflateX,
                                  source.Size(), crc));
    ASSERT_TRUE(destination.Close());
    EXPECT_EQ(Inflate(test::ReadFileBytes(folder / "out.deflate")), data);
    EXPECT_EQ(crc, Crc32(data.data(), data.size()));
}

} // namespace
} // namespace tolvane::archive
