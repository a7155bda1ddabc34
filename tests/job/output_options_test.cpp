// The output storage choices as options and settings give them: checked, with the defaults a
// cloud-optimised output takes.
#include "job/output_options.hpp"

#include <gtest/gtest.h>

namespace vortane {
namespace {

TEST(OutputChoices, AreCheckedAndNameTheFaultyOption) {
    const struct {
        TOutputChoices Choices;
        const char* Problem; // the start of the message; "" when the choices are accepted
    } Cases[] = {
        {{}, ""},
        {{.Compression = "zip"}, "Compression \"zip\" is not one of none, deflate, lzw, zstd, jpeg"},
        {{.Compression = "jpeg", .Quality = 0}, "JPEG quality 0 is not between 1 and 100"},
        {{.Compression = "jpeg", .Quality = 101}, "JPEG quality 101"},
        {{.TileSize = 300}, "Tile size 300 is not 256 or 512"},
        {{.NoData = "nan"}, "Nodata value \"nan\" is not a finite number"},
        {{.NoData = "1e999"}, "Nodata value"},
        {{.NoData = "-9999x"}, "Nodata value"},
    };
    for (const auto& Case : Cases) {
        TCreationOptions Options;
        const std::string Problem = ResolveOutputChoices(Case.Choices, Options);
        EXPECT_EQ(Problem.substr(0, std::string(Case.Problem).size()), Case.Problem) << Problem;
        EXPECT_EQ(Problem.empty(), std::string(Case.Problem).empty()) << Problem;
    }
}

TEST(OutputChoices, DefaultsArePlainAndACogIsTiledAndCompressed) {
    TCreationOptions Options;
    ASSERT_EQ(ResolveOutputChoices({}, Options), "");
    EXPECT_TRUE(Options.Plain());

    ASSERT_EQ(ResolveOutputChoices({.Cog = true}, Options), "");
    EXPECT_EQ(Options.Compression, TCompression::Deflate);
    EXPECT_EQ(Options.TileSize, 512);
    ASSERT_EQ(ResolveOutputChoices({.Compression = "lzw", .TileSize = 256, .Cog = true, .NoData = "-9999"},
                                   Options),
              "");
    EXPECT_EQ(Options.Compression, TCompression::Lzw);
    EXPECT_EQ(Options.TileSize, 256);
    EXPECT_EQ(Options.NoData, -9999.0);
    EXPECT_FALSE(Options.Plain());
}

} // namespace
} // namespace vortane
