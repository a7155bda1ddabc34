#include "crs/nadcon.hpp"

#include "crs/angles.hpp"
#include "crs/datum_shift.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <fcntl.h>

namespace vortane {

namespace {

// The binary NADCON layout: little-endian records of (NC + 1) 32-bit words. Record 0 is the header;
// records 1 to NR are the rows from south to north, each a word that is not read followed by NC
// floats west to east (shifts in arc-seconds). Header fields, by byte offset:
constexpr std::uint64_t ColumnsOffset = 64;   // NC, 32-bit signed
constexpr std::uint64_t RowsOffset = 68;      // NR, 32-bit signed
constexpr std::uint64_t XMinOffset = 76;      // longitude of the first column, degrees, float
constexpr std::uint64_t CellXOffset = 80;     // column spacing, degrees, float
constexpr std::uint64_t YMinOffset = 84;      // latitude of the first row, degrees, float
constexpr std::uint64_t CellYOffset = 88;     // row spacing, degrees, float
constexpr std::uint64_t HeaderFieldsEnd = 92; // the fields above end here
constexpr std::uint64_t WordBytes = 4;

constexpr double SecondsPerDegree = 3600.0;
// u a rounding error below a whole number counts as that whole number.
constexpr double NodeSnap = 1e-11;
// The inverse shift stops when the forward shift of the estimate is this close to the target.
constexpr double InverseTolerance = 1e-9; // degrees
constexpr int InverseRounds = 10;

constexpr double DegToRadFactor = Pi / 180.0;

// True when Records records of Words 32-bit words each fit in Bytes.
bool RecordsFit(std::uint64_t Records, std::uint64_t Words, std::uint64_t Bytes) {
    return Records <= Bytes / WordBytes / Words; // no overflow: Words >= 1
}

} // namespace

int TNadConFile::Open(const std::string& Path) {
    FView.Unmap();
    FSize = 0;
    // O_NONBLOCK: a FIFO named like a grid must be refused, not waited on until a writer comes.
    if (const int Error = FFile.Open(Path, O_RDONLY | O_NONBLOCK)) return Error;
    struct stat Status {};
    if (::fstat(FFile.Get(), &Status) != 0) return errno;
    if (!S_ISREG(Status.st_mode)) return S_ISDIR(Status.st_mode) ? EISDIR : EINVAL;
    if (Status.st_size <= 0) return EINVAL; // nothing to map
    FSize = static_cast<std::uint64_t>(Status.st_size);
    if (const int Error = FView.Map(FFile.Get(), 0, static_cast<std::size_t>(FSize), false)) {
        FSize = 0;
        return Error;
    }
    return 0;
}

std::uint32_t TNadConFile::RawWord(std::uint64_t ByteOffset) const {
    const unsigned char* Bytes = FView.Data() + ByteOffset;
    return static_cast<std::uint32_t>(Bytes[0]) | static_cast<std::uint32_t>(Bytes[1]) << 8 |
           static_cast<std::uint32_t>(Bytes[2]) << 16 | static_cast<std::uint32_t>(Bytes[3]) << 24;
}

std::int32_t TNadConFile::IntAt(std::uint64_t ByteOffset) const {
    return std::bit_cast<std::int32_t>(RawWord(ByteOffset));
}

float TNadConFile::FloatAt(std::uint64_t ByteOffset) const {
    return std::bit_cast<float>(RawWord(ByteOffset));
}

TNadCon::TNadCon()
    : TDatumRecord("NORTH AMERICA\tNADCON\tCC"), Wgs84(HubSpheroidRecord),
      Grs80("RF\t6378137\t298.257222101\tGeodetic Reference System 1980") {
    IsGrid = true;
}

bool TNadCon::Refuse(const std::string& Text) {
    ErrorText = Text;
    GridsOpen = false;
    return false;
}

bool TNadCon::OpenGrids(const std::string& BaseName) {
    GridsOpen = false;
    ErrorText.clear();
    const std::string LasName = BaseName + ".las";
    const std::string LosName = BaseName + ".los";
    LastError = LasFile.Open(LasName);
    if (LastError != 0) return Refuse("Cannot map " + LasName);
    LastError = LosFile.Open(LosName);
    if (LastError != 0) return Refuse("Cannot map " + LosName);
    if (!ReadGeometry(LosName, LasName)) return false;
    GridsOpen = true;
    return true;
}

// The geometry comes from the ".los" header and serves both grids, so both files must hold every
// node it announces: a header that lies about NC or NR would otherwise send node reads past the end
// of a mapping.
bool TNadCon::ReadGeometry(const std::string& LosName, const std::string& LasName) {
    if (LosFile.Size() < HeaderFieldsEnd) return Refuse("NADCON grid header truncated: " + LosName);
    NC = LosFile.IntAt(ColumnsOffset);
    NR = LosFile.IntAt(RowsOffset);
    XMin = LosFile.FloatAt(XMinOffset);
    CellX = LosFile.FloatAt(CellXOffset);
    YMin = LosFile.FloatAt(YMinOffset);
    CellY = LosFile.FloatAt(CellYOffset);
    // Interpolation needs a cell, so at least two columns and two rows.
    if (NC < 2 || NR < 2) return Refuse("NADCON grid has fewer than two columns or rows: " + LosName);
    if (!(std::isfinite(CellX) && CellX > 0.0 && std::isfinite(CellY) && CellY > 0.0))
        return Refuse("NADCON grid spacing is not positive: " + LosName);
    if (!(std::isfinite(XMin) && std::isfinite(YMin)))
        return Refuse("NADCON grid origin is not a number: " + LosName);
    const auto Records = static_cast<std::uint64_t>(NR) + 1;
    const auto Words = static_cast<std::uint64_t>(NC) + 1;
    if (!RecordsFit(Records, Words, LosFile.Size()))
        return Refuse("NADCON grid shorter than its header says: " + LosName);
    if (!RecordsFit(Records, Words, LasFile.Size()))
        return Refuse("NADCON grid shorter than its header says: " + LasName);
    XMax = (NC - 1) * CellX + XMin;
    YMax = (NR - 1) * CellY + YMin;
    return true;
}

double TNadCon::NodeValue(const TNadConFile& Grid, std::int64_t Row, std::int64_t Column) const {
    const auto WordIndex = static_cast<std::uint64_t>(Row * (static_cast<std::int64_t>(NC) + 1) + Column);
    return Grid.FloatAt(WordIndex * WordBytes);
}

double TNadCon::Interpolate(const TNadConFile& Grid, double U, double V) const {
    // The node column and row below (U, V). A value a rounding error below the next whole number
    // belongs to that number, with a tiny negative fraction, rather than to the cell below it with a
    // fraction of almost 1. At the eastern and northern edges that move could reach the column or
    // row past the last one, so the cell is kept within the grid.
    auto CellBelow = [](double Position, std::int32_t Count) {
        double Node = std::floor(Position);
        if (std::fabs(Position - Node - 1.0) < NodeSnap) Node += 1.0;
        return static_cast<std::int64_t>(std::clamp(Node, 1.0, static_cast<double>(Count - 1)));
    };
    const std::int64_t Column = CellBelow(U, NC);
    const std::int64_t Row = CellBelow(V, NR);
    const double T = U - static_cast<double>(Column);
    const double S = V - static_cast<double>(Row);
    const double F00 = NodeValue(Grid, Row, Column);
    const double F10 = NodeValue(Grid, Row, Column + 1);
    const double F01 = NodeValue(Grid, Row + 1, Column);
    const double F11 = NodeValue(Grid, Row + 1, Column + 1);
    return F00 + (F10 - F00) * T + (F01 - F00) * S + (F00 + F11 - F10 - F01) * T * S;
}

bool TNadCon::GridShift(double Lat, double Lon, double& Lat2, double& Lon2, double& ShiftLon,
                        double& ShiftLat) const {
    if (!GridsOpen) return false;
    // Strictly inside; written so that NaN is outside too.
    if (!(Lon > XMin && Lon < XMax && Lat > YMin && Lat < YMax)) return false;
    const double U = (Lon - XMin) / CellX + 1.0;
    const double V = (Lat - YMin) / CellY + 1.0;
    ShiftLon = Interpolate(LosFile, U, V);
    ShiftLat = Interpolate(LasFile, U, V);
    // NADCON longitude shifts are positive towards the west.
    Lon2 = Lon - ShiftLon / SecondsPerDegree;
    Lat2 = Lat + ShiftLat / SecondsPerDegree;
    return true;
}

bool TNadCon::InverseGridShift(double Lat, double Lon, double& Lat2, double& Lon2) const {
    double EstimateLat = Lat;
    double EstimateLon = Lon;
    for (int Round = 1; Round <= InverseRounds; ++Round) {
        double ShiftedLat = 0.0, ShiftedLon = 0.0, ShiftLon = 0.0, ShiftLat = 0.0;
        if (!GridShift(EstimateLat, EstimateLon, ShiftedLat, ShiftedLon, ShiftLon, ShiftLat)) {
            Lat2 = EstimateLat;
            Lon2 = EstimateLon;
            return false;
        }
        const double DLat = Lat - ShiftedLat;
        const double DLon = Lon - ShiftedLon;
        const bool LatDone = std::fabs(DLat) <= InverseTolerance;
        const bool LonDone = std::fabs(DLon) <= InverseTolerance;
        if (LatDone && LonDone) {
            Lat2 = EstimateLat + DLat;
            Lon2 = EstimateLon + DLon;
            return true;
        }
        if (!LatDone) EstimateLat += DLat;
        if (!LonDone) EstimateLon += DLon;
    }
    return false;
}

void TNadCon::ChangeSpheroid(const TSpheroid& From, const TSpheroid& To, double H, double Lon, double Lat,
                             double& Lat2, double& Lon2, double& H2) const {
    double HubLat = 0.0, HubLon = 0.0, HubH = 0.0;
    From.HelmertShift(Lat, Lon, H, Wgs84, 0, 0, 0, 0, 0, 0, 0, HubLat, HubLon, HubH);
    Wgs84.HelmertShift(HubLat, HubLon, HubH, To, 0, 0, 0, 0, 0, 0, 0, Lat2, Lon2, H2);
}

bool TNadCon::ShiftToHub(double Lat, double Lon, double H, double& Lat2, double& Lon2, double& H2) const {
    double ShiftedLat = 0.0, ShiftedLon = 0.0, ShiftLon = 0.0, ShiftLat = 0.0;
    if (!GridShift(RadToDeg(Lat), RadToDeg(NormLon(Lon)), ShiftedLat, ShiftedLon, ShiftLon, ShiftLat)) {
        KeepPosition(Lat, Lon, H, Lat2, Lon2, H2);
        return false;
    }
    // The shifted position refers to GRS 1980; the hub is WGS 1984.
    ChangeSpheroid(Grs80, Wgs84, H, ShiftedLon * DegToRadFactor, ShiftedLat * DegToRadFactor, Lat2, Lon2, H2);
    return true;
}

bool TNadCon::ShiftFromHub(double Lat, double Lon, double H, double& Lat2, double& Lon2, double& H2) const {
    double Grs80Lat = 0.0, Grs80Lon = 0.0, Grs80H = 0.0;
    ChangeSpheroid(Wgs84, Grs80, H, Lon, Lat, Grs80Lat, Grs80Lon, Grs80H);
    double DatumLat = 0.0, DatumLon = 0.0;
    if (!InverseGridShift(RadToDeg(Grs80Lat), RadToDeg(NormLon(Grs80Lon)), DatumLat, DatumLon)) {
        KeepPosition(Lat, Lon, H, Lat2, Lon2, H2);
        return false;
    }
    Lat2 = DatumLat * DegToRadFactor;
    Lon2 = DatumLon * DegToRadFactor;
    H2 = H; // the input height passes through; the ellipsoid change of the height is not kept
    return true;
}

} // namespace vortane
