#include "crs/french_grid.hpp"

#include "crs/angles.hpp"
#include "crs/datum_shift.hpp"
#include "text/map.hpp"
#include "text/strings.hpp"
#include "text/tokenizer.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vortane {

namespace {

constexpr std::string_view HeaderDelimiters = " \t";
// The data are separated by blanks; TAB is taken as a blank too. Line ends come back from the
// reader as tokens of their own (see ReadValues).
constexpr std::string_view ValueDelimiters = " \t";
constexpr int ValuesPerNode = 4; // TX, TY, TZ, precision code

// A grid of this many nodes already takes 128 MiB; a header asking for more is taken as garbage
// rather than allocated.
constexpr std::int64_t MaxNodes = std::int64_t{1} << 22;

// Exact sum A + B as Sum + Error (Knuth's two-sum; no precondition on the magnitudes).
void TwoSum(double A, double B, double& Sum, double& Error) {
    Sum = A + B;
    const double BPart = Sum - A;
    Error = (A - (Sum - BPart)) + (B - BPart);
}

// Half a unit in the last place of a 64-bit mantissa just below the whole number N >= 1. Below a
// power of two the binade, and with it the unit, is one step smaller.
double HalfUnitBelow64(double N) {
    const int Exponent = std::ilogb(N);
    const bool PowerOfTwo = N == std::ldexp(1.0, Exponent);
    return std::ldexp(1.0, Exponent - (PowerOfTwo ? 65 : 64));
}

// A precision code: an optional sign and decimal digits, nothing else, within 32 bits.
bool ParseInteger(std::string_view Text, std::int32_t& Value) {
    if (!Text.empty() && Text.front() == '+') Text.remove_prefix(1);
    const char* End = Text.data() + Text.size();
    const auto [Stop, Error] = std::from_chars(Text.data(), End, Value);
    return !Text.empty() && Error == std::errc() && Stop == End;
}

// One component of the bilinear translation from the four corner values.
double Bilinear(double SW, double NW, double NE, double SE, double DLon, double DLat, double LonStep,
                double LatStep) {
    return SW + DLon * (SE - SW) / LonStep + DLat * (NW - SW) / LatStep +
           DLon * DLat * (SW + NE - SE - NW) / (LonStep * LatStep);
}

} // namespace

TFrenchGrid::TFrenchGrid()
    : TDatumRecord("EUROPE\tgr3df97a\tCF"), Wgs84(HubSpheroidRecord),
      Ntf("CF\t6378249.2\t293.466021\tClarke 1880 France") {
    IsGrid = true;
}

// The number of nodes along one axis is floor((Max - Min) / Step) + 2, where the quotient is the one
// a 64-bit-mantissa (x87 extended) division gives. A double division rounds the quotient to 53 bits
// first, and a quotient a little below a whole number then becomes that number: for the French
// header, 15.5 / 0.1 is 154.99999999999999139... exactly, 155.0 in double, and the floor would give
// one column too many. Extended arithmetic is not portable (long double is a double on some
// platforms and a 113-bit number on others), so the floor is found from an exact remainder:
//   D = Max - Min exactly, as Hi + Lo (two-sum);
//   N = the whole number nearest to Hi / Step;
//   R = D - N * Step, where fma(-N, Step, Hi) is exact: the result is a multiple of the unit of
//       Step and no larger than Step, so it fits in 53 bits.
// R >= 0 means the quotient is at least N, so the floor is N. R < 0 means it lies just below N; a
// 64-bit division still rounds it up to N when the gap -R / Step is at most half a 64-bit unit below
// N (ties go to N, whose 64-bit mantissa ends in 0), and then the floor is N; otherwise it is N - 1.
std::int64_t TFrenchGrid::NodeCount(double Min, double Max, double Step) {
    if (!(std::isfinite(Min) && std::isfinite(Max) && std::isfinite(Step) && Step > 0.0 && Max >= Min))
        return -1;
    double Hi = 0.0, Lo = 0.0;
    TwoSum(Max, -Min, Hi, Lo);
    const double Quotient = Hi / Step;
    if (!(std::isfinite(Hi) && Quotient < static_cast<double>(MaxNodes))) return -1;
    const double Nearest = std::nearbyint(Quotient);
    const double Remainder = std::fma(-Nearest, Step, Hi) + Lo;
    double Floor = Nearest;
    if (Remainder < 0.0 && !(Nearest >= 1.0 && -Remainder <= HalfUnitBelow64(Nearest) * Step))
        Floor = Nearest - 1.0;
    return static_cast<std::int64_t>(Floor) + 2;
}

const TGridNode& TFrenchGrid::Node(std::int32_t Column, std::int32_t Row) const {
    return Nodes[static_cast<std::size_t>(Column) * static_cast<std::size_t>(NLat) +
                 static_cast<std::size_t>(Row)];
}

bool TFrenchGrid::Fail(const std::string& Text) {
    LoadFailed = true;
    ErrorText = Text;
    // A half-read grid is never used: without nodes every position is outside.
    Nodes.clear();
    NLon = 0;
    NLat = 0;
    return false;
}

bool TFrenchGrid::ReadHeader(const std::string& Line) {
    SetParseText(Line);
    double* const Fields[] = {&LonMin, &LonMax, &LatMin, &LatMax, &LonStep, &LatStep};
    for (double* Field : Fields)
        *Field = StrToFloatDef(NextToken(HeaderDelimiters), 0.0);
    const std::int64_t Columns = NodeCount(LonMin, LonMax, LonStep);
    const std::int64_t Rows = NodeCount(LatMin, LatMax, LatStep);
    if (Columns < 0 || Rows < 0 || Columns * Rows > MaxNodes) return false;
    NLon = static_cast<std::int32_t>(Columns);
    NLat = static_cast<std::int32_t>(Rows);
    Nodes.assign(static_cast<std::size_t>(Columns * Rows), TGridNode{});
    return true;
}

