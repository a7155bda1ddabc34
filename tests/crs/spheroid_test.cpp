// Spheroids, code lists and the "Spher.dat" loader.

#include "crs/spheroid.hpp"

#include "crs/angles.hpp"
#include "support/temp_dir.hpp"
#include "text/strings.hpp"
#include "text/tokenizer.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <random>
#include <string>

namespace vortane {
namespace {

constexpr double WgsA = 6378137.0;
constexpr double WgsInverseF = 298.2572235637;

TEST(TSpheroid, ReadsTabSeparatedLinesWithDefaults) {
    struct TCase {
        const char* Situation;
        std::string Line;
        const char* Name;
        double A, InverseF;
        const char* Description;
    };
    const TCase Cases[] = {
        {"empty line", "", "", WgsA, WgsInverseF, ""},
        {"full line", "CF\t6378249.2\t293.466021\tClarke 1880 France", "CF", 6378249.2, 293.466021,
         "Clarke 1880 France"},
        {"comma as decimal mark", "RF\t6378137\t298,257222101\tGRS 80", "RF", WgsA, 298.257222101, "GRS 80"},
        {"double TAB is one separator", "XX\t\t300", "XX", 300.0, WgsInverseF, ""},
        {"leading TABs skipped", "\t\tYY\t6378000", "YY", 6378000.0, WgsInverseF, ""},
        {"code only", "ZZ", "ZZ", WgsA, WgsInverseF, ""},
        {"fields after the fourth ignored", "AB\t1\t300\tName with blanks\textra", "AB", 1.0, 300.0,
         "Name with blanks"},
        {"blanks around numbers", "AB\t 6378388 \t 297 \tHayford", "AB", 6378388.0, 297.0, "Hayford"},
        {"numbers that are no numbers", "AB\t-\t,\tx", "AB", WgsA, WgsInverseF, "x"},
        {"overflowing numbers", "AB\t1e999\t1e999", "AB", WgsA, WgsInverseF, ""},
        {"no axis of negative length", "AB\t-6378137\t300", "AB", WgsA, 300.0, ""},
        {"no flattening of 1 or more", "AB\t6378137\t0.5", "AB", WgsA, WgsInverseF, ""},
        {"negative inverse flattening", "AB\t6378137\t-300", "AB", WgsA, WgsInverseF, ""},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Situation);
        const TSpheroid S(C.Line);
        EXPECT_EQ(S.Name, C.Name);
        EXPECT_DOUBLE_EQ(S.A, C.A);
        EXPECT_DOUBLE_EQ(S.F, 1.0 / C.InverseF);
        EXPECT_EQ(S.Description, C.Description);
    }
}

TEST(TSpheroid, DefaultSpheroidLeavesTheSharedTokenizerAlone) {
    SetParseText("first\tsecond");
    EXPECT_EQ(NextToken("\t"), "first");
    const TSpheroid Default;
    EXPECT_EQ(NextToken("\t"), "second");
}

TEST(TSpheroid, InverseFlatteningZeroIsASphere) {
    const TSpheroid Sphere("SP\t6371000\t0\tSphere");
    EXPECT_EQ(Sphere.F, 0.0);
    EXPECT_EQ(Sphere.E2(), 0.0);
    EXPECT_EQ(Sphere.RadiusN(1.0), 6371000.0);
}

// Reference values for WGS 84 (NIMA TR8350.2): e2 = 0.00669437999014, e'2 = 0.00673949674228,
// N at the pole = a^2 / b = 6399593.6258 m.
TEST(TSpheroid, DerivedQuantitiesOfWgs84) {
    const TSpheroid Wgs("WE\t6378137\t298.257223563\tWGS 1984");
    EXPECT_NEAR(Wgs.E2(), 0.00669437999014, 1e-14);
    EXPECT_NEAR(Wgs.EP2(), 0.00673949674228, 1e-14);
    EXPECT_DOUBLE_EQ(Wgs.RadiusN(0.0), WgsA);
    EXPECT_NEAR(Wgs.RadiusN(Pi / 2), 6399593.6258, 1e-4);
    EXPECT_NEAR(Wgs.RadiusN(-Pi / 2), 6399593.6258, 1e-4);
    EXPECT_NEAR(Wgs.Eta2(0.0), Wgs.EP2(), 1e-17);
    EXPECT_NEAR(Wgs.Eta2(Pi / 3), Wgs.EP2() / 4, 1e-17);
    EXPECT_NEAR(Wgs.Eta2(Pi / 2), 0.0, 1e-17);
    // The default spheroid, from an empty line.
    EXPECT_NEAR(TSpheroid().E2(), 0.0066943800, 1e-10);
}

TEST(TCodeList, FindsByExactCodeAndKeepsInsertionOrder) {
    TCodeListOf<TSpheroid> List;
    EXPECT_EQ(List.Add(std::make_unique<TSpheroid>("WE\t6378137\t298.2572235637\tfirst")), 0);
    EXPECT_EQ(List.Add(std::make_unique<TSpheroid>("RF")), 1);
    EXPECT_EQ(List.Add(std::make_unique<TSpheroid>("WE\t1\t300\tduplicate")), 2);
    ASSERT_NE(List.Find("WE"), nullptr);
    EXPECT_EQ(List.Find("WE")->Description, "first"); // duplicates stay; the first one wins
    EXPECT_EQ(List.Find("we"), nullptr);
    EXPECT_EQ(List.Find("W"), nullptr);
    EXPECT_EQ(List.Find("WE "), nullptr);
    EXPECT_EQ(List.Find(""), nullptr);
    EXPECT_EQ(List.Item(1)->Name, "RF");

    // An entry with an empty code is never found, even though one exists.
    List.Add(std::make_unique<TSpheroid>(""));
    EXPECT_EQ(List.Find(""), nullptr);

    EXPECT_TRUE(List.AddRefTo("RF", 7));
    EXPECT_TRUE(List.AddRefTo("RF", 3));
    EXPECT_TRUE(List.AddRefTo("RF", 7));
    EXPECT_FALSE(List.AddRefTo("rf", 1));
    EXPECT_EQ(List.Item(1)->Refs.Values(), (std::vector<std::int32_t>{7, 3}));
    EXPECT_EQ(List.Item(0)->RefCount(), 0);
}

TEST(TSpheroid, AddPrjTypeMergesIndexesPerTypeInCallOrder) {
    TSpheroid S("WE");
    TCodeList First, Second, Other;
    EXPECT_TRUE(S.AddPrjType("TRANSVERSE MERCATOR", &First, 4));
    EXPECT_TRUE(S.AddPrjType("GEOGRAPHIC", &Other, 0));
    EXPECT_TRUE(S.AddPrjType("TRANSVERSE MERCATOR", &Second, 1));
    EXPECT_TRUE(S.AddPrjType("TRANSVERSE MERCATOR", &Second, 4));
    ASSERT_EQ(S.PrjTypes.Count(), 2);
    const TPrjTypeRecord* Tm = S.PrjTypes.Item(0);
    EXPECT_EQ(Tm->Name, "TRANSVERSE MERCATOR");
    EXPECT_EQ(Tm->Systems, &Second); // the last list given replaces the earlier one
    EXPECT_EQ(Tm->Refs.Values(), (std::vector<std::int32_t>{4, 1}));
    EXPECT_EQ(S.PrjTypes.Item(1)->Name, "GEOGRAPHIC");
    EXPECT_EQ(S.PrjTypes.Item(1)->Systems, &Other);
}

class SpherFile : public test::TTempDirTest {
protected:
    std::string WriteBytes(const std::string& Bytes) const { return WriteFile("Spher.dat", Bytes); }
    // Each plain line stored encoded, with CR LF line ends.
    std::string WriteLines(std::initializer_list<std::string> Lines) {
        std::string Bytes;
        for (const auto& Line : Lines)
            Bytes += EncodeCatalogueLine(Line) + "\r\n";
        return WriteBytes(Bytes);
    }
};

TEST_F(SpherFile, LoadsDataLinesAndSkipsCommentsAndEmptyLines) {
    const std::string Path = WriteLines({
        "; code\ta\t1/f\tdescription",
        "WE\t6378137\t298.2572235637\tWGS 1984",
        "",
        "RF\t6378137\t298.257222101\tGeodetic Reference System 1980",
        "  ; not a comment: only a first character ';' is",
        "CF\t6378249.2\t293.466021\tClarke 1880 France",
    });
    TSpherList List;
    ASSERT_TRUE(List.LoadFromFile(Path));
    ASSERT_EQ(List.Count(), 4);
    EXPECT_EQ(List.Item(0)->Description, "WGS 1984");
    EXPECT_EQ(List.Item(1)->Name, "RF");
    EXPECT_EQ(List.Item(2)->Name, "  ; not a comment: only a first character ';' is");
    ASSERT_NE(List.Find("CF"), nullptr);
    EXPECT_DOUBLE_EQ(List.Find("CF")->A, 6378249.2);
    EXPECT_DOUBLE_EQ(List.Find("CF")->F, 1.0 / 293.466021);
}

TEST_F(SpherFile, LastLineWithoutLineEndAndAppendsToExistingEntries) {
    const std::string Path =
        WriteBytes(EncodeCatalogueLine("AA\t1000\t300") + "\n" + EncodeCatalogueLine("BB"));
    TSpherList List;
    List.Add(std::make_unique<TSpheroid>("ZZ"));
    ASSERT_TRUE(List.LoadFromFile(Path));
    ASSERT_EQ(List.Count(), 3);
    EXPECT_EQ(List.Item(1)->Name, "AA");
    EXPECT_EQ(List.Item(2)->Name, "BB");
}

TEST_F(SpherFile, MissingUnreadableAndEmptyFiles) {
    TSpherList List;
    EXPECT_FALSE(List.LoadFromFile(Path("missing.dat")));
    EXPECT_FALSE(List.LoadFromFile(""));
    EXPECT_FALSE(List.LoadFromFile(Dir().string())); // a folder, not a file
    const std::string Pipe = Path("pipe");
    ASSERT_EQ(::mkfifo(Pipe.c_str(), 0600), 0);
    EXPECT_FALSE(List.LoadFromFile(Pipe)); // returns instead of waiting for a writer
    EXPECT_EQ(List.Count(), 0);
    // A file without bytes has no data lines, which is no error.
    EXPECT_TRUE(List.LoadFromFile(WriteBytes("")));
    EXPECT_EQ(List.Count(), 0);
    EXPECT_TRUE(List.LoadFromFile(WriteLines({"; only a comment", ""})));
    EXPECT_EQ(List.Count(), 0);
}

// Garbage cannot crash the loader; every spheroid it makes has usable numbers.
TEST_F(SpherFile, RandomBytesGiveSpheroidsWithUsableNumbers) {
    std::mt19937 Random(2024);
    std::uniform_int_distribution<int> Byte(0, 255);
    for (int Round = 0; Round < 50; ++Round) {
        std::string Bytes(static_cast<std::size_t>(Round * 97 + 1), '\0');
        for (char& Ch : Bytes)
            Ch = static_cast<char>(Byte(Random));
        TSpherList List;
        EXPECT_TRUE(List.LoadFromFile(WriteBytes(Bytes))) << Round;
        for (int I = 0; I < List.Count(); ++I) {
            const TSpheroid* S = List.Item(I);
            EXPECT_TRUE(std::isfinite(S->A) && S->A > 0) << Round;
            EXPECT_TRUE(S->F >= 0 && S->F < 1) << Round;
            EXPECT_TRUE(std::isfinite(S->EP2())) << Round;
        }
    }
}

} // namespace
} // namespace vortane
