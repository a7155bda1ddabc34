// Angle helpers: splitting into degrees, minutes, seconds; reading and writing the angle texts.

#include "crs/angles.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace vortane {
namespace {

constexpr double Deg = Pi / 180.0;
constexpr double AngleTolerance = 1e-12; // rad

double DMSRad(double D, double M, double S) {
    return (D + M / 60.0 + S / 3600.0) * Deg;
}

TEST(ReduceAngle, KeepsTheSignAndNormLonFoldsIntoHalfCircle) {
    struct TCase {
        double X, Reduced, Normalised;
    };
    const TCase Cases[] = {
        {0.0, 0.0, 0.0},
        {370 * Deg, 10 * Deg, 10 * Deg},
        {-370 * Deg, -10 * Deg, -10 * Deg},
        {359 * Deg, 359 * Deg, -1 * Deg},
        {-359 * Deg, -359 * Deg, 1 * Deg},
        {190 * Deg, 190 * Deg, -170 * Deg},
        {Pi, Pi, Pi},
        {-Pi, -Pi, -Pi},
        {725 * Deg, 5 * Deg, 5 * Deg},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.X / Deg);
        EXPECT_NEAR(ReduceAngle(C.X), C.Reduced, AngleTolerance);
        EXPECT_NEAR(NormLon(C.X), C.Normalised, AngleTolerance);
    }
    EXPECT_TRUE(std::isnan(NormLon(std::numeric_limits<double>::quiet_NaN())));
}

TEST(RadToDMS, SplitsWithTheSignOnEveryPart) {
    struct TCase {
        double Rad;
        std::int32_t Deg, Min;
        double Sec;
    };
    const TCase Cases[] = {
        // 10 * pi / 180 is a hair below 10 degrees; the nudge keeps it from reading 9:59:59.999.
        {10.0 * Pi / 180.0, 10, 0, 0.0},
        {DMSRad(37, 25, 12.5), 37, 25, 12.5},
        {-DMSRad(37, 25, 12.5), -37, -25, -12.5},
        {-0.5 * Deg, 0, -30, 0.0},
        {0.0, 0, 0, 0.0},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Rad / Deg);
        const TDMS Parts = RadToDMS(C.Rad);
        EXPECT_EQ(Parts.Deg, C.Deg);
        EXPECT_EQ(Parts.Min, C.Min);
        EXPECT_NEAR(Parts.Sec, C.Sec, 1e-6);
    }
}

TEST(RadToDMS, AnglesBeyondTheIntegerRangeGiveNaNSeconds) {
    for (double X :
         {1e12, -1e12, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        const TDMS Parts = RadToDMS(X);
        EXPECT_EQ(Parts.Deg, 0);
        EXPECT_EQ(Parts.Min, 0);
        EXPECT_TRUE(std::isnan(Parts.Sec));
    }
}

TEST(AngleTexts, LonLatAndAngleTextsWithHemisphereAndRounding) {
    struct TCase {
        const char* Situation;
        std::string (*Write)(double);
        double X;
        const char* Expected;
    };
    const TCase Cases[] = {
        {"half a degree east", LonToStr, 0.5 * Deg, "0:30:0.000E"},
        {"359 E is 1 W", LonToStr, 359 * Deg, "1:0:0.000W"},
        {"west", LonToStr, -DMSRad(2, 20, 14.025), "2:20:14.025W"},
        {"seconds rounding to 60 carry into the minutes", LonToStr, DMSRad(37, 25, 59.9996), "37:26:0.000E"},
        {"and on into the degrees", LonToStr, DMSRad(37, 59, 59.9996), "38:0:0.000E"},
        {"seconds just below the carry", LonToStr, DMSRad(37, 25, 59.9994), "37:25:59.999E"},
        {"Greenwich", LonToStr, 0.0, "0:0:0.000E"},
        {"half a degree north", LatToStr, 0.5 * Deg, "0:30:0.000N"},
        {"south", LatToStr, -DMSRad(33, 52, 4.5), "33:52:4.500S"},
        {"beyond the pole folds back", LatToStr, 100 * Deg, "80:0:0.000N"},
        {"beyond the south pole folds back", LatToStr, -100 * Deg, "80:0:0.000S"},
        {"three quarters of a turn is the south pole", LatToStr, 270 * Deg, "90:0:0.000S"},
        {"minus three quarters is the north pole", LatToStr, -270 * Deg, "90:0:0.000N"},
        {"300 degrees is 60 south", LatToStr, 300 * Deg, "60:0:0.000S"},
        {"seconds rounding to 60 carry", LatToStr, -DMSRad(10, 59, 59.9997), "11:0:0.000S"},
        {"whole turn reduced", LatToStr, 370 * Deg, "10:0:0.000N"},
        {"positive angle", AngleToStr, 6 * Deg, "6:0:0.000"},
        {"negative angle", AngleToStr, -DMSRad(1, 30, 0), "-1:30:0.000"},
        {"angle above 180 degrees stays itself", AngleToStr, 200 * Deg, "200:0:0.000"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Situation);
        EXPECT_EQ(C.Write(C.X), C.Expected);
    }
}

TEST(StrToAngle, ReadsDegreesMinutesSecondsWithHemisphereLetters) {
    const double Angle = DMSRad(37, 25, 12.5);
    struct TCase {
        const char* Text;
        double Expected;
    };
    const TCase Cases[] = {
        {"37:25:12.5", Angle},
        {"37:25:12.5E", Angle},
        {"37:25:12.5N", Angle},
        {"37:25:12.5W", 2 * Pi - Angle},
        {"37:25:12.5w", 2 * Pi - Angle},
        {"37:25:12.5S", -Angle},
        {"37:25:12.5 s", -Angle},
        {"-37 25 12.5", -Angle},
        {"  37   25  12.5  ", Angle},
        {"37", 37 * Deg},
        {"37:25", DMSRad(37, 25, 0)},
        {"", 0.0},
        {"-0:30:0", -0.5 * Deg}, // the sign of a zero degree field still counts
        {"37:0:59.9991", DMSRad(37, 0, 59.9991)},
        {"1234567890123:0:0", 1234567890123.0 * Deg}, // read whole, never cut to a shorter number
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Text);
        double Rad = -99.0;
        EXPECT_TRUE(StrToAngle(C.Text, Rad));
        EXPECT_NEAR(Rad, C.Expected, AngleTolerance * std::max(1.0, std::fabs(C.Expected)));
    }
}

