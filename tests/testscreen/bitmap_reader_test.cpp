#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/temp_machine.h"
#include "testscreen/test_screen.h"

using brontar::testing::TempMachine;
using brontar::testing::WriteFileText;

namespace {

void PutU16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void PutU32(std::string& out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

// The bytes of a bitmap file, every header field under the test's control.
struct BitmapFile {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 24;
    uint32_t colorsUsed = 0;
    uint32_t headerSize = 40;
    std::vector<uint32_t> palette{};  // 0x00RRGGBB, written as blue, green, red, 0
    std::string pixels{};             // rows exactly as in the file
    std::string type = "BM";

    std::string Bytes() const {
        std::string out = type;
        const uint32_t offset = 14 + headerSize + 4 * static_cast<uint32_t>(palette.size());
        PutU32(out, offset + static_cast<uint32_t>(pixels.size()));
        PutU32(out, 0);
        PutU32(out, offset);
        PutU32(out, headerSize);
        PutU32(out, static_cast<uint32_t>(width));
        PutU32(out, static_cast<uint32_t>(height));
        PutU16(out, 1);
        PutU16(out, bits);
        PutU32(out, 0);
        PutU32(out, static_cast<uint32_t>(pixels.size()));
        PutU32(out, 0);
        PutU32(out, 0);
        PutU32(out, colorsUsed);
        PutU32(out, 0);
        out.resize(14 + headerSize, '\0');  // a longer header's extra fields
        for (uint32_t c : palette) {
            out += static_cast<char>(c & 0xFF);
            out += static_cast<char>((c >> 8) & 0xFF);
            out += static_cast<char>((c >> 16) & 0xFF);
            out += '\0';
        }
        out.resize(offset, '\0');
        return out + pixels;
    }
};

std::string Raw(std::initializer_list<int> bytes) {
    std::string out;
    for (int b : bytes) out += static_cast<char>(b);
    return out;
}

// Loads the bytes as a file; frees the image when the test ends.
class Loaded {
public:
    explicit Loaded(const std::string& bytes) {
        const auto path = machine_.scratch() / "picture.bmp";
        WriteFileText(path, bytes);
        std::memset(&image_, 0xAB, sizeof image_);
        LoadBitmapFile(path.c_str(), &image_);
    }
    ~Loaded() { std::free(image_.bmBits); }
    const BITMAP& image() const { return image_; }
    bool ok() const { return image_.bmBits != nullptr; }
    WORD Texel(int x, int y) const {
        return static_cast<const WORD*>(image_.bmBits)[(y * image_.bmWidthBytes) / 2 + x];
    }

private:
    TempMachine machine_;
    BITMAP image_;
};

}  // namespace

TEST(LoadBitmapFile, TwentyFourBitPixelsKeepFiveBitsOfEachColour) {
    BitmapFile file;
    file.width = 3;
    file.height = 2;
    // Rows of 9 bytes padded to 12; the first row of the file is the bottom.
    file.pixels = Raw({0xFF, 0xFF, 0xFF, 0x08, 0x10, 0x80, 0x00, 0x00, 0x00, 0, 0, 0}) +
                  Raw({0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0});
    Loaded loaded(file.Bytes());
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded.image().bmType, 0);
    EXPECT_EQ(loaded.image().bmWidth, 3);
    EXPECT_EQ(loaded.image().bmHeight, 2);
    EXPECT_EQ(loaded.image().bmWidthBytes, 8);  // 6 bytes of texels and 2 of padding
    EXPECT_EQ(loaded.image().bmPlanes, 1);
    EXPECT_EQ(loaded.image().bmBitsPixel, 16);
    EXPECT_EQ(loaded.Texel(0, 0), 0xFBFF);  // green lands in bits 5-9, bit 10 stays clear
    EXPECT_EQ(loaded.Texel(1, 0), 0x8041);  // red 0x80, green 0x10, blue 0x08
    EXPECT_EQ(loaded.Texel(2, 0), 0x0000);
    EXPECT_EQ(loaded.Texel(0, 1), 0xF800);  // pure red
    EXPECT_EQ(loaded.Texel(1, 1), 0x03E0);  // pure green
    EXPECT_EQ(loaded.Texel(2, 1), 0x001F);  // pure blue
}

