#include "job/resampler.hpp"

#include "job/row_sampler.hpp"
#include "raster/mapped_cell_file.hpp"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

namespace vortane {

namespace {

// Longest row segment mapped by interpolation without a check point inside it.
constexpr std::int64_t MaxSegment = 256;
// Row buffers per computing thread: how far the threads may run ahead of the row being written.
constexpr int SlotsPerThread = 4;
// Output rows a thread computes between releases of the input pages it touched.
constexpr std::int64_t ReleaseEveryRows = 256;

constexpr std::pair<TResampling, std::string_view> MethodNames[] = {
    {TResampling::Auto, "auto"},   {TResampling::Nearest, "nearest"}, {TResampling::Bilinear, "bilinear"},
    {TResampling::Cubic, "cubic"}, {TResampling::Lanczos, "lanczos"}, {TResampling::Average, "average"},
    {TResampling::Mode, "mode"},
};

bool IsAreaMethod(TResampling Method) {
    return Method == TResampling::Average || Method == TResampling::Mode;
}

// The cells a method (Auto resolved) takes.
TTapRule TapRuleOf(TResampling Method) {
    switch (Method) {
    case TResampling::Nearest:
        return TTapRule::Nearest;
    case TResampling::Cubic:
        return TTapRule::Cubic;
    case TResampling::Lanczos:
        return TTapRule::Lanczos;
    case TResampling::Average:
        return TTapRule::Average;
    case TResampling::Mode:
        return TTapRule::Mode;
    case TResampling::Auto:
    case TResampling::Bilinear:
        break;
    }
    return TTapRule::Bilinear;
}

// The box around four corners; NaN when one of them has no position.
TCellArea BoxAround(double Col0, double Col1, double Col2, double Col3, double Line0, double Line1,
                    double Line2, double Line3) {
    if (std::isnan(Col0 + Col1 + Col2 + Col3 + Line0 + Line1 + Line2 + Line3)) {
        const double Nan = std::numeric_limits<double>::quiet_NaN();
        return {Nan, Nan, Nan, Nan};
    }
    return {std::min({Col0, Col1, Col2, Col3}), std::max({Col0, Col1, Col2, Col3}),
            std::min({Line0, Line1, Line2, Line3}), std::max({Line0, Line1, Line2, Line3})};
}

} // namespace

std::string_view ResamplingName(TResampling Method) {
    for (const auto& [Known, Name] : MethodNames)
        if (Known == Method) return Name;
    return {};
}

std::optional<TResampling> ResamplingByName(std::string_view Name) {
    for (const auto& [Method, Known] : MethodNames)
        if (Known == Name) return Method;
    return std::nullopt;
}

std::string ResamplingNames(std::string_view Separator) {
    std::string Names;
    for (const auto& [Method, Name] : MethodNames)
        Names.append(Names.empty() ? "" : Separator).append(Name);
    return Names;
}

int ThreadCount(int Requested) {
    if (Requested > 0) return Requested;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

// ---------------------------------------------------------------------------------------------------
// TRowMapper

TRowMapper::TRowMapper(const TCoordinateMapper& Mapper, const TOutputGrid& Grid, const TInputGeometry& Input,
                       double MaxError)
    : FMapper(Mapper), FGrid(Grid), FInput(Input), FMaxError(MaxError) {}

void TRowMapper::MapCell(double Y, double Column, double& Col, double& Line) const {
    double X = 0, InY = 0;
    FMapper.OutputToInput(FGrid.MinX + Column * FGrid.StepX, Y, X, InY);
    Col = (X - FInput.OriginX) / FInput.CellSizeX;
    Line = (FInput.OriginY - InY) / FInput.CellSizeY;
}

double TRowMapper::MapRow(std::int32_t Row, std::vector<double>& Col, std::vector<double>& Line) const {
    return MapLine(Row, 0.0, FGrid.Columns, Col, Line);
}

double TRowMapper::MapCorners(std::int32_t Row, bool Bottom, std::vector<double>& Col,
                              std::vector<double>& Line) const {
    return MapLine(Row + (Bottom ? 0.5 : -0.5), -0.5, std::int64_t{FGrid.Columns} + 1, Col, Line);
}

double TRowMapper::MapLine(double Row, double FirstColumn, std::int64_t Count, std::vector<double>& Col,
                           std::vector<double>& Line) const {
    Col.resize(static_cast<std::size_t>(Count));
    Line.resize(static_cast<std::size_t>(Count));
    const double Y = FGrid.MaxY - Row * FGrid.StepY;
    const auto Exact = [&](std::int64_t C) {
        MapCell(Y, FirstColumn + static_cast<double>(C), Col[static_cast<std::size_t>(C)],
                Line[static_cast<std::size_t>(C)]);
    };
    if (!(FMaxError > 0)) {
        for (std::int64_t C = 0; C < Count; ++C)
            Exact(C);
        return 0.0;
    }

    // Fills the cells strictly between A and B (both mapped exactly) on the straight line between them.
    const auto Interpolate = [&](std::int64_t A, std::int64_t B) {
        const auto UA = static_cast<std::size_t>(A), UB = static_cast<std::size_t>(B);
        for (std::int64_t C = A + 1; C < B; ++C) {
            const double T = double(C - A) / double(B - A);
            Col[static_cast<std::size_t>(C)] = Col[UA] + (Col[UB] - Col[UA]) * T;
            Line[static_cast<std::size_t>(C)] = Line[UA] + (Line[UB] - Line[UA]) * T;
        }
    };

    double Largest = 0.0;
    // Segments whose two ends are mapped exactly and whose inside is still open.
    std::vector<std::pair<std::int64_t, std::int64_t>> Open;
    Exact(0);
    for (std::int64_t Start = 0; Start < Count - 1; Start += MaxSegment) {
        const std::int64_t End = std::min(Start + MaxSegment, Count - 1);
        Exact(End);
        Open.emplace_back(Start, End);
    }
    while (!Open.empty()) {
        const auto [A, B] = Open.back();
        Open.pop_back();
        if (B - A < 2) continue;
        const std::int64_t M = A + (B - A) / 2;
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
    TRowWorker(TRowMapper RowMapper, std::unique_ptr<TMMapFile2> View, TMMapFile2& InputCells)
        : Mapper(std::move(RowMapper)), OwnView(std::move(View)), Input(InputCells), Sampler(InputCells) {}

    TRowMapper Mapper;
    std::unique_ptr<TMMapFile2> OwnView; // null when sampling the shared input in place
    TMMapFile2& Input;                   // OwnView or the shared input
    TRowSampler Sampler;
    std::int64_t RowsComputed = 0;
    std::vector<double> Col, Line;           // the cells' positions (area methods: their top corners)
    std::vector<double> BelowCol, BelowLine; // area methods: the cells' bottom corners
    std::vector<TCellArea> Areas;
    std::vector<std::uint8_t> Sampled; // of the row's cells: whether an input cell was sampled for it
    double LargestError = 0.0;
};

TResampler::TResampler(const TCoordinateMapper& Mapper, TMMapFile2& Input, std::uint32_t Bands,
                       TMMapFile2& Output, const TOutputGrid& Grid, const TInputGeometry& InputGeometry,
                       const TResampleOptions& Options)
    : FMapper(Mapper), FInput(Input), FBands(Bands), FOutput(Output), FGrid(Grid), FGeometry(InputGeometry),
      FOptions(Options), FMethod(Options.Method != TResampling::Auto ? Options.Method
                                 : Options.Colour                    ? TResampling::Nearest
                                                                     : TResampling::Bilinear) {
    if (Options.InputNoData) FNoData.emplace(*Options.InputNoData, Bands);
}

void TResampler::ComputeRow(TRowWorker& Worker, std::int32_t Row, std::vector<float>& Cells) const {
    // The input pages a thread touched are dropped now and then, so that its memory is that of the
    // rows it reads lately whatever the image's size; they come back from the file cache when needed.
    if (++Worker.RowsComputed % ReleaseEveryRows == 0) Worker.Input.ReleaseResidentPages();
    const auto Columns = static_cast<std::size_t>(FGrid.Columns);
    Cells.resize(Columns * OutputBands());
    if (IsAreaMethod(FMethod))
        MapAreas(Worker, Row);
    else
        Worker.LargestError =
            std::max(Worker.LargestError, Worker.Mapper.MapRow(Row, Worker.Col, Worker.Line));
    // Only a run that declares or marks empty cells, or reads them, needs to know which they are.
    if (!FOptions.OutputNoData && !FOptions.Alpha && !FNoData) {
        SampleBands(Worker, Cells.data(), nullptr);
        return;
    }
    Worker.Sampled.resize(Columns);
    SampleBands(Worker, Cells.data(), Worker.Sampled.data());
    MarkEmptyCells(Worker.Sampled.data(), Cells.data());
}

void TResampler::SampleBands(TRowWorker& Worker, float* Cells, std::uint8_t* Sampled) const {
    const auto Columns = static_cast<std::size_t>(FGrid.Columns);
    const TRowPositions At{Worker.Col.data(), Worker.Line.data(), Columns};
    const TNoDataCells* NoData = FNoData ? &*FNoData : nullptr;
    if (FOptions.Colour && FMethod == TResampling::Nearest) {
        Worker.Sampler.SampleColour(At, FOptions.Background, Cells, NoData, Sampled);
    } else if (NoData) {
        Worker.Sampler.SampleChecked(TapRuleOf(FMethod), FOptions.CellType, At, Worker.Areas.data(), *NoData,
                                     Cells, Sampled);
    } else {
        for (std::uint32_t Band = 0; Band < FBands; ++Band)
            SampleBand(Worker, Band, Cells + Band * Columns);
        if (Sampled) Worker.Sampler.Coverage(TapRuleOf(FMethod), At, Worker.Areas.data(), Sampled);
    }
}

void TResampler::MarkEmptyCells(const std::uint8_t* Sampled, float* Cells) const {
    const auto Columns = static_cast<std::size_t>(FGrid.Columns);
    if (FOptions.OutputNoData) {
        const auto Empty = static_cast<float>(*FOptions.OutputNoData);
        for (std::uint32_t Band = 0; Band < FBands; ++Band)
            for (std::size_t C = 0; C < Columns; ++C)
                if (!Sampled[C]) Cells[Band * Columns + C] = Empty;
    }
    if (FOptions.Alpha)
        for (std::size_t C = 0; C < Columns; ++C)
            Cells[FBands * Columns + C] = Sampled[C] ? FOptions.AlphaOpaque : 0.0f;
}

void TResampler::MapAreas(TRowWorker& Worker, std::int32_t Row) const {
    TRowMapper& Mapper = Worker.Mapper;
    Worker.LargestError =
        std::max({Worker.LargestError, Mapper.MapCorners(Row, false, Worker.Col, Worker.Line),
                  Mapper.MapCorners(Row, true, Worker.BelowCol, Worker.BelowLine)});
    const auto Columns = static_cast<std::size_t>(FGrid.Columns);
    Worker.Areas.resize(Columns);
    const std::vector<double>&Col = Worker.Col, &Line = Worker.Line, &BelowCol = Worker.BelowCol,
          &BelowLine = Worker.BelowLine;
    for (std::size_t C = 0; C < Columns; ++C)
        Worker.Areas[C] = BoxAround(Col[C], Col[C + 1], BelowCol[C], BelowCol[C + 1], Line[C], Line[C + 1],
                                    BelowLine[C], BelowLine[C + 1]);
}

void TResampler::SampleBand(TRowWorker& Worker, std::uint32_t Band, float* Cells) const {
    const TRowPositions At{Worker.Col.data(), Worker.Line.data(), static_cast<std::size_t>(FGrid.Columns)};
    TRowSampler& Sampler = Worker.Sampler;
    switch (FMethod) {
    case TResampling::Auto: // resolved at construction
    case TResampling::Bilinear:
        Sampler.SampleBilinear(Band, At, Cells);
        break;
    case TResampling::Nearest:
        Sampler.SampleNearest(Band, At, Cells);
        break;
    case TResampling::Cubic:
    case TResampling::Lanczos:
        Sampler.SampleKernel(Band, FMethod == TResampling::Cubic ? TKernel::Cubic : TKernel::Lanczos,
                             FOptions.CellType, At, Cells);
        break;
    case TResampling::Average:
    case TResampling::Mode:
        Sampler.SampleArea(Band, FMethod == TResampling::Average ? TAreaRule::Average : TAreaRule::Mode,
                           Worker.Areas.data(), Worker.Areas.size(), Cells);
        break;
    }
}

void TResampler::WriteRow(std::int32_t Row, const std::vector<float>& Cells) {
    WriteCellRow(FOutput, Row, OutputBands(), static_cast<std::size_t>(FGrid.Columns), Cells.data());
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
        TMMapFile2& Input = *View;
        Workers.emplace_back(TRowMapper(FMapper, FGrid, FGeometry, FOptions.MaxError), std::move(View),
                             Input);
    }
    bool Finished = false;
    if (Workers.empty()) {
        Workers.emplace_back(TRowMapper(FMapper, FGrid, FGeometry, FOptions.MaxError), nullptr, FInput);
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
