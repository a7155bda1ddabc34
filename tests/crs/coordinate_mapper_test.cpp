// The coordinate mapper's extent rule: the output extent of an input rectangle holds the images of all
// four corners, a geographic input is cut at the poles, lengths take each end's unit (angles none), and
// a corner without a valid position makes the extent invalid.
#include "crs/coordinate_mapper.hpp"

#include "crs/angles.hpp"
#include "crs/units.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace vortane {
namespace {

constexpr double Radius = 4194304.0; // 2^22 metres per radian: every conversion below is exact

// X = Sign * Lon * Radius, Y = Lat * Radius; with EastOnly the fault answer (0, 0) west of Greenwich, as
// a system far outside its domain gives.
class TScaledSystem final : public TProjection {
public:
    TScaledSystem(double Sign, bool EastOnly) : TProjection("scaled"), FSign(Sign), FEastOnly(EastOnly) {}
    std::string GetParamText() const override { return "scaled"; }
    void GeoToProj(double Lat, double Lon, double H, double& X, double& Y, double& Z) const override {
        const bool Fault = FEastOnly && Lon < 0;
        X = Fault ? 0 : FSign * Lon * Radius;
        Y = Fault ? 0 : Lat * Radius;
        Z = H;
    }
    void ProjToGeo(double X, double Y, double Z, double& Lat, double& Lon, double& H) const override {
        Lon = X / (FSign * Radius);
        Lat = Y / Radius;
        H = Z;
    }
    void GetAxisNames(std::string& X, std::string& Y, std::string& Z) const override {
        X.assign(1, 'X'); // not X = "X": GCC 12 at -O3 warns falsely of an overlapping copy there
        Y.assign(1, 'Y');
        Z.assign(1, 'Z');
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
    const TGeoDecimal Degrees;
    constexpr double Pole = Pi / 2, Foot = UnitFactors[1];
    constexpr double North = 1.4, PastPole = 1.6; // radians
    const struct {
        const char* Situation;
        const TProjection& In;
        const TProjection& Out;
        double OutUnit;
        TMapExtent Input;
        bool Valid;
        TMapExtent Expected;
    } Cases[] = {
        {"same system", Plain, Plain, 1, {-100, 20, 300, 50}, true, {-100, 20, 300, 50}},
        {"a rectangle given top down", Plain, Plain, 1, {-100, 50, 300, 20}, true, {-100, 20, 300, 50}},
        {"mirrored: the west corners become the east edge",
         Plain,
         Mirrored,
         1,
         {-100, 20, 300, 50},
         true,
         {-300, 20, 100, 50}},
        {"all corners east of the domain's edge",
         Plain,
         EastOnly,
         1,
         {0, 20, 300, 50},
         true,
         {0, 20, 300, 50}},
        {"two corners west of it, given as zeros", Plain, EastOnly, 1, {-100, 20, 300, 50}, false, {}},
        {"a corner not a number", Plain, Plain, 1, {std::nan(""), 20, 300, 50}, false, {}},
        {"lengths in feet",
         Plain,
         Plain,
         Foot,
         {-100, 20, 300, 50},
         true,
         {-100 / Foot, 20 / Foot, 300 / Foot, 50 / Foot}},
        {"angles take no unit", Plain, Degrees, Foot, {0, 0, Radius, Radius}, true, {0, 0, 1, 1}},
        {"geographic over the pole", Degrees, Degrees, 1, {0, North, 1, PastPole}, true, {0, North, 1, Pole}},
        {"geographic over the pole into lengths",
         Degrees,
         Plain,
         1,
         {0, North, 1, PastPole},
         true,
         {0, North * Radius, Radius, Pole * Radius}},
        {"lengths over the pole",
         Plain,
         Degrees,
         1,
         {0, North * Radius, Radius, PastPole * Radius},
         false,
         {}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Situation);
        const TCoordinateMapper Mapper({&Spheroid, &Datum, &Case.In},
                                       {&Spheroid, &Datum, &Case.Out, Case.OutUnit}, &Spheroid);
        TMapExtent Extent;
        ASSERT_EQ(Mapper.OutputExtent(Case.Input, Extent), Case.Valid);
        if (!Case.Valid) continue;
        EXPECT_DOUBLE_EQ(Extent.MinX, Case.Expected.MinX);
        EXPECT_DOUBLE_EQ(Extent.MinY, Case.Expected.MinY);
        EXPECT_DOUBLE_EQ(Extent.MaxX, Case.Expected.MaxX);
        EXPECT_DOUBLE_EQ(Extent.MaxY, Case.Expected.MaxY);
    }
}

} // namespace
} // namespace vortane
