#include "raster/mapped_cell_file.hpp"

#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <fcntl.h>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <unistd.h>

namespace vortane {
namespace {

using test::ReadBytes;
using test::WriteBytes;

// Exposes the view and row window so the mapping arithmetic can be checked.
class TProbe : public TMMapFile2 {
public:
    using TMapByte::FData;
    using TMapByte::FEndRow;
    using TMapByte::FFirstRow;
    using TMapByte::FMinBytes;
    using TMapByte::FPosition;
    using TMapByte::FViewOffset;
    using TMapByte::FViewSize;
};

class MappedCellFileTest : public test::TTempDirTest {};

TEST_F(MappedCellFileTest, CellsLieRowByRowWithTheBandsOfARowOneAfterAnother) {
    const std::string Name = Path("grid");
    {
        TMMapFile2 Grid;
        ASSERT_TRUE(Grid.OpenGrid(Name, 100, 50, ctUnsigned8, 3, omCreate, false));
        EXPECT_TRUE(Grid.WriteCell(10, 2, 1, 7));
        EXPECT_TRUE(Grid.WriteCell(99, 49, 2, 9));
        EXPECT_TRUE(Grid.WriteCell(0, 0, 7, 5)); // band 7 of 3 is band 2
    }
    const auto Bytes = ReadBytes(Name);
    ASSERT_EQ(Bytes.size(), 100u * 50 * 3);
    EXPECT_EQ(Bytes[2 * 300 + 1 * 100 + 10], 7);
    EXPECT_EQ(Bytes[49 * 300 + 2 * 100 + 99], 9);
    EXPECT_EQ(Bytes[200], 5);

    TMMapFile2 Grid;
    ASSERT_TRUE(Grid.OpenGrid(Name, 100, 50, ctUnsigned8, 3, omRead, false));
    float Value = 0;
    ASSERT_TRUE(Grid.ReadCell(0, 0, 7, Value));
    EXPECT_EQ(Value, 5);
}

TEST_F(MappedCellFileTest, CreatedFileHasItsExactSizeInZeroBytesBeforeAnyWrite) {
    const std::string Name = Path("zero");
    WriteBytes(Name, std::vector<unsigned char>(5000, 0xAA)); // an existing file is replaced
    TMMapFile2 Grid;
    ASSERT_TRUE(Grid.OpenGrid(Name, 7, 5, ctSigned16, 2, omCreate, false));
    const auto Bytes = ReadBytes(Name);
    EXPECT_EQ(Bytes.size(), 7u * 5 * 2 * 2);
    EXPECT_EQ(std::count(Bytes.begin(), Bytes.end(), 0), static_cast<long>(Bytes.size()));
}

struct TDecodeCase {
    std::uint8_t CellType;
    bool MSBFirst;
    std::vector<unsigned char> Bytes;
    float Expected;
};

TEST_F(MappedCellFileTest, ReadsEachCellTypeInEitherByteOrder) {
    const std::vector<TDecodeCase> Cases = {
        {ctUnsigned8, false, {0xFE}, 254},
        {ctSigned16, true, {0xFF, 0xFE}, -2},
        {ctSigned16, false, {0xFE, 0xFF}, -2},
        {ctUnsigned16, true, {0x12, 0x34}, 0x1234},
        {ctUnsigned16, false, {0x34, 0x12}, 0x1234},
        {ctSigned32, true, {0xFF, 0xFF, 0xFF, 0xFE}, -2},
        {ctSigned32, false, {0x00, 0x00, 0x01, 0x00}, 65536},
        {ctUnsigned32, true, {0xFF, 0xFF, 0xFF, 0x00}, 4294967040.0f},
        {ctFloat32, true, {0x3F, 0xC0, 0x00, 0x00}, 1.5f},
        {ctFloat32, false, {0x00, 0x00, 0xC0, 0xBF}, -1.5f},
        {ctFloat64, true, {0x40, 0x09, 0x21, 0xFB, 0x54, 0x44, 0x2D, 0x18}, 3.14159265358979f},
        {ctFloat64, false, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}, 1.0f},
        {ctSigned8, false, {0xFF}, -1},
        {ctSigned8, false, {0x80}, -128},
        {ctRGB24, false, {1, 2, 3}, 0}, // nor for packed colour cells
    };
    for (const TDecodeCase& Case : Cases) {
        SCOPED_TRACE(::testing::Message() << "cell type " << int(Case.CellType) << " MSB " << Case.MSBFirst);
        const std::string Name = Path("cell");
        WriteBytes(Name, Case.Bytes);
        TMMapFile2 Grid;
        ASSERT_TRUE(Grid.OpenGrid(Name, 1, 1, Case.CellType, 1, omRead, Case.MSBFirst));
        float Value = -99;
        ASSERT_TRUE(Grid.ReadCell(0, 0, 0, Value));
        EXPECT_EQ(Value, Case.Expected);
    }
}

struct TEncodeCase {
    std::uint8_t CellType;
    bool MSBFirst;
    float Value;
    std::vector<unsigned char> Expected;
};

TEST_F(MappedCellFileTest, WritesRoundHalfToEvenWithoutClampingInTheFilesByteOrder) {
    const std::vector<TEncodeCase> Cases = {
        {ctUnsigned8, false, 2.5f, {2}},
        {ctUnsigned8, false, 3.5f, {4}},
        {ctUnsigned8, false, 300, {44}},
        {ctUnsigned8, false, -1, {255}},
        {ctUnsigned8, false, 256, {0}},
        {ctUnsigned8, false, -0.5f, {0}},
        {ctSigned16, true, -2, {0xFF, 0xFE}},
        {ctSigned16, false, -2.5f, {0xFE, 0xFF}},
        {ctUnsigned16, true, 65537, {0x00, 0x01}},
        {ctSigned32, true, -2, {0xFF, 0xFF, 0xFF, 0xFE}},
        {ctUnsigned32, false, 4294967040.0f, {0x00, 0xFF, 0xFF, 0xFF}},
        {ctFloat32, true, 1.5f, {0x3F, 0xC0, 0x00, 0x00}},
        {ctFloat64, false, 1.0f, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
        {ctSigned8, false, -2, {0xFE}},
        {ctSigned8, false, 127, {0x7F}},
    };
    for (const TEncodeCase& Case : Cases) {
        SCOPED_TRACE(::testing::Message() << "cell type " << int(Case.CellType) << " value " << Case.Value);
        const std::string Name = Path("cell");
        {
            TMMapFile2 Grid;
            ASSERT_TRUE(Grid.OpenGrid(Name, 1, 1, Case.CellType, 1, omCreate, Case.MSBFirst));
            EXPECT_TRUE(Grid.WriteCell(0, 0, 0, Case.Value));
        }
        EXPECT_EQ(ReadBytes(Name), Case.Expected);
    }
}

TEST_F(MappedCellFileTest, ValuesWithoutAnIntegerAreRefusedByIntegerCells) {
    const std::string Name = Path("cells");
    TMMapFile2 Grid;
    ASSERT_TRUE(Grid.OpenGrid(Name, 2, 1, ctSigned16, 1, omCreate, false));
    ASSERT_TRUE(Grid.WriteCell(0, 0, 0, 77));
    for (float Value :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 1e30f})
        EXPECT_FALSE(Grid.WriteCell(0, 0, 0, Value)) << Value;
    float Read = 0;
    ASSERT_TRUE(Grid.ReadCell(0, 0, 0, Read));
    EXPECT_EQ(Read, 77);
}

TEST_F(MappedCellFileTest, AccessOutsideTheGridOrWritingReadOnlyFailsAndLeavesTheValue) {
    const std::string Name = Path("cells");
    WriteBytes(Name, {1, 2, 3, 4, 5, 6});
    TMMapFile2 Grid;
    ASSERT_TRUE(Grid.OpenGrid(Name, 3, 2, ctUnsigned8, 1, omRead, false));
    const std::vector<std::pair<std::int64_t, std::int64_t>> Outside = {{3, 0}, {0, 2}, {-1, 0}, {0, -1}};
    for (const auto& [Col, Row] : Outside) {
        float Value = 42;
        EXPECT_FALSE(Grid.ReadCell(Col, Row, 0, Value)) << Col << "," << Row;
        EXPECT_EQ(Value, 42);
    }
    EXPECT_FALSE(Grid.WriteCell(0, 0, 0, 9));
    EXPECT_FALSE(Grid.WriteRGB(0, 0, 0x010203));
    EXPECT_EQ(ReadBytes(Name)[0], 1);
}

TEST_F(MappedCellFileTest, ColourCellsAreThreeConsecutiveBytesLowestFirst) {
    const std::string Name = Path("rgb");
    {
        TMMapFile2 Grid;
        ASSERT_TRUE(Grid.OpenGrid(Name, 2, 2, ctUnsigned8, 3, omCreate, false));
        EXPECT_TRUE(Grid.WriteRGB(1, 1, static_cast<std::int32_t>(0xFF332211)));
        std::int32_t Color = 0;
        ASSERT_TRUE(Grid.ReadRGB(1, 1, Color));
        EXPECT_EQ(Color, 0x332211); // top byte dropped on writing, 0 on reading
        EXPECT_FALSE(Grid.ReadRGB(2, 0, Color));
        EXPECT_FALSE(Grid.ReadRGB(0, 2, Color));
    }
    const auto Bytes = ReadBytes(Name);
    EXPECT_EQ(Bytes[6 + 3], 0x11);
    EXPECT_EQ(Bytes[6 + 4], 0x22);
    EXPECT_EQ(Bytes[6 + 5], 0x33);

    TMMapFile2 Grey;
    ASSERT_TRUE(Grey.OpenGrid(Path("grey"), 2, 2, ctUnsigned8, 1, omCreate, false));
    std::int32_t Color = 0;
    EXPECT_FALSE(Grey.ReadRGB(0, 0, Color));
    EXPECT_FALSE(Grey.WriteRGB(0, 0, 1));
}

class SamplingTest : public MappedCellFileTest {
protected:
    // A 4 x 3 float grid whose cell (c, r) holds 10 c + 100 r.
    void SetUp() override {
        MappedCellFileTest::SetUp();
        ASSERT_TRUE(FGrid.OpenGrid(Path("samples"), Columns, Rows, ctFloat32, 1, omCreate, false));
        for (int Row = 0; Row < Rows; ++Row)
            for (int Col = 0; Col < Columns; ++Col)
                ASSERT_TRUE(FGrid.WriteCell(Col, Row, 0, static_cast<float>(10 * Col + 100 * Row)));
    }
    static constexpr int Columns = 4;
    static constexpr int Rows = 3;
    TMMapFile2 FGrid;
};

struct TSampleCase {
    double Col;
    double Row;
    bool Found;
    float Expected;
};

TEST_F(SamplingTest, NearestReadsTheCellWhoseCornerIsNearestWithHalvesToEven) {
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    const std::vector<TSampleCase> Cases = {
        {0.5, 0.5, true, 0}, {1.5, 0.49, true, 20}, {2.5, 0, true, 20},    {3.4, 0, true, 30},
        {-0.4, 0, true, 0},  {-0.6, 0, false, 0},   {3.5, 0, false, 0},    {0, 2.5, true, 200},
        {NaN, 0, false, 0},  {1e300, 0, false, 0},  {0, -1e300, false, 0},
    };
    for (const TSampleCase& Case : Cases) {
        SCOPED_TRACE(::testing::Message() << Case.Col << "," << Case.Row);
        float Value = -1;
        EXPECT_EQ(FGrid.SampleNearest(0, Value, Case.Col, Case.Row), Case.Found);
        EXPECT_EQ(Value, Case.Found ? Case.Expected : -1.0f);
    }
}

TEST_F(SamplingTest, BilinearInterpolatesInsideAndFailsWithZeroWhereTheBlockLeavesTheGrid) {
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    const std::vector<TSampleCase> Cases = {
        {0.5, 0.5, true, 55}, // (0 + 10 + 100 + 110) / 4
        {0.25, 0.75, true, 77.5},
        {Columns - 1, 0, true, 30}, // integral: the cell itself, even in the last column
        {Columns - 1, Rows - 1, true, 230},
        {Columns - 1.5, 0, true, 25},
        {Columns - 0.5, 0, false, 0},
        {0, Rows - 0.5, false, 0},
        {-0.5, 0.5, false, 0},
        {NaN, 0.5, false, 0},
        {0.5, 1e300, false, 0},
    };
    for (const TSampleCase& Case : Cases) {
        SCOPED_TRACE(::testing::Message() << Case.Col << "," << Case.Row);
        float Value = -1;
        EXPECT_EQ(FGrid.SampleBilinear(0, Value, Case.Col, Case.Row), Case.Found);
        EXPECT_FLOAT_EQ(Value, Case.Expected);
    }
}

// The double sum with its check must give the extended sum's float bit for bit: random blocks of
// every magnitude and sign, and blocks whose value lies exactly on or next to a rounding midpoint.
TEST(BilinearValueTest, RoundsExactlyAsTheExtendedSum) {
    std::mt19937_64 Random(20261207);
    std::uniform_real_distribution<double> Offset(0.0, 1.0), Exponent(-140.0, 120.0);
    const auto AnyFloat = [&] {
        const double Magnitude = std::exp2(Exponent(Random)) * Offset(Random);
        return static_cast<float>(Random() % 4 == 0 ? -Magnitude : Magnitude);
    };
    const auto Check = [](const TQuad& Quad, double Dx, double Dy) {
        const float Fast = BilinearValue(Quad, Dx, Dy), Extended = ExtendedBilinearValue(Quad, Dx, Dy);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(Fast), std::bit_cast<std::uint32_t>(Extended))
            << Quad[0] << " " << Quad[1] << " " << Quad[2] << " " << Quad[3] << " at " << Dx << "," << Dy;
    };
    for (int I = 0; I < 200000; ++I) {
        const float Base = AnyFloat(); // neighbours of one value: the sums land near its midpoints
        const float Up = std::nextafter(Base, INFINITY), Down = std::nextafter(Base, -INFINITY);
        const double Dx = Offset(Random), Dy = Offset(Random);
        Check({AnyFloat(), AnyFloat(), AnyFloat(), AnyFloat()}, Dx, Dy);
        Check({Base, Base, Up, Up}, 0.5, Dy);
        Check({Base, Down, Down, Base}, Dx, 0.5 + std::ldexp(Dx - 0.5, -30));
        Check({Base, -Base, Up, -Up}, Dx, Dy);
    }
    for (const float Special : {0.0f, -0.0f, std::numeric_limits<float>::max(),
                                std::numeric_limits<float>::denorm_min(), INFINITY, NAN})
        Check({Special, -Special, Special, 1.0f}, 0.25, 0.75);
}

