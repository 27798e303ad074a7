#include "kernel/universe.h"
#include "resources/digit_strip_data.h"
#include "tracery/bmp_reader.h"
#include "tracery/digit_strip.h"
#include "tracery/digit_strip_decoder.h"
#include "tracery/generative_field.h"
#include "tracery/glyph_masks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// The clock's glyphs, one line per glyph "0123456789:", rows from the top,
// bit 7 = leftmost column.
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

std::vector<std::uint8_t> committedStrip() {
    return std::vector<std::uint8_t>(veltraneDigitStripBmp,
                                     veltraneDigitStripBmp + veltraneDigitStripBmpSize);
}

void put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

template <class E> bool throwsPointer(const std::vector<std::uint8_t>& bytes) {
    try {
        NS_DigitStrip::decodeDigitStripBmp(bytes.data(), bytes.size());
    } catch (E* e) {
        delete e;
        return true;
    }
    return false;
}

bool rejected(const std::vector<std::uint8_t>& bytes) {
    return throwsPointer<NS_DigitStrip::Exception>(bytes);
}

} // namespace

TEST(DigitStrip, DecodedMasksEqualTheGlyphTable) {
    const GlyphMasks masks(NS_DigitStrip::loadDigitStrip());
    for (int g = 0; g < 11; ++g)
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 16; ++j) {
                const int expected = (GlyphTable[g][15 - j] >> (7 - i)) & 1;
                ASSERT_EQ(masks.at(g, i, j), expected)
                    << "glyph " << g << " column " << i << " row " << j;
            }
}

TEST(DigitStrip, SeparatorColumnsAreDarkAndNeverRead) {
    const NS_DigitStrip::StripPixels strip = NS_DigitStrip::loadDigitStrip();
    for (int g = 0; g < 11; ++g)
        for (int y = 0; y < 16; ++y) {
            EXPECT_FALSE(strip.lit(10 * g + 8, y));
            EXPECT_FALSE(strip.lit(10 * g + 9, y));
        }
    // Lighting a separator changes no mask.
    NS_DigitStrip::StripPixels changed = strip;
    for (int y = 0; y < 16; ++y)
        changed.setLit(9, y, true);
    EXPECT_EQ(GlyphMasks(changed), GlyphMasks(strip));
}

TEST(DigitStrip, RejectsMissingTruncatedOrMisshapenData) {
    EXPECT_TRUE(rejected({}));
    EXPECT_TRUE(throwsPointer<NS_DigitStrip::Exception>(std::vector<std::uint8_t>(0)));
    try {
        NS_DigitStrip::decodeDigitStripBmp(nullptr, 100);
        ADD_FAILURE() << "null data accepted";
    } catch (NS_DigitStrip::Exception* e) {
        delete e;
    }

    const std::vector<std::uint8_t> good = committedStrip();
    ASSERT_FALSE(rejected(good));
    // Every proper prefix is refused, whichever field it cuts through.
    for (std::size_t length = 0; length < good.size(); ++length)
        ASSERT_TRUE(rejected(
            std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(length))))
            << length;

    std::vector<std::uint8_t> narrower = good;
    put32(narrower, 18, 100); // still a valid bitmap, but not the strip
    EXPECT_TRUE(rejected(narrower));
    std::vector<std::uint8_t> shorter = good;
    put32(shorter, 22, 15);
    EXPECT_TRUE(rejected(shorter));
}

TEST(BmpReader, RejectsWhatIsNotAnUncompressedEightBitBitmap) {
    const std::vector<std::uint8_t> good = committedStrip();
    auto bad = [&](std::size_t at, std::uint8_t value) {
        std::vector<std::uint8_t> bytes = good;
        bytes[at] = value;
        return rejected(bytes);
    };
    EXPECT_TRUE(bad(0, 'X'));   // signature
    EXPECT_TRUE(bad(28, 24));   // 24 bits per pixel
    EXPECT_TRUE(bad(28, 1));    // 1 bit per pixel
    EXPECT_TRUE(bad(30, 1));    // RLE8 compression
    EXPECT_TRUE(bad(26, 2));    // planes
    EXPECT_TRUE(bad(14, 12));   // an old core header
    EXPECT_TRUE(bad(11, 0xF0)); // pixel offset far past the end
    EXPECT_TRUE(bad(25, 0x80)); // height negative beyond any limit

    std::vector<std::uint8_t> fewColours = good;
    put32(fewColours, 46, 2); // two colours, but pixels use index 255
    EXPECT_TRUE(rejected(fewColours));
    std::vector<std::uint8_t> tooManyColours = good;
    put32(tooManyColours, 46, 257);
    EXPECT_TRUE(rejected(tooManyColours));
    std::vector<std::uint8_t> hugeHeader = good;
    put32(hugeHeader, 14, 0xFFFFFFF0u);
    EXPECT_TRUE(rejected(hugeHeader));
}

TEST(BmpReader, HonoursRowOrderAndThePalette) {
    const std::vector<std::uint8_t> good = committedStrip();
    const NS_BmpReader::Image bottomUp = NS_BmpReader::decode8Bit(good.data(), good.size());
    ASSERT_EQ(bottomUp.width, 110);
    ASSERT_EQ(bottomUp.height, 16);

    // The same rows stored top-down (negative height) decode to the same picture.
    std::vector<std::uint8_t> topDown = good;
    put32(topDown, 22, static_cast<std::uint32_t>(-16));
    const std::size_t offset = 1078;
    const std::size_t stride = 112;
    for (std::size_t row = 0; row < 16; ++row)
        for (std::size_t x = 0; x < stride; ++x)
            topDown[offset + row * stride + x] = good[offset + (15 - row) * stride + x];
    const NS_BmpReader::Image flipped = NS_BmpReader::decode8Bit(topDown.data(), topDown.size());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 110; ++x)
            ASSERT_EQ(flipped.pixel(x, y).blue, bottomUp.pixel(x, y).blue);

    // Lit means the palette colour's blue byte above 127: a pure red palette
    // entry for index 255 darkens every glyph.
    std::vector<std::uint8_t> red = good;
    red[54 + 4 * 255] = 0;
    red[54 + 4 * 255 + 1] = 0;
    red[54 + 4 * 255 + 2] = 255;
    const NS_DigitStrip::StripPixels none =
        NS_DigitStrip::decodeDigitStripBmp(red.data(), red.size());
    EXPECT_EQ(GlyphMasks(none), GlyphMasks());
}

namespace {
class BrokenStripModel : public NS_InitialModel::InitialModel {
public:
    void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) override {
        const std::vector<std::uint8_t> truncated(veltraneDigitStripBmp,
                                                  veltraneDigitStripBmp + 100);
        list.push_back(new GenerativeField(universe, GlyphMasks(NS_DigitStrip::decodeDigitStripBmp(
                                                         truncated.data(), truncated.size()))));
    }
};
} // namespace

TEST(DigitStrip, UnreadableStripPreventsTheUniverse) {
    BrokenStripModel model;
    NS_Universe::RunOptions options;
    options.pacing = NS_TimeService::Pacing::Virtual;
    options.tickLimit = 1;
    try {
        NS_Universe::Universe universe(model, options);
        ADD_FAILURE() << "a universe was built without its digit strip";
    } catch (NS_DigitStrip::Exception* e) {
        delete e;
    }
}
