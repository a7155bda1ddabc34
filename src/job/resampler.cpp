#include "job/resampler.hpp"

#include "raster/mapped_cell_file.hpp"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace vortane {

namespace {

// Positions this close to the start of the first or last input cell (in cells) count as on it: the
// rounding noise of a mapping must not drop an edge column or row of the bilinear rule.
constexpr double EdgeTolerance = 1e-9;
// Beyond this a cell coordinate is no cell of any grid (and would overflow an index).
constexpr double MaxCellCoordinate = 9.0e15;
// Longest row segment mapped by interpolation without a check point inside it.
constexpr std::int32_t MaxSegment = 256;
// Row buffers per computing thread: how far the threads may run ahead of the row being written.
constexpr int SlotsPerThread = 4;

double SnapToEdge(double Position, double Last) {
    if (std::fabs(Position) <= EdgeTolerance) return 0.0;
    if (std::fabs(Position - Last) <= EdgeTolerance) return Last;
    return Position;
}

// Bilinear read at a fractional cell position; 0 where the 2 x 2 block leaves the input.
float SampleBilinear(TMMapFile2& Input, std::uint32_t Band, double Col, double Line) {
    Col = SnapToEdge(Col, Input.GridColumns() - 1.0);
    Line = SnapToEdge(Line, Input.GridRows() - 1.0);
    float Value = 0;
    if (!(Col >= 0 && Col < MaxCellCoordinate) || !(Line >= 0 && Line < MaxCellCoordinate)) return 0;
    if (!Input.SampleBilinear(Band, Value, Col, Line)) return 0;
    return Value;
}

// Nearest cell of three bands; positions outside the input, and input pixels within a mean difference
// of 6 of the background colour, give exactly the background colour.
void SampleColour(TMMapFile2& Input, double Col, double Line, const std::array<float, 3>& Back,
                  float* Value) {
    std::copy(Back.begin(), Back.end(), Value);
    if (!Input.SampleNearest(0, Value[0], Col, Line)) return;
    Input.SampleNearest(1, Value[1], Col, Line);
    Input.SampleNearest(2, Value[2], Col, Line);
    const float Mean =
        (std::fabs(Value[0] - Back[0]) + std::fabs(Value[1] - Back[1]) + std::fabs(Value[2] - Back[2])) /
        3.0f;
    if (!(Mean > 6.0f)) std::copy(Back.begin(), Back.end(), Value);
}

} // namespace

