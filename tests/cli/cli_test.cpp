#include "cli/cli_app.hpp"
#include "cli/info_command.hpp"
#include "job/data_set.hpp"
#include "raster/raster.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace vortane {
namespace {

struct TRun {
    int ExitCode;
    std::string Out;
    std::string Err;
};

TRun RunCommandLine(std::vector<std::string> Args)
{
    Args.insert(Args.begin(), "vortane-cli");
    std::vector<const char*> Argv;
    for (const std::string& Arg : Args)
        Argv.push_back(Arg.c_str());
    constexpr TAddCommand Commands[] = {AddInfoCommand};
    std::ostringstream Out, Err;
    const int ExitCode = RunCli(static_cast<int>(Argv.size()), Argv.data(), Commands, Out, Err);
    return {ExitCode, Out.str(), Err.str()};
}

TEST(CliFramework, HelpExplainsTheCommandsWithAnExample)
{
    const TRun Main = RunCommandLine({"--help"});
    EXPECT_EQ(Main.ExitCode, 0);
    EXPECT_NE(Main.Out.find("info"), std::string::npos);
    EXPECT_NE(Main.Out.find("--catalogue DIR"), std::string::npos);

    const TRun Info = RunCommandLine({"info", "--help"});
    EXPECT_EQ(Info.ExitCode, 0);
    EXPECT_NE(Info.Out.find("PATH"), std::string::npos);
    EXPECT_NE(Info.Out.find("Example:\n  vortane-cli info image.ers"), std::string::npos) << Info.Out;
}

TEST(CliFramework, UsageErrorsExitWithStatusTwoAndAMessage)
{
    const struct {
        std::vector<std::string> Args;
        std::string Message; // part of what stderr must say
    } Cases[] = {
        {{}, "A subcommand is required"},
        {{"--bogus"}, "Unknown command or option: --bogus"},
        {{"frobnicate"}, "Unknown command or option: frobnicate"},
        {{"info", "--bogus", "x.ers"}, "--bogus"},
        {{"--catalogue"}, "--catalogue: 1 required DIR missing"},
        {{"info"}, "PATH is required"},
        {{"info", "a.ers", "b.ers"}, "b.ers"},
    };
    for (const auto& Case : Cases) {
        const TRun Result = RunCommandLine(Case.Args);
        SCOPED_TRACE(Case.Message);
        EXPECT_EQ(Result.ExitCode, 2);
        EXPECT_NE(Result.Err.find(Case.Message), std::string::npos) << Result.Err;
        EXPECT_NE(Result.Err.find("Run with --help"), std::string::npos) << Result.Err;
        EXPECT_TRUE(Result.Out.empty());
    }
}

class InfoCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        FDir = std::filesystem::temp_directory_path() /
               ("vortane_cli_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(FDir);
    }
    void TearDown() override { std::filesystem::remove_all(FDir); }

    std::string Path(const std::string& Name) const { return (FDir / Name).string(); }

    std::filesystem::path FDir;
};

TEST_F(InfoCommand, DescribesAnErMapperImage)
{
    const std::string Image = Path("image.ers");
    {
        TDataSet2 Created;
        ASSERT_TRUE(Created.Open(Image, 4, 3, 4, 2, omCreate)) << Created.GetErrorText();
        Created.SetGeoreference("WE", "WGS84", "TMGRID", 2.5, 3, 10, 20, 1000, 5000);
        Created.Raster()->GetControlPoints()->AddFromErsLine("\"P1\" Yes No 1 2 1002.5 4994 0");
        Created.Raster()->GetControlPoints()->AddFromErsLine("\"P2\" No No 3 1 1007.5 4997 0");
    } // the header is written when the data set is released

    const TRun Result = RunCommandLine({"info", Image});
    EXPECT_EQ(Result.ExitCode, 0) << Result.Err;
    EXPECT_EQ(Result.Err, "");
    EXPECT_EQ(Result.Out, "format: ER Mapper\n"
                          "columns: 4\n"
                          "rows: 3\n"
                          "bands: 2\n"
                          "cell type: UNSIGNED16BITINTEGER\n"
                          "byte order: LSBFirst\n"
                          "cell size x: 2.5\n"
                          "cell size y: 3\n"
                          "origin x: 975\n"
                          "origin y: 5060\n"
                          "registration cell x: 10\n"
                          "registration cell y: 20\n"
                          "easting: 1000\n"
                          "northing: 5000\n"
                          "spheroid: \n"
                          "datum: \"WGS84\"\n"
                          "projection: \"TMGRID\"\n"
                          "control points: 2\n");
}

TEST_F(InfoCommand, TheCommonCatalogueOptionMayFollowTheCommand)
{
    const TRun Result = RunCommandLine({"info", Path("missing.ers"), "--catalogue", FDir.string()});
    EXPECT_EQ(Result.ExitCode, 1);
    EXPECT_EQ(Result.Err, "No file: " + Path("missing.ers") + "\n");
}

TEST_F(InfoCommand, ImagesThatCannotBeOpenedExitWithStatusOneAndTheErrorText)
{
    const auto Write = [&](const std::string& Name, const std::string& Bytes) {
        std::ofstream(Path(Name), std::ios::binary) << Bytes;
        return Path(Name);
    };
    const struct {
        std::string File;
        std::string Err;
    } Cases[] = {
        {Path("missing.ers"), "No file: " + Path("missing.ers") + "\n"},
        {Write("short.ers", "DAT"), "No data available\n"},
        {Write("garbage.xyz", "\x01\x02\x03\x04\x05\x06\x07\x08\x09"), "Unknown file type: " + Path("garbage.xyz") + "\n"},
        {FDir.string(), "No file: " + FDir.string() + "\n"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.File);
        const TRun Result = RunCommandLine({"info", Case.File});
        EXPECT_EQ(Result.ExitCode, 1);
        EXPECT_EQ(Result.Out, "");
        EXPECT_EQ(Result.Err, Case.Err);
    }
    // A header without its cell file fails in the raster, which gives the reason.
    const TRun Headerless = RunCommandLine({"info", Write("lonely.ers", "DatasetHeader Begin\nDatasetHeader End\n")});
    EXPECT_EQ(Headerless.ExitCode, 1);
    EXPECT_FALSE(Headerless.Err.empty());
}

} // namespace
} // namespace vortane
