#pragma once
// Carries positions between the two ends of a coordinate change, each end a spheroid, a datum and a
// coordinate system named by catalogue objects. Every datum change passes through the hub spheroid.
//
// Each end converts with its own clone of its system, carrying that end's spheroid and unit, so the
// catalogue's objects are never written and both ends may name the same system object with different
// spheroids or units. All operations are const: one mapper (or a copy of it) per thread.
//
// A position counts as mapped only when each conversion is finite and its reverse leads back to where
// it started within a metre on the ground (in the end's own units): far outside its domain a system
// does not fail visibly, its series diverge to plausible numbers and its faults come back as zeros.

#include "crs/datum.hpp"
#include "crs/projection.hpp"
#include "crs/spheroid.hpp"

#include <cstddef>
#include <memory>

namespace vortane {

// One end of a change: catalogue objects, compared by identity, and metres per coordinate unit.
struct TMapperEnd {
    const TSpheroid* Spheroid = nullptr;
    const TDatumRecord* Datum = nullptr;
    const TProjection* System = nullptr;
    double UnitFactor = 1.0; // metres per coordinate unit when the coordinates are lengths, not angles
    bool ExactForm = false;  // the end's system converts by its exact form (TProjection::ExactForm)
};

// A rectangle of positions in one system: X from MinX to MaxX, Y from MinY to MaxY.
struct TMapExtent {
    double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
};

class TCoordinateMapper {
public:
    // The objects of both ends and Hub must outlive the mapper; Hub may be null when NeedsHub is false.
    TCoordinateMapper(const TMapperEnd& In, const TMapperEnd& Out, const TSpheroid* Hub);
    // A copy with its own clones of the two systems, for another thread.
    TCoordinateMapper(const TCoordinateMapper& Other);
    TCoordinateMapper& operator=(const TCoordinateMapper&) = delete;

    // True unless both ends name the same spheroid and the same datum object.
    static bool NeedsHub(const TMapperEnd& In, const TMapperEnd& Out);

    // A geographic position on the input datum as one on the output datum: to the hub with the input
    // datum and from the hub with the output datum, unchanged when no datum change is needed.
    void InputGeoToOutputGeo(double Lat, double Lon, double H, double& OutLat, double& OutLon,
                             double& OutH) const;
    // The input system's coordinates X, Y, Z as a geographic position on the input datum. False when
    // they have none: not finite, beyond a pole, or not leading back to X, Y, Z.
    bool InputToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const;
    // A geographic position on the output datum in the output system. False when it has none there:
    // not finite, beyond a pole, or the coordinates not leading back to it.
    bool GeoToOutput(double Lat, double Lon, double H, double& X, double& Y, double& Z) const;
    // The extent chain: an input system position to the output system (height 0 in, discarded). False
    // when either end has no position for it.
    bool InputToOutput(double X, double Y, double& OutX, double& OutY) const;
    // The output system's extent of the Input rectangle: the smallest rectangle holding the images of
    // its four corners under the extent chain (a curved image of an edge may reach beyond it). A
    // geographic input is first cut at the poles, as a world-wide image whose outer cells reach past
    // them. False when a corner has no position at either end; Extent is then of no use.
    bool OutputExtent(const TMapExtent& Input, TMapExtent& Extent) const;
    // The cell chain: an output system position back to the input system. Unlike the extent chain it
    // takes the position as it is when both ends are the same (spheroid, datum, system and unit), and it
    // keeps the hub position when the input lies on the hub spheroid itself.
    void OutputToInput(double X, double Y, double& InX, double& InY) const;
    // The cell chain for N positions (X[i], Y[i]) into (InX[i], InY[i]), each with the bits of the
    // one-position form, converted step by step over the whole array: one call per step, not per position.
    void OutputToInput(const double* X, const double* Y, std::size_t N, double* InX, double* InY) const;

    const TProjection& InSystem() const { return *FInSystem; }
    const TProjection& OutSystem() const { return *FOutSystem; }
    // Metres per unit of the output coordinates: the output end's unit, or 1 when they are angles.
    double OutputUnitMetres() const;

private:
    TMapperEnd FIn;
    TMapperEnd FOut;
    const TSpheroid* FHub;
    std::unique_ptr<TProjection> FInSystem;
    std::unique_ptr<TProjection> FOutSystem;
    double FInUnit;  // metres per input coordinate unit; 1 for angles
    double FOutUnit; // the same for the output
    bool FSameDatum;
    bool FIdentity;
    bool FInOnHub;
};

} // namespace vortane
