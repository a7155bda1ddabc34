#pragma once
// The French grid datum: a text grid of geocentric translations (TX, TY, TZ) from the datum on the
// Clarke 1880 France ellipsoid to the hub (WGS 1984), interpolated bilinearly at each position and
// applied as a pure translation.

#include "crs/datum.hpp"
#include "crs/spheroid.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace vortane {

struct TGridNode {
    double TX = 0.0; // translation from the datum to the hub, metres
    double TY = 0.0;
    double TZ = 0.0;
    std::int32_t Precision = 0; // precision code of the file, not used otherwise
};

// The four nodes around a position.
struct TGridCell {
    TGridNode SW, NW, NE, SE;
};

class TFrenchGrid final : public TDatumRecord {
public:
    // Region "EUROPE", name "gr3df97a", spheroid "CF"; no grid is loaded yet.
    TFrenchGrid();
    TFrenchGrid(const TFrenchGrid&) = delete;
    TFrenchGrid& operator=(const TFrenchGrid&) = delete;

    // Reads the text grid: a header line "LonMin LonMax LatMin LatMax LonStep LatStep" (degrees),
    // then TX TY TZ precision per node, column by column from the west, each column south to north.
    // False, with LoadFailed and ErrorText set, when the file cannot be read, the header gives no
    // usable grid, or a precision code is not an integer.
    bool LoadGrid(const std::string& FileName);

    // The cell holding (Lat, Lon), degrees; edges inside. Lat0, Lon0: its south-west node.
    bool FindCell(double Lat, double Lon, double& Lat0, double& Lon0, TGridCell& Corners) const;
    // Bilinear translation at (Lat, Lon) in radians; false outside the grid.
    bool Interpolate(double Lat, double Lon, double& TX, double& TY, double& TZ) const;

    bool ShiftToHub(double Lat, double Lon, double H, double& Lat2, double& Lon2, double& H2) const override;
    bool ShiftFromHub(double Lat, double Lon, double H, double& Lat2, double& Lon2,
                      double& H2) const override;

    // floor((Max - Min) / Step) + 2 with the quotient taken to a 64-bit mantissa; -1 when the edges
    // and step give no grid (non-finite, Step not positive, Max below Min, or absurdly many nodes).
    static std::int64_t NodeCount(double Min, double Max, double Step);
    // Node of longitude column Column (0 = west, below NLon) and latitude row Row (0 = south, below
    // NLat); only after a successful LoadGrid.
    const TGridNode& Node(std::int32_t Column, std::int32_t Row) const;

    double LonMin = 0.0, LonMax = 0.0, LonStep = 0.0; // degrees
    double LatMin = 0.0, LatMax = 0.0, LatStep = 0.0; // degrees
    std::int64_t ValueCount = 0;                      // data values read from the file
    std::int32_t NLon = 0;                            // node columns
    std::int32_t NLat = 0;                            // node rows
    std::vector<TGridNode> Nodes; // node (i, j) at i * NLat + j; nodes the file does not supply are 0
    bool LoadFailed = false;
    std::string ErrorText;
    TSpheroid Wgs84;
    TSpheroid Ntf;

private:
    bool Fail(const std::string& Text);
    bool ReadHeader(const std::string& Line);
    // Stores value number ValueCount; false for a precision code that is not an integer.
    bool StoreValue(const std::string& Token);
    // (Lat, Lon, H) on From moved by Sign times the translation at that position onto To.
    bool Translate(const TSpheroid& From, const TSpheroid& To, double Sign, double Lat, double Lon, double H,
                   double& Lat2, double& Lon2, double& H2) const;
};

} // namespace vortane
