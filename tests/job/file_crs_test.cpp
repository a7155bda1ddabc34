// The coordinate system of an image's file, found in the shipped catalogue: GeoTIFF codes of the EPSG
// table, user-defined GeoTIFF keys (written here as GDAL 3.6 writes them for PROJ strings) matched by
// their values, header names in any letter case, and when a system given for the input contradicts the
// file's.

#include "job/file_crs.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>
#include <vector>

namespace vortane {
namespace {

class FileCrs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Catalogue = new TCSList;
        ASSERT_TRUE(Catalogue->LoadAll(std::string(VORTANE_BINARY_DIR) + "/bin/"));
        ASSERT_FALSE(Catalogue->EpsgCodes.Empty());
    }
    static void TearDownTestSuite() {
        delete Catalogue;
        Catalogue = nullptr;
    }

    static TFileCrs Resolve(TGeoKeySet Keys, const std::string& Spheroid = "UNKNOWN",
                            const std::string& Datum = "UNKNOWN", const std::string& Projection = "UNKNOWN") {
        TInputDescription Input;
        Input.GeoKeys = std::move(Keys);
        Input.Spheroid = Spheroid;
        Input.Datum = Datum;
        Input.Projection = Projection;
        return ResolveFileCrs(*Catalogue, Input);
    }
    static std::string Names(const TFileCrs& Found) {
        const TCSSelection& S = Found.Selection;
        return S.System ? S.Spheroid->Name + " " + S.Datum->Name + " " + S.System->Name : "none";
    }
    static TCSSelection Named(const std::string& Spheroid, const std::string& Datum,
                              const std::string& System) {
        TCSSelection Selection;
        EXPECT_TRUE(Catalogue->ResolveNames(Spheroid, Datum, System, Selection)) << System;
        return Selection;
    }

    static TCSList* Catalogue;
};
TCSList* FileCrs::Catalogue = nullptr;

TGeoKey Short(std::uint16_t Id, std::uint16_t Value) {
    return {Id, {Value}, {}, {}};
}
TGeoKey Doubles(std::uint16_t Id, std::vector<double> Values) {
    return {Id, {}, std::move(Values), {}};
}
// Keys with Changes in place of the keys of the same ids, or added.
TGeoKeySet With(TGeoKeySet Keys, const std::vector<TGeoKey>& Changes) {
    for (const TGeoKey& Change : Changes) {
        const auto Same = std::ranges::find(Keys.Keys, Change.Id, &TGeoKey::Id);
        if (Same != Keys.Keys.end())
            *Same = Change;
        else
            Keys.Keys.push_back(Change);
    }
    return Keys;
}

TEST_F(FileCrs, EveryCodeOfTheTableNamesItsFirstLine) {
    for (const TEpsgEntry& Entry : Catalogue->EpsgCodes.Entries()) {
        if (Entry.Kind == EEpsgKind::Datum) continue;
        const bool Geographic = Entry.Kind == EEpsgKind::Geographic;
        const TGeoKeySet Keys{{Short(gkModelType, Geographic ? gvModelGeographic : gvModelProjected),
                               Short(Geographic ? gkGeographicType : gkProjectedCSType,
                                     static_cast<std::uint16_t>(Entry.Code))}};
        const TFileCrs Found = Resolve(Keys);
        SCOPED_TRACE("EPSG:" + std::to_string(Entry.Code));
        ASSERT_TRUE(Found.Found()) << Found.Problem;
        const TEpsgEntry& First = *Catalogue->EpsgCodes.SystemsOfCode(Entry.Code).front();
        EXPECT_EQ(Found.Selection.Datum->Name, First.Datum);
        EXPECT_EQ(Found.Selection.System->Name, Geographic ? "Geographic:(decimal degrees)" : First.System);
        EXPECT_EQ(Found.EpsgCode, Entry.Code);
        EXPECT_EQ(Found.Source, "GeoTIFF EPSG code");
    }
}

