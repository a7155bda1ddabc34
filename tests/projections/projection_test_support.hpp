#pragma once
// Shared by the projection tests: reference spheroids with their PROJ spelling, the physical
// tolerances, a record builder, comparisons with PROJ and a stored catalogue file in a temporary folder.

#include "crs/angles.hpp"
#include "crs/projection.hpp"
#include "text/strings.hpp"

#include "support/proj_oracle.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace vortane {

constexpr double Degree = Pi / 180.0;
constexpr double Millimetre = 1e-3;
constexpr double GroundMillimetreRad = 1.6e-10; // an angle of about 1 mm on the ground

struct TTestSpheroid {
    const char* Code;
    double A;    // metres
    double InvF; // 1/f
};

// Spheroids of different size and shape, so a slip in e² or N shows.
inline constexpr TTestSpheroid Wgs84{"WE", 6378137.0, 298.257223563};
inline constexpr TTestSpheroid Bessel{"BR", 6377397.155, 299.1528128};
inline constexpr TTestSpheroid Clarke80{"CF", 6378249.2, 293.4660212936269};
inline constexpr TTestSpheroid Hayford{"IN", 6378388.0, 297.0};

inline void UseSpheroid(TProjection& System, const TTestSpheroid& Spheroid) {
    System.SetSpheroidValues(Spheroid.Code, "", Spheroid.A, 1.0 / Spheroid.InvF);
}

inline std::string Num(double Value) {
    char Text[40];
    std::snprintf(Text, sizeof Text, "%.17g", Value);
    return Text;
}

inline std::string ProjEllipsoid(const TTestSpheroid& Spheroid) {
    return " +a=" + Num(Spheroid.A) + " +rf=" + Num(Spheroid.InvF);
}

// A decoded catalogue record from its fields.
inline std::string Record(const std::vector<std::string>& Fields) {
    std::string Line;
    for (const std::string& Field : Fields)
        Line += (Line.empty() ? "" : ",") + Field;
    return Line;
}

// An entry of a projection evaluated by series about its origin (Lambert with one standard parallel,
// stereographic), and the system made from its record on its spheroid.
struct TOriginCase {
    const char* What;
    TTestSpheroid Spheroid;
    double OriginLat, CentralLon; // degrees
    double FalseEasting, FalseNorthing, Scale;
};

template <class TSystem> TSystem MakeOriginSystem(const TOriginCase& C) {
    TSystem System(Record({C.Spheroid.Code, "Test", Num(C.FalseNorthing), Num(C.FalseEasting), Num(C.Scale),
                           Num(C.CentralLon * Degree), Num(C.OriginLat * Degree)}));
    UseSpheroid(System, C.Spheroid);
    return System;
}

// Largest of a series of differences, for the accuracy checks and the numbers they print.
struct TLargest {
    double Value = 0.0;
    void Add(double Difference) { Value = std::max(Value, std::fabs(Difference)); }
};

// Distance on the ground, metres, between (Lat, Lon) and (OtherLat, OtherLon) a short way off, on a
// sphere of radius Radius.
inline double GroundDistance(double Radius, double Lat, double Lon, double OtherLat, double OtherLon) {
    return Radius * std::hypot(OtherLat - Lat, NormLon(OtherLon - Lon) * std::cos(Lat));
}

// One point (radians) converted forward by a system and by PROJ, and PROJ's plane point brought back
// through the system.
struct TOracleComparison {
    double E, N;                 // the system's easting and northing
    double ExpectedE, ExpectedN; // PROJ's
    double GroundError;          // metres between the point and the system's inverse of PROJ's plane point

    double ForwardError() const { return std::hypot(E - ExpectedE, N - ExpectedN); }
};

inline TOracleComparison CompareWithOracle(TProjection& System, const TProjOracle& Oracle, double Lat,
                                           double Lon) {
    TOracleComparison Result{};
    double Z, BackLat, BackLon, H;
    System.GeoToProj(Lat, Lon, 0.0, Result.E, Result.N, Z);
    Oracle.Forward(Lat, Lon, Result.ExpectedE, Result.ExpectedN);
    System.ProjToGeo(Result.ExpectedE, Result.ExpectedN, 0.0, BackLat, BackLon, H);
    Result.GroundError = GroundDistance(System.Spheroid.A, Lat, Lon, BackLat, BackLon);
    return Result;
}

// Check(Lat, Lon, Row, Column) on a 9 × 9 grid of points (radians) within Radius degrees of the origin
// (degrees); rows and columns count from -4 to 4.
template <class TCheck>
void ForEachPointAroundOrigin(double OriginLat, double CentralLon, double Radius, TCheck Check) {
    for (int Row = -4; Row <= 4; ++Row)
        for (int Column = -4; Column <= 4; ++Column)
            Check((OriginLat + Row * Radius / 4) * Degree, (CentralLon + Column * Radius / 4) * Degree, Row,
                  Column);
}

// A series projection against PROJ on the 9 × 9 grid within Radius degrees of its origin: the forward
// difference and the ground distance of PROJ's plane points brought back each below Tolerance (metres).
inline void ExpectAgreesAroundOrigin(TProjection& System, const TProjOracle& Oracle, const TOriginCase& C,
                                     double Radius, double Tolerance, TLargest& Forward, TLargest& Inverse) {
    ForEachPointAroundOrigin(C.OriginLat, C.CentralLon, Radius,
                             [&](double Lat, double Lon, int Row, int Column) {
                                 const TOracleComparison Point = CompareWithOracle(System, Oracle, Lat, Lon);
                                 EXPECT_LT(Point.ForwardError(), Tolerance) << Row << " " << Column;
                                 Forward.Add(Point.ForwardError());
                                 EXPECT_LT(Point.GroundError, Tolerance) << Row << " " << Column;
                                 Inverse.Add(Point.GroundError);
                             });
}

