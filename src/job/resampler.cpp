#include "job/resampler.hpp"

#include "job/row_sampler.hpp"
#include "raster/mapped_cell_file.hpp"
#include "text/name_table.hpp"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
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
// Bands of the output computed at once: the one being written and the next. A band holds as many
// rows (a power of two within the bounds) as keep its cells within BandBytes. Tall bands matter: each
// block faults in again the input rows it crosses, about its width times the slant of the mapping plus
// its height, so the faults per cell shrink with the band's height.
constexpr int BandsInFlight = 2;
constexpr std::int32_t MinBandRows = 16, MaxBandRows = 256;
constexpr std::size_t BandBytes = std::size_t{16} << 20;

constexpr TNamed<TResampling> MethodNames[] = {
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
    return NameIn(MethodNames, Method);
}

std::optional<TResampling> ResamplingByName(std::string_view Name) {
    return ValueIn(MethodNames, Name);
}

std::string ResamplingNames(std::string_view Separator) {
    return NamesIn(MethodNames, Separator);
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

double TRowMapper::MapRow(std::int32_t Row, TColumnSpan Cells, std::vector<double>& Col,
                          std::vector<double>& Line) const {
    return MapLine({0.0, 0.0, FGrid.Rows, FGrid.Columns}, Row, Cells, Col, Line);
}

double TRowMapper::MapRow(std::int32_t Row, std::vector<double>& Col, std::vector<double>& Line) const {
    return MapRow(Row, {0, FGrid.Columns}, Col, Line);
}

double TRowMapper::MapCorners(std::int32_t Row, bool Bottom, TColumnSpan Cells, std::vector<double>& Col,
                              std::vector<double>& Line) const {
    const TLattice CellCorners{-0.5, -0.5, std::int64_t{FGrid.Rows} + 1, std::int64_t{FGrid.Columns} + 1};
    return MapLine(CellCorners, std::int64_t{Row} + (Bottom ? 1 : 0), {Cells.First, Cells.Count + 1}, Col,
                   Line);
}

double TRowMapper::MapCorners(std::int32_t Row, bool Bottom, std::vector<double>& Col,
                              std::vector<double>& Line) const {
    return MapCorners(Row, Bottom, {0, FGrid.Columns}, Col, Line);
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

const TRowMapper::TBand& TRowMapper::BandOf(const TLattice& Lattice, std::int64_t K,
                                            TColumnSpan Cells) const {
    const std::int64_t From = K / BandLines * BandLines;
    // Block B spans columns B * BlockColumns to (B + 1) * BlockColumns (the last one to the last column);
    // a column on the edge of two takes its value from the second, so the blocks wanted are those of
    // the span's first and last column and the ones between.
    const std::int64_t LastColumn = Lattice.Columns - 1;
    const std::int64_t LastBlock = LastColumn > 0 ? (LastColumn - 1) / BlockColumns : 0;
    const std::int64_t First = std::min(Cells.First / BlockColumns, LastBlock);
    const std::int64_t Last = std::min((Cells.First + Cells.Count - 1) / BlockColumns, LastBlock);
    if (FBand.Lattice == Lattice && FBand.From == From && FBand.FirstBlock <= First &&
        Last <= FBand.LastBlock)
        return FBand;
    FBand = {Lattice, From, std::min(From + BandLines, Lattice.Lines - 1), First, Last, {}, 0.0};
    for (std::int64_t B = First; B <= Last; ++B) {
        const std::int64_t C0 = B * BlockColumns;
        TBlock Block{From, FBand.To, C0, std::min(C0 + BlockColumns, LastColumn), {}, {}};
        const std::pair<std::int64_t, std::int64_t> Corners[4] = {
            {Block.R0, Block.C0}, {Block.R0, Block.C1}, {Block.R1, Block.C0}, {Block.R1, Block.C1}};
        for (std::size_t I = 0; I < 4; ++I)
            MapLatticeCell(Corners[I].first, Corners[I].second, Block.Col[I], Block.Line[I]);
        Divide(Block);
    }
    return FBand;
}

double TRowMapper::MapLine(const TLattice& Lattice, std::int64_t K, TColumnSpan Cells,
                           std::vector<double>& Col, std::vector<double>& Line) const {
    Col.resize(static_cast<std::size_t>(Cells.Count));
    Line.resize(static_cast<std::size_t>(Cells.Count));
    if (Cells.Count <= 0) return 0.0;
    if (!(FMaxError > 0)) {
        // Lattice.FirstColumn + Cells.First + c is exact: the same positions as for the whole line.
        MapExactly(FGrid.MaxY - (Lattice.Offset + static_cast<double>(K)) * FGrid.StepY,
                   Lattice.FirstColumn + static_cast<double>(Cells.First), Cells.Count, Col, Line);
        return 0.0;
    }
    const TBand& Band = BandOf(Lattice, K, Cells);
    const std::int64_t End = Cells.First + Cells.Count;
    const auto At = [&](std::int64_t C) { return static_cast<std::size_t>(C - Cells.First); };
    // Blocks share their edges; a cell on one takes the value of the last block holding it, the same on
    // every run whichever thread maps the row and in whichever span.
    for (const TBlock& Block : Band.Blocks) {
        if (K < Block.R0 || K > Block.R1 || Block.C1 < Cells.First || Block.C0 >= End) continue;
        const std::int64_t From = std::max(Block.C0, Cells.First), To = std::min(Block.C1, End - 1);
        if (AllCorners(Block)) {
            const std::size_t Row = K == Block.R0 ? 0 : 2;
            for (std::int64_t C = From; C <= To; ++C) {
                const std::size_t Corner = Row + (C == Block.C0 ? 0 : 1);
                Col[At(C)] = Block.Col[Corner];
                Line[At(C)] = Block.Line[Corner];
            }
            continue;
        }
        const TBlockLine Interpolated = LineOfBlock(Block, K);
        for (std::int64_t C = From; C <= To; ++C) {
            Col[At(C)] = Interpolated.ColAt(C);
            Line[At(C)] = Interpolated.LineAt(C);
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
    std::vector<double> Col, Line;           // the cells' positions (area methods: their top corners)
    std::vector<double> BelowCol, BelowLine; // area methods: the cells' bottom corners
    std::vector<TCellArea> Areas;
    std::vector<std::uint8_t> Sampled; // of the span's cells: whether an input cell was sampled for it
    std::vector<float> Cells;          // the span's cells, band after band
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

void TResampler::ChooseRowStorage() {
    FEncoded.reset();
    TRowLayout Layout;
    if (FOutput.PlainRowLayout(Layout) && Layout.Writable && Layout.Bands == OutputBands() &&
        std::int64_t{Layout.Columns} == FGrid.Columns && DenseRowBytes(Layout) > 0) {
        FEncoded = Layout;
        FBufferLayout = Layout;
        FBufferLayout.FirstBand = 0; // a band's rows hold the cells alone
        FRowBytes = DenseRowBytes(Layout);
    } else {
        FRowBytes = static_cast<std::size_t>(std::max(FGrid.Columns, 0)) * OutputBands() * sizeof(float);
    }
}

TResampler::TCut TResampler::CutOf() const {
    TCut Cut;
    if (FOptions.BandRows > 0) {
        Cut.BandRows = FOptions.BandRows;
    } else {
        // A power of two, so that bands line up with the approximate mode's bands of lines.
        Cut.BandRows = MaxBandRows;
        while (Cut.BandRows > MinBandRows && Cut.BandRows * FRowBytes > BandBytes)
            Cut.BandRows /= 2;
    }
    Cut.BlockColumns = std::max(FOptions.BlockColumns, 1);
    Cut.Bands = FGrid.Rows / Cut.BandRows + (FGrid.Rows % Cut.BandRows != 0 ? 1 : 0);
    Cut.Blocks =
        std::max(1, FGrid.Columns / Cut.BlockColumns + (FGrid.Columns % Cut.BlockColumns != 0 ? 1 : 0));
    return Cut;
}

std::size_t TResampler::BandBufferBytes() const {
    return static_cast<std::size_t>(FCut.BandRows) * FRowBytes;
}

void TResampler::StoreSpan(const float* Cells, TColumnSpan Span, unsigned char* Row) const {
    const auto First = static_cast<std::size_t>(Span.First), Count = static_cast<std::size_t>(Span.Count);
    if (FEncoded) {
        EncodeCells(FBufferLayout, Row, First, Count, OutputBands(), Cells);
        return;
    }
    const auto Columns = static_cast<std::size_t>(FGrid.Columns);
    for (std::uint32_t Out = 0; Out < OutputBands(); ++Out)
        std::memcpy(Row + (Out * Columns + First) * sizeof(float), Cells + Out * Count,
                    Count * sizeof(float));
}

void TResampler::ComputeBlock(TRowWorker& Worker, std::int32_t Band, std::int32_t Block,
                              unsigned char* BandRows) const {
    const std::int64_t FirstRow = std::int64_t{Band} * FCut.BandRows;
    const std::int64_t First = std::int64_t{Block} * FCut.BlockColumns;
    const TColumnSpan Span{First, std::min<std::int64_t>(FCut.BlockColumns, FGrid.Columns - First)};
    if (Span.Count <= 0) return;
    const std::int64_t EndRow = std::min<std::int64_t>(FirstRow + FCut.BandRows, FGrid.Rows);
    for (std::int64_t Row = FirstRow; Row < EndRow; ++Row) {
        ComputeSpan(Worker, static_cast<std::int32_t>(Row), Span);
        StoreSpan(Worker.Cells.data(), Span, BandRows + static_cast<std::size_t>(Row - FirstRow) * FRowBytes);
    }
    // The input pages a thread touched are dropped after each block, so that its memory is that of
    // the input rows one block reads whatever the image's size (the kernel maps whole runs of pages
    // around each one read, so a thread that went on across the width would soon hold most of the
    // rows the band crosses); they come back from the file cache when needed.
    Worker.Input.ReleaseResidentPages();
}

void TResampler::ComputeSpan(TRowWorker& Worker, std::int32_t Row, TColumnSpan Span) const {
    const auto Count = static_cast<std::size_t>(Span.Count);
    Worker.Cells.resize(Count * OutputBands());
    if (IsAreaMethod(FMethod))
        MapAreas(Worker, Row, Span);
    else
        Worker.LargestError =
            std::max(Worker.LargestError, Worker.Mapper.MapRow(Row, Span, Worker.Col, Worker.Line));
    // Only a run that declares or marks empty cells, or reads them, needs to know which they are.
    if (!FOptions.OutputNoData && !FOptions.Alpha && !FNoData) {
        SampleBands(Worker, Count, Worker.Cells.data(), nullptr);
        return;
    }
    Worker.Sampled.resize(Count);
    SampleBands(Worker, Count, Worker.Cells.data(), Worker.Sampled.data());
    MarkEmptyCells(Worker.Sampled.data(), Count, Worker.Cells.data());
}

void TResampler::SampleBands(TRowWorker& Worker, std::size_t Count, float* Cells,
                             std::uint8_t* Sampled) const {
    const TRowPositions At{Worker.Col.data(), Worker.Line.data(), Count};
    const TNoDataCells* NoData = FNoData ? &*FNoData : nullptr;
    if (FOptions.Colour && FMethod == TResampling::Nearest) {
        Worker.Sampler.SampleColour(At, FOptions.Background, Cells, NoData, Sampled);
    } else if (NoData) {
        Worker.Sampler.SampleChecked(TapRuleOf(FMethod), FOptions.CellType, At, Worker.Areas.data(), *NoData,
                                     Cells, Sampled);
    } else {
        for (std::uint32_t Band = 0; Band < FBands; ++Band)
            SampleBand(Worker, Band, Count, Cells + Band * Count);
        if (Sampled) Worker.Sampler.Coverage(TapRuleOf(FMethod), At, Worker.Areas.data(), Sampled);
    }
}

void TResampler::MarkEmptyCells(const std::uint8_t* Sampled, std::size_t Count, float* Cells) const {
    if (FOptions.OutputNoData) {
        const auto Empty = static_cast<float>(*FOptions.OutputNoData);
        for (std::uint32_t Band = 0; Band < FBands; ++Band)
            for (std::size_t C = 0; C < Count; ++C)
                if (!Sampled[C]) Cells[Band * Count + C] = Empty;
    }
    if (FOptions.Alpha)
        for (std::size_t C = 0; C < Count; ++C)
            Cells[FBands * Count + C] = Sampled[C] ? FOptions.AlphaOpaque : 0.0f;
}

void TResampler::MapAreas(TRowWorker& Worker, std::int32_t Row, TColumnSpan Span) const {
    TRowMapper& Mapper = Worker.Mapper;
    Worker.LargestError =
        std::max({Worker.LargestError, Mapper.MapCorners(Row, false, Span, Worker.Col, Worker.Line),
                  Mapper.MapCorners(Row, true, Span, Worker.BelowCol, Worker.BelowLine)});
    const auto Count = static_cast<std::size_t>(Span.Count);
    Worker.Areas.resize(Count);
    const std::vector<double>&Col = Worker.Col, &Line = Worker.Line, &BelowCol = Worker.BelowCol,
          &BelowLine = Worker.BelowLine;
    for (std::size_t C = 0; C < Count; ++C)
        Worker.Areas[C] = BoxAround(Col[C], Col[C + 1], BelowCol[C], BelowCol[C + 1], Line[C], Line[C + 1],
                                    BelowLine[C], BelowLine[C + 1]);
}

void TResampler::SampleBand(TRowWorker& Worker, std::uint32_t Band, std::size_t Count, float* Cells) const {
    const TRowPositions At{Worker.Col.data(), Worker.Line.data(), Count};
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

bool TResampler::WriteBand(std::int32_t Band, const unsigned char* BandRows,
                           const std::function<bool(std::int32_t)>& RowWritten) {
    const auto Columns = static_cast<std::size_t>(std::max(FGrid.Columns, 0));
    const std::int32_t FirstRow = Band * FCut.BandRows;
    const std::int32_t EndRow = std::min(FGrid.Rows - FirstRow, FCut.BandRows) + FirstRow;
    for (std::int32_t Row = FirstRow; Row < EndRow; ++Row) {
        const unsigned char* Bytes = BandRows + static_cast<std::size_t>(Row - FirstRow) * FRowBytes;
        if (FEncoded) {
            WriteEncodedRow(FOutput, *FEncoded, Row, Bytes);
        } else {
            FRowCells.resize(Columns * OutputBands());
            std::memcpy(FRowCells.data(), Bytes, FRowBytes);
            WriteCellRow(FOutput, Row, OutputBands(), Columns, FRowCells.data());
        }
        if (!RowWritten(Row)) return false;
    }
    return true;
}

bool TResampler::Run(const std::function<bool(std::int32_t)>& RowWritten) {
    FLargestError = 0.0;
    FInputViewsFaulted = false;
    ChooseRowStorage();
    FCut = CutOf();
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
    std::vector<unsigned char> BandRows(BandBufferBytes());
    for (std::int32_t Band = 0; Band < FCut.Bands; ++Band) {
        for (std::int32_t Block = 0; Block < FCut.Blocks; ++Block)
            ComputeBlock(Worker, Band, Block, BandRows.data());
        if (!WriteBand(Band, BandRows.data(), RowWritten)) return false;
    }
    return true;
}

// The threads take the blocks of each band in turn, at most BandsInFlight bands ahead of the band
// being written; this thread writes each band once its blocks are complete, row by row.
bool TResampler::RunThreaded(std::vector<TRowWorker>& Workers,
                             const std::function<bool(std::int32_t)>& RowWritten) {
    std::vector<std::vector<unsigned char>> Buffers(BandsInFlight);
    std::vector<std::int32_t> BlocksDone(BandsInFlight, 0);
    std::mutex Mutex;
    std::condition_variable Changed;
    const std::int64_t Tasks = std::int64_t{FCut.Bands} * FCut.Blocks;
    std::int64_t NextTask = 0;     // band * blocks + block: the next block a thread takes
    std::int32_t WrittenBands = 0; // bands written so far
    bool Halt = false;
    std::exception_ptr Failure;
    const auto Slot = [](std::int32_t Band) { return static_cast<std::size_t>(Band % BandsInFlight); };
    const auto BandOf = [&](std::int64_t Task) { return static_cast<std::int32_t>(Task / FCut.Blocks); };

    const auto Compute = [&](TRowWorker& Worker) {
        for (;;) {
            std::int64_t Task = 0;
            {
                std::unique_lock Lock(Mutex);
                Changed.wait(Lock, [&] {
                    return Halt || NextTask >= Tasks || BandOf(NextTask) < WrittenBands + BandsInFlight;
                });
                if (Halt || NextTask >= Tasks) return;
                Task = NextTask++;
            }
            const std::int32_t Band = BandOf(Task);
            try {
                ComputeBlock(Worker, Band, static_cast<std::int32_t>(Task % FCut.Blocks),
                             Buffers[Slot(Band)].data());
            } catch (...) {
                std::lock_guard Lock(Mutex);
                if (!Failure) Failure = std::current_exception();
                Halt = true;
                Changed.notify_all();
                return;
            }
            std::lock_guard Lock(Mutex);
            ++BlocksDone[Slot(Band)];
            Changed.notify_all();
        }
    };

    for (std::vector<unsigned char>& Buffer : Buffers)
        Buffer.resize(BandBufferBytes());
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
            for (std::int32_t Band = 0; Band < FCut.Bands; ++Band) {
                {
                    std::unique_lock Lock(Mutex);
                    Changed.wait(Lock, [&] { return BlocksDone[Slot(Band)] == FCut.Blocks || Failure; });
                    if (Failure) break;
                }
                if (!WriteBand(Band, Buffers[Slot(Band)].data(), RowWritten)) {
                    Finished = false;
                    break;
                }
                std::lock_guard Lock(Mutex);
                BlocksDone[Slot(Band)] = 0;
                WrittenBands = Band + 1;
                Changed.notify_all();
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