TEST_F(MappedCellFileTest, ReadQuadGivesTopLeftBottomLeftBottomRightTopRight) {
    const std::string Name = Path("quad");
    WriteBytes(Name, {0, 10, 20, 30}); // 2 x 2: 0 10 / 20 30
    TMMapFile2 Grid;
    ASSERT_TRUE(Grid.OpenGrid(Name, 2, 2, ctUnsigned8, 1, omRead, false));
    TQuad Quad{};
    ASSERT_TRUE(Grid.ReadQuad(0, 0, 0, Quad));
    EXPECT_EQ(Quad, (TQuad{0, 20, 30, 10}));
    float Value = 0;
    ASSERT_TRUE(Grid.SampleBilinear(0, Value, 0.5, 0.5));
    EXPECT_EQ(Value, 15);
    EXPECT_FALSE(Grid.ReadQuad(1, 0, 0, Quad));
}

TEST_F(MappedCellFileTest, RowsWrittenThroughTheFileLandWhereTheMappingReadsThem) {
    const std::string Name = Path("rows");
    TMMapFile2 Grid; // 3 columns, 2 rows, 2 bands: a row is 6 bytes, band after band
    ASSERT_TRUE(Grid.OpenGrid(Name, 3, 2, ctUnsigned8, 2, omCreate, false));
    const unsigned char Row[6] = {1, 2, 3, 10, 20, 30};
    EXPECT_FALSE(Grid.WriteRowThroughFile(1, Row, 5)); // not a whole row
    EXPECT_FALSE(Grid.WriteRowThroughFile(2, Row, 6)); // no such row
    ASSERT_TRUE(Grid.WriteRowThroughFile(1, Row, 6));
    float Value = 0;
    ASSERT_TRUE(Grid.ReadCell(2, 1, 1, Value));
    EXPECT_EQ(Value, 30);
    EXPECT_FALSE(Grid.MappingFaulted());
    Grid.CloseFile();
    EXPECT_EQ(ReadBytes(Name), (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 1, 2, 3, 10, 20, 30}));

    TMMapFile2 Reader;
    ASSERT_TRUE(Reader.OpenGrid(Name, 3, 2, ctUnsigned8, 2, omRead, false));
    EXPECT_FALSE(Reader.WriteRowThroughFile(0, Row, 6));
}

