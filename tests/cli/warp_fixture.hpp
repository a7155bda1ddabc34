#pragma once
// The fixture of the warp command's tests: a temporary folder holding a small sample image in UTM zone
// 34 north ("in.ers", 40 x 30 cells of 25 m).

#include "job/sample_image.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vortane {

class WarpCommand : public test::TTempDirTest {
protected:
    void SetUp() override {
        TSampleImage Small;
        Small.Columns = 40;
        Small.Rows = 30;
        std::string Error;
        ASSERT_TRUE(WriteSampleImage(Path("in.ers"), Small, Error)) << Error;
    }

    std::vector<std::string> Zone34To35(const std::string& Out) const {
        return {"--input",     Path("in.ers"), "--output",     Out,      "--in-spheroid",  "WE",
                "--in-datum",  "WGS84",        "--in-system",  "NUTM34", "--out-spheroid", "WE",
                "--out-datum", "WGS84",        "--out-system", "NUTM35"};
    }
};

} // namespace vortane