// A conic with standard parallels Parallel1 and Parallel2 and central meridian CentralLon (degrees)
// against PROJ on a grid of 9 rows 1.5° apart around the middle parallel and 11 columns 1.7° apart:
// forward to the millimetre in each coordinate, PROJ's plane points back to a millimetre on the ground.
inline void ExpectAgreesAroundParallels(TProjection& System, const TProjOracle& Oracle, double Parallel1,
                                        double Parallel2, double CentralLon, TLargest& Forward,
                                        TLargest& Inverse) {
    for (int Row = -4; Row <= 4; ++Row) {
        for (int Column = -5; Column <= 5; ++Column) {
            const double Lat = ((Parallel1 + Parallel2) / 2 + Row * 1.5 + 0.123) * Degree;
            const double Lon = (CentralLon + Column * 1.7) * Degree;
            const TOracleComparison Point = CompareWithOracle(System, Oracle, Lat, Lon);
            EXPECT_NEAR(Point.E, Point.ExpectedE, Millimetre) << Row << " " << Column;
            EXPECT_NEAR(Point.N, Point.ExpectedN, Millimetre) << Row << " " << Column;
            Forward.Add(Point.ForwardError());
            EXPECT_LT(Point.GroundError, Millimetre) << Row << " " << Column;
            Inverse.Add(Point.GroundError);
        }
    }
}

// An entry of a Lambert conic with two standard parallels (TLambert2, TLambEren). Latitude is the
// record's last field: the latitude of origin, or the latitude the inverse starts from.
struct TConicCase {
    const char* What;
    TTestSpheroid Spheroid;
    double Parallel1, Parallel2, Latitude, CentralLon; // degrees
    double FalseEasting, FalseNorthing, Scale;
};

// The system of a case on its spheroid, from a record whose two reserved fields hold the texts given.
template <class TConic>
TConic MakeConic(const TConicCase& C, const std::string& Reserved1 = "0",
                 const std::string& Reserved2 = "0") {
    TConic System(Record({C.Spheroid.Code, "Test", Num(C.FalseNorthing), Num(C.FalseEasting), Reserved1,
                          Reserved2, Num(C.Scale), Num(C.CentralLon * Degree), Num(C.Parallel1 * Degree),
                          Num(C.Parallel2 * Degree), Num(C.Latitude * Degree)}));
    UseSpheroid(System, C.Spheroid);
    return System;
}

// Each case's system (Make) against PROJ (ProjText gives its definition) on the grid around its
// parallels; prints the largest differences under Label.
template <class TCases, class TMake, class TProjText>
void ExpectConicsAgreeWithProj(const TCases& Cases, TMake Make, TProjText ProjText,
                               const std::string& Label) {
    TLargest Forward, Inverse;
    for (const TConicCase& C : Cases) {
        SCOPED_TRACE(C.What);
        auto System = Make(C);
        TProjOracle Oracle(ProjText(C));
        ASSERT_TRUE(Oracle.Valid());
        ExpectAgreesAroundParallels(System, Oracle, C.Parallel1, C.Parallel2, C.CentralLon, Forward, Inverse);
    }
    std::cout << "[ measured ] " << Label << ": forward " << Forward.Value << " m, inverse " << Inverse.Value
              << " m\n";
}

// The faults every conic shows as NaN, from a valid case (Make builds its system): equal standard
// parallels forward at (Lat, Lon) and back from (E, N), both degrees and metres inside the case's
// area; a zero scale factor back from (E, N); a NaN coordinate back, with the height kept.
template <class TMake>
void ExpectConicFaultsGiveNaN(const TConicCase& Valid, TMake Make, double Lat, double Lon, double E,
                              double N) {
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    double X, Y, Z, BackLat, BackLon, H;

    TConicCase Equal = Valid;
    Equal.Parallel2 = Equal.Parallel1;
    const auto Tangentless = Make(Equal);
    Tangentless.GeoToProj(Lat * Degree, Lon * Degree, 0.0, X, Y, Z);
    EXPECT_TRUE(std::isnan(X) && std::isnan(Y)) << "equal standard parallels, forward";
    Tangentless.ProjToGeo(E, N, 0.0, BackLat, BackLon, H);
    EXPECT_TRUE(std::isnan(BackLat) && std::isnan(BackLon)) << "equal standard parallels, inverse";

    TConicCase Flat = Valid;
    Flat.Scale = 0.0;
    Make(Flat).ProjToGeo(E, N, 0.0, BackLat, BackLon, H);
    EXPECT_TRUE(std::isnan(BackLat) && std::isnan(BackLon)) << "scale factor 0";

    const auto System = Make(Valid);
    for (const auto& [PlaneX, PlaneY] : {std::pair{NaN, N}, std::pair{E, NaN}}) {
        System.ProjToGeo(PlaneX, PlaneY, 7.0, BackLat, BackLon, H);
        EXPECT_TRUE(std::isnan(BackLat) && std::isnan(BackLon)) << PlaneX << " " << PlaneY;
        EXPECT_EQ(H, 7.0);
    }
}

// Writes decoded lines as a stored (encoded) catalogue file in a fresh temporary folder.
class TStoredCatalogue {
public:
    explicit TStoredCatalogue(const std::string& FileName) : FPath(FFolder.Path(FileName)) {}

    const std::string& Write(const std::vector<std::string>& Lines) {
        std::string Bytes;
        for (const std::string& Line : Lines)
            Bytes += EncodeCatalogueLine(Line) + "\r\n";
        test::WriteText(FPath, Bytes);
        return FPath;
    }

private:
    test::TTempDir FFolder;
    std::string FPath;
};

} // namespace vortane