namespace {

// size palette entries of fill but for the ones given.
std::vector<uint32_t> Palette(size_t size, uint32_t fill, std::initializer_list<std::pair<size_t, uint32_t>> entries) {
    std::vector<uint32_t> palette(size, fill);
    for (const auto& [index, colour] : entries) palette[index] = colour;
    return palette;
}

// A file the reader takes, and the texels it must give, row by row.
struct Decoding {
    const char* name;
    BitmapFile file;
    std::vector<WORD> texels;
};
void PrintTo(const Decoding& decoding, std::ostream* out) { *out << decoding.name; }

class LoadBitmapDecoding : public ::testing::TestWithParam<Decoding> {};

TEST_P(LoadBitmapDecoding, GivesEachTexel) {
    const Decoding& decoding = GetParam();
    Loaded loaded(decoding.file.Bytes());
    ASSERT_TRUE(loaded.ok());
    ASSERT_EQ(loaded.image().bmWidth * loaded.image().bmHeight, static_cast<LONG>(decoding.texels.size()));
    for (size_t i = 0; i < decoding.texels.size(); ++i) {
        const int x = static_cast<int>(i) % decoding.file.width, y = static_cast<int>(i) / decoding.file.width;
        EXPECT_EQ(loaded.Texel(x, y), decoding.texels[i]) << x << "," << y;
    }
}

const std::vector<uint32_t> kThreeColours = Palette(256, 0, {{1, 0xFF0000}, {20, 0x00FF00}, {255, 0x0000FF}});

INSTANTIATE_TEST_SUITE_P(
    Files, LoadBitmapDecoding,
    ::testing::Values(
        Decoding{"SixteenBitWordsGetTheTopBitSet",
                 {.width = 3, .bits = 16, .pixels = Raw({0x34, 0x12, 0x00, 0x80, 0xFF, 0x7F, 0, 0})},
                 {0x9234, 0x8000, 0xFFFF}},
        // Colours used 0: all 256 entries; 16: entries beyond the sixteenth are not read, black.
        Decoding{"EightBitWithEveryColour",
                 {.width = 4, .bits = 8, .palette = kThreeColours, .pixels = Raw({1, 20, 255, 0})},
                 {0xF800, 0x03E0, 0x001F, 0x0000}},
        Decoding{"EightBitPaletteSizeComesFromColoursUsed",
                 {.width = 4, .bits = 8, .colorsUsed = 16, .palette = kThreeColours, .pixels = Raw({1, 20, 255, 0})},
                 {0xF800, 0x0000, 0x0000, 0x0000}},
        Decoding{"ColoursUsedAboveTwoHundredFiftySixReadsTheFirst256",
                 {.width = 2,
                  .bits = 8,
                  .colorsUsed = 0x7FFFFFFF,
                  .palette = Palette(300, 0x0000FF, {{255, 0xFFFFFF}}),
                  .pixels = Raw({255, 3, 0, 0})},
                 {0xFBFF, 0x001F}},
        Decoding{"IndicesBeyondAShortPaletteAreBlack",
                 {.width = 3, .bits = 8, .colorsUsed = 2, .palette = {0xFFFFFF, 0xFF0000},
                  .pixels = Raw({1, 2, 200, 0})},
                 {0xF800, 0x0000, 0x0000}},
        // Rows of 2 bytes (3 nibbles and one spare) padded to 4; the spare
        // low nibble 0xF of the first row is not a pixel.
        Decoding{"FourBitPixelsAreTwoToAByteHighNibbleFirst",
                 {.width = 3,
                  .height = 2,
                  .bits = 4,
                  .palette = Palette(16, 0, {{1, 0xFF0000}, {2, 0x00FF00}, {3, 0x0000FF}, {15, 0xFFFFFF}}),
                  .pixels = Raw({0x12, 0x3F, 0x00, 0x00}) + Raw({0xF0, 0x10, 0x00, 0x00})},
                 {0xF800, 0x03E0, 0x001F, 0xFBFF, 0x0000, 0xF800}},
        Decoding{"PaletteFollowsALongerInfoHeader",
                 {.bits = 8, .colorsUsed = 1, .headerSize = 108, .palette = {0x0000FF}, .pixels = Raw({0, 0, 0, 0})},
                 {0x001F}}),
    [](const ::testing::TestParamInfo<Decoding>& info) { return std::string(info.param.name); });

}  // namespace

