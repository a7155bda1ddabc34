// The exact forms against PROJ where the series give up (southern cones, far from the origin), and the
// default forms unchanged to the last bit.

#include "projections/lambert1.hpp"
#include "projections/stereographic.hpp"
#include "projections/tm_grid.hpp"
#include "projections/transverse_mercator.hpp"

#include "projection_test_support.hpp"

#include <array>
#include <memory>

namespace vortane {
namespace {

template <class TSystem> std::unique_ptr<TProjection> ExactSystem(const TOriginCase& C) {
    auto System = std::make_unique<TSystem>(MakeOriginSystem<TSystem>(C));
    System->ExactForm = true;
    return System;
}

struct TExactCase {
    TOriginCase Origin;
    std::string ProjDefinition; // without the ellipsoid and the origin terms
    std::unique_ptr<TProjection> (*Make)(const TOriginCase&);
};

std::string OriginTerms(const TOriginCase& C) {
    return " +lat_0=" + Num(C.OriginLat) + " +lon_0=" + Num(C.CentralLon) + " +k_0=" + Num(C.Scale) +
           " +x_0=" + Num(C.FalseEasting) + " +y_0=" + Num(C.FalseNorthing) + ProjEllipsoid(C.Spheroid);
}

class ExactForms : public ::testing::TestWithParam<TExactCase> {};

// Ten degrees around the origin reaches far beyond where the series hold a millimetre.
TEST_P(ExactForms, AgreeWithProjFarFromTheOriginBothWays) {
    const TExactCase& C = GetParam();
    const TProjOracle Oracle(C.ProjDefinition + OriginTerms(C.Origin));
    ASSERT_TRUE(Oracle.Valid());
    const std::unique_ptr<TProjection> System = C.Make(C.Origin);
    TLargest Forward, Inverse;
    ExpectAgreesAroundOrigin(*System, Oracle, C.Origin, 10.0, Millimetre, Forward, Inverse);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, ExactForms,
    ::testing::Values(TExactCase{{"TransverseMercatorNorth", Wgs84, 60.0, 15.0, 500000.0, 0.0, 0.9996},
                                 "+proj=tmerc",
                                 ExactSystem<TTransMerc>},
                      TExactCase{
                          {"TransverseMercatorSouth", Hayford, -45.0, -70.0, 400000.0, 10000000.0, 1.0},
                          "+proj=tmerc",
                          ExactSystem<TTransMerc>},
                      TExactCase{{"LambertSouth", Clarke80, -35.0, 20.0, 600000.0, 200000.0, 0.9998},
                                 "+proj=lcc +lat_1=-35",
                                 ExactSystem<TLambert1>},
                      TExactCase{{"LambertNorth", Bessel, 52.0, 10.0, 600000.0, 200000.0, 0.9998},
                                 "+proj=lcc +lat_1=52",
                                 ExactSystem<TLambert1>},
                      TExactCase{{"StereographicSouth", Hayford, -40.0, 140.0, 300000.0, 400000.0, 0.9999},
                                 "+proj=sterea",
                                 ExactSystem<TStereoProj>},
                      TExactCase{{"StereographicNorth", Wgs84, 65.0, -40.0, 300000.0, 400000.0, 0.9999},
                                 "+proj=sterea",
                                 ExactSystem<TStereoProj>}),
    [](const ::testing::TestParamInfo<TExactCase>& Info) { return std::string(Info.param.Origin.What); });

// Without the exact forms every system answers exactly as before they existed: easting, northing, and
// latitude and longitude of a plane point 1 km east and 1 km south of it, for each position below.
TEST(DefaultForms, GiveTheSeriesResultsBitForBit) {
    constexpr std::array<std::array<double, 2>, 6> Positions{
        {{49.5, -1.0}, {57.9, -7.5}, {43.1, 4.9}, {46.0, 25.0}, {44.0, 29.6}, {51.2, 23.4}}};
    struct TSystemCase {
        std::unique_ptr<TProjection> System;
        TTestSpheroid Spheroid;
    };
    TSystemCase Systems[] = {
        {std::make_unique<TTransMerc>(
             "AA,BNG,-100000,400000,0.9996012717,-0.03490658503988659,0.8552113334772214"),
         {"X", 6377563.396, 299.3249646}},
        {std::make_unique<TTMGrid>("UTM_North,0,500000,0.9996,6:0:0,177:0:0W"),
         {"X", 6378137.0, 298.257223563}},
        {std::make_unique<TLambert1>(
             "CF,NTF_LAMBERT_II,2200000,600000,0.99987742,0.04079234439015428,0.8168140899333463"),
         {"X", 6378249.2, 293.466021}},
        {std::make_unique<TStereoProj>(
             "KA,STEREO70,500000,500000,0.99975,0.4363323129985824,0.8028514559173916"),
         {"X", 6378245.0, 298.3}},
    };
    // Written by the series code as it stood before the exact forms were added.
    const double Expected[4][6][4] = {
        {
            {0x1.cd5405bf63216p+18, -0x1.57467a32dbd6fp+15, 0x1.ba413a79e168cp-1, 0x1.9105a6322464ep+2},
            {0x1.22037ca2cd9p+16, 0x1.b90fe2c8d6a6cp+19, 0x1.02a9b953410f9p+0, 0x1.89c43d8f0514fp+2},
            {0x1.d57f6f959a21p+19, -0x1.65940d923c66p+19, 0x1.810f0d2faac89p-1, 0x1.979c162b9bdb2p+2},
            {0x1.2f5f86a4d8809p+21, -0x1.03f4e7eb993c2p+16, 0x1.9aee72f82b74dp-1, 0x1.ae17dbfc33a1p+2},
            {0x1.65ef0d3116807p+21, -0x1.1917b20331552p+17, 0x1.88f7316fec329p-1, 0x1.b34fcc70f459cp+2},
            {0x1.07b30b5a58e73p+21, 0x1.bf1b2013c6ae8p+18, 0x1.c9692dfc0da0cp-1, 0x1.ac4beee24e549p+2},
        },
        {
            {0x1.d39a4a976d205p+24, 0x1.4ec68c38730d2p+22, 0x1.ba40f77a59736p-1, 0x1.91059839bfd86p+2},
            {0x1.c37daa70cbc6p+24, 0x1.87c20b90c930bp+22, 0x1.02a89e8cec2b9p+0, 0x1.89c3c30efd688p+2},
            {0x1.e302d86990933p+24, 0x1.235c9ee4b592p+22, 0x1.811023a4203a6p-1, 0x1.5f270d44d0fe5p-4},
            {0x1.0da978369aaaap+25, 0x1.3708e0af00aa2p+22, 0x1.9afb48bb630a2p-1, 0x1.bf0a6c4c76076p-2},
            {0x1.106f13a555c68p+25, 0x1.298e5e162cf5ap+22, 0x1.891ad81be04d7p-1, 0x1.089daf1de0e4cp-1},
            {0x1.087e4bc0ce40ep+25, 0x1.5a5cce3127b9fp+22, 0x1.c971d6633d805p-1, 0x1.a274bbeec1bbfp-2},
        },
        {
            {0x1.5db022aca21b4p+18, 0x1.31d6cba33fd36p+21, 0x1.ba426b63d2968p-1, -0x1.19d92c94c0068p-6},
            {0x1.8552a2fed6fp+12, 0x1.a8db7652f2c83p+21, 0x1.02aa6a38dc985p+0, -0x1.0b63de8902083p-3},
            {0x1.8b0556877acb8p+19, 0x1.b57fdfd635586p+20, 0x1.810ffb85ae73dp-1, 0x1.5f24510b76794p-4},
            {0x1.1c9670c76556fp+21, 0x1.2061c5238ce41p+21, 0x1.9af8cfa265773p-1, 0x1.beeacc30785c5p-2},
            {0x1.4f2165858d0ccp+21, 0x1.146fb7548bf7cp+21, 0x1.892084d6fa947p-1, 0x1.089a11e58d8bdp-1},
            {0x1.f6ac293d952bdp+20, 0x1.605868a8fd885p+21, 0x1.c96d3c24f4134p-1, 0x1.a252ed39dc184p-2},
        },
        {
            {-0x1.4ccf77a52fbe1p+20, 0x1.26e141094bcd6p+20, 0x1.ba4c8f830a9e8p-1, -0x1.0fb2cbad0974p-6},
            {-0x1.559aef37c3a8ep+20, 0x1.14c234737a68ep+21, 0x1.0285fb3c47027p+0, -0x1.1067c0e4ae46ap-3},
            {-0x1.1397be9de787ep+20, 0x1.736e48406563bp+18, 0x1.811c147e5fe92p-1, 0x1.5ee938d36d654p-4},
            {0x1.e848p+18, 0x1.e847ffffffff4p+18, 0x1.9afac21d33554p-1, 0x1.bf08f7424a02dp-2},
            {0x1.a8417014241bap+19, 0x1.197cdef281f86p+18, 0x1.891a5ca01a1abp-1, 0x1.089ce98d37d89p-1},
            {0x1.7ae018303ff47p+18, 0x1.07985fd5c392p+20, 0x1.c972f9dc3d107p-1, 0x1.a2783b2fa2065p-2},
        },
    };
    for (std::size_t S = 0; S < std::size(Systems); ++S) {
        TProjection& System = *Systems[S].System;
        UseSpheroid(System, Systems[S].Spheroid);
        for (std::size_t P = 0; P < Positions.size(); ++P) {
            SCOPED_TRACE(System.Name + " position " + std::to_string(P));
            double X, Y, Z, Lat, Lon, H;
            System.GeoToProj(Positions[P][0] * Pi / 180.0, Positions[P][1] * Pi / 180.0, 0.0, X, Y, Z);
            System.ProjToGeo(X + 1000.0, Y - 1000.0, 0.0, Lat, Lon, H);
            EXPECT_EQ(X, Expected[S][P][0]);
            EXPECT_EQ(Y, Expected[S][P][1]);
            EXPECT_EQ(Lat, Expected[S][P][2]);
            EXPECT_EQ(Lon, Expected[S][P][3]);
        }
    }
}

} // namespace
} // namespace vortane
