// One coder across many entries codes each as a fresh coder of its level
// would: a level that changes makes a new compressor, a kept one starts anew.
#include "archive/codecs/WholeDeflate.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace tolvane::archive;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Code(WholeDeflate& coder, TDeflateType type, const Bytes& data, size_t room) {
    Bytes out(room);
    out.resize(coder.Code(type, data.data(), data.size(), out.data(), out.size()));
    return out;
}

TEST(WholeDeflateTest, EachCallCodesAsAFreshCoderOfItsLevelWould) {
    const Bytes noise = tolvane::test::RandomBytes(5000, 7);
    Bytes text;
    for (int i = 0; text.size() < 20000; ++i) {
        const std::string line = "row " + std::to_string(i % 313) + " of the catalogue\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    const std::tuple<TDeflateType, const Bytes*, bool> steps[] = {
        {dtDeflateX, &text, true},  {dtDeflateF, &text, true},  {dtDeflateS, &text, true},
        {dtDeflateS, &text, false}, {dtDeflateS, &noise, true}, {dtDeflateX, &text, true}};
    WholeDeflate kept;
    for (const auto& [type, data, fits] : steps) { // fits: room for the stream
        const size_t room = fits ? data->size() + 100 : data->size() / 4;
        const Bytes coded = Code(kept, type, *data, room);
        WholeDeflate fresh;
        EXPECT_EQ(coded, Code(fresh, type, *data, room)) << static_cast<int>(type);
        EXPECT_EQ(coded.empty(), !fits) << static_cast<int>(type);
    }
}

} // namespace
