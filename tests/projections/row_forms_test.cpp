// The mapper's row form gives every position the same bits as the one-position form, through each
// projection family, both forms of the series systems, units, datum changes and positions outside any
// domain (where the one-position form has its own fault results).

#include "crs/coordinate_mapper.hpp"
#include "crs/units.hpp"
#include "projections/lambert1.hpp"
#include "projections/lambert2.hpp"
#include "projections/lambert_eren.hpp"
#include "projections/stereographic.hpp"
#include "projections/tm_grid.hpp"

#include "projection_test_support.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

namespace vortane {
namespace {

const TSpheroid Hub("WE\t6378137\t298.257223563");
const TSpheroid International("IN\t6378388\t297");
const TDatumRecord World("WORLD\tWGS84\tWE\t0\t0\t0\t0\t0\t0\t0\t");
// A seven-parameter datum (rotations in radians, scale as a plain difference).
const TDatumRecord Belgian("EUROPE\tBD72\tIN\t-106.87\t52.30\t-103.72\t1.6e-6\t-2.2e-6\t8.9e-6\t-1.27e-6\t");

const TTransMerc Utm34("WE,UTM 34,0,500000,0.9996,0.366519142919,0");
const TTransMerc Utm35("WE,UTM 35,0,500000,0.9996,0.471238898038,0");
const TTMGrid ZoneGrid("UTM,0,500000,0.9996,6:0:0,177:0:0W");
const TLambert2 Lambert2 = MakeConic<TLambert2>(
    {"Belgium", Hayford, 51.1666672, 49.8333339, 90, 4.3674867, 150000.013, 5400088.438, 1.0});
const TLambert1 Lambert1 =
    MakeOriginSystem<TLambert1>({"France", Wgs84, 46.8, 2.34, 600000.0, 2200000.0, 0.99987742});
const TLambEren LambEren = MakeConic<TLambEren>({"Eren", Wgs84, 40.0, 44.0, 42.25, -3.5, 0.0, -14e6, 0.9998});
const TStereoProj Stereo = MakeOriginSystem<TStereoProj>(
    {"Netherlands", Wgs84, 52.15616056, 5.38763889, 155000.0, 463000.0, 0.9999079});
const TGeoDecimal Geographic;

bool SameBits(double A, double B) {
    return std::bit_cast<std::uint64_t>(A) == std::bit_cast<std::uint64_t>(B) ||
           (std::isnan(A) && std::isnan(B));
}

TEST(RowForms, GiveTheBitsOfTheOnePositionForm) {
    const struct {
        const char* What;
        TMapperEnd Out, In;
        double CentreX, CentreY, Reach; // the output positions: a square around the centre
    } Cases[] = {
        {"Lambert on another datum to transverse Mercator on the hub",
         {&International, &Belgian, &Lambert2, 1, false},
         {&Hub, &World, &Utm34, 1, false},
         150000,
         150000,
         4e5},
        {"transverse Mercator to another zone, one datum",
         {&Hub, &World, &Utm35, 1, false},
         {&Hub, &World, &Utm34, 1, false},
         200000,
         5e6,
         6e5},
        {"geographic to transverse Mercator",
         {&Hub, &World, &Geographic, 1, false},
         {&Hub, &World, &Utm34, 1, false},
         0.37,
         0.8,
         0.3},
        {"transverse Mercator off the hub, exact forms",
         {&Hub, &World, &Utm35, 1, true},
         {&International, &Belgian, &Utm34, 1, true},
         200000,
         5e6,
         6e5},
        {"zone grid in US feet",
         {&Hub, &World, &ZoneGrid, UnitFactors[1], false},
         {&Hub, &World, &Utm34, 1, false},
         35e6 / UnitFactors[1],
         16e6,
         3e6},
        {"Lambert one parallel",
         {&Hub, &World, &Lambert1, 1, false},
         {&International, &Belgian, &Lambert2, 1, false},
         600000,
         2200000,
         8e5},
        {"Lambert Eren",
         {&Hub, &World, &LambEren, 1, false},
         {&Hub, &World, &Stereo, 1, false},
         0,
         -9e6,
         6e5},
        {"stereographic",
         {&Hub, &World, &Stereo, 1, false},
         {&Hub, &World, &Geographic, 1, false},
         155000,
         463000,
         5e5},
    };
    // Far beyond every domain at the square's rim, and a NaN position.
    constexpr int Side = 41;
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.What);
        const TCoordinateMapper Mapper(Case.In, Case.Out, &Hub);
        std::vector<double> X, Y;
        for (int Row = 0; Row < Side; ++Row) {
            for (int Column = 0; Column < Side; ++Column) {
                const double Rim = Row == 0 || Column == 0 ? 40.0 : 1.0;
                X.push_back(Case.CentreX + Case.Reach * Rim * (2.0 * Column / (Side - 1) - 1));
                Y.push_back(Case.CentreY + Case.Reach * Rim * (2.0 * Row / (Side - 1) - 1));
            }
        }
        X.push_back(std::nan(""));
        Y.push_back(Case.CentreY);
        std::vector<double> InX(X.size()), InY(X.size());
        Mapper.OutputToInput(X.data(), Y.data(), X.size(), InX.data(), InY.data());
        int Different = 0;
        for (std::size_t I = 0; I < X.size(); ++I) {
            double OneX = 0, OneY = 0;
            Mapper.OutputToInput(X[I], Y[I], OneX, OneY);
            if (!SameBits(OneX, InX[I]) || !SameBits(OneY, InY[I])) ++Different;
        }
        EXPECT_EQ(Different, 0);
    }
}

} // namespace
} // namespace vortane
