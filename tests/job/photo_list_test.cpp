#include "job_test_support.hpp"

#include "job/photo_list.hpp"

#include <algorithm>
#include <set>

namespace vortane::test {
namespace {

class PhotoList : public JobTest {
protected:
    // The report's entry lines, after its first line and the run's fingerprint.
    static std::vector<std::string> ReportEntries(const std::string& Report) {
        std::vector<std::string> Lines = ReadLines(Report);
        if (Lines.size() < 2) {
            ADD_FAILURE() << Report << " has no fingerprint line";
            return Lines;
        }
        EXPECT_EQ(Lines[0], ReportFirstLine);
        EXPECT_TRUE(Lines[1].starts_with(";Run fingerprint ")) << Lines[1];
        return {Lines.begin() + 2, Lines.end()};
    }
};

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
    // A broken quote refuses the whole list: guessing the name could write the wrong image.
    WriteText(List, "a.ers\n\"b c.ers 1 2 3 4\n");
    EXPECT_FALSE(Photos.Load(List));
    EXPECT_EQ(Photos.ErrorText,
              List + " line 2: a quoted name that is empty, not closed or not followed by a blank");
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
        {"\"my photo.ers\" 1 2 3 4\n", PhotoList},                           // a quoted name
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
    EXPECT_EQ(ReportLine("a.ers", 500000, -12.5, 500100.1234567, -1e-7),
              "a.ers 500000.000000 -12.500000 500100.123457 -0.000000");
    EXPECT_EQ(ReportLine("my photo.osd", 1, 2, 3, 4), "\"my photo.osd\" 1.000000 2.000000 3.000000 4.000000");
    EXPECT_EQ(FolderOf("/data/list.txt"), "/data/");
    EXPECT_EQ(FolderOf("list.txt"), "");
}

TEST(PhotoListLine, QuotedNamesMayHoldBlanksAndEveryNameReadsBackAsWritten) {
    const struct {
        std::string Line;
        EListLine Kind;
        std::string Name;
    } Cases[] = {
        {"a.ers 1 2 3 4", EListLine::Entry, "a.ers"},
        {"\t\"my photo.ers\" 1 2 3 4", EListLine::Entry, "my photo.ers"},
        {"\"say \"\"hi\"\".ers\"", EListLine::Entry, "say \"hi\".ers"},
        {"\"open.ers 1 2 3 4", EListLine::Malformed, ""},
        {"\"a\"b.ers 1 2 3 4", EListLine::Malformed, ""},
        {"\"\" 1 2 3 4", EListLine::Malformed, ""},
        {" \"skipped.ers\"", EListLine::Comment, ""},
        {"\t\t", EListLine::Comment, ""},
    };
    for (const auto& Case : Cases) {
        std::string Name;
        EXPECT_EQ(ReadListLine(Case.Line, Name), Case.Kind) << Case.Line;
        if (Case.Kind == EListLine::Entry) {
            EXPECT_EQ(Name, Case.Name) << Case.Line;
        }
    }
    for (const std::string Name :
         {"plain.ers", "my photo.ers", "-dash.ers", ";semi.ers", "q\"uote d.ers", "t\tab"}) {
        std::string Read;
        ASSERT_EQ(ReadListLine(ListName(Name) + " 1 2 3 4", Read), EListLine::Entry) << ListName(Name);
        EXPECT_EQ(Read, Name);
    }
    EXPECT_EQ(ListName("plain.ers"), "plain.ers");
}

TEST(PhotoListEntry, OutputsStayInTheOutputFolderAndKeepTheEntrysSubfolders) {
    const std::string Leaves = "its output would leave the output folder";
    const struct {
        std::string Name, InFile, OutFile, Problem;
    } Cases[] = {
        {"a.tif", "/lists/a.tif", "/out/a.ers", ""},
        {"imgs/p.tif", "/lists/imgs/p.tif", "/out/imgs/p.ers", ""},
        {"imgs/../p.tif", "/lists/imgs/../p.tif", "/out/p.ers", ""},
        {"/data/x/p.tif", "/data/x/p.tif", "/out/p.ers", ""}, // absolute: its file name in the output folder
        {"../img/p.ers", "/lists/../img/p.ers", "", Leaves},
        {"imgs/../../p.ers", "/lists/imgs/../../p.ers", "", Leaves},
        {"imgs/..", "/lists/imgs/..", "", Leaves},
        {"imgs/", "/lists/imgs/", "", Leaves},
    };
    for (const auto& Case : Cases) {
        const TListEntryFiles Files = ResolveListEntry("/lists/", "/out/", Case.Name, ".ers");
        EXPECT_EQ(Files.InFile, Case.InFile) << Case.Name;
        EXPECT_EQ(Files.OutFile, Case.OutFile) << Case.Name;
        EXPECT_EQ(Files.Problem, Case.Problem) << Case.Name;
    }
    // Two inputs whose outputs coincide: the later one is refused; the same image twice is not.
    const auto Entries = ResolveListEntries("/l/", "/o/", {"a.tif", "a.ers", "a.tif", "/x/a.tif"}, ".ers");
    EXPECT_EQ(Entries[1].Problem, "its output a.ers is also the output of /l/a.tif");
    EXPECT_EQ(Entries[2].Problem, "");
    EXPECT_EQ(Entries[3].Problem, "its output a.ers is also the output of /l/a.tif");
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

    EXPECT_EQ(ReportEntries(Path("out/result.txt")),
              (std::vector<std::string>{"a.ers 1000.000000 2000.000000 1040.000000 1970.000000",
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
    EXPECT_EQ(ReportEntries(Path("in/sub/result.txt")),
              (std::vector<std::string>{"sub/a.ers 1000.000000 2000.000000 1040.000000 1970.000000"}));
}

TEST_F(PhotoList, AStopDuringAnEntryKeepsItsReportLineAndEndsTheList) {
    WriteImage("a.ers", 4, 3, 1, ctFloat32, 1000, 2000, 10, [](int C, int R, int) { return float(C + R); });
    WriteText(Path("list.txt"), "a.ers\na.ers\n");
    TJobOptions List = Options(10);
    List.List = true;
    std::filesystem::create_directories(Dir() / "out");
    EXPECT_EQ(RunJob(Path("list.txt"), Path("out/out.ers"), List, /*StopFirst=*/true), "User Abort");
    EXPECT_EQ(ReportEntries(Path("out/out.txt")).size(), 1u); // the stopped entry
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

// A resumed run keeps only what a run of the same fingerprint (options, systems, list) finished and
// what is still on disk as that run wrote it; everything else is done again.
TEST_F(PhotoList, AResumedRunRedoesEntriesOfAnotherRunOrWhoseOutputChanged) {
    std::string List;
    for (const char* Name : {"a1", "a2", "a3"}) {
        WriteImage(std::string(Name) + ".ers", 4, 3, 1, ctFloat32, 1000, 2000, 10,
                   [](int C, int R, int) { return float(C * R); });
        List += std::string(Name) + ".ers\n";
    }
    WriteText(Path("list.txt"), List);
    std::filesystem::create_directories(Dir() / "out");
    TJobOptions Run = Options(10);
    Run.List = true;
    ASSERT_EQ(RunJob(Path("list.txt"), Path("out/res.ers"), Run), "Successful Finish");
    // The inputs a run processed (rather than skipped), from its part of the log.
    const auto Processed = [this] {
        std::vector<std::string> Log = LogMessages(Path("out/res.log"));
        const auto Start =
            std::find(Log.rbegin(), Log.rend(), " Log file created by Vortane program ").base();
        std::vector<std::string> Inputs;
        for (auto Line = Start; Line != Log.end(); ++Line)
            if (Line->starts_with(" Processing file: ") && !Line->ends_with(" finished"))
                Inputs.push_back(Line->substr(Line->rfind('/') + 1));
        return Inputs;
    };
    const std::vector<std::string> All{"a1.ers", "a2.ers", "a3.ers"};
    const struct {
        const char* What;
        std::function<void()> Change;
        double Step;
        std::vector<std::string> Redone;
    } Cases[] = {
        {"nothing changed", [] {}, 10, {}},
        {"cells cut short", [this] { std::filesystem::resize_file(Path("out/a2"), 8); }, 10, {"a2.ers"}},
        {"header grown", [this] { std::ofstream(Path("out/a3.ers"), std::ios::app) << ' '; }, 10, {"a3.ers"}},
        {"output removed", [this] { std::filesystem::remove(Path("out/a1.ers")); }, 10, {"a1.ers"}},
        {"another step", [] {}, 20, All},
        {"the same step again", [] {}, 20, {}},
        {"the list changed", [this] { std::ofstream(Path("list.txt"), std::ios::app) << "; edited\n"; }, 20,
         All},
    };
    Run.Resume = true;
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.What);
        Case.Change();
        Observer.EndEvents = 0;
        Run.Step = Case.Step;
        EXPECT_EQ(RunJob(Path("list.txt"), Path("out/res.ers"), Run), "Successful Finish");
        EXPECT_EQ(Processed(), Case.Redone);
    }
    // After all that, the same report and cells as one undisturbed run.
    std::filesystem::create_directories(Dir() / "fresh");
    Observer.EndEvents = 0;
    Run.Resume = false;
    ASSERT_EQ(RunJob(Path("list.txt"), Path("fresh/res.ers"), Run), "Successful Finish");
    EXPECT_EQ(ReadText(Path("out/res.txt")), ReadText(Path("fresh/res.txt")));
    for (const char* Name : {"a1", "a2", "a3"})
        EXPECT_EQ(ReadText(Path("out/") + Name), ReadText(Path("fresh/") + Name)) << Name;
}

} // namespace
} // namespace vortane::test
