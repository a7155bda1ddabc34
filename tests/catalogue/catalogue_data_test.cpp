// The catalogue files shipped with the program: the stored files written by the build must decode to
// their plain sources, every line must have the layout its loader expects, every reference between the
// files must resolve, and every number must reproduce the published definition (EPSG, through PROJ)
// that the comment above its entry names.

#include "catalogue/published_values.hpp"
#include "crs/angles.hpp"
#include "crs/datum_list.hpp"
#include "crs/spheroid.hpp"
#include "projections/lambert1.hpp"
#include "projections/lambert2.hpp"
#include "projections/lambert_eren.hpp"
#include "projections/stereographic.hpp"
#include "projections/tm_grid.hpp"
#include "projections/transverse_mercator.hpp"
#include "support/temp_dir.hpp"
#include "text/strings.hpp"

#include <gtest/gtest.h>
#include <proj.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace vortane {
namespace {

constexpr double ArcSecond = Pi / 648000.0; // rad

// ---------------------------------------------------------------------------------------------------
// Reading the sources and the stored files

struct TCatalogueFormat {
    const char* Name; // file name without extension
    char Delimiter;
    int FieldCount;
    std::vector<int> NumberFields; // 1-based
};

const std::vector<TCatalogueFormat>& Formats() {
    static const std::vector<TCatalogueFormat> All{
        {"Spher", '\t', 4, {2, 3}},
        {"Datums", '\t', 11, {4, 5, 6, 7, 8, 9, 10}},
        {"tranmerc", ',', 7, {3, 4, 5, 6, 7}},
        {"tmgrid", ',', 6, {2, 3, 4}},
        {"Lambert1", ',', 7, {3, 4, 5, 6, 7}},
        {"Lambert2", ',', 11, {3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {"LambEren", ',', 11, {3, 4, 7, 8, 9, 10, 11}},
        {"stereo", ',', 7, {3, 4, 5, 6, 7}},
    };
    return All;
}

std::string SourcePath(const std::string& Name) {
    return std::string(VORTANE_CATALOGUE_SOURCE_DIR) + "/" + Name + ".txt";
}
std::string StoredPath(const std::string& Name) {
    return std::string(VORTANE_BINARY_DIR) + "/bin/" + Name + ".dat";
}

std::string ReadBytes(const std::string& Path) {
    EXPECT_TRUE(std::filesystem::is_regular_file(Path)) << "cannot read " << Path;
    return test::ReadText(Path);
}

std::vector<std::string> SourceLines(const std::string& Name) {
    std::vector<std::string> Lines;
    std::istringstream In(ReadBytes(SourcePath(Name)));
    for (std::string Line; std::getline(In, Line);)
        Lines.push_back(Line);
    return Lines;
}

std::vector<std::string> SplitFields(const std::string& Line, char Delimiter) {
    std::vector<std::string> Fields;
    std::size_t Start = 0;
    for (;;) {
        const std::size_t End = Line.find(Delimiter, Start);
        Fields.push_back(Line.substr(Start, End - Start));
        if (End == std::string::npos) return Fields;
        Start = End + 1;
    }
}

std::optional<double> Number(const std::string& Text) {
    if (Text.empty()) return std::nullopt;
    char* End = nullptr;
    const double Value = std::strtod(Text.c_str(), &End);
    if (End != Text.c_str() + Text.size() || !std::isfinite(Value)) return std::nullopt;
    return Value;
}

double NumberField(const std::vector<std::string>& Fields, int Index) {
    return Number(Fields.at(static_cast<std::size_t>(Index - 1))).value_or(NAN);
}

// One data line with the comment block directly above it (where its published source is named).
struct TEntry {
    int LineNumber;
    std::vector<std::string> Fields;
    std::string Source;
};

std::vector<TEntry> Entries(const std::string& Name) {
    const auto& Format = *std::find_if(Formats().begin(), Formats().end(),
                                       [&](const TCatalogueFormat& F) { return Name == F.Name; });
    std::vector<TEntry> Result;
    std::string Comments;
    int LineNumber = 0;
    for (const std::string& Line : SourceLines(Name)) {
        ++LineNumber;
        if (Line.empty() || Line == ";") {
            Comments.clear(); // a lone ";" ends the comments of the entry before
        } else if (Line[0] == ';') {
            Comments += Line + "\n";
        } else {
            Result.push_back({LineNumber, SplitFields(Line, Format.Delimiter), Comments});
            Comments.clear();
        }
    }
    return Result;
}

std::vector<TEntry> EntriesWithSources(const std::string& Name) {
    std::vector<TEntry> Result = Entries(Name);
    for (const TEntry& Entry : Result) {
        // Each entry names its published source in the comment lines right above it.
        EXPECT_NE(Entry.Source.find("EPSG:"), std::string::npos)
            << Name << " line " << Entry.LineNumber << " names no published source";
    }
    return Result;
}

// All "EPSG:<code>" references in a comment block, in order.
std::vector<int> EpsgCodes(const std::string& Text) {
    static const std::regex Code("EPSG:([0-9]+)");
    std::vector<int> Codes;
    for (auto It = std::sregex_iterator(Text.begin(), Text.end(), Code); It != std::sregex_iterator(); ++It)
        Codes.push_back(std::stoi((*It)[1].str()));
    return Codes;
}

struct TEllipsoid {
    double A, InvF;
};

std::map<std::string, TEllipsoid> Spheroids() {
    std::map<std::string, TEllipsoid> Result;
    for (const TEntry& Entry : Entries("Spher"))
        Result[Entry.Fields[0]] = {NumberField(Entry.Fields, 2), NumberField(Entry.Fields, 3)};
    return Result;
}

std::string EllipsoidParams(const TEllipsoid& E) {
    char Text[96];
    std::snprintf(Text, sizeof Text, " +a=%.17g +rf=%.17g", E.A, E.InvF);
    return Text;
}

std::string Exact(double Value) {
    char Text[40];
    std::snprintf(Text, sizeof Text, "%.17g", Value);
    return Text;
}

std::string Degrees(double Radians) {
    return Exact(Radians / Pi * 180.0);
}

// ---------------------------------------------------------------------------------------------------
// The files as the build stores them, and their line layout

TEST(CatalogueFiles, StoredFilesDecodeLineByLineToTheirSources) {
    for (const TCatalogueFormat& Format : Formats()) {
        SCOPED_TRACE(Format.Name);
        const std::vector<std::string> Source = SourceLines(Format.Name);
        const std::string Stored = ReadBytes(StoredPath(Format.Name));
        std::vector<std::string> Decoded;
        std::size_t Start = 0;
        while (Start < Stored.size()) {
            const std::size_t End = Stored.find("\r\n", Start);
            ASSERT_NE(End, std::string::npos) << "stored line " << Decoded.size() + 1 << " lacks CR LF";
            const std::string Line = Stored.substr(Start, End - Start);
            // The line reader splits at LF and drops CR; the end-of-file byte ends the file.
            EXPECT_EQ(Line.find_first_of(std::string("\r\n\x1a", 3)), std::string::npos)
                << "stored line " << Decoded.size() + 1 << " holds a line-end or end-of-file byte";
            Decoded.push_back(DecodeCatalogueLine(Line));
            Start = End + 2;
        }
        EXPECT_EQ(Decoded, Source);
    }
}

TEST(CatalogueFiles, SourcesHoldOnlyPrintableAsciiAndTabs) {
    // Any other byte could be shifted into a line end or the end-of-file byte when stored.
    for (const TCatalogueFormat& Format : Formats()) {
        int LineNumber = 0;
        for (const std::string& Line : SourceLines(Format.Name)) {
            ++LineNumber;
            const auto Bad = std::find_if(Line.begin(), Line.end(),
                                          [](char C) { return C != '\t' && (C < 32 || C > 126); });
            EXPECT_EQ(Bad, Line.end()) << Format.Name << " line " << LineNumber;
        }
    }
}

TEST(CatalogueFiles, EveryDataLineHasTheFieldsItsLoaderReads) {
    // Runs of separators count as one, so an empty field would shift every later field.
    for (const TCatalogueFormat& Format : Formats()) {
        const std::vector<TEntry> All = Entries(Format.Name);
        EXPECT_FALSE(All.empty()) << Format.Name;
        for (const TEntry& Entry : All) {
            SCOPED_TRACE(std::string(Format.Name) + " line " + std::to_string(Entry.LineNumber));
            ASSERT_EQ(Entry.Fields.size(), static_cast<std::size_t>(Format.FieldCount));
            for (const std::string& Field : Entry.Fields) {
                EXPECT_FALSE(Field.empty());
                EXPECT_EQ(Field, TrimBlanks(Field)) << "blanks around a field";
            }
            for (int Index : Format.NumberFields)
                EXPECT_TRUE(Number(Entry.Fields[static_cast<std::size_t>(Index - 1)]).has_value())
                    << "field " << Index
                    << " is not a number: " << Entry.Fields[static_cast<std::size_t>(Index - 1)];
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Names, codes and references between the files

TEST(CatalogueReferences, SpheroidCodesAreShortAndUniqueAndTheBuiltInOnesMatch) {
    std::set<std::string> Codes;
    for (const TEntry& Entry : Entries("Spher")) {
        const std::string& Code = Entry.Fields[0];
        EXPECT_LE(Code.size(), 3u) << Code << ": projection entries keep only 3 characters";
        EXPECT_TRUE(Codes.insert(Code).second) << "duplicate spheroid " << Code;
    }
    // The grid datums build these spheroids from their own lines; the catalogue must agree exactly.
    const std::vector<std::vector<std::string>> BuiltIn{
        {"WE", "6378137", "298.2572235637", "WGS 1984"},
        {"RF", "6378137", "298.257222101", "Geodetic Reference System 1980"},
        {"CF", "6378249.2", "293.466021", "Clarke 1880 France"},
    };
    const std::vector<TEntry> All = Entries("Spher");
    for (const auto& Line : BuiltIn) {
        const auto It =
            std::find_if(All.begin(), All.end(), [&](const TEntry& E) { return E.Fields[0] == Line[0]; });
        ASSERT_NE(It, All.end()) << Line[0];
        EXPECT_EQ(It->Fields, Line);
    }
    EXPECT_EQ(Codes.count("CC"), 1u) << "the NADCON datum needs Clarke 1866 as CC";
}

TEST(CatalogueReferences, DatumNamesAreSingleUniqueWordsOnKnownSpheroids) {
    const auto Known = Spheroids();
    std::set<std::string> Names;
    for (const TEntry& Entry : Entries("Datums")) {
        const std::string& Name = Entry.Fields[1];
        EXPECT_EQ(Name.find(' '), std::string::npos) << Name << ": the chooser cuts names at the first blank";
        EXPECT_TRUE(Names.insert(Name).second) << "duplicate datum " << Name;
        EXPECT_EQ(Known.count(Entry.Fields[2]), 1u) << Name << " names unknown spheroid " << Entry.Fields[2];
        EXPECT_NE(Entry.Fields[10].find("EPSG:"), std::string::npos) << Name << ": comment names no source";
    }
    // The hub: WGS 84 on "WE" with no shift at all.
    const std::vector<TEntry> All = Entries("Datums");
    const auto Hub =
        std::find_if(All.begin(), All.end(), [](const TEntry& E) { return E.Fields[1] == "WGS84"; });
    ASSERT_NE(Hub, All.end());
    EXPECT_EQ(Hub->Fields[2], "WE");
    for (int Index = 4; Index <= 10; ++Index)
        EXPECT_EQ(NumberField(Hub->Fields, Index), 0.0) << "field " << Index;
}

TEST(CatalogueReferences, ProjectionNamesAreUniqueAndEntriesNameKnownSpheroids) {
    const auto Known = Spheroids();
    // The built-in systems are found first, so a file entry of the same name could never be picked.
    std::set<std::string> Names{"Geographic:(deg)", "Geographic:(grad)", "ArcView Geographic: gg.mm.ss.sss",
                                "Geographic:(decimal degrees)", "Geocentric:X,Y,Z"};
    for (const char* File : {"tranmerc", "Lambert1", "Lambert2", "LambEren", "stereo", "tmgrid"}) {
        const bool HasSpheroid = std::string(File) != "tmgrid";
        for (const TEntry& Entry : Entries(File)) {
            const std::string& Name = Entry.Fields[HasSpheroid ? 1 : 0];
            EXPECT_TRUE(Names.insert(Name).second) << File << ": duplicate system name " << Name;
            if (HasSpheroid) {
                EXPECT_EQ(Known.count(Entry.Fields[0]), 1u)
                    << File << " " << Name << " names unknown spheroid " << Entry.Fields[0];
            }
        }
    }
}

TEST(CatalogueReferences, TheProgramsOwnLoadersReadTheStoredFiles) {
    TSpherList Spheres;
    ASSERT_TRUE(Spheres.LoadFromFile(StoredPath("Spher")));
    const std::vector<TEntry> SpherLines = Entries("Spher");
    ASSERT_EQ(Spheres.Count(), static_cast<int>(SpherLines.size()));
    for (int I = 0; I < Spheres.Count(); ++I) {
        const TSpheroid& S = *Spheres.Item(I);
        EXPECT_EQ(S.Name, SpherLines[static_cast<std::size_t>(I)].Fields[0]);
        EXPECT_EQ(S.Description, SpherLines[static_cast<std::size_t>(I)].Fields[3]);
        EXPECT_DOUBLE_EQ(S.A, NumberField(SpherLines[static_cast<std::size_t>(I)].Fields, 2));
        EXPECT_DOUBLE_EQ(1.0 / S.F, NumberField(SpherLines[static_cast<std::size_t>(I)].Fields, 3));
    }

    TDatumList Datums;
    ASSERT_TRUE(Datums.LoadFromFile(StoredPath("Datums"), "no-such-grid", "no-such-grid.mnt"));
    const std::vector<TEntry> DatumLines = Entries("Datums");
    ASSERT_EQ(Datums.Count(), static_cast<int>(DatumLines.size()));
    for (int I = 0; I < Datums.Count(); ++I) {
        const TDatumRecord& D = *Datums.Item(I);
        const std::vector<std::string>& F = DatumLines[static_cast<std::size_t>(I)].Fields;
        SCOPED_TRACE(F[1]);
        EXPECT_EQ(D.Region, F[0]);
        EXPECT_EQ(D.Name, F[1]);
        EXPECT_EQ(D.SpheroidCode, F[2]);
        const double Stored[] = {D.DX, D.DY, D.DZ, D.RX, D.RY, D.RZ, D.Scale};
        for (int Index = 4; Index <= 10; ++Index)
            EXPECT_DOUBLE_EQ(Stored[Index - 4], NumberField(F, Index)) << "field " << Index;
        EXPECT_EQ(D.Comment, F[10]);
        EXPECT_NE(Spheres.Find(D.SpheroidCode), nullptr);
    }
}

// ---------------------------------------------------------------------------------------------------
// The numbers against their published definitions

TEST_F(PublishedValues, SpheroidsMatchTheirPublishedEllipsoids) {
    for (const TEntry& Entry : EntriesWithSources("Spher")) {
        const std::vector<int> Codes = EpsgCodes(Entry.Source);
        ASSERT_FALSE(Codes.empty());
        SCOPED_TRACE(Entry.Fields[0] + " EPSG:" + std::to_string(Codes[0]));
        const TPj Ellipsoid = FromDatabase(Codes[0], PJ_CATEGORY_ELLIPSOID);
        ASSERT_NE(Ellipsoid, nullptr);
        const auto [A, B] = AxesOf(Ellipsoid.get());
        const double OurA = NumberField(Entry.Fields, 2);
        EXPECT_EQ(OurA, A);
        // Compared through the semi-minor axis: an inverse flattening rounded to its published
        // digits moves b by far less than a millimetre.
        EXPECT_NEAR(OurA * (1.0 - 1.0 / NumberField(Entry.Fields, 3)), B, LengthTolerance / 10);
    }
}

TEST_F(PublishedValues, DatumShiftsAgreeWithThePublishedTransformations) {
    // The stored rotations are position-vector radians and the scale a plain difference; turned back
    // into arc-seconds and ppm they must move points exactly as PROJ's EPSG transformation does,
    // whichever sign convention the published set used.
    const auto Spheres = Spheroids();
    int Checked = 0;
    for (const TEntry& Entry : Entries("Datums")) {
        const std::vector<std::string>& F = Entry.Fields;
        if (F[1] == "WGS84") continue; // the hub itself
        const std::vector<int> Codes = EpsgCodes(F[10]);
        ASSERT_EQ(Codes.size(), 1u) << F[1] << ": the comment must name its transformation";
        SCOPED_TRACE(F[1] + " EPSG:" + std::to_string(Codes[0]));
        const TPj Published = FromDatabase(Codes[0], PJ_CATEGORY_COORDINATE_OPERATION);
        ASSERT_NE(Published, nullptr);
        const TPj PublishedLonLat(proj_normalize_for_visualization(FContext, Published.get()));
        ASSERT_NE(PublishedLonLat, nullptr);

        char Helmert[400];
        std::snprintf(Helmert, sizeof Helmert,
                      " +step +proj=helmert +x=%.17g +y=%.17g +z=%.17g +rx=%.17g +ry=%.17g +rz=%.17g +s=%.17g"
                      " +convention=position_vector",
                      NumberField(F, 4), NumberField(F, 5), NumberField(F, 6), NumberField(F, 7) / ArcSecond,
                      NumberField(F, 8) / ArcSecond, NumberField(F, 9) / ArcSecond, NumberField(F, 10) * 1e6);
        const TPj Ours =
            Create("+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad"
                   " +step +proj=cart" +
                   EllipsoidParams(Spheres.at(F[2])) + Helmert + " +step +inv +proj=cart" +
                   EllipsoidParams(Spheres.at("WE")) + " +step +proj=unitconvert +xy_in=rad +xy_out=deg");
        ASSERT_NE(Ours, nullptr);

        const std::vector<TLonLat> Points = AreaPoints(Published.get());
        ASSERT_FALSE(Points.empty());
        for (const TLonLat& P : Points) {
            const PJ_COORD Want = proj_trans(PublishedLonLat.get(), PJ_FWD, proj_coord(P.Lon, P.Lat, 0, 0));
            const PJ_COORD Got = proj_trans(Ours.get(), PJ_FWD, proj_coord(P.Lon, P.Lat, 0, 0));
            const double CosLat = std::cos(P.Lat / DegPerRad);
            EXPECT_NEAR((Got.lp.lam - Want.lp.lam) * MetresPerDegree * CosLat, 0.0, LengthTolerance)
                << "east at " << P.Lon << " " << P.Lat;
            EXPECT_NEAR((Got.lp.phi - Want.lp.phi) * MetresPerDegree, 0.0, LengthTolerance)
                << "north at " << P.Lon << " " << P.Lat;
        }
        ++Checked;
    }
    EXPECT_GE(Checked, 14);
}

// Per projection file: the PROJ definition that the entry's own numbers describe.
std::string TransverseMercator(const std::vector<std::string>& F) {
    return "+proj=tmerc +lat_0=" + Degrees(NumberField(F, 7)) + " +lon_0=" + Degrees(NumberField(F, 6)) +
           " +k_0=" + F[4] + " +x_0=" + F[3] + " +y_0=" + F[2];
}
std::string LambertOneParallel(const std::vector<std::string>& F) {
    return "+proj=lcc +lat_1=" + Degrees(NumberField(F, 7)) + " +lat_0=" + Degrees(NumberField(F, 7)) +
           " +lon_0=" + Degrees(NumberField(F, 6)) + " +k_0=" + F[4] + " +x_0=" + F[3] + " +y_0=" + F[2];
}
std::string LambertTwoParallels(const std::vector<std::string>& F) {
    return "+proj=lcc +lat_1=" + Degrees(NumberField(F, 9)) + " +lat_2=" + Degrees(NumberField(F, 10)) +
           " +lat_0=" + Degrees(NumberField(F, 11)) + " +lon_0=" + Degrees(NumberField(F, 8)) +
           " +k_0=" + F[6] + " +x_0=" + F[3] + " +y_0=" + F[2];
}
std::string Stereographic(const std::vector<std::string>& F) {
    return "+proj=sterea +lat_0=" + Degrees(NumberField(F, 7)) + " +lon_0=" + Degrees(NumberField(F, 6)) +
           " +k_0=" + F[4] + " +x_0=" + F[3] + " +y_0=" + F[2];
}

TEST_F(PublishedValues, ProjectionEntriesReproduceTheirPublishedGrids) {
    const auto Spheres = Spheroids();
    const std::vector<std::pair<const char*, std::string (*)(const std::vector<std::string>&)>> Files{
        {"tranmerc", TransverseMercator},
        {"Lambert1", LambertOneParallel},
        {"Lambert2", LambertTwoParallels},
        {"stereo", Stereographic},
    };
    for (const auto& [File, Definition] : Files) {
        for (const TEntry& Entry : EntriesWithSources(File)) {
            const std::vector<int> Codes = EpsgCodes(Entry.Source);
            ASSERT_FALSE(Codes.empty());
            SCOPED_TRACE(std::string(File) + " " + Entry.Fields[1] + " EPSG:" + std::to_string(Codes[0]));
            const TPj Crs = FromDatabase(Codes[0], PJ_CATEGORY_CRS);
            ASSERT_NE(Crs, nullptr);
            const TPj Published = PublishedProjection(Crs.get());
            const TPj Ours = Create(Definition(Entry.Fields) + EllipsoidParams(Spheres.at(Entry.Fields[0])));
            ASSERT_NE(Published, nullptr);
            ASSERT_NE(Ours, nullptr);
            for (const TLonLat& P : AreaPoints(Crs.get()))
                ExpectSamePlanePoint(Forward(Ours.get(), P), Forward(Published.get(), P),
                                     "at " + std::to_string(P.Lon) + " " + std::to_string(P.Lat));
        }
    }
}

TEST_F(PublishedValues, EntriesWithTheFixedConeApexReproduceTheirPublishedGrids) {
    // This Lambert form puts the apex at (1 300 000, 15 000 000) before scale and false origin; with
    // rho and theta taken from a cone whose origin is the pole (apex at 0, 0), its plane point is
    // (k * (1 300 000 + x) + FE, k * (15 000 000 + y) + FN).
    const auto Spheres = Spheroids();
    for (const TEntry& Entry : EntriesWithSources("LambEren")) {
        const std::vector<std::string>& F = Entry.Fields;
        const std::vector<int> Codes = EpsgCodes(Entry.Source);
        ASSERT_FALSE(Codes.empty());
        SCOPED_TRACE(F[1] + " EPSG:" + std::to_string(Codes[0]));
        const TPj Crs = FromDatabase(Codes[0], PJ_CATEGORY_CRS);
        ASSERT_NE(Crs, nullptr);
        const TPj Published = PublishedProjection(Crs.get());
        const TPj Cone = Create(
            "+proj=lcc +lat_1=" + Degrees(NumberField(F, 9)) + " +lat_2=" + Degrees(NumberField(F, 10)) +
            " +lat_0=90 +lon_0=" + Degrees(NumberField(F, 8)) + EllipsoidParams(Spheres.at(F[0])));
        ASSERT_NE(Published, nullptr);
        ASSERT_NE(Cone, nullptr);
        const double K = NumberField(F, 7);
        for (const TLonLat& P : AreaPoints(Crs.get())) {
            PJ_COORD Ours = Forward(Cone.get(), P);
            Ours.xy.x = K * (1300000.0 + Ours.xy.x) + NumberField(F, 4);
            Ours.xy.y = K * (15000000.0 + Ours.xy.y) + NumberField(F, 3);
            ExpectSamePlanePoint(Ours, Forward(Published.get(), P),
                                 "at " + std::to_string(P.Lon) + " " + std::to_string(P.Lat));
        }
    }
}

// degrees:minutes:seconds with an optional hemisphere letter, as the zone grid file writes angles;
// west gives 360 degrees minus the angle, as the program reads it.
double ZoneAngleDegrees(const std::string& Text) {
    double Parts[3] = {0, 0, 0};
    std::string Body = Text;
    const char Hemisphere = Body.empty() ? '\0' : Body.back();
    if (Hemisphere == 'E' || Hemisphere == 'W') Body.pop_back();
    const std::vector<std::string> Pieces = SplitFields(Body, ':');
    EXPECT_EQ(Pieces.size(), 3u) << Text;
    for (std::size_t I = 0; I < std::min<std::size_t>(3, Pieces.size()); ++I)
        Parts[I] = Number(Pieces[I]).value_or(NAN);
    const double Angle = Parts[0] + Parts[1] / 60.0 + Parts[2] / 3600.0;
    return Hemisphere == 'W' ? 360.0 - Angle : Angle;
}

TEST_F(PublishedValues, ZoneGridsReproduceTheirPublishedZones) {
    // The comment names zones as "zone <n> = EPSG:<code>". The grid's easting is the zone number in
    // millions plus the zone's own easting; published zones either carry that prefix already or not.
    static const std::regex Zone("zone ([0-9]+) = EPSG:([0-9]+)");
    for (const TEntry& Entry : EntriesWithSources("tmgrid")) {
        const std::vector<std::string>& F = Entry.Fields;
        const double Width = ZoneAngleDegrees(F[4]);
        const double Origin = ZoneAngleDegrees(F[5]);
        int Zones = 0;
        for (auto It = std::sregex_iterator(Entry.Source.begin(), Entry.Source.end(), Zone);
             It != std::sregex_iterator(); ++It, ++Zones) {
            const int Number = std::stoi((*It)[1].str());
            const int Code = std::stoi((*It)[2].str());
            SCOPED_TRACE(F[0] + " zone " + std::to_string(Number) + " EPSG:" + std::to_string(Code));
            const TPj Crs = FromDatabase(Code, PJ_CATEGORY_CRS);
            ASSERT_NE(Crs, nullptr);
            const auto [A, B] = EllipsoidAxesOf(Crs.get());
            const double Meridian = std::remainder(Origin + (Number - 1) * Width, 360.0);
            const TPj Ours =
                Create("+proj=tmerc +lon_0=" + Degrees(Meridian / DegPerRad) + " +k_0=" + F[3] +
                       " +x_0=" + F[2] + " +y_0=" + F[1] + " +a=" + Exact(A) + " +b=" + Exact(B));
            const TPj Published = PublishedProjection(Crs.get());
            ASSERT_NE(Ours, nullptr);
            ASSERT_NE(Published, nullptr);
            for (const TLonLat& P : AreaPoints(Crs.get())) {
                PJ_COORD Grid = Forward(Ours.get(), P);
                const PJ_COORD Want = Forward(Published.get(), P);
                Grid.xy.x += Number * 1e6;
                if (Want.xy.x < 1e6) Grid.xy.x -= Number * 1e6;
                ExpectSamePlanePoint(Grid, Want, "at " + std::to_string(P.Lon) + " " + std::to_string(P.Lat));
            }
        }
        EXPECT_GE(Zones, 2) << F[0] << ": name two published zones";
    }
}

// Where the program's own systems are compared with the published grids: series in the longitude
// difference (transverse Mercator) are meant for a few degrees either side of the central meridian,
// series about the origin (Lambert one parallel, stereographic) for about a degree around it, and the
// closed forms for the whole area of use.
enum class TReach { WholeArea, NearMeridian, NearOrigin };

constexpr double SeriesReach = 1.0; // degrees

class ProgramSystems : public PublishedValues {
protected:
    void SetUp() override {
        PublishedValues::SetUp();
        ASSERT_TRUE(FSpheres.LoadFromFile(StoredPath("Spher")));
    }

    // Loads one stored projection file with the program's own list and compares every system with the
    // published grid its source comment names. Fields 6 and 7 of the near-origin files hold the central
    // meridian and the latitude of origin.
    template <class TList> void CheckFile(TList& List, const std::string& File, TReach Reach) {
        ASSERT_TRUE(List.LoadFromFile(StoredPath(File)));
        // The exact forms hold over the whole area of use.
        const TReach Within = FExact ? TReach::WholeArea : Reach;
        const std::vector<TEntry> Source = Entries(File);
        ASSERT_EQ(List.Count(), static_cast<int>(Source.size()));
        for (int K = 0; K < List.Count(); ++K) {
            const TEntry& Entry = Source[static_cast<std::size_t>(K)];
            TProjection& System = *List.Item(K);
            const std::vector<int> Codes = EpsgCodes(Entry.Source);
            ASSERT_FALSE(Codes.empty()) << File << " " << Entry.Fields[1];
            SCOPED_TRACE(File + " " + Entry.Fields[1] + " EPSG:" + std::to_string(Codes[0]));
            EXPECT_EQ(System.Name, Entry.Fields[1]);
            const TSpheroid* Spheroid = FSpheres.Find(Entry.Fields[0]);
            ASSERT_NE(Spheroid, nullptr);
            System.SetSpheroid(*Spheroid);
            const TPj Crs = FromDatabase(Codes[0], PJ_CATEGORY_CRS);
            ASSERT_NE(Crs, nullptr);
            const TPj Published = PublishedProjection(Crs.get());
            ASSERT_NE(Published, nullptr);
            System.ExactForm = FExact;
            for (TLonLat P : FExact ? AreaGrid(Crs.get(), ExactGridSize) : AreaPoints(Crs.get())) {
                if (Within != TReach::WholeArea) {
                    const double Lon0 = NumberField(Entry.Fields, 6) * DegPerRad;
                    P.Lon = Lon0 + std::clamp(std::remainder(P.Lon - Lon0, 360.0), -SeriesReach, SeriesReach);
                }
                if (Within == TReach::NearOrigin) {
                    const double Lat0 = NumberField(Entry.Fields, 7) * DegPerRad;
                    P.Lat = std::clamp(P.Lat, Lat0 - SeriesReach, Lat0 + SeriesReach);
                }
                ExpectSameAsPublished(System, P, Forward(Published.get(), P));
            }
        }
    }

    // Forward, and with the exact forms also back from the published plane point.
    void ExpectSameAsPublished(TProjection& System, TLonLat P, const PJ_COORD& Want) const {
        const std::string Where = "at " + std::to_string(P.Lon) + " " + std::to_string(P.Lat);
        double X = 0, Y = 0, Z = 0;
        System.GeoToProj(P.Lat / DegPerRad, P.Lon / DegPerRad, 0.0, X, Y, Z);
        PJ_COORD Got{};
        Got.xy.x = X;
        Got.xy.y = Y;
        ExpectSamePlanePoint(Got, Want, Where);
        if (!FExact) return;
        double Lat = 0, Lon = 0, H = 0;
        System.ProjToGeo(Want.xy.x, Want.xy.y, 0.0, Lat, Lon, H);
        EXPECT_NEAR((Lat * DegPerRad - P.Lat) * MetresPerDegree, 0.0, LengthTolerance)
            << Where << " latitude";
        EXPECT_NEAR(std::remainder(Lon * DegPerRad - P.Lon, 360.0) * MetresPerDegree *
                        std::cos(P.Lat / DegPerRad),
                    0.0, LengthTolerance)
            << Where << " longitude";
    }

    // Every system of the projection files against its published grid (CheckFile), and every zone the
    // zone grid file names against its published zone.
    void CheckProjectionFiles();
    void CheckZoneGrids();

    static constexpr int ExactGridSize = 7;
    TSpherList FSpheres;
    bool FExact = false; // evaluate each system by its exact form over a grid on its whole area
};

void ProgramSystems::CheckProjectionFiles() {
    TTransMercList TransMercs;
    TLambert1List Lambert1s;
    TLambert2List Lambert2s;
    TLamberEnList LambErens;
    TStereoProjList Stereos;
    CheckFile(TransMercs, "tranmerc", TReach::NearMeridian);
    CheckFile(Lambert1s, "Lambert1", TReach::NearOrigin);
    CheckFile(Lambert2s, "Lambert2", TReach::WholeArea);
    CheckFile(LambErens, "LambEren", TReach::WholeArea);
    CheckFile(Stereos, "stereo", TReach::NearOrigin);
}

TEST_F(ProgramSystems, ProjectionFilesGiveThePublishedGridCoordinates) {
    // Catches entries that read differently from what their source means: fields out of order, a
    // central meridian the loader adjusts, a latitude beyond the pole.
    CheckProjectionFiles();
}

TEST_F(ProgramSystems, ExactFormsGiveThePublishedGridOverTheWholeAreaBothWays) {
    FExact = true;
    CheckProjectionFiles();
    CheckZoneGrids();
}

TEST_F(ProgramSystems, ZoneGridsGiveThePublishedZoneCoordinates) {
    CheckZoneGrids();
}

void ProgramSystems::CheckZoneGrids() {
    static const std::regex Zone("zone ([0-9]+) = EPSG:([0-9]+)");
    TTMGridList Grids;
    ASSERT_TRUE(Grids.LoadFromFile(StoredPath("tmgrid")));
    const std::vector<TEntry> Source = Entries("tmgrid");
    ASSERT_EQ(Grids.Count(), static_cast<int>(Source.size()));
    for (int K = 0; K < Grids.Count(); ++K) {
        const TEntry& Entry = Source[static_cast<std::size_t>(K)];
        TTMGrid& Grid = *Grids.Item(K);
        Grid.ExactForm = FExact;
        EXPECT_EQ(Grid.Name, Entry.Fields[0]);
        for (auto It = std::sregex_iterator(Entry.Source.begin(), Entry.Source.end(), Zone);
             It != std::sregex_iterator(); ++It) {
            const int Number = std::stoi((*It)[1].str());
            const int Code = std::stoi((*It)[2].str());
            SCOPED_TRACE(Entry.Fields[0] + " zone " + std::to_string(Number) +
                         " EPSG:" + std::to_string(Code));
            const TPj Crs = FromDatabase(Code, PJ_CATEGORY_CRS);
            ASSERT_NE(Crs, nullptr);
            const auto [A, B] = EllipsoidAxesOf(Crs.get());
            Grid.SetSpheroidValues("*", "", A, (A - B) / A);
            const TPj Published = PublishedProjection(Crs.get());
            ASSERT_NE(Published, nullptr);
            for (const TLonLat& P : FExact ? AreaGrid(Crs.get(), ExactGridSize) : AreaPoints(Crs.get())) {
                // A zone's eastern edge is the next zone's western one, where the grid counts it.
                if (Grid.ZoneOf(P.Lon / DegPerRad) != Number) continue;
                PJ_COORD Want = Forward(Published.get(), P);
                if (Want.xy.x < 1e6) Want.xy.x += Number * 1e6; // the grid puts the zone number in front
                ExpectSameAsPublished(Grid, P, Want);
            }
        }
    }
}

} // namespace
} // namespace vortane
