#include "kernel/universe.h"
#include "resources/digit_strip_data.h"
#include "tracery/digit_strip_decoder.h"
#include "tracery/generative_field.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// "0123456789:", rows from the top, bit 7 = leftmost column.
constexpr std::uint8_t GlyphTable[11][16] = {
    {0x00, 0x1C, 0x22, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x22, 0x1C,
     0x00},
    {0x00, 0x08, 0x08, 0x08, 0x18, 0x28, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08,
     0x00},
    {0x00, 0x1C, 0x22, 0x41, 0x41, 0x41, 0x01, 0x01, 0x06, 0x18, 0x20, 0x20, 0x40, 0x4E, 0x71,
     0x00},
    {0x00, 0x3C, 0x42, 0x41, 0x01, 0x01, 0x02, 0x0C, 0x02, 0x01, 0x01, 0x01, 0x41, 0x42, 0x3C,
     0x00},
    {0x10, 0x21, 0x21, 0x41, 0x41, 0x41, 0x41, 0x21, 0x23, 0x1D, 0x01, 0x01, 0x01, 0x01, 0x01,
     0x00},
    {0x00, 0x3F, 0x20, 0x20, 0x40, 0x40, 0x5C, 0x62, 0x01, 0x01, 0x01, 0x01, 0x41, 0x42, 0x3C,
     0x00},
    {0x00, 0x0E, 0x11, 0x21, 0x20, 0x20, 0x3C, 0x42, 0x41, 0x41, 0x41, 0x41, 0x41, 0x22, 0x1C,
     0x00},
    {0x01, 0x63, 0x5D, 0x41, 0x01, 0x02, 0x04, 0x08, 0x08, 0x10, 0x10, 0x20, 0x20, 0x20, 0x20,
     0x00},
    {0x00, 0x1C, 0x22, 0x41, 0x41, 0x41, 0x22, 0x1C, 0x22, 0x41, 0x41, 0x41, 0x41, 0x22, 0x1C,
     0x00},
    {0x00, 0x1C, 0x22, 0x41, 0x41, 0x41, 0x41, 0x41, 0x21, 0x1F, 0x01, 0x01, 0x02, 0x42, 0x3C,
     0x00},
    {0x00, 0x00, 0x1C, 0x1C, 0x1C, 0x00, 0x00, 0x00, 0x00, 0x1C, 0x1C, 0x1C, 0x00, 0x00, 0x00,
     0x00},
};

const std::vector<std::uint8_t> Strip(veltraneDigitStripBmp,
                                      veltraneDigitStripBmp + veltraneDigitStripBmpSize);

bool rejected(const std::vector<std::uint8_t>& bytes) {
    try {
        NS_DigitStrip::decodeDigitStripBmp(bytes.data(), bytes.size());
    } catch (NS_DigitStrip::Exception* e) {
        delete e;
        return true;
    }
    return false;
}

std::vector<std::uint8_t> with32(std::size_t at, std::uint32_t value) {
    std::vector<std::uint8_t> bytes = Strip;
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
}

} // namespace

TEST(DigitStrip, DecodedMasksEqualTheGlyphTable) {
    const GlyphMasks masks(NS_DigitStrip::loadDigitStrip());
    for (int g = 0; g < 11; ++g)
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 16; ++j)
                ASSERT_EQ(masks.at(g, i, j), (GlyphTable[g][15 - j] >> (7 - i)) & 1)
                    << "glyph " << g << " column " << i << " row " << j;
}

TEST(DigitStrip, RejectsMissingTruncatedMisshapenOrWrongDepthData) {
    ASSERT_FALSE(rejected(Strip));
    EXPECT_TRUE(rejected({}));
    for (std::size_t length = 0; length < Strip.size(); ++length)
        ASSERT_TRUE(rejected(
            std::vector<std::uint8_t>(Strip.begin(), Strip.begin() + static_cast<long>(length))))
            << "prefix of " << length << " bytes";
    // Field offsets of the file and info headers.
    EXPECT_TRUE(rejected(with32(0, 0x58585858)));   // signature
    EXPECT_TRUE(rejected(with32(10, 0x7FFFFFFF)));  // pixels past the end
    EXPECT_TRUE(rejected(with32(14, 12)));          // old core header
    EXPECT_TRUE(rejected(with32(14, 0xFFFFFFF0u))); // header larger than the file
    EXPECT_TRUE(rejected(with32(18, 100)));         // a valid bitmap, but too narrow
    EXPECT_TRUE(rejected(with32(22, 15)));          // one row short
    EXPECT_TRUE(rejected(with32(22, 0x80000010u))); // absurd height
    EXPECT_TRUE(rejected(with32(26, 0x00180001)));  // 24 bits per pixel
    EXPECT_TRUE(rejected(with32(30, 1)));           // RLE8
    EXPECT_TRUE(rejected(with32(46, 2)));           // pixels index past a 2-colour table
    EXPECT_TRUE(rejected(with32(46, 257)));
}

namespace {
class BrokenStripModel : public NS_InitialModel::InitialModel {
public:
    void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) override {
        const std::vector<std::uint8_t> truncated(Strip.begin(), Strip.begin() + 100);
        list.push_back(new GenerativeField(
            universe, GlyphMasks(NS_DigitStrip::decodeDigitStripBmp(truncated.data(), 100))));
    }
};
} // namespace

TEST(DigitStrip, UnreadableStripPreventsTheUniverse) {
    BrokenStripModel model;
    try {
        NS_Universe::Universe universe(model, {NS_TimeService::Pacing::Virtual, 1, {}});
        ADD_FAILURE() << "a universe was built without its digit strip";
    } catch (NS_DigitStrip::Exception* e) {
        delete e;
    }
}
