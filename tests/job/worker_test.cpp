// Whole-image runs of the resampling job on small synthetic images. Every expected output is written
// down from the geometry of the case (or computed with PROJ), never with the job's own helpers.
#include "job_test_support.hpp"

#include "projections/transverse_mercator.hpp"
#include "support/proj_oracle.hpp"

#include <cmath>

namespace vortane::test {
namespace {

constexpr double CellSize = 10.0;
constexpr double West = 1000.0, North = 2000.0;

// A linear function of the cell position: bilinear interpolation reproduces it exactly.
float Linear(double Col, double Row) {
    return float(1 + 2 * Col + 3 * Row);
}
const TCellFunction LinearCells = [](int C, int R, int) { return Linear(C, R); };

TEST_F(JobTest, IdenticalSystemsCopyTheCellsAndAddOneEmptyColumnAndRow) {
    const std::string In = WriteImage("in.ers", 4, 3, 1, ctFloat32, West, North, CellSize, LinearCells);
    EXPECT_EQ(RunJob(In, Path("out.ers"), Options(CellSize)), "Successful Finish");

    const TImage Out = ReadImage(Path("out.ers"));
    // The four corners span 4 x 3 steps, so the grid has 5 x 4 cells; the last column and row lie
    // beyond the input and read as 0.
    EXPECT_EQ(Out.Columns, 5);
    EXPECT_EQ(Out.Rows, 4);
    EXPECT_EQ(Out.OriginX, West);
    EXPECT_EQ(Out.OriginY, North);
    EXPECT_EQ(Out.CellSizeX, CellSize);
    EXPECT_EQ(Out.CellType, ctFloat32);
    EXPECT_EQ(Out.Projection, "\"FLAT\""); // headers keep the quotes they write
    for (int R = 0; R < Out.Rows; ++R)
        for (int C = 0; C < Out.Columns; ++C)
            EXPECT_EQ(Out.At(C, R), C < 4 && R < 3 ? Linear(C, R) : 0.0f) << C << "," << R;
    EXPECT_EQ(LogMessages(Path("out.log")),
              (std::vector<std::string>{" Log file created by Vortane program ", " Processing file: " + In,
                                        " Processing file: " + In + " finished"}));
}

TEST_F(JobTest, ColourImagesMovedByATranslationTakeTheBackgroundWithinAMeanDifferenceOfSix) {
    // Background 0x204060: red 0x60, green 0x40, blue 0x20.
    constexpr int Background = 0x204060;
    const int Back[3] = {0x60, 0x40, 0x20};
    struct TPixel {
        int Col, Row;
        int Delta[3];
        bool Kept;
    };
    const TPixel Pixels[] = {
        {0, 0, {6, 6, 6}, false}, // mean exactly 6
        {1, 0, {7, 6, 6}, true},  // mean 6.33
        {2, 0, {-6, -6, -6}, false}, {0, 1, {-7, -6, -6}, true},
        {1, 1, {18, 0, 0}, false}, // one channel far off, mean still 6
        {2, 1, {19, 0, 0}, true},
    };
    const auto Value = [&](int C, int R, int B) {
        for (const TPixel& P : Pixels)
            if (P.Col == C && P.Row == R) return float(Back[B] + P.Delta[B]);
        return 0.0f;
    };
    UseSystems(&InFlat, &OutFlat); // a pure translation by (1000, -500)
    const std::string In = WriteImage("rgb.ers", 3, 2, 3, ctUnsigned8, West, North, CellSize, Value);
    EXPECT_EQ(RunJob(In, Path("rgb_out.ers"), Options(CellSize, Background)), "Successful Finish");

    const TImage Out = ReadImage(Path("rgb_out.ers"));
    EXPECT_EQ(Out.OriginX, West + 1000);
    EXPECT_EQ(Out.OriginY, North - 500);
    EXPECT_EQ(Out.Columns, 4);
    EXPECT_EQ(Out.Rows, 3);
    EXPECT_EQ(Out.Projection, "\"FLAT SHIFTED\"");
    for (int R = 0; R < Out.Rows; ++R)
        for (int C = 0; C < Out.Columns; ++C)
            for (int B = 0; B < 3; ++B) {
                bool Kept = false;
                for (const TPixel& P : Pixels)
                    Kept = Kept || (P.Col == C && P.Row == R && P.Kept);
                // Cells beyond the input and cells near the background both come out as background.
                EXPECT_EQ(Out.At(C, R, B), Kept ? Value(C, R, B) : float(Back[B]))
                    << C << "," << R << "," << B;
            }
}

TEST_F(JobTest, BilinearReadsGiveZeroWhereTheTwoByTwoBlockLeavesTheInput) {
    // 3 x 3 input cells sampled every half cell: output cell (c, r) reads input position (c/2, r/2).
    const std::string In = WriteImage("in.ers", 3, 3, 1, ctFloat32, 0, 30, CellSize, LinearCells);
    EXPECT_EQ(RunJob(In, Path("half.ers"), Options(CellSize / 2)), "Successful Finish");

    const TImage Out = ReadImage(Path("half.ers"));
    ASSERT_EQ(Out.Columns, 7);
    ASSERT_EQ(Out.Rows, 7);
    for (int R = 0; R < 7; ++R)
        for (int C = 0; C < 7; ++C) {
            const double Col = C / 2.0, Row = R / 2.0;
            const bool Integral = C % 2 == 0 && R % 2 == 0;
            const bool Fits =
                Integral ? Col < 3 && Row < 3 : std::floor(Col) + 1 < 3 && std::floor(Row) + 1 < 3;
            EXPECT_FLOAT_EQ(Out.At(C, R), Fits ? Linear(Col, Row) : 0.0f) << C << "," << R;
        }
}

TEST_F(JobTest, AnAverageWeighsTheInputCellsEachOutputCellCovers) {
    // Output cells of two input cells: output cell (c, r) is centred on input cell (2c, 2r) and covers
    // it, half of each of its four side neighbours and a quarter of each corner neighbour.
    const auto Curved = [](int C, int R, int) { return float(C * C + 3 * R * R); };
    const std::string In = WriteImage("in.ers", 8, 6, 1, ctFloat32, West, North, CellSize, Curved);
    TJobOptions Opts = Options(2 * CellSize);
    Opts.Resampling = TResampling::Average;
    EXPECT_EQ(RunJob(In, Path("average.ers"), Opts), "Successful Finish");

    const TImage Out = ReadImage(Path("average.ers"));
    ASSERT_EQ(Out.Columns, 5);
    ASSERT_EQ(Out.Rows, 4);
    const double Parts[3] = {0.5, 1, 0.5};
    for (int R = 0; R < Out.Rows; ++R)
        for (int C = 0; C < Out.Columns; ++C) {
            // The first column and row, and those reaching past the input's last cells, leave the input.
            const bool Inside = C >= 1 && 2 * C + 1 < 8 && R >= 1 && 2 * R + 1 < 6;
            double Sum = 0;
            for (int J = 0; J < 3; ++J)
                for (int I = 0; I < 3; ++I)
                    Sum += Parts[I] * Parts[J] * Curved(2 * C - 1 + I, 2 * R - 1 + J, 0);
            EXPECT_FLOAT_EQ(Out.At(C, R), Inside ? float(Sum / 4) : 0.0f) << C << "," << R;
        }
    EXPECT_EQ(LogMessages(Path("average.log"))[2], " Resampling: average");
}

TEST_F(JobTest, ADatumChangeMovesEveryCellAsProjComputesIt) {
    // Input on WGS 84 (the hub), output on International 1924 with a three-parameter datum; both
    // flat systems, near 45 N 10 E.
    UseFlatEd50Output();
    constexpr int Size = 20;
    const double OX = std::round(10 * M_PI / 180 * FlatRadius), OY = std::round(45 * M_PI / 180 * FlatRadius);
    const std::string In = WriteImage("wgs.ers", Size, Size, 1, ctFloat32, OX, OY, CellSize, LinearCells);
    EXPECT_EQ(RunJob(In, Path("ed50.ers"), Options(CellSize)), "Successful Finish");
    const TImage Out = ReadImage(Path("ed50.ers"));

    const TProjOracle Ed50ToWgs84("+proj=pipeline +step +proj=cart +ellps=intl "
                                  "+step +proj=helmert +x=-87 +y=-98 +z=-121 "
                                  "+step +inv +proj=cart +ellps=WGS84");
    ASSERT_TRUE(Ed50ToWgs84.Valid());
    const auto Carry = [&](double X, double Y, PJ_DIRECTION Direction) {
        const PJ_COORD Geo = Ed50ToWgs84.Trans(Direction, proj_coord(X / FlatRadius, Y / FlatRadius, 0, 0));
        return std::pair{Geo.lpz.lam * FlatRadius, Geo.lpz.phi * FlatRadius};
    };

    // The extent: the four input corners carried into the output.
    double MinX = 1e100, MaxY = -1e100, MaxX = -1e100, MinY = 1e100;
    for (const auto& [X, Y] : {std::pair{OX, OY},
                               {OX + Size * CellSize, OY},
                               {OX + Size * CellSize, OY - Size * CellSize},
                               {OX, OY - Size * CellSize}}) {
        const auto [OutX, OutY] = Carry(X, Y, PJ_INV);
        MinX = std::min(MinX, OutX), MaxX = std::max(MaxX, OutX), MinY = std::min(MinY, OutY),
        MaxY = std::max(MaxY, OutY);
    }
    constexpr double Metre = 1.0, Millimetre = 1e-3;
    // 1 mm on the ground is 1e-4 cells, up to 5e-4 in value (the value grows by 2 per column, 3 per row).
    constexpr double ValueOfOneMillimetre = 5e-4;
    EXPECT_NEAR(Out.OriginX, MinX, Millimetre);
    EXPECT_NEAR(Out.OriginY, MaxY, Millimetre);
    EXPECT_GT(std::hypot(Out.OriginX - OX, Out.OriginY - OY), 50 * Metre); // the datum really moved it
    EXPECT_EQ(Out.Columns, std::lround(std::nearbyint((MaxX - MinX) / CellSize)) + 1);
    EXPECT_EQ(Out.Rows, std::lround(std::nearbyint((MaxY - MinY) / CellSize)) + 1);

    int Compared = 0;
    for (int R = 0; R < Out.Rows; ++R)
        for (int C = 0; C < Out.Columns; ++C) {
            const auto [X, Y] = Carry(Out.OriginX + C * CellSize, Out.OriginY - R * CellSize, PJ_FWD);
            const double Col = (X - OX) / CellSize, Row = (OY - Y) / CellSize;
            const auto Near = [](double V, double Edge) { return std::fabs(V - Edge) < 1e-6; };
            if (Near(Col, 0) || Near(Row, 0) || Near(Col, Size - 1) || Near(Row, Size - 1))
                continue; // too close to an edge to say on which side the job falls
            const bool Inside = Col > 0 && Row > 0 && Col < Size - 1 && Row < Size - 1;
            EXPECT_NEAR(Out.At(C, R), Inside ? Linear(Col, Row) : 0.0, ValueOfOneMillimetre) << C << "," << R;
            Compared += Inside;
        }
    EXPECT_GT(Compared, 100);
}

TEST_F(JobTest, OutputInUsSurveyFeetDividesTheStepAndTheExtent) {
    constexpr double Foot = 0.3048006096012192;
    TFlatTestSystem OutFeet("FLAT FEET", 0, 0);
    UseSystems(&InFlat, &OutFeet);
    const std::string In = WriteImage("in.ers", 4, 3, 1, ctFloat32, West, North, CellSize, LinearCells);
    TJobOptions Feet = Options(1.0);
    Feet.OutUnits = 1;
    EXPECT_EQ(RunJob(In, Path("feet.ers"), Feet), "Successful Finish");

    const TImage Out = ReadImage(Path("feet.ers"));
    constexpr double Tolerance = 1e-9;
    EXPECT_NEAR(Out.CellSizeX, 3.280833333333333, Tolerance);
    EXPECT_NEAR(Out.OriginX, West / Foot, Tolerance);
    EXPECT_NEAR(Out.OriginY, North / Foot, Tolerance);
    EXPECT_EQ(Out.Columns, 41); // 40 m in steps of 1 m
    EXPECT_EQ(Out.Rows, 31);
    // Output cell (c, r) lies c metres east and r metres south of the input's corner.
    for (int R = 0; R < Out.Rows; ++R)
        for (int C = 0; C < Out.Columns; ++C) {
            const double Col = C / 10.0, Row = R / 10.0;
            if (std::fabs(Col - 3) < 1e-6 || std::fabs(Row - 2) < 1e-6)
                continue; // the last whole cell: read directly or just past it, depending on the last bit
            const bool Inside = Col < 3 && Row < 2;
            EXPECT_NEAR(Out.At(C, R), Inside ? Linear(Col, Row) : 0.0, 1e-4) << C << "," << R;
        }
}

TEST_F(JobTest, OneSystemObjectOnBothEndsKeepsEachEndsUnit) {
    // Metres in, feet out through one object: the same result as through two separate objects.
    const std::string In = WriteImage("in.ers", 4, 3, 1, ctFloat32, West, North, CellSize, LinearCells);
    TJobOptions Feet = Options(1.0);
    Feet.OutUnits = 1;
    EXPECT_EQ(RunJob(In, Path("same.ers"), Feet), "Successful Finish");
    TFlatTestSystem OutFeet("FLAT FEET", 0, 0);
    UseSystems(&InFlat, &OutFeet);
    Observer.EndEvents = 0;
    EXPECT_EQ(RunJob(In, Path("separate.ers"), Feet), "Successful Finish");
    const TImage Same = ReadImage(Path("same.ers")), Separate = ReadImage(Path("separate.ers"));
    EXPECT_NEAR(Same.OriginX, West / 0.3048006096012192, 1e-9);
    EXPECT_EQ(Same.Columns, Separate.Columns);
    EXPECT_EQ(Same.OriginY, Separate.OriginY);
    EXPECT_EQ(Same.Cells, Separate.Cells);
}

TEST_F(JobTest, OneUtmSystemOnTwoDatumsMovesTheCellsAsProjDoes) {
    // NUTM34 on WGS 84 into the same catalogue object on ED50 (International 1924): each end must
    // compute on its own spheroid.
    TTransMerc Utm34("WE,NUTM34,0,500000,0.9996,0.3665191429188092,0");
    UseSystems(&Utm34, &Utm34);
    UseEd50Output();
    constexpr int Size = 16;
    constexpr double Cell = 100.0, OX = 480000, OY = 5800000;
    const std::string In = WriteImage("wgs.ers", Size, Size, 1, ctFloat32, OX, OY, Cell, LinearCells);
    EXPECT_EQ(RunJob(In, Path("ed50.ers"), Options(Cell)), "Successful Finish");
    const TImage Out = ReadImage(Path("ed50.ers"));

    const TProjOracle Wgs84ToEd50("+proj=pipeline +step +inv +proj=utm +zone=34 +ellps=WGS84 "
                                  "+step +proj=cart +ellps=WGS84 +step +proj=helmert +x=87 +y=98 +z=121 "
                                  "+step +inv +proj=cart +ellps=intl +step +proj=utm +zone=34 +ellps=intl");
    ASSERT_TRUE(Wgs84ToEd50.Valid());
    const PJ_COORD Corner = Wgs84ToEd50.Trans(PJ_FWD, proj_coord(OX, OY, 0, 0));
    constexpr double Millimetre = 1e-3;
    EXPECT_NEAR(Out.OriginX, Corner.xy.x, 0.01); // west edge: the south-west corner may win by a hair
    EXPECT_NEAR(Out.OriginY, Corner.xy.y, 0.01);
    int Compared = 0;
    for (int R = 1; R < Out.Rows - 1; ++R)
        for (int C = 1; C < Out.Columns - 1; ++C) {
            const PJ_COORD At =
                Wgs84ToEd50.Trans(PJ_INV, proj_coord(Out.OriginX + C * Cell, Out.OriginY - R * Cell, 0, 0));
            const double Col = (At.xy.x - OX) / Cell, Row = (OY - At.xy.y) / Cell;
            if (Col < 0.01 || Row < 0.01 || Col > Size - 1.01 || Row > Size - 1.01) continue;
            EXPECT_NEAR(Out.At(C, R), Linear(Col, Row), 5 * Millimetre / Cell) << C << "," << R;
            ++Compared;
        }
    EXPECT_GT(Compared, 100);
}

TEST_F(JobTest, RoundingNoiseKeepsTheEdgeCellsOfABilinearIdentityRun) {
    // The extent comes from a transverse Mercator round trip, a hair off the input's corner: the first
    // column and row still lie on the input's first cells.
    TTransMerc Utm34("WE,NUTM34,0,500000,0.9996,0.3665191429188092,0");
    UseSystems(&Utm34, &Utm34);
    const std::string In =
        WriteImage("in.ers", 8, 6, 1, ctFloat32, 480000.3, 5800000.7, CellSize, LinearCells);
    EXPECT_EQ(RunJob(In, Path("same.ers"), Options(CellSize)), "Successful Finish");
    const TImage Out = ReadImage(Path("same.ers"));
    ASSERT_EQ(Out.Columns, 9);
    ASSERT_EQ(Out.Rows, 7);
    for (int R = 0; R < 5; ++R)
        EXPECT_NEAR(Out.At(0, R), Linear(0, R), 1e-4) << R;
    for (int C = 0; C < 7; ++C)
        EXPECT_NEAR(Out.At(C, 0), Linear(C, 0), 1e-4) << C;
}

TEST_F(JobTest, ASingleRowGridAndOnlyHeadersCreateTheOutputWithoutCells) {
    const std::string In = WriteImage("in.ers", 4, 3, 1, ctFloat32, West, North, CellSize, LinearCells);
    const struct {
        std::string Name;
        double Step;
        bool OnlyHeaders;
        std::string Message;
        std::int32_t Columns, Rows;
    } Cases[] = {
        // 30 m of height in steps of 100 m rounds to 0 steps.
        {"rows0.ers", 100, false, "Output file with rows=0", 1, 1},
        {"header.ers", CellSize, true, "Successful Finish", 5, 4},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TJobOptions Opts = Options(Case.Step);
        Opts.OnlyHeaders = Case.OnlyHeaders;
        EXPECT_EQ(RunJob(In, Path(Case.Name), Opts), Case.Message);
        Observer.EndEvents = 0;
        const TImage Out = ReadImage(Path(Case.Name));
        EXPECT_EQ(Out.Columns, Case.Columns);
        EXPECT_EQ(Out.Rows, Case.Rows);
        EXPECT_EQ(Out.OriginX, West);
        EXPECT_EQ(Out.CellSizeX, Case.Step);
        for (float Cell : Out.Cells)
            EXPECT_EQ(Cell, 0.0f);
        const std::vector<std::string> Log = LogMessages(ChangeFileExt(Path(Case.Name), ".log"));
        ASSERT_FALSE(Log.empty());
        EXPECT_EQ(Log.back(), " Processing file: " + In + " finished");
    }
}

TEST_F(JobTest, AStopRequestEndsTheRunAfterTheCurrentRow) {
    const std::string In = WriteImage("in.ers", 4, 3, 1, ctFloat32, West, North, CellSize, LinearCells);
    EXPECT_EQ(RunJob(In, Path("stopped.ers"), Options(CellSize), /*StopFirst=*/true), "User Abort");
    const TImage Out = ReadImage(Path("stopped.ers"));
    ASSERT_EQ(Out.Rows, 4);
    for (int R = 0; R < Out.Rows; ++R)
        for (int C = 0; C < 4; ++C)
            EXPECT_EQ(Out.At(C, R), R == 0 ? Linear(C, R) : 0.0f) << C << "," << R;
    EXPECT_TRUE(Observer.Views.empty()); // the stop is seen before the first hand-over
    EXPECT_EQ(LogMessages(Path("stopped.log")).back(), " Processing file: " + In + " finished");
}

TEST_F(JobTest, AStopDuringAThreadedRunKeepsExactlyTheRowsHandedOver) {
    // 41 rows; the stop comes during the hand-over of row 2, while other threads compute rows ahead:
    // row 3, the one in progress, is finished and written, no other.
    const std::string In = WriteImage("in.ers", 20, 20, 1, ctFloat32, West, North, CellSize, LinearCells);
    TJobOptions Threaded = Options(CellSize / 2);
    Threaded.Threads = 3;
    TMyThread Worker(In, Path("stopped.ers"), Threaded, Selection, Observer);
    Observer.OnProgress = [&] {
        if (Observer.Views.size() == 3) Worker.RequestStop();
    };
    Worker.Run();
    EXPECT_EQ(Worker.Message(), "User Abort");
    ASSERT_EQ(Observer.Views.size(), 3u);
    EXPECT_LT(Observer.Views[0].Position, Observer.Views[1].Position);
    EXPECT_LT(Observer.Views[1].Position, Observer.Views[2].Position);
    const TImage Out = ReadImage(Path("stopped.ers"));
    ASSERT_EQ(Out.Rows, 41);
    for (int R = 0; R < Out.Rows; ++R)
        for (int C = 0; C < Out.Columns - 3; ++C) // the last columns' 2 x 2 blocks leave the input
            EXPECT_EQ(Out.At(C, R), R < 4 ? Linear(C / 2.0, R / 2.0) : 0.0f) << C << "," << R;
}

TEST_F(JobTest, EveryThreadCountGivesIdenticalBytes) {
    UseFlatEd50Output();
    const std::string Colour =
        WriteImage("colour.ers", 16, 12, 3, ctUnsigned8, 700000, 3300000, CellSize,
                   [](int C, int R, int B) { return float((C * 16 + R * 5 + B * 70) % 256); });
    const std::string Float = WriteImage("float.ers", 16, 12, 1, ctFloat32, 700000, 3300000, CellSize,
                                         [](int C, int R, int) { return float(C * C) / 7 + float(R) / 3; });
    // Averages map the corners of each row's cells as well as their centres.
    std::string Sampled[2];
    for (const TResampling Method : {TResampling::Auto, TResampling::Average})
        for (const std::string& In : {Colour, Float}) {
            SCOPED_TRACE(In + " " + std::string(ResamplingName(Method)));
            std::string First;
            for (int Threads : {1, 2, 7}) {
                TJobOptions Opts = Options(7.5, 0x102030);
                Opts.Threads = Threads;
                Opts.Resampling = Method;
                Observer.EndEvents = 0;
                const std::string Name = "out" + std::to_string(Threads);
                EXPECT_EQ(RunJob(In, Path(Name + ".ers"), Opts), "Successful Finish");
                const std::string Cells = ReadText(Path(Name));
                if (First.empty()) First = Cells;
                EXPECT_EQ(Cells, First) << Threads << " threads";
            }
            EXPECT_GT(First.size(), 16u * 12 * 3);
            EXPECT_NE(First.find_first_not_of('\0'), std::string::npos);
            if (In == Float) Sampled[Method == TResampling::Average] = First;
        }
    EXPECT_NE(Sampled[0], Sampled[1]);
    // The headers differ only in their time stamp.
    std::vector<std::string> FirstHeader = ReadLines(Path("out1.ers")),
                             LastHeader = ReadLines(Path("out7.ers"));
    ASSERT_EQ(FirstHeader.size(), LastHeader.size());
    for (std::size_t I = 0; I < FirstHeader.size(); ++I)
        if (FirstHeader[I].find("LastUpdated") == std::string::npos) {
            EXPECT_EQ(FirstHeader[I], LastHeader[I]);
        }
}

TEST_F(JobTest, EveryInputFormatGivesTheSameCellsForOneAndThreeThreads) {
    // Formats whose cells are no plain grid file are sampled by one thread; the others by three views.
    UseFlatEd50Output();
    const struct {
        const char* Extension;
        int Bands;
        std::uint8_t CellType;
    } Inputs[] = {{".ers", 1, ctFloat32},   {".osd", 1, ctFloat32},   {".dtm", 1, ctFloat32},
                  {".001", 1, ctSigned16},  {".jpg", 3, ctUnsigned8}, {".ecw", 3, ctUnsigned8},
                  {".rsw", 3, ctUnsigned8}, {".tif", 1, ctFloat32},   {".tif", 3, ctUnsigned8},
                  {".bmp", 3, ctUnsigned8}};
    for (const auto& Input : Inputs) {
        SCOPED_TRACE(Input.Extension);
        const std::string In = WriteImage(
            std::string("in") + Input.Extension, 16, 12, Input.Bands, Input.CellType, 700000, 3300000,
            CellSize, [](int C, int R, int B) { return float((C * 16 + R * 5 + B * 70) % 200); });
        std::string Cells[2];
        for (int Threads : {1, 3}) {
            TJobOptions Opts = Options(7.5);
            Opts.Threads = Threads;
            Observer.EndEvents = 0;
            EXPECT_EQ(RunJob(In, Path("out.ers"), Opts), "Successful Finish");
            Cells[Threads == 3] = ReadText(Path("out"));
        }
        EXPECT_FALSE(Cells[0].empty());
        EXPECT_EQ(Cells[0], Cells[1]);
    }
}

TEST_F(JobTest, AnApproximateRunStaysNearTheExactOneAndLogsItsBound) {
    UseFlatEd50Output();
    const std::string In = WriteImage("in.ers", 64, 48, 1, ctFloat32, 700000, 3300000, CellSize, LinearCells);
    TJobOptions Approximate = Options(CellSize);
    Approximate.MaxError = 0.125;
    EXPECT_EQ(RunJob(In, Path("approximate.ers"), Approximate), "Successful Finish");
    Observer.EndEvents = 0;
    EXPECT_EQ(RunJob(In, Path("exact.ers"), Options(CellSize)), "Successful Finish");
    const TImage Exact = ReadImage(Path("exact.ers")), Approx = ReadImage(Path("approximate.ers"));
    ASSERT_EQ(Exact.Cells.size(), Approx.Cells.size());
    for (std::size_t I = 0; I < Exact.Cells.size(); ++I)
        if (Exact.Cells[I] != 0 && Approx.Cells[I] != 0) { // both inside: 2 per column, 3 per row
            EXPECT_NEAR(Approx.Cells[I], Exact.Cells[I], 5 * 0.125) << I;
        }
    const std::string Logged = LogMessages(Path("approximate.log")).end()[-2];
    EXPECT_EQ(Logged.rfind(" Approximate mapping: maximum error 0.125 pixel, largest measured ", 0), 0u)
        << Logged;
    EXPECT_EQ(LogMessages(Path("exact.log")).size(), 3u); // no such line for an exact run
}

TEST_F(JobTest, AWorkerThreadHandsOverEveryRowAndEndsOnce) {
    const std::string In = WriteImage("in.ers", 4, 3, 3, ctUnsigned8, West, North, CellSize,
                                      [](int C, int R, int B) { return float(100 + C + R + B); });
    std::thread::id ProgressThread;
    Observer.OnProgress = [&] { ProgressThread = std::this_thread::get_id(); };
    {
        auto Worker = TMyThread::Create(In, Path("threaded.ers"), Options(CellSize), Selection, Observer);
        Observer.WaitForEnd();
        EXPECT_EQ(Worker->Message(), "Successful Finish");
    }
    EXPECT_EQ(Observer.EndEvents, 1);
    EXPECT_NE(ProgressThread, std::this_thread::get_id());
    EXPECT_FALSE(Selection.Busy);
    // Rows 0 to 3 of 4: FTotal is 3, so the gauge reads 0, 33, 67, 100.
    std::vector<int> Positions;
    for (const TProgressView& View : Observer.Views) {
        Positions.push_back(View.Position);
        EXPECT_EQ(View.ElapsedText.rfind("Elapsed Time 0:0:", 0), 0u) << View.ElapsedText;
        EXPECT_EQ(View.RemainingText.rfind("Remaining Time 0:0:", 0), 0u) << View.RemainingText;
    }
    EXPECT_EQ(Positions, (std::vector<int>{0, 33, 67, 100}));
}

} // namespace
} // namespace vortane::test
