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

// The largest block mapped by interpolation: lines of a band and columns.
constexpr std::int64_t BandLines = 64;
constexpr std::int64_t BlockColumns = 256;
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

void TRowMapper::MapExactly(double Y, double FirstColumn, std::int64_t Count, std::vector<double>& Col,
                            std::vector<double>& Line) const {
    const auto N = static_cast<std::size_t>(Count);
    for (std::size_t C = 0; C < N; ++C) { // the output positions first, then their images
        Col[C] = FGrid.MinX + (FirstColumn + static_cast<double>(C)) * FGrid.StepX;
        Line[C] = Y;
    }
    FInX.resize(N);
    FInY.resize(N);
    FMapper.OutputToInput(Col.data(), Line.data(), N, FInX.data(), FInY.data());
    for (std::size_t C = 0; C < N; ++C) {
        Col[C] = (FInX[C] - FInput.OriginX) / FInput.CellSizeX;
        Line[C] = (FInput.OriginY - FInY[C]) / FInput.CellSizeY;
    }
}

double TRowMapper::MapRow(std::int32_t Row, std::vector<double>& Col, std::vector<double>& Line) const {
    return MapLine({0.0, 0.0, FGrid.Rows, FGrid.Columns}, Row, Col, Line);
}

double TRowMapper::MapCorners(std::int32_t Row, bool Bottom, std::vector<double>& Col,
                              std::vector<double>& Line) const {
    const TLattice CellCorners{-0.5, -0.5, std::int64_t{FGrid.Rows} + 1, std::int64_t{FGrid.Columns} + 1};
    return MapLine(CellCorners, std::int64_t{Row} + (Bottom ? 1 : 0), Col, Line);
}

void TRowMapper::MapLatticeCell(std::int64_t K, std::int64_t C, double& Col, double& Line) const {
    const TLattice& Lattice = FBand.Lattice;
    MapCell(FGrid.MaxY - (Lattice.Offset + static_cast<double>(K)) * FGrid.StepY,
            Lattice.FirstColumn + static_cast<double>(C), Col, Line);
}

namespace {

// Interpolation along lattice line K of a block: Col and Line at column C are Left + Delta * (C - C0) /
// width.
struct TBlockLine {
    double LeftCol = 0, DeltaCol = 0, LeftLine = 0, DeltaLine = 0, PerColumn = 0;
    std::int64_t C0 = 0;

    TBlockLine(const std::array<double, 4>& Col, const std::array<double, 4>& Line, std::int64_t R0,
               std::int64_t R1, std::int64_t K, std::int64_t FirstColumn, std::int64_t LastColumn)
        : C0(FirstColumn) {
        const double V = R1 > R0 ? double(K - R0) / double(R1 - R0) : 0.0;
        LeftCol = Col[0] + (Col[2] - Col[0]) * V;
        LeftLine = Line[0] + (Line[2] - Line[0]) * V;
        DeltaCol = Col[1] + (Col[3] - Col[1]) * V - LeftCol;
        DeltaLine = Line[1] + (Line[3] - Line[1]) * V - LeftLine;
        PerColumn = LastColumn > FirstColumn ? 1.0 / double(LastColumn - FirstColumn) : 0.0;
    }
    double ColAt(std::int64_t C) const { return LeftCol + DeltaCol * (double(C - C0) * PerColumn); }
    double LineAt(std::int64_t C) const { return LeftLine + DeltaLine * (double(C - C0) * PerColumn); }
};

TBlockLine LineOfBlock(const auto& Block, std::int64_t K) {
    return TBlockLine(Block.Col, Block.Line, Block.R0, Block.R1, K, Block.C0, Block.C1);
}

// A block no wider and no taller than one step: every cell of it is one of its corners.
bool AllCorners(const auto& Block) {
    return Block.R1 - Block.R0 < 2 && Block.C1 - Block.C0 < 2;
}

} // namespace

