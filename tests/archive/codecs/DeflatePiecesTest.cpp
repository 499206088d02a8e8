// Pieces joined into one raw deflate stream: zlib must inflate the whole to
// the source, whatever the pieces hold and wherever they end.
#include "archive/codecs/DeflatePieces.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

using namespace tolvane::archive;
using tolvane::test::RandomBytes;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes TextBytes(size_t size, int seed = 0) {
    std::string text;
    for (int i = seed; text.size() < size; ++i)
        text += "entry " + std::to_string(i % 251) + " of the download notes, line " +
                std::to_string(i) + "\n";
    text.resize(size);
    return {text.begin(), text.end()};
}

Bytes Join(const std::vector<Bytes>& pieces, TDeflateType type = dtDeflateN) {
    DeflatePieces coder;
    Bytes stream;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const auto coded =
            coder.Code(type, pieces[i].data(), pieces[i].size(), i + 1 == pieces.size());
        stream.insert(stream.end(), coded.begin(), coded.end());
    }
    return stream;
}

// The stream inflated by zlib; fails the test unless it ends exactly where
// its last block does.
Bytes Inflate(const Bytes& stream, size_t expected) {
    z_stream zs{};
    EXPECT_EQ(inflateInit2(&zs, -15), Z_OK);
    Bytes out(expected + 16);
    zs.next_in = const_cast<Bytef*>(stream.data());
    zs.avail_in = static_cast<uInt>(stream.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&zs, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(zs.avail_in, 0u) << "bytes after the final block";
    out.resize(zs.total_out);
    inflateEnd(&zs);
    return out;
}

Bytes Concat(const std::vector<Bytes>& pieces) {
    Bytes all;
    for (const Bytes& piece : pieces)
        all.insert(all.end(), piece.begin(), piece.end());
    return all;
}

TEST(DeflatePiecesTest, JoinedPiecesInflateToTheSource) {
    std::vector<Bytes> many;
    // Small pieces of every length end their last block at every bit of a
    // byte, so both ways of closing a piece are taken.
    for (size_t length = 1; length <= 240; ++length)
        many.push_back(TextBytes(length * 7, static_cast<int>(length)));
    const struct {
        const char* name;
        std::vector<Bytes> pieces;
    } cases[] = {
        {"text in even pieces",
         {TextBytes(65536, 1), TextBytes(65536, 2), TextBytes(65536, 3), TextBytes(1000, 4)}},
        {"random, then text", {RandomBytes(200000, 1), TextBytes(150000)}},
        {"text, then random", {TextBytes(150000), RandomBytes(200000, 2)}},
        {"a last piece of one byte", {TextBytes(70000), Bytes{'x'}}},
        {"stored pieces only", {RandomBytes(70000, 3), RandomBytes(140000, 4)}},
        {"one piece", {TextBytes(300000)}},
        {"many small pieces", many},
    };
    for (const auto& c : cases) {
        for (TDeflateType type : {dtDeflateF, dtDeflateN, dtDeflateX}) {
            SCOPED_TRACE(std::string(c.name) + ", level " + std::to_string(type));
            const Bytes source = Concat(c.pieces);
            EXPECT_EQ(Inflate(Join(c.pieces, type), source.size()), source);
        }
    }
}

TEST(DeflatePiecesTest, RandomPiecesAreStoredAndRepeatedRandomOnesCoded) {
    // Random bytes: stored blocks, five bytes of framing per 64 KiB block.
    const Bytes random = RandomBytes(300000, 5);
    const Bytes stored = Join({random});
    EXPECT_EQ(stored.size(), random.size() + 5 * 5);
    EXPECT_EQ(Inflate(stored, random.size()), random);

    // Flat byte frequencies, but every 4 KiB repeat within deflate's
    // window: the samples shrink, so the piece is coded, not stored.
    const Bytes block = RandomBytes(4096, 6);
    Bytes repeated;
    for (int i = 0; i < 80; ++i)
        repeated.insert(repeated.end(), block.begin(), block.end());
    const Bytes coded = Join({repeated});
    EXPECT_LT(coded.size(), repeated.size() / 10);
    EXPECT_EQ(Inflate(coded, repeated.size()), repeated);
}

TEST(DeflatePiecesTest, OutputDependsOnlyOnThePieces) {
    const std::vector<Bytes> pieces = {TextBytes(100000), RandomBytes(150000, 7),
                                       TextBytes(9000, 3)};
    DeflatePieces reused;
    // A coder that coded something else before gives the same bytes.
    reused.Code(dtDeflateX, pieces[1].data(), pieces[1].size(), true);
    Bytes again;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const auto coded =
            reused.Code(dtDeflateN, pieces[i].data(), pieces[i].size(), i + 1 == pieces.size());
        again.insert(again.end(), coded.begin(), coded.end());
    }
    EXPECT_EQ(again, Join(pieces));
}

} // namespace
