#pragma once
// PROJ as the reference the tests compare against: one operation built from a PROJ string, with a
// context of its own so that tests never share PROJ state.

#include <proj.h>

#include <string>

// In namespace vortane rather than vortane::test: the projection tests name it without a qualifier.
namespace vortane {

class TProjOracle {
public:
    explicit TProjOracle(const std::string& Definition)
        : FContext(proj_context_create()), FOperation(proj_create(FContext, Definition.c_str())) {}
    ~TProjOracle() {
        proj_destroy(FOperation);
        proj_context_destroy(FContext);
    }
    TProjOracle(const TProjOracle&) = delete;
    TProjOracle& operator=(const TProjOracle&) = delete;

    bool Valid() const { return FOperation != nullptr; }

    // PROJ's own call: longitude first, radians and the definition's units.
    PJ_COORD Trans(PJ_DIRECTION Direction, const PJ_COORD& In) const {
        return proj_trans(FOperation, Direction, In);
    }

    // Projections: radians in, eastings and northings in the definition's units out (and back).
    void Forward(double Lat, double Lon, double& Easting, double& Northing) const {
        const PJ_COORD Out = Trans(PJ_FWD, proj_coord(Lon, Lat, 0, 0));
        Easting = Out.enu.e;
        Northing = Out.enu.n;
    }
    void Inverse(double Easting, double Northing, double& Lat, double& Lon) const {
        const PJ_COORD Out = Trans(PJ_INV, proj_coord(Easting, Northing, 0, 0));
        Lat = Out.lp.phi;
        Lon = Out.lp.lam;
    }

    // Pipelines between geodetic systems: (Lat, Lon, H) radians and metres in, the same out.
    void Forward(double Lat, double Lon, double H, double& Lat2, double& Lon2, double& H2) const {
        const PJ_COORD Out = Trans(PJ_FWD, proj_coord(Lon, Lat, H, 0));
        Lon2 = Out.lpz.lam;
        Lat2 = Out.lpz.phi;
        H2 = Out.lpz.z;
    }

private:
    PJ_CONTEXT* FContext;
    PJ* FOperation;
};

} // namespace vortane