TEST_F(MappedCellFileTest, AFileOfAnotherSizeIsReadAsOneRowOfAllItsCells) {
    const std::string Name = Path("short");
    WriteBytes(Name, {1, 0, 2, 0, 3, 0, 4}); // three whole 16-bit cells and one stray byte
    TMMapFile2 Grid;
    ASSERT_TRUE(Grid.OpenGrid(Name, 100, 50, ctUnsigned16, 2, omRead, false));
    EXPECT_EQ(Grid.GridColumns(), 3u);
    EXPECT_EQ(Grid.GridRows(), 1u);
    EXPECT_EQ(Grid.GridBands(), 1u);
    float Value = 0;
    ASSERT_TRUE(Grid.ReadCell(2, 0, 1, Value));
    EXPECT_EQ(Value, 3);
    EXPECT_FALSE(Grid.ReadCell(3, 0, 0, Value));
    EXPECT_FALSE(Grid.ReadCell(0, 1, 0, Value));
}

TEST_F(MappedCellFileTest, GridsThatCannotExistFailWithAMessage) {
    struct TCase {
        std::string Name;
        std::vector<unsigned char> Bytes; // empty: no file
        std::uint32_t Columns, Rows, Bands;
        std::uint8_t CellType, Mode;
        int Code;
        std::string Text;
    };
    const std::vector<TCase> Cases = {
        {"bits", {1, 2}, 2, 1, 1, ctOneBit, omRead, 1, "Bit type not supported"},
        {"bitsnew", {}, 2, 1, 1, ctOneBit, omCreate, 1, "Bit type not supported"},
        {"huge", {}, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, ctFloat64, omCreate, 1, "Grid size is too large"},
        {"empty", {}, 0, 0, 0, ctUnsigned8, omCreate, 1, "Position outside of file"},
        {"missing", {}, 1, 1, 1, ctUnsigned8, omRead, ENOENT, "No such file or directory"},
        {"tiny", {7}, 1, 1, 1, ctSigned16, omRead, 1, "The file holds no whole cell"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        if (!Case.Bytes.empty()) WriteBytes(Path(Case.Name), Case.Bytes);
        TMMapFile2 Grid;
        EXPECT_FALSE(Grid.OpenGrid(Path(Case.Name), Case.Columns, Case.Rows, Case.CellType, Case.Bands,
                                   Case.Mode, false));
        EXPECT_EQ(Grid.ErrorCode(), Case.Code);
        EXPECT_EQ(Grid.ErrorText(), Case.Text);
        EXPECT_FALSE(Grid.IsFileOpen());
        float Value = 0;
        EXPECT_FALSE(Grid.ReadCell(0, 0, 0, Value));
    }
}

TEST_F(MappedCellFileTest, AbsurdHeaderGeometryOverExistingCellsReadsTheFileAsOneRow) {
    const std::string Name = Path("cells");
    WriteBytes(Name, {1, 2, 3, 4});
    TMMapFile2 Grid;
    ASSERT_TRUE(Grid.OpenGrid(Name, 0xFFFFFFFF, 0xFFFFFFFF, ctUnsigned8, 0xFFFFFFFF, omRead, false));
    EXPECT_EQ(Grid.GridColumns(), 4u);
    float Value = 0;
    EXPECT_TRUE(Grid.ReadCell(3, 0, 0, Value));
    EXPECT_EQ(Value, 4);
}

TEST_F(MappedCellFileTest, MapPositionNeverHandsOutBytesBeyondTheEndOfTheFile) {
    const std::string Name = Path("bytes");
    WriteBytes(Name, std::vector<unsigned char>(100, 1));
    TProbe Probe;
    ASSERT_TRUE(Probe.OpenFile(Name, omRead, 0));
    Probe.FPosition = 96;
    Probe.FMinBytes = 4;
    EXPECT_TRUE(Probe.MapPosition());
    Probe.FPosition = 98; // 8 bytes from here would pass the end
    Probe.FMinBytes = 8;
    EXPECT_FALSE(Probe.MapPosition());
    EXPECT_EQ(Probe.ErrorText(), "The rest of file is smaller than needed num of bytes");
    Probe.FPosition = 100;
    EXPECT_FALSE(Probe.MapPosition());
    EXPECT_EQ(Probe.ErrorText(), "Position outside of file");
}

// A sparse file makes the 300 MiB case cheap: only the touched pages exist.
TEST_F(MappedCellFileTest, RowsAreServedFromOneViewUntilItEndsThenRemappedOnA64KiBBoundary) {
    const std::string Name = Path("big");
    constexpr std::uint32_t LineBytes = 1000;
    constexpr std::uint32_t Rows = 300 * 1024 * 1024 / LineBytes;
    TProbe Grid;
    ASSERT_TRUE(Grid.OpenGrid(Name, LineBytes, Rows, ctUnsigned8, 1, omCreate, false));
    EXPECT_EQ(Grid.FViewSize, TMapByte::MaxViewBytes);
    EXPECT_EQ(Grid.FEndRow, 134217);

    ASSERT_TRUE(Grid.GoToRow(134216, 0));
    EXPECT_EQ(Grid.FViewOffset, 0u);
    EXPECT_EQ(Grid.FFirstRow, 0);

    ASSERT_TRUE(Grid.GoToRow(134217, 0));
    EXPECT_EQ(Grid.FViewOffset, 134152192u);
    EXPECT_EQ(Grid.FFirstRow, 134217);
    ASSERT_TRUE(Grid.WriteCell(999, Rows - 1, 0, 200));
    ASSERT_TRUE(Grid.WriteCell(5, 134217, 0, 17));
    float Value = 0;
    ASSERT_TRUE(Grid.ReadCell(5, 134217, 0, Value));
    EXPECT_EQ(Value, 17);
    ASSERT_TRUE(Grid.ReadCell(999, Rows - 1, 0, Value));
    EXPECT_EQ(Value, 200);
}

TEST_F(MappedCellFileTest, CellFilesOfMoreThanFourGibibytesAreAddressedWith64BitOffsets) {
    const std::string Name = Path("huge");
    constexpr std::uint32_t Columns = 65536;
    constexpr std::uint32_t Rows = 81920; // 5 GiB of byte cells
    constexpr std::uint64_t LastCell = std::uint64_t{Columns} * Rows - 1;
    {
        TMMapFile2 Grid;
        ASSERT_TRUE(Grid.OpenGrid(Name, Columns, Rows, ctUnsigned8, 1, omCreate, false)) << Grid.ErrorText();
        EXPECT_EQ(Grid.FileSize(), LastCell + 1);
        ASSERT_TRUE(Grid.WriteCell(Columns - 1, Rows - 1, 0, 123));
    }
    TFileDescriptor File;
    ASSERT_EQ(File.Open(Name, O_RDONLY), 0);
    unsigned char Byte = 0;
    ASSERT_EQ(::pread(File.Get(), &Byte, 1, static_cast<off_t>(LastCell)), 1);
    EXPECT_EQ(Byte, 123);

    TMMapFile2 Grid;
    ASSERT_TRUE(Grid.OpenGrid(Name, Columns, Rows, ctUnsigned8, 1, omRead, false));
    float Value = 0;
    ASSERT_TRUE(Grid.ReadCell(Columns - 1, Rows - 1, 0, Value));
    EXPECT_EQ(Value, 123);
}

} // namespace
} // namespace vortane

