#pragma once
// A datum, as one line of "Datums.dat" describes it.
//
// Every datum is defined relative to one hub, the catalogue spheroid "WE" (WGS 1984). An ordinary
// datum carries the seven parameters of a geocentric similarity transformation to the hub; a grid
// datum (NADCON, French grid) overrides the two shift operations and interpolates in a grid instead.

#include "crs/code_list.hpp"

#include <string>

namespace vortane {

class TDatumRecord : public TCodeObject {
public:
    // From one decoded "Datums.dat" line: region TAB name TAB spheroid code TAB DX TAB DY TAB DZ TAB
    // RX TAB RY TAB RZ TAB scale TAB comment. Missing or unreadable numbers are 0.
    explicit TDatumRecord(const std::string& Line);
    ~TDatumRecord() override = default;

    // Virtual operations in their slot order. Positions are (Lat, Lon, H) in radians and metres.
    // An ordinary datum copies the position unchanged and succeeds; the seven-parameter shift is
    // applied by the datum change (crs/datum_shift.hpp), not here. A grid datum returns false when
    // the position lies outside its grid, and then passes the position through unchanged.
    virtual bool ShiftToHub(double Lat, double Lon, double H, double& Lat2, double& Lon2, double& H2) const;
    virtual bool ShiftFromHub(double Lat, double Lon, double H, double& Lat2, double& Lon2, double& H2) const;

    bool IsGrid = false;
    std::string Region;       // region or group name, kept for display only
    std::string SpheroidCode; // code of the spheroid the datum is defined on
    double DX = 0.0;          // translations to the hub, metres
    double DY = 0.0;
    double DZ = 0.0;
    double RX = 0.0; // position-vector rotations to the hub, radians
    double RY = 0.0;
    double RZ = 0.0;
    double Scale = 0.0; // scale difference; the factor applied is 1 + Scale
    std::string Comment;

protected:
    // (Lat2, Lon2, H2) := (Lat, Lon, H).
    static void KeepPosition(double Lat, double Lon, double H, double& Lat2, double& Lon2, double& H2);

    TDatumRecord(const TDatumRecord&) = default;
    TDatumRecord& operator=(const TDatumRecord&) = default;
};

} // namespace vortane
