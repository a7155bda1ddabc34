#pragma once
// The NADCON grid datum for North America: positions on the old North American datum are shifted by
// bilinear interpolation in a latitude-shift grid (".las") and a longitude-shift grid (".los"), both
// in the binary NADCON layout, then re-expressed from the GRS 1980 ellipsoid on the WGS 1984 ellipsoid
// of the hub.

#include "crs/datum.hpp"
#include "crs/spheroid.hpp"
#include "text/mapped_file.hpp"

#include <cstdint>
#include <string>

namespace vortane {

// One NADCON grid file, mapped read-only as a whole.
class TNadConFile {
public:
    // Opens and maps Path. Returns 0 or the errno value of the failing step (EINVAL for an empty file
    // or one that is not a regular file, EISDIR for a folder).
    int Open(const std::string& Path);
    std::uint64_t Size() const { return FSize; }
    // Little-endian 32-bit values at ByteOffset; the caller keeps ByteOffset + 4 within Size().
    std::int32_t IntAt(std::uint64_t ByteOffset) const;
    float FloatAt(std::uint64_t ByteOffset) const;

private:
    std::uint32_t RawWord(std::uint64_t ByteOffset) const;

    TFileDescriptor FFile;
    TMappedView FView;
    std::uint64_t FSize = 0;
};

class TNadCon final : public TDatumRecord {
public:
    // Region "NORTH AMERICA", name "NADCON", spheroid "CC"; no grid is open yet.
    TNadCon();
    TNadCon(const TNadCon&) = delete;
    TNadCon& operator=(const TNadCon&) = delete;

    // Maps BaseName + ".las" and BaseName + ".los" and takes the grid geometry from the ".los" header.
    // False (LastError or ErrorText set) when a file cannot be mapped or the grids cannot be trusted:
    // a truncated header, fewer than two columns or rows, a spacing that is not positive, or a file
    // too short for the NC by NR nodes its header announces.
    bool OpenGrids(const std::string& BaseName);

    // Forward grid shift in degrees (x = Lon east positive, y = Lat). Fails for a position that is not
    // strictly inside the grid. ShiftLon and ShiftLat are the interpolated shifts in arc-seconds.
    bool GridShift(double Lat, double Lon, double& Lat2, double& Lon2, double& ShiftLon,
                   double& ShiftLat) const;
    // The position whose forward shift is (Lat, Lon), by at most ten rounds of fixed-point iteration;
    // degrees. On failure Lat2, Lon2 hold the last estimate when the grid was left, else are untouched.
    bool InverseGridShift(double Lat, double Lon, double& Lat2, double& Lon2) const;
    // (Lat, Lon, H) on From re-expressed on To through WGS 1984 (two seven-parameter steps with all
    // parameters 0); radians.
    void ChangeSpheroid(const TSpheroid& From, const TSpheroid& To, double H, double Lon, double Lat,
                        double& Lat2, double& Lon2, double& H2) const;

    bool ShiftToHub(double Lat, double Lon, double H, double& Lat2, double& Lon2, double& H2) const override;
    bool ShiftFromHub(double Lat, double Lon, double H, double& Lat2, double& Lon2,
                      double& H2) const override;

    int LastError = 0;     // errno of the last failed mapping step, 0 when none
    std::string ErrorText; // why OpenGrids failed
    bool GridsOpen = false;
    TSpheroid Wgs84;
    TSpheroid Grs80;
    std::int32_t NC = 0; // columns (longitudes), west to east
    std::int32_t NR = 0; // rows (latitudes), south to north
    double XMin = 0.0;   // longitude of the western column, degrees
    double YMin = 0.0;   // latitude of the southern row, degrees
    double XMax = 0.0;   // longitude of the eastern column, degrees
    double YMax = 0.0;   // latitude of the northern row, degrees
    double CellX = 0.0;  // column spacing, degrees
    double CellY = 0.0;  // row spacing, degrees

private:
    bool Refuse(const std::string& Text);
    bool ReadGeometry(const std::string& LosName, const std::string& LasName);
    // Bilinear value of one grid at fractional node position (U, V), both counted from 1.
    double Interpolate(const TNadConFile& Grid, double U, double V) const;
    // The float of node (Row, Column), both counted from 1; Row 1 is the southern row.
    double NodeValue(const TNadConFile& Grid, std::int64_t Row, std::int64_t Column) const;

    TNadConFile LasFile; // latitude shifts, arc-seconds
    TNadConFile LosFile; // longitude shifts, arc-seconds (positive west)
};

} // namespace vortane
