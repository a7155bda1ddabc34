// The settings file both front ends read: every key in its section, read into its field and written
// back as the desktop program has always written it.
#include "job/settings.hpp"

#include "support/temp_dir.hpp"
#include "text/ini.hpp"

#include <algorithm>
#include <string>
#include <vector>

namespace vortane {
namespace {

class Settings : public test::TTempDirTest {};

TEST_F(Settings, EveryKeyIsReadIntoItsFieldAndWrittenBackInItsSection) {
    const struct {
        const char* Section;
        const char* Key;
        const char* Value;
    } Keys[] = {
        {"Input", "Spheroid", "WE"},
        {"Input", "Datum", "WGS84"},
        {"Input", "Projection", "NUTM34"},
        {"Output", "Spheroid", "IN"},
        {"Output", "Datum", "ED50"},
        {"Output", "Projection", "NUTM35"},
        {"Files", "InName", "/d/in.ers"},
        {"Files", "OutName", "/d/out.tif"},
        {"Options", "List", "1"},
        {"Options", "BackGround", "16711935"},
        {"Options", "InUnits", "1"},
        {"Options", "OutUnits", "1"},
        {"Options", "ExactProjections", "1"},
        {"Options", "ErsRegistration", "centre"},
        {"Options", "Resampling", "cubic"},
        {"Options", "Compression", "deflate"},
        {"Options", "Quality", "90"},
        {"Options", "TileSize", "512"},
        {"Options", "Cog", "1"},
        {"Options", "NoData", "-9999"},
        {"Options", "Alpha", "1"},
    };
    // As read, and as written afresh: then with two blank lines ahead of every section but the first.
    std::string Text, Written, Section;
    for (const auto& Key : Keys) {
        if (Key.Section != Section) {
            // Appended rather than added up: GCC 12 at -O3 takes the sum for an overlapping copy.
            const std::string Head = std::string("[").append(Key.Section).append("]\r\n");
            Text += Head;
            Written += (Section.empty() ? "" : "\r\n\r\n") + Head;
            Section = Key.Section;
        }
        const std::string Line = std::string(Key.Key) + "=" + Key.Value + "\r\n";
        Text += Line;
        Written += Line;
    }
    TSettings Expected;
    Expected.InSpheroid = "WE", Expected.InDatum = "WGS84", Expected.InProjection = "NUTM34";
    Expected.OutSpheroid = "IN", Expected.OutDatum = "ED50", Expected.OutProjection = "NUTM35";
    Expected.InName = "/d/in.ers", Expected.OutName = "/d/out.tif";
    Expected.List = true, Expected.BackGround = 0xFF00FF, Expected.InUnits = 1, Expected.OutUnits = 1;
    Expected.ExactProjections = true;
    Expected.ErsRegistration = "centre";
    Expected.Resampling = "cubic";
    Expected.Compression = "deflate", Expected.Quality = 90, Expected.TileSize = 512, Expected.Cog = true;
    Expected.NoData = "-9999", Expected.Alpha = true;

    EXPECT_EQ(ReadSettings(WriteFile("full.ini", Text)), Expected);
    EXPECT_EQ(ReadSettings(Path("missing.ini")), TSettings{});
    EXPECT_EQ(ReadSettings(WriteFile("other.ini", "[Options]\r\nList=yes\r\nOther=1\r\n")), TSettings{});

    // A fresh file lists the keys in this order; a file in a folder not made yet gets its folder.
    ASSERT_TRUE(WriteSettings(Expected, Path("new/vortane.ini")));
    EXPECT_EQ(test::ReadText(Path("new/vortane.ini")), Written);
    // Keys of others are kept.
    WriteFile("kept.ini", "[Window]\r\nLeft=10\r\n[Options]\r\nList=0\r\nTheme=dark\r\n");
    ASSERT_TRUE(WriteSettings(Expected, Path("kept.ini")));
    const TIniAdd Kept(Path("kept.ini"));
    EXPECT_EQ(Kept.ReadString("Window", "Left", ""), "10");
    EXPECT_EQ(Kept.ReadString("Options", "Theme", ""), "dark");
    for (const auto& Key : Keys)
        EXPECT_EQ(Kept.ReadString(Key.Section, Key.Key, ""), Key.Value) << Key.Key;

    EXPECT_FALSE(WriteSettings(Expected, WriteFile("file", "") + "/vortane.ini"));
}

TEST_F(Settings, RecentListsKeepTheLastTenMostRecentFirstAndShrinkWithoutRemnants) {
    std::vector<std::string> Inputs;
    for (int i = 0; i < 12; ++i)
        RememberFirst(Inputs, "/d/" + std::to_string(i) + ".ers");
    RememberFirst(Inputs, std::string("/d/5.ers")); // used again: first, and once
    ASSERT_EQ(Inputs.size(), TSettings::RecentCount);
    EXPECT_EQ(Inputs.front(), "/d/5.ers");
    EXPECT_EQ(Inputs[1], "/d/11.ers");
    EXPECT_EQ(std::count(Inputs.begin(), Inputs.end(), "/d/5.ers"), 1);

    TSettings Stored;
    Stored.RecentInputs = Inputs;
    Stored.RecentSystems = {{"WE", "WGS84", "NUTM34"}, {"AA", "OSGB36", "BNG"}};
    ASSERT_TRUE(WriteSettings(Stored, Path("recent.ini")));
    EXPECT_EQ(ReadSettings(Path("recent.ini")), Stored);
    Stored.RecentInputs.resize(1);
    Stored.RecentSystems.resize(1);
    ASSERT_TRUE(WriteSettings(Stored, Path("recent.ini")));
    EXPECT_EQ(ReadSettings(Path("recent.ini")), Stored);
}

} // namespace
} // namespace vortane
