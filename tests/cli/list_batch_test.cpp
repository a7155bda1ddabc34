// A photo list spread over shards and merged gives the same report and outputs as one run.
#include "cli_runner.hpp"
#include "warp_fixture.hpp"

#include "cli/report_command.hpp"
#include "cli/warp_command.hpp"
#include "job/photo_list.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vortane {
namespace {

class ListShards : public WarpCommand {
protected:
    // Six images of different sizes and a missing one in the middle, so shards have gaps to keep.
    void SetUp() override {
        WarpCommand::SetUp();
        std::string List = ";six images\r\n";
        for (int Image = 1; Image <= 6; ++Image) {
            TSampleImage Sample;
            Sample.Columns = 10 + Image;
            Sample.Rows = 8 + Image;
            Sample.West += 100.0 * Image;
            std::string Error;
            const std::string Name = "img" + std::to_string(Image) + ".ers";
            ASSERT_TRUE(WriteSampleImage(Path(Name), Sample, Error)) << Error;
            List += Name + " 0 0 0 0\r\n";
            if (Image == 3) List += "missing.ers 0 0 0 0\r\n";
        }
        test::WriteText(Path("photos.lst"), List);
    }

    test::TCliRun Run(std::vector<std::string> Args) {
        constexpr TAddCommand Commands[] = {AddWarpCommand, AddReportCommand};
        Args.insert(Args.begin(), {"--catalogue", test::ShippedCatalogueFolder});
        return test::RunCliWith(Commands, std::move(Args));
    }

    test::TCliRun WarpList(const std::string& Output, std::vector<std::string> Extra = {},
                           const std::string& List = "photos.lst") {
        std::vector<std::string> Args = Zone34To35(Output);
        Args[1] = Path(List);
        Args.insert(Args.begin(), {"warp", "--quiet", "--list"});
        Args.insert(Args.end(), Extra.begin(), Extra.end());
        return Run(Args);
    }

