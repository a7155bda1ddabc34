// Loading a stored "Datums.dat" and the grid datums that follow it.

#include "crs/datum_list.hpp"
#include "crs/datum_test_files.hpp"
#include "text/strings.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vortane {
namespace {

using namespace vortane::test;

// The lines encoded as the catalogue files store them, each ended by LineEnd (the last one only
// when FinalLineEnd).
std::string StoredCatalogue(const std::vector<std::string>& Lines, const std::string& LineEnd = "\r\n",
                            bool FinalLineEnd = true) {
    std::string Text;
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        Text += EncodeCatalogueLine(Lines[i]);
        if (i + 1 < Lines.size() || FinalLineEnd) Text += LineEnd;
    }
    return Text;
}

class DatumListTest : public ::testing::Test {
protected:
    std::string DatumsFile() const { return Dir.Path("Datums.dat"); }
    std::string NadConBase() const { return Dir.Path("conus"); }
    std::string FrenchGridFile() const { return Dir.Path("gr3df97a.mnt"); }
    void WriteGoodGrids() const {
        WriteNadConPair(NadConBase(), TNadConGeometry{}, TestLatShift, TestLonShift);
        WriteText(FrenchGridFile(), FrenchGridText({"-4 0 40 41 0.5 0.25", 10, 6}));
    }
    bool Load() { return List.LoadFromFile(DatumsFile(), NadConBase(), FrenchGridFile()); }
    std::vector<std::string> Names() const {
        std::vector<std::string> Result;
        for (int i = 0; i < List.Count(); ++i)
            Result.push_back(List.Item(i)->Name);
        return Result;
    }

    TTempDir Dir;
    TDatumList List;
};

TEST_F(DatumListTest, ReadsEveryFieldOfADatumLine) {
    WriteText(DatumsFile(),
              StoredCatalogue({"; region\tname\tspheroid\tdx\tdy\tdz\trx\try\trz\tscale\tcomment", "",
                               "EUROPE\tOSGB36\tAA\t446.448\t-125.157\t542,06\t7.27e-07\t1.197e-06\t"
                               "4.082e-06\t-2.0489e-05\tGreat Britain, EPSG:1314",
                               "\tWGS84\tWE\t0\t0\t0\t0\t0\t0\t0\tthe hub", "ASIA\tSHORT\tXX\t12\tabc"},
                              "\r\n", false)); // the last line has no line end
    ASSERT_TRUE(Load());
    ASSERT_EQ(Names(), (std::vector<std::string>{"OSGB36", "WE", "SHORT"}));

    const TDatumRecord& Osgb = *List.Item(0);
    EXPECT_FALSE(Osgb.IsGrid);
    EXPECT_EQ(Osgb.Region, "EUROPE");
    EXPECT_EQ(Osgb.SpheroidCode, "AA");
    EXPECT_EQ(Osgb.DX, 446.448);
    EXPECT_EQ(Osgb.DY, -125.157);
    EXPECT_EQ(Osgb.DZ, 542.06); // "," as decimal mark
    EXPECT_EQ(Osgb.RX, 7.27e-07);
    EXPECT_EQ(Osgb.RY, 1.197e-06);
    EXPECT_EQ(Osgb.RZ, 4.082e-06);
    EXPECT_EQ(Osgb.Scale, -2.0489e-05);
    EXPECT_EQ(Osgb.Comment, "Great Britain, EPSG:1314");

    // The leading TAB of the hub line is skipped like any run of TABs, so its fields move one place
    // left: region "WGS84", name "WE". Missing and unreadable numbers are 0.
    EXPECT_EQ(List.Find("WE")->Region, "WGS84");
    EXPECT_EQ(List.Find("WE")->SpheroidCode, "0");
    const TDatumRecord& Short = *List.Find("SHORT");
    EXPECT_EQ(Short.DX, 12.0);
    EXPECT_EQ(Short.DY, 0.0);
    EXPECT_EQ(Short.Scale, 0.0);
    EXPECT_EQ(Short.Comment, "");
}

TEST_F(DatumListTest, GridDatumsFollowTheFileEntries) {
    WriteGoodGrids();
    WriteText(DatumsFile(), StoredCatalogue({"EUROPE\tED50\tIN\t-87\t-98\t-121\t0\t0\t0\t0\t3 parameters"}));
    ASSERT_TRUE(Load());
    ASSERT_EQ(Names(), (std::vector<std::string>{"ED50", "NADCON", "gr3df97a"}));
    EXPECT_TRUE(List.Item(1)->IsGrid);
    EXPECT_EQ(List.Item(1)->SpheroidCode, "CC");
    EXPECT_EQ(List.Item(1)->Region, "NORTH AMERICA");
    EXPECT_TRUE(List.Item(2)->IsGrid);
    EXPECT_EQ(List.Item(2)->SpheroidCode, "CF");
    EXPECT_EQ(List.Item(2)->Region, "EUROPE");
    EXPECT_TRUE(List.GridErrors.empty());
}

TEST_F(DatumListTest, FileOfCommentsOnlyGivesTheGridDatums) {
    WriteGoodGrids();
    WriteText(DatumsFile(), StoredCatalogue({"; nothing here", ";"}));
    ASSERT_TRUE(Load());
    EXPECT_EQ(Names(), (std::vector<std::string>{"NADCON", "gr3df97a"}));

    WriteText(DatumsFile(), "");
    TDatumList FromEmpty;
    EXPECT_TRUE(FromEmpty.LoadFromFile(DatumsFile(), NadConBase(), FrenchGridFile()));
    EXPECT_EQ(FromEmpty.Count(), 2);
}

TEST_F(DatumListTest, MissingFileAddsNothing) {
    WriteGoodGrids();
    EXPECT_FALSE(Load());
    EXPECT_EQ(List.Count(), 0);
}

TEST_F(DatumListTest, ReadErrorKeepsTheGridDatums) {
    WriteGoodGrids();
    // A folder exists but cannot be mapped as a file.
    std::filesystem::create_directory(DatumsFile());
    EXPECT_FALSE(Load());
    EXPECT_EQ(Names(), (std::vector<std::string>{"NADCON", "gr3df97a"}));
}

TEST_F(DatumListTest, UnusableGridsLeaveTheirDatumOut) {
    WriteText(DatumsFile(), StoredCatalogue({"EUROPE\tED50\tIN"}));
    // Missing grid files are no error at all.
    ASSERT_TRUE(Load());
    EXPECT_EQ(Names(), (std::vector<std::string>{"ED50"}));
    EXPECT_TRUE(List.GridErrors.empty());

    // Grid files that exist but are broken are left out with a reason each.
    WriteGoodGrids();
    auto Los = NadConGrid(TNadConGeometry{}, TestLonShift);
    PutWord(Los, 68, 1000); // NR far beyond the file
    WriteBytes(NadConBase() + ".los", Los);
    WriteText(FrenchGridFile(), "-4 0 40 41 0.5 0.25\n1 2 3 not-an-integer\n");
    TDatumList Broken;
    ASSERT_TRUE(Broken.LoadFromFile(DatumsFile(), NadConBase(), FrenchGridFile()));
    EXPECT_EQ(Broken.Count(), 1);
    EXPECT_EQ(Broken.GridErrors.size(), 2u);
}

} // namespace
} // namespace vortane
