#include "raster/ecw/ecw_map.hpp"

#include "raster/codecs/wavelet_codec.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <random>
#include <string>

namespace vortane {
namespace {

using test::ReadBytes;
using test::ValueAt;
using test::WriteBytes;

class EcwTest : public test::TTempDirTest {
protected:
    // A created image filled from a fixed random sequence with runs of flat cells, both extremes
    // included; released, so it is compressed.
    std::vector<unsigned char> MakeImage(const std::string& FileName, std::int32_t Columns, std::int32_t Rows,
                                         std::int32_t Bands) {
        std::mt19937 Random(static_cast<unsigned>(Columns * 31 + Rows * 7 + Bands));
        std::vector<unsigned char> Cells(std::size_t(Columns) * Rows * Bands);
        for (std::size_t I = 0; I < Cells.size(); ++I)
            Cells[I] = I % 97 < 40 ? static_cast<unsigned char>(I / 97 % 2 * 255) : Random() % 256;
        TECWMap2 Image;
        EXPECT_TRUE(Image.OpenMap(FileName, Columns, Rows, ctUnsigned8, Bands, omCreate));
        for (std::int32_t Row = 0; Row < Rows; ++Row)
            for (std::int32_t Col = 0; Col < Columns; ++Col)
                for (std::int32_t Band = 0; Band < Bands; ++Band)
                    Image.WriteCell(Col, Row, static_cast<std::uint32_t>(Band),
                                    Cells[(std::size_t(Row) * Columns + Col) * Bands + Band]);
        Image.SetGeoreference("WE", "WGS84", "NUTM34", 2.5, 4, 1, 2, 470000, 5790000);
        return Cells;
    }
};

// The codec is lossless: every cell of odd-sized grey and colour images reads back unchanged, with the
// georeferencing the file carries (Y increment negative in the file, positive in the raster).
TEST_F(EcwTest, WriteThenReadGivesIdenticalCells) {
    struct {
        std::int32_t Columns, Rows, Bands;
    } const Sizes[] = {{1, 1, 1}, {1, 1, 3}, {63, 65, 1}, {63, 65, 3}, {1000, 500, 1}, {1000, 500, 3}};
    for (const auto& S : Sizes) {
        SCOPED_TRACE(std::to_string(S.Columns) + " x " + std::to_string(S.Rows) + " x " +
                     std::to_string(S.Bands));
        const std::string Name = Path("lossless.ecw");
        const std::vector<unsigned char> Cells = MakeImage(Name, S.Columns, S.Rows, S.Bands);
        const std::vector<unsigned char> File = ReadBytes(Name);
        EXPECT_EQ(ValueAt<std::uint8_t>(File, 61), S.Bands == 3 ? 4 : 1); // compression format
        EXPECT_EQ(ValueAt<double>(File, 28), -4.0);
        EXPECT_EQ(ValueAt<double>(File, 36), 470000 - 2.5);
        EXPECT_EQ(ValueAt<double>(File, 44), 5790000 + 8.0);

        TECWMap2 Image;
        ASSERT_TRUE(Image.OpenMap(Name, 0, 0, ctUnsigned8, 1, omRead)) << Image.ErrorText();
        ASSERT_EQ(Image.GetColumns(), S.Columns);
        ASSERT_EQ(Image.GetRows(), S.Rows);
        ASSERT_EQ(Image.GetBands(), S.Bands);
        EXPECT_EQ(Image.LineSize(), TBufferedMap2::PaddedLineSize(S.Columns, S.Bands));
        EXPECT_EQ(Image.GetCellSizeX(), 2.5);
        EXPECT_EQ(Image.GetCellSizeY(), 4.0);
        EXPECT_EQ(Image.GetOriginX(), 470000 - 2.5);
        EXPECT_EQ(Image.GetOriginY(), 5790000 + 8.0);
        EXPECT_EQ(Image.GetProjection(), "RAW");
        std::size_t Different = 0;
        for (std::int32_t Row = 0; Row < S.Rows; ++Row)
            for (std::int32_t Col = 0; Col < S.Columns; ++Col)
                for (std::int32_t Band = 0; Band < S.Bands; ++Band) {
                    float Value = -1;
                    Image.ReadCell(Col, Row, static_cast<std::uint32_t>(Band), Value);
                    Different += Value != Cells[(std::size_t(Row) * S.Columns + Col) * S.Bands + Band];
                }
        EXPECT_EQ(Different, 0u);
    }
    EXPECT_EQ(TBufferedMap2::PaddedLineSize(1000, 3), 3000u);
}

TEST_F(EcwTest, CreateRefusesOtherCellsBandsAndUpdates) {
    MakeImage(Path("existing.ecw"), 4, 4, 1);
    struct {
        std::uint8_t CellType;
        std::int32_t Bands;
        std::uint8_t Mode;
    } const Refused[] = {{ctUnsigned8, 2, omCreate}, {ctFloat32, 1, omCreate}, {ctUnsigned8, 1, omUpdate}};
    for (const auto& R : Refused) {
        TECWMap2 Image;
        EXPECT_FALSE(Image.OpenMap(Path("existing.ecw"), 4, 4, R.CellType, R.Bands, R.Mode));
    }
}

// The line callback reads the raster named by its client, so two compressions cannot mix.
TEST_F(EcwTest, LineCallbackReadsTheClientsOwnRaster) {
    TECWMap2 First, Second;
    ASSERT_TRUE(First.OpenMap(Path("first.ecw"), 3, 2, ctUnsigned8, 1, omCreate));
    ASSERT_TRUE(Second.OpenMap(Path("second.ecw"), 3, 2, ctUnsigned8, 1, omCreate));
    First.WriteCell(2, 1, 0, 11);
    Second.WriteCell(2, 1, 0, 22);
    wavelet::TCompressClient FirstClient, SecondClient;
    const std::string LongName = Path("sub folder/first.ecw");
    TECWMap2::FillClient(First, FirstClient, LongName, 1);
    TECWMap2::FillClient(Second, SecondClient, Path("second.ecw"), 1);
    EXPECT_EQ(FirstClient.OutputFilename, LongName);
    float Line[3] = {};
    float* Lines[] = {Line};
    ASSERT_TRUE(SecondClient.ReadLineCallback(&SecondClient, 1, Lines));
    EXPECT_EQ(Line[2], 22);
    ASSERT_TRUE(FirstClient.ReadLineCallback(&FirstClient, 1, Lines));
    EXPECT_EQ(Line[2], 11);
    EXPECT_FALSE(FirstClient.ReadLineCallback(&FirstClient, 2, Lines));
}

// Damaged, foreign or lying files fail to open with a reason; none crashes or allocates by its claims.
TEST_F(EcwTest, CorruptFilesAreRefused) {
    MakeImage(Path("good.ecw"), 70, 130, 3);
    const std::vector<unsigned char> Good = ReadBytes(Path("good.ecw"));
    struct TCase {
        const char* Name;
        std::size_t Offset; // byte changed, or the length kept for truncation
        int Change;         // added to the byte; 0: truncate to Offset
        const char* Reason;
    };
    const TCase Cases[] = {
        {"foreign tag", 4, 1, "not a Vortane wavelet file"},
        {"version", 8, 1, "Unsupported version"},
        {"huge width", 15, 0x40, "Corrupt wavelet file"},
        {"no bands", 10, -3, "Corrupt wavelet file"},
        {"levels", 60, 20, "Corrupt wavelet file"},
        {"chunk offset", 72 + 7, 1, "Corrupt wavelet file"},
        {"chunk length", 72 + 11, 1, "Corrupt wavelet file"},
        {"stream length", 72 + 14, 1, "Corrupt wavelet file"},
        {"coefficients", Good.size() - 40, 0x55, "Corrupt wavelet file"},
        {"truncated", Good.size() - 1, 0, "Corrupt wavelet file"},
        {"only magic and tag", 8, 0, "Corrupt wavelet file"},
        {"only magic", 4, 0, "Corrupt wavelet file"},
    };
    for (const TCase& Case : Cases) {
        std::vector<unsigned char> Bytes = Good;
        if (Case.Change == 0)
            Bytes.resize(Case.Offset);
        else
            Bytes[Case.Offset] = static_cast<unsigned char>(Bytes[Case.Offset] + Case.Change);
        WriteBytes(Path("bad.ecw"), Bytes);
        TECWMap2 Image;
        EXPECT_FALSE(Image.OpenMap(Path("bad.ecw"), 0, 0, ctUnsigned8, 1, omRead)) << Case.Name;
        EXPECT_EQ(Image.ErrorCode(), 1) << Case.Name;
        EXPECT_EQ(Image.ErrorText().rfind("Open read error 1 ", 0), 0u) << Image.ErrorText();
        EXPECT_NE(Image.ErrorText().find(Case.Reason), std::string::npos)
            << Case.Name << ": " << Image.ErrorText();
    }
    std::vector<unsigned char> Foreign = {0x65, 0x02, 0x01, 0x02, 'a', 'b', 'c', 'd'};
    Foreign.resize(400, 7);
    WriteBytes(Path("foreign.ecw"), Foreign);
    TECWMap2 Image;
    EXPECT_FALSE(Image.OpenMapRead(Path("foreign.ecw")));
    EXPECT_EQ(Image.ErrorText(),
              "Could not open view for file: " + Path("foreign.ecw") + " Error: not a Vortane wavelet file");
}

} // namespace
} // namespace vortane