TEST_F(FileCrs, UserDefinedKeysAreMatchedByTheirValues) {
    // The geographic part GDAL writes for an ellipsoid without a named datum.
    const auto Geodetic = [](double A, double InvF, std::vector<double> ToWgs84 = {}) {
        std::vector<TGeoKey> Keys = {Short(gkGeographicType, gvUserDefined),
                                     Short(gkGeogGeodeticDatum, gvUserDefined),
                                     Doubles(gkGeogSemiMajorAxis, {A}), Doubles(gkGeogInvFlattening, {InvF})};
        if (!ToWgs84.empty()) Keys.push_back(Doubles(gkGeogTOWGS84, ToWgs84));
        return Keys;
    };
    const auto Projected = [](std::vector<TGeoKey> Geographic, std::vector<TGeoKey> Projection) {
        TGeoKeySet Set{{Short(gkModelType, gvModelProjected), Short(gkProjectedCSType, gvUserDefined)}};
        Set.Keys.insert(Set.Keys.end(), Geographic.begin(), Geographic.end());
        Set.Keys.insert(Set.Keys.end(), Projection.begin(), Projection.end());
        return Set;
    };
    const auto Origin = [](std::uint16_t Method, double Lon, double Lat, double K, double E, double N) {
        return std::vector<TGeoKey>{Short(gkProjCoordTrans, Method),    Doubles(gkProjNatOriginLong, {Lon}),
                                    Doubles(gkProjNatOriginLat, {Lat}), Doubles(gkProjScaleAtNatOrigin, {K}),
                                    Doubles(gkProjFalseEasting, {E}),   Doubles(gkProjFalseNorthing, {N})};
    };
    const std::vector<TGeoKey> Wgs84 = Geodetic(6378137, 298.257223563);
    const std::vector<TGeoKey> Grs80 = Geodetic(6378137, 298.257222101, {0, 0, 0, 0, 0, 0, 0});
    const std::vector<TGeoKey> Lambert93 = {Short(gkProjCoordTrans, gvCTLambertConfConic2SP),
                                            Doubles(gkProjStdParallel1, {49}),
                                            Doubles(gkProjStdParallel2, {44}),
                                            Doubles(gkProjFalseOriginLong, {3}),
                                            Doubles(gkProjFalseOriginLat, {46.5}),
                                            Doubles(gkProjFalseOriginEasting, {700000}),
                                            Doubles(gkProjFalseOriginNorthing, {6600000})};
    TGeoKeySet Radians = Projected(Grs80, Lambert93);
    Radians.Keys.push_back(Short(gkGeogAngularUnits, gvAngularRadian));
    for (TGeoKey& Key : Radians.Keys)
        if (Key.Id >= gkProjStdParallel1 && Key.Id <= gkProjFalseOriginLat)
            Key.Doubles[0] *= std::numbers::pi / 180;
    TGeoKeySet WithGeographicCode =
        Projected({Short(gkGeographicType, 4326)}, Origin(gvCTTransverseMercator, 21, 0, 0.9996, 500000, 0));
    TGeoKeySet WithDatumCode =
        Projected({Short(gkGeogGeodeticDatum, 6179), Doubles(gkGeogSemiMajorAxis, {6378245})},
                  Origin(gvCTObliqueStereographic, 25, 46, 0.99975, 500000, 500000));
    TGeoKeySet Geographic{{Short(gkModelType, gvModelGeographic)}};
    for (const TGeoKey& Key : Grs80)
        Geographic.Keys.push_back(Key);

    struct TCase {
        const char* Name;
        TGeoKeySet Keys;
        const char* Expected; // spheroid, datum, system
        int Code;
    };
    const std::vector<TCase> Cases = {
        {"UTM zone by its conversion code", Projected(Wgs84, {Short(gkProjection, 16034)}), "WE WGS84 NUTM34",
         32634},
        {"southern UTM zone", Projected(Wgs84, {Short(gkProjection, 16133)}), "WE WGS84 SUTM33", 32733},
        {"Lambert conic, two parallels", Projected(Grs80, Lambert93), "RF ETRS89 LAMBERT93", 2154},
        {"angles in radians", Radians, "RF ETRS89 LAMBERT93", 2154},
        {"Lambert conic, one parallel, three-parameter shift",
         Projected(Geodetic(6378249.2, 293.466021, {-168, -60, 320}),
                   Origin(gvCTLambertConfConic1SP, 2.33722916666667, 49.5, 0.999877341, 600000, 1200000)),
         "CF NTF NTF_LAMBERT_I", 27571},
        {"oblique stereographic, seven-parameter shift",
         Projected(
             Geodetic(6377397.155, 299.1528128,
                      {565.2369, 50.0087, 465.658, -0.406857, 0.350733, -1.87035, 4.0812}),
             Origin(gvCTObliqueStereographic, 5.38763888888889, 52.1561605555556, 0.9999079, 155000, 463000)),
         "BR Amersfoort RD_NEW", 28992},
        {"transverse Mercator on Airy",
         Projected(
             Geodetic(6377563.396, 299.3249646, {446.448, -125.157, 542.06, 0.15, 0.247, 0.842, -20.489}),
             Origin(gvCTTransverseMercator, -2, 49, 0.9996012717, 400000, -100000)),
         "AA OSGB36 BNG", 27700},
        {"datum by its geographic code", WithGeographicCode, "WE WGS84 NUTM34", 32634},
        {"datum by its code", WithDatumCode, "KA Pulkovo1942(58) STEREO70", 3844},
        {"geographic", Geographic, "RF ETRS89 Geographic:(decimal degrees)", 4258},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const TFileCrs Found = Resolve(Case.Keys);
        EXPECT_EQ(Names(Found), Case.Expected) << Found.Problem;
        EXPECT_EQ(Found.EpsgCode, Case.Code);
        EXPECT_EQ(Found.Source, "GeoTIFF parameters");
    }
}

