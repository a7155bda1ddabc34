#include "job_test_support.hpp"

#include "job/photo_list.hpp"

#include <algorithm>
#include <set>

namespace vortane::test {
namespace {

class PhotoList : public JobTest {};

TEST_F(PhotoList, LoadTakesTheFirstFieldOfEveryEntryLine) {
    const std::string List = Path("list.txt");
    WriteText(List, ";File created by Vortane program\r\n"
                    "a.ers 1000,5 2000.25 1040 1970\r\n"
                    "\r\n"
                    " skipped.ers 1 2 3 4\n"
                    "-dashed.ers\n"
                    "\tb.tif\t1\t2\n"
                    "c.ers garbage\n"
                    "last.ers");
    TdbPhoto Photos;
    ASSERT_TRUE(Photos.Load(List));
    EXPECT_EQ(Photos.Count, 4);
    EXPECT_EQ(Photos.Names, (std::vector<std::string>{"a.ers", "b.tif", "c.ers", "last.ers"}));

    EXPECT_FALSE(Photos.Load(Path("missing.txt")));
    EXPECT_FALSE(Photos.Load(Dir().string())); // a folder is no list
}

TEST_F(PhotoList, ItsContentTellsAListFromAnImage) {
    using enum TInputKind;
    using namespace std::string_view_literals;
    const struct {
        std::string_view Content;
        TInputKind Expected;
    } Cases[] = {
        {";File created by Vortane program\r\n", PhotoList},                 // a report without entries
        {"; hand-made\r\n\tdata1.ers 1000,5 2000 1040 1970\r\n", PhotoList}, // "DATA" opens ER Mapper
        {"bm_07.bmp 1 2 3 4\n", PhotoList},                                  // "BM" opens a bitmap
        {"DatasetHeader Begin\n\tVersion = \"6.0\"\n", Image},               // a header is text too
        {"BM\x36\x00\x00\x00\x00\x00\x00\x00"sv, Image},
        {"a.ers 1 2 three 4\n", Unknown}, // neither: the filter decides
        {"\x01\x02\x03\x04\x05\x06\x07\x08\x09", Unknown},
        {"", Unknown},
    };
    for (const auto& Case : Cases) {
        WriteText(Path("input"), Case.Content);
        EXPECT_EQ(InputKindByContent(Path("input")), Case.Expected) << Case.Content;
    }
    EXPECT_EQ(InputKindByContent(Path("missing")), Unknown);
}

TEST_F(PhotoList, ReportLinesNameTheOutputAndItsExtentWithSixDecimals) {
    EXPECT_EQ(ReportLine("a.tif", ".ers", 500000, -12.5, 500100.1234567, -1e-7),
              "a.ers 500000.000000 -12.500000 500100.123457 -0.000000");
    EXPECT_EQ(ReportLine("noext", ".osd", 1, 2, 3, 4), "noext.osd 1.000000 2.000000 3.000000 4.000000");
    EXPECT_EQ(ListOutputName("/out/", "sub.dir/a.tif", ".ers"), "/out/sub.dir/a.ers");
    EXPECT_EQ(FolderOf("/data/list.txt"), "/data/");
    EXPECT_EQ(FolderOf("list.txt"), "");
}

TEST_F(PhotoList, AListRunProcessesEveryEntryAndReportsTheOnesThatOpened) {
    std::filesystem::create_directories(Dir() / "in");
    std::filesystem::create_directories(Dir() / "out");
    for (const char* Name : {"in/a.ers", "in/c.ers"})
        WriteImage(Name, 4, 3, 1, ctFloat32, 1000, 2000, 10, [](int C, int R, int) { return float(C * R); });
    WriteText(Path("in/list.txt"), "; three photos\r\na.ers 0 0 0 0\r\nb.ers 0 0 0 0\r\n"
                                   "c.ers 0 0 0 0\r\n");
    TJobOptions List = Options(10);
    List.List = true;
    EXPECT_EQ(RunJob(Path("in/list.txt"), Path("out/result.ers"), List), "Successful Finish");

    EXPECT_EQ(ReadLines(Path("out/result.txt")),
              (std::vector<std::string>{";File created by Vortane program",
                                        "a.ers 1000.000000 2000.000000 1040.000000 1970.000000",
                                        "c.ers 1000.000000 2000.000000 1040.000000 1970.000000"}));
    EXPECT_EQ(ReadImage(Path("out/c.ers")).At(3, 2), 6.0f);
    EXPECT_FALSE(std::filesystem::exists(Path("out/b.ers")));
    EXPECT_EQ(
        LogMessages(Path("out/result.log")),
        (std::vector<std::string>{
            " Log file created by Vortane program ", " Processing file: " + Path("in/a.ers"),
            " Processing file: " + Path("in/a.ers") + " finished", " Processing file: " + Path("in/b.ers"),
            " Input file " + Path("in/b.ers") + " open error OpenError 0: No file: " + Path("in/b.ers"),
            " Processing file: " + Path("in/c.ers"), " Processing file: " + Path("in/c.ers") + " finished"}));

    // The list label announces the next entry; the last hand-over clears it.
    std::vector<std::string> Labels;
    for (const TProgressView& View : Observer.Views)
        if (Labels.empty() || Labels.back() != View.ProcessingText) Labels.push_back(View.ProcessingText);
    EXPECT_EQ(Labels.front(), "Processing file 1 of 3");
    EXPECT_NE(std::find(Labels.begin(), Labels.end(), "Processing file 3 of 3"), Labels.end());
    // The whole list's gauge only grows, each file's rows counted in, and ends full; the last hand-over
    // leaves the list.
    std::vector<int> Whole;
    for (const TProgressView& View : Observer.Views)
        if (View.ListPosition >= 0) Whole.push_back(View.ListPosition);
    EXPECT_TRUE(std::is_sorted(Whole.begin(), Whole.end()));
    EXPECT_GT(std::set<int>(Whole.begin(), Whole.end()).size(), 3u); // more steps than files
    EXPECT_EQ(Whole.back(), 100);
    EXPECT_EQ(Observer.Views.back().ListPosition, -1);

    // The report is itself a photo list of the outputs.
    TdbPhoto Report;
    ASSERT_TRUE(Report.Load(Path("out/result.txt")));
    EXPECT_EQ(Report.Names, (std::vector<std::string>{"a.ers", "c.ers"}));
}

TEST_F(PhotoList, NoEntryOverwritesTheInputOfAnotherEntry) {
    // The outputs go into "sub", where the second entry's input lies under the first entry's output name.
    std::filesystem::create_directories(Dir() / "in/sub/sub");
    for (const char* Name : {"in/a.ers", "in/sub/a.ers"})
        WriteImage(Name, 4, 3, 1, ctFloat32, 1000, 2000, 10, [](int C, int R, int) { return float(C + R); });
    const std::string SecondHeader = ReadText(Path("in/sub/a.ers"));
    const std::string SecondCells = ReadText(Path("in/sub/a"));
    WriteText(Path("in/list.txt"), "a.ers\nsub/a.ers\n");
    TJobOptions List = Options(10);
    List.List = true;
    EXPECT_EQ(RunJob(Path("in/list.txt"), Path("in/sub/result.ers"), List), "Successful Finish");

    EXPECT_EQ(ReadText(Path("in/sub/a.ers")), SecondHeader);
    EXPECT_EQ(ReadText(Path("in/sub/a")), SecondCells);
    const std::vector<std::string> Log = LogMessages(Path("in/sub/result.log"));
    EXPECT_NE(std::find(Log.begin(), Log.end(),
                        " Output file " + Path("in/sub/a.ers") +
                            " open error Output would overwrite the input file " + Path("in/sub/a.ers")),
              Log.end());
    // The refused entry has no report line; the second entry still ran.
    EXPECT_EQ(ReadLines(Path("in/sub/result.txt")),
              (std::vector<std::string>{";File created by Vortane program",
                                        "sub/a.ers 1000.000000 2000.000000 1040.000000 1970.000000"}));
}

TEST_F(PhotoList, AStopDuringAnEntryKeepsItsReportLineAndEndsTheList) {
    WriteImage("a.ers", 4, 3, 1, ctFloat32, 1000, 2000, 10, [](int C, int R, int) { return float(C + R); });
    WriteText(Path("list.txt"), "a.ers\na.ers\n");
    TJobOptions List = Options(10);
    List.List = true;
    std::filesystem::create_directories(Dir() / "out");
    EXPECT_EQ(RunJob(Path("list.txt"), Path("out/out.ers"), List, /*StopFirst=*/true), "User Abort");
    EXPECT_EQ(ReadLines(Path("out/out.txt")).size(), 2u); // first line and the stopped entry
}

TEST_F(PhotoList, AResumedRunRedoesNothingFinishedAndFinishesTheRest) {
    std::string List;
    for (int Image = 1; Image <= 6; ++Image) {
        const std::string Name = "a" + std::to_string(Image) + ".ers";
        WriteImage(Name, 4, 3, 1, ctFloat32, 1000, 2000, 10,
                   [Image](int C, int R, int) { return float(C + R + 10 * Image); });
        List += Name + "\n";
    }
    WriteText(Path("list.txt"), List);
    std::filesystem::create_directories(Dir() / "fresh");
    std::filesystem::create_directories(Dir() / "out");
    TJobOptions Run = Options(10);
    Run.List = true;
    ASSERT_EQ(RunJob(Path("list.txt"), Path("fresh/res.ers"), Run), "Successful Finish");

    // Stopped once two images are done: the third is cut short after its first row.
    Observer.EndEvents = 0;
    {
        TMyThread Worker(Path("list.txt"), Path("out/res.ers"), Run, Selection, Observer);
        Observer.OnProgress = [&] {
            if (Observer.Views.back().ProcessingText == "Processing file 3 of 6") Worker.RequestStop();
        };
        Worker.Run();
        ASSERT_EQ(Worker.Message(), "User Abort");
    }
    ASSERT_NE(ReadText(Path("out/a3")), ReadText(Path("fresh/a3")));
    Observer.OnProgress = nullptr;
    Observer.EndEvents = 0;
    Run.Resume = true;
    EXPECT_EQ(RunJob(Path("list.txt"), Path("out/res.ers"), Run), "Successful Finish");

    EXPECT_EQ(ReadText(Path("out/res.txt")), ReadText(Path("fresh/res.txt")));
    for (int Image = 1; Image <= 6; ++Image)
        for (const std::string& Name : {"a" + std::to_string(Image), "a" + std::to_string(Image) + ".ers"})
            EXPECT_EQ(ReadTextUndated(Path("out/" + Name)), ReadTextUndated(Path("fresh/" + Name))) << Name;
    // The log keeps both runs; the second one only skipped the two finished images.
    std::vector<std::string> Log = LogMessages(Path("out/res.log"));
    const auto Resumed = std::find(Log.rbegin(), Log.rend(), " Log file created by Vortane program ").base();
    const std::vector<std::string> Second(Resumed, Log.end());
    EXPECT_EQ(std::vector<std::string>(Second.begin(), Second.begin() + 3),
              (std::vector<std::string>{" Skipped, finished before: " + Path("a1.ers"),
                                        " Skipped, finished before: " + Path("a2.ers"),
                                        " Processing file: " + Path("a3.ers")}));
    EXPECT_EQ(Second.size(), 10u); // two skipped, four processed
}

} // namespace
} // namespace vortane::test
