#include "raster/rsw/rsw_map.hpp"

#include "support/plain_rows.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace vortane {
namespace {

using test::ReadBytes;
using test::ValueAt;
using test::WriteBytes;

template <typename T> void Put(std::vector<unsigned char>& Bytes, std::size_t Offset, T Value) {
    std::memcpy(Bytes.data() + Offset, &Value, sizeof(T));
}

using TTileList = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

class RswTest : public test::TTempDirTest {};

// Tiles of at most 64 x 64 cells, the last column and row narrower, laid out row-major after the table.
TEST_F(RswTest, CreatedLayouts) {
    struct {
        std::int32_t Columns, Rows;
        std::uint32_t TileWidth, TileHeight, Across, Down, LastWidth, LastHeight;
        TTileList Tiles;
        std::uint64_t FileLength;
    } const Layouts[] = {
        {100, 70, 64, 64, 2, 2, 36, 6, {{1376, 12288}, {13664, 6912}, {20576, 1152}, {21728, 648}}, 22376},
        {40, 30, 40, 30, 1, 1, 40, 30, {{1352, 3600}}, 4952},
        {64, 3, 64, 3, 1, 1, 64, 3, {{1352, 576}}, 1928},
    };
    for (const auto& L : Layouts) {
        SCOPED_TRACE(std::to_string(L.Columns) + " x " + std::to_string(L.Rows));
        const std::string Name = Path("layout.rsw");
        {
            TRswMap2 Image;
            ASSERT_TRUE(Image.OpenMap(Name, L.Columns, L.Rows, ctUnsigned8, 3, omCreate))
                << Image.ErrorText();
            TTileList Tiles;
            for (const TRswMap2::TTile& Tile : Image.TileTable())
                Tiles.emplace_back(Tile.Offset, Tile.Size);
            EXPECT_EQ(Tiles, L.Tiles);
        }
        const std::vector<unsigned char> File = ReadBytes(Name);
        ASSERT_EQ(File.size(), L.FileLength);
        EXPECT_EQ(std::string(File.begin(), File.begin() + 3), "RSW");
        EXPECT_EQ(File[5], 2);
        struct {
            std::size_t Offset;
            std::uint64_t Value;
        } const Fields[] = {{8, L.FileLength},
                            {52, 24},
                            {56, std::uint64_t(L.Rows)},
                            {60, std::uint64_t(L.Columns)},
                            {64, L.Across},
                            {68, L.Down},
                            {72, L.TileWidth},
                            {76, L.TileHeight},
                            {80, L.LastHeight},
                            {84, L.LastWidth},
                            {96, 320},
                            {100, 1024},
                            {104, 1344},
                            {108, 8 * L.Tiles.size()},
                            {220, L.FileLength},
                            {244, 0}};
        for (const auto& F : Fields)
            EXPECT_EQ(ValueAt<std::uint32_t>(File, F.Offset), F.Value) << "offset " << F.Offset;
        EXPECT_EQ(ValueAt<double>(File, 136), 1000.0);
        EXPECT_EQ(ValueAt<std::uint32_t>(File, 1344), L.Tiles[0].first);
        EXPECT_EQ(ValueAt<std::uint32_t>(File, 1344 + 4), L.Tiles[0].second);
    }
}

// Cells are stored in reverse band order; the georeferencing goes to the header at once, with the
// lower edge's northing, and reads back as the upper edge.
TEST_F(RswTest, CellBytesAndGeoreference) {
    const std::string Name = Path("geo.rsw");
    {
        TRswMap2 Image;
        ASSERT_TRUE(Image.OpenMap(Name, 70, 100, ctUnsigned8, 3, omCreate));
        ASSERT_TRUE(Image.WriteCell(0, 0, 0, 11));
        ASSERT_TRUE(Image.WriteCell(0, 0, 2, 33));
        ASSERT_TRUE(Image.WriteCell(65, 99, 7, 2.5f)); // band 7 is band 2
        EXPECT_FALSE(Image.WriteCell(70, 0, 0, 1));
        EXPECT_FALSE(Image.GoToRow(0, 0));
        Image.SetGeoreference("WE", "WGS84", "NUTM34", 2, 2, 0, 0, 1000, 5000);
    }
    const std::vector<unsigned char> File = ReadBytes(Name);
    const std::uint32_t FirstTile = ValueAt<std::uint32_t>(File, 1344);
    EXPECT_EQ(File[FirstTile + 2], 11);
    EXPECT_EQ(File[FirstTile], 33);
    const std::uint32_t LastTile = ValueAt<std::uint32_t>(File, 1344 + 8 * 3);
    EXPECT_EQ(File[LastTile + 3 * (1 + 6 * 35)], 2);
    EXPECT_EQ(ValueAt<double>(File, 144), 500.0);
    EXPECT_EQ(ValueAt<double>(File, 152), 2.0);
    EXPECT_EQ(ValueAt<double>(File, 160), 4800.0);
    EXPECT_EQ(ValueAt<double>(File, 168), 1000.0);
    EXPECT_EQ(ValueAt<std::uint32_t>(File, 244), 1u);

    TRswMap2 Image;
    ASSERT_TRUE(Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omRead));
    EXPECT_EQ(Image.GetRegNorthing(), 5000.0);
    EXPECT_EQ(Image.GetRegEasting(), 1000.0);
    float Value = -1;
    ASSERT_TRUE(Image.ReadCell(0, 0, 2, Value));
    EXPECT_EQ(Value, 33);
    EXPECT_FALSE(Image.WriteCell(0, 0, 0, 1)); // read-only
}

