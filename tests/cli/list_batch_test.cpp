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

    test::TCliRun WarpList(const std::string& Output, std::vector<std::string> Extra = {}) {
        std::vector<std::string> Args = Zone34To35(Output);
        Args[1] = Path("photos.lst");
        Args.insert(Args.begin(), {"warp", "--quiet", "--list"});
        Args.insert(Args.end(), Extra.begin(), Extra.end());
        return Run(Args);
    }

    // The images a run wrote (logs and reports aside) by name, without the headers' time of writing.
    std::map<std::string, std::string> Outputs(const std::string& Folder) const {
        std::map<std::string, std::string> Files;
        for (const auto& Entry : std::filesystem::directory_iterator(Path(Folder))) {
            const std::string Ext = Entry.path().extension().string();
            if (Ext == ".log" || Ext == ".txt") continue;
            Files[Entry.path().filename()] = test::ReadTextUndated(Entry.path());
        }
        return Files;
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
    const auto Expected = Outputs("single");
    EXPECT_EQ(Expected.size(), 12u); // six headers and six cell files
    const auto Sharded = Outputs("sharded");
    ASSERT_EQ(Sharded.size(), Expected.size());
    for (const auto& [Name, Bytes] : Expected)
        EXPECT_TRUE(Sharded.contains(Name) && Sharded.at(Name) == Bytes) << Name << " differs";
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
