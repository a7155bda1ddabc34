#include "text/strings.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace vortane {

namespace {

bool IsDigit(char Char) {
    return Char >= '0' && Char <= '9';
}

std::size_t SkipDigits(std::string_view Text, std::size_t Index) {
    while (Index < Text.size() && IsDigit(Text[Index]))
        ++Index;
    return Index;
}

// Whether Text is exactly: optional sign, digits, optional '.' and digits (at least one digit in
// all), optional exponent (E or e, optional sign, at least one digit). Nothing else, not even NUL.
bool IsDecimalNumber(std::string_view Text) {
    std::size_t Index = 0;
    if (Index < Text.size() && (Text[Index] == '+' || Text[Index] == '-')) ++Index;
    const std::size_t IntegerStart = Index;
    Index = SkipDigits(Text, Index);
    std::size_t MantissaDigits = Index - IntegerStart;
    if (Index < Text.size() && Text[Index] == '.') {
        const std::size_t FractionStart = ++Index;
        Index = SkipDigits(Text, Index);
        MantissaDigits += Index - FractionStart;
    }
    if (MantissaDigits == 0) return false;
    if (Index < Text.size() && (Text[Index] == 'E' || Text[Index] == 'e')) {
        ++Index;
        if (Index < Text.size() && (Text[Index] == '+' || Text[Index] == '-')) ++Index;
        const std::size_t ExponentStart = Index;
        Index = SkipDigits(Text, Index);
        if (Index == ExponentStart) return false;
    }
    return Index == Text.size();
}

// strtod in the "C" locale: the text has been checked already, and the user's locale must never
// change how a file is read.
double ParseCDouble(const std::string& Text) {
    static const locale_t CLocale = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    return ::strtod_l(Text.c_str(), nullptr, CLocale);
}

} // namespace

double StrToFloatDef(std::string_view Text, double Default) {
    std::string Number = TrimBlanks(Text);
    const std::size_t Mark = Number.find('.') != std::string::npos ? Number.find('.') : Number.find(',');
    if (Mark != std::string::npos) Number[Mark] = '.';
    if (!IsDecimalNumber(Number)) return Default;
    const double Value = ParseCDouble(Number);
    // An overflowing exponent ("1e999") would read as infinity and poison every later computation;
    // like any other unreadable number it takes the default. Underflow gives the nearest tiny value.
    return std::isfinite(Value) ? Value : Default;
}

namespace {

constexpr int MaxDigits = 40;

// Decimal exponent of Value once rounded to Significant digits (9.99996 at 5 digits is 10.000: 1).
int RoundedExponent(double Value, int Significant) {
    char Buffer[64];
    const auto Result =
        std::to_chars(Buffer, Buffer + sizeof Buffer, Value, std::chars_format::scientific, Significant - 1);
    const char* Exponent = std::find(Buffer, Result.ptr, 'e') + 1;
    if (*Exponent == '+') ++Exponent;
    int Power = 0;
    std::from_chars(Exponent, Result.ptr, Power);
    return Power;
}

// "1.5E20": Significant digits without trailing zeros, as the general number format writes them.
std::string ScientificText(double Value, int Significant) {
    char Buffer[64];
    const auto Result =
        std::to_chars(Buffer, Buffer + sizeof Buffer, Value, std::chars_format::scientific, Significant - 1);
    std::string Text(Buffer, Result.ptr);
    const std::size_t E = Text.find('e');
    std::string Mantissa = Text.substr(0, E);
    if (Mantissa.find('.') != std::string::npos) {
        Mantissa.erase(Mantissa.find_last_not_of('0') + 1);
        if (Mantissa.back() == '.') Mantissa.pop_back();
    }
    const int Power = RoundedExponent(Value, Significant);
    return Mantissa + "E" + std::to_string(Power);
}

bool IsNegativeZeroText(const std::string& Text) {
    return Text.front() == '-' && Text.find_first_not_of("-0.") == std::string::npos;
}

// Room for any double in fixed notation: 309 integer digits, or 1074 decimals for the smallest.
constexpr std::size_t FixedBufferSize = 1100;

} // namespace

std::string GeneralText(double Value) {
    constexpr int Significant = 15;
    char Buffer[32]; // sign, 15 digits, point and a three-digit exponent at most
    const auto Result =
        std::to_chars(Buffer, Buffer + sizeof Buffer, Value, std::chars_format::general, Significant);
    return std::string(Buffer, Result.ptr);
}

std::string FixedDecimals(double Value, int Decimals) {
    char Buffer[FixedBufferSize];
    const auto Result =
        std::to_chars(Buffer, Buffer + sizeof Buffer, Value, std::chars_format::fixed, Decimals);
    return std::string(Buffer, Result.ptr);
}

std::string FixedText(double Value, int Significant, int Decimals) {
    if (std::isnan(Value)) return "NAN";
    if (std::isinf(Value)) return Value > 0 ? "INF" : "-INF";
    Significant = std::clamp(Significant, 1, MaxDigits);
    Decimals = std::clamp(Decimals, 0, MaxDigits);
    const int Exponent = Value == 0.0 ? 0 : RoundedExponent(Value, Significant);
    if (Exponent + 1 > Significant) return ScientificText(Value, Significant);
    const int Kept = std::min(Decimals, Significant - 1 - Exponent); // >= 0 here
    char Buffer[128];
    const auto Result = std::to_chars(Buffer, Buffer + sizeof Buffer, Value, std::chars_format::fixed, Kept);
    std::string Text(Buffer, Result.ptr);
    // Digits beyond the rounding are written as zeros.
    if (Decimals > Kept) {
        if (Kept == 0) Text += '.';
        Text.append(static_cast<std::size_t>(Decimals - Kept), '0');
    }
    // A value that rounds to zero is written without a sign.
    if (IsNegativeZeroText(Text)) Text.erase(0, 1);
    return Text;
}

} // namespace vortane