TEST(StrToAngle, RejectsBadPartsAndGarbage) {
    const char* const Cases[] = {
        "37:60:0",      // minutes above 59
        "37:0:59.9995", // seconds that would round to 60
        "37:-5:0",      // a sign belongs to the degrees only
        "37:25N",       // a letter needs all three parts: "25N" is no number
        "37,5:0:0",     // only '.' is a decimal mark here
        "abc",
        "-",
        ",",
        "1e999",
        "12:ab:0",
        "12:0:xyz",
        "1.2.3:0:0",
        "99999999999999999999999999999999999999999999999999999999999999999999999999999:x",
    };
    for (const char* Text : Cases) {
        SCOPED_TRACE(Text);
        double Rad = 0.0;
        EXPECT_FALSE(StrToAngle(Text, Rad));
        EXPECT_TRUE(std::isfinite(Rad));
    }
}

TEST(StrToAngle, RandomBytesNeverCrashAndGiveFiniteAngles) {
    std::mt19937 Random(12345);
    std::uniform_int_distribution<int> Byte(0, 255), Length(0, 300);
    for (int Round = 0; Round < 2000; ++Round) {
        std::string Text(static_cast<std::size_t>(Length(Random)), '\0');
        for (char& Ch : Text)
            Ch = static_cast<char>(Byte(Random));
        double Rad = 0.0;
        StrToAngle(Text, Rad);
        EXPECT_TRUE(std::isfinite(Rad)) << Round;
    }
}

TEST(ZeroPaddedTexts, IntegersAndFloatsPaddedAndCutToWidth) {
    EXPECT_EQ(IntToZeroStr(2, 3), "002");
    EXPECT_EQ(IntToZeroStr(-7, 2), "-07");
    EXPECT_EQ(IntToZeroStr(12345, 3), "345");
    EXPECT_EQ(IntToZeroStr(0, 2), "00");
    EXPECT_EQ(IntToZeroStr(std::numeric_limits<std::int64_t>::min(), 4), "-5808");
    EXPECT_EQ(FloatToZeroStr(6, 3, 14.025), "14.025");
    EXPECT_EQ(FloatToZeroStr(6, 3, 0.0), "00.000");
    EXPECT_EQ(FloatToZeroStr(6, 3, 9.5), "09.500");
    EXPECT_EQ(FloatToZeroStr(6, 3, 59.9996), "60.000");
    EXPECT_EQ(FloatToZeroStr(6, 3, 123.4567), "23.457");
}

} // namespace
} // namespace vortane
