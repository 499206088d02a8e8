// The Fuse encoder against two decoders: the project's own and lhasa's -lh6-
// decoder, which reads the same block layout with a larger window.
#include "archive/codecs/FuseDecoder.h"
#include "archive/codecs/FuseEncoder.h"
#include "archive/codecs/FuseHuffman.h"
#include "archive/codecs/FuseMatchFinder.h"
#include "archive/framework/Crc.h"

#include "support/Peers.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace tolvane::archive {
namespace {

using fuse::FuseEncoder;
using fuse::FuseOutcome;
using fuse::FuseStreams;
using test::RandomBytes;

struct Encoded {
    FuseOutcome outcome;
    std::vector<uint8_t> data;
};

Encoded Encode(const std::vector<uint8_t>& source, bool stopRule = true,
               const tolvane::platform::CancelToken* cancel = nullptr) {
    size_t at = 0;
    Encoded result{FuseOutcome::Done, {}};
    FuseStreams streams;
    streams.read = [&](uint8_t* buffer, size_t length) {
        const size_t count = std::min(length, source.size() - at);
        if (count > 0) // an empty vector may have no storage at all
            std::memcpy(buffer, source.data() + at, count);
        at += count;
        return count;
    };
    streams.write = [&](uint8_t* data, size_t length) {
        result.data.insert(result.data.end(), data, data + length);
    };
    streams.cancel = cancel;
    FuseEncoder encoder;
    result.outcome = encoder.Encode(streams, stopRule);
    return result;
}

bool Decode(const std::vector<uint8_t>& coded, uint64_t size, std::vector<uint8_t>& out,
            std::string& error) {
    size_t at = 0;
    out.clear();
    return FuseDecode(
        coded.size(), size,
        [&](uint8_t* buffer, size_t length) {
            std::memcpy(buffer, coded.data() + at, length);
            at += length;
            return true;
        },
        [&](const uint8_t* data, size_t length) { out.insert(out.end(), data, data + length); },
        error);
}

// A one-entry LHA archive (level-0 header, method -lh6-) around coded data.
std::vector<uint8_t> LhaArchive(const std::vector<uint8_t>& coded,
                                const std::vector<uint8_t>& source) {
    const std::string name = "data.bin";
    std::vector<uint8_t> header;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            header.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    header.push_back(0); // header size, set below
    header.push_back(0); // checksum, set below
    for (char c : std::string("-lh6-"))
        header.push_back(static_cast<uint8_t>(c));
    put32(static_cast<uint32_t>(coded.size()));
    put32(static_cast<uint32_t>(source.size()));
    put32(0x5A215C00);      // DOS date-time
    header.push_back(0x20); // attributes
    header.push_back(0);    // header level
    header.push_back(static_cast<uint8_t>(name.size()));
    header.insert(header.end(), name.begin(), name.end());
    const uint16_t crc = Crc16(source.data(), source.size());
    header.push_back(static_cast<uint8_t>(crc));
    header.push_back(static_cast<uint8_t>(crc >> 8));
    header[0] = static_cast<uint8_t>(header.size() - 2);
    uint8_t sum = 0;
    for (size_t i = 2; i < header.size(); ++i)
        sum = static_cast<uint8_t>(sum + header[i]);
    header[1] = sum;
    header.insert(header.end(), coded.begin(), coded.end());
    header.push_back(0); // end of archive
    return header;
}

std::vector<uint8_t> Text(size_t size, uint32_t seed) {
    static const char* const kWords[] = {"the",      "archive", "folder", "publisher", "of",
                                         "and",      "a",       "file",   "download",  "to",
                                         "shortcut", "is",      "with",   "referral",  "page\r\n"};
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < size) {
        text += kWords[random() % std::size(kWords)];
        text += random() % 9 == 0 ? ", " : " ";
    }
    text.resize(size);
    return {text.begin(), text.end()};
}

// Records and counters: compressible, but not text.
std::vector<uint8_t> Binary(size_t size) {
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<uint8_t>((i % 16 < 4) ? (i / 16) >> (8 * (i % 4)) : (i * 7) % 13);
    return data;
}

// Copies from every distance the window allows, mixed with literals.
std::vector<uint8_t> ManyDistances(size_t size) {
    std::mt19937 random(7);
    std::vector<uint8_t> data = RandomBytes(64, 3);
    while (data.size() < size) {
        if (random() % 4 == 0) {
            data.push_back(static_cast<uint8_t>(random()));
            continue;
        }
        const size_t distance = 1 + random() % std::min<size_t>(data.size(), 16383);
        const size_t length = 3 + random() % 60;
        for (size_t k = 0; k < length; ++k)
            data.push_back(data[data.size() - distance]);
    }
    data.resize(size);
    return data;
}

struct Sample {
    const char* name;
    std::vector<uint8_t> data;
};

