#include "text/strings.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace vortane {
namespace {

constexpr double Default = -999.0;

TEST(StrToFloatDef, ReadsDecimalNumbersWithPointOrComma) {
    struct TCase {
        std::string Text;
        double Expected;
    };
    const std::vector<TCase> Cases = {
        {" 12,5 ", 12.5},
        {"12.5", 12.5},
        {"\t-3\t", -3.0},
        {"+4", 4.0},
        {"1e3", 1000.0},
        {"1E-3", 0.001},
        {"2,5e+2", 250.0},
        {".5", 0.5},
        {"5.", 5.0},
        {"-0", -0.0},
        {"0012", 12.0},
        {"6378137", 6378137.0},
        {"1e-400", 0.0}, // underflow reads as zero, not as the default
        {std::string(300, '9'), 1e300},
    };
    for (const TCase& Case : Cases)
        EXPECT_DOUBLE_EQ(StrToFloatDef(Case.Text, Default), Case.Expected) << Case.Text;
}

TEST(StrToFloatDef, GarbageAndOverflowGiveTheDefault) {
    const std::vector<std::string> Cases = {
        "",    " ",    "abc", "1.2.3", "1,2,3", "1.2,3",  "-",   ",",    ".",   "e5",    "1e",  "1e+",  "12a",
        "1 2", "0x10", "inf", "nan",   "1e999", "-1e999", "--1", "1\0"s, "\0"s, "1e5.5", "+-1", "\x1A", "١"};
    for (const std::string& Text : Cases)
        EXPECT_EQ(StrToFloatDef(Text, Default), Default) << ::testing::PrintToString(Text);
    EXPECT_TRUE(std::isnan(StrToFloatDef("x", std::numeric_limits<double>::quiet_NaN())));
}

TEST(StrToFloatDef, IgnoresTheUserLocale) {
    // Any locale whose decimal mark is a comma will do; machines without one skip this test.
    const char* Comma = nullptr;
    for (const char* Name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "fr_FR"})
        if ((Comma = std::setlocale(LC_NUMERIC, Name)) != nullptr) break;
    if (Comma == nullptr) GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(StrToFloatDef("1.25", Default), 1.25);
    EXPECT_EQ(StrToFloatDef("1,25", Default), 1.25);
    EXPECT_EQ(FixedText(1.25, 10, 3), "1.250");
    std::setlocale(LC_NUMERIC, "C");
}

TEST(FixedText, RoundsToSignificantDigitsAndPadsTheDecimals) {
    struct TCase {
        double Value;
        int Significant;
        int Decimals;
        std::string Expected;
    };
    const std::vector<TCase> Cases = {
        {500000.0, 10, 5, "500000.00000"},
        {1234567.891234, 10, 5, "1234567.89100"}, // 10 significant digits leave 3 decimals
        {-1234567.891234, 10, 5, "-1234567.89100"},
        {0.123456789, 10, 3, "0.123"},
        {12.3456, 10, 3, "12.346"},
        {45.123456789012345, 14, 8, "45.12345679"},
        {1234567890.4, 10, 5, "1234567890.00000"},
        {9999999999.6, 10, 5, "1E10"}, // rounds into 11 integer digits
        {12345678901.0, 10, 5, "1.23456789E10"},
        {-150000000000.0, 10, 3, "-1.5E11"},
        {0.0, 10, 5, "0.00000"},
        {-0.0, 10, 5, "0.00000"},
        {-0.000001, 10, 5, "0.00000"},
        {0.000005, 10, 5, "0.00001"},
        {2.5, 1, 0, "2"}, // ties go to even
        {3.5, 1, 0, "4"},
        {7.0, 10, 0, "7"},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(FixedText(Case.Value, Case.Significant, Case.Decimals), Case.Expected) << Case.Value;
}

TEST(FixedText, NonFiniteValuesHaveTheirOwnTexts) {
    EXPECT_EQ(FixedText(std::numeric_limits<double>::quiet_NaN(), 10, 5), "NAN");
    EXPECT_EQ(FixedText(std::numeric_limits<double>::infinity(), 10, 5), "INF");
    EXPECT_EQ(FixedText(-std::numeric_limits<double>::infinity(), 10, 5), "-INF");
}

TEST(FixedText, ReadsBackThroughStrToFloatDef) {
    for (double Value : {6378137.0, -0.5, 3.14159265358979, 1e15, 123.456e-7})
        EXPECT_NEAR(StrToFloatDef(FixedText(Value, 14, 8), Default), Value, std::fabs(Value) * 1e-13 + 5e-9)
            << Value;
}

} // namespace
} // namespace vortane
