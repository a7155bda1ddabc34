#include "crs/datum_shift.hpp"

#include <cmath>

namespace vortane {

namespace {

// The grid datums give no sine and cosine along with their result.
void SetTrig(double Lat, TLatitudeTrig* Trig) {
    if (Trig) *Trig = {std::sin(Lat), std::cos(Lat)};
}

// A grid datum's shift, one position after the other.
template <typename TShift>
void ShiftEach(TShift&& Shift, const double* Lat, const double* Lon, const double* H, std::size_t N,
               double* Lat2, double* Lon2, double* H2, double* Sin2, double* Cos2) {
    for (std::size_t I = 0; I < N; ++I) {
        TLatitudeTrig Trig;
        Shift(Lat[I], Lon[I], H[I], Lat2[I], Lon2[I], H2[I], &Trig);
        Sin2[I] = Trig.Sin;
        Cos2[I] = Trig.Cos;
    }
}

THelmertParameters HelmertOf(const TDatumRecord& Datum, double Sign) {
    return {Sign * Datum.Scale, Sign * Datum.DX, Sign * Datum.DY, Sign * Datum.DZ,
            Sign * Datum.RX,    Sign * Datum.RY, Sign * Datum.RZ};
}

} // namespace

void ShiftDatumToHub(const TSpheroid& Spheroid, const TDatumRecord& Datum, const TSpheroid& Hub, double Lat,
                     double Lon, double H, double& Lat2, double& Lon2, double& H2, TLatitudeTrig* Trig2) {
    if (Datum.IsGrid) {
        // Outside the grid the position goes on unshifted, which the grid datum has already done.
        (void)Datum.ShiftToHub(Lat, Lon, H, Lat2, Lon2, H2);
        SetTrig(Lat2, Trig2);
        return;
    }
    Spheroid.HelmertShift(Lat, Lon, H, Hub, Datum.Scale, Datum.DX, Datum.DY, Datum.DZ, Datum.RX, Datum.RY,
                          Datum.RZ, Lat2, Lon2, H2, Trig2);
}

// Negating all seven parameters inverts the shift up to second-order terms (products of two
// parameters, below a millimetre for real datums).
void ShiftDatumFromHub(const TSpheroid& Hub, const TDatumRecord& Datum, const TSpheroid& Spheroid, double Lat,
                       double Lon, double H, double& Lat2, double& Lon2, double& H2, TLatitudeTrig* Trig2) {
    if (Datum.IsGrid) {
        (void)Datum.ShiftFromHub(Lat, Lon, H, Lat2, Lon2, H2);
        SetTrig(Lat2, Trig2);
        return;
    }
    Hub.HelmertShift(Lat, Lon, H, Spheroid, -Datum.Scale, -Datum.DX, -Datum.DY, -Datum.DZ, -Datum.RX,
                     -Datum.RY, -Datum.RZ, Lat2, Lon2, H2, Trig2);
}

void ShiftDatumToHubMany(const TSpheroid& Spheroid, const TDatumRecord& Datum, const TSpheroid& Hub,
                         const double* Lat, const double* Lon, const double* H, std::size_t N, double* Lat2,
                         double* Lon2, double* H2, double* Sin2, double* Cos2) {
    if (!Datum.IsGrid) {
        Spheroid.HelmertShiftMany(Lat, Lon, H, N, Hub, HelmertOf(Datum, 1.0), Lat2, Lon2, H2, Sin2, Cos2);
        return;
    }
    const auto Shift = [&](double La, double Lo, double He, double& La2, double& Lo2, double& He2,
                           TLatitudeTrig* Trig) {
        ShiftDatumToHub(Spheroid, Datum, Hub, La, Lo, He, La2, Lo2, He2, Trig);
    };
    ShiftEach(Shift, Lat, Lon, H, N, Lat2, Lon2, H2, Sin2, Cos2);
}

void ShiftDatumFromHubMany(const TSpheroid& Hub, const TDatumRecord& Datum, const TSpheroid& Spheroid,
                           const double* Lat, const double* Lon, const double* H, std::size_t N, double* Lat2,
                           double* Lon2, double* H2, double* Sin2, double* Cos2) {
    if (!Datum.IsGrid) {
        Hub.HelmertShiftMany(Lat, Lon, H, N, Spheroid, HelmertOf(Datum, -1.0), Lat2, Lon2, H2, Sin2, Cos2);
        return;
    }
    const auto Shift = [&](double La, double Lo, double He, double& La2, double& Lo2, double& He2,
                           TLatitudeTrig* Trig) {
        ShiftDatumFromHub(Hub, Datum, Spheroid, La, Lo, He, La2, Lo2, He2, Trig);
    };
    ShiftEach(Shift, Lat, Lon, H, N, Lat2, Lon2, H2, Sin2, Cos2);
}

bool IsSameDatum(const TSpheroid& SourceSpheroid, const TDatumRecord& SourceDatum,
                 const TSpheroid& TargetSpheroid, const TDatumRecord& TargetDatum) {
    return &SourceSpheroid == &TargetSpheroid && &SourceDatum == &TargetDatum;
}

void ChangeDatum(const TSpheroid& SourceSpheroid, const TDatumRecord& SourceDatum, const TSpheroid& Hub,
                 const TDatumRecord& TargetDatum, const TSpheroid& TargetSpheroid, double Lat, double Lon,
                 double H, double& Lat2, double& Lon2, double& H2) {
    if (IsSameDatum(SourceSpheroid, SourceDatum, TargetSpheroid, TargetDatum)) {
        Lat2 = Lat;
        Lon2 = Lon;
        H2 = H;
        return;
    }
    double HubLat = 0.0, HubLon = 0.0, HubH = 0.0;
    ShiftDatumToHub(SourceSpheroid, SourceDatum, Hub, Lat, Lon, H, HubLat, HubLon, HubH);
    ShiftDatumFromHub(Hub, TargetDatum, TargetSpheroid, HubLat, HubLon, HubH, Lat2, Lon2, H2);
}

} // namespace vortane
