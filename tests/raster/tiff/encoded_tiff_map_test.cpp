// TIFF outputs with storage choices: every compression and block shape reads back through our own
// readers, the cloud-optimised layout is the one its validator asks for, the tags other programs read
// are there, and failures fail the image.

#include "raster/data_set.hpp"
#include "raster/tiff/cog_writer.hpp"
#include "raster/tiff/encoded_tiff_map.hpp"
#include "raster/tiff/libtiff_open.hpp"
#include "raster/tiff/libtiff_output.hpp"
#include "support/small_disk.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

namespace vortane {
namespace {

namespace fs = std::filesystem;

struct TImageCase {
    TCompression Compression = TCompression::Deflate;
    std::int32_t TileSize = 0;
    std::uint8_t CellType = ctUnsigned8;
    std::int32_t Bands = 1;
    bool Cog = false;
    float Tolerance = 0; // JPEG loses detail, most at the step where the values wrap
};

// Smooth enough for JPEG, varied enough that a cell in the wrong place shows.
float CellValue(std::int64_t Col, std::int64_t Row, std::uint32_t Band, std::uint8_t CellType) {
    const float Value = static_cast<float>((Col + 2 * Row) / 4 % 200 + 20 * Band);
    return CellType == ctFloat32 || CellType == ctFloat64 ? Value * 0.25f - 7 : Value;
}

class EncodedTiffTest : public test::TTempDirTest {
protected:
    // Creates Name through the data set, writes every row through the plain row layout (or every cell
    // when ByCell) and finishes it; the raster's error text when any step failed.
    std::string Write(const std::string& Name, const TCreationOptions& Options, std::int32_t Columns,
                      std::int32_t Rows, std::uint8_t CellType, std::int32_t Bands, bool ByCell = false,
                      const std::function<float(std::int64_t, std::int64_t, std::uint32_t)>& Value = {}) {
        TDataSet2 Set;
        Set.SetCreationOptions(Options);
        if (!Set.Open(Name, Columns, Rows, CellType, Bands, omCreate)) return Set.GetErrorText();
        Set.SetGeoreference("WE", "WGS84", "NUTM33", 2, 3, 0, 0, 500001, 6000000 - 1.5);
        TDataSetRoot2& Out = *Set.Raster();
        const auto At = [&](std::int64_t C, std::int64_t R, std::uint32_t B) {
            return Value ? Value(C, R, B) : CellValue(C, R, B, CellType);
        };
        TRowLayout Layout;
        const bool Plain = !ByCell && Out.PlainRowLayout(Layout);
        for (std::int64_t Row = 0; Row < Rows; ++Row) {
            unsigned char *Bytes = nullptr, *Same = nullptr;
            if (Plain && !Out.MapRows(Row, Row, Bytes, Same))
                return "row " + std::to_string(Row) + " not mapped";
            for (std::int64_t Col = 0; Col < Columns; ++Col)
                for (std::uint32_t Band = 0; Band < static_cast<std::uint32_t>(Bands); ++Band) {
                    if (Plain)
                        EncodeCell(Bytes + Col * Layout.ColumnStride + Band * Layout.BandStride, CellType,
                                   true, At(Col, Row, Band));
                    else if (!Out.WriteCell(Col, Row, Band, At(Col, Row, Band)))
                        return "cell not written";
                }
        }
        return Set.Finish() ? "" : Set.GetErrorText();
    }
};

TEST_F(EncodedTiffTest, EveryCompressionAndBlockShapeReadsBackCellForCell) {
    const TImageCase Cases[] = {
        {.Compression = TCompression::Deflate},
        {.Compression = TCompression::Lzw, .TileSize = 256, .CellType = ctSigned16},
        {.Compression = TCompression::Zstd, .TileSize = 512, .CellType = ctFloat32},
        {.Compression = TCompression::Deflate, .CellType = ctFloat64, .Bands = 3},
        {.Compression = TCompression::None, .TileSize = 256, .CellType = ctUnsigned16, .Bands = 3},
        {.Compression = TCompression::Jpeg, .Bands = 3, .Tolerance = 16},
        {.Compression = TCompression::Jpeg, .TileSize = 256, .Tolerance = 16},
        {.Compression = TCompression::Deflate, .TileSize = 256, .Bands = 3, .Cog = true},
    };
    constexpr std::int32_t Columns = 600, Rows = 300;
    int Index = 0;
    for (const TImageCase& Case : Cases) {
        SCOPED_TRACE("case " + std::to_string(Index));
        const std::string Name = Path("case" + std::to_string(Index++) + ".tif");
        const TCreationOptions Options{
            .Compression = Case.Compression, .Quality = 90, .TileSize = Case.TileSize, .Cog = Case.Cog};
        // One case writes cell by cell, the way rows go when no plain layout is offered.
        ASSERT_EQ(Write(Name, Options, Columns, Rows, Case.CellType, Case.Bands, Index == 2), "");

        TDataSet2 Read;
        ASSERT_TRUE(Read.Open(Name, 0, 0, 1, 1, omRead)) << Read.GetErrorText();
        ASSERT_EQ(Read.GetColumns(), Columns);
        ASSERT_EQ(Read.GetRows(), Rows);
        ASSERT_EQ(Read.GetBands(), Case.Bands);
        EXPECT_EQ(Read.GetCellType(), Case.CellType);
        float Worst = 0;
        for (std::int64_t Row = 0; Row < Rows; ++Row)
            for (std::int64_t Col = 0; Col < Columns; ++Col)
                for (std::uint32_t Band = 0; Band < static_cast<std::uint32_t>(Case.Bands); ++Band) {
                    float Value = 0;
                    ASSERT_TRUE(Read.Raster()->ReadCell(Col, Row, Band, Value));
                    Worst = std::max(Worst, std::fabs(Value - CellValue(Col, Row, Band, Case.CellType)));
                }
        EXPECT_LE(Worst, Case.Tolerance);
    }
}

TEST_F(EncodedTiffTest, ChoicesTheImageCannotTakeAreRefusedAtCreation) {
    struct TRefusal {
        TCreationOptions Options;
        std::uint8_t CellType;
        std::int32_t Bands;
        std::string Says;
    };
    const TRefusal Cases[] = {
        {{.Compression = TCompression::Jpeg}, ctUnsigned16, 1, "JPEG compression takes 8-bit cells only"},
        {{.Compression = TCompression::Jpeg}, ctFloat32, 3, "JPEG compression takes 8-bit cells only"},
        {{.Alpha = true}, ctUnsigned8, 1, "An alpha band needs a band of cells beside it"},
        {{.Compression = TCompression::Deflate}, ctUnsigned8, 2, "Wrong number of bands"},
        {{.Alpha = true}, ctUnsigned8, 3, "Wrong number of bands"},
    };
    for (const TRefusal& Case : Cases) {
        TDataSet2 Set;
        Set.SetCreationOptions(Case.Options);
        EXPECT_FALSE(Set.Open(Path("refused.tif"), 10, 10, Case.CellType, Case.Bands, omCreate));
        EXPECT_NE(Set.GetErrorText().find(Case.Says), std::string::npos) << Set.GetErrorText();
    }
}

// The tags of a file's first directory as libtiff reads them.
struct TReadTags {
    explicit TReadTags(const std::string& Name) : Tiff(OpenTiff(Name, "r", Error)) {}
    ~TReadTags() {
        if (Tiff) TIFFClose(Tiff);
    }
    std::vector<double> Doubles(ttag_t Tag) const {
        std::uint32_t Count = 0;
        double* Values = nullptr;
        if (TIFFGetField(Tiff, Tag, &Count, &Values) != 1 || !Values) return {};
        return {Values, Values + Count};
    }
    std::vector<std::uint16_t> Keys() const {
        std::uint32_t Count = 0;
        std::uint16_t* Values = nullptr;
        if (TIFFGetField(Tiff, tagGeoKeyDirectoryId, &Count, &Values) != 1 || !Values) return {};
        return {Values, Values + Count};
    }
    std::string Text(ttag_t Tag) const {
        const char* Value = nullptr;
        return TIFFGetField(Tiff, Tag, &Value) == 1 && Value ? Value : "";
    }
    std::string Error;
    TIFF* Tiff;
};

TEST_F(EncodedTiffTest, PlacementNodataAndAlphaTagsAreThoseOtherProgramsRead) {
    TSystemDescription System;
    System.EpsgCode = 32633;
    System.GeoKeys.Keys = {TGeoKey{gkModelType, {1}, {}, {}},
                           TGeoKey{gkCitation, {}, {}, "WGS 84 / UTM 33N"}};
    const auto Create = [&](const std::string& Name, const TCreationOptions& Options, std::int32_t Bands) {
        TDataSet2 Set;
        Set.SetOutputSystem(System);
        Set.SetCreationOptions(Options);
        ASSERT_TRUE(Set.Open(Name, 600, 40, ctUnsigned8, Bands, omCreate)) << Set.GetErrorText();
        Set.SetGeoreference("WE", "WGS84", "NUTM33", 2, 3, 0, 0, 500001, 6000000 - 1.5);
        ASSERT_TRUE(Set.Finish()) << Set.GetErrorText();
    };
    Create(Path("plain.tif"), {}, 1);
    const TReadTags Plain(Path("plain.tif"));
    ASSERT_TRUE(Plain.Tiff) << Plain.Error;
    struct TTagCase {
        TCreationOptions Options;
        std::int32_t Bands;
        std::uint16_t Photometric;
        std::string NoData;
    };
    const TTagCase Cases[] = {
        {{.Compression = TCompression::Deflate, .NoData = 0.1, .Alpha = true},
         4,
         PHOTOMETRIC_RGB,
         "0.100000000000000006"},
        {{.TileSize = 256, .NoData = -9999, .Alpha = true}, 2, PHOTOMETRIC_MINISBLACK, "-9999"},
        {{.Compression = TCompression::Zstd, .TileSize = 256, .Cog = true, .NoData = 255, .Alpha = true},
         4,
         PHOTOMETRIC_RGB,
         "255"},
        {{.Compression = TCompression::Lzw}, 3, PHOTOMETRIC_RGB, ""},
        {{.Compression = TCompression::Jpeg, .TileSize = 256, .Alpha = true}, 4, PHOTOMETRIC_RGB, ""},
    };
    for (const TTagCase& Case : Cases) {
        Create(Path("tags.tif"), Case.Options, Case.Bands);
        const TReadTags Tags(Path("tags.tif"));
        ASSERT_TRUE(Tags.Tiff) << Tags.Error;
        EXPECT_EQ(Tags.Doubles(tagModelPixelScale), Plain.Doubles(tagModelPixelScale));
        EXPECT_EQ(Tags.Doubles(tagModelTiePoint), Plain.Doubles(tagModelTiePoint));
        EXPECT_EQ(Tags.Keys(), Plain.Keys());
        EXPECT_EQ(Tags.Text(tagGeoAsciiParamsId), Plain.Text(tagGeoAsciiParamsId));
        EXPECT_EQ(Tags.Text(tagGdalNoData), Case.NoData);
        std::uint16_t Photometric = 0, ExtraCount = 0, *Extra = nullptr;
        TIFFGetField(Tags.Tiff, TIFFTAG_PHOTOMETRIC, &Photometric);
        EXPECT_EQ(Photometric, Case.Photometric);
        const bool HasExtra = TIFFGetField(Tags.Tiff, TIFFTAG_EXTRASAMPLES, &ExtraCount, &Extra) == 1;
        EXPECT_EQ(HasExtra && ExtraCount == 1 && Extra[0] == EXTRASAMPLE_UNASSALPHA, Case.Options.Alpha);
        EXPECT_EQ(test::ReadText(Path("tags.tfw")), test::ReadText(Path("plain.tfw")));
    }
}

TEST_F(EncodedTiffTest, CloudOptimisedLayoutPutsDirectoriesFirstAndTheSmallestOverviewsDataFirst) {
    // 1100 x 700 in tiles of 256: overviews of 550 x 350, 275 x 175 and 138 x 88.
    const TCreationOptions Options{.Compression = TCompression::Deflate, .TileSize = 256, .Cog = true};
    ASSERT_EQ(Write(Path("cog.tif"), Options, 1100, 700, ctUnsigned8, 3), "");
    std::string Error;
    TIFF* Tiff = OpenTiff(Path("cog.tif"), "r", Error);
    ASSERT_TRUE(Tiff) << Error;
    struct TLevel {
        std::uint64_t Directory = 0;
        std::uint32_t Width = 0, Height = 0, SubfileType = 0;
        std::vector<std::uint64_t> Offsets, Counts;
    };
    std::vector<TLevel> Levels;
    do {
        TLevel& Level = Levels.emplace_back();
        Level.Directory = TIFFCurrentDirOffset(Tiff);
        TIFFGetField(Tiff, TIFFTAG_IMAGEWIDTH, &Level.Width);
        TIFFGetField(Tiff, TIFFTAG_IMAGELENGTH, &Level.Height);
        TIFFGetField(Tiff, TIFFTAG_SUBFILETYPE, &Level.SubfileType);
        for (std::uint32_t Tile = 0; Tile < TIFFNumberOfTiles(Tiff); ++Tile) {
            Level.Offsets.push_back(TIFFGetStrileOffset(Tiff, Tile));
            Level.Counts.push_back(TIFFGetStrileByteCount(Tiff, Tile));
        }
    } while (TIFFReadDirectory(Tiff));
    TIFFClose(Tiff);

    const std::vector<std::pair<std::uint32_t, std::uint32_t>> Sizes = {
        {1100, 700}, {550, 350}, {275, 175}, {138, 88}};
    ASSERT_EQ(Levels.size(), Sizes.size());
    EXPECT_EQ(Levels[0].Directory, 8u);
    std::uint64_t FirstData = UINT64_MAX;
    for (const TLevel& Level : Levels)
        FirstData = std::min(FirstData, Level.Offsets.front());
    std::uint64_t Expected = FirstData; // the smallest level's first tile starts the data
    for (std::size_t Index = Levels.size(); Index-- > 0;) {
        const TLevel& Level = Levels[Index];
        SCOPED_TRACE("level " + std::to_string(Index));
        EXPECT_EQ(std::make_pair(Level.Width, Level.Height), Sizes[Index]);
        EXPECT_EQ(Level.SubfileType, Index == 0 ? 0u : 1u);
        EXPECT_LT(Level.Directory, FirstData);
        if (Index > 0) {
            EXPECT_GT(Level.Directory, Levels[Index - 1].Directory);
        }
        // Each level's tiles follow one another in row-major order, right after the smaller level's.
        for (std::size_t Tile = 0; Tile < Level.Offsets.size(); ++Tile) {
            EXPECT_EQ(Level.Offsets[Tile], Expected);
            Expected += Level.Counts[Tile];
        }
    }
    EXPECT_EQ(Expected, fs::file_size(Path("cog.tif")));
    // Nothing of the work is left beside it.
    for (const auto& Entry : fs::directory_iterator(Dir()))
        EXPECT_EQ(Entry.path().filename().string().find(".level"), std::string::npos) << Entry.path();
}

TEST(HalveRowsTest, EachCellIsTheMeanOfTheCellsItCoversLeavingOutNodata) {
    struct TCase {
        std::uint8_t CellType;
        std::vector<double> Upper, Lower; // one band; Lower empty for a last odd row
        std::optional<double> NoData;
        std::vector<double> Halved;
    };
    const TCase Cases[] = {
        {ctUnsigned8, {1, 2, 3, 4, 5}, {3, 4, 5, 6, 9}, {}, {3, 5, 7}}, // 2.5 rounds up, odd column alone
        {ctSigned16, {-1, -2}, {-2, -2}, {}, {-2}},                     // -1.75 rounds to -2
        {ctUnsigned16, {65535, 65535, 1, 2}, {65535, 65534, 0, 0}, {}, {65535, 1}}, // sums past 16 bits
        {ctFloat32, {1, 2}, {}, {}, {1.5}},                                         // an odd last row alone
        {ctUnsigned8, {0, 10, 0, 0}, {0, 20, 0, 0}, 0.0, {15, 0}}, // nodata left out, or kept
        {ctFloat64, {0.25, -9999}, {-9999, 0.75}, -9999.0, {0.5}},
    };
    for (const TCase& Case : Cases) {
        const TTiffGrid Grid{static_cast<std::uint32_t>(Case.Upper.size()), 2, 1, Case.CellType};
        const auto Bytes = [&](const std::vector<double>& Values) {
            std::vector<unsigned char> Row(Values.size() *
                                           static_cast<std::size_t>(CellBytes(Case.CellType)));
            for (std::size_t Col = 0; Col < Values.size(); ++Col)
                EncodeCell(Row.data() + Col * CellBytes(Case.CellType), Case.CellType, true,
                           static_cast<float>(Values[Col]));
            return Row;
        };
        const std::vector<unsigned char> Upper = Bytes(Case.Upper), Lower = Bytes(Case.Lower);
        std::vector<unsigned char> Out(Case.Halved.size() *
                                       static_cast<std::size_t>(CellBytes(Case.CellType)));
        HalveRows(Grid, Upper.data(), Case.Lower.empty() ? nullptr : Lower.data(), Out.data(), Case.NoData);
        for (std::size_t Col = 0; Col < Case.Halved.size(); ++Col)
            EXPECT_DOUBLE_EQ(DecodeCell(Out.data() + Col * CellBytes(Case.CellType), Case.CellType, true),
                             Case.Halved[Col]);
    }
}

TEST(TiffStorageTest, BigTiffWhenTheFileCouldPassFourGiB) {
    constexpr std::uint64_t GiB = std::uint64_t{1} << 30;
    struct TCase {
        std::uint64_t Bytes;
        bool Overviews, Big;
    };
    const TCase Cases[] = {
        {1 * GiB, false, false},         {3 * GiB + GiB / 2, false, false},
        {3 * GiB + GiB / 2, true, true}, {3 * GiB + 9 * GiB / 10, false, true},
        {5 * GiB, false, true},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(NeedsBigTiff(Case.Bytes, Case.Overviews), Case.Big) << Case.Bytes << " " << Case.Overviews;
    // The plan applies the rule to the grid: 70000 x 70000 byte cells are 4.56 GiB.
    TTiffStorage Storage;
    ASSERT_EQ(
        PlanTiffStorage({.Compression = TCompression::Deflate}, {70000, 70000, 1, ctUnsigned8}, Storage), "");
    EXPECT_TRUE(Storage.BigTiff);
    ASSERT_EQ(PlanTiffStorage({.Compression = TCompression::Deflate}, {7000, 7000, 1, ctUnsigned8}, Storage),
              "");
    EXPECT_FALSE(Storage.BigTiff);
}

// The BigTIFF form is chosen only for files near 4 GiB; written small here, it must read back alike.
TEST_F(EncodedTiffTest, TheBigTiffFormOfBothWritersReadsBack) {
    const TTiffGrid Grid{600, 300, 3, ctUnsigned16};
    TTiffStorage Storage;
    ASSERT_EQ(
        PlanTiffStorage({.Compression = TCompression::Deflate, .TileSize = 256, .Cog = true}, Grid, Storage),
        "");
    Storage.BigTiff = true;
    std::vector<unsigned char> Rows(Grid.RowBytes() * Grid.Rows);
    for (std::size_t Cell = 0; Cell < Rows.size() / 2; ++Cell)
        EncodeCell(Rows.data() + 2 * Cell, ctUnsigned16, true, static_cast<float>(Cell % 65521));
    TTiffImageTags Tags;
    Tags.Placement.Scale = {2, 3, 0};
    const auto Block = [&](std::uint32_t First) { return Rows.data() + First * Grid.RowBytes(); };
    {
        TCogWriter Cog;
        ASSERT_TRUE(Cog.Open(Path("cog.tif"), Grid, Storage, {}));
        for (std::uint32_t First = 0; First < Grid.Rows; First += 256)
            ASSERT_TRUE(Cog.TakeBlock(First, Block(First), std::min(256u, Grid.Rows - First)));
        ASSERT_TRUE(Cog.Finish(Tags)) << Cog.Failure();
    }
    TTiffImageOut Tiles;
    ASSERT_TRUE(Tiles.Open(Path("tiles.tif"), Grid, Storage));
    for (std::uint32_t First = 0; First < Grid.Rows; First += 256)
        ASSERT_TRUE(Tiles.WriteBlock(First, Block(First), std::min(256u, Grid.Rows - First)));
    Tiles.SetImageTags(Tags);
    ASSERT_TRUE(Tiles.Close()) << Tiles.Failure();
    for (const char* Name : {"cog.tif", "tiles.tif"}) {
        EXPECT_EQ(test::ReadBytes(Path(Name))[2], 43) << Name; // the BigTIFF version
        TDataSet2 Read;
        ASSERT_TRUE(Read.Open(Path(Name), 0, 0, 1, 1, omRead)) << Read.GetErrorText();
        std::size_t Wrong = 0;
        for (std::uint32_t Row = 0; Row < Grid.Rows; ++Row)
            for (std::uint32_t Col = 0; Col < Grid.Columns; ++Col)
                for (std::uint32_t Band = 0; Band < Grid.Bands; ++Band) {
                    float Value = -1;
                    Read.Raster()->ReadCell(Col, Row, Band, Value);
                    const std::size_t Cell = (std::size_t{Row} * Grid.Columns + Col) * Grid.Bands + Band;
                    Wrong += Value != DecodeCell(Rows.data() + 2 * Cell, ctUnsigned16, true);
                }
        EXPECT_EQ(Wrong, 0u) << Name;
    }
}

TEST_F(EncodedTiffTest, AFullDiskFailsTheImageAndLeavesNoTemporaryFile) {
    const std::string Mount = Path("small");
    const test::TSmallDisk Disk(Mount, "64k");
    if (!Disk.Mounted()) GTEST_SKIP() << Disk.Reason();
    // Noise does not compress: 400 x 400 cells cannot fit.
    const auto Noise = [](std::int64_t Col, std::int64_t Row, std::uint32_t) {
        std::uint64_t Bits = static_cast<std::uint64_t>(Col * 400 + Row + 1) * 0x9E3779B97F4A7C15ull;
        Bits ^= Bits >> 29;
        return static_cast<float>((Bits * 0xBF58476D1CE4E5B9ull) >> 56);
    };
    for (const bool Cog : {false, true}) {
        const TCreationOptions Options{
            .Compression = TCompression::Deflate, .TileSize = Cog ? 256 : 0, .Cog = Cog};
        const std::string Failure =
            Write(Mount + "/out.tif", Options, 400, 400, ctUnsigned8, 1, false, Noise);
        EXPECT_NE(Failure, "") << "COG " << Cog;
        std::vector<std::string> Left;
        for (const auto& Entry : fs::directory_iterator(Mount))
            Left.push_back(Entry.path().filename().string());
        std::erase_if(Left, [](const std::string& Name) { return Name.starts_with("out.t"); });
        EXPECT_TRUE(Left.empty()) << Left.front();
    }
}

} // namespace
} // namespace vortane