// Values beyond the last node all land in the last node, so a longer file overwrites it.
bool TFrenchGrid::StoreValue(const std::string& Token) {
    const auto LastNode = static_cast<std::int64_t>(Nodes.size()) - 1;
    TGridNode& Target = Nodes[static_cast<std::size_t>(std::min(ValueCount / ValuesPerNode, LastNode))];
    switch (ValueCount % ValuesPerNode) {
    case 0:
        Target.TX = StrToFloatDef(Token, 0.0);
        break;
    case 1:
        Target.TY = StrToFloatDef(Token, 0.0);
        break;
    case 2:
        Target.TZ = StrToFloatDef(Token, 0.0);
        break;
    default:
        if (!ParseInteger(Token, Target.Precision)) return false;
    }
    ++ValueCount;
    return true;
}

bool TFrenchGrid::LoadGrid(const std::string& FileName) {
    Nodes.clear();
    NLon = 0;
    NLat = 0;
    ValueCount = 0;
    LoadFailed = false;
    ErrorText.clear();
    try {
        TReadLine Reader(FileName);
        std::string Line;
        Reader.ReadLine(Line);
        if (IsEndMarker(Line) || !ReadHeader(Line)) return Fail("No usable grid header in " + FileName);
        Reader.SkipLine();
        std::string Token;
        for (;;) {
            Reader.ReadToken(ValueDelimiters, Token);
            if (IsEndMarker(Token)) return true;
            // The reader hands a line end back as a token without moving past it; data that wrap
            // over several lines, and the line feed that ends the file, are stepped over here.
            if (Token == "\n") {
                Reader.NextChar();
                continue;
            }
            // Only CR or NUL bytes between two blanks: no value.
            if (Token.empty()) continue;
            if (!StoreValue(Token)) return Fail("Invalid precision code '" + Token + "' in " + FileName);
        }
    } catch (const EReadLineError& Error) {
        return Fail(std::string(Error.what()) + ": " + FileName);
    }
}

bool TFrenchGrid::FindCell(double Lat, double Lon, double& Lat0, double& Lon0, TGridCell& Corners) const {
    // The edges are inside; written so that NaN is outside too.
    if (Nodes.empty() || !(Lat >= LatMin && Lat <= LatMax && Lon >= LonMin && Lon <= LonMax)) return false;
    // On the northern or eastern edge the cell above or to the right of the edge node does not
    // exist; the last full cell is used, whose far side then lies on the edge.
    auto CellIndex = [](double Offset, double Step, std::int32_t Count) {
        return static_cast<std::int32_t>(
            std::clamp(std::floor(Offset / Step), 0.0, static_cast<double>(Count - 2)));
    };
    const std::int32_t I = CellIndex(Lon - LonMin, LonStep, NLon);
    const std::int32_t J = CellIndex(Lat - LatMin, LatStep, NLat);
    Lat0 = J * LatStep + LatMin;
    Lon0 = I * LonStep + LonMin;
    Corners = {Node(I, J), Node(I, J + 1), Node(I + 1, J + 1), Node(I + 1, J)};
    return true;
}

bool TFrenchGrid::Interpolate(double Lat, double Lon, double& TX, double& TY, double& TZ) const {
    const double LatDeg = RadToDeg(Lat);
    const double LonDeg = RadToDeg(NormLon(Lon));
    double Lat0 = 0.0, Lon0 = 0.0;
    TGridCell C;
    if (!FindCell(LatDeg, LonDeg, Lat0, Lon0, C)) return false;
    const double DLon = LonDeg - Lon0;
    const double DLat = LatDeg - Lat0;
    TX = Bilinear(C.SW.TX, C.NW.TX, C.NE.TX, C.SE.TX, DLon, DLat, LonStep, LatStep);
    TY = Bilinear(C.SW.TY, C.NW.TY, C.NE.TY, C.SE.TY, DLon, DLat, LonStep, LatStep);
    TZ = Bilinear(C.SW.TZ, C.NW.TZ, C.NE.TZ, C.SE.TZ, DLon, DLat, LonStep, LatStep);
    return true;
}

// The translation is looked up at the incoming position in both directions (the datum position to
// the hub, the hub position back); the two differ by some 100 m, far less than a grid cell.
bool TFrenchGrid::Translate(const TSpheroid& From, const TSpheroid& To, double Sign, double Lat, double Lon,
                            double H, double& Lat2, double& Lon2, double& H2) const {
    double TX = 0.0, TY = 0.0, TZ = 0.0;
    if (!Interpolate(Lat, Lon, TX, TY, TZ)) {
        KeepPosition(Lat, Lon, H, Lat2, Lon2, H2);
        return false;
    }
    From.HelmertShift(Lat, Lon, H, To, 0, Sign * TX, Sign * TY, Sign * TZ, 0, 0, 0, Lat2, Lon2, H2);
    return true;
}

bool TFrenchGrid::ShiftToHub(double Lat, double Lon, double H, double& Lat2, double& Lon2, double& H2) const {
    return Translate(Ntf, Wgs84, 1.0, Lat, Lon, H, Lat2, Lon2, H2);
}

bool TFrenchGrid::ShiftFromHub(double Lat, double Lon, double H, double& Lat2, double& Lon2,
                               double& H2) const {
    return Translate(Wgs84, Ntf, -1.0, Lat, Lon, H, Lat2, Lon2, H2);
}

} // namespace vortane
