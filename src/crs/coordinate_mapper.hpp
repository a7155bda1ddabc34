#pragma once
// Carries positions between the two ends of a coordinate change, each end a spheroid, a datum and a
// coordinate system named by catalogue objects. Every datum change passes through the hub spheroid.
//
// Each end converts with its own clone of its system, carrying that end's spheroid and unit factor, so
// the catalogue's objects are never written and both ends may name the same system object with
// different spheroids or units. All operations are const: one mapper (or a copy of it) per thread.

#include "crs/datum.hpp"
#include "crs/projection.hpp"
#include "crs/spheroid.hpp"

#include <memory>

namespace vortane {

// One end of a change: catalogue objects, compared by identity, and metres per coordinate unit.
struct TMapperEnd {
    const TSpheroid* Spheroid = nullptr;
    const TDatumRecord* Datum = nullptr;
    const TProjection* System = nullptr;
    double UnitFactor = 1.0;
    bool ExactForm = false; // the end's system converts by its exact form (TProjection::ExactForm)
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
    // The extent chain: an input system position to the output system (height 0 in, discarded).
    void InputToOutput(double X, double Y, double& OutX, double& OutY) const;
    // The output system's extent of the Input rectangle: the smallest rectangle holding the images of
    // its four corners under the extent chain (a curved image of an edge may reach beyond it). False
    // when a corner has no position in the output system (a result that is not finite), as far outside
    // a system's domain; Extent is then of no use.
    bool OutputExtent(const TMapExtent& Input, TMapExtent& Extent) const;
    // The cell chain: an output system position back to the input system. Unlike the extent chain it
    // takes the position as it is when both ends are the same (spheroid, datum, system and unit), and it
    // keeps the hub position when the input lies on the hub spheroid itself.
    void OutputToInput(double X, double Y, double& InX, double& InY) const;

    const TProjection& InSystem() const { return *FInSystem; }
    const TProjection& OutSystem() const { return *FOutSystem; }

private:
    TMapperEnd FIn;
    TMapperEnd FOut;
    const TSpheroid* FHub;
    std::unique_ptr<TProjection> FInSystem;
    std::unique_ptr<TProjection> FOutSystem;
    bool FSameDatum;
    bool FIdentity;
    bool FInOnHub;
};

} // namespace vortane
