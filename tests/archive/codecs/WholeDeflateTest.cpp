// One coder across many entries: a level that changes makes a new compressor,
// one that stays is reused, and each stream stands on its own.
#include "archive/codecs/WholeDeflate.h"
#include "archive/codecs/RawInflate.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace tolvane::archive;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Code(WholeDeflate& coder, TDeflateType type, const Bytes& data, size_t room) {
    Bytes out(room);
    out.resize(coder.Code(type, data.data(), data.size(), out.data(), out.size()));
    return out;
}

Bytes Inflate(const Bytes& stream, size_t size) {
    Bytes out;
    size_t at = 0;
    std::string error;
    const bool ok = InflateRaw(
        stream.size(), size,
        [&](uint8_t* buffer, size_t length) {
            std::memcpy(buffer, stream.data() + at, length);
            at += length;
            return true;
        },
        [&](const uint8_t* data, size_t length) { out.insert(out.end(), data, data + length); },
        error);
    EXPECT_TRUE(ok) << error;
    return out;
}

TEST(WholeDeflateTest, EachCallCodesAsAFreshCoderOfItsLevelWould) {
    Bytes text;
    for (int i = 0; text.size() < 20000; ++i) {
        const std::string line = "row " + std::to_string(i % 313) + " of the catalogue\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    const Bytes noise = tolvane::test::RandomBytes(5000, 7);
    struct Step {
        TDeflateType type;
        const Bytes* data;
        size_t room; // 0: too little for the stream
    };
    const Step steps[] = {
        {dtDeflateX, &text, 30000}, {dtDeflateX, &noise, 6000}, {dtDeflateF, &text, 30000},
        {dtDeflateS, &text, 30000}, {dtDeflateS, &text, 0},     {dtDeflateS, &noise, 6000},
        {dtDeflateN, &noise, 0},    {dtDeflateN, &text, 30000}, {dtDeflateX, &text, 30000},
    };
    WholeDeflate kept;
    for (const Step& step : steps) {
        const size_t room = step.room != 0 ? step.room : step.data->size() / 4;
        const Bytes coded = Code(kept, step.type, *step.data, room);
        WholeDeflate fresh;
        EXPECT_EQ(coded, Code(fresh, step.type, *step.data, room)) << static_cast<int>(step.type);
        if (step.room == 0) {
            EXPECT_TRUE(coded.empty()) << static_cast<int>(step.type);
            continue;
        }
        ASSERT_FALSE(coded.empty()) << static_cast<int>(step.type);
        EXPECT_EQ(Inflate(coded, step.data->size()), *step.data) << static_cast<int>(step.type);
    }
}

} // namespace
