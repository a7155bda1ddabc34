// Empty cells through a whole run: the input's nodata value keeps its cells out of the output's values,
// the output holds, declares and logs its own, and what an output cannot hold or declare is said.

#include "cli_runner.hpp"
#include "warp_fixture.hpp"

#include "cli/info_command.hpp"
#include "cli/warp_command.hpp"
#include "raster/data_set.hpp"
#include "raster/raster.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace vortane {
namespace {

class WarpNoData : public WarpCommand {
protected:
    void SetUp() override {
        WarpCommand::SetUp(); // the colour image in.ers
        WriteSample("float.ers", 1);
    }

    // warp from Input (in zone 34) to Output (in zone 35) with Extra options.
    test::TCliRun Warp(const std::string& Input, const std::string& Output,
                       const std::vector<std::string>& Extra) const {
        std::vector<std::string> Args = Zone34To35(Path(Output));
        Args[1] = Path(Input);
        Args.insert(Args.begin(), {"warp", "--catalogue", test::ShippedCatalogueFolder, "-q"});
        Args.insert(Args.end(), Extra.begin(), Extra.end());
        constexpr TAddCommand Commands[] = {AddWarpCommand};
        return test::RunCliWith(Commands, Args);
    }

    // Every cell of an image, band after band.
    std::vector<std::vector<float>> Bands(const std::string& Image) const {
        TDataSet2 Data;
        EXPECT_TRUE(Data.Open(Path(Image), 0, 0, 1, 1, omRead)) << Data.GetErrorText();
        std::vector<std::vector<float>> Cells(static_cast<std::size_t>(Data.GetBands()));
        for (std::uint32_t Band = 0; Band < Cells.size(); ++Band)
            for (std::int32_t Row = 0; Row < Data.GetRows(); ++Row)
                for (std::int32_t Col = 0; Col < Data.GetColumns(); ++Col) {
                    float Value = 0;
                    EXPECT_TRUE(Data.Raster()->ReadCell(Col, Row, Band, Value));
                    Cells[Band].push_back(Value);
                }
        return Cells;
    }
};

TEST_F(WarpNoData, TheInputsEmptyCellsStayOutAndTheOutputDeclaresItsOwn) {
    // A hole of 6 x 5 empty cells in the float image, which now declares them.
    {
        std::string Header = test::ReadText(Path("float.ers"));
        const std::size_t At = Header.find("NullCellValue = 0");
        ASSERT_NE(At, std::string::npos);
        test::WriteText(Path("float.ers"), Header.replace(At, 17, "NullCellValue = -9999"));
        TDataSet2 Image;
        ASSERT_TRUE(Image.Open(Path("float.ers"), 0, 0, 1, 1, omUpdate));
        for (std::int32_t Row = 10; Row < 15; ++Row)
            for (std::int32_t Col = 12; Col < 18; ++Col)
                ASSERT_TRUE(Image.Raster()->WriteCell(Col, Row, 0, -9999.0f));
    }
    const std::vector<float> Input = Bands("float.ers")[0];
    float Lowest = 1e30f;
    for (const float Value : Input)
        if (Value != -9999.0f) Lowest = std::min(Lowest, Value);
    const struct {
        std::vector<std::string> Options;
        float Empty;
        const char* Logged;
    } Cases[] = {
        {{}, -9999, " Nodata: input -9999, output -9999"},
        {{"--nodata", "-5", "--resampling", "cubic"}, -5, " Nodata: input -9999, output -5"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Logged);
        const test::TCliRun Done = Warp("float.ers", "out.ers", Case.Options);
        ASSERT_EQ(Done.ExitCode, 0) << Done.Err;
        EXPECT_THAT(test::ReadText(Path("out.log")), testing::HasSubstr(Case.Logged));
        EXPECT_THAT(test::ReadText(Path("out.ers")),
                    testing::HasSubstr("NullCellValue = " + NoDataText(Case.Empty) + "\r\n"));
        constexpr TAddCommand Info[] = {AddInfoCommand};
        EXPECT_THAT(test::RunCliWith(Info, {"info", Path("out.ers")}).Out,
                    testing::HasSubstr("\nnodata: " + NoDataText(Case.Empty) + "\n"));
        std::size_t Empty = 0;
        const std::vector<float> Cells = Bands("out.ers")[0];
        for (const float Value : Cells) {
            Empty += Value == Case.Empty;
            // Kernels may overshoot a little, but nothing is pulled toward -9999.
            if (Value != Case.Empty) {
                ASSERT_GT(Value, Lowest - 50);
            }
        }
        EXPECT_GT(Empty, 30u); // the hole and the margins around the turned image
    }
}

TEST_F(WarpNoData, WhatAnOutputCannotHoldOrDeclareIsSaidBeforeARowIsComputed) {
    const struct {
        std::vector<std::string> Options;
        const char* Output;
        const char* Said;
        bool Refused;
    } Cases[] = {
        {{"--nodata", "-9999"}, "out.tif", "Nodata value -9999 cannot be held by the image's", true},
        {{"--nodata", "1.5"}, "out.tif", "Nodata value 1.5 cannot be held", true},
        {{"--alpha"}, "out.ers", "Only TIFF outputs take these storage choices: alpha band", true},
        {{"--nodata", "7"}, "out.bmp", "has no place to declare", false},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Said);
        const test::TCliRun Done = Warp("in.ers", Case.Output, Case.Options);
        EXPECT_EQ(Done.ExitCode != 0, Case.Refused);
        EXPECT_THAT(Done.Err + test::ReadText(Path("out.log")), testing::HasSubstr(Case.Said));
        EXPECT_EQ(std::filesystem::exists(Path(Case.Output)), !Case.Refused);
    }
}

} // namespace
} // namespace vortane
