// The seven-parameter shift and the datum change through the hub, checked against PROJ with
// published EPSG parameter sets.
//
// Tolerances: the shift's own formula differs from PROJ's (1 + s) R X by s (R - I) X, at most 0.4 mm
// here, and the geocentric-to-geodetic step takes a single refinement, which costs about 0.014 mm
// of latitude and 0.03 mm of height per metre of height. A shift from height 0 on the source datum
// ends some 30 to 80 m above the target ellipsoid, so positions agree within 1 mm on the ground and
// heights within 2 mm.

#include "crs/angles.hpp"
#include "crs/datum_proj_oracle.hpp"
#include "crs/datum_shift.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace vortane {
namespace {

using namespace vortane::test;

constexpr double Deg = Pi / 180.0;
constexpr double ArcSecond = Deg / 3600.0;
constexpr double GroundTolerance = 1e-3; // metres, north and east
constexpr double HeightTolerance = 2e-3; // metres
constexpr double RoundingAngle = 1e-14;  // radians, a few ulps
constexpr double RoundingLength = 1e-8;  // metres, a few ulps of an earth radius

struct TEllipsoid {
    const char* Code;
    double A, InverseF;
    TSpheroid Spheroid() const {
        char Line[96];
        std::snprintf(Line, sizeof Line, "%s\t%.17g\t%.17g", Code, A, InverseF);
        return TSpheroid(Line);
    }
};
const TEllipsoid Wgs84{"WE", 6378137.0, 298.2572235637};
const TEllipsoid Grs80{"RF", 6378137.0, 298.257222101};
const TEllipsoid Airy{"AA", 6377563.396, 299.3249646};
const TEllipsoid Bessel{"BR", 6377397.155, 299.1528128};
const TEllipsoid International{"IN", 6378388.0, 297.0};

// Position-vector parameters as EPSG publishes them: metres, arc-seconds, parts per million.
struct TParameters {
    double DX, DY, DZ, RX, RY, RZ, Ppm;
};

struct TPlace {
    const char* Name;
    double Lat, Lon; // degrees
};

struct TDatumCase {
    const char* Name;
    TEllipsoid Source, Target;
    TParameters P;
    std::vector<TPlace> Places; // within the area of use
};

const std::vector<TDatumCase>& DatumCases() {
    static const std::vector<TDatumCase> Cases{
        // EPSG:1314 OSGB36 to WGS 84 (1), position vector.
        {"OSGB36",
         Airy,
         Wgs84,
         {446.448, -125.157, 542.06, 0.15, 0.247, 0.842, -20.489},
         {{"London", 51.5074, -0.1278},
          {"Edinburgh", 55.9533, -3.1883},
          {"Land's End", 50.066, -5.715},
          {"Lerwick", 60.155, -1.145},
          {"Stornoway", 58.209, -6.387}}},
        // EPSG:1777 DHDN to WGS 84 (2), position vector.
        {"DHDN",
         Bessel,
         Wgs84,
         {598.1, 73.7, 418.2, 0.202, 0.045, -2.455, 6.7},
         {{"Hamburg", 53.5511, 9.9937},
          {"Munich", 48.1351, 11.582},
          {"Cologne", 50.9375, 6.9603},
          {"Freiburg", 47.999, 7.842}}},
        // EPSG:15739 Amersfoort to ETRS89 (3), coordinate frame rotations 1.9725, -1.7004, 9.0677
        // microradians (0.406857, -0.350733, 1.870347 arc-seconds), signs reversed for position vector.
        {"Amersfoort",
         Bessel,
         Grs80,
         {565.2369, 50.0087, 465.658, -0.406857330322398, 0.350732676542563, -1.87034738367967, 4.0812},
         {{"Amsterdam", 52.3676, 4.9041}, {"Groningen", 53.2194, 6.5665}, {"Maastricht", 50.8514, 5.691}}},
        // EPSG:1311 ED50 to WGS 84 (18), UK offshore, position vector.
        {"ED50",
         International,
         Wgs84,
         {-89.5, -93.8, -123.1, 0.0, 0.0, -0.156, 1.2},
         {{"North Sea", 56.0, 2.5}, {"Moray Firth", 58.0, -2.5}, {"Irish Sea", 53.8, -4.5}}},
    };
    return Cases;
}

std::string HelmertStep(const TParameters& P, double Sign) {
    char Buffer[256];
    std::snprintf(Buffer, sizeof Buffer,
                  "+step +proj=helmert +x=%.17g +y=%.17g +z=%.17g +rx=%.17g +ry=%.17g +rz=%.17g +s=%.17g "
                  "+convention=position_vector",
                  Sign * P.DX, Sign * P.DY, Sign * P.DZ, Sign * P.RX, Sign * P.RY, Sign * P.RZ, Sign * P.Ppm);
    return Buffer;
}

std::string EllipsoidOf(const TEllipsoid& E) {
    const TSpheroid S = E.Spheroid();
    return EllipsoidParams(S.A, 1.0 / S.F);
}

// A datum record for P: the line carries radians and a plain scale difference.
std::unique_ptr<TDatumRecord> DatumOf(const TDatumCase& C) {
    char Line[512];
    std::snprintf(Line, sizeof Line, "EUROPE\t%s\t%s\t%.17g\t%.17g\t%.17g\t%.17g\t%.17g\t%.17g\t%.17g\tEPSG",
                  C.Name, C.Source.Code, C.P.DX, C.P.DY, C.P.DZ, C.P.RX * ArcSecond, C.P.RY * ArcSecond,
                  C.P.RZ * ArcSecond, C.P.Ppm * 1e-6);
    return std::make_unique<TDatumRecord>(Line);
}

void ExpectSamePosition(double Lat, double Lon, double H, double RefLat, double RefLon, double RefH) {
    const TGroundDifference D = GroundDifference(Lat, Lon, H, RefLat, RefLon, RefH);
    EXPECT_NEAR(D.North, 0.0, GroundTolerance);
    EXPECT_NEAR(D.East, 0.0, GroundTolerance);
    EXPECT_NEAR(D.Up, 0.0, HeightTolerance);
}

TEST(HelmertShift, AgreesWithPROJOnPublishedParameterSets) {
    for (const TDatumCase& C : DatumCases()) {
        const TProjOracle Proj(
            CartesianPipeline(EllipsoidOf(C.Source), HelmertStep(C.P, 1.0), EllipsoidOf(C.Target)));
        ASSERT_TRUE(Proj.Valid()) << C.Name;
        const TSpheroid Source = C.Source.Spheroid();
        const TSpheroid Target = C.Target.Spheroid();
        for (const TPlace& Place : C.Places) {
            SCOPED_TRACE(::testing::Message() << C.Name << ", " << Place.Name);
            double Lat = 0, Lon = 0, H = 0, RefLat = 0, RefLon = 0, RefH = 0;
            Source.HelmertShift(Place.Lat * Deg, Place.Lon * Deg, 0.0, Target, C.P.Ppm * 1e-6, C.P.DX, C.P.DY,
                                C.P.DZ, C.P.RX * ArcSecond, C.P.RY * ArcSecond, C.P.RZ * ArcSecond, Lat, Lon,
                                H);
            Proj.Forward(Place.Lat * Deg, Place.Lon * Deg, 0.0, RefLat, RefLon, RefH);
            ExpectSamePosition(Lat, Lon, H, RefLat, RefLon, RefH);
            EXPECT_GE(Lon, 0.0);
            EXPECT_LT(Lon, 2 * Pi);
        }
    }
}

TEST(HelmertShift, ExactCases) {
    const TSpheroid Hub = Wgs84.Spheroid();
    const struct {
        const char* Case;
        double Lat, Lon, H, DX;
        double Lat2, Lon2, H2;
    } Cases[] = {
        {"translation along X lifts (0, 0)", 0.0, 0.0, 0.0, 100.0, 0.0, 0.0, 100.0},
        {"no parameters keep a position at height 0", 45.0 * Deg, 0.3, 0.0, 0.0, 45.0 * Deg, 0.3, 0.0},
        {"west longitudes come back in [0, 2 pi)", -33.0 * Deg, -70.0 * Deg, 0.0, 0.0, -33.0 * Deg,
         290.0 * Deg, 0.0},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Case);
        double Lat = 0, Lon = 0, H = 0;
        Hub.HelmertShift(C.Lat, C.Lon, C.H, Hub, 0.0, C.DX, 0.0, 0.0, 0.0, 0.0, 0.0, Lat, Lon, H);
        EXPECT_NEAR(Lat, C.Lat2, RoundingAngle);
        EXPECT_NEAR(Lon, C.Lon2, RoundingAngle);
        EXPECT_NEAR(H, C.H2, RoundingLength);
    }
}

