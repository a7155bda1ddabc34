// Transverse Mercator zone grid: zone numbers and meridians, eastings against PROJ's UTM zones, round
// trips, replaced out-of-range grid coordinates, the catalogue record and texts. Loading the list goes
// through the same record reader as the transverse Mercator list, tested there.

#include "crs/system_in_units.hpp"
#include "projections/lambert2.hpp"
#include "projections/tm_grid.hpp"

#include "projection_test_support.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace vortane {
namespace {

constexpr double MetreTolerance = 0.002;
constexpr double RoundTripTolerance = 1e-9; // rad
constexpr const char* UtmRecord = "UTM,0,500000,0.9996,6:0:0,177:0:0W";

TTMGrid MakeGrid(const std::string& Record, const TTestSpheroid& Spheroid = Wgs84) {
    TTMGrid Grid(Record);
    UseSpheroid(Grid, Spheroid);
    return Grid;
}

TEST(TMGrid, EastingsAreUtmZonePlusZoneMillions) {
    double WorstMetres = 0.0, WorstRoundTrip = 0.0;
    for (const TTestSpheroid& S : {Wgs84, Hayford}) {
        TTMGrid Grid = MakeGrid(UtmRecord, S);
        for (const int Zone : {1, 17, 31, 32, 60}) {
            char Definition[200];
            std::snprintf(Definition, sizeof Definition, "+proj=utm +zone=%d +a=%.17g +rf=%.17g", Zone, S.A,
                          S.InvF);
            const TProjOracle Proj(Definition);
            ASSERT_TRUE(Proj.Valid());
            const double Meridian = -183.0 + 6.0 * Zone;
            for (double Lat = -80; Lat <= 84; Lat += 8) {
                for (double DLon = -2.9; DLon <= 2.95; DLon += 0.58) {
                    SCOPED_TRACE(testing::Message() << Zone << " " << Lat << " " << DLon);
                    const double Lon = NormLon((Meridian + DLon) * Degree);
                    double X, Y, Z, E, N, BackLat, BackLon, H;
                    Grid.GeoToProj(Lat * Degree, Lon, 7.0, X, Y, Z);
                    Proj.Forward(Lat * Degree, Lon, E, N);
                    EXPECT_NEAR(X, Zone * 1e6 + E, MetreTolerance);
                    EXPECT_NEAR(Y, N, MetreTolerance);
                    EXPECT_EQ(Z, 7.0);
                    WorstMetres = std::max({WorstMetres, std::fabs(X - Zone * 1e6 - E), std::fabs(Y - N)});

                    Grid.ProjToGeo(X, Y, Z, BackLat, BackLon, H);
                    EXPECT_NEAR(BackLat, Lat * Degree, RoundTripTolerance);
                    EXPECT_NEAR(NormLon(BackLon - Lon), 0.0, RoundTripTolerance);
                    EXPECT_NEAR(NormLon(Grid.ZoneMeridianFromEasting(X) - Meridian * Degree), 0.0, 1e-12);
                    WorstRoundTrip = std::max({WorstRoundTrip, std::fabs(BackLat - Lat * Degree),
                                               std::fabs(NormLon(BackLon - Lon))});
                }
            }
        }
    }
    std::printf("tmgrid vs PROJ utm: %.3g m; round trip %.3g rad\n", WorstMetres, WorstRoundTrip);
}

// Zone 1 runs from its meridian - w/2 (inclusive) to + w/2 (exclusive); every form of a longitude, also
// [0, 360) after a datum shift and beyond a full turn, lands in the same zone.
TEST(TMGrid, ZoneAndMeridianOfALongitude) {
    struct TCase {
        const char* Origin;
        double Lon;
        int Zone;
        double Meridian;
    } const Cases[] = {
        {"177:0:0W", 10, 32, 9},
        {"177:0:0W", -177, 1, -177},
        {"177:0:0W", 183, 1, -177},
        {"177:0:0W", -180, 1, -177},
        {"177:0:0W", 180 - 1e-7, 60, 177},
        {"177:0:0W", 359, 30, -3},
        {"177:0:0W", -1, 30, -3},
        {"177:0:0W", -200, 57, 159},
        {"177:0:0W", 160, 57, 159},
        {"3:0:0E", 3, 1, 3},
        {"3:0:0E", 0, 1, 3},
        {"3:0:0E", -0.5, 60, -3},
        {"0:0:0", 358, 1, 0},
        {"0:0:0", -3, 1, 0},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(testing::Message() << C.Origin << " " << C.Lon);
        const TTMGrid Grid(std::string("G,0,500000,0.9996,6:0:0,") + C.Origin);
        EXPECT_EQ(Grid.ZoneOf(C.Lon * Degree), C.Zone);
        EXPECT_NEAR(NormLon(Grid.ZoneMeridian(C.Lon * Degree) - C.Meridian * Degree), 0.0, 1e-12);
        EXPECT_NEAR(NormLon(Grid.ZoneMeridianFromEasting(C.Zone * 1e6 + 123456.0) - C.Meridian * Degree), 0.0,
                    1e-12);
    }
}

TEST(TMGrid, ZoneMeridianGivesTheFalseEastingExactly) {
    TTMGrid Grid = MakeGrid("G,100,500000,0.9996,6:0:0,3:0:0E");
    double X, Y, Z;
    Grid.GeoToProj(0.0, 3 * Degree, 0.0, X, Y, Z);
    EXPECT_EQ(X, 1'500'000.0);
    EXPECT_EQ(Y, 100.0);
}

// Eastings without a zone and northings beyond 10 000 km are replaced: zone 1 meridian, the equator.
TEST(TMGrid, OutOfRangeGridCoordinatesAreReplaced) {
    struct TCase {
        double Easting, Northing, Lat, Lon;
    } const Cases[] = {
        {500000, 0, 0, -177},
        {999999.9, 0, 0, -177},
        {61'500'000, 0, 0, -177},
        {33'500'000, 12'000'000, 0, 15},
        {33'500'000, -10'000'001, 0, 15},
        {-4e9, 2e7, 0, -177},
    };
    TTMGrid Grid = MakeGrid(UtmRecord);
    for (const auto& C : Cases) {
        SCOPED_TRACE(testing::Message() << C.Easting << " " << C.Northing);
        double Lat, Lon, H;
        Grid.ProjToGeo(C.Easting, C.Northing, 3.0, Lat, Lon, H);
        EXPECT_NEAR(Lat, C.Lat * Degree, 1e-12);
        EXPECT_NEAR(NormLon(Lon - C.Lon * Degree), 0.0, 1e-12);
        EXPECT_EQ(H, 3.0);
    }
}

// A width that gives no zone is an arithmetic fault: zeros, the height still passed on.
TEST(TMGrid, ZoneWidthWithoutZonesGivesZeros) {
    for (const char* Record :
         {"G,0,500000,0.9996,abc,3:0:0", "G,0,500000,0.9996", "G,0,500000,0.9996,-6:0:0,3:0:0"}) {
        TTMGrid Grid = MakeGrid(Record);
        double X, Y, Z;
        Grid.GeoToProj(45 * Degree, 10 * Degree, 12.0, X, Y, Z);
        EXPECT_EQ(X, 0.0) << Record;
        EXPECT_EQ(Y, 0.0) << Record;
        EXPECT_EQ(Z, 12.0) << Record;
        EXPECT_EQ(Grid.ZoneOf(10 * Degree), 0) << Record;
    }
    TTMGrid Grid = MakeGrid(UtmRecord);
    double X, Y, Z;
    Grid.GeoToProj(std::nan(""), 10 * Degree, 1.0, X, Y, Z);
    EXPECT_TRUE(std::isnan(X) && std::isnan(Y));
}

// Converting back with GeoToProjNear names a position in the zone it was given in, even past that
// zone's edge; an easting without a zone has no such form.
TEST(TMGrid, ConvertsBackIntoTheZoneAPositionWasGivenIn) {
    constexpr double SeriesRoundTrip = 0.05; // metres, 400 km from the meridian
    const TTMGrid Grid = MakeGrid(UtmRecord);
    const struct {
        double Easting;
        bool HasZone;
    } Cases[] = {
        {34'650'000, true}, // inside zone 34
        {34'900'000, true}, // 400 km east of its meridian: in zone 35's area
        {35'100'000, true}, // 400 km west: in zone 34's area
        {500'000, false},   // no zone: read as zone 1
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Easting);
        double Lat, Lon, H, X, Y, Z;
        Grid.ProjToGeo(Case.Easting, 5'500'000, 0.0, Lat, Lon, H);
        Grid.GeoToProjNear(Lat, Lon, H, Case.Easting, 5'500'000, X, Y, Z);
        EXPECT_EQ(std::fabs(X - Case.Easting) < SeriesRoundTrip, Case.HasZone) << X;
        if (Case.HasZone) {
            EXPECT_NEAR(Y, 5'500'000, SeriesRoundTrip);
        }
        Grid.GeoToProj(Lat, Lon, H, X, Y, Z); // in the position's own zone
        EXPECT_EQ(std::floor(X / 1e6), Grid.ZoneOf(Lon));
    }
}

// A datum shift hands the latitude's sine and cosine on to the next system; every system must give the
// same coordinates with them as without (the zone grid picks its zone as before, a system that does not
// use them ignores them), in every unit.
TEST(TMGrid, TheLatitudesSineAndCosineGiveTheSameCoordinates) {
    TTMGrid Grid = MakeGrid(UtmRecord);
    TTransMerc Metres("WE,U,0,500000,0.9996,0.15707963267948966,0");
    UseSpheroid(Metres, Wgs84);
    const TSystemInUnits Feet(Metres.Clone(), 0.3048006096012192);
    TLambert2 Conic("WEXYZ,N,0,0,0,0,1,-0.1,0.7,0.8,0.75");
    UseSpheroid(Conic, Wgs84);
    for (const TProjection* System : std::initializer_list<const TProjection*>{&Grid, &Feet, &Conic}) {
        for (double Lat = -80; Lat <= 84; Lat += 11) {
            for (double Lon = -179; Lon < 180; Lon += 23) {
                const double Phi = Lat * Degree, Lambda = Lon * Degree;
                double Plain[3], WithTrig[3];
                System->GeoToProj(Phi, Lambda, 7.0, Plain[0], Plain[1], Plain[2]);
                System->GeoToProjWithTrig(Phi, {std::sin(Phi), std::cos(Phi)}, Lambda, 7.0, WithTrig[0],
                                          WithTrig[1], WithTrig[2]);
                SCOPED_TRACE(System->Name + " lat " + std::to_string(Lat) + " lon " + std::to_string(Lon));
                for (int i = 0; i < 3; ++i)
                    EXPECT_TRUE(Plain[i] == WithTrig[i] || (std::isnan(Plain[i]) && std::isnan(WithTrig[i])))
                        << i << ": " << Plain[i] << " and " << WithTrig[i];
            }
        }
    }
}

TEST(TMGrid, ReadsItsRecordAndWritesItsTexts) {
    const TTMGrid Grid("Grid 6 ,,100,500000,0.9996,6:0:0,177:0:0W,extra");
    EXPECT_EQ(Grid.Name, "Grid 6");
    EXPECT_EQ(Grid.SpheroidCode, "*");
    EXPECT_EQ(Grid.FalseNorthing, 100.0);
    EXPECT_EQ(Grid.FalseEasting, 500000.0);
    EXPECT_EQ(Grid.ScaleFactor, 0.9996);
    EXPECT_DOUBLE_EQ(Grid.ZoneWidth, 6 * Degree);
    EXPECT_DOUBLE_EQ(Grid.ZoneOrigin, 2 * Pi - 177 * Degree);
    EXPECT_EQ(Grid.OriginLatitude, 0.0);
    EXPECT_TRUE(Grid.Ready);
    EXPECT_EQ(Grid.GetParamText(), "100.000 500000.000 Scale0.9996 zone_width=6:0:0.000 Origin=183:0:0.000");

    const TTMGrid Bare("Bare");
    EXPECT_EQ(Bare.ScaleFactor, 1.0);
    EXPECT_EQ(Bare.GetParamText(), "0.000 0.000 Scale1.0000 zone_width=0:0:0.000 Origin=0:0:0.000");
}

} // namespace
} // namespace vortane
