// The contract every writable format keeps: an image created through the data set, with known cells
// and georeferencing, reads back the same after release, is found again by its content and by its
// extension alike, and writes exactly the files the registry names for it.

#include "raster/data_set.hpp"
#include "raster/format_registry.hpp"
#include "raster/raster.hpp"
#include "support/plain_rows.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace vortane {
namespace {

// What a writable format keeps of a float image it is given. A new writable format adds one line.
struct TWritableFormat {
    int Code;
    std::uint8_t ReadCellType;    // the cell type it reads back
    std::int32_t ReadColumns = 0; // 0: the columns written
    std::int32_t ReadRows = 0;    // 0: the rows written
    bool KeepsSystemTexts = true; // stores spheroid, datum and projection
    int ReadAs = -1;              // the format the files read back as, when not this one
    std::uint8_t WriteCellType = ctFloat32;
    std::int32_t Bands = 1;
    float Tolerance = 0; // lossy formats give cells back within this
};

const std::vector<TWritableFormat> WritableFormats = {
    {ftErs, ctFloat32},
    {ftOsd, ctFloat32},
    {ftGif, ctFloat32, 0, 0, true, ftOsd}, // names without a class of their own write ortho data sets
    {ftDcr, ctFloat32, 0, 0, true, ftOsd},
    {ftBit, ctFloat32, 0, 0, true, ftOsd},
    {ftDtm, ctFloat32, 0, 0, false},
    {ftNog, ctSigned16, 0, 0, false},
    {ftVeg, ctFloat32, 500, 500, false}, // whole tiles, one tile row and column more than written
    // clang-format off
    {.Code = ftJpg, .ReadCellType = ctUnsigned8, .KeepsSystemTexts = false, .WriteCellType = ctUnsigned8,
     .Bands = 3, .Tolerance = 3},
    {.Code = ftEcw, .ReadCellType = ctUnsigned8, .KeepsSystemTexts = false, .WriteCellType = ctUnsigned8},
    {.Code = ftEcw, .ReadCellType = ctUnsigned8, .KeepsSystemTexts = false, .WriteCellType = ctUnsigned8,
     .Bands = 3},
    {.Code = ftRsw, .ReadCellType = ctUnsigned8, .KeepsSystemTexts = false, .WriteCellType = ctUnsigned8,
     .Bands = 3},
    {.Code = ftTif, .ReadCellType = ctFloat32, .KeepsSystemTexts = false},
    {.Code = ftTif, .ReadCellType = ctUnsigned8, .KeepsSystemTexts = false, .WriteCellType = ctUnsigned8,
     .Bands = 3},
    {.Code = ftBmp, .ReadCellType = ctUnsigned8, .KeepsSystemTexts = false, .WriteCellType = ctUnsigned8},
    {.Code = ftBmp, .ReadCellType = ctUnsigned8, .KeepsSystemTexts = false, .WriteCellType = ctUnsigned8,
     .Bands = 3},
    // clang-format on
};

constexpr std::int32_t Columns = 5;
constexpr std::int32_t Rows = 4;
constexpr double CellSize = 2.5;
constexpr double West = 500000.0; // single floats hold these exactly, as some formats store them
constexpr double North = 4500000.0;

// Integers that fit the cell type written, negative ones where it has them.
float CellValue(std::int32_t Col, std::int32_t Row, std::int32_t Band, std::uint8_t CellType) {
    const int Offset = CellType == ctUnsigned8 ? 60 * Band : -7;
    return static_cast<float>(10 * Row + Col + Offset);
}

class FormatConformance : public test::TTempDirTest, public testing::WithParamInterface<TWritableFormat> {
protected:
    std::set<std::string> FilesInDir() const {
        std::set<std::string> Files;
        for (const auto& Entry : std::filesystem::directory_iterator(Dir()))
            Files.insert(Entry.path().string());
        return Files;
    }
};

TEST(FormatConformanceList, NamesEveryWritableFormat) {
    for (const TImageFormat& Format : ImageFormats()) {
        const bool Listed =
            std::any_of(WritableFormats.begin(), WritableFormats.end(),
                        [&](const TWritableFormat& Entry) { return Entry.Code == Format.Code; });
        EXPECT_EQ(Listed, Format.Access == TFormatAccess::ReadWrite) << Format.Name;
    }
}

// Creates the test image in Format through the data set, with the known cells and georeferencing.
void WriteImage(const TWritableFormat& Expected, const std::string& Name) {
    TDataSet2 Output;
    TSystemDescription System;
    System.Wkt = "LOCAL_CS[\"test\"]";
    Output.SetOutputSystem(System);
    ASSERT_TRUE(Output.Open(Name, Columns, Rows, Expected.WriteCellType, Expected.Bands, omCreate))
        << Output.GetErrorText();
    for (std::int32_t Band = 0; Band < Expected.Bands; ++Band)
        for (std::int32_t Row = 0; Row < Rows; ++Row)
            for (std::int32_t Col = 0; Col < Columns; ++Col)
                ASSERT_TRUE(Output.Raster()->WriteCell(Col, Row, static_cast<std::uint32_t>(Band),
                                                       CellValue(Col, Row, Band, Expected.WriteCellType)));
    Output.SetGeoreference("WE", "WGS84", "TM34", CellSize, CellSize, 0, 0, West, North);
}

// The name the image written as Name is read back by.
std::string ReadBackName(const TWritableFormat& Expected, const std::string& Name) {
    const int ReadAs = Expected.ReadAs < 0 ? Expected.Code : Expected.ReadAs;
    return std::filesystem::path(Name).replace_extension(FindFormat(ReadAs)->Extensions[0]).string();
}

TEST_P(FormatConformance, ReadImagesAndTheirViewsOfferPlainRows) {
    const TWritableFormat& Expected = GetParam();
    const std::string Name = Path("image" + std::string(FindFormat(Expected.Code)->Extensions[0]));
    WriteImage(Expected, Name);
    TDataSet2 Input;
    ASSERT_TRUE(Input.Open(ReadBackName(Expected, Name), 0, 0, ctUnsigned8, 1, omRead))
        << Input.GetErrorText();
    const std::unique_ptr<TMMapFile2> View = Input.Raster()->OpenReadView();
    ASSERT_NE(View, nullptr) << "a second sampling thread needs a view of its own";
    test::ExpectPlainRowsHoldTheCells(*Input.Raster());
    test::ExpectPlainRowsHoldTheCells(*View);
}

TEST_P(FormatConformance, WritesReopensAndReadsBack) {
    const TWritableFormat& Expected = GetParam();
    const TImageFormat& Format = *FindFormat(Expected.Code);
    const std::string Name = Path("image" + std::string(Format.Extensions[0]));
    WriteImage(Expected, Name);
    // The system goes into the header, or into the auxiliary file beside the image.
    std::vector<std::string> Written = OutputFilesOf(Name);
    if (Format.SystemInHeader) std::erase(Written, SystemSideFileName(Name));
    EXPECT_EQ(FilesInDir(), std::set<std::string>(Written.begin(), Written.end()));
    const int ReadAs = Expected.ReadAs < 0 ? Format.Code : Expected.ReadAs;
    const std::string ReadName = ReadBackName(Expected, Name);
    EXPECT_EQ(FileTypeByContent(ReadName), ReadAs);
    EXPECT_EQ(FileTypeByExt(ReadName), ReadAs);

    TDataSet2 Input;
    ASSERT_TRUE(Input.Open(ReadName, 0, 0, ctUnsigned8, 1, omRead)) << Input.GetErrorText();
    EXPECT_EQ(Input.GetFileType(), ReadAs);
    EXPECT_EQ(Input.GetColumns(), Expected.ReadColumns ? Expected.ReadColumns : Columns);
    EXPECT_EQ(Input.GetRows(), Expected.ReadRows ? Expected.ReadRows : Rows);
    EXPECT_EQ(Input.GetBands(), Expected.Bands);
    EXPECT_EQ(Input.GetCellType(), Expected.ReadCellType);
    EXPECT_EQ(Input.GetCellSizeX(), CellSize);
    EXPECT_EQ(Input.GetCellSizeY(), CellSize);
    EXPECT_EQ(Input.GetOriginX(), West);
    EXPECT_EQ(Input.GetOriginY(), North);
    for (std::int32_t Band = 0; Band < Expected.Bands; ++Band)
        for (std::int32_t Row = 0; Row < Rows; ++Row)
            for (std::int32_t Col = 0; Col < Columns; ++Col) {
                float Value = 0;
                const auto B = static_cast<std::uint32_t>(Band);
                ASSERT_TRUE(Input.Raster()->ReadCell(Col, Row, B, Value)) << Col << ", " << Row << ", " << B;
                EXPECT_NEAR(Value, CellValue(Col, Row, Band, Expected.WriteCellType), Expected.Tolerance)
                    << Col << ", " << Row << ", " << B;
            }
    if (Expected.KeepsSystemTexts) {
        std::string Spheroid, Datum, Projection;
        Input.GetSpheroid(Spheroid);
        Input.GetDatum(Datum);
        Input.GetProjection(Projection);
        EXPECT_NE(Datum.find("WGS84"), std::string::npos) << Datum;
        EXPECT_NE(Projection.find("TM34"), std::string::npos) << Projection;
    }
}

INSTANTIATE_TEST_SUITE_P(Registry, FormatConformance, testing::ValuesIn(WritableFormats),
                         [](const testing::TestParamInfo<TWritableFormat>& Info) {
                             std::string Name(FindFormat(Info.param.Code)->Extensions[0].substr(1));
                             return "ext_" + Name + "_" + std::to_string(Info.param.Bands) + "band";
                         });

} // namespace
} // namespace vortane
