// The coordinate mapper's extent rule: the output extent of an input rectangle holds the images of all
// four corners, and a corner without a position in the output system makes the extent invalid.
#include "crs/coordinate_mapper.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace vortane {
namespace {

constexpr double Radius = 4194304.0; // 2^22 metres per radian: every conversion below is exact

// X = Sign * Lon * Radius, Y = Lat * Radius; with EastOnly no position (NaN) west of Greenwich, as
// a system far outside its domain gives none.
class TScaledSystem final : public TProjection {
public:
    TScaledSystem(double Sign, bool EastOnly) : TProjection("scaled"), FSign(Sign), FEastOnly(EastOnly) {}
    std::string GetParamText() const override { return "scaled"; }
    void GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const override {
        const double None = std::numeric_limits<double>::quiet_NaN();
        X = FEastOnly && Lon < 0 ? None : FSign * Lon * Radius;
        Y = Lat * Radius;
        Z = H;
    }
    void ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const override {
        Lon = X / (FSign * Radius);
        Lat = Y / Radius;
        H = Z;
    }
    void GetAxisNames(std::string& X, std::string& Y, std::string& Z) const override {
        X = "X", Y = "Y", Z = "Z";
    }
    std::unique_ptr<TProjection> Clone() const override { return std::make_unique<TScaledSystem>(*this); }

private:
    double FSign;
    bool FEastOnly;
};

TEST(CoordinateMapper, TheOutputExtentHoldsEveryCornerOrIsInvalid) {
    const TSpheroid Spheroid("WE\t6378137\t298.257223563");
    const TDatumRecord Datum("WORLD\tWGS84\tWE\t0\t0\t0\t0\t0\t0\t0\t");
    const TScaledSystem Plain(1, false), Mirrored(-1, false), EastOnly(1, true);
    const struct {
        const char* Situation;
        const TProjection& Out;
        TMapExtent Input;
        bool Valid;
        TMapExtent Expected;
    } Cases[] = {
        {"same system", Plain, {-100, 20, 300, 50}, true, {-100, 20, 300, 50}},
        {"a rectangle given top down", Plain, {-100, 50, 300, 20}, true, {-100, 20, 300, 50}},
        {"mirrored: the west corners become the east edge",
         Mirrored,
         {-100, 20, 300, 50},
         true,
         {-300, 20, 100, 50}},
        {"all corners east of the domain's edge", EastOnly, {0, 20, 300, 50}, true, {0, 20, 300, 50}},
        {"two corners west of it", EastOnly, {-100, 20, 300, 50}, false, {}},
        {"a corner not a number", Plain, {std::nan(""), 20, 300, 50}, false, {}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Situation);
        const TCoordinateMapper Mapper({&Spheroid, &Datum, &Plain}, {&Spheroid, &Datum, &Case.Out},
                                       &Spheroid);
        TMapExtent Extent;
        ASSERT_EQ(Mapper.OutputExtent(Case.Input, Extent), Case.Valid);
        if (!Case.Valid) continue;
        EXPECT_EQ(Extent.MinX, Case.Expected.MinX);
        EXPECT_EQ(Extent.MinY, Case.Expected.MinY);
        EXPECT_EQ(Extent.MaxX, Case.Expected.MaxX);
        EXPECT_EQ(Extent.MaxY, Case.Expected.MaxY);
    }
}

} // namespace
} // namespace vortane
