// The coordinate mapper's rule for a mapped position on every projection family (a position counts
// when the conversion's reverse leads back to it), and its unit applied to every projected system.

#include "crs/coordinate_mapper.hpp"
#include "crs/units.hpp"
#include "projections/lambert1.hpp"
#include "projections/lambert2.hpp"
#include "projections/lambert_eren.hpp"
#include "projections/stereographic.hpp"
#include "projections/tm_grid.hpp"

#include "projection_test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace vortane {
namespace {

const TSpheroid Spheroid("WE\t6378137\t298.257223563");
const TDatumRecord Datum("WORLD\tWGS84\tWE\t0\t0\t0\t0\t0\t0\t0\t");
constexpr double UsFoot = UnitFactors[1];
constexpr double None = std::numeric_limits<double>::quiet_NaN();

const TOriginCase LambertOrigin{"France", Wgs84, 46.8, 2.34, 600000.0, 2200000.0, 0.99987742};
const TOriginCase StereoOrigin{"Netherlands", Wgs84, 52.15616056, 5.38763889, 155000.0, 463000.0, 0.9999079};
const TConicCase Conic{"France", Wgs84, 44.0, 49.0, 46.5, 3.0, 700000.0, 6600000.0, 1.0};

const TTransMerc TransverseMercator("WE,UTM 33,0,500000,0.9996,0.261799387799,0");
const TTMGrid ZoneGrid("UTM,0,500000,0.9996,6:0:0,177:0:0W");
const TLambert1 Lambert1 = MakeOriginSystem<TLambert1>(LambertOrigin);
const TLambert2 Lambert2 = MakeConic<TLambert2>(Conic);
const TLambEren LambEren = MakeConic<TLambEren>({"Eren", Wgs84, 40.0, 44.0, 42.25, -3.5, 0.0, -14e6, 0.9998});
const TStereoProj Stereo = MakeOriginSystem<TStereoProj>(StereoOrigin);

TCoordinateMapper MapperOn(const TProjection& System, bool Exact, double OutUnit = 1.0) {
    return TCoordinateMapper({&Spheroid, &Datum, &System, 1.0, Exact},
                             {&Spheroid, &Datum, &System, OutUnit, Exact}, &Spheroid);
}

TEST(MappedPosition, IsTakenInsideEachFamilysDomainAndRefusedFarOutside) {
    const struct {
        const char* What;
        const TProjection& System;
        bool Exact;
        double InLat, InLon;   // degrees: a position inside the domain
        double FarLat, FarLon; // degrees: a position far outside; NaN when the system has none
        double FarX, FarY;     // coordinates far outside; NaN when the system has none
    } Cases[] = {
        {"transverse Mercator series", TransverseMercator, false, 45, 17, 0, 105, 5.5e6, 5e6},
        {"transverse Mercator exact", TransverseMercator, true, 45, 17, 0, 105, None, None},
        {"zone grid, an easting without a zone", ZoneGrid, false, 45, 17, None, None, 500000, 5e6},
        {"Lambert one parallel series", Lambert1, false, 47, 4, -40, 2, 5.6e6, 2.2e6},
        {"Lambert one parallel exact", Lambert1, true, 47, 4, -90, 2, None, None},
        {"Lambert two parallels", Lambert2, false, 47, 4, -90, 3, None, None},
        {"Lambert Eren", LambEren, false, 42, -2, -90, -3.5, None, None},
        {"stereographic series", Stereo, false, 53, 6, 10, 65, 5.2e6, 463000},
        {"stereographic exact", Stereo, true, 53, 6, -52.15616056, -174.61236111, None, None},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.What);
        const TCoordinateMapper Mapper = MapperOn(Case.System, Case.Exact);
        double X, Y, Z, Lat, Lon, H;
        EXPECT_TRUE(Mapper.GeoToOutput(Case.InLat * Degree, Case.InLon * Degree, 0.0, X, Y, Z));
        EXPECT_TRUE(Mapper.InputToGeo(X, Y, Z, Lat, Lon, H));
        if (!std::isnan(Case.FarLat)) {
            EXPECT_FALSE(Mapper.GeoToOutput(Case.FarLat * Degree, Case.FarLon * Degree, 0.0, X, Y, Z))
                << X << " " << Y;
        }
        if (!std::isnan(Case.FarX)) {
            EXPECT_FALSE(Mapper.InputToGeo(Case.FarX, Case.FarY, 0.0, Lat, Lon, H))
                << Lat / Degree << " " << Lon / Degree;
        }
    }
}

TEST(MappedPosition, UsFeetApplyToConicAndStereographicCoordinatesAsInProj) {
    const std::string Feet = " +units=us-ft" + ProjEllipsoid(Wgs84);
    const struct {
        const char* What;
        const TProjection& System;
        bool Exact;
        std::string Proj;
        double Lat, Lon; // degrees: the middle of the points compared
    } Cases[] = {
        {"Lambert two parallels", Lambert2, false,
         "+proj=lcc +lat_1=44 +lat_2=49 +lat_0=46.5 +lon_0=3 +x_0=700000 +y_0=6600000" + Feet, 46.5, 3},
        {"Lambert one parallel", Lambert1, true,
         "+proj=lcc +lat_1=46.8 +lat_0=46.8 +lon_0=2.34 +k_0=0.99987742 +x_0=600000 +y_0=2200000" + Feet,
         46.8, 2.34},
        {"stereographic", Stereo, true,
         "+proj=sterea +lat_0=52.15616056 +lon_0=5.38763889 +k_0=0.9999079 +x_0=155000 +y_0=463000" + Feet,
         52.15616056, 5.38763889},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.What);
        const TCoordinateMapper Mapper = MapperOn(Case.System, Case.Exact, UsFoot);
        const TProjOracle Proj(Case.Proj);
        ASSERT_TRUE(Proj.Valid());
        EXPECT_EQ(Mapper.OutputUnitMetres(), UsFoot);
        for (const auto& [DLat, DLon] :
             {std::pair{0.0, 0.0}, {1.5, -2.0}, {-1.0, 2.5}, {2.0, 1.0}, {-2.0, -1.5}}) {
            const double Lat = (Case.Lat + DLat) * Degree, Lon = (Case.Lon + DLon) * Degree;
            double X, Y, Z, E, N;
            ASSERT_TRUE(Mapper.GeoToOutput(Lat, Lon, 0.0, X, Y, Z));
            Proj.Forward(Lat, Lon, E, N);
            EXPECT_NEAR(X, E, Millimetre / UsFoot) << DLat << " " << DLon;
            EXPECT_NEAR(Y, N, Millimetre / UsFoot) << DLat << " " << DLon;
        }
    }
}

} // namespace
} // namespace vortane
