#pragma once
// The coordinate system base class and the built-in geographic and geocentric systems.
//
// Geographic positions are (Lat, Lon, H): radians, north and east positive, ellipsoidal height in
// metres, always in this order. System positions are (X, Y, Z): easting, northing, height in metres for
// projections; X = Lon, Y = Lat (radians), Z = H for the geographic forms; earth-centred metres for the
// geocentric system.

#include "crs/spheroid.hpp"

#include <cstddef>
#include <memory>
#include <string>

namespace vortane {

class TProjection : public TCodeObject {
public:
    explicit TProjection(std::string SystemName);
    ~TProjection() override = default;

    // Copies code, a, f and description of a catalogue spheroid into the own one and derives the
    // constants the conversions need from it, so that the conversions themselves only read.
    void SetSpheroid(const TSpheroid& Source);
    void SetSpheroidValues(const std::string& Code, const std::string& Description, double A, double F);

    // Virtual operations in their slot order.
    virtual std::string GetParamText() const = 0;
    virtual void GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const = 0;
    virtual void ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const = 0;
    // GeoToProj for a position whose latitude's sine and cosine the caller already has. Systems whose
    // conversion starts from them take them; the base ignores them.
    virtual void GeoToProjWithTrig(double Lat, TLatitudeTrig Trig, double Lon, double H, double& X, double& Y,
                                   double& Z) const {
        (void)Trig;
        GeoToProj(Lat, Lon, H, X, Y, Z);
    }
    // GeoToProj in the form of the coordinates NearX, NearY. A system that names one position in several
    // ways (a zone grid near a zone edge) gives the name of that form; the others ignore NearX, NearY.
    // The reverse of ProjToGeo(NearX, NearY) is therefore GeoToProjNear, not GeoToProj.
    virtual void GeoToProjNear(double Lat, double Lon, double H, double NearX, double NearY, double& X,
                               double& Y, double& Z) const {
        (void)NearX, (void)NearY;
        GeoToProj(Lat, Lon, H, X, Y, Z);
    }
    // 0 on success, otherwise the number (1..3) of the rejected text. Base: numbers, 0 when unreadable.
    virtual int TextToGeo(const std::string& XText, const std::string& YText, const std::string& ZText,
                          double& Lat, double& Lon, double& H) const;
    // Base: GeoToProj, each coordinate as fixed 10/5.
    virtual void GeoToText(double Lat, double Lon, double H, std::string& XText, std::string& YText,
                           std::string& ZText) const;
    virtual void GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const = 0;

    // A copy with the same spheroid and constants, so threads can each convert with their own.
    virtual std::unique_ptr<TProjection> Clone() const = 0;
    // Derives the constants of the current spheroid and parameters; sets Ready. A system whose
    // conversions need none only sets Ready.
    virtual void ComputeConstants() { Ready = true; }

    // The name of the form the conversions are evaluated by, for logs and listings.
    virtual std::string FormName() const { return "closed form"; }

    // True when the coordinates are the geographic position itself (X = Lon, Y = Lat, radians), false
    // when they are lengths in metres (projections, geocentric; other units through TSystemInUnits).
    virtual bool AngularCoordinates() const { return false; }

    // Row forms: ProjToGeo of (X[i], Y[i], 0), and GeoToProj of (Lat[i], Lon[i], H[i]) (GeoToProjWithTrig
    // when Sin and Cos hold the latitudes' sines and cosines) without the heights, for N positions held
    // in separate arrays that the results do not overlap. Every position gets the same bits as from the
    // one-position form. The base converts one position after the other; the systems of the common jobs
    // override them with loops the compiler can vectorise, which is where a job spends its time.
    virtual void ProjToGeoMany(const double* X, const double* Y, std::size_t N, double* Lat, double* Lon,
                               double* H) const;
    virtual void GeoToProjMany(const double* Lat, const double* Lon, const double* H, const double* Sin,
                               const double* Cos, std::size_t N, double* X, double* Y) const;

