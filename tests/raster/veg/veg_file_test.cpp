#include "raster/veg/veg_file.hpp"

#include "raster/byte_order.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

namespace vortane {
namespace {

using Bytes = std::vector<unsigned char>;

class VegTest : public test::TTempDirTest {
protected:
    std::string WriteGrid(const std::string& Header, const Bytes& Tiles) {
        test::WriteText(Path("grid.dat"), Header);
        test::WriteBytes(Path("grid.veg"), Tiles);
        return Path("grid.veg");
    }
};

TEST_F(VegTest, ACreatedGridStoresOnlyItsWrittenTiles) {
    {
        TVegFile Grid;
        ASSERT_TRUE(Grid.OpenMap(Path("new.veg"), 300, 300, 0, 1, omCreate)) << Grid.ErrorText();
        ASSERT_TRUE(Grid.WriteCell(0, 0, 0, 12.5f));
        ASSERT_TRUE(Grid.WriteCell(299, 299, 0, TVegFile::NoData)); // into an absent tile: nothing
        EXPECT_FALSE(Grid.WriteCell(300, 0, 0, 1.0f));
        Grid.SetGeoreference("", "", "", 10, 10, 0, 0, 2000, 9000);
    }
    const Bytes File = test::ReadBytes(Path("new.veg"));
    ASSERT_EQ(File.size(), 375076u); // 3 x 3 tiles, one present
    for (std::size_t Entry = 0; Entry < 9; ++Entry)
        EXPECT_EQ(LoadInt32LE(File.data() + 4 + 8 * Entry), Entry == 6 ? 76 : 0) << Entry;
    EXPECT_EQ(LoadFloatLE(File.data() + 76 + 373502), 12.5f); // row 0 is the tile's last stored row
    EXPECT_EQ(LoadFloatLE(File.data() + 76 + 2), TVegFile::NoData);
    // South edge: 9000 - (2 x 250 + 249) x 10.
    EXPECT_EQ(test::ReadText(Path("new.dat")), "1510.000000\r\n2000.000000\r\n10.000000\r\n2\r\n2\r\n");

    TVegFile Read;
    ASSERT_TRUE(Read.OpenMap(Path("new.veg"), 0, 0, 0, 1, omRead)) << Read.ErrorText();
    EXPECT_EQ(Read.GetRows(), 750);
    EXPECT_EQ(Read.GetOriginY(), 9000);
    float Value = 0;
    EXPECT_TRUE(Read.ReadCell(0, 0, 0, Value));
    EXPECT_EQ(Value, 12.5f);
    EXPECT_FALSE(Read.ReadCell(1, 0, 0, Value));     // a present cell holding no data
    EXPECT_FALSE(Read.ReadCell(600, 600, 0, Value)); // an absent tile
    EXPECT_EQ(Value, TVegFile::NoData);
}

TEST_F(VegTest, TheHeaderGivesWholeTilesAndTheNorthEdge) {
    TVegHeader Header;
    test::WriteText(Path("h.dat"), "1000\r\n500,5\r\n10\r\n1\r\n3\r\n");
    ASSERT_TRUE(Header.ReadHeader(Path("h.dat")));
    EXPECT_EQ(Header.FRows, 500);
    EXPECT_EQ(Header.FColumns, 1000);
    EXPECT_EQ(Header.FNorthings, 5990);
    EXPECT_EQ(Header.FEastings, 500.5);
}

TEST_F(VegTest, BrokenFilesAreRefused) {
    Bytes OneTile(4 + 8, 0);
    StoreInt32LE(OneTile.data() + 4, 12);
    OneTile.resize(12 + TVegFile::TileBytes - 1); // one byte short of its tile
    const struct {
        const char* Name;
        std::string Header;
        Bytes Tiles;
        const char* Error;
    } Cases[] = {
        {"tile count not an integer", "0\r\n0\r\n1\r\n0.5\r\n0\r\n", Bytes(12), "Error loading header"},
        {"header too short", "0\r\n0\r\n1\r\n", Bytes(12), "Error loading header"},
        {"negative tile count", "0\r\n0\r\n1\r\n-1\r\n0\r\n", Bytes(12), "Error loading header"},
        {"rows beyond 32 bits", "0\r\n0\r\n1\r\n8589934\r\n0\r\n", Bytes(12), "Error loading header"},
        {"directory past the end", "0\r\n0\r\n1\r\n8589932\r\n8589932\r\n", Bytes(12),
         "too few for the directory"},
        {"tile past the end", "0\r\n0\r\n1\r\n0\r\n0\r\n", OneTile, "lies past the end"},
        {"empty tile file", "0\r\n0\r\n1\r\n0\r\n0\r\n", Bytes(), ""},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TVegFile Grid;
        EXPECT_FALSE(Grid.OpenMap(WriteGrid(Case.Header, Case.Tiles), 0, 0, 0, 1, omRead));
        EXPECT_NE(Grid.ErrorText().find(Case.Error), std::string::npos) << Grid.ErrorText();
    }
}

} // namespace
} // namespace vortane
