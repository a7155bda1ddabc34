#pragma once
// PROJ as the reference for the projection tests: one operation built from a PROJ string, fed with
// radians and giving eastings and northings in the string's units (and back).

#include <proj.h>

#include <string>

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
    void Forward(double Lat, double Lon, double& Easting, double& Northing) const {
        const PJ_COORD Out = proj_trans(FOperation, PJ_FWD, proj_coord(Lon, Lat, 0, 0));
        Easting = Out.enu.e;
        Northing = Out.enu.n;
    }
    void Inverse(double Easting, double Northing, double& Lat, double& Lon) const {
        const PJ_COORD Out = proj_trans(FOperation, PJ_INV, proj_coord(Easting, Northing, 0, 0));
        Lat = Out.lp.phi;
        Lon = Out.lp.lam;
    }

private:
    PJ_CONTEXT* FContext;
    PJ* FOperation;
};

} // namespace vortane
