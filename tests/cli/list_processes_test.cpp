// Photo list runs as separate processes of the real program: killed in the middle and resumed, run
// beside each other on one output, and spread over shards by GNU parallel. Whatever happens to a run,
// resuming it gives the same cells and report as one undisturbed run.
#include "child_process.hpp"
#include "cli_runner.hpp"
#include "warp_fixture.hpp"

#include "job/sample_image.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vortane {
namespace {

namespace fs = std::filesystem;
using test::CliProgram;
using test::ExitedWith;
using test::TChild;

class ListProcesses : public test::TTempDirTest {
protected:
    // A list of Count small images "img1.ers" ..., the one at position Tall (from 1) 2000 rows high: its
    // progress bar alone overfills a terminal's buffer, so a run showing it there stops in its middle.
    void WriteList(int Count, int Tall) {
        std::string List;
        for (int Image = 1; Image <= Count; ++Image) {
            TSampleImage Sample;
            Sample.Columns = Image == Tall ? 4 : 6 + Image % 3;
            Sample.Rows = Image == Tall ? 2000 : 5;
            Sample.West += 1000.0 * Image;
            std::string Error;
            ASSERT_TRUE(WriteSampleImage(Path(ImageName(Image)), Sample, Error)) << Error;
            List += ImageName(Image) + " 0 0 0 0\n";
        }
        test::WriteText(Path("photos.lst"), List);
    }

    static std::string ImageName(int Image) { return "img" + std::to_string(Image) + ".ers"; }

    std::vector<std::string> WarpArgs(const std::string& Output,
                                      const std::vector<std::string>& Extra) const {
        std::vector<std::string> Args{"--catalogue",    test::ShippedCatalogueFolder,
                                      "warp",           "--list",
                                      "--input",        Path("photos.lst"),
                                      "--output",       Output,
                                      "--in-spheroid",  "WE",
                                      "--in-datum",     "WGS84",
                                      "--in-system",    "NUTM34",
                                      "--out-spheroid", "WE",
                                      "--out-datum",    "WGS84",
                                      "--out-system",   "NUTM35"};
        Args.insert(Args.end(), Extra.begin(), Extra.end());
        return Args;
    }

    // One undisturbed run into Folder: what every other way of running the list must come to.
    void RunOnce(const std::string& Folder) {
        fs::create_directories(Path(Folder));
        TChild Run(CliProgram, WarpArgs(Path(Folder + "/res.ers"), {"--quiet"}));
        ASSERT_TRUE(ExitedWith(Run.Wait(), 0));
    }

    void ExpectSameResult(const std::string& Folder, const std::string& Expected) const {
        EXPECT_EQ(test::ReadText(Path(Folder + "/res.txt")), test::ReadText(Path(Expected + "/res.txt")));
        const auto Files = OutputImages(Path(Folder));
        const auto Wanted = OutputImages(Path(Expected));
        EXPECT_EQ(Files.size(), Wanted.size());
        for (const auto& [Name, Bytes] : Wanted)
            EXPECT_TRUE(Files.contains(Name) && Files.at(Name) == Bytes)
                << Folder << "/" << Name << " differs";
    }