    void WriteImage(const std::string& Name) const {
        std::filesystem::create_directories(std::filesystem::path(Path(Name)).parent_path());
        TSampleImage Sample;
        Sample.Columns = 6;
        Sample.Rows = 5;
        std::string Error;
        ASSERT_TRUE(WriteSampleImage(Path(Name), Sample, Error)) << Error;
    }
};

TEST_F(ListShards, ThreeShardsMergedEqualOneRun) {
    std::filesystem::create_directory(Path("single"));
    std::filesystem::create_directory(Path("sharded"));
    EXPECT_EQ(WarpList(Path("single/res.ers")).ExitCode, 1); // the missing entry fails
    std::vector<std::string> Reports;
    for (const char* Shard : {"1/3", "2/3", "3/3"}) {
        const test::TCliRun Done = WarpList(Path("sharded/res.ers"), {"--shard", Shard});
        // Only the shard holding the missing entry (the fourth) fails.
        EXPECT_EQ(Done.ExitCode, Shard == std::string("1/3") ? 1 : 0) << Shard << Done.Err;
        Reports.push_back(Path("sharded/res.shard-") + Shard[0] + "-of-3.txt");
        EXPECT_TRUE(std::filesystem::exists(ChangeFileExt(Reports.back(), ".log")));
    }

    std::vector<std::string> Incomplete{"report",   "merge",    Reports[0],
                                        Reports[2], "--output", Path("part.txt")};
    const test::TCliRun Refused = Run(Incomplete);
    EXPECT_EQ(Refused.ExitCode, 1);
    EXPECT_EQ(Refused.Err, "Shard 2 of 3 is missing\n");
    EXPECT_FALSE(std::filesystem::exists(Path("part.txt")));

    std::vector<std::string> Merge{
        "report", "merge", Reports[2], Reports[0], Reports[1], "--output", Path("sharded/res.txt")};
    const test::TCliRun Merged = Run(Merge);
    ASSERT_EQ(Merged.ExitCode, 0) << Merged.Err;
    const std::string Single = test::ReadText(Path("single/res.txt"));
    EXPECT_EQ(std::count(Single.begin(), Single.end(), '\n'), 8); // first line, fingerprint, six images
    EXPECT_EQ(test::ReadText(Path("sharded/res.txt")), Single);
    const auto Expected = OutputImages(Path("single"));
    EXPECT_EQ(Expected.size(), 18u); // six headers, six cell files and their six .aux.xml files
    const auto Sharded = OutputImages(Path("sharded"));
    ASSERT_EQ(Sharded.size(), Expected.size());
    for (const auto& [Name, Bytes] : Expected)
        EXPECT_TRUE(Sharded.contains(Name) && Sharded.at(Name) == Bytes) << Name << " differs";

    // A shard of another run (another step) is refused, and so is every target that is no report.
    std::filesystem::create_directory(Path("other"));
    EXPECT_EQ(WarpList(Path("other/res.ers"), {"--shard", "2/3", "--step", "30"}).ExitCode, 0);
    const std::string Other = Path("other/res.shard-2-of-3.txt");
    const struct {
        std::vector<std::string> Shards;
        std::string Output, Error;
    } Refusals[] = {
        {{Reports[0], Other, Reports[2]},
         Path("mixed.txt"),
         Other + " belongs to another run than " + Reports[0]},
        {Reports, Path("photos.lst"),
         "The merged report would overwrite the photo list " + Path("photos.lst")},
        {Reports, Reports[1], "The merged report would overwrite the shard report " + Reports[1]},
        {Reports, Path("sharded/img1.ers"),
         "The merged report would overwrite " + Path("sharded/img1.ers") + ", which is no report"},
    };
    for (const auto& Case : Refusals) {
        SCOPED_TRACE(Case.Output);
        const std::string Before = test::ReadText(Case.Output);
        std::vector<std::string> Args{"report", "merge"};
        Args.insert(Args.end(), Case.Shards.begin(), Case.Shards.end());
        Args.insert(Args.end(), {"--output", Case.Output});
        const test::TCliRun Done = Run(Args);
        EXPECT_EQ(Done.ExitCode, 1);
        EXPECT_EQ(Done.Err.rfind(Case.Error, 0), 0u) << Done.Err;
        EXPECT_EQ(test::ReadText(Case.Output), Before);
    }
}

// Wherever an entry points, its output lands in the output folder (keeping the entry's subfolders) or
// the entry fails with the reason; nothing outside the output folder is touched.
TEST_F(ListShards, EveryOutputStaysInTheOutputFolder) {
    WriteImage("img/p.ers");
    WriteImage("abs/a.ers");
    WriteImage("lists/sub/deep/s.ers");
    WriteImage("lists/my photo.ers");
    // The name "../img/p.ers" once took from the output folder out/run/ lies here: it must stay as it is.
    std::filesystem::create_directories(Path("out/img"));
    test::WriteText(Path("out/img/p.ers"), "unrelated");
    test::WriteText(Path("lists/photos.lst"), "../img/p.ers 1 2 3 4\n" + Path("abs/a.ers") +
                                                  "\nsub/deep/s.ers\n\"my photo.ers\" 1 2 3 4\n");
    std::filesystem::create_directories(Path("out/run"));
    const test::TCliRun Done = WarpList(Path("out/run/res.ers"), {}, "lists/photos.lst");

    EXPECT_EQ(Done.ExitCode, 1);
    EXPECT_EQ(Done.Out, "1 of 4 images failed\n");
    EXPECT_NE(Done.Err.find(Path("lists/../img/p.ers") + ": its output would leave the output folder\n"),
              std::string::npos)
        << Done.Err;
    EXPECT_EQ(test::ReadText(Path("out/img/p.ers")), "unrelated");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("out/img")), {}), 1);
    // The report is a photo list of the outputs, read from its own folder.
    TdbPhoto Report;
    ASSERT_TRUE(Report.Load(Path("out/run/res.txt"))) << Report.ErrorText;
    EXPECT_EQ(Report.Names, (std::vector<std::string>{"a.ers", "sub/deep/s.ers", "my photo.ers"}));
    for (const std::string& Name : Report.Names)
        EXPECT_TRUE(std::filesystem::is_regular_file(Path("out/run/" + Name))) << Name;
    EXPECT_NE(test::ReadText(Path("out/run/res.txt")).find("\n\"my photo.ers\" "), std::string::npos);
}

TEST_F(ListShards, ShardAndResumeBelongToListRuns) {
    const struct {
        std::vector<std::string> Args;
        std::string Message;
    } Cases[] = {
        {{"--list", "--shard", "0/3"}, "--shard \"0/3\" is not I/N with 1 <= I <= N\n"},
        {{"--list", "--shard", "4/3"}, "--shard \"4/3\" is not I/N with 1 <= I <= N\n"},
        {{"--list", "--shard", "1/x"}, "--shard \"1/x\" is not I/N with 1 <= I <= N\n"},
        {{"--shard", "1/2"}, "--shard needs --list\n"},
        {{"--resume"}, "--resume needs --list\n"},
    };
    for (const auto& Case : Cases) {
        std::vector<std::string> Args = Zone34To35(Path("out.ers"));
        Args.insert(Args.begin(), "warp");
        Args.insert(Args.end(), Case.Args.begin(), Case.Args.end());
        const test::TCliRun Done = Run(Args);
        EXPECT_EQ(Done.ExitCode, 2);
        EXPECT_EQ(Done.Err, Case.Message);
    }
}

} // namespace
} // namespace vortane
