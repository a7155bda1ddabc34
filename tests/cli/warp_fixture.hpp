#pragma once
// The fixture of the warp command's tests: a temporary folder holding a small sample image in UTM zone
// 34 north ("in.ers", 40 x 30 cells of 25 m).

#include "job/sample_image.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vortane {

// The images a run wrote into Folder (logs and reports aside) by name, without the headers' time of
// writing: what two runs that should agree are compared by.
inline std::map<std::string, std::string> OutputImages(const std::string& Folder) {
    std::map<std::string, std::string> Files;
    for (const auto& Entry : std::filesystem::directory_iterator(Folder)) {
        const std::string Ext = Entry.path().extension().string();
        if (Ext == ".log" || Ext == ".txt") continue;
        Files[Entry.path().filename()] = test::ReadTextUndated(Entry.path());
    }
    return Files;
}

class WarpCommand : public test::TTempDirTest {
protected:
    void SetUp() override { WriteSample("in.ers", 3); }

    // A 40 x 30 sample image of Bands bands (3: colour bytes, otherwise floats) as Name.
    void WriteSample(const std::string& Name, std::int32_t Bands) const {
        TSampleImage Small;
        Small.Columns = 40;
        Small.Rows = 30;
        Small.Bands = Bands;
        std::string Error;
        ASSERT_TRUE(WriteSampleImage(Path(Name), Small, Error)) << Error;
    }

    std::vector<std::string> Zone34To35(const std::string& Out) const {
        return {"--input",     Path("in.ers"), "--output",     Out,      "--in-spheroid",  "WE",
                "--in-datum",  "WGS84",        "--in-system",  "NUTM34", "--out-spheroid", "WE",
                "--out-datum", "WGS84",        "--out-system", "NUTM35"};
    }
};

} // namespace vortane
