#pragma once
// PROJ as the reference for datum shifts: a pipeline from geodetic radians on one ellipsoid through
// earth-centred coordinates to geodetic radians on another.

#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <string>

namespace vortane::testfiles {

class TProjPipeline {
public:
    explicit TProjPipeline(const std::string& Definition)
        : FContext(proj_context_create()), FPipeline(proj_create(FContext, Definition.c_str())) {}
    ~TProjPipeline() {
        proj_destroy(FPipeline);
        proj_context_destroy(FContext);
    }
    TProjPipeline(const TProjPipeline&) = delete;
    TProjPipeline& operator=(const TProjPipeline&) = delete;

    bool Valid() const { return FPipeline != nullptr; }
    // (Lat, Lon, H) radians and metres in, the same out.
    void Forward(double Lat, double Lon, double H, double& Lat2, double& Lon2, double& H2) const {
        const PJ_COORD Out = proj_trans(FPipeline, PJ_FWD, proj_coord(Lon, Lat, H, 0));
        Lon2 = Out.lpz.lam;
        Lat2 = Out.lpz.phi;
        H2 = Out.lpz.z;
    }

private:
    PJ_CONTEXT* FContext;
    PJ* FPipeline;
};

// "+a=... +rf=..." of an ellipsoid, written with every digit a double needs.
inline std::string EllipsoidParams(double A, double InverseF) {
    char Buffer[96];
    std::snprintf(Buffer, sizeof Buffer, "+a=%.17g +rf=%.17g", A, InverseF);
    return Buffer;
}

// The step "cart, then ..., then inverse cart" around Middle.
inline std::string CartesianPipeline(const std::string& From, const std::string& Middle,
                                     const std::string& To) {
    return "+proj=pipeline +step +proj=cart " + From + " " + Middle + " +step +inv +proj=cart " + To;
}

// Ground distance of two positions in metres, split into north and east, and the height difference.
struct TGroundDifference {
    double North, East, Up;
};
inline TGroundDifference GroundDifference(double Lat, double Lon, double H, double RefLat, double RefLon,
                                          double RefH) {
    constexpr double EarthRadius = 6378137.0;
    constexpr double TwoPi = 6.283185307179586476925;
    const double DLon = std::remainder(Lon - RefLon, TwoPi);
    return {(Lat - RefLat) * EarthRadius, DLon * EarthRadius * std::cos(RefLat), H - RefH};
}

} // namespace vortane::testfiles