int ThreadCount(int Requested) {
    if (Requested > 0) return Requested;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

// ---------------------------------------------------------------------------------------------------
// TRowMapper

TRowMapper::TRowMapper(const TCoordinateMapper& Mapper, const TOutputGrid& Grid, const TInputGeometry& Input,
                       double MaxError)
    : FMapper(Mapper), FGrid(Grid), FInput(Input), FMaxError(MaxError) {}

void TRowMapper::MapCell(double Y, std::int32_t Column, double& Col, double& Line) const {
    double X = 0, InY = 0;
    FMapper.OutputToInput(FGrid.MinX + Column * FGrid.StepX, Y, X, InY);
    Col = (X - FInput.OriginX) / FInput.CellSizeX;
    Line = (FInput.OriginY - InY) / FInput.CellSizeY;
}

double TRowMapper::MapRow(std::int32_t Row, std::vector<double>& Col, std::vector<double>& Line) const {
    const std::int32_t Columns = FGrid.Columns;
    Col.resize(static_cast<std::size_t>(Columns));
    Line.resize(static_cast<std::size_t>(Columns));
    const double Y = FGrid.MaxY - Row * FGrid.StepY;
    if (!(FMaxError > 0)) {
        for (std::int32_t C = 0; C < Columns; ++C)
            MapCell(Y, C, Col[static_cast<std::size_t>(C)], Line[static_cast<std::size_t>(C)]);
        return 0.0;
    }

    const auto Exact = [&](std::int32_t C) {
        MapCell(Y, C, Col[static_cast<std::size_t>(C)], Line[static_cast<std::size_t>(C)]);
    };
    // Fills the cells strictly between A and B (both mapped exactly) on the straight line between them.
    const auto Interpolate = [&](std::int32_t A, std::int32_t B) {
        const auto UA = static_cast<std::size_t>(A), UB = static_cast<std::size_t>(B);
        for (std::int32_t C = A + 1; C < B; ++C) {
            const double T = double(C - A) / double(B - A);
            Col[static_cast<std::size_t>(C)] = Col[UA] + (Col[UB] - Col[UA]) * T;
            Line[static_cast<std::size_t>(C)] = Line[UA] + (Line[UB] - Line[UA]) * T;
        }
    };

    double Largest = 0.0;
    // Segments whose two ends are mapped exactly and whose inside is still open.
    std::vector<std::pair<std::int32_t, std::int32_t>> Open;
    Exact(0);
    for (std::int32_t Start = 0; Start < Columns - 1; Start += MaxSegment) {
        const std::int32_t End = std::min(Start + MaxSegment, Columns - 1);
        Exact(End);
        Open.emplace_back(Start, End);
    }
    while (!Open.empty()) {
        const auto [A, B] = Open.back();
        Open.pop_back();
        if (B - A < 2) continue;
        const std::int32_t M = A + (B - A) / 2;
        Exact(M);
        const double T = double(M - A) / double(B - A);
        const auto UA = static_cast<std::size_t>(A), UB = static_cast<std::size_t>(B),
                   UM = static_cast<std::size_t>(M);
        const double Error = std::hypot(Col[UA] + (Col[UB] - Col[UA]) * T - Col[UM],
                                        Line[UA] + (Line[UB] - Line[UA]) * T - Line[UM]);
        if (Error <= FMaxError) {
            Largest = std::max(Largest, Error);
            Interpolate(A, M);
            Interpolate(M, B);
        } else {
            // Also a non-finite error: a segment reaching outside a system's domain is mapped exactly.
            Open.emplace_back(A, M);
            Open.emplace_back(M, B);
        }
    }
    return Largest;
}

// ---------------------------------------------------------------------------------------------------
// TResampler

struct TResampler::TRowWorker {
    TRowMapper Mapper;
    std::unique_ptr<TMMapFile2> OwnView; // null when sampling the shared input in place
    TMMapFile2* Input;
    std::vector<double> Col, Line;
    double LargestError = 0.0;
};

TResampler::TResampler(const TCoordinateMapper& Mapper, TMMapFile2& Input, std::uint32_t Bands,
                       TMMapFile2& Output, const TOutputGrid& Grid, const TInputGeometry& InputGeometry,
                       const TResampleOptions& Options)
    : FMapper(Mapper), FInput(Input), FBands(Bands), FOutput(Output), FGrid(Grid), FGeometry(InputGeometry),
      FOptions(Options) {}

void TResampler::ComputeRow(TRowWorker& Worker, std::int32_t Row, std::vector<float>& Cells) const {
    Worker.LargestError = std::max(Worker.LargestError, Worker.Mapper.MapRow(Row, Worker.Col, Worker.Line));
    const auto Columns = static_cast<std::size_t>(FGrid.Columns);
    Cells.resize(Columns * FBands);
    if (FOptions.Colour) {
        for (std::size_t C = 0; C < Columns; ++C) {
            float Value[3];
            SampleColour(*Worker.Input, Worker.Col[C], Worker.Line[C], FOptions.Background, Value);
            for (std::size_t Band = 0; Band < 3; ++Band)
                Cells[Band * Columns + C] = Value[Band];
        }
        return;
    }
    for (std::uint32_t Band = 0; Band < FBands; ++Band)
        for (std::size_t C = 0; C < Columns; ++C)
            Cells[Band * Columns + C] = SampleBilinear(*Worker.Input, Band, Worker.Col[C], Worker.Line[C]);
}

// Write results are not looked at: a failed cell write leaves that cell as it was.
void TResampler::WriteRow(std::int32_t Row, const std::vector<float>& Cells) {
    const auto Columns = static_cast<std::size_t>(FGrid.Columns);
    for (std::uint32_t Band = 0; Band < FBands; ++Band)
        for (std::size_t C = 0; C < Columns; ++C)
            FOutput.WriteCell(static_cast<std::int64_t>(C), Row, Band, Cells[Band * Columns + C]);
}

bool TResampler::Run(const std::function<bool(std::int32_t)>& RowWritten) {
    FLargestError = 0.0;
    FInputViewsFaulted = false;
    const int Threads = std::max(1, FOptions.Threads);
    std::vector<TRowWorker> Workers;
    Workers.reserve(static_cast<std::size_t>(Threads));
    for (int I = 0; Threads > 1 && I < Threads; ++I) {
        std::unique_ptr<TMMapFile2> View = FInput.OpenReadView();
        if (!View) { // an input that cannot be shared is sampled by one thread
            Workers.clear();
            break;
        }
        TMMapFile2* Input = View.get();
        Workers.push_back(
            {TRowMapper(FMapper, FGrid, FGeometry, FOptions.MaxError), std::move(View), Input, {}, {}});
    }
    bool Finished = false;
    if (Workers.empty()) {
        Workers.push_back(
            {TRowMapper(FMapper, FGrid, FGeometry, FOptions.MaxError), nullptr, &FInput, {}, {}});
        Finished = RunInPlace(Workers.front(), RowWritten);
    } else {
        Finished = RunThreaded(Workers, RowWritten);
    }
    for (const TRowWorker& Worker : Workers) {
        FLargestError = std::max(FLargestError, Worker.LargestError);
        if (Worker.OwnView && Worker.OwnView->MappingFaulted()) FInputViewsFaulted = true;
    }
    return Finished;
}

bool TResampler::RunInPlace(TRowWorker& Worker, const std::function<bool(std::int32_t)>& RowWritten) {
    std::vector<float> Cells;
    for (std::int32_t Row = 0; Row < FGrid.Rows; ++Row) {
        ComputeRow(Worker, Row, Cells);
        WriteRow(Row, Cells);
        if (!RowWritten(Row)) return false;
    }
    return true;
}

// The threads take rows in order, at most a ring of row buffers ahead of the row being written; this
// thread writes each row once it is complete and hands it to RowWritten.
bool TResampler::RunThreaded(std::vector<TRowWorker>& Workers,
                             const std::function<bool(std::int32_t)>& RowWritten) {
    const auto Slots = static_cast<std::int32_t>(Workers.size()) * SlotsPerThread;
    std::vector<std::vector<float>> Buffers(static_cast<std::size_t>(Slots));
    std::vector<char> Complete(static_cast<std::size_t>(Slots), 0);
    std::mutex Mutex;
    std::condition_variable Changed;
    std::int32_t NextRow = 0; // the next row a thread takes
    std::int32_t Written = 0; // rows written so far
    bool Halt = false;
    std::exception_ptr Failure;
    const auto Slot = [&](std::int32_t Row) { return static_cast<std::size_t>(Row % Slots); };

    const auto Compute = [&](TRowWorker& Worker) {
        for (;;) {
            std::int32_t Row = 0;
            {
                std::unique_lock Lock(Mutex);
                Changed.wait(Lock,
                             [&] { return Halt || NextRow >= FGrid.Rows || NextRow < Written + Slots; });
                if (Halt || NextRow >= FGrid.Rows) return;
                Row = NextRow++;
            }
            try {
                ComputeRow(Worker, Row, Buffers[Slot(Row)]);
            } catch (...) {
                std::lock_guard Lock(Mutex);
                if (!Failure) Failure = std::current_exception();
                Halt = true;
                Changed.notify_all();
                return;
            }
            std::lock_guard Lock(Mutex);
            Complete[Slot(Row)] = 1;
            Changed.notify_all();
        }
    };

    bool Finished = true;
    {
        std::vector<std::jthread> Threads;
        for (TRowWorker& Worker : Workers)
            Threads.emplace_back([&Compute, &Worker] { Compute(Worker); });
        const auto StopThreads = [&] {
            std::lock_guard Lock(Mutex);
            Halt = true;
            Changed.notify_all();
        };
        try {
            for (std::int32_t Row = 0; Row < FGrid.Rows; ++Row) {
                {
                    std::unique_lock Lock(Mutex);
                    Changed.wait(Lock, [&] { return Complete[Slot(Row)] || Failure; });
                    if (Failure) break;
                }
                WriteRow(Row, Buffers[Slot(Row)]);
                {
                    std::lock_guard Lock(Mutex);
                    Complete[Slot(Row)] = 0;
                    Written = Row + 1;
                    Changed.notify_all();
                }
                if (!RowWritten(Row)) {
                    Finished = false;
                    break;
                }
            }
        } catch (...) {
            StopThreads();
            throw;
        }
        StopThreads();
    } // the threads are joined here
    if (Failure) std::rethrow_exception(Failure);
    return Finished;
}

} // namespace vortane