namespace vortane {
namespace {

// A file larger than a view, read in rows far apart in turn (as a sampler crossing a rotated image
// does), and read again after its pages were released, gives every row its own bytes.
TEST_F(MappedCellFileTest, RowsFarApartAndReleasedPagesReadTheirOwnCells) {
    constexpr std::uint32_t Columns = 1 << 20, Rows = 320; // 320 MiB of byte cells, rows of 1 MiB
    const std::string Name = Path("large");
    {
        TMMapFile2 Cells;
        ASSERT_TRUE(Cells.OpenGrid(Name, Columns, Rows, ctUnsigned8, 1, omCreate, false))
            << Cells.ErrorText();
        for (std::uint32_t Row = 0; Row < Rows; Row += 7)
            ASSERT_TRUE(Cells.WriteCell(Row * 3, Row, 0, static_cast<float>(Row % 251)));
    }
    TMMapFile2 Cells;
    ASSERT_TRUE(Cells.OpenGrid(Name, Columns, Rows, ctUnsigned8, 1, omRead, false));
    for (int Pass = 0; Pass < 2; ++Pass) {
        for (std::uint32_t Step = 0; Step < Rows / 7; ++Step) {
            // alternately from the top and from the bottom
            const std::uint32_t Row = 7 * (Step % 2 == 0 ? Step / 2 : Rows / 7 - 1 - Step / 2);
            unsigned char *First = nullptr, *Last = nullptr;
            ASSERT_TRUE(Cells.MapRows(Row, Row, First, Last)) << Row;
            ASSERT_EQ(First[Row * 3], Row % 251) << Row;
            ASSERT_EQ(First[Row * 3 + 1], 0) << Row;
        }
        Cells.ReleaseResidentPages();
    }
    EXPECT_FALSE(Cells.MappingFaulted());

    // Every view read since the last release lets its pages go, whichever of them is current or kept:
    // 256 KiB read of each row, alternately near the top and the bottom (80 MiB in all).
    const auto ResidentFileKiB = [] {
        std::ifstream Status("/proc/self/status");
        for (std::string Line; std::getline(Status, Line);)
            if (Line.rfind("RssFile:", 0) == 0) return std::stol(Line.substr(8));
        return 0L;
    };
    for (std::uint32_t Step = 0; Step < Rows; ++Step) {
        const std::uint32_t Row = Step % 2 == 0 ? Step / 2 : Rows - 1 - Step / 2;
        unsigned char *First = nullptr, *Last = nullptr;
        ASSERT_TRUE(Cells.MapRows(Row, Row, First, Last)) << Row;
        for (std::uint32_t Byte = 0; Byte < (256u << 10); Byte += 4096)
            ASSERT_LE(First[Byte], 250);
    }
    const long Before = ResidentFileKiB();
    Cells.ReleaseResidentPages();
    EXPECT_GT(Before - ResidentFileKiB(), 60L << 10);
}

} // namespace
} // namespace vortane