TEST(LoadBitmapFile, RefusesWhatItCannotReadWhole) {
    BitmapFile good;
    good.width = 2;
    good.height = 2;
    good.pixels = std::string(16, '\x40');
    ASSERT_TRUE(Loaded(good.Bytes()).ok());

    const std::string bytes = good.Bytes();
    EXPECT_FALSE(Loaded(bytes.substr(0, bytes.size() - 1)).ok()) << "last pixel byte missing";
    EXPECT_FALSE(Loaded(bytes.substr(0, 54)).ok()) << "no pixels at all";
    EXPECT_FALSE(Loaded(bytes.substr(0, 40)).ok()) << "info header cut";
    EXPECT_FALSE(Loaded(bytes.substr(0, 10)).ok()) << "file header cut";
    EXPECT_FALSE(Loaded("").ok()) << "empty file";

    std::string farOffset = bytes;
    farOffset.replace(10, 4, Raw({0xF0, 0xFF, 0xFF, 0xFF}));
    EXPECT_FALSE(Loaded(farOffset).ok()) << "pixel offset beyond the end";

    BitmapFile shortPalette;
    shortPalette.bits = 8;
    shortPalette.colorsUsed = 16;
    shortPalette.palette.assign(16, 0xFFFFFF);
    shortPalette.pixels = Raw({0, 0, 0, 0});
    const std::string paletteBytes = shortPalette.Bytes();
    EXPECT_TRUE(Loaded(paletteBytes).ok());
    EXPECT_FALSE(Loaded(paletteBytes.substr(0, 54 + 30)).ok()) << "palette cut";
}

TEST(LoadBitmapFile, RefusesEmptyTopDownAndOverflowingSizes) {
    const struct {
        int32_t width, height;
        uint16_t bits;
        const char* why;
    } cases[] = {
        {0, 4, 24, "no columns"},
        {4, 0, 24, "no rows"},
        {-4, 4, 24, "negative width"},
        {4, -4, 24, "top-down"},
        {0x7FFFFFFF, 0x7FFFFFFF, 24, "both huge"},
        {70000, 70000, 16, "16-bit buffer above 4 GB"},
        {65536, 30000, 24, "24-bit read buffer above 4 GB, image below"},
        {40000, 40000, 16, "fits 32 bits but the file is tiny"},
    };
    for (const auto& c : cases) {
        BitmapFile file;
        file.width = c.width;
        file.height = c.height;
        file.bits = c.bits;
        file.pixels = std::string(64, '\0');
        EXPECT_FALSE(Loaded(file.Bytes()).ok()) << c.why;
    }
}

TEST(LoadBitmapFile, RefusesOtherDepthsAndOtherFiles) {
    for (uint16_t bits : {0, 1, 2, 15, 32}) {
        BitmapFile file;
        file.bits = bits;
        file.palette.assign(2, 0xFFFFFF);
        file.pixels = std::string(8, '\0');
        EXPECT_FALSE(Loaded(file.Bytes()).ok()) << bits;
    }
    BitmapFile notBitmap;
    notBitmap.type = "MB";
    notBitmap.pixels = std::string(4, '\0');
    EXPECT_FALSE(Loaded(notBitmap.Bytes()).ok());

    BITMAP image;
    image.bmBits = &image;
    LoadBitmapFile("/nonexistent/folder/picture.bmp", &image);
    EXPECT_EQ(image.bmBits, nullptr);
}

// A row 2^30 pixels wide, its pixel data present (a sparse file): the 16-bit
// stride would not fit the image's LONG stride nor a texture's pitch, and the
// row offsets would overflow an int. It is refused before anything is read.
TEST(LoadBitmapFile, RefusesRowsTooWideForAStrideWithoutOverflow) {
    TempMachine machine;
    BitmapFile wide;
    wide.width = 1 << 30;
    wide.bits = 16;
    const auto path = machine.scratch() / "wide.bmp";
    WriteFileText(path, wide.Bytes());
    std::filesystem::resize_file(path, 54 + (uint64_t{1} << 31));
    BITMAP image;
    image.bmBits = &image;
    LoadBitmapFile(path.c_str(), &image);
    EXPECT_EQ(image.bmBits, nullptr);
}