    // Systems computed by a series by default (transverse Mercator, zone grids, Lambert one parallel,
    // stereographic) use their closed or high-order form instead, exact to the millimetre over the whole
    // area of use. Off by default, so results stay those of the series that stored data relies on.
    // Set it on the own copy before converting; the constants of both forms exist for every spheroid.
    bool ExactForm = false;
    TSpheroid Spheroid; // own copy; never the catalogue's object
    bool Ready = true;  // derived constants computed for the current spheroid

protected:
    TProjection(const TProjection&) = default;
    TProjection& operator=(const TProjection&) = default;
};

// Degrees:minutes:seconds with hemisphere letters, "Geographic:(deg)".
class TGeografic : public TProjection {
public:
    explicit TGeografic(std::string SystemName = "Geographic:(deg)") : TProjection(std::move(SystemName)) {}
    std::string GetParamText() const override;
    void GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const override;
    void ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const override;
    int TextToGeo(const std::string& XText, const std::string& YText, const std::string& ZText, double& Lat,
                  double& Lon, double& H) const override;
    void GeoToText(double Lat, double Lon, double H, std::string& XText, std::string& YText,
                   std::string& ZText) const override;
    void GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const override;
    std::unique_ptr<TProjection> Clone() const override;
    bool AngularCoordinates() const override { return true; }
    void ProjToGeoMany(const double* X, const double* Y, std::size_t N, double* Lat, double* Lon,
                       double* H) const override;
    void GeoToProjMany(const double* Lat, const double* Lon, const double* H, const double* Sin,
                       const double* Cos, std::size_t N, double* X, double* Y) const override;
};

// Grads, "Geographic:(grad)".
class TGeograd final : public TGeografic {
public:
    TGeograd() : TGeografic("Geographic:(grad)") {}
    int TextToGeo(const std::string& XText, const std::string& YText, const std::string& ZText, double& Lat,
                  double& Lon, double& H) const override;
    void GeoToText(double Lat, double Lon, double H, std::string& XText, std::string& YText,
                   std::string& ZText) const override;
    void GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const override;
    std::unique_ptr<TProjection> Clone() const override;
};

// Dotted degrees.minutes.seconds, latitude first, "ArcView Geographic: gg.mm.ss.sss".
class TGeoArc final : public TGeografic {
public:
    TGeoArc() : TGeografic("ArcView Geographic: gg.mm.ss.sss") {}
    int TextToGeo(const std::string& XText, const std::string& YText, const std::string& ZText, double& Lat,
                  double& Lon, double& H) const override;
    void GeoToText(double Lat, double Lon, double H, std::string& XText, std::string& YText,
                   std::string& ZText) const override;
    void GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const override;
    std::unique_ptr<TProjection> Clone() const override;
};

// Decimal degrees, "Geographic:(decimal degrees)".
class TGeoDecimal final : public TGeografic {
public:
    TGeoDecimal() : TGeografic("Geographic:(decimal degrees)") {}
    int TextToGeo(const std::string& XText, const std::string& YText, const std::string& ZText, double& Lat,
                  double& Lon, double& H) const override;
    void GeoToText(double Lat, double Lon, double H, std::string& XText, std::string& YText,
                   std::string& ZText) const override;
    void GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const override;
    std::unique_ptr<TProjection> Clone() const override;
};

// Earth-centred X, Y, Z in metres, "Geocentric:X,Y,Z".
class TGeoCentric final : public TProjection {
public:
    TGeoCentric() : TProjection("Geocentric:X,Y,Z") {}
    std::string GetParamText() const override;
    void GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const override;
    void ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const override;
    void GetAxisNames(std::string& XName, std::string& YName, std::string& ZName) const override;
    std::unique_ptr<TProjection> Clone() const override;
};

class TGeograficList : public TCodeListOf<TProjection> {
public:
    TGeograficList(); // the four geographic forms, in the order above
};

class TGeoCentricList : public TCodeListOf<TProjection> {
public:
    TGeoCentricList(); // the one geocentric system
};

} // namespace vortane