TEST_F(FileCrs, UserDefinedKeysOutsideTheCatalogueAreNotMatchedAndSayWhy) {
    const TGeoKeySet Utm34{{Short(gkModelType, gvModelProjected), Short(gkProjectedCSType, gvUserDefined),
                            Short(gkGeographicType, 4326), Short(gkProjCoordTrans, gvCTTransverseMercator),
                            Doubles(gkProjNatOriginLong, {21}), Doubles(gkProjScaleAtNatOrigin, {0.9996}),
                            Doubles(gkProjFalseEasting, {500000})}};
    ASSERT_TRUE(Resolve(Utm34).Found()) << "the keys the cases below change";
    const TGeoKeySet Bessel{{Short(gkModelType, gvModelProjected), Short(gkProjection, 16034),
                             Doubles(gkGeogSemiMajorAxis, {6377397.155}),
                             Doubles(gkGeogInvFlattening, {299.1528128})}};
    const TGeoKeySet OtherShift = With(Bessel, {Doubles(gkGeogTOWGS84, {565.2369, 50.0087, 465.658})});
    struct TCase {
        const char* Name;
        TGeoKeySet Keys;
        const char* Reason;
    };
    const std::vector<TCase> Cases = {
        {"a central meridian 1e-5 degrees off", With(Utm34, {Doubles(gkProjNatOriginLong, {21.00001})}),
         "projection parameters"},
        {"a method no catalogue system uses", With(Utm34, {Short(gkProjCoordTrans, 11)}), "method 11"},
        {"feet", With(Utm34, {Short(gkProjLinearUnits, gvLinearUSSurveyFoot)}), "unit 9003"},
        {"an ellipsoid without a shift", Bessel, "no shift"},
        {"a shift of no catalogue datum", OtherShift, "TOWGS84"},
        {"a code the table lacks",
         TGeoKeySet{{Short(gkModelType, gvModelProjected), Short(gkProjectedCSType, 3857)}}, "EPSG:3857"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const TFileCrs Found = Resolve(Case.Keys);
        EXPECT_FALSE(Found.Found()) << Names(Found);
        EXPECT_NE(Found.Problem.find(Case.Reason), std::string::npos) << Found.Problem;
    }
}

TEST_F(FileCrs, HeaderNamesAreTheCataloguesInAnyCase) {
    struct TCase {
        const char* Name;
        TGeoKeySet Keys;
        const char *Spheroid, *Datum, *Projection;
        const char* Expected;
        int Code;
    };
    const std::vector<TCase> Cases = {
        {"ER Mapper names, no spheroid", {}, "", "WGS84", "NUTM34", "WE WGS84 NUTM34", 32634},
        {"read upper-cased", {}, "", "PULKOVO1942(58)", "STEREO70", "KA Pulkovo1942(58) STEREO70", 3844},
        {"geographic form", {}, "", "WGS84", "GEOGRAPHIC:(DEG)", "WE WGS84 Geographic:(deg)", 4326},
        {"a system the table has no code for", {}, "WE", "WGS84", "UTM_North", "WE WGS84 UTM_North", 0},
        {"older images: a deprecated code the names still give",
         TGeoKeySet{{Short(gkModelType, gvModelProjected), Short(gkProjectedCSType, 28403)}}, "KA",
         "Pulkovo1942", "TMGKN03", "KA Pulkovo1942 TMGKN03", 0},
        {"codes come before names",
         TGeoKeySet{{Short(gkModelType, gvModelProjected), Short(gkProjectedCSType, 27700)}}, "WE", "WGS84",
         "NUTM34", "AA OSGB36 BNG", 27700},
        {"raw coordinates", {}, "RAW", "RAW", "RAW", "none", 0},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const TFileCrs Found = Resolve(Case.Keys, Case.Spheroid, Case.Datum, Case.Projection);
        EXPECT_EQ(Names(Found), Case.Expected) << Found.Problem;
        EXPECT_EQ(Found.EpsgCode, Case.Code);
        EXPECT_EQ(Found.Problem.empty(), Found.Found()) << Found.Problem;
    }
}

TEST_F(FileCrs, AGivenSystemContradictsTheFilesOnlyWhereThePositionsDiffer) {
    TFileCrs Utm34;
    Utm34.Selection = Named("WE", "WGS84", "NUTM34");
    TFileCrs Sweref;
    Sweref.Selection = Named("RF", "ETRS89", "SWEREF99_TM");
    TFileCrs Geographic;
    Geographic.Selection = Named("WE", "WGS84", "Geographic:(decimal degrees)");
    const TFileCrs NoSystem;
    struct TCase {
        const char* Name;
        TCSSelection Given;
        const TFileCrs& File;
        bool Contradicts;
    };
    const std::vector<TCase> Cases = {
        {"the same", Named("WE", "WGS84", "NUTM34"), Utm34, false},
        {"another zone", Named("WE", "WGS84", "NUTM35"), Utm34, true},
        {"another datum", Named("IN", "ED50", "NUTM34"), Utm34, true},
        {"another spheroid", Named("RF", "WGS84", "NUTM34"), Utm34, true},
        {"another entry of the same parameters", Named("RF", "ETRS89", "ETRS89_UTM33"), Sweref, false},
        {"another geographic form", Named("WE", "WGS84", "Geographic:(deg)"), Geographic, false},
        {"a file naming no system", Named("WE", "WGS84", "NUTM35"), NoSystem, false},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(ContradictsFile(Case.Given, Case.File), Case.Contradicts) << Case.Name;
}

} // namespace
} // namespace vortane
