// vortane-demo: a few positions on WGS 1984 written in the built-in geographic text forms and as
// earth-centred X, Y, Z, each read back, with the distance the round trip moved the position.

#include "crs/angles.hpp"
#include "crs/projection.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

using namespace vortane;

namespace {

struct TPlace {
    const char* Name;
    double LatDeg, LonDeg, H;
};

constexpr TPlace Places[] = {
    {"Paris, Pantheon", 48.846222, 2.345911, 65.0},
    {"Cape Town, Table Mountain", -33.962822, 18.409840, 1085.0},
    {"Honolulu", 21.306944, -157.858333, 6.0},
    {"Near the south pole", -89.99, 139.27, 2835.0},
};

// Metres on the ground between two positions, from their geocentric coordinates.
double GroundDistance(const TSpheroid& S, double Lat1, double Lon1, double H1, double Lat2, double Lon2, double H2) {
    double X1, Y1, Z1, X2, Y2, Z2;
    GeoToXYZ(Lat1, Lon1, H1, S.A, S.E2(), X1, Y1, Z1);
    GeoToXYZ(Lat2, Lon2, H2, S.A, S.E2(), X2, Y2, Z2);
    return std::sqrt((X1 - X2) * (X1 - X2) + (Y1 - Y2) * (Y1 - Y2) + (Z1 - Z2) * (Z1 - Z2));
}

// Writes the position in System's texts, reads them back, and prints both; returns the distance moved.
double ShowRoundTrip(TProjection& System, double Lat, double Lon, double H) {
    std::string XText, YText, ZText, XName, YName, ZName;
    System.GetAxisNames(XName, YName, ZName);
    System.GeoToText(Lat, Lon, H, XText, YText, ZText);
    std::printf("  %-34s %s %s, %s %s, %s %s\n", System.Name.c_str(), XName.c_str(), XText.c_str(), YName.c_str(),
                YText.c_str(), ZName.c_str(), ZText.c_str());
    double BackLat = 0, BackLon = 0, BackH = 0;
    if (const int Rejected = System.TextToGeo(XText, YText, ZText, BackLat, BackLon, BackH); Rejected != 0) {
        std::printf("    text %d was not read back\n", Rejected);
        return INFINITY;
    }
    return GroundDistance(System.Spheroid, Lat, Lon, H, BackLat, BackLon, BackH);
}

} // namespace

int main() {
    TSpheroid Wgs84("WE\t6378137\t298.2572235637\tWGS 1984");
    TGeograficList Geographic;
    TGeoCentricList Geocentric;
    std::printf("Positions on %s (a = %.3f m, 1/f = %.10f)\n", Wgs84.Description.c_str(), Wgs84.A, 1.0 / Wgs84.F);

    for (const TPlace& Place : Places) {
        const double Lat = Place.LatDeg * Pi / 180.0;
        const double Lon = Place.LonDeg * Pi / 180.0;
        std::printf("\n%s: lat %.6f, lon %.6f degrees, height %.1f m\n", Place.Name, Place.LatDeg, Place.LonDeg,
                    Place.H);
        double Worst = 0.0;
        for (int I = 0; I < Geographic.Count(); ++I) {
            TProjection& System = *Geographic.Item(I);
            System.SetSpheroid(Wgs84);
            Worst = std::max(Worst, ShowRoundTrip(System, Lat, Lon, Place.H));
        }
        TProjection& Centric = *Geocentric.Item(0);
        Centric.SetSpheroid(Wgs84);
        Worst = std::max(Worst, ShowRoundTrip(Centric, Lat, Lon, Place.H));

        double X, Y, Z, BackLat, BackLon, BackH;
        Centric.GeoToProj(Lat, Lon, Place.H, X, Y, Z);
        Centric.ProjToGeo(X, Y, Z, BackLat, BackLon, BackH);
        std::printf("  back from X, Y, Z: lat %.9f, lon %.9f degrees (%s), height %.4f m\n", BackLat * 180.0 / Pi,
                    NormLon(BackLon) * 180.0 / Pi, LonToStr(BackLon).c_str(), BackH);
        std::printf("  largest shift through the texts: %.2f mm\n", Worst * 1000.0);
    }
    return 0;
}