// DHDN to Amersfoort near the German-Dutch border, through the hub: PROJ runs the same two shifts
// with the Amersfoort parameters negated.
TEST(ChangeDatum, PassesThroughTheHubLikePROJ) {
    const TDatumCase& Dhdn = DatumCases()[1];
    TDatumCase Amersfoort = DatumCases()[2];
    Amersfoort.Target = Wgs84; // EPSG:15934 Amersfoort to WGS 84 (3) has the same parameters
    const TProjOracle Proj("+proj=pipeline +step +proj=cart " + EllipsoidOf(Bessel) + " " +
                           HelmertStep(Dhdn.P, 1.0) + " " + HelmertStep(Amersfoort.P, -1.0) +
                           " +step +inv +proj=cart " + EllipsoidOf(Bessel));
    ASSERT_TRUE(Proj.Valid());
    const TSpheroid Hub = Wgs84.Spheroid();
    const TSpheroid DhdnSpheroid = Bessel.Spheroid();
    const TSpheroid AmersfoortSpheroid = Bessel.Spheroid(); // another catalogue object, same values
    const auto DhdnDatum = DatumOf(Dhdn);
    const auto AmersfoortDatum = DatumOf(Amersfoort);
    const TPlace Places[] = {
        {"Enschede", 52.2215, 6.8937}, {"Venlo", 51.3704, 6.1724}, {"Emmen", 52.7792, 6.9069}};
    for (const TPlace& Place : Places) {
        SCOPED_TRACE(Place.Name);
        double Lat = 0, Lon = 0, H = 0, RefLat = 0, RefLon = 0, RefH = 0;
        ChangeDatum(DhdnSpheroid, *DhdnDatum, Hub, *AmersfoortDatum, AmersfoortSpheroid, Place.Lat * Deg,
                    Place.Lon * Deg, 0.0, Lat, Lon, H);
        Proj.Forward(Place.Lat * Deg, Place.Lon * Deg, 0.0, RefLat, RefLon, RefH);
        ExpectSamePosition(Lat, Lon, H, RefLat, RefLon, RefH);
    }
}