// A colour-mapped (8-bit) file of 4 x 2 cells in one tile, as another program writes it.
std::vector<unsigned char> ColourMappedFile() {
    std::vector<unsigned char> File(1344 + 8 + 8, 0);
    std::memcpy(File.data(), "RSW", 3);
    for (const auto& [Offset, Value] : std::vector<std::pair<std::size_t, std::uint32_t>>{{52, 8},
                                                                                          {56, 2},
                                                                                          {60, 4},
                                                                                          {64, 1},
                                                                                          {68, 1},
                                                                                          {72, 4},
                                                                                          {76, 2},
                                                                                          {80, 2},
                                                                                          {84, 4},
                                                                                          {96, 320},
                                                                                          {100, 1024},
                                                                                          {104, 1344},
                                                                                          {108, 8},
                                                                                          {1344, 1352},
                                                                                          {1348, 8}})
        Put(File, Offset, Value);
    for (int I = 0; I < 1024; ++I)
        File[320 + I] = static_cast<unsigned char>(I % 251);
    File[1352 + 4 + 1] = 5; // cell (1, 1)
    return File;
}

TEST_F(RswTest, ColourMappedFilesReadThroughThePalette) {
    WriteBytes(Path("mapped.rsw"), ColourMappedFile());
    TRswMap2 Image;
    ASSERT_TRUE(Image.OpenMap(Path("mapped.rsw"), 0, 0, ctUnsigned8, 1, omRead)) << Image.ErrorText();
    EXPECT_EQ(Image.GetBands(), 3);
    float Value = 0;
    ASSERT_TRUE(Image.ReadCell(1, 1, 1, Value));
    EXPECT_EQ(Value, 21); // palette byte 4 x 5 + 1
    test::ExpectPlainRowsHoldTheCells(Image);
}

TEST_F(RswTest, RefusedImages) {
    struct {
        std::int32_t Columns, Rows;
        std::uint8_t CellType;
        std::int32_t Bands;
        int Code;
        const char* Text;
    } const Creations[] = {
        {10, 10, ctUnsigned8, 1, 3, "Error bands<>3"},
        {10, 10, ctFloat32, 3, 4, "Error not byte cell"},
        {40000, 40000, ctUnsigned8, 3, 1, "Image too large for an RSW file: its length must fit in 32 bits"},
        {0, 10, ctUnsigned8, 3, 1, "An RSW image needs at least one column and one row"},
    };
    for (const auto& C : Creations) {
        TRswMap2 Image;
        EXPECT_FALSE(Image.OpenMap(Path("refused.rsw"), C.Columns, C.Rows, C.CellType, C.Bands, omCreate));
        EXPECT_EQ(Image.ErrorCode(), C.Code);
        EXPECT_EQ(Image.ErrorText(), C.Text);
    }
    EXPECT_FALSE(std::filesystem::exists(Path("refused.rsw")));

    // Lying headers: every offset and size is checked against the file before a byte is mapped.
    struct {
        const char* Name;
        std::size_t Offset;
        std::uint32_t Value;
        const char* Reason;
    } const Lies[] = {
        {"16 bits per cell", 52, 16, "16 bits per cell; only 8 and 24 are read"},
        {"tile beyond the end", 1344, 5000, "tile 0 lies outside the file or is too short for its cells"},
        {"tile too short", 1348, 7, "tile 0 lies outside the file or is too short for its cells"},
        {"palette beyond the end", 96, 1000, "the palette lies outside the file"},
        {"table beyond the end", 104, 4000000, "the tile table lies outside the file"},
        {"table length", 108, 16, "the tile table length does not match the tile count"},
        {"tiles across", 64, 7, "the header's image and tile sizes do not agree"},
        {"zero tile width", 72, 0, "the header's image and tile sizes do not agree"},
    };
    for (const auto& L : Lies) {
        std::vector<unsigned char> File = ColourMappedFile();
        Put(File, L.Offset, L.Value);
        WriteBytes(Path("lying.rsw"), File);
        TRswMap2 Image;
        EXPECT_FALSE(Image.OpenMap(Path("lying.rsw"), 0, 0, ctUnsigned8, 1, omRead)) << L.Name;
        EXPECT_EQ(Image.ErrorCode(), 1) << L.Name;
        EXPECT_EQ(Image.ErrorText(), std::string("Open read error 1: ") + L.Reason) << L.Name;
    }
    WriteBytes(Path("short.rsw"), {'R', 'S', 'W', 0, 0, 2});
    TRswMap2 Short;
    EXPECT_FALSE(Short.OpenMap(Path("short.rsw"), 0, 0, ctUnsigned8, 1, omUpdate));
    EXPECT_EQ(Short.ErrorText(), "Open update error 2: the file is shorter than an RSW header");
    TRswMap2 Missing;
    EXPECT_FALSE(Missing.OpenMapRead(Path("none.rsw")));
    EXPECT_EQ(Missing.ErrorText(), "File not Exists");
}

} // namespace
} // namespace vortane
