// What the Lambert, Lambert-Eren and stereographic entries share: catalogue records and files, their
// texts, copies, the cache of derived constants, and the guarded inverse of the two series forms.

#include "projections/lambert1.hpp"
#include "projections/lambert2.hpp"
#include "projections/lambert_eren.hpp"
#include "projections/projection_math.hpp"
#include "projections/record_fields.hpp"
#include "projections/stereographic.hpp"

#include "projection_test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vortane {
namespace {

double Dms(double Deg, double Min, double Sec) {
    return (Deg + Min / 60 + Sec / 3600) * Degree;
}

// One realistic entry of each class with the parameter text it must show.
template <class T> struct TSample;

template <> struct TSample<TLambert1> {
    using TList = TLambert1List;
    static std::string Line() {
        return Record({"CF", "Lambert II", "2200000", "600000", "0.99987742", Num(Dms(2, 20, 14.025)),
                       Num(Dms(46, 48, 0))});
    }
    static constexpr const char* ParamText =
        "2200000.000 600000.000 Scale0.9999 Centr.Mer.=2:20:14.025E Centr.Lat.=46:48:0.000N";
};

template <> struct TSample<TLambert2> {
    using TList = TLambert2List;
    static std::string Line() {
        return Record({"WE", "Lambert 2SP", "6600000", "700000", "0", "0", "1", Num(-Dms(5, 30, 0)),
                       Num(Dms(44, 0, 0)), Num(Dms(49, 0, 0)), Num(Dms(46, 30, 0))});
    }
    static constexpr const char* ParamText =
        "6600000.000 700000.000 Scale1.0000 Centr.Mer.=5:30:0.000W Centr.Lat.=46:30:0.000N";
};

template <> struct TSample<TLambEren> {
    using TList = TLamberEnList;
    static std::string Line() {
        return Record({"IN", "Eren", "-14000000", "0", "r", "r", "0.9998", Num(-Dms(3, 30, 0)),
                       Num(Dms(40, 0, 0)), Num(Dms(44, 0, 0)), Num(Dms(42, 15, 0))});
    }
    static constexpr const char* ParamText =
        "-14000000.000 0.000 Scale0.9998 Centr.Mer.=3:30:0.000W Centr.Lat.=42:15:0.000N";
};

template <> struct TSample<TStereoProj> {
    using TList = TStereoProjList;
    static std::string Line() {
        return Record(
            {"BR", "RD", "463000", "155000", "0.9999079", Num(Dms(5, 23, 15.5)), Num(Dms(52, 9, 22.178))});
    }
    static constexpr const char* ParamText =
        "463000.000 155000.000 Scale0.9999 Centr.Mer.5:23:15.500E Centr.Lat52:9:22.178N";
};

// A point some way off each sample's origin.
constexpr double SampleLat = 47.3 * Degree;
constexpr double SampleLon = 3.1 * Degree;

template <class T> class AnyEntry : public ::testing::Test {};
using AllClasses = ::testing::Types<TLambert1, TLambert2, TLambEren, TStereoProj>;
TYPED_TEST_SUITE(AnyEntry, AllClasses);

TYPED_TEST(AnyEntry, ShowsItsParametersAndAxisNames) {
    const TypeParam System(TSample<TypeParam>::Line());
    EXPECT_EQ(System.GetParamText(), TSample<TypeParam>::ParamText);
    std::string X, Y, Z;
    System.GetAxisNames(X, Y, Z);
    EXPECT_EQ(X, "Easting(m)");
    EXPECT_EQ(Y, "Northing(m)");
    EXPECT_EQ(Z, "Altitude(m)");
}

// The first conversion after SetSpheroid works on the new spheroid, not on constants kept from the old.
TYPED_TEST(AnyEntry, RecomputesAfterSetSpheroid) {
    TypeParam Reused(TSample<TypeParam>::Line());
    TypeParam Fresh(TSample<TypeParam>::Line());
    UseSpheroid(Reused, Wgs84);
    double E, N, Z, FreshE, FreshN;
    Reused.GeoToProj(SampleLat, SampleLon, 0.0, E, N, Z);
    UseSpheroid(Reused, Bessel);
    UseSpheroid(Fresh, Bessel);
    Reused.GeoToProj(SampleLat, SampleLon, 0.0, E, N, Z);
    Fresh.GeoToProj(SampleLat, SampleLon, 0.0, FreshE, FreshN, Z);
    EXPECT_EQ(E, FreshE);
    EXPECT_EQ(N, FreshN);
    double Lat, Lon, H, FreshLat, FreshLon;
    Reused.ProjToGeo(E + 1000.0, N - 2000.0, 0.0, Lat, Lon, H);
    Fresh.ProjToGeo(E + 1000.0, N - 2000.0, 0.0, FreshLat, FreshLon, H);
    EXPECT_EQ(Lat, FreshLat);
    EXPECT_EQ(Lon, FreshLon);
}

// A clone converts exactly like its original and is independent of it afterwards.
TYPED_TEST(AnyEntry, CloneConvertsAloneAndAlike) {
    TypeParam Original(TSample<TypeParam>::Line());
    UseSpheroid(Original, Hayford);
    double E, N, Z;
    Original.GeoToProj(SampleLat, SampleLon, 0.0, E, N, Z);
    const std::unique_ptr<TProjection> Copy = Original.Clone();
    ASSERT_NE(dynamic_cast<TypeParam*>(Copy.get()), nullptr);
    EXPECT_EQ(Copy->Name, Original.Name);
    double CopyE, CopyN;
    Copy->GeoToProj(SampleLat, SampleLon, 0.0, CopyE, CopyN, Z);
    EXPECT_EQ(CopyE, E);
    EXPECT_EQ(CopyN, N);
    UseSpheroid(*Copy, Clarke80);
    Copy->GeoToProj(SampleLat, SampleLon, 0.0, CopyE, CopyN, Z);
    EXPECT_NE(CopyN, N);
    double AgainE, AgainN;
    Original.GeoToProj(SampleLat, SampleLon, 0.0, AgainE, AgainN, Z);
    EXPECT_EQ(AgainE, E);
    EXPECT_EQ(AgainN, N);
}

// Longitudes reach a projection written either way round the globe (a datum shift hands them over in
// [0, 2π)); each way must land on the same plane point.
TYPED_TEST(AnyEntry, LongitudeWrittenAnyWayRoundLandsOnTheSamePoint) {
    TypeParam System(TSample<TypeParam>::Line());
    double E, N, Z;
    System.GeoToProj(SampleLat, SampleLon - 4 * Degree, 0.0, E, N, Z);
    for (double Turns : {-1.0, 1.0, 2.0}) {
        double OtherE, OtherN;
        System.GeoToProj(SampleLat, SampleLon - 4 * Degree + Turns * 2 * Pi, 0.0, OtherE, OtherN, Z);
        EXPECT_NEAR(OtherE, E, 1e-6) << Turns;
        EXPECT_NEAR(OtherN, N, 1e-6) << Turns;
    }
}

template <class T> class AnyList : public ::testing::Test {};
TYPED_TEST_SUITE(AnyList, AllClasses);

TYPED_TEST(AnyList, LoadsEveryRecordLineOfAStoredFile) {
    using TList = typename TSample<TypeParam>::TList;
    TStoredCatalogue File("catalogue.dat");
    const std::string Sample = TSample<TypeParam>::Line();
    const std::string Renamed = Sample.substr(0, 3) + "Second" + Sample.substr(Sample.find(',', 3));

    TList List;
    EXPECT_TRUE(List.LoadFromFile(File.Write({"; comment line", "", Sample, "  ", Renamed})));
    ASSERT_EQ(List.Count(), 3); // a line of blanks is an entry, with default fields
    EXPECT_EQ(List.Item(0)->GetParamText(), TSample<TypeParam>::ParamText);
    EXPECT_EQ(List.Item(2)->Name, "Second");
    EXPECT_EQ(List.Find("Second"), List.Item(2));

    TList Empty;
    EXPECT_TRUE(Empty.LoadFromFile(File.Write({})));
    EXPECT_EQ(Empty.Count(), 0);

    TList Missing;
    EXPECT_FALSE(Missing.LoadFromFile(File.Write({}) + ".missing"));
    EXPECT_EQ(Missing.Count(), 0);
}

// Spheroid codes are cut to 3 characters. A negative central meridian stays negative, except in
// "Lambert2.dat", which adds a full turn to it.
TEST(RecordFields, SpheroidCodeAndNegativeMeridianRules) {
    const TLambert1 Lambert1("WEXYZ,N,0,0,1,-0.1,0.8");
    const TStereoProj Stereo("WEXYZ,N,0,0,1,-0.1,0.8");
    const TLambEren Eren("WEXYZ,N,0,0,x,x,1,-0.1,0.7,0.8,0.75");
    const TLambert2 Lambert2("WEXYZ,N,0,0,0,0,1,-0.1,0.7,0.8,0.75");
    EXPECT_EQ(Lambert1.CentralMeridian, -0.1);
    EXPECT_EQ(Stereo.CentralMeridian, -0.1);
    EXPECT_EQ(Eren.CentralMeridian, -0.1);
    EXPECT_DOUBLE_EQ(Lambert2.CentralMeridian, 2 * Pi - 0.1);
    for (const std::string& Code :
         {Lambert1.SpheroidCode, Stereo.SpheroidCode, Eren.SpheroidCode, Lambert2.SpheroidCode})
        EXPECT_EQ(Code, "WEX");
}

TEST(RecordFields, RunsOfCommasAreOneSeparatorAndMissingNumbersTakeDefaults) {
    TRecordFields Fields(",,WE  \t,,Name with blanks\t ,\t12.5 ,abc,,-3e2,skipped");
    EXPECT_EQ(Fields.NextText(), "WE");
    EXPECT_EQ(Fields.NextText(), "Name with blanks");
    EXPECT_EQ(Fields.NextNumber(0.0), 12.5);
    EXPECT_EQ(Fields.NextNumber(7.0), 7.0); // unreadable
    EXPECT_EQ(Fields.NextNumber(0.0), -300.0);
    Fields.SkipField();
    EXPECT_EQ(Fields.NextNumber(1.0), 1.0); // past the end
    EXPECT_EQ(Fields.NextText(), "");
}

// The series forms: the origin and the central meridian are exact, the inverse returns the start
// point closely within 2° of the origin, and a plane point without a position gives 0, 0.
template <class T> class SeriesEntry : public ::testing::Test {
protected:
    static T Make(double OriginLatDeg, double Scale = 0.9996) {
        return MakeOriginSystem<T>({"Series", Wgs84, OriginLatDeg, -1.5, 500000.0, 5000000.0, Scale});
    }
};
using SeriesClasses = ::testing::Types<TLambert1, TStereoProj>;
TYPED_TEST_SUITE(SeriesEntry, SeriesClasses);

TYPED_TEST(SeriesEntry, OriginAndCentralMeridianAreExact) {
    TypeParam System = TestFixture::Make(46.8);
    double E, N, Z, Lat, Lon, H;
    System.GeoToProj(System.OriginLatitude, System.CentralMeridian, 12.0, E, N, Z);
    EXPECT_EQ(E, 500000.0);
    EXPECT_EQ(N, 5000000.0);
    EXPECT_EQ(Z, 12.0);
    System.ProjToGeo(500000.0, 5000000.0, 12.0, Lat, Lon, H);
    EXPECT_EQ(Lat, System.OriginLatitude);
    EXPECT_EQ(Lon, System.CentralMeridian);
    EXPECT_EQ(H, 12.0);
    for (double Lat2 : {44.0, 47.5, 48.9}) {
        System.GeoToProj(Lat2 * Degree, System.CentralMeridian, 0.0, E, N, Z);
        EXPECT_EQ(E, 500000.0) << Lat2;
    }
}

TYPED_TEST(SeriesEntry, RoundTripWithinTwoDegreesIsBetterThanANanoradian) {
    for (double OriginLat : {0.0, 30.0, 46.8, -35.0}) {
        TypeParam System = TestFixture::Make(OriginLat);
        for (double Bearing = 0.0; Bearing < 360.0; Bearing += 22.5) {
            for (double Distance : {0.3, 1.0, 2.0}) {
                const double Lat = System.OriginLatitude + Distance * std::cos(Bearing * Degree) * Degree;
                const double Lon = System.CentralMeridian + Distance * std::sin(Bearing * Degree) * Degree;
                double E, N, Z, BackLat, BackLon, H;
                System.GeoToProj(Lat, Lon, 0.0, E, N, Z);
                System.ProjToGeo(E, N, 0.0, BackLat, BackLon, H);
                EXPECT_NEAR(BackLat, Lat, 1e-9) << OriginLat << " " << Bearing << " " << Distance;
                EXPECT_NEAR(BackLon, Lon, 1e-9) << OriginLat << " " << Bearing << " " << Distance;
            }
        }
    }
}

TYPED_TEST(SeriesEntry, PlanePointWithoutAPositionGivesZeros) {
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    struct TCase {
        const char* What;
        double Scale, X, Y;
    } const Cases[] = {
        {"scale factor 0", 0.0, 600000.0, 5100000.0},
        {"NaN easting", 0.9996, NaN, 5100000.0},
        {"NaN northing", 0.9996, 600000.0, NaN},
        {"series overflow", 0.9996, 1e300, -1e300},
        {"infinite easting", 0.9996, std::numeric_limits<double>::infinity(), 5100000.0},
    };
    for (const TCase& C : Cases) {
        TypeParam System = TestFixture::Make(46.8, C.Scale);
        double Lat = 1.0, Lon = 1.0, H = 0.0;
        System.ProjToGeo(C.X, C.Y, 9.0, Lat, Lon, H);
        EXPECT_EQ(Lat, 0.0) << C.What;
        EXPECT_EQ(Lon, 0.0) << C.What;
        EXPECT_EQ(H, 9.0) << C.What;
    }
}

TEST(ConformalInverse, SeriesAgreesWithTheNewtonStepsToRoundingAndFlatSpheroidsTakeTheSteps) {
    // WGS 84, International, Clarke 1880 and a sphere take the series; a spheroid flattened 1/50 the steps.
    for (const double F : {1 / 298.257223563, 1 / 297.0, 1 / 293.465, 0.0, 1 / 50.0}) {
        SCOPED_TRACE(F);
        const double E = std::sqrt(F * (2 - F));
        const TConformalInverse Inverse(E);
        for (double Lat = -89.99; Lat < 90; Lat += 0.0137) {
            // tan χ of the latitude, by the forward formula the Newton steps invert.
            const double Tau = std::tan(Lat * Degree), Secant = std::sqrt(1 + Tau * Tau);
            const double Sigma = std::sinh(E * std::atanh(E * Tau / Secant));
            const double TauPrime = Tau * std::sqrt(1 + Sigma * Sigma) - Sigma * Secant;
            const TLatitudeResult Steps = LatitudeOfConformal(TauPrime, E), Series = Inverse(TauPrime);
            ASSERT_NEAR(Series.Lat, Steps.Lat, 4.5e-16) << Lat; // two units in the last place
            ASSERT_NEAR(Series.Lat, Lat * Degree, 4.5e-16) << Lat;
            if (F == 1 / 50.0) {
                EXPECT_EQ(Series.Lat, Steps.Lat);
            }
        }
        EXPECT_EQ(Inverse(std::numeric_limits<double>::infinity()).Lat, Pi / 2);
        EXPECT_TRUE(std::isnan(Inverse(std::numeric_limits<double>::quiet_NaN()).Lat));
    }
}

} // namespace
} // namespace vortane
