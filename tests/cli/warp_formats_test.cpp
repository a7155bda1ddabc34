// A float image warped into every writable header and grid format gives the cells and the
// georeferencing of the same job into ER Mapper, as far as each format stores them.

#include "cli_runner.hpp"
#include "warp_fixture.hpp"

#include "cli/info_command.hpp"
#include "cli/warp_command.hpp"
#include "raster/data_set.hpp"
#include "raster/raster.hpp"
#include "text/strings.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

namespace vortane {
namespace {

class WarpFormats : public WarpCommand {
protected:
    void SetUp() override { WriteSample("in.ers", 1); }
    test::TCliRun Run(std::vector<std::string> Args) const {
        constexpr TAddCommand Commands[] = {AddInfoCommand, AddWarpCommand};
        return test::RunCliWith(Commands, std::move(Args));
    }
    void Warp(const std::string& Out) const {
        std::vector<std::string> Args = Zone34To35(Out);
        Args.insert(Args.begin(), {"warp", "--catalogue", test::ShippedCatalogueFolder, "-q"});
        const test::TCliRun Done = Run(Args);
        ASSERT_EQ(Done.ExitCode, 0) << Done.Out << Done.Err;
    }
    // The key: value lines of info as numbers where they are numbers.
    std::map<std::string, double> Info(const std::string& Image) const {
        const test::TCliRun Done = Run({"info", Image});
        EXPECT_EQ(Done.ExitCode, 0) << Done.Err;
        std::map<std::string, double> Values;
        std::istringstream Lines(Done.Out);
        for (std::string Line; std::getline(Lines, Line);) {
            const std::size_t Colon = Line.find(": ");
            Values[Line.substr(0, Colon)] = StrToFloatDef(Line.substr(Colon + 2), NAN);
        }
        return Values;
    }
};

TEST_F(WarpFormats, EveryFormatHoldsTheCellsAndGeoreferencingOfTheErMapperOutput) {
    Warp(Path("ref.ers"));
    TDataSet2 Reference;
    ASSERT_TRUE(Reference.Open(Path("ref.ers"), 0, 0, 1, 1, omRead));
    const std::map<std::string, double> RefInfo = Info(Path("ref.ers"));
    const struct {
        const char* Name;
        bool Rounded;             // 16-bit integer cells
        double PositionTolerance; // single floats hold map positions to about half a metre here
    } Cases[] = {{"out.osd", false, 0}, {"out.dtm", false, 0.5}, {"out.001", true, 0}, {"out.veg", false, 0}};
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Warp(Path(Case.Name));
        TDataSet2 Output;
        ASSERT_TRUE(Output.Open(Path(Case.Name), 0, 0, 1, 1, omRead)) << Output.GetErrorText();
        for (std::int32_t Row = 0; Row < Reference.GetRows(); ++Row)
            for (std::int32_t Col = 0; Col < Reference.GetColumns(); ++Col) {
                float Expected = 0, Value = 0;
                ASSERT_TRUE(Reference.Raster()->ReadCell(Col, Row, 0, Expected));
                ASSERT_TRUE(Output.Raster()->ReadCell(Col, Row, 0, Value)) << Col << ", " << Row;
                ASSERT_EQ(Value, Case.Rounded ? std::nearbyint(Expected) : Expected) << Col << ", " << Row;
            }
        const std::map<std::string, double> OutInfo = Info(Path(Case.Name));
        for (const char* Key : {"cell size x", "cell size y", "origin x", "origin y"})
            EXPECT_NEAR(OutInfo.at(Key), RefInfo.at(Key), Case.PositionTolerance) << Key;
    }
}

} // namespace
} // namespace vortane
