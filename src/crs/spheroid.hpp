#pragma once
// Reference ellipsoids ("spheroids"), the projection types available on each, and "Spher.dat".

#include "crs/angles.hpp"
#include "crs/code_list.hpp"

#include <string>

namespace vortane {

// A projection type on one spheroid: Name is the type ("TRANSVERSE MERCATOR", ...), Systems the
// catalogue list holding that type's systems (not owned), Refs the indexes within Systems of the
// systems defined on the spheroid.
class TPrjTypeRecord : public TCodeObject {
public:
    TPrjTypeRecord(std::string TypeName, const TCodeList* SystemList)
        : TCodeObject(std::move(TypeName)), Systems(SystemList) {}
    const TCodeList* Systems;
};

class TPrjTypeList : public TCodeListOf<TPrjTypeRecord> {};

// The seven parameters of a similarity transformation between geocentric frames (TSpheroid::HelmertShift).
struct THelmertParameters {
    double Scale = 0, DX = 0, DY = 0, DZ = 0, RX = 0, RY = 0, RZ = 0;
};

class TSpheroid : public TCodeObject {
public:
    // From one decoded "Spher.dat" line: code TAB a TAB 1/f TAB description. An empty line gives
    // the defaults a = 6378137 m, 1/f = 298.2572235637, empty code and description.
    explicit TSpheroid(const std::string& Line = "");

    double E2() const;                // first eccentricity squared
    double EP2() const;               // second eccentricity squared
    double RadiusN(double Lat) const; // prime-vertical radius of curvature, Lat in radians
    double Eta2(double Lat) const;

    // Registers system Index of list Systems under the projection type TypeName. Always true.
    bool AddPrjType(const std::string& TypeName, const TCodeList* Systems, std::int32_t Index);

    // (Lat, Lon, H) on this spheroid moved by a seven-parameter similarity transformation
    // (position-vector rotations in radians, Scale as a plain difference) onto Target.
    // Lon2 is returned in [0, 2*pi); Trig2, when given, receives the sine and cosine of Lat2.
    void HelmertShift(double Lat, double Lon, double H, const TSpheroid& Target, double Scale, double DX,
                      double DY, double DZ, double RX, double RY, double RZ, double& Lat2, double& Lon2,
                      double& H2, TLatitudeTrig* Trig2 = nullptr) const;
    // The same for N positions in separate arrays (no overlap between arguments and results), each with
    // the bits of the one-position form; Sin2 and Cos2 receive every latitude's sine and cosine.
    void HelmertShiftMany(const double* Lat, const double* Lon, const double* H, std::size_t N,
                          const TSpheroid& Target, const THelmertParameters& Parameters, double* Lat2,
                          double* Lon2, double* H2, double* Sin2, double* Cos2) const;

    double A = 6378137.0;            // semi-major axis, metres
    double F = 1.0 / 298.2572235637; // flattening (the file holds 1/f)
    std::string Description;
    TPrjTypeList PrjTypes;
};

class TSpherList : public TCodeListOf<TSpheroid> {
public:
    // Appends one spheroid per data line of a stored (encoded) "Spher.dat". False when the file is
    // missing or cannot be read; entries read before an error stay.
    bool LoadFromFile(const std::string& FileName);
};

} // namespace vortane
