#include "tests/kernel/catch_all_guard.h"

#include "resources/digit_strip_data.h"
#include "tracery/bmp_reader.h"
#include "tracery/digit_strip_decoder.h"
#include "tracery/glyph_masks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// "0123456789:", one byte per row from the top, bit 7 = leftmost column.
constexpr const char* GlyphTable[11] = {
    "001C2241414141414141414141221C00", "00080808182808080808080808080800",
    "001C22414141010106182020404E7100", "003C42410101020C0201010141423C00",
    "1021214141414121231D010101010100", "003F202040405C620101010141423C00",
    "000E112120203C424141414141221C00", "01635D41010204080810102020202000",
    "001C22414141221C2241414141221C00", "001C224141414141211F010102423C00",
    "00001C1C1C000000001C1C1C00000000"};

TEST(DigitStrip, DecodedMasksEqualTheGlyphTable) {
    const GlyphMasks masks(NS_DigitStrip::loadDigitStrip());
    for (int g = 0; g < 11; ++g)
        for (int j = 0; j < 16; ++j) {
            const int row = std::stoi(std::string(GlyphTable[g] + 2 * (15 - j), 2), nullptr, 16);
            for (int i = 0; i < 8; ++i)
                ASSERT_EQ(masks.at(g, i, j), (row >> (7 - i)) & 1)
                    << "glyph " << g << " column " << i << " row " << j;
        }
}

TEST(DigitStrip, RejectsMissingTruncatedMisshapenOrWrongDepthData) {
    const std::vector<std::uint8_t> strip(veltraneDigitStripBmp,
                                          veltraneDigitStripBmp + veltraneDigitStripBmpSize);
    auto rejected = [](const std::vector<std::uint8_t>& bytes) {
        try {
            NS_DigitStrip::decodeDigitStripBmp(bytes.data(), bytes.size());
        } catch (NS_DigitStrip::Exception* e) {
            delete e;
            return true;
        }
        return false;
    };
    ASSERT_FALSE(rejected(strip));
    for (std::size_t length = 0; length < strip.size(); ++length)
        ASSERT_TRUE(rejected({strip.begin(), strip.begin() + static_cast<long>(length)}))
            << "prefix of " << length << " bytes";
    // A 32-bit header field at an offset, overwritten.
    const std::pair<std::size_t, std::uint32_t> corruptions[] = {
        {0, 0x58585858},   // signature
        {10, 0x7FFFFFFF},  // pixels past the end
        {14, 12},          // old core header
        {14, 0xFFFFFFF0u}, // header larger than the file
        {18, 100},         // a valid bitmap, but too narrow
        {22, 15},          // one row short
        {22, 0x80000010u}, // absurd height
        {26, 0x00180001},  // 24 bits per pixel
        {30, 1},           // RLE8
        {46, 2},           // pixels index past a 2-colour table
        {46, 257}};
    for (const auto& [at, value] : corruptions) {
        std::vector<std::uint8_t> bytes = strip;
        for (std::size_t i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        EXPECT_TRUE(rejected(bytes)) << "offset " << at << " value " << value;
    }
}

// The hosts' catch-all guards name and free the strip's and the reader's
// errors (under LSan an unfreed one is a leak).
TEST(DigitStripErrors, AreNamedAndFreedByTheCatchAllGuards) {
    const std::uint8_t garbage[] = {'B', 'M', 0, 0};
    const auto named = [](auto&& body) { return kernel_test::catchAllGuard(body); };
    EXPECT_EQ(named([&] { NS_BmpReader::decode8Bit(garbage, sizeof garbage); }),
              "NS_BmpReader::Exception");
    EXPECT_EQ(named([&] { NS_DigitStrip::decodeDigitStripBmp(garbage, sizeof garbage); }),
              "NS_DigitStrip::Exception");
}
