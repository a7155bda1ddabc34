// The catalogue: loading order, links between spheroids, datums and systems, lookups, and the
// shipped catalogue as a whole.

#include "catalogue/catalogue.hpp"
#include "support/temp_dir.hpp"
#include "text/strings.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace vortane {
namespace {

using test::TTempDir;
using test::WriteText;

// Writes a catalogue file the way the build stores it: each line shifted, CR LF line ends.
void WriteCatalogueFile(const std::string& Path, const std::vector<std::string>& Lines) {
    std::string Stored;
    for (const std::string& Line : Lines)
        Stored += EncodeCatalogueLine(Line) + "\r\n";
    WriteText(Path, Stored);
}

// A small complete catalogue in a temporary folder; tests change single files before loading.
class SmallCatalogue : public ::testing::Test {
protected:
    void SetUp() override {
        Write("Spher.dat", {"WE\t6378137\t298.257223563\tWGS 1984",
                            "BR\t6377397.155\t299.1528128\tBessel 1841", "XX\t6378388\t297\tNo projections"});
        Write("Datums.dat", {"WORLD\tWGS84\tWE\t0\t0\t0\t0\t0\t0\t0\tHub",
                             "EUROPE\tDHDN\tBR\t598.1\t73.7\t418.2\t0\t0\t0\t0\tGermany",
                             "EUROPE\tRD\tBR\t565\t50\t465\t0\t0\t0\t0\tNetherlands"});
        Write("Lambert1.dat", {});
        Write("Lambert2.dat", {});
        Write("LambEren.dat", {});
        Write("tranmerc.dat", {"; comment", "WE,Geographic:(deg),0,500000,0.9996,0.0523598775598,0",
                               "BR,GK3,0,3500000,1,0.157079632679,0", "ZZ,Orphan,0,500000,1,0,0"});
        Write("stereo.dat", {"BR,RDNAP,463000,155000,0.9999079,0.094032038,0.910296727"});
        Write("tmgrid.dat", {"UTM,0,500000,0.9996,6:0:0,177:0:0W"});
    }
    void Write(const std::string& Name, const std::vector<std::string>& Lines) {
        WriteCatalogueFile(Dir.Path(Name), Lines);
    }
    bool Load() { return Catalogue.LoadAll(Folder()); }
    std::string Folder() const { return Dir.Path(""); }
    std::vector<std::string> TypeNames(const std::string& Code) const {
        std::vector<std::string> Names;
        const TSpheroid* Spheroid = Catalogue.FindSpheroid(Code);
        for (int i = 0; i < Spheroid->PrjTypes.Count(); ++i)
            Names.push_back(Spheroid->PrjTypes.Item(i)->Name);
        return Names;
    }