std::vector<Sample> Samples() {
    std::vector<uint8_t> runs(300000, 'a');
    for (size_t i = 1000; i < runs.size(); i += 70001)
        runs[i] = 'b';
    std::vector<uint8_t> large = Text(1300000, 11);
    for (size_t i = 0; i < large.size(); i += 4099)
        large[i] = static_cast<uint8_t>(i >> 3);
    return {
        {"Text", Text(200000, 1)},
        {"Binary", Binary(150000)},
        {"Incompressible", RandomBytes(70000, 5)},
        {"Empty", {}},
        {"OneByte", {'x'}},
        {"Runs", runs},
        {"OverOneMegabyte", large},
        {"ManyDistances", ManyDistances(400000)},
    };
}

class FuseRoundTrip : public ::testing::TestWithParam<Sample> {};

TEST_P(FuseRoundTrip, OwnDecoderRestoresTheSource) {
    const Sample& sample = GetParam();
    const Encoded coded = Encode(sample.data, false);
    ASSERT_EQ(coded.outcome, FuseOutcome::Done);
    std::vector<uint8_t> out;
    std::string error;
    ASSERT_TRUE(Decode(coded.data, sample.data.size(), out, error)) << error;
    EXPECT_TRUE(out == sample.data);
    // Same input, same bytes.
    EXPECT_TRUE(Encode(sample.data, false).data == coded.data);
}

TEST_P(FuseRoundTrip, LhasaDecodesTheSameStreamAsLh6) {
    if (!test::HavePeer("lha"))
        GTEST_SKIP() << "lhasa is not installed";
    const Sample& sample = GetParam();
    const Encoded coded = Encode(sample.data, false);
    ASSERT_EQ(coded.outcome, FuseOutcome::Done);
    test::TempFolder folder;
    const std::string archive = folder.WriteFile("sample.lzh", LhaArchive(coded.data, sample.data));
    const test::PeerResult tested = test::RunPeer("lha t " + test::ShellQuote(archive));
    EXPECT_EQ(tested.status, 0) << tested.output;
    const test::PeerResult printed = test::RunPeer("lha pq " + test::ShellQuote(archive) + " > " +
                                                   test::ShellQuote(folder / "printed"));
    ASSERT_EQ(printed.status, 0) << printed.output;
    EXPECT_TRUE(test::ReadFileBytes(folder / "printed") == sample.data);
}

INSTANTIATE_TEST_SUITE_P(Sources, FuseRoundTrip, ::testing::ValuesIn(Samples()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FuseEncoder, CompressesLikeAnLzCoder) {
    // Long runs become matches of 256: a few bits per 256 bytes.
    const Encoded runs = Encode(std::vector<uint8_t>(1 << 20, 0));
    ASSERT_EQ(runs.outcome, FuseOutcome::Done);
    EXPECT_LT(runs.data.size(), 2000u);
    const std::vector<uint8_t> text = Text(500000, 2);
    const Encoded coded = Encode(text);
    ASSERT_EQ(coded.outcome, FuseOutcome::Done);
    EXPECT_LT(coded.data.size(), text.size() / 3);
}

TEST(FuseEncoder, GivesUpWhenTheOutputCatchesUpWithTheInput) {
    for (const auto& source :
         {RandomBytes(100000, 9), std::vector<uint8_t>{'x'}, std::vector<uint8_t>{}}) {
        const Encoded coded = Encode(source);
        EXPECT_EQ(coded.outcome, FuseOutcome::NotSmaller) << source.size();
        EXPECT_LE(coded.data.size(), source.size());
    }
}

TEST(FuseEncoder, StopsAtTheCancelFlag) {
    tolvane::platform::CancelToken cancel;
    const std::vector<uint8_t> text = Text(400000, 3);
    size_t at = 0;
    FuseStreams streams;
    streams.read = [&](uint8_t* buffer, size_t length) {
        const size_t count = std::min(length, text.size() - at);
        std::memcpy(buffer, text.data() + at, count);
        at += count;
        if (at > 100000)
            cancel.Request();
        return count;
    };
    size_t written = 0;
    streams.write = [&](uint8_t*, size_t length) { written += length; };
    streams.cancel = &cancel;
    FuseEncoder encoder;
    EXPECT_EQ(encoder.Encode(streams), FuseOutcome::Cancelled);
    EXPECT_LT(at, text.size());
    // The same encoder serves the next entry as a fresh one would.
    EXPECT_TRUE(Encode(text).data.size() > 0);
}

// Every position's match against a search of the whole window: the longest
// (up to 256 bytes and the end of the data), the nearest of equally long ones.
TEST(FuseMatchFinder, FindsTheLongestAndNearestMatchAtEveryPosition) {
    using fuse::kDicSize;
    using fuse::kMaxMatch;
    std::mt19937 random(12);
    std::vector<uint8_t> fourLetters(34000);
    for (auto& byte : fourLetters)
        byte = static_cast<uint8_t>("acgt"[random() % 4]);
    std::vector<uint8_t> periodic(34000);
    for (size_t i = 0; i < periodic.size(); ++i)
        periodic[i] = static_cast<uint8_t>(i % 300 < 280 ? i % 7 : random() % 3);
    for (const auto& data : {fourLetters, Text(34000, 8), periodic, RandomBytes(34000, 2)}) {
        std::vector<uint8_t> window(2 * kDicSize + kMaxMatch + 1 +
                                    fuse::FuseMatchFinder::kWindowPadding);
        fuse::FuseMatchFinder finder(window.data());
        finder.Reset();
        size_t loaded = std::min(data.size(), kDicSize + kMaxMatch);
        std::memcpy(window.data() + kDicSize, data.data(), loaded);
        size_t base = 0; // the data index at window position kDicSize
        size_t mismatches = 0;
        for (size_t p = 0; p < data.size(); ++p) {
            size_t position = kDicSize + p - base;
            if (position == 2 * kDicSize) {
                std::memmove(window.data(), window.data() + kDicSize, kDicSize + kMaxMatch);
                const size_t more = std::min(data.size() - loaded, kDicSize);
                std::memcpy(window.data() + kDicSize + kMaxMatch, data.data() + loaded, more);
                loaded += more;
                base += kDicSize;
                position -= kDicSize;
                finder.Slide();
            }
            const size_t available = data.size() - p;
            const fuse::Match found = finder.Insert(position, available);
            if (p % 7 != 0 && p + 300 < data.size())
                continue; // the full search is slow: a sample, and the whole end
            size_t bestLength = 0;
            size_t bestDistance = 0;
            const size_t limit = std::min(available, kMaxMatch);
            for (size_t distance = 1; distance < kDicSize && distance <= p; ++distance) {
                size_t length = 0;
                while (length < limit && data[p - distance + length] == data[p + length])
                    ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = distance;
                }
            }
            if (bestLength < fuse::kThreshold)
                bestLength = 0;
            const size_t foundDistance = found.length ? position - found.position : 0;
            if (found.length != bestLength || (bestLength && foundDistance != bestDistance))
                ++mismatches;
        }
        EXPECT_EQ(mismatches, 0u);
    }
}

