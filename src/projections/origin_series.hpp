#pragma once
// Projections evaluated by fifth-order power series about their origin (λ0, φ0): the Lambert conic with
// one standard parallel and the oblique stereographic. Both share the record layout, the fields and
// the shape of the series; only the coefficients and the parameter text differ.
//
// Both directions of the series have the same shape. With n the northward variable and e the
// eastward one:
//   forward: n = Δφ, e = Δλ (radians); the north series gives the northing, the east series the
//            easting (unscaled metres, before the scale factor and false origin);
//   inverse: n = v, e = u (unscaled plane offsets north and east, metres); the north series gives
//            φ − φ0, the east series λ − λ0 (radians).
// The north series holds the even powers of e, the east series the odd ones. Each field is the
// coefficient of the monomial that names it (N3E2 multiplies n³·e²); a term a projection lacks stays 0.

#include "projections/false_origin.hpp"

#include <string>

namespace vortane {

struct TNorthSeries {
    double N1 = 0, N2 = 0, E2 = 0, N3 = 0, N1E2 = 0, N4 = 0, N2E2 = 0, E4 = 0, N5 = 0, N3E2 = 0, N1E4 = 0;

    double Evaluate(double N, double E) const;
};

struct TEastSeries {
    double E1 = 0, N1E1 = 0, N2E1 = 0, E3 = 0, N3E1 = 0, N1E3 = 0, N4E1 = 0, N2E3 = 0, E5 = 0;

    double Evaluate(double N, double E) const;
};

// Eastings and northings are metres.
class TSeriesProjection : public TPlaneProjection<TSeriesProjection> {
public:
    // From one decoded record: spheroid code, name, false northing, false easting, scale factor,
    // central meridian (radians, kept as read, also when negative), latitude of origin (radians).
    explicit TSeriesProjection(const std::string& Line);

    // A scale factor of 0, or a plane point whose series overflow, gives Lat = Lon = 0 (Z is still H).
    void ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const final;

    // Fills the four series from φ0 and Spheroid; sets Ready.
    void ComputeConstants() override = 0;

    // Unscaled offsets (metres) of (Lat, Lon) from the origin; Lon − λ0 is taken in [−π, π]. By the
    // closed form when ExactForm is set, otherwise by the series.
    void GeoToXY(double Lat, double Lon, double& X, double& Y) const;
    // Latitude and longitude of the unscaled offsets U (east) and V (north).
    void XYToGeo(double U, double V, double& Lat, double& Lon) const;

    std::string SpheroidCode;     // at most 3 characters
    double CentralMeridian = 0.0; // λ0, radians
    double OriginLatitude = 0.0;  // φ0, radians

protected:
    TSeriesProjection(const TSeriesProjection&) = default;
    TSeriesProjection& operator=(const TSeriesProjection&) = default;

    // Values at φ0 that every coefficient is built from, with the powers the coefficients use.
    struct TOriginTerms {
        double t;              // tan φ0
        double T;              // t²
        double c;              // cos φ0
        double c2, c3, c4, c5; // c², c³, c⁴, c⁵
        double N;              // prime-vertical radius at φ0
        double N2, N3, N4, N5; // N², N³, N⁴, N⁵
        double eta2;           // η² = e′²·cos²φ0
        double eta4, eta6;     // η⁴, η⁶
    };
    TOriginTerms OriginTerms() const;

    // The closed form of the projection: latitude and longitude difference from λ0 (radians) to the
    // unscaled offsets X (east) and Y (north) from the origin, and back.
    virtual void ClosedGeoToXY(double Lat, double DLon, double& X, double& Y) const = 0;
    virtual void ClosedXYToGeo(double X, double Y, double& Lat, double& DLon) const = 0;

    TNorthSeries FNorthing; // in Δφ, Δλ
    TEastSeries FEasting;   // in Δφ, Δλ
    TNorthSeries FLatitude; // in v, u
    TEastSeries FLongitude; // in v, u
};

// A series projection with its closed form held by value: TClosedForm is built from the spheroid and
// φ0 and converts (latitude, longitude difference) to unscaled offsets east and north with Forward, and
// back with Reverse; its Name is the form's name for logs and listings.
template <typename TClosedForm> class TSeriesProjectionWith : public TSeriesProjection {
public:
    using TSeriesProjection::TSeriesProjection;

    std::string FormName() const override {
        return ExactForm ? TClosedForm::Name : "series about the origin";
    }

protected:
    // The closed form for the current spheroid and φ0; each ComputeConstants calls it.
    void ComputeClosedForm() { FClosedForm = TClosedForm(Spheroid, OriginLatitude); }

private:
    void ClosedGeoToXY(double Lat, double DLon, double& X, double& Y) const final {
        FClosedForm.Forward(Lat, DLon, X, Y);
    }
    void ClosedXYToGeo(double X, double Y, double& Lat, double& DLon) const final {
        FClosedForm.Reverse(X, Y, Lat, DLon);
    }

    TClosedForm FClosedForm;
};

} // namespace vortane