    TTempDir Dir;
    TCSList Catalogue;
};

TEST_F(SmallCatalogue, LinksDatumsAndProjectionTypesInLoadOrder) {
    ASSERT_TRUE(Load());
    EXPECT_TRUE(Catalogue.Warnings.empty());
    EXPECT_EQ(Catalogue.FindSpheroid("BR")->Refs.Values(), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(Catalogue.FindSpheroid("WE")->Refs.Values(), (std::vector<std::int32_t>{0}));

    EXPECT_EQ(TypeNames("BR"), (std::vector<std::string>{"GEOGRAPHIC", "GEOCENTRIC", "TRANSVERSE MERCATOR",
                                                         "STEREOGRAPHIC", "TMGRID"}));
    // A spheroid without entries still offers the built-in forms and the zone grids.
    EXPECT_EQ(TypeNames("XX"), (std::vector<std::string>{"GEOGRAPHIC", "GEOCENTRIC", "TMGRID"}));

    const TPrjTypeRecord* Geographic = Catalogue.FindSpheroid("XX")->PrjTypes.Find("GEOGRAPHIC");
    EXPECT_EQ(Geographic->Refs.Values(), (std::vector<std::int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(Geographic->Systems, &Catalogue.Geographics);
    const TPrjTypeRecord* TransMerc = Catalogue.FindSpheroid("BR")->PrjTypes.Find("TRANSVERSE MERCATOR");
    EXPECT_EQ(TransMerc->Refs.Values(), (std::vector<std::int32_t>{1}));
}

TEST_F(SmallCatalogue, FindsByExactNameWithBuiltInsFirst) {
    ASSERT_TRUE(Load());
    // A projection entry with a built-in name never hides the built-in system.
    EXPECT_EQ(Catalogue.FindSystem("Geographic:(deg)"), Catalogue.Geographics.Item(0));
    EXPECT_EQ(Catalogue.FindSystem("Geocentric:X,Y,Z"), Catalogue.Geocentrics.Item(0));
    EXPECT_EQ(Catalogue.FindSystem("GK3"), Catalogue.TransMercs.Item(1));
    EXPECT_EQ(Catalogue.FindSystem("RDNAP"), Catalogue.Stereos.Item(0));
    EXPECT_EQ(Catalogue.FindSystem("UTM"), Catalogue.TMGrids.Item(0));
    // An entry on an unknown spheroid is reachable by name only.
    EXPECT_EQ(Catalogue.FindSystem("Orphan"), Catalogue.TransMercs.Item(2));
    EXPECT_EQ(Catalogue.FindSystem("gk3"), nullptr);
    EXPECT_EQ(Catalogue.FindSpheroid("we"), nullptr);
    EXPECT_EQ(Catalogue.FindDatum(""), nullptr);
}

TEST_F(SmallCatalogue, ResolvesHeaderTexts) {
    ASSERT_TRUE(Load());
    TCSSelection Selection;
    ASSERT_TRUE(Catalogue.ResolveNames("", "\"DHDN\"", "\"GK3\"", Selection));
    EXPECT_EQ(Selection.Spheroid, Catalogue.FindSpheroid("BR"));
    EXPECT_EQ(Selection.Datum, Catalogue.FindDatum("DHDN"));
    EXPECT_EQ(Selection.System, Catalogue.FindSystem("GK3"));

    TCSSelection Unchanged;
    EXPECT_FALSE(Catalogue.ResolveNames("WE", "DHDN", "NoSuchSystem", Unchanged));
    EXPECT_FALSE(Catalogue.ResolveNames("QQ", "DHDN", "GK3", Unchanged));
    EXPECT_FALSE(Catalogue.ResolveNames("", "NoDatum", "GK3", Unchanged));
    EXPECT_EQ(Unchanged.Spheroid, nullptr);
}

TEST_F(SmallCatalogue, DatumOnUnknownSpheroidStopsLoading) {
    Write("Datums.dat", {"WORLD\tWGS84\tWE\t0\t0\t0\t0\t0\t0\t0\tHub", "X\tBAD\tQQ\t0\t0\t0\t0\t0\t0\t0\tx",
                         "X\tLATER\tBR\t0\t0\t0\t0\t0\t0\t0\tx"});
    EXPECT_FALSE(Load());
    ASSERT_FALSE(Catalogue.Warnings.empty());
    EXPECT_EQ(Catalogue.Warnings.back(), "Spheroid QQ not found in list");
    // Datums after the broken one are not linked and no systems are built.
    EXPECT_EQ(Catalogue.FindSpheroid("BR")->RefCount(), 0);
    EXPECT_EQ(Catalogue.Geographics.Count(), 4); // built in, but not attached
    EXPECT_EQ(Catalogue.FindSpheroid("BR")->PrjTypes.Count(), 0);
}

TEST_F(SmallCatalogue, MissingFilesFailAndKeepWhatLoadedBefore) {
    std::filesystem::remove(Dir.Path("stereo.dat"));
    EXPECT_FALSE(Load());
    EXPECT_EQ(Catalogue.TransMercs.Count(), 3);
    EXPECT_EQ(Catalogue.Stereos.Count(), 0);
    EXPECT_EQ(Catalogue.TMGrids.Count(), 0);

    TCSList NoDatums;
    std::filesystem::remove(Dir.Path("Datums.dat"));
    EXPECT_FALSE(NoDatums.LoadAll(Folder()));
    EXPECT_EQ(NoDatums.Spheroids.Count(), 3);
    EXPECT_EQ(NoDatums.Datums.Count(), 0);

    TCSList NoSpheroids;
    std::filesystem::remove(Dir.Path("Spher.dat"));
    EXPECT_FALSE(NoSpheroids.LoadAll(Folder()));
    EXPECT_EQ(NoSpheroids.Spheroids.Count(), 0);
    EXPECT_FALSE(NoSpheroids.Warnings.empty());
}

TEST_F(SmallCatalogue, GarbageFilesNeverCrash) {
    std::string Garbage(64 * 1024, '\x01');
    for (std::size_t i = 0; i < Garbage.size(); i += 97)
        Garbage[i] = static_cast<char>(i * 31 % 256);
    for (const char* Name : {"Spher.dat", "Datums.dat", "tmgrid.dat", "stereo.dat"})
        WriteText(Dir.Path(Name), Garbage);
    // One 10 MB line without any line end.
    WriteText(Dir.Path("tranmerc.dat"), std::string(10 * 1024 * 1024, 'W'));
    TCSList Broken;
    // The readers are tolerant: garbage lines become entries with default numbers, and the 10 MB line
    // becomes one entry at most. Converting with such entries must stay harmless.
    Broken.LoadAll(Folder());
    EXPECT_LE(Broken.TransMercs.Count(), 1);
    EXPECT_GT(Broken.Spheroids.Count(), 0);
    for (int i = 0; i < Broken.TransMercs.Count(); ++i) {
        double X = 0, Y = 0, Z = 0;
        Broken.TransMercs.Item(i)->GeoToProj(0.5, 0.1, 0, X, Y, Z);
    }
}

TEST_F(SmallCatalogue, EpsgTableLinesWithoutTheLayoutAreNamedAndLeftOut) {
    ASSERT_TRUE(Load());
    EXPECT_TRUE(Catalogue.EpsgCodes.Empty()) << "a folder without epsg.txt offers no codes";

    WriteText(Dir.Path("epsg.txt"), "; comment\n"
                                    "\n"
                                    "datum\tDHDN\t6314\tDeutsches Hauptdreiecksnetz\r\n"
                                    "  geographic   DHDN   4314  \n"
                                    "projected GK3 DHDN 31467 DHDN / 3-degree Gauss-Kruger zone 3\n"
                                    "projected GK3 DHDN\n"
                                    "grid GK3 DHDN 1\n"
                                    "datum RD -6289\n"
                                    "datum RD 0\n"
                                    "datum RD 62x89 Amersfoort\n");
    TCSList WithTable;
    ASSERT_TRUE(WithTable.LoadAll(Folder()));
    EXPECT_EQ(WithTable.Warnings,
              (std::vector<std::string>{
                  "epsg.txt line 6: too few fields",
                  "epsg.txt line 7: unknown kind \"grid\" (datum, geographic or projected)",
                  "epsg.txt line 8: \"-6289\" is not an EPSG code",
                  "epsg.txt line 9: \"0\" is not an EPSG code",
                  "epsg.txt line 10: \"62x89\" is not an EPSG code",
              }));
    const std::vector<TEpsgEntry>& Entries = WithTable.EpsgCodes.Entries();
    ASSERT_EQ(Entries.size(), 3u);
    EXPECT_EQ(Entries[0].Description, "Deutsches Hauptdreiecksnetz");
    EXPECT_EQ(Entries[1].Kind, EEpsgKind::Geographic);
    EXPECT_EQ(Entries[1].Description, "");
    EXPECT_EQ(Entries[2].System, "GK3");
    EXPECT_EQ(Entries[2].Datum, "DHDN");
    EXPECT_EQ(Entries[2].Code, 31467);
    EXPECT_EQ(Entries[2].Description, "DHDN / 3-degree Gauss-Kruger zone 3");
}

TEST_F(SmallCatalogue, EpsgCodesComeFromTheFirstLineOfAKeyAndGoBackByTheFirstLineOfACode) {
    WriteText(Dir.Path("epsg.txt"), "datum DHDN 6314\n"
                                    "datum RD 6289\n"
                                    "datum RD 9999\n"
                                    "geographic DHDN 4314\n"
                                    "geographic WGS84 4326\n"
                                    "projected NoSuch DHDN 31467\n"
                                    "projected GK3 DHDN 31467\n"
                                    "projected RDNAP RD 28992\n"
                                    "projected GK3 RD 28992\n"
                                    "projected GK3 DHDN 5677\n");
    ASSERT_TRUE(Load());
    const auto Select = [this](const char* Spheroid, const char* Datum, const char* System) {
        return TCSSelection{Catalogue.FindSpheroid(Spheroid), Catalogue.FindDatum(Datum),
                            Catalogue.FindSystem(System)};
    };
    const struct {
        TCSSelection Selection;
        int Code; // 0: none
    } Forward[] = {
        {Select("BR", "DHDN", "GK3"), 31467},
        {Select("BR", "RD", "RDNAP"), 28992},
        {Select("BR", "RD", "GK3"), 28992},
        {Select("WE", "DHDN", "GK3"), 0}, // not the datum's spheroid
        {Select("BR", "DHDN", "RDNAP"), 0},
        {Select("BR", "DHDN", "Geographic:(grad)"), 4314}, // every geographic form
        {Select("WE", "WGS84", "Geographic:(decimal degrees)"), 4326},
        {Select("BR", "DHDN", "Geocentric:X,Y,Z"), 0},
        {Select("WE", "WGS84", "UTM"), 0},
        {Select("BR", "DHDN", "NoSuch"), 0},
    };
    for (const auto& Case : Forward)
        EXPECT_EQ(Catalogue.EpsgCodeOf(Case.Selection), Case.Code)
            << Case.Selection.Datum->Name << " "
            << (Case.Selection.System ? Case.Selection.System->Name : "-");

    const struct {
        int Code;
        TCSSelection Selection; // all null: no system has the code
    } Back[] = {
        {31467, Select("BR", "DHDN", "GK3")}, // the line naming an unknown system is passed over
        {5677, Select("BR", "DHDN", "GK3")},
        {28992, Select("BR", "RD", "RDNAP")},
        {4314, Select("BR", "DHDN", "Geographic:(decimal degrees)")},
        {6314, {}}, // a datum's code names no system
        {1, {}},
    };
    for (const auto& Case : Back) {
        TCSSelection Found;
        EXPECT_EQ(Catalogue.ResolveEpsgCode(Case.Code, Found), Case.Selection.System != nullptr) << Case.Code;
        EXPECT_EQ(Found.Spheroid, Case.Selection.Spheroid) << Case.Code;
        EXPECT_EQ(Found.Datum, Case.Selection.Datum) << Case.Code;
        EXPECT_EQ(Found.System, Case.Selection.System) << Case.Code;
    }
    EXPECT_EQ(Catalogue.EpsgCodes.DatumCode("RD"), 6289);
    EXPECT_EQ(Catalogue.EpsgCodes.DatumOfCode(9999)->Datum, "RD");
    EXPECT_EQ(Catalogue.EpsgCodes.DatumOfCode(4314), nullptr);
}

// The catalogue built into the binary folder.
class ShippedCatalogue : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Catalogue = new TCSList;
        Loaded = Catalogue->LoadAll(std::string(VORTANE_BINARY_DIR) + "/bin/");
    }
    static void TearDownTestSuite() { delete Catalogue; }
    static TCSList* Catalogue;
    static bool Loaded;
};
TCSList* ShippedCatalogue::Catalogue = nullptr;
bool ShippedCatalogue::Loaded = false;

TEST_F(ShippedCatalogue, LoadsWithoutWarningAndLinksEveryDatum) {
    ASSERT_TRUE(Loaded);
    EXPECT_TRUE(Catalogue->Warnings.empty()) << Catalogue->Warnings.front();
    ASSERT_NE(Catalogue->FindSpheroid("WE"), nullptr);
    for (int i = 0; i < Catalogue->Datums.Count(); ++i) {
        const TDatumRecord* Datum = Catalogue->Datums.Item(i);
        const TSpheroid* Spheroid = Catalogue->FindSpheroid(Datum->SpheroidCode);
        ASSERT_NE(Spheroid, nullptr) << Datum->Name;
        EXPECT_TRUE(Spheroid->Refs.Contains(i)) << Datum->Name;
    }
}

// Every projection entry sits on a known spheroid and carries its own origin there and back.
TEST_F(ShippedCatalogue, EverySystemRoundTripsNearItsOrigin) {
    ASSERT_TRUE(Loaded);
    int Checked = 0;
    auto CheckList = [&](const TCodeList& List, auto OriginOf) {
        for (int k = 0; k < List.Count(); ++k) {
            auto* System = static_cast<TProjection*>(List.Item(k));
            const std::string Code = OriginOf(*System).first;
            const TSpheroid* Spheroid = Catalogue->FindSpheroid(Code);
            ASSERT_TRUE(Code == "*" || Spheroid) << System->Name << " names spheroid " << Code;
            System->SetSpheroid(Spheroid ? *Spheroid : *Catalogue->FindSpheroid("WE"));
            const auto [Lat0, Lon0] = OriginOf(*System).second;
            const double Lat = Lat0 + 0.001, Lon = Lon0 + 0.001;
            double X = 0, Y = 0, Z = 0, Lat2 = 0, Lon2 = 0, H2 = 0;
            System->GeoToProj(Lat, Lon, 0, X, Y, Z);
            System->ProjToGeo(X, Y, Z, Lat2, Lon2, H2);
            EXPECT_NEAR(Lat2, Lat, 1e-9) << System->Name;
            EXPECT_NEAR(std::remainder(Lon2 - Lon, 2 * M_PI), 0.0, 1e-9) << System->Name;
            ++Checked;
        }
    };
    auto SeriesOrigin = [](const TProjection& P) {
        const auto& S = static_cast<const TSeriesProjection&>(P);
        return std::pair{S.SpheroidCode, std::pair{S.OriginLatitude, S.CentralMeridian}};
    };
    auto TransMercOrigin = [](const TProjection& P) {
        const auto& T = static_cast<const TTransMerc&>(P);
        return std::pair{T.SpheroidCode, std::pair{T.OriginLatitude, T.CentralMeridian}};
    };
    CheckList(Catalogue->Lambert1s, SeriesOrigin);
    CheckList(Catalogue->Stereos, SeriesOrigin);
    CheckList(Catalogue->TransMercs, TransMercOrigin);
    CheckList(Catalogue->Lambert2s, [](const TProjection& P) {
        const auto& L = static_cast<const TLambert2&>(P);
        // The false origin may lie at a pole; the standard parallels always lie inside the area of use.
        return std::pair{L.SpheroidCode, std::pair{(L.StdParallel1 + L.StdParallel2) / 2, L.CentralMeridian}};
    });
    CheckList(Catalogue->LambErens, [](const TProjection& P) {
        const auto& L = static_cast<const TLambEren&>(P);
        return std::pair{L.SpheroidCode, std::pair{L.StartLatitude, L.CentralMeridian}};
    });
    EXPECT_GT(Checked, 120);
}

} // namespace
} // namespace vortane
