// Windows bitmaps: files built here from the published layout (file header, info header, colour
// table, rows padded to 4 bytes), read both ways up and through their palettes; the refusals; and
// the layout of created bitmaps.

#include "raster/bmp/bmp_map.hpp"
#include "raster/data_set.hpp"
#include "raster/refusal_checks.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace vortane {
namespace {

using test::ReadBytes;
using test::ReadText;
using test::WriteBytes;

using TRgb = std::array<unsigned char, 3>;

struct TBmpLayout {
    std::int32_t Width = 3;
    std::int32_t Height = 2; // negative: stored top-down
    std::uint16_t Bits = 24;
    std::uint32_t InfoSize = 40;
    std::uint32_t Compression = 0;
    std::vector<TRgb> Palette; // 8-bit images
};

// The pixel of a fixture: 24-bit images store this colour, 8-bit images this palette index.
TRgb FixtureColour(std::uint32_t Col, std::uint32_t Row) {
    return {static_cast<unsigned char>(10 * Col + Row), static_cast<unsigned char>(100 + Col),
            static_cast<unsigned char>(200 + Row)};
}
unsigned char FixtureIndex(std::uint32_t Col, std::uint32_t Row) {
    return static_cast<unsigned char>(Col + 4 * Row);
}

void Put(std::vector<unsigned char>& Bytes, std::size_t At, std::uint32_t Value, int Size) {
    for (int I = 0; I < Size; ++I)
        Bytes[At + static_cast<std::size_t>(I)] = static_cast<unsigned char>(Value >> (8 * I));
}

std::vector<unsigned char> BmpBytes(const TBmpLayout& Layout) {
    const std::uint32_t Rows = static_cast<std::uint32_t>(std::abs(Layout.Height));
    const std::uint32_t Width = static_cast<std::uint32_t>(Layout.Width);
    const std::uint32_t Stride = (Width * Layout.Bits + 31) / 32 * 4;
    const std::uint32_t PixelsAt =
        14 + Layout.InfoSize + 4 * static_cast<std::uint32_t>(Layout.Palette.size());
    std::vector<unsigned char> Bytes(PixelsAt + Stride * Rows, 0);
    Bytes[0] = 'B';
    Bytes[1] = 'M';
    Put(Bytes, 2, static_cast<std::uint32_t>(Bytes.size()), 4);
    Put(Bytes, 10, PixelsAt, 4);
    Put(Bytes, 14, Layout.InfoSize, 4);
    if (Layout.InfoSize >= 40) {
        Put(Bytes, 18, Width, 4);
        Put(Bytes, 22, static_cast<std::uint32_t>(Layout.Height), 4);
        Put(Bytes, 26, 1, 2);
        Put(Bytes, 28, Layout.Bits, 2);
        Put(Bytes, 30, Layout.Compression, 4);
        Put(Bytes, 46, static_cast<std::uint32_t>(Layout.Palette.size() == 256 ? 0 : Layout.Palette.size()),
            4);
    }
    for (std::size_t Index = 0; Index < Layout.Palette.size(); ++Index)
        for (std::size_t Channel = 0; Channel < 3; ++Channel)
            Bytes[14 + Layout.InfoSize + 4 * Index + Channel] =
                Layout.Palette[Index][2 - Channel]; // blue first
    for (std::uint32_t Row = 0; Row < Rows; ++Row) {
        const std::uint32_t Stored = Layout.Height < 0 ? Row : Rows - 1 - Row;
        unsigned char* Pixels = Bytes.data() + PixelsAt + Stored * Stride;
        for (std::uint32_t Col = 0; Col < Width; ++Col)
            if (Layout.Bits == 24)
                for (std::uint32_t Channel = 0; Channel < 3; ++Channel)
                    Pixels[3 * Col + Channel] = FixtureColour(Col, Row)[2 - Channel];
            else
                Pixels[Col] = FixtureIndex(Col, Row);
    }
    return Bytes;
}

std::vector<TRgb> GreyRamp() {
    std::vector<TRgb> Palette(256);
    for (std::size_t Index = 0; Index < 256; ++Index)
        Palette[Index] = {static_cast<unsigned char>(Index), static_cast<unsigned char>(Index),
                          static_cast<unsigned char>(Index)};
    return Palette;
}

std::vector<TRgb> ColourPalette(std::size_t Entries) {
    std::vector<TRgb> Palette(Entries);
    for (std::size_t Index = 0; Index < Entries; ++Index)
        Palette[Index] = {static_cast<unsigned char>(Index), static_cast<unsigned char>(255 - Index), 7};
    return Palette;
}

using BmpTest = test::TTempDirTest;

TEST_F(BmpTest, ReadsRowsBothWaysUpAndThroughThePalette) {
    struct TCase {
        const char* Name;
        TBmpLayout Layout;
        int Bands;
        std::function<float(std::uint32_t, std::uint32_t, std::uint32_t)> Expected;
    };
    const auto Colour = [](std::uint32_t Col, std::uint32_t Row, std::uint32_t Band) {
        return static_cast<float>(FixtureColour(Col, Row)[Band]);
    };
    const auto Index = [](std::uint32_t Col, std::uint32_t Row, std::uint32_t) {
        return static_cast<float>(FixtureIndex(Col, Row));
    };
    const auto PaletteColour = [](std::size_t Entries) {
        return [Entries](std::uint32_t Col, std::uint32_t Row, std::uint32_t Band) {
            const std::size_t Entry = FixtureIndex(Col, Row);
            return Entry < Entries ? static_cast<float>(ColourPalette(Entries)[Entry][Band]) : 0.0f;
        };
    };
    const std::vector<TCase> Cases = {
        {"24-bit bottom-up", {3, 2, 24, 40, 0, {}}, 3, Colour},
        {"24-bit top-down", {3, -2, 24, 40, 0, {}}, 3, Colour},
        {"24-bit with a version 5 header", {5, 3, 24, 124, 0, {}}, 3, Colour},
        {"8-bit grey ramp", {6, 3, 8, 40, 0, GreyRamp()}, 1, Index},
        {"8-bit colour palette", {6, 3, 8, 40, 0, ColourPalette(256)}, 3, PaletteColour(256)},
        {"8-bit palette shorter than the indexes", {6, 3, 8, 40, 0, ColourPalette(5)}, 3, PaletteColour(5)},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        WriteBytes(Path("image.bmp"), BmpBytes(Case.Layout));
        TDataSet2 Image;
        ASSERT_TRUE(Image.Open(Path("image.bmp"), 0, 0, ctUnsigned8, 1, omRead)) << Image.GetErrorText();
        EXPECT_EQ(Image.GetFileType(), ftBmp);
        EXPECT_EQ(Image.GetBands(), Case.Bands);
        EXPECT_EQ(Image.GetColumns(), Case.Layout.Width);
        EXPECT_EQ(Image.GetRows(), std::abs(Case.Layout.Height));
        for (std::uint32_t Band = 0; Band < static_cast<std::uint32_t>(Case.Bands); ++Band)
            for (std::uint32_t Row = 0; Row < static_cast<std::uint32_t>(Image.GetRows()); ++Row)
                for (std::uint32_t Col = 0; Col < static_cast<std::uint32_t>(Case.Layout.Width); ++Col) {
                    float Value = -1;
                    ASSERT_TRUE(Image.Raster()->ReadCell(Col, Row, Band, Value));
                    ASSERT_EQ(Value, Case.Expected(Col, Row, Band))
                        << Col << ", " << Row << ", band " << Band;
                }
        EXPECT_FALSE(Image.Raster()->WriteCell(0, 0, 0, 1)) << "opened for reading";
    }
    // Width 3 at 24 bits: 9 bytes of pixels and 3 of padding; the top row is the last in the file.
    const std::vector<unsigned char> Bytes = BmpBytes({});
    ASSERT_EQ(Bytes.size(), 54u + 2 * 12);
    EXPECT_EQ(Bytes[54 + 12 + 2], FixtureColour(0, 0)[0]);
}

// GCC 12 at -O3 takes the palettes built by calls inside this table's braces for uninitialised on the
// path where a later case's construction throws; the vectors are always constructed before that path.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
TEST_F(BmpTest, RefusesWhatItCannotReadWithItsReason) {
    struct TCase {
        const char* Name;
        TBmpLayout Layout;
        std::function<void(std::vector<unsigned char>&)> Damage;
        int Code;
        std::string Text;
    };
    const auto None = [](std::vector<unsigned char>&) {};
    const std::vector<TCase> Cases = {
        {"RLE8", {3, 2, 8, 40, 1, GreyRamp()}, None, 3, "Unknown bitmap type: RLE8"},
        {"RLE4", {3, 2, 8, 40, 2, GreyRamp()}, None, 3, "Unknown bitmap type: RLE4"},
        {"bit fields", {3, 2, 24, 40, 3, {}}, None, 3, "Unknown bitmap type: Unknown compression"},
        {"OS/2", {3, 2, 24, 12, 0, {}}, None, 3, "Unknown bitmap type: Not RGB or 8-bit pixel"},
        {"16-bit", {3, 2, 16, 40, 0, {}}, None, 3, "Unknown bitmap type: not RGB or 8-bit pixel"},
        {"unknown header", {3, 2, 24, 64, 0, {}}, None, 3, "Unknown bitmap type: header of 64 bytes"},
        {"not a bitmap", {}, [](auto& B) { B[1] = 'X'; }, 2, "Not a BMP file"},
        {"rows cut short",
         {3, 2, 24, 40, 0, {}},
         [](auto& B) { B.resize(B.size() - 7); },
         1,
         "BMP pixel rows are shorter than the image width needs: 8 bytes for 9"},
        {"pixel offset past the end",
         {},
         [](auto& B) { Put(B, 10, 4000, 4); },
         1,
         "BMP header outside of file"},
        {"header past the end", {}, [](auto& B) { B.resize(16); }, 1, "BMP header outside of file"},
        {"zero height",
         {3, 0, 24, 40, 0, {}},
         [](auto& B) { B.push_back(0); },
         1,
         "BMP image size out of range"},
        {"colour table larger than the header",
         {6, 3, 8, 40, 0, ColourPalette(4)},
         [](auto& B) { Put(B, 46, 300, 4); },
         1,
         "BMP colour table outside of header"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        std::vector<unsigned char> Bytes = BmpBytes(Case.Layout);
        Case.Damage(Bytes);
        WriteBytes(Path("bad.bmp"), Bytes);
        test::ExpectReadRefused<TBMPMap2>(Path("bad.bmp"), Case.Code, Case.Text);
    }
}
#pragma GCC diagnostic pop

TEST_F(BmpTest, CreatedBitmapHasItsLayoutAndWorldFile) {
    const std::string Name = Path("new.bmp");
    {
        TBMPMap2 Image;
        ASSERT_TRUE(Image.OpenMap(Name, 10, 10, ctUnsigned8, 1, omCreate)) << Image.ErrorText();
        ASSERT_TRUE(Image.WriteCell(2, 0, 0, 300)); // low 8 bits: 44
        Image.SetGeoreference("WE", "WGS84", "NUTM34", 0.5, 0.5, 0, 0, 500000, 4000000);
        EXPECT_TRUE(Image.Finish());
    }
    const std::vector<unsigned char> Bytes = ReadBytes(Name);
    ASSERT_EQ(Bytes.size(), 1198u);
    const auto U32 = [&](std::size_t At) {
        return static_cast<std::uint32_t>(Bytes[At] | Bytes[At + 1] << 8 | Bytes[At + 2] << 16 |
                                          Bytes[At + 3] << 24);
    };
    EXPECT_EQ(U32(2), 1198u);
    EXPECT_EQ(U32(10), 1078u);
    EXPECT_EQ(U32(14), 40u);
    EXPECT_EQ(U32(18), 10u);
    EXPECT_EQ(U32(22), 10u);
    EXPECT_EQ(Bytes[28], 8);
    for (std::size_t Index = 0; Index < 256; ++Index)
        ASSERT_EQ((std::array<int, 4>{Bytes[54 + 4 * Index], Bytes[55 + 4 * Index], Bytes[56 + 4 * Index],
                                      Bytes[57 + 4 * Index]}),
                  (std::array<int, 4>{int(Index), int(Index), int(Index), 0}));
    EXPECT_EQ(Bytes[1078 + 9 * 12 + 2], 44) << "row 0 is stored last";
    EXPECT_EQ(ReadText(Path("new.bmpw")),
              "  0.50000000000000\r\n  0.00000000000000\r\n  0.00000000000000\r\n"
              " -0.50000000000000\r\n500000.00000000000000\r\n4000000.00000000000000\r\n");

    const std::vector<std::tuple<std::uint8_t, std::int32_t, int, std::string>> Refused = {
        {ctUnsigned16, 1, 4, ",Not supported cell type(must be byte type): UNSIGNED16BITINTEGER"},
        {ctUnsigned8, 2, 5, "Wrong number of bands(must be 1 or 3)"},
        {ctUnsigned8, 4, 5, "Wrong number of bands(must be 1 or 3)"},
    };
    for (const auto& [CellType, Bands, Code, Text] : Refused)
        test::ExpectCreateRefused<TBMPMap2>(Path("refused.bmp"), CellType, Bands, Code, Text);
}

} // namespace
} // namespace vortane
