#pragma once
// Shared by the Lambert and stereographic tests: reference spheroids with their PROJ spelling, the
// physical tolerances, a record builder and a stored catalogue file in a temporary folder.

#include "crs/angles.hpp"
#include "crs/projection.hpp"
#include "text/strings.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace vortane {

constexpr double Degree = Pi / 180.0;
constexpr double Millimetre = 1e-3;
constexpr double GroundMillimetreRad = 1.6e-10; // an angle of about 1 mm on the ground

struct TTestSpheroid {
    const char* Code;
    double A;    // metres
    double InvF; // 1/f
};

// Spheroids of different size and shape, so a slip in e² or N shows.
inline constexpr TTestSpheroid Wgs84{"WE", 6378137.0, 298.257223563};
inline constexpr TTestSpheroid Bessel{"BR", 6377397.155, 299.1528128};
inline constexpr TTestSpheroid Clarke80{"CF", 6378249.2, 293.4660212936269};
inline constexpr TTestSpheroid Hayford{"IN", 6378388.0, 297.0};

inline void UseSpheroid(TProjection& System, const TTestSpheroid& Spheroid) {
    System.SetSpheroidValues(Spheroid.Code, "", Spheroid.A, 1.0 / Spheroid.InvF);
}

inline std::string Num(double Value) {
    char Text[40];
    std::snprintf(Text, sizeof Text, "%.17g", Value);
    return Text;
}

inline std::string ProjEllipsoid(const TTestSpheroid& Spheroid) {
    return " +a=" + Num(Spheroid.A) + " +rf=" + Num(Spheroid.InvF);
}

// A decoded catalogue record from its fields.
inline std::string Record(const std::vector<std::string>& Fields) {
    std::string Line;
    for (const std::string& Field : Fields)
        Line += (Line.empty() ? "" : ",") + Field;
    return Line;
}

// Largest of a series of differences, for the accuracy checks and the numbers they print.
struct TLargest {
    double Value = 0.0;
    void Add(double Difference) { Value = std::max(Value, std::fabs(Difference)); }
};

// Writes decoded lines as a stored (encoded) catalogue file in a fresh temporary folder.
class TStoredCatalogue {
public:
    explicit TStoredCatalogue(const std::string& FileName)
        : FFolder(std::filesystem::temp_directory_path() /
                  ("vortane_lambert_" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(FFolder);
        FPath = (FFolder / FileName).string();
    }
    ~TStoredCatalogue() {
        std::error_code Ignored;
        std::filesystem::remove_all(FFolder, Ignored);
    }
    TStoredCatalogue(const TStoredCatalogue&) = delete;
    TStoredCatalogue& operator=(const TStoredCatalogue&) = delete;

    const std::string& Write(const std::vector<std::string>& Lines) {
        std::ofstream Out(FPath, std::ios::binary | std::ios::trunc);
        for (const std::string& Line : Lines)
            Out << EncodeCatalogueLine(Line) << "\r\n";
        return FPath;
    }

private:
    std::filesystem::path FFolder;
    std::string FPath;
};

} // namespace vortane
