#include "crs/angles.hpp"

#include "crs/number_field.hpp"
#include "text/strings.hpp"
#include "text/tokenizer.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

namespace vortane {

namespace {

constexpr double TwoPi = 2.0 * Pi;
constexpr double HalfPi = Pi / 2.0;

// Added to the absolute angle in degrees before splitting, so that values a hair below a whole
// second (10 degrees computed as 10 * pi / 180, say) do not print as 59.999 seconds.
constexpr double DMSNudgeDeg = 3e-11;

// Largest seconds value StrToAngle accepts: 59.9991 still rounds below 60 in three decimals.
constexpr double MaxSeconds = 59.9991;
constexpr double MaxMinutes = 59.0;

// "D:M:S.sss" of a non-negative angle in radians. Seconds that round up to 60.000 carry into the
// minutes (and on into the degrees): "37:25:60.000" would be rejected by StrToAngle.
std::string DMSText(double AbsRad) {
    TDMS Parts = RadToDMS(AbsRad);
    std::string Seconds = FixedDecimals(Parts.Sec, 3);
    if (Seconds.starts_with("60.")) {
        Seconds = "0.000";
        if (++Parts.Min == 60) {
            Parts.Min = 0;
            ++Parts.Deg;
        }
    }
    return std::to_string(Parts.Deg) + ":" + std::to_string(Parts.Min) + ":" + Seconds;
}

// A number written with '.' as the only decimal mark; NaN for anything else, empty or not finite.
double ReadDotNumber(std::string_view Token) {
    constexpr double NotANumber = std::numeric_limits<double>::quiet_NaN();
    if (Token.find(',') != std::string_view::npos) return NotANumber;
    const double Value = StrToFloatDef(Token, NotANumber);
    return std::isfinite(Value) ? Value : NotANumber;
}

// Minutes or seconds: 0 for a blank text. False, with Value 0, for anything but a number in [0, Max].
bool ReadAnglePart(const std::string& Text, double Max, double& Value) {
    Value = Text.empty() ? 0.0 : ReadDotNumber(Text);
    if (Value >= 0.0 && Value <= Max) return true;
    Value = 0.0;
    return false;
}

} // namespace

double RadToDeg(double X) {
    return X * 180.0 / Pi;
}

double DegToRad(double X) {
    return X / 180.0 * Pi;
}

double ReduceAngle(double X) {
    return std::fmod(X, TwoPi);
}

double NormLon(double X) {
    double Lon = ReduceAngle(X);
    if (Lon > Pi) Lon -= TwoPi;
    if (Lon < -Pi) Lon += TwoPi;
    return Lon;
}

void SinCosMany(const double* Angle, std::size_t N, double* Sin, double* Cos) {
    for (std::size_t I = 0; I < N; ++I) {
        // Compared as bits: -0 equals +0 but has a sine of its own.
        if (I > 0 && std::bit_cast<std::uint64_t>(Angle[I]) == std::bit_cast<std::uint64_t>(Angle[I - 1])) {
            Sin[I] = Sin[I - 1];
            Cos[I] = Cos[I - 1];
        } else {
            // One call for both, as the compiler makes of std::sin and std::cos of one angle elsewhere;
            // the C library computes them exactly as it does apart.
            ::sincos(Angle[I], &Sin[I], &Cos[I]);
        }
    }
}

TDMS RadToDMS(double X) {
    const int Sign = X >= 0 ? 1 : -1;
    const double Degrees = std::fabs(RadToDeg(X)) + DMSNudgeDeg;
    TDMS Result;
    // Beyond the range of the integer degrees the split has no meaning; NaN seconds make that visible
    // in every text written from it instead of an overflowing conversion.
    if (!(Degrees < static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
        Result.Sec = std::numeric_limits<double>::quiet_NaN();
        return Result;
    }
    const double WholeDegrees = std::trunc(Degrees);
    const double Minutes = (Degrees - WholeDegrees) * 60.0;
    const double WholeMinutes = std::trunc(Minutes);
    Result.Deg = Sign * static_cast<std::int32_t>(WholeDegrees);
    Result.Min = Sign * static_cast<std::int32_t>(WholeMinutes);
    Result.Sec = Sign * (Minutes - WholeMinutes) * 60.0;
    return Result;
}

bool StrToAngle(const std::string& Text, double& Rad) {
    SetParseText(Text);
    const std::string DegText = NextToken(" :");
    const std::string MinText = NextToken(" :");
    const std::string SecText = NextToken(" :NnSsWwEe");
    // The hemisphere letter ended the seconds token: step back onto it and read it as a token of its own.
    SetParseCursor(ParseCursor() - 1);
    const std::string LetterText = NextToken(" ");
    const char Letter = LetterText.empty() ? ' ' : LetterText.front();

    bool DegreesOk = true;
    double Deg = 0.0;
    if (!DegText.empty()) {
        Deg = ReadDotNumber(DegText);
        if (std::isnan(Deg)) {
            Deg = 0.0;
            DegreesOk = false;
        }
    }
    // The sign comes from the text, so that "-0:30:0" is a negative half degree.
    const double Sign = StartsWithMinus(DegText) || Deg < 0 ? -1.0 : 1.0;
    Deg = std::fabs(Deg);

    double Min = 0.0, Sec = 0.0;
    const bool MinutesOk = ReadAnglePart(MinText, MaxMinutes, Min);
    const bool SecondsOk = ReadAnglePart(SecText, MaxSeconds, Sec);

    Rad = DegToRad(((Sec / 60.0 + Min) / 60.0 + Deg) * Sign);
    if (Letter == 'S' || Letter == 's') Rad = -Rad;
    // West longitudes are kept in [0, 2*pi) like every longitude that comes out of XYZToGeo.
    if (Letter == 'W' || Letter == 'w') Rad = TwoPi - Rad;
    return DegreesOk && MinutesOk && SecondsOk;
}

std::string LonToStr(double X) {
    if (X > Pi) X -= TwoPi;
    return DMSText(std::fabs(X)) + (X < 0 ? "W" : "E");
}

std::string LatToStr(double X) {
    X = ReduceAngle(X);
    // Fold over the north pole, then over the south pole, so that every angle becomes a latitude.
    if (X > HalfPi) X = Pi - X;
    if (X < -HalfPi) X = -Pi - X;
    return DMSText(std::fabs(X)) + (X < 0 ? "S" : "N");
}

std::string AngleToStr(double X) {
    std::string Text = X < 0 ? "-" : "";
    return Text += DMSText(std::fabs(X));
}

std::string IntToZeroStr(std::int64_t Value, int Width) {
    // Unsigned magnitude, so that the most negative value has one too.
    const std::uint64_t Magnitude =
        Value < 0 ? ~static_cast<std::uint64_t>(Value) + 1 : static_cast<std::uint64_t>(Value);
    std::string Digits = std::to_string(Magnitude);
    const std::size_t Wanted = Width > 0 ? static_cast<std::size_t>(Width) : 0;
    if (Digits.size() > Wanted)
        Digits.erase(0, Digits.size() - Wanted);
    else
        Digits.insert(0, Wanted - Digits.size(), '0');
    std::string Text = Value < 0 ? "-" : "";
    return Text += Digits;
}

std::string FloatToZeroStr(int Width, int Decimals, double Value) {
    std::string Text = FixedText(Value, Width, Decimals);
    const std::size_t Wanted = Width > 0 ? static_cast<std::size_t>(Width) : 0;
    if (Text.size() > Wanted)
        Text.erase(0, Text.size() - Wanted);
    else
        Text.insert(0, Wanted - Text.size(), '0');
    return Text;
}

} // namespace vortane