void TRowMapper::Divide(const TBlock& Block) const {
    if (AllCorners(Block)) {
        FBand.Blocks.push_back(Block);
        return;
    }
    const std::int64_t RM = Block.R0 + (Block.R1 - Block.R0) / 2, CM = Block.C0 + (Block.C1 - Block.C0) / 2;
    // The check points: the middles of the top, bottom, left and right edges and the centre.
    const std::array<std::pair<std::int64_t, std::int64_t>, 5> At{
        {{Block.R0, CM}, {Block.R1, CM}, {RM, Block.C0}, {RM, Block.C1}, {RM, CM}}};
    std::array<double, 5> Col{}, Line{};
    double Error = 0.0;
    for (std::size_t I = 0; I < At.size(); ++I) {
        const auto [K, C] = At[I];
        MapLatticeCell(K, C, Col[I], Line[I]);
        const TBlockLine Interpolated = LineOfBlock(Block, K);
        // std::max would drop a NaN: a block reaching outside a system's domain is divided.
        const double Here = std::hypot(Interpolated.ColAt(C) - Col[I], Interpolated.LineAt(C) - Line[I]);
        if (!(Here <= Error)) Error = Here;
    }
    if (Error <= FMaxError) {
        FBand.Largest = std::max(FBand.Largest, Error);
        FBand.Blocks.push_back(Block);
        return;
    }
    // The parts, with their corners among Block's corners and check points.
    const auto Part = [&](std::size_t TopLeft, std::size_t TopRight, std::size_t BottomLeft,
                          std::size_t BottomRight, std::int64_t R0, std::int64_t R1, std::int64_t C0,
                          std::int64_t C1) {
        // Indexes 0..3: Block's corners; 4..8: its check points in the order of At.
        const auto ColOf = [&](std::size_t I) { return I < 4 ? Block.Col[I] : Col[I - 4]; };
        const auto LineOf = [&](std::size_t I) { return I < 4 ? Block.Line[I] : Line[I - 4]; };
        Divide({R0,
                R1,
                C0,
                C1,
                {ColOf(TopLeft), ColOf(TopRight), ColOf(BottomLeft), ColOf(BottomRight)},
                {LineOf(TopLeft), LineOf(TopRight), LineOf(BottomLeft), LineOf(BottomRight)}});
    };
    constexpr std::size_t Top = 4, Bottom = 5, Left = 6, Right = 7, Centre = 8;
    const bool SplitRows = Block.R1 - Block.R0 >= 2, SplitColumns = Block.C1 - Block.C0 >= 2;
    if (SplitRows && SplitColumns) {
        Part(0, Top, Left, Centre, Block.R0, RM, Block.C0, CM);
        Part(Top, 1, Centre, Right, Block.R0, RM, CM, Block.C1);
        Part(Left, Centre, 2, Bottom, RM, Block.R1, Block.C0, CM);
        Part(Centre, Right, Bottom, 3, RM, Block.R1, CM, Block.C1);
    } else if (SplitColumns) { // a block one step tall: its middle row is its top row
        Part(0, Top, 2, Bottom, Block.R0, Block.R1, Block.C0, CM);
        Part(Top, 1, Bottom, 3, Block.R0, Block.R1, CM, Block.C1);
    } else {
        Part(0, 1, Left, Right, Block.R0, RM, Block.C0, Block.C1);
        Part(Left, Right, 2, 3, RM, Block.R1, Block.C0, Block.C1);
    }
}

const TRowMapper::TBand& TRowMapper::BandOf(const TLattice& Lattice, std::int64_t K) const {
    const std::int64_t From = K / BandLines * BandLines;
    if (FBand.Lattice == Lattice && FBand.From == From) return FBand;
    FBand = {Lattice, From, std::min(From + BandLines, Lattice.Lines - 1), {}, 0.0};
    const std::int64_t LastColumn = Lattice.Columns - 1;
    for (std::int64_t C0 = 0; C0 == 0 || C0 < LastColumn; C0 += BlockColumns) {
        TBlock Block{From, FBand.To, C0, std::min(C0 + BlockColumns, LastColumn), {}, {}};
        const std::pair<std::int64_t, std::int64_t> Corners[4] = {
            {Block.R0, Block.C0}, {Block.R0, Block.C1}, {Block.R1, Block.C0}, {Block.R1, Block.C1}};
        for (std::size_t I = 0; I < 4; ++I)
            MapLatticeCell(Corners[I].first, Corners[I].second, Block.Col[I], Block.Line[I]);
        Divide(Block);
    }
    return FBand;
}

double TRowMapper::MapLine(const TLattice& Lattice, std::int64_t K, std::vector<double>& Col,
                           std::vector<double>& Line) const {
    Col.resize(static_cast<std::size_t>(Lattice.Columns));
    Line.resize(static_cast<std::size_t>(Lattice.Columns));
    if (!(FMaxError > 0)) {
        MapExactly(FGrid.MaxY - (Lattice.Offset + static_cast<double>(K)) * FGrid.StepY, Lattice.FirstColumn,
                   Lattice.Columns, Col, Line);
        return 0.0;
    }
    const TBand& Band = BandOf(Lattice, K);
    // Blocks share their edges; a cell on one takes the value of the last block holding it, the same on
    // every run whichever thread maps the row.
    for (const TBlock& Block : Band.Blocks) {
        if (K < Block.R0 || K > Block.R1) continue;
        if (AllCorners(Block)) {
            const std::size_t Row = K == Block.R0 ? 0 : 2;
            for (std::int64_t C = Block.C0; C <= Block.C1; ++C) {
                const std::size_t Corner = Row + (C == Block.C0 ? 0 : 1);
                Col[static_cast<std::size_t>(C)] = Block.Col[Corner];
                Line[static_cast<std::size_t>(C)] = Block.Line[Corner];
            }
            continue;
        }
        const TBlockLine Interpolated = LineOfBlock(Block, K);
        for (std::int64_t C = Block.C0; C <= Block.C1; ++C) {
            Col[static_cast<std::size_t>(C)] = Interpolated.ColAt(C);
            Line[static_cast<std::size_t>(C)] = Interpolated.LineAt(C);
        }
    }
    return Band.Largest;
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