TEST(ChangeDatum, SameObjectsKeepThePosition) {
    const TSpheroid Spheroid = Bessel.Spheroid();
    const TSpheroid Twin = Bessel.Spheroid();
    const TSpheroid Hub = Wgs84.Spheroid();
    const auto Datum = DatumOf(DatumCases()[1]);
    const auto TwinDatum = DatumOf(DatumCases()[1]);
    EXPECT_TRUE(IsSameDatum(Spheroid, *Datum, Spheroid, *Datum));
    EXPECT_FALSE(IsSameDatum(Spheroid, *Datum, Twin, *Datum));
    EXPECT_FALSE(IsSameDatum(Spheroid, *Datum, Spheroid, *TwinDatum));

    // The identity keeps even a longitude outside [0, 2 pi) bit for bit.
    double Lat = 0, Lon = 0, H = 0;
    ChangeDatum(Spheroid, *Datum, Hub, *Datum, Spheroid, 0.9, -0.1, 3.0, Lat, Lon, H);
    EXPECT_EQ(Lat, 0.9);
    EXPECT_EQ(Lon, -0.1);
    EXPECT_EQ(H, 3.0);

    // Equal values in other objects go to the hub and back: the same place within the second-order
    // terms of the shift, but a normalised longitude.
    ChangeDatum(Spheroid, *Datum, Hub, *TwinDatum, Twin, 0.9, -0.1, 0.0, Lat, Lon, H);
    const TGroundDifference D = GroundDifference(Lat, Lon, H, 0.9, -0.1, 0.0);
    EXPECT_NEAR(D.North, 0.0, 0.02);
    EXPECT_NEAR(D.East, 0.0, 0.02);
    EXPECT_GT(Lon, Pi);
}

// A grid datum shifts with its own operations (never with its seven parameters), and a position
// outside its grid goes on unshifted.
class TFakeGridDatum final : public TDatumRecord {
public:
    explicit TFakeGridDatum(bool Inside) : TDatumRecord("TEST\tFAKE\tWE\t500\t500\t500"), FInside(Inside) {
        IsGrid = true;
    }
    bool ShiftToHub(double Lat, double Lon, double H, double& Lat2, double& Lon2, double& H2) const override {
        return Move(Lat, Lon, H, Lat2, Lon2, H2, 0.001);
    }
    bool ShiftFromHub(double Lat, double Lon, double H, double& Lat2, double& Lon2,
                      double& H2) const override {
        return Move(Lat, Lon, H, Lat2, Lon2, H2, -0.001);
    }

private:
    bool Move(double Lat, double Lon, double H, double& Lat2, double& Lon2, double& H2, double Step) const {
        Lat2 = Lat + (FInside ? Step : 0.0);
        Lon2 = Lon;
        H2 = H;
        return FInside;
    }
    bool FInside;
};

TEST(ChangeDatum, GridDatumsUseTheirOwnOperations) {
    const TSpheroid Hub = Wgs84.Spheroid();
    const TSpheroid Other = Wgs84.Spheroid();
    const TFakeGridDatum Inside(true), Outside(false);
    const auto Plain = std::make_unique<TDatumRecord>("TEST\tPLAIN\tWE");
    const struct {
        const char* Case;
        const TDatumRecord *Source, *Target;
        double ExpectedLat;
    } Cases[] = {
        {"grid to hub", &Inside, Plain.get(), 0.501},
        {"hub to grid", Plain.get(), &Inside, 0.499},
        {"outside the grid", &Outside, Plain.get(), 0.5},
        {"outside the grid, back", Plain.get(), &Outside, 0.5},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Case);
        double Lat = 0, Lon = 0, H = 0;
        ChangeDatum(Hub, *C.Source, Hub, *C.Target, Other, 0.5, 0.25, 0.0, Lat, Lon, H);
        EXPECT_NEAR(Lat, C.ExpectedLat, RoundingAngle);
        EXPECT_NEAR(Lon, 0.25, RoundingAngle);
        EXPECT_NEAR(H, 0.0, 1e-6);
    }
}

} // namespace
} // namespace vortane