    // The message of the log line that starts processing image Image.
    std::string StartLine(int Image) const { return " Processing file: " + Path(ImageName(Image)) + "\r\n"; }
};

TEST_F(ListProcesses, ARunKilledAfterItsFirstImageResumesToTheSameCellsAndReport) {
    WriteList(3, 2);
    RunOnce("fresh");
    fs::create_directories(Path("out"));
    const std::string Log = Path("out/res.log");

    // Shown on a terminal nobody reads, the run holds still in the middle of the tall second image.
    test::TUnreadTerminal Terminal;
    TChild Killed(CliProgram, WarpArgs(Path("out/res.ers"), {}), {"/dev/null", Terminal.SlaveName()});
    ASSERT_TRUE(test::WaitForText(Log, StartLine(2), Killed.Pid()));

    // Meanwhile a second run on the same output is refused and changes nothing.
    const std::string LogBefore = test::ReadText(Log);
    TChild Second(CliProgram, WarpArgs(Path("out/res.ers"), {"--quiet"}),
                  {Path("second.out"), Path("second.err")});
    EXPECT_TRUE(ExitedWith(Second.Wait(), 1));
    const std::string Refusal =
        "Another run is writing to " + Log + " (a run on the same output); this run did not start\n";
    EXPECT_EQ(test::ReadText(Path("second.out")), Refusal);
    EXPECT_EQ(test::ReadText(Log), LogBefore);

    Killed.Kill();
    const int Status = Killed.Wait();
    ASSERT_TRUE(WIFSIGNALED(Status) && WTERMSIG(Status) == SIGKILL);
    ASSERT_NE(LogBefore.find(" Processing file: " + Path("img1.ers") + " finished"), std::string::npos);
    // The finished first output damaged afterwards: its cells cut short.
    fs::resize_file(Path("out/img1"), fs::file_size(Path("out/img1")) / 2);

    TChild Resumed(CliProgram, WarpArgs(Path("out/res.ers"), {"--quiet", "--resume"}));
    EXPECT_TRUE(ExitedWith(Resumed.Wait(), 0));
    ExpectSameResult("out", "fresh");
    // All three were done again: the first for its damage, the second for the kill, the third never ran.
    const std::string Resume = test::ReadText(Log).substr(LogBefore.size());
    for (int Image = 1; Image <= 3; ++Image)
        EXPECT_NE(Resume.find(StartLine(Image)), std::string::npos) << Image;
}

// GNU parallel runs four shards; the second is killed in the middle of an image and the whole set is
// started again with --resume, as a scheduler retries; the merged report and the outputs are those of
// one run. A shard of another run (another step) is refused by the merge.
TEST_F(ListProcesses, FourShardsUnderGnuParallelWithOneKilledMergeIntoOneRunsResult) {
    ASSERT_EQ(std::system("command -v parallel >/dev/null"), 0)
        << "GNU parallel is missing (./dev installs it)";
    WriteList(12, 6); // shard 2 of 4 takes entries 2, 6 and 10
    RunOnce("single");
    fs::create_directories(Path("sharded"));
    test::TUnreadTerminal Terminal;
    // The shard job: records its process id, then becomes vortane-cli; shard 2 of the first round shows
    // its progress on the unread terminal.
    std::string Command;
    for (const std::string& Arg : WarpArgs(Path("sharded/res.ers"), {}))
        Command += " '" + Arg + "'";
    test::WriteText(Path("shard.sh"), "shard=$1; shift\n"
                                      "echo $$ > " +
                                          Path("shard-$shard.pid") +
                                          "\n"
                                          "if [ \"$1\" = hold ] && [ $shard = 2 ]; then\n"
                                          "  exec '" +
                                          CliProgram + "'" + Command + " --shard $shard/4 2>'" +
                                          Terminal.SlaveName() +
                                          "'\n"
                                          "fi\n"
                                          "[ \"$1\" = hold ] && shift\n"
                                          "exec '" +
                                          CliProgram + "'" + Command + " --quiet \"$@\" --shard $shard/4\n");
    const auto Parallel = [this](const std::string& Mode) {
        return std::vector<std::string>{
            "parallel", "--will-cite", "-j4", "sh", Path("shard.sh"), "{}", Mode, ":::", "1", "2", "3", "4"};
    };
    {
        TChild Round(std::string("/usr/bin/env"), Parallel("hold"),
                     {Path("parallel.out"), Path("parallel.err")});
        ASSERT_TRUE(test::WaitForText(Path("sharded/res.shard-2-of-4.log"), StartLine(6), Round.Pid()));
        const pid_t Shard2 = std::stoi(test::ReadText(Path("shard-2.pid")));
        ::kill(Shard2, SIGKILL);
        EXPECT_TRUE(ExitedWith(Round.Wait(), 1)) << test::ReadText(Path("parallel.err")); // one job failed
        EXPECT_EQ(test::ReadText(Path("sharded/res.shard-2-of-4.log")).find(Path("img6.ers") + " finished"),
                  std::string::npos);
    }
    TChild Retry(std::string("/usr/bin/env"), Parallel("--resume"), {Path("retry.out"), Path("retry.err")});
    ASSERT_TRUE(ExitedWith(Retry.Wait(), 0)) << test::ReadText(Path("retry.err"));
    std::vector<std::string> Shards;
    for (int Shard = 1; Shard <= 4; ++Shard)
        Shards.push_back(Path("sharded/res.shard-" + std::to_string(Shard) + "-of-4.txt"));
    const auto Merge = [this](const std::vector<std::string>& Reports, const std::string& Output) {
        std::vector<std::string> Args{"report", "merge"};
        Args.insert(Args.end(), Reports.begin(), Reports.end());
        Args.insert(Args.end(), {"--output", Output});
        TChild Run(CliProgram, Args, {Path("merge.out"), Path("merge.err")});
        return Run.Wait();
    };
    ASSERT_TRUE(ExitedWith(Merge(Shards, Path("sharded/res.txt")), 0)) << test::ReadText(Path("merge.err"));
    ExpectSameResult("sharded", "single");

    fs::create_directories(Path("other"));
    TChild Other(CliProgram, WarpArgs(Path("other/res.ers"), {"--quiet", "--step", "30", "--shard", "3/4"}));
    ASSERT_TRUE(ExitedWith(Other.Wait(), 0));
    std::vector<std::string> Mixed = Shards;
    Mixed[2] = Path("other/res.shard-3-of-4.txt");
    EXPECT_TRUE(ExitedWith(Merge(Mixed, Path("mixed.txt")), 1));
    EXPECT_EQ(
        test::ReadText(Path("merge.err")).rfind(Mixed[2] + " belongs to another run than " + Shards[0], 0),
        0u);
    EXPECT_FALSE(fs::exists(Path("mixed.txt")));
}

// Over a file size limit (ulimit -f) the program is not ended by SIGXFSZ: the write fails with the
// reason, the status says so and the exit status is 1.
TEST_F(ListProcesses, AFileSizeLimitIsAWriteErrorWithItsReasonNotASignal) {
    WriteList(2, 2); // the tall image's output is larger than the limit below, the small one's is not
    fs::create_directories(Path("out"));
    const struct {
        std::vector<std::string> Args;
        std::string LastLine, Reason;
    } Cases[] = {
        {{"warp", "--quiet", "--input", Path("img2.ers"), "--output", Path("single.ers"), "--in-spheroid",
          "WE", "--in-datum", "WGS84", "--in-system", "NUTM34", "--out-spheroid", "WE", "--out-datum",
          "WGS84", "--out-system", "NUTM35"},
         "OpenError 27",
         "Cannot create " + Path("single.ers") + ": File too large\n"},
        {WarpArgs(Path("out/res.ers"), {"--quiet"}), "1 of 2 images failed",
         "Cannot create " + Path("out/img2.ers") + ": File too large\n"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.LastLine);
        TChild Run(CliProgram, Case.Args, {Path("limited.out"), Path("limited.err"), 64 * 1024});
        const int Status = Run.Wait();
        EXPECT_TRUE(ExitedWith(Status, 1)) << "status " << Status;
        EXPECT_EQ(test::ReadText(Path("limited.out")), Case.LastLine + "\n");
        EXPECT_EQ(test::ReadText(Path("limited.err")), Case.Reason);
    }
}

} // namespace
} // namespace vortane
