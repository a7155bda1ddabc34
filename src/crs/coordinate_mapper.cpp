#include "crs/coordinate_mapper.hpp"

#include "crs/angles.hpp"
#include "crs/datum_shift.hpp"
#include "crs/position_pieces.hpp"
#include "crs/system_in_units.hpp"

#include <algorithm>
#include <cmath>

namespace vortane {

namespace {

constexpr double HalfPi = Pi / 2.0;

// How far, on the ground, a conversion's reverse may miss the point it started from. The default series
// forms miss by up to a few decimetres at the edges of their areas of use (stereographic 3.5 degrees
// from its origin, transverse Mercator 6 degrees from its meridian), so a millimetre would refuse real
// images in their own systems; where a conversion has lost its meaning it misses by kilometres.
constexpr double RoundTripMetres = 1.0;

// No position on the earth lies further than this from a system's origin; a conic puts its far pole at
// about 1e19 m, where the cosine of the latitude is not quite zero, and converts it back to the pole.
constexpr double EarthReachMetres = 1e9;

// Metres per coordinate unit of an end: its unit for lengths, none for angles.
double AppliedUnit(const TMapperEnd& End) {
    return End.System->AngularCoordinates() ? 1.0 : End.UnitFactor;
}

std::unique_ptr<TProjection> EndSystem(const TMapperEnd& End) {
    std::unique_ptr<TProjection> System = End.System->Clone();
    System->SetSpheroid(*End.Spheroid);
    System->ExactForm = End.ExactForm;
    const double Unit = AppliedUnit(End);
    if (Unit == 1.0) return System;
    return std::make_unique<TSystemInUnits>(std::move(System), Unit);
}

bool AllFinite(double A, double B, double C) {
    return std::isfinite(A) && std::isfinite(B) && std::isfinite(C);
}

// Coordinates in units of Unit metres (angles: Unit 1) that may name a position.
bool AreCoordinates(double X, double Y, double Z, double Unit) {
    const double Reach = EarthReachMetres / Unit;
    return std::fabs(X) <= Reach && std::fabs(Y) <= Reach && std::fabs(Z) <= Reach;
}

bool IsGeoPosition(double Lat, double Lon, double H) {
    return AllFinite(Lat, Lon, H) && std::fabs(Lat) <= HalfPi;
}

// Two geographic positions within the tolerance of each other on a spheroid of semi-major axis A.
bool SameGeoPosition(double Lat, double Lon, double H, double OtherLat, double OtherLon, double OtherH,
                     double A) {
    const double Angle = RoundTripMetres / A;
    const double LonDifference = std::remainder(Lon - OtherLon, 2.0 * Pi);
    return std::fabs(Lat - OtherLat) <= Angle && std::fabs(LonDifference * std::cos(Lat)) <= Angle &&
           std::fabs(H - OtherH) <= RoundTripMetres;
}

// Two coordinate triples of System, whose lengths are in units of Unit metres, within the tolerance.
bool SameCoordinates(const TProjection& System, double Unit, double X, double Y, double Z, double OtherX,
                     double OtherY, double OtherZ) {
    if (System.AngularCoordinates())
        return SameGeoPosition(Y, X, Z, OtherY, OtherX, OtherZ, System.Spheroid.A);
    const double Tolerance = RoundTripMetres / Unit;
    return std::fabs(X - OtherX) <= Tolerance && std::fabs(Y - OtherY) <= Tolerance &&
           std::fabs(Z - OtherZ) <= Tolerance;
}

// ProjToGeo, valid when the geographic position converts back to the coordinates it came from.
bool CheckedProjToGeo(const TProjection& System, double Unit, double X, double Y, double Z, double& Lat,
                      double& Lon, double& H) {
    System.ProjToGeo(X, Y, Z, Lat, Lon, H);
    if (!AreCoordinates(X, Y, Z, Unit) || !IsGeoPosition(Lat, Lon, H)) return false;
    double BackX = 0, BackY = 0, BackZ = 0;
    System.GeoToProjNear(Lat, Lon, H, X, Y, BackX, BackY, BackZ);
    return SameCoordinates(System, Unit, X, Y, Z, BackX, BackY, BackZ);
}

// GeoToProj, valid when the coordinates convert back to the geographic position they came from.
bool CheckedGeoToProj(const TProjection& System, double Unit, double Lat, double Lon, double H, double& X,
                      double& Y, double& Z) {
    System.GeoToProj(Lat, Lon, H, X, Y, Z);
    if (!IsGeoPosition(Lat, Lon, H) || !AreCoordinates(X, Y, Z, Unit)) return false;
    double BackLat = 0, BackLon = 0, BackH = 0;
    System.ProjToGeo(X, Y, Z, BackLat, BackLon, BackH);
    return SameGeoPosition(Lat, Lon, H, BackLat, BackLon, BackH, System.Spheroid.A);
}

} // namespace

TCoordinateMapper::TCoordinateMapper(const TMapperEnd& In, const TMapperEnd& Out, const TSpheroid* Hub)
    : FIn(In), FOut(Out), FHub(Hub), FInSystem(EndSystem(In)), FOutSystem(EndSystem(Out)),
      FInUnit(AppliedUnit(In)), FOutUnit(AppliedUnit(Out)), FSameDatum(!NeedsHub(In, Out)),
      FIdentity(FSameDatum && In.System == Out.System && In.UnitFactor == Out.UnitFactor),
      FInOnHub(In.Spheroid == Hub) {}

TCoordinateMapper::TCoordinateMapper(const TCoordinateMapper& Other)
    : FIn(Other.FIn), FOut(Other.FOut), FHub(Other.FHub), FInSystem(Other.FInSystem->Clone()),
      FOutSystem(Other.FOutSystem->Clone()), FInUnit(Other.FInUnit), FOutUnit(Other.FOutUnit),
      FSameDatum(Other.FSameDatum), FIdentity(Other.FIdentity), FInOnHub(Other.FInOnHub) {}

bool TCoordinateMapper::NeedsHub(const TMapperEnd& In, const TMapperEnd& Out) {
    return !IsSameDatum(*In.Spheroid, *In.Datum, *Out.Spheroid, *Out.Datum);
}

double TCoordinateMapper::OutputUnitMetres() const {
    return FOutUnit;
}

void TCoordinateMapper::InputGeoToOutputGeo(double Lat, double Lon, double H, double& OutLat, double& OutLon,
                                            double& OutH) const {
    ChangeDatum(*FIn.Spheroid, *FIn.Datum, *FHub, *FOut.Datum, *FOut.Spheroid, Lat, Lon, H, OutLat, OutLon,
                OutH);
}

bool TCoordinateMapper::InputToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const {
    return CheckedProjToGeo(*FInSystem, FInUnit, X, Y, Z, Lat, Lon, H);
}

bool TCoordinateMapper::GeoToOutput(double Lat, double Lon, double H, double& X, double& Y, double& Z) const {
    return CheckedGeoToProj(*FOutSystem, FOutUnit, Lat, Lon, H, X, Y, Z);
}

bool TCoordinateMapper::InputToOutput(double X, double Y, double& OutX, double& OutY) const {
    double Lat = 0, Lon = 0, H = 0;
    if (!InputToGeo(X, Y, 0, Lat, Lon, H)) return false;
    double OutLat = 0, OutLon = 0, OutH = 0, Z = 0;
    InputGeoToOutputGeo(Lat, Lon, H, OutLat, OutLon, OutH);
    return GeoToOutput(OutLat, OutLon, OutH, OutX, OutY, Z);
}

bool TCoordinateMapper::OutputExtent(const TMapExtent& Input, TMapExtent& Extent) const {
    TMapExtent Cut = Input;
    if (FInSystem->AngularCoordinates()) {
        Cut.MinY = std::clamp(Input.MinY, -HalfPi, HalfPi);
        Cut.MaxY = std::clamp(Input.MaxY, -HalfPi, HalfPi);
    }
    Extent = {1e100, 1e100, -1e100, -1e100};
    const double Corners[4][2] = {
        {Cut.MinX, Cut.MaxY}, {Cut.MaxX, Cut.MaxY}, {Cut.MaxX, Cut.MinY}, {Cut.MinX, Cut.MinY}};
    for (const auto& Corner : Corners) {
        double X = 0, Y = 0;
        if (!InputToOutput(Corner[0], Corner[1], X, Y)) return false;
        Extent.MaxY = std::max(Y, Extent.MaxY);
        Extent.MinX = std::min(X, Extent.MinX);
        Extent.MinY = std::min(Y, Extent.MinY);
        Extent.MaxX = std::max(X, Extent.MaxX);
    }
    return true;
}

void TCoordinateMapper::OutputToInput(double X, double Y, double& InX, double& InY) const {
    if (FIdentity) {
        InX = X;
        InY = Y;
        return;
    }
    double Lat = 0, Lon = 0, H = 0;
    FOutSystem->ProjToGeo(X, Y, 0, Lat, Lon, H);
    double Z = 0;
    if (FSameDatum) {
        FInSystem->GeoToProj(Lat, Lon, H, InX, InY, Z);
        return;
    }
    // The last shift ends with the latitude's sine and cosine at hand; the input system need not
    // compute them again.
    TLatitudeTrig Trig;
    ShiftDatumToHub(*FOut.Spheroid, *FOut.Datum, *FHub, Lat, Lon, H, Lat, Lon, H, FInOnHub ? &Trig : nullptr);
    if (!FInOnHub) ShiftDatumFromHub(*FHub, *FIn.Datum, *FIn.Spheroid, Lat, Lon, H, Lat, Lon, H, &Trig);
    FInSystem->GeoToProjWithTrig(Lat, Trig, Lon, H, InX, InY, Z);
}

void TCoordinateMapper::OutputToInput(const double* X, const double* Y, std::size_t N, double* InX,
                                      double* InY) const {
    if (FIdentity) {
        std::copy_n(X, N, InX);
        std::copy_n(Y, N, InY);
        return;
    }
    ForEachPiece(N, [&](std::size_t First, std::size_t Count) {
        // Each step reads one set of arrays and writes the other.
        double Lat[PositionPiece], Lon[PositionPiece], H[PositionPiece];
        double Lat2[PositionPiece], Lon2[PositionPiece], H2[PositionPiece], Sin[PositionPiece],
            Cos[PositionPiece];
        FOutSystem->ProjToGeoMany(X + First, Y + First, Count, Lat, Lon, H);
        if (FSameDatum) {
            FInSystem->GeoToProjMany(Lat, Lon, H, nullptr, nullptr, Count, InX + First, InY + First);
            return;
        }
        ShiftDatumToHubMany(*FOut.Spheroid, *FOut.Datum, *FHub, Lat, Lon, H, Count, Lat2, Lon2, H2, Sin, Cos);
        if (FInOnHub) {
            FInSystem->GeoToProjMany(Lat2, Lon2, H2, Sin, Cos, Count, InX + First, InY + First);
            return;
        }
        ShiftDatumFromHubMany(*FHub, *FIn.Datum, *FIn.Spheroid, Lat2, Lon2, H2, Count, Lat, Lon, H, Sin, Cos);
        FInSystem->GeoToProjMany(Lat, Lon, H, Sin, Cos, Count, InX + First, InY + First);
    });
}

} // namespace vortane