TEST(FuseHuffman, LengthsAreOptimalWithinSixteenBitsAndCodesCanonical) {
    // Optimal lengths for small alphabets; the codes in order of length, then symbol.
    const uint32_t freq[6] = {5, 0, 3, 1, 1, 9};
    uint8_t lengths[6];
    uint16_t codes[6];
    ASSERT_EQ(fuse::MakeHuffmanCode(freq, 6, lengths, codes), 5);
    EXPECT_EQ(std::vector<int>(lengths, lengths + 6), (std::vector<int>{2, 0, 3, 4, 4, 1}));
    EXPECT_EQ(std::vector<int>(codes, codes + 6),
              (std::vector<int>{0b10, 0, 0b110, 0b1110, 0b1111, 0b0}));

    // Fibonacci frequencies make a tree 24 deep: cut to 16 bits, still complete,
    // and rarer symbols never get shorter codes than more frequent ones.
    std::vector<uint32_t> fib = {1, 1};
    while (fib.size() < 25)
        fib.push_back(fib[fib.size() - 1] + fib[fib.size() - 2]);
    std::vector<uint8_t> fibLengths(fib.size());
    std::vector<uint16_t> fibCodes(fib.size());
    fuse::MakeHuffmanCode(fib.data(), static_cast<int>(fib.size()), fibLengths.data(),
                          fibCodes.data());
    uint32_t kraft = 0;
    for (size_t i = 0; i < fib.size(); ++i) {
        EXPECT_GE(fibLengths[i], 1);
        EXPECT_LE(fibLengths[i], 16);
        if (i > 0) {
            EXPECT_LE(fibLengths[i], fibLengths[i - 1]);
        }
        kraft += 1u << (16 - fibLengths[i]);
    }
    EXPECT_EQ(kraft, 1u << 16);

    // One symbol or none: no tree at all.
    const uint32_t single[3] = {0, 7, 0};
    EXPECT_EQ(fuse::MakeHuffmanCode(single, 3, lengths, codes), 1);
    EXPECT_EQ(lengths[1], 0);
}

TEST(FuseDecoder, RefusesDamagedData) {
    const std::vector<uint8_t> text = Text(100000, 4);
    const std::vector<uint8_t> coded = Encode(text).data;
    std::vector<uint8_t> out;
    std::string error;

    std::vector<uint8_t> cut(coded.begin(), coded.end() - 50);
    EXPECT_FALSE(Decode(cut, text.size(), out, error));
    EXPECT_NE(error.find("damaged Fuse data"), std::string::npos) << error;

    std::vector<uint8_t> longer = coded;
    longer.push_back(0);
    EXPECT_FALSE(Decode(longer, text.size(), out, error));
    EXPECT_NE(error.find("goes on after the last code"), std::string::npos) << error;

    EXPECT_FALSE(Decode(coded, text.size() + 1, out, error));

    // Flipped bits anywhere: a clear refusal or different bytes, never a crash.
    for (size_t i = 0; i < coded.size(); i += 97) {
        std::vector<uint8_t> flipped = coded;
        flipped[i] ^= 0x5A;
        if (Decode(flipped, text.size(), out, error)) {
            EXPECT_EQ(out.size(), text.size());
        }
    }
}

} // namespace
} // namespace tolvane::archive
