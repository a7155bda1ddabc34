#include "raster/dtm/dtm_map.hpp"

#include "raster/byte_order.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

namespace vortane {
namespace {

using Bytes = std::vector<unsigned char>;

class DtmTest : public test::TTempDirTest {
protected:
    // A header for Columns x Rows cells with the given cell offset, then CellCount float cells holding
    // their own index.
    static Bytes DtmFile(std::int32_t Columns, std::int32_t Rows, std::int32_t CellOffset,
                         std::int64_t CellCount) {
        TDTMHeader Header;
        Header.SetParams(Rows, Columns, 1, ctFloat32, "", "", "", 2.0, 3.0, 0, 0, 1000.0, 2000.0);
        const auto Head = Header.Bytes();
        Bytes File(Head.begin(), Head.end());
        StoreInt32LE(File.data() + 48, CellOffset);
        File.resize(Head.size() + 4 * static_cast<std::size_t>(CellCount));
        for (std::int64_t Index = 0; Index < CellCount; ++Index)
            StoreFloatLE(File.data() + 52 + 4 * Index, static_cast<float>(Index));
        return File;
    }
    std::string Write(const Bytes& File) {
        test::WriteBytes(Path("grid.dtm"), File);
        return Path("grid.dtm");
    }
};

TEST_F(DtmTest, LayoutOfACreatedGrid) {
    {
        TDtmMap2 Grid;
        ASSERT_TRUE(Grid.OpenMap(Path("new.dtm"), 100, 50, ctUnsigned8, 1, omCreate)) << Grid.ErrorText();
        ASSERT_TRUE(Grid.WriteCell(3, 2, 0, 7.25f));
        EXPECT_FALSE(Grid.WriteCell(100, 0, 0, 1.0f));
        Grid.SetGeoreference("", "", "", 2.5, 2.5, 0, 0, 4500000.37, 100.0);
    }
    const Bytes File = test::ReadBytes(Path("new.dtm"));
    ASSERT_EQ(File.size(), 20052u);
    const Bytes Leading = {0x00, 0x00, 0x80, 0xBF, 0x00, 0x00, 0x80, 0xBF, 0,    0,    0,    0,
                           0,    0,    0,    0,    0x00, 0x00, 0x80, 0xBF, 0x00, 0x00, 0x80, 0xBF};
    EXPECT_EQ(Bytes(File.begin(), File.begin() + 24), Leading);
    EXPECT_EQ(LoadFloatLE(File.data() + 24), 4500000.5f); // the nearest single
    EXPECT_EQ(LoadInt32LE(File.data() + 32), 100);
    EXPECT_EQ(LoadInt32LE(File.data() + 36), 50);
    EXPECT_EQ(LoadFloatLE(File.data() + 40), 2.5f);
    EXPECT_EQ(LoadInt32LE(File.data() + 48), 0);
    EXPECT_EQ(LoadFloatLE(File.data() + 864), 7.25f);

    TDtmMap2 Update;
    ASSERT_TRUE(Update.OpenMap(Path("new.dtm"), 0, 0, ctUnsigned8, 1, omUpdate)) << Update.ErrorText();
    EXPECT_FALSE(Update.WriteCell(0, 0, 0, 1.0f));
}

TEST_F(DtmTest, TheCellOffsetShiftsEveryCell) {
    TDtmMap2 Grid;
    ASSERT_TRUE(Grid.OpenMap(Write(DtmFile(2, 2, 10, 14)), 0, 0, ctUnsigned8, 1, omRead)) << Grid.ErrorText();
    float Value = -1;
    ASSERT_TRUE(Grid.ReadCell(0, 0, 0, Value));
    EXPECT_EQ(Value, 10.0f); // byte 92
    ASSERT_TRUE(Grid.ReadCell(1, 1, 0, Value));
    EXPECT_EQ(Value, 13.0f);
    EXPECT_FALSE(Grid.ReadCell(2, 0, 0, Value));
    EXPECT_EQ(Value, 0.0f);
    EXPECT_EQ(Grid.GetOriginX(), 1000.0);
    EXPECT_EQ(Grid.GetCellSizeY(), 3.0);
}

TEST_F(DtmTest, FilesThatDoNotHoldTheirHeadersGridAreRefused) {
    Bytes WrongConstant = DtmFile(2, 2, 0, 4);
    StoreFloatLE(WrongConstant.data() + 8, 1.0f);
    Bytes Short = DtmFile(2, 2, 0, 4);
    Short.resize(40);
    Bytes Huge = DtmFile(2, 2, 0, 4);
    StoreInt32LE(Huge.data() + 32, 2147483647);
    StoreInt32LE(Huge.data() + 36, 2147483647);
    const struct {
        const char* Name;
        Bytes File;
        const char* Error;
    } Cases[] = {
        {"short header", Short, "shorter than"},
        {"third float not 0", WrongConstant, "does not begin"},
        {"cells missing", DtmFile(2, 2, 0, 3), "holds 64 bytes"},
        {"offset past the end", DtmFile(2, 2, 1, 4), "from cell offset 1"},
        {"negative columns", DtmFile(-2, 2, 0, 4), "-2 x 2"},
        {"negative offset", DtmFile(2, 2, -1, 4), "cell offset -1"},
        {"absurd counts", Huge, "2147483647 x 2147483647"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TDtmMap2 Grid;
        EXPECT_FALSE(Grid.OpenMap(Write(Case.File), 0, 0, ctUnsigned8, 1, omRead));
        EXPECT_NE(Grid.ErrorText().find(Case.Error), std::string::npos) << Grid.ErrorText();
    }
    // The geometry is taken even from a header that is refused.
    TDTMHeader Header;
    EXPECT_FALSE(Header.ReadHeader(Write(WrongConstant)));
    EXPECT_EQ(Header.FColumns, 2);
    EXPECT_EQ(Header.FNorthings, 2000.0);
}

} // namespace
} // namespace vortane
