// TIFF images: files of the shapes other programs write, built here from the TIFF 6.0 layout (header,
// one image file directory, values, strips), the fixed header of created images, the GeoTIFF tags
// both ways, and the refusals of what the mapped reader cannot or must not read.

#include "raster/data_set.hpp"
#include "raster/refusal_checks.hpp"
#include "raster/tiff/tiff_map.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <numbers>
#include <optional>

namespace vortane {
namespace {

using test::ReadBytes;
using test::ReadText;
using test::WriteBytes;
using test::WriteText;

enum : std::uint16_t { tyAscii = 2, tyShort = 3, tyLong = 4, tyRational = 5, tyDouble = 12 };

// One directory entry of a fixture; values that do not fit in the entry go after the header.
struct TFixtureEntry {
    std::uint16_t Type = tyShort;
    std::vector<double> Values;
};

// The shape of a fixture TIFF.
struct TTiffLayout {
    bool MSBFirst = false;
    std::uint32_t Width = 5;
    std::uint32_t Height = 7;
    std::uint16_t Samples = 1;
    std::uint16_t Bits = 8;
    std::uint16_t SampleFormat = 0; // 0: no tag
    std::uint16_t Photometric = 1;
    std::uint16_t Planar = 1;
    std::uint32_t RowsPerStrip = 0; // 0: one strip
    bool ShortOffsets = false;
    std::map<std::uint16_t, TFixtureEntry> Extra; // added, or replacing the entry of the same tag
};

// Cell values of the fixtures: every column, row and band differs, some values are negative.
double FixtureValue(std::uint32_t Col, std::uint32_t Row, std::uint32_t Band, const TTiffLayout& Layout) {
    const double Value = 3.0 * Col + 11.0 * Row + 50.0 * Band;
    return Layout.SampleFormat == 2 ? Value - 40 : (Layout.SampleFormat == 3 ? Value - 40.25 : Value);
}

class TFileBytes {
public:
    explicit TFileBytes(bool MSBFirst) : FMSBFirst(MSBFirst) {}
    void Put(std::uint64_t Value, int Size, std::size_t At) {
        for (int I = 0; I < Size; ++I)
            FBytes[At + static_cast<std::size_t>(I)] =
                static_cast<unsigned char>(Value >> (8 * (FMSBFirst ? Size - 1 - I : I)));
    }
    std::size_t Append(std::uint64_t Value, int Size) {
        const std::size_t At = FBytes.size();
        FBytes.resize(At + static_cast<std::size_t>(Size));
        Put(Value, Size, At);
        return At;
    }
    std::vector<unsigned char>& Bytes() { return FBytes; }

private:
    bool FMSBFirst;
    std::vector<unsigned char> FBytes;
};

int TypeSize(std::uint16_t Type) {
    return Type == tyAscii ? 1 : (Type == tyShort ? 2 : (Type == tyLong ? 4 : 8));
}

// A sample as it is stored: an integer of Bits bits or an IEEE float, in the file's order.
std::uint64_t SampleBits(double Value, const TTiffLayout& Layout) {
    if (Layout.SampleFormat == 3)
        return Layout.Bits == 32 ? std::bit_cast<std::uint32_t>(static_cast<float>(Value))
                                 : std::bit_cast<std::uint64_t>(Value);
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(Value));
}

std::vector<unsigned char> TiffBytes(const TTiffLayout& Layout) {
    TFileBytes File(Layout.MSBFirst);
    File.Append(Layout.MSBFirst ? 0x4D4D : 0x4949, 2);
    File.Append(42, 2);
    const std::size_t IfdOffsetAt = File.Append(0, 4);

    // Strips: chunky images hold every sample of a row together, planar ones one plane after another.
    const std::uint32_t RowsPerStrip = Layout.RowsPerStrip ? Layout.RowsPerStrip : Layout.Height;
    const std::uint32_t Planes = Layout.Planar == 2 ? Layout.Samples : 1;
    const std::uint32_t SamplesInRow = Layout.Planar == 2 ? 1 : Layout.Samples;
    const std::size_t RowBytes = (std::size_t{Layout.Width} * SamplesInRow * Layout.Bits + 7) / 8;
    std::vector<double> Offsets, Counts;
    for (std::uint32_t Plane = 0; Plane < Planes; ++Plane)
        for (std::uint32_t First = 0; First < Layout.Height; First += RowsPerStrip) {
            Offsets.push_back(static_cast<double>(File.Bytes().size()));
            const std::uint32_t Last = std::min(Layout.Height, First + RowsPerStrip);
            for (std::uint32_t Row = First; Row < Last; ++Row) {
                if (Layout.Bits % 8 != 0) { // packed samples: a pattern is enough
                    for (std::size_t Byte = 0; Byte < RowBytes; ++Byte)
                        File.Append(0x5A, 1);
                    continue;
                }
                for (std::uint32_t Col = 0; Col < Layout.Width; ++Col)
                    for (std::uint32_t Sample = 0; Sample < SamplesInRow; ++Sample)
                        File.Append(SampleBits(FixtureValue(Col, Row, Plane + Sample, Layout), Layout),
                                    Layout.Bits / 8);
            }
            Counts.push_back(static_cast<double>((Last - First) * RowBytes));
        }

    std::map<std::uint16_t, TFixtureEntry> Entries = {
        {256, {tyLong, {double(Layout.Width)}}},
        {257, {tyLong, {double(Layout.Height)}}},
        {258, {tyShort, std::vector<double>(Layout.Samples, Layout.Bits)}},
        {259, {tyShort, {1}}},
        {262, {tyShort, {double(Layout.Photometric)}}},
        {273, {Layout.ShortOffsets ? tyShort : tyLong, Offsets}},
        {277, {tyShort, {double(Layout.Samples)}}},
        {278, {tyLong, {double(RowsPerStrip)}}},
        {279, {tyLong, Counts}},
        {284, {tyShort, {double(Layout.Planar)}}},
    };
    if (Layout.SampleFormat)
        Entries[339] = {tyShort, std::vector<double>(Layout.Samples, Layout.SampleFormat)};
    for (const auto& [Tag, Entry] : Layout.Extra)
        Entries[Tag] = Entry;

    // Values that do not fit in their entries, then the directory.
    std::map<std::uint16_t, std::size_t> ValuesAt;
    for (const auto& [Tag, Entry] : Entries) {
        const int Size = TypeSize(Entry.Type);
        if (Size * Entry.Values.size() <= 4) continue;
        ValuesAt[Tag] = File.Bytes().size();
        for (const double Value : Entry.Values)
            File.Append(Entry.Type == tyDouble ? std::bit_cast<std::uint64_t>(Value) : std::uint64_t(Value),
                        Size);
    }
    File.Put(File.Bytes().size(), 4, IfdOffsetAt);
    File.Append(Entries.size(), 2);
    for (const auto& [Tag, Entry] : Entries) {
        File.Append(Tag, 2);
        File.Append(Entry.Type, 2);
        File.Append(Entry.Values.size(), 4);
        const std::size_t Field = File.Append(0, 4);
        if (const auto Found = ValuesAt.find(Tag); Found != ValuesAt.end())
            File.Put(Found->second, 4, Field);
        else
            for (std::size_t I = 0; I < Entry.Values.size(); ++I)
                File.Put(std::uint64_t(Entry.Values[I]), TypeSize(Entry.Type),
                         Field + I * TypeSize(Entry.Type));
    }
    File.Append(0, 4);
    return File.Bytes();
}

// GeoTIFF tags: pixel scale, a tie point and a key directory with the raster type and ProjectedCSType.
void AddGeoTiffTags(TTiffLayout& Layout, std::array<double, 6> TiePoint, std::uint16_t RasterType,
                    std::uint16_t Code) {
    Layout.Extra[33550] = {tyDouble, {2, 3, 0}};
    Layout.Extra[33922] = {tyDouble, {TiePoint.begin(), TiePoint.end()}};
    Layout.Extra[34735] = {
        tyShort, {1, 1, 0, 3, 1024, 0, 1, 1, 1025, 0, 1, double(RasterType), 3072, 0, 1, double(Code)}};
}

class TiffTest : public test::TTempDirTest {
protected:
    std::string Write(const TTiffLayout& Layout, const std::string& Name = "image.tif") {
        WriteBytes(Path(Name), TiffBytes(Layout));
        return Path(Name);
    }
};

TEST_F(TiffTest, ReadsTheUncompressedLayoutsOfOtherPrograms) {
    struct TCase {
        const char* Name;
        TTiffLayout Layout;
        std::uint8_t CellType;
    };
    const auto Layout = [](bool MSBFirst, std::uint16_t Samples, std::uint16_t Bits, std::uint16_t Format,
                           std::uint16_t Photometric, std::uint16_t Planar, std::uint32_t RowsPerStrip) {
        TTiffLayout Result;
        Result.MSBFirst = MSBFirst;
        Result.Samples = Samples;
        Result.Bits = Bits;
        Result.SampleFormat = Format;
        Result.Photometric = Photometric;
        Result.Planar = Planar;
        Result.RowsPerStrip = RowsPerStrip;
        return Result;
    };
    TTiffLayout ShortOffsets = Layout(false, 1, 8, 0, 1, 1, 1);
    ShortOffsets.ShortOffsets = true;
    const std::vector<TCase> Cases = {
        {"grey, one strip, II", Layout(false, 1, 8, 0, 1, 1, 0), ctUnsigned8},
        {"grey where white is zero", Layout(false, 1, 8, 0, 0, 1, 0), ctUnsigned8},
        {"16-bit grey in three strips, MM", Layout(true, 1, 16, 0, 1, 1, 3), ctUnsigned16},
        {"16-bit grey where white is zero, MM", Layout(true, 1, 16, 1, 0, 1, 2), ctUnsigned16},
        {"strip offsets as SHORT values", ShortOffsets, ctUnsigned8},
        {"chunky RGB in strips, II", Layout(false, 3, 8, 0, 2, 1, 2), ctUnsigned8},
        {"chunky RGB, MM", Layout(true, 3, 8, 0, 2, 1, 0), ctUnsigned8},
        {"planar RGB with three strips per plane, MM", Layout(true, 3, 8, 0, 2, 2, 3), ctUnsigned8},
        {"planar 16-bit RGB, II", Layout(false, 3, 16, 1, 2, 2, 4), ctUnsigned16},
        {"signed 8-bit, II", Layout(false, 1, 8, 2, 1, 1, 0), ctSigned8},
        {"signed 16-bit, II", Layout(false, 1, 16, 2, 1, 1, 0), ctSigned16},
        {"signed 32-bit planar, MM", Layout(true, 2, 32, 2, 1, 2, 5), ctSigned32},
        {"unsigned 32-bit, II", Layout(false, 1, 32, 0, 1, 1, 4), ctUnsigned32},
        {"32-bit float, MM", Layout(true, 1, 32, 3, 1, 1, 2), ctFloat32},
        {"32-bit float RGB, II", Layout(false, 3, 32, 3, 2, 1, 0), ctFloat32},
        {"64-bit float, MM", Layout(true, 1, 64, 3, 1, 1, 0), ctFloat64},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const TTiffLayout& Shape = Case.Layout;
        TDataSet2 Image;
        ASSERT_TRUE(Image.Open(Write(Shape), 0, 0, ctUnsigned8, 1, omRead)) << Image.GetErrorText();
        EXPECT_EQ(Image.GetFileType(), ftTif);
        EXPECT_EQ(Image.GetColumns(), 5);
        EXPECT_EQ(Image.GetRows(), 7);
        EXPECT_EQ(Image.GetBands(), Shape.Samples);
        EXPECT_EQ(Image.GetCellType(), Case.CellType);
        EXPECT_EQ(Image.Raster()->GetMSBFirst(), Shape.MSBFirst);
        const double White = Shape.Photometric == 0 ? (Shape.Bits == 8 ? 255 : 65535) : 0;
        for (std::uint32_t Band = 0; Band < Shape.Samples; ++Band)
            for (std::uint32_t Row = 0; Row < 7; ++Row)
                for (std::uint32_t Col = 0; Col < 5; ++Col) {
                    const double Stored = FixtureValue(Col, Row, Band, Shape);
                    const double Expected = Shape.Photometric == 0 ? White - Stored : Stored;
                    float Value = -1;
                    ASSERT_TRUE(Image.Raster()->ReadCell(Col, Row, Band, Value)) << Col << ", " << Row;
                    ASSERT_EQ(Value, static_cast<float>(Expected)) << Col << ", " << Row << ", band " << Band;
                }
        float Value = 0;
        EXPECT_FALSE(Image.Raster()->ReadCell(5, 0, 0, Value));
        EXPECT_FALSE(Image.Raster()->WriteCell(0, 0, 0, 1)) << "opened for reading";
    }
}

TEST_F(TiffTest, RefusesWhatItCannotReadWithItsReason) {
    struct TCase {
        const char* Name;
        std::function<void(TTiffLayout&)> Shape;
        std::function<void(std::vector<unsigned char>&)> Damage;
        int Code;
        std::string Text;
    };
    const auto None = [](auto&) {};
    const auto Put32 = [](std::vector<unsigned char>& Bytes, std::size_t At, std::uint32_t Value) {
        std::memcpy(Bytes.data() + At, &Value, 4); // the fixtures are "II"
    };
    const std::vector<TCase> Cases = {
        {"compressed",
         [](TTiffLayout& S) {
             S.Extra[259] = {tyShort, {5}};
         },
         None, 4, "Tiff error Compressed tiff"},
        {"tiled",
         [](TTiffLayout& S) {
             S.Extra[322] = {tyLong, {16}};
         },
         None, 4, "Tiff error Compressed tiff"},
        {"palette", [](TTiffLayout& S) { S.Photometric = 3; }, None, 4, "Tiff error Not greyScale or RGB"},
        {"strip offsets as RATIONAL",
         [](TTiffLayout& S) {
             S.Extra[273] = {tyRational, {8}};
         },
         None, 4, "Tiff error StripOffset not of Short or Long type"},
        {"strip past the end", None,
         [&](auto& B) {
             Put32(B, B[4] + 256 * B[5] + 2 + 12 * 5 + 8, static_cast<std::uint32_t>(B.size() - 10));
         },
         4, "Tiff error Strip outside of file"},
        {"fewer strips than rows need",
         [](TTiffLayout& S) {
             S.RowsPerStrip = 2, S.Extra[278] = {tyLong, {1}};
         },
         None, 4, "Tiff error Too few strips for the image"},
        {"directory past the end", None, [&](auto& B) { Put32(B, 4, 0x7FFFFFF0); }, 4,
         "Tiff error Image file directory outside of file"},
        {"entry count past the end", None, [&](auto& B) { B[B.size() - 4 - 12 * 10 - 2] = 0xFF; }, 4,
         "Tiff error Image file directory outside of file"},
        {"pixel scale past the end",
         [](TTiffLayout& S) {
             S.Extra[33550] = {tyDouble, {1, 1, 0}};
         },
         [&](auto& B) { Put32(B, B.size() - 4 - 12 + 8, 0x7FFFFFF0); }, 4,
         "Tiff error Tag values outside of file"},
        {"rows per strip 0",
         [](TTiffLayout& S) {
             S.Extra[278] = {tyLong, {0}};
         },
         None, 4, "Tiff error RowsPerStrip is 0"},
        {"samples of different sizes",
         [](TTiffLayout& S) {
             S.Samples = 3, S.Photometric = 2, S.Extra[258] = {tyShort, {8, 16, 8}};
         },
         None, 4, "Tiff error Samples of different sizes"},
        {"1-bit", [](TTiffLayout& S) { S.Bits = 1; }, None, 5, "Bit type not supported"},
        {"4-bit", [](TTiffLayout& S) { S.Bits = 4; }, None, 5, "Bit type not supported"},
        {"12-bit", [](TTiffLayout& S) { S.Bits = 12; }, None, 5, "Bit type not supported"},
        {"neither II nor MM", None, [](auto& B) { B[0] = B[1] = 'X'; }, 2, "Wrong TIFF order"},
        {"BigTIFF", None, [](auto& B) { B[2] = 43; }, 3, "Wrong TIFF version"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TTiffLayout Shape;
        Case.Shape(Shape);
        std::vector<unsigned char> Bytes = TiffBytes(Shape);
        Case.Damage(Bytes);
        WriteBytes(Path("bad.tif"), Bytes);
        test::ExpectReadRefused<TTifMap2>(Path("bad.tif"), Case.Code, Case.Text);
    }
}

// What the job declares for UTM zone 34 north on WGS 84.
TSystemDescription Utm34() {
    TSystemDescription System;
    System.EpsgCode = 32634;
    const std::pair<int, int> Keys[] = {
        {gkModelType, gvModelProjected}, {gkProjectedCSType, 32634}, {gkProjLinearUnits, gvLinearMetre}};
    for (const auto& [Key, Value] : Keys)
        System.GeoKeys.Keys.push_back(TGeoKey{std::uint16_t(Key), {std::uint16_t(Value)}, {}, {}});
    return System;
}

// Little-endian numbers of a created file.
struct TCreatedBytes {
    std::vector<unsigned char> Bytes;
    unsigned U16(std::size_t At) const { return Bytes.at(At) | Bytes.at(At + 1) << 8; }
    std::uint32_t U32(std::size_t At) const { return U16(At) | U16(At + 2) << 16; }
    double F64(std::size_t At) const {
        double Value = 0;
        std::memcpy(&Value, &Bytes.at(At + 7) - 7, 8);
        return Value;
    }
    std::vector<unsigned> Shorts(std::size_t At, std::size_t Count) const {
        std::vector<unsigned> Values;
        for (std::size_t Index = 0; Index < Count; ++Index)
            Values.push_back(U16(At + 2 * Index));
        return Values;
    }
};

TEST_F(TiffTest, CreatedHeaderHasItsLayoutAndGeoTiffTags) {
    const std::string Name = Path("new.tif");
    {
        TTifMap2 Image;
        Image.SetSystemDescription(Utm34());
        ASSERT_TRUE(Image.OpenMap(Name, 100, 50, ctUnsigned8, 1, omCreate)) << Image.ErrorText();
        Image.SetGeoreference("WE", "WGS84", "NUTM34", 2, 2, 0, 0, 1000, 5000);
        ASSERT_TRUE(Image.WriteCell(99, 49, 0, 7));
    }
    const TCreatedBytes File{ReadBytes(Name)};
    ASSERT_EQ(File.Bytes.size(), 5340u) << "a header of 300 bytes and four keys";
    EXPECT_EQ(std::string(File.Bytes.begin(), File.Bytes.begin() + 2), "II");
    EXPECT_EQ(File.U16(2), 42u);
    EXPECT_EQ(File.U32(4), 8u);
    ASSERT_EQ(File.U16(8), 16u);
    const std::vector<std::array<std::uint32_t, 4>> Entries = {
        {256, 4, 1, 100},  {257, 4, 1, 50},     {258, 3, 1, 8},      {259, 3, 1, 1},
        {262, 3, 1, 1},    {273, 4, 1, 340},    {277, 3, 1, 1},      {278, 4, 1, 50},
        {279, 4, 1, 5000}, {282, 5, 1, 212},    {283, 5, 1, 220},    {284, 3, 1, 1},
        {296, 3, 1, 3},    {33550, 12, 3, 228}, {33922, 12, 6, 252}, {34735, 3, 20, 300}};
    for (std::size_t Index = 0; Index < Entries.size(); ++Index) {
        const std::size_t At = 10 + 12 * Index;
        EXPECT_EQ((std::array<std::uint32_t, 4>{File.U16(At), File.U16(At + 2), File.U32(At + 4),
                                                File.U32(At + 8)}),
                  Entries[Index])
            << "entry " << Index + 1;
    }
    EXPECT_EQ(File.U32(202), 0u);
    EXPECT_EQ(File.U16(206), 8u);
    EXPECT_EQ(File.U32(212), 1u);
    EXPECT_EQ(File.U32(216), 1u);
    EXPECT_EQ(File.F64(228), 2.0);
    EXPECT_EQ(File.F64(236), 2.0);
    EXPECT_EQ(File.F64(252 + 24), 999.0) << "tie point half a cell left of the registration point";
    EXPECT_EQ(File.F64(252 + 32), 5001.0);
    EXPECT_EQ(File.Shorts(300, 20), (std::vector<unsigned>{1, 1, 0,    4, 1024, 0,     1,    1, 1025, 0,
                                                           1, 1, 3072, 0, 1,    32634, 3076, 0, 1,    9001}));
    EXPECT_EQ(File.Bytes.back(), 7);
    EXPECT_EQ(ReadText(Path("new.tfw")),
              "  2.00000000000000\r\n  0.00000000000000\r\n  0.00000000000000\r\n"
              " -2.00000000000000\r\n1000.00000000000000\r\n5000.00000000000000\r\n");
}

// Keys with DOUBLE and text values point into GeoDoubleParams and GeoAsciiParams; without a system
// nothing but the raster type is declared (never a code of another system). The tie point is in the
// declared system, like the world file: a zone grid's eastings keep their zone.
TEST_F(TiffTest, CreatedKeysHoldTheirParametersAndNothingElse) {
    TSystemDescription Defined;
    Defined.GeoKeys.Keys = {
        TGeoKey{gkProjFalseEasting, {}, {34500000.0}, {}}, TGeoKey{gkCitation, {}, {}, "Zone 34"},
        TGeoKey{gkModelType, {gvModelProjected}, {}, {}}, TGeoKey{gkGeogTOWGS84, {}, {-87, -98, -121}, {}}};
    const std::vector<std::pair<TSystemDescription, std::vector<unsigned>>> Cases = {
        {{}, {1, 1, 0, 1, 1025, 0, 1, 1}},
        {Defined,
         {1, 1, 0, 5, 1024, 0, 1, 1, 1025, 0, 1, 1, 1026, 34737, 8, 0, 2062, 34736, 3, 0, 3082, 34736, 1, 3}},
    };
    for (const auto& [System, Keys] : Cases) {
        const std::string Name = Path("keys.tif");
        {
            TTifMap2 Image;
            Image.SetSystemDescription(System);
            ASSERT_TRUE(Image.OpenMap(Name, 2, 2, ctUnsigned8, 1, omCreate)) << Image.ErrorText();
            Image.SetGeoreference("WE", "WGS84", "UTM_North", 10, 10, 0, 0, 34500005, 5000000);
        }
        const TCreatedBytes File{ReadBytes(Name)};
        const bool Parameters = !System.GeoKeys.Keys.empty();
        ASSERT_EQ(File.U16(8), Parameters ? 18u : 16u);
        const std::size_t KeysAt = File.U32(10 + 12 * 15 + 8);
        EXPECT_EQ(File.Shorts(KeysAt, Keys.size()), Keys);
        const std::size_t TiePointAt = File.U32(10 + 12 * 14 + 8);
        EXPECT_EQ(File.F64(TiePointAt + 24), 34500000.0);
        if (!Parameters) continue;
        EXPECT_EQ((std::array<unsigned, 2>{File.U16(10 + 12 * 16), File.U32(10 + 12 * 16 + 4)}),
                  (std::array<unsigned, 2>{34736, 4}));
        const std::size_t DoublesAt = File.U32(10 + 12 * 16 + 8);
        EXPECT_EQ(File.F64(DoublesAt), -87.0);
        EXPECT_EQ(File.F64(DoublesAt + 24), 34500000.0);
        EXPECT_EQ((std::array<unsigned, 2>{File.U16(10 + 12 * 17), File.U32(10 + 12 * 17 + 4)}),
                  (std::array<unsigned, 2>{34737, 9}));
        const std::size_t AsciiAt = File.U32(10 + 12 * 17 + 8);
        EXPECT_EQ(std::string(File.Bytes.begin() + AsciiAt, File.Bytes.begin() + AsciiAt + 9),
                  std::string("Zone 34|\0", 9));
        EXPECT_EQ(File.U32(10 + 12 * 5 + 8) % 2, 0u) << "the cells start on a word boundary";
    }
}

TEST_F(TiffTest, GeoTiffTagsPlaceTheImageUnlessAWorldFileDoes) {
    struct TCase {
        const char* Name;
        std::array<double, 6> TiePoint;
        std::uint16_t RasterType, Code;
        double OriginX, OriginY;
        const char* Spheroid;
        const char* Datum;
        const char* Projection;
    };
    const std::vector<TCase> Cases = {
        {"pixel is area", {0, 0, 0, 1000, 5000, 0}, 1, 32634, 1001, 4998.5, "WE", "WGS84", "NUTM34"},
        {"pixel is point", {0, 0, 0, 1000, 5000, 0}, 2, 32707, 1000, 5000, "WE", "WGS84", "SUTM07"},
        {"tie point inside the image",
         {2, 1, 0, 1000, 5000, 0},
         1,
         28405,
         997,
         5001.5,
         "KA",
         "Pulkovo1942",
         "TMGKN05"},
        {"system not in the catalogue",
         {0, 0, 0, 1000, 5000, 0},
         1,
         2154,
         1001,
         4998.5,
         "UNKNOWN",
         "UNKNOWN",
         "UNKNOWN"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TTiffLayout Shape;
        AddGeoTiffTags(Shape, Case.TiePoint, Case.RasterType, Case.Code);
        TTifMap2 Image;
        ASSERT_TRUE(Image.OpenMap(Write(Shape), 0, 0, ctUnsigned8, 1, omRead)) << Image.ErrorText();
        EXPECT_EQ(Image.GetCellSizeX(), 2);
        EXPECT_EQ(Image.GetCellSizeY(), 3);
        EXPECT_EQ(Image.GetOriginX(), Case.OriginX);
        EXPECT_EQ(Image.GetOriginY(), Case.OriginY);
        EXPECT_EQ(Image.GetSpheroid(), Case.Spheroid);
        EXPECT_EQ(Image.GetDatum(), Case.Datum);
        EXPECT_EQ(Image.GetProjection(), Case.Projection);
    }

    // A world file wins, ".tifw" before ".tfw"; the pixel scale, read after it, still sets the cell sizes,
    // and the keys still name the system.
    TTiffLayout Shape;
    AddGeoTiffTags(Shape, {0, 0, 0, 1000, 5000, 0}, 1, 32634);
    Write(Shape);
    WriteText(Path("image.tfw"), "5\n0\n0\n-5\n300000\n6000000\n");
    WriteText(Path("image.tifw"), "4\n0\n0\n-4\n200000,5\n7000000\n");
    TTifMap2 Image;
    ASSERT_TRUE(Image.OpenMap(Path("image.tif"), 0, 0, ctUnsigned8, 1, omRead)) << Image.ErrorText();
    EXPECT_EQ(Image.GetOriginX(), 200000.5);
    EXPECT_EQ(Image.GetOriginY(), 7000000);
    EXPECT_EQ(Image.GetCellSizeX(), 2);
    EXPECT_EQ(Image.GetProjection(), "NUTM34");
    EXPECT_EQ(Image.Record().FGeoKeys.Short(gkProjectedCSType), 32634);
}

// A text as the values of an ASCII entry.
std::vector<double> AsciiValues(std::string_view Text) {
    return {Text.begin(), Text.end()};
}

TEST_F(TiffTest, KeepsEveryGeoKeyWithItsValuesAndLeavesOutWhatLiesOutsideItsTag) {
    // clang-format off
    const std::vector<double> Directory = {
        1,    1,     0, 7,
        1024, 0,     1, 1,     // ModelType, in the key itself
        1026, 34737, 9, 0,     // a citation; another text follows it
        2057, 34736, 1, 1,     // one DOUBLE from the middle of the tag
        2062, 34736, 3, 0,     // three DOUBLEs sharing the first with nothing
        3072, 0,     1, 32767, // user-defined
        4000, 34735, 2, 32,    // two SHORTs kept in the directory itself, after the keys
        4001, 34736, 3, 2,     // reaches beyond GeoDoubleParams: left out
        7,    9};
    // clang-format on
    for (const bool MSBFirst : {false, true}) {
        SCOPED_TRACE(MSBFirst ? "MM" : "II");
        TTiffLayout Layout;
        Layout.MSBFirst = MSBFirst;
        Layout.Extra[34735] = {tyShort, Directory};
        Layout.Extra[34736] = {tyDouble, {1.5, 6378137.0, -2.25}};
        Layout.Extra[34737] = {tyAscii, AsciiValues("Citation|second|")};
        TTifMap2 Image;
        ASSERT_TRUE(Image.OpenMap(Write(Layout), 0, 0, ctUnsigned8, 1, omRead)) << Image.ErrorText();
        const TGeoKeySet& Keys = Image.Record().FGeoKeys;
        std::vector<std::uint16_t> Ids;
        for (const TGeoKey& Key : Keys.Keys)
            Ids.push_back(Key.Id);
        EXPECT_EQ(Ids, (std::vector<std::uint16_t>{1024, 1026, 2057, 2062, 3072, 4000}));
        EXPECT_EQ(Keys.Short(gkModelType), 1);
        EXPECT_EQ(Keys.Find(gkCitation)->Text, "Citation");
        EXPECT_EQ(Keys.Find(gkGeogSemiMajorAxis)->Doubles, std::vector<double>{6378137.0});
        EXPECT_EQ(Keys.Find(gkGeogTOWGS84)->Doubles, (std::vector<double>{1.5, 6378137.0, -2.25}));
        EXPECT_EQ(Keys.Short(gkProjectedCSType), gvUserDefined);
        EXPECT_EQ(Keys.Find(4000)->Shorts, (std::vector<std::uint16_t>{7, 9}));
    }
}

// Geographic positions are radians inside the program: an image placed in degrees (the unit GeoTIFF
// assumes) or grads is converted, whether its tie point or a world file places it.
TEST_F(TiffTest, GeographicImagesArePlacedInRadians) {
    struct TCase {
        const char* Name;
        std::uint16_t Model;
        std::optional<std::uint16_t> AngularUnit;
        const char* WorldFile;
        double Factor;
    };
    constexpr double Degree = std::numbers::pi / 180;
    const TCase Cases[] = {
        {"degrees by default", 2, std::nullopt, nullptr, Degree},
        {"degrees", 2, 9102, nullptr, Degree},
        {"grads", 2, 9105, nullptr, std::numbers::pi / 200},
        {"radians", 2, 9101, nullptr, 1},
        {"a projected model keeps its metres", 1, 9102, nullptr, 1},
        {"world file in degrees", 2, 9102, "2\n0\n0\n-3\n21\n46\n", Degree},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        std::vector<double> Directory = {1, 1, 0, 1, 1024, 0, 1, double(Case.Model)};
        if (Case.AngularUnit) {
            Directory.insert(Directory.end(), {2054, 0, 1, double(*Case.AngularUnit)});
            Directory[3] = 2;
        }
        TTiffLayout Layout;
        Layout.Extra[33550] = {tyDouble, {2, 3, 0}};
        Layout.Extra[33922] = {tyDouble, {0, 0, 0, 20, 47.5, 0}};
        Layout.Extra[34735] = {tyShort, Directory};
        std::filesystem::remove(Path("image.tfw"));
        if (Case.WorldFile) WriteText(Path("image.tfw"), Case.WorldFile);
        TTifMap2 Image;
        ASSERT_TRUE(Image.OpenMap(Write(Layout), 0, 0, ctUnsigned8, 1, omRead)) << Image.ErrorText();
        EXPECT_DOUBLE_EQ(Image.GetCellSizeX(), 2 * Case.Factor);
        EXPECT_DOUBLE_EQ(Image.GetCellSizeY(), 3 * Case.Factor);
        EXPECT_DOUBLE_EQ(Image.GetRegEasting(), 21 * Case.Factor);
        EXPECT_DOUBLE_EQ(Image.GetRegNorthing(), 46 * Case.Factor);
        double X = 0, Y = 0;
        Image.CellToMap(1, 0, X, Y);
        EXPECT_DOUBLE_EQ(Y, 46 * Case.Factor);
    }
}

TEST_F(TiffTest, CreatedCellTypesReadBackWithTheirSampleFormat) {
    struct TCase {
        std::uint8_t CellType;
        std::int32_t Bands;
        float Value;
        std::size_t HeaderBytes;
    };
    const std::vector<TCase> Cases = {
        {ctUnsigned16, 1, 60000, 340}, {ctUnsigned32, 1, 3.0e9f, 340}, {ctSigned16, 1, -1234, 358},
        {ctSigned32, 3, -70000, 358},  {ctFloat32, 1, -12.25f, 358},   {ctFloat32, 3, 0.125f, 358},
        {ctFloat64, 1, 1.0e-3f, 358},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(CellTypeName(Case.CellType) + " x" + std::to_string(Case.Bands));
        const std::string Name = Path("typed.tif");
        {
            TDataSet2 Output;
            Output.SetOutputSystem(Utm34());
            ASSERT_TRUE(Output.Open(Name, 4, 3, Case.CellType, Case.Bands, omCreate))
                << Output.GetErrorText();
            ASSERT_TRUE(Output.Raster()->WriteCell(3, 2, Case.Bands - 1, Case.Value));
            Output.SetGeoreference("WE", "WGS84", "NUTM34", 1, 1, 0, 0, 0, 0);
        }
        EXPECT_EQ(ReadBytes(Name).size(), Case.HeaderBytes + 12u * Case.Bands * CellBytes(Case.CellType));
        std::filesystem::remove(Path("typed.tfw")); // the GeoTIFF tags alone place it
        TDataSet2 Input;
        ASSERT_TRUE(Input.Open(Name, 0, 0, ctUnsigned8, 1, omRead)) << Input.GetErrorText();
        EXPECT_EQ(Input.GetCellType(), Case.CellType);
        EXPECT_EQ(Input.GetBands(), Case.Bands);
        float Value = 0;
        ASSERT_TRUE(Input.Raster()->ReadCell(3, 2, Case.Bands - 1, Value));
        EXPECT_EQ(Value, Case.Value);
        std::string Projection;
        Input.GetProjection(Projection);
        EXPECT_EQ(Projection, "NUTM34");
        EXPECT_EQ(Input.GetOriginX(), 0);
    }
}

TEST_F(TiffTest, RefusesToCreateWhatItCannotStore) {
    const std::vector<std::tuple<std::uint8_t, std::int32_t, int, std::string>> Cases = {
        {ctOneBit, 1, 5, "Bit type not supported"},
        {ctRGB24, 1, 1, "Cell type not supported in TIFF images: RGB24BIT"},
        {ctPoint2D, 1, 1, "Cell type not supported in TIFF images: POINT2DDOUBLE"},
        {ctUnsigned8, 2, 1, "Wrong number of bands(must be 1 or 3)"},
    };
    for (const auto& [CellType, Bands, Code, Text] : Cases) {
        test::ExpectCreateRefused<TTifMap2>(Path("refused.tif"), CellType, Bands, Code, Text);
        EXPECT_FALSE(std::filesystem::exists(Path("refused.tif")));
    }
}

TEST_F(TiffTest, AStaleTifwBesideANewImageIsRewritten) {
    WriteText(Path("new.tifw"), "9\n0\n0\n-9\n1\n1\n");
    {
        TDataSet2 Output;
        ASSERT_TRUE(Output.Open(Path("new.tif"), 2, 2, ctUnsigned8, 1, omCreate));
        Output.SetGeoreference("WE", "WGS84", "NUTM34", 25, 25, 0, 0, 500000, 4000000);
    }
    EXPECT_EQ(ReadText(Path("new.tifw")), ReadText(Path("new.tfw")));
    TDataSet2 Input;
    ASSERT_TRUE(Input.Open(Path("new.tif"), 0, 0, ctUnsigned8, 1, omRead));
    EXPECT_EQ(Input.GetOriginX(), 500000);
}

} // namespace
} // namespace vortane
