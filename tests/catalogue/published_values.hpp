#pragma once
// PROJ's EPSG database as the reference for the shipped catalogue: published systems as plain
// projections, their ellipsoids and areas of use, and the comparison of plane points.

#include "crs/angles.hpp"

#include <gtest/gtest.h>
#include <proj.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vortane {

constexpr double DegPerRad = 180.0 / Pi;
constexpr double LengthTolerance = 1e-3;     // m, on the ground
constexpr double MetresPerDegree = 111320.0; // at the equator; enough to turn angle differences into mm

struct TPjDeleter {
    void operator()(PJ* P) const { proj_destroy(P); }
};
using TPj = std::unique_ptr<PJ, TPjDeleter>;

struct TLonLat {
    double Lon, Lat; // degrees
};

class PublishedValues : public ::testing::Test {
protected:
    void SetUp() override { FContext = proj_context_create(); }
    void TearDown() override { proj_context_destroy(FContext); }

    TPj FromDatabase(int Code, PJ_CATEGORY Category) const {
        return TPj(
            proj_create_from_database(FContext, "EPSG", std::to_string(Code).c_str(), Category, 0, nullptr));
    }

    TPj Create(const std::string& Definition) const { return TPj(proj_create(FContext, Definition.c_str())); }

    struct TAxes {
        double A, B; // semi-major and semi-minor, metres
    };
    TAxes AxesOf(const PJ* Ellipsoid) const {
        TAxes Axes{0, 0};
        proj_ellipsoid_get_parameters(FContext, Ellipsoid, &Axes.A, &Axes.B, nullptr, nullptr);
        return Axes;
    }
    TAxes EllipsoidAxesOf(const PJ* Crs) const {
        return AxesOf(TPj(proj_get_ellipsoid(FContext, Crs)).get());
    }

    // Five points spread over the object's area of use (centre and four inner points).
    std::vector<TLonLat> AreaPoints(const PJ* Object) const {
        double West = 0, South = 0, East = 0, North = 0;
        if (!proj_get_area_of_use(FContext, Object, &West, &South, &East, &North, nullptr)) return {};
        if (East < West) East += 360.0; // the area crosses the antimeridian
        std::vector<TLonLat> Points;
        for (auto [U, V] : {std::pair{0.5, 0.5}, {0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}}) {
            double Lon = West + U * (East - West);
            if (Lon > 180.0) Lon -= 360.0;
            Points.push_back({Lon, South + V * (North - South)});
        }
        return Points;
    }

    // A Size x Size grid over the object's area of use, edges included.
    std::vector<TLonLat> AreaGrid(const PJ* Object, int Size) const {
        double West = 0, South = 0, East = 0, North = 0;
        if (!proj_get_area_of_use(FContext, Object, &West, &South, &East, &North, nullptr)) return {};
        if (East < West) East += 360.0;
        std::vector<TLonLat> Points;
        for (int I = 0; I < Size; ++I)
            for (int J = 0; J < Size; ++J) {
                double Lon = West + (East - West) * I / (Size - 1);
                if (Lon > 180.0) Lon -= 360.0;
                Points.push_back({Lon, South + (North - South) * J / (Size - 1)});
            }
        return Points;
    }

    // A projected EPSG system as a plain projection from Greenwich longitude and latitude in radians
    // to metres: its PROJ string without the CRS-only terms.
    TPj PublishedProjection(const PJ* Crs) const {
        const char* Text = proj_as_proj_string(FContext, Crs, PJ_PROJ_4, nullptr);
        EXPECT_NE(Text, nullptr);
        std::string Definition;
        std::istringstream Terms(Text ? Text : "");
        for (std::string Term; Terms >> Term;)
            if (Term.rfind("+type=", 0) != 0 && Term.rfind("+towgs84=", 0) != 0 &&
                Term.rfind("+nadgrids=", 0) != 0)
                Definition += Term + " ";
        return Create(Definition);
    }

    PJ_CONTEXT* FContext = nullptr;
};

inline PJ_COORD Forward(const PJ* Projection, TLonLat P) {
    return proj_trans(const_cast<PJ*>(Projection), PJ_FWD,
                      proj_coord(P.Lon / DegPerRad, P.Lat / DegPerRad, 0, 0));
}

inline void ExpectSamePlanePoint(const PJ_COORD& Ours, const PJ_COORD& Published, const std::string& What) {
    EXPECT_NEAR(Ours.xy.x, Published.xy.x, LengthTolerance) << What << " easting";
    EXPECT_NEAR(Ours.xy.y, Published.xy.y, LengthTolerance) << What << " northing";
}

} // namespace vortane
