#include "crs/coordinate_mapper.hpp"

#include "crs/datum_shift.hpp"

#include <cmath>

namespace vortane {

namespace {

std::unique_ptr<TProjection> EndSystem(const TMapperEnd& End) {
    std::unique_ptr<TProjection> System = End.System->Clone();
    System->SetSpheroid(*End.Spheroid);
    System->UnitFactor = End.UnitFactor;
    System->ExactForm = End.ExactForm;
    return System;
}

double MaxOf(double A, double B) {
    return A > B ? A : B;
}
double MinOf(double A, double B) {
    return A < B ? A : B;
}

} // namespace

TCoordinateMapper::TCoordinateMapper(const TMapperEnd& In, const TMapperEnd& Out, const TSpheroid* Hub)
    : FIn(In), FOut(Out), FHub(Hub), FInSystem(EndSystem(In)), FOutSystem(EndSystem(Out)),
      FSameDatum(!NeedsHub(In, Out)),
      FIdentity(FSameDatum && In.System == Out.System && In.UnitFactor == Out.UnitFactor),
      FInOnHub(In.Spheroid == Hub) {}

TCoordinateMapper::TCoordinateMapper(const TCoordinateMapper& Other)
    : FIn(Other.FIn), FOut(Other.FOut), FHub(Other.FHub), FInSystem(Other.FInSystem->Clone()),
      FOutSystem(Other.FOutSystem->Clone()), FSameDatum(Other.FSameDatum), FIdentity(Other.FIdentity),
      FInOnHub(Other.FInOnHub) {}

bool TCoordinateMapper::NeedsHub(const TMapperEnd& In, const TMapperEnd& Out) {
    return !IsSameDatum(*In.Spheroid, *In.Datum, *Out.Spheroid, *Out.Datum);
}

void TCoordinateMapper::InputGeoToOutputGeo(double Lat, double Lon, double H, double& OutLat, double& OutLon,
                                            double& OutH) const {
    ChangeDatum(*FIn.Spheroid, *FIn.Datum, *FHub, *FOut.Datum, *FOut.Spheroid, Lat, Lon, H, OutLat, OutLon,
                OutH);
}

void TCoordinateMapper::InputToOutput(double X, double Y, double& OutX, double& OutY) const {
    double Lat = 0, Lon = 0, H = 0;
    FInSystem->ProjToGeo(X, Y, 0, Lat, Lon, H);
    double OutLat = 0, OutLon = 0, OutH = 0, Z = 0;
    InputGeoToOutputGeo(Lat, Lon, H, OutLat, OutLon, OutH);
    FOutSystem->GeoToProj(OutLat, OutLon, OutH, OutX, OutY, Z);
}

bool TCoordinateMapper::OutputExtent(const TMapExtent& Input, TMapExtent& Extent) const {
    Extent = {1e100, 1e100, -1e100, -1e100};
    const double Corners[4][2] = {{Input.MinX, Input.MaxY},
                                  {Input.MaxX, Input.MaxY},
                                  {Input.MaxX, Input.MinY},
                                  {Input.MinX, Input.MinY}};
    for (const auto& Corner : Corners) {
        double X = 0, Y = 0;
        InputToOutput(Corner[0], Corner[1], X, Y);
        if (!std::isfinite(X) || !std::isfinite(Y)) return false;
        Extent.MaxY = MaxOf(Y, Extent.MaxY);
        Extent.MinX = MinOf(X, Extent.MinX);
        Extent.MinY = MinOf(Y, Extent.MinY);
        Extent.MaxX = MaxOf(X, Extent.MaxX);
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

} // namespace vortane
