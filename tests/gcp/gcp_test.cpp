#include "gcp/gcp.hpp"

#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <string>

namespace vortane {
namespace {

struct TExpectedPoint {
    std::string Name;
    bool Active;
    double CellX, CellY, MapX, MapY, MapZ;
};

void ExpectPoint(const TGCPoint& Point, const TExpectedPoint& Expected) {
    EXPECT_EQ(Point.GetName(), Expected.Name);
    EXPECT_EQ(Point.GetActive(), Expected.Active);
    EXPECT_DOUBLE_EQ(Point.GetCellX(), Expected.CellX);
    EXPECT_DOUBLE_EQ(Point.GetCellY(), Expected.CellY);
    EXPECT_DOUBLE_EQ(Point.GetMapX(), Expected.MapX);
    EXPECT_DOUBLE_EQ(Point.GetMapY(), Expected.MapY);
    EXPECT_DOUBLE_EQ(Point.GetMapZ(), Expected.MapZ);
}

TEST(GCPoint, ReadsThePlainLineForm) {
    const struct {
        std::string Line;
        TExpectedPoint Expected;
    } Cases[] = {
        {"7 yes 1,5 2 3 4", {"7", true, 1.5, 2, 3, 4, 0}},
        {"P1 Y 1 2 3 4 5", {"P1", false, 1, 2, 3, 4, 5}},
        {"P1 YESS 1 2 3 4 5", {"P1", false, 1, 2, 3, 4, 5}},
        {"P1 No 1 2 3 4 5", {"P1", false, 1, 2, 3, 4, 5}},
        {"  \tA\t\tyEs   -10.25 \t 20 500000.5 4100000 -3.5  ",
         {"A", true, -10.25, 20, 500000.5, 4100000, -3.5}},
        {"A Yes x 2 garbage 4 5", {"A", true, 0, 2, 0, 4, 5}},
        {"OnlyName", {"OnlyName", false, 0, 0, 0, 0, 0}},
        {"", {"", false, 0, 0, 0, 0, 0}},
        {"\"Q\" Yes 1 2 3 4 5 6 7", {"\"Q\"", true, 1, 2, 3, 4, 5}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Line);
        ExpectPoint(TGCPoint::CreateFromLine(Case.Line), Case.Expected);
        EXPECT_FALSE(TGCPoint::CreateFromLine(Case.Line).GetSecondFlag());
    }
}

TEST(GCPoint, ReadsTheErMapperLineFormWithItsSecondFlag) {
    const struct {
        std::string Line;
        bool SecondFlag;
        TExpectedPoint Expected;
    } Cases[] = {
        {"\"P1\" Yes No 10.5 20.25 500000 4100000 12",
         false,
         {"\"P1\"", true, 10.5, 20.25, 500000, 4100000, 12}},
        {"\t\"P2\"\tno\tYES\t1,25\t2\t3\t4\t5", true, {"\"P2\"", false, 1.25, 2, 3, 4, 5}},
        {"\"P3\" Yes Yes 7", true, {"\"P3\"", true, 7, 0, 0, 0, 0}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Line);
        const TGCPoint Point = TGCPoint::CreateFromErsLine(Case.Line);
        ExpectPoint(Point, Case.Expected);
        EXPECT_EQ(Point.GetSecondFlag(), Case.SecondFlag);
    }
}

TEST(GCPoint, CopyTakesEverythingButTheSecondFlag) {
    const TGCPoint Source = TGCPoint::CreateFromErsLine("N Yes Yes 1 2 3 4 5");
    const TGCPoint Copy = TGCPoint::CreateCopy(&Source);
    ExpectPoint(Copy, {"N", true, 1, 2, 3, 4, 5});
    EXPECT_FALSE(Copy.GetSecondFlag());

    const TGCPoint Empty = TGCPoint::CreateCopy(nullptr);
    ExpectPoint(Empty, {"", false, 0, 0, 0, 0, 0});
    EXPECT_FALSE(Empty.GetSecondFlag());
}

TEST(GCPoint, WritesTheOrthoTextForm) {
    const struct {
        std::string Line;
        std::string Text;
    } Cases[] = {
        {"P1 Yes 10.5 20.25 500000 4100000 0", "P1 Yes 10.500 20.250 500000.000 4100000.000 0.000"},
        {"\"\" No 0 0 0 0 0", "\"\" No 0.000 0.000 0.000 0.000 0.000"},
        {"Q no -1.0006 0.0004 -12.5 3 0", "Q No -1.001 0.000 -12.500 3.000 0.000"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Line);
        EXPECT_EQ(TGCPoint::CreateFromLine(Case.Line).ToText(), Case.Text);
    }
    // A point without a name still writes a name field, so the line reads back with its values.
    TGCPoint Unnamed;
    Unnamed.SetCellX(1);
    EXPECT_EQ(Unnamed.ToText(), "\"\" No 1.000 0.000 0.000 0.000 0.000");
}

TEST(GCPoint, FieldsByIndexRoundTrip) {
    TGCPoint Point;
    const std::string Texts[] = {"Name", "Yes", "1.5", "-2.25", "500000.125", "4100000", "1e-07"};
    for (int Index = 0; Index < 7; ++Index)
        Point.SetField(Index, Texts[Index]);
    ExpectPoint(Point, {"Name", true, 1.5, -2.25, 500000.125, 4100000, 1e-7});
    for (int Index = 0; Index < 7; ++Index)
        EXPECT_EQ(Point.GetField(Index), Texts[Index]) << Index;

    Point.SetField(1, "nope");
    EXPECT_EQ(Point.GetField(1), "No");
    Point.SetField(2, "0,75");
    EXPECT_EQ(Point.GetField(2), "0.75");
    Point.SetField(3, "junk");
    EXPECT_EQ(Point.GetCellY(), 0);

    // Indexes outside 0..6 neither read nor change anything.
    const TGCPoint Before = Point;
    for (int Index : {-1, 7, 100}) {
        EXPECT_EQ(Point.GetField(Index), "");
        Point.SetField(Index, "9");
    }
    ExpectPoint(Point, {Before.GetName(), Before.GetActive(), Before.GetCellX(), Before.GetCellY(),
                        Before.GetMapX(), Before.GetMapY(), Before.GetMapZ()});
}

TEST(GCPList, ItemsOutsideTheListGiveNoPoint) {
    TGCPList List;
    EXPECT_EQ(List.Items(0), nullptr);
    List.AddFromLine("A yes 1 2 3 4 5");
    List.AddFromErsLine("\"B\" no yes 6 7 8 9 10");
    List.AddCopy(nullptr);
    ASSERT_EQ(List.Count(), 3);
    EXPECT_EQ(List.Items(-1), nullptr);
    EXPECT_EQ(List.Items(List.Count()), nullptr);
    EXPECT_EQ(List.Items(0)->GetName(), "A");
    EXPECT_TRUE(List.Items(1)->GetSecondFlag());
    EXPECT_EQ(List.Items(2)->GetName(), "");
    List.Clear();
    EXPECT_EQ(List.Count(), 0);
    EXPECT_EQ(List.Items(0), nullptr);
}

class GCPFile : public test::TTempDirTest {};

TEST_F(GCPFile, ReadsHeadersCommentsAndPoints) {
    const std::string Path = WriteFile("image.gcp",
                                       ";S=XX\r\n"
                                       "; a comment\r\n"
                                       ";s=small\r\n"
                                       "\r\n"
                                       "P1 Yes 10.5 20.25 500000 4100000 0\r\n"
                                       ";S=WE\n"
                                       ";D=WGS84\n"
                                       ";P=GEODETIC\n"
                                       ";d=ignored\n"
                                       "P2\tno\t1\t2\t3\t4\t5"); // last line without a line end
    TGCPList List;
    ASSERT_TRUE(List.Load(Path));
    EXPECT_EQ(List.GetSpheroid(), "WE");
    EXPECT_EQ(List.GetDatum(), "WGS84");
    EXPECT_EQ(List.GetProjection(), "GEODETIC");
    ASSERT_EQ(List.Count(), 2);
    ExpectPoint(*List.Items(0), {"P1", true, 10.5, 20.25, 500000, 4100000, 0});
    ExpectPoint(*List.Items(1), {"P2", false, 1, 2, 3, 4, 5});
}

TEST_F(GCPFile, LoadingReplacesEarlierPoints) {
    TGCPList List;
    ASSERT_TRUE(List.Load(WriteFile("a.gcp", "A yes 1 2 3 4 5\nB yes 1 2 3 4 5\n")));
    ASSERT_EQ(List.Count(), 2);
    ASSERT_TRUE(List.Load(WriteFile("b.gcp", "C no 1 2 3 4 5\n")));
    ASSERT_EQ(List.Count(), 1);
    EXPECT_EQ(List.Items(0)->GetName(), "C");
}

TEST_F(GCPFile, UnreadableFilesFailWithoutPoints) {
    TGCPList List;
    List.AddFromLine("Kept yes 1 2 3 4 5");
    EXPECT_FALSE(List.Load(""));
    EXPECT_EQ(List.Count(), 1) << "an empty name leaves the list unchanged";

    for (const std::string& FileName : {Path("missing.gcp"), WriteFile("empty.gcp", ""), Dir().string()}) {
        SCOPED_TRACE(FileName);
        List.AddFromLine("Dropped yes 1 2 3 4 5");
        EXPECT_FALSE(List.Load(FileName));
        EXPECT_EQ(List.Count(), 0);
    }
}

TEST_F(GCPFile, GarbageGivesHarmlessPoints) {
    std::string Bytes;
    for (int I = 0; I < 4096; ++I) {
        const char Byte = char((I * 131 + 7) % 256);
        if (Byte != char(26)) // a byte 26 at the start of a line ends the file
            Bytes += Byte;
    }
    Bytes += "\nZ yes 1e999 -1e999 nan inf 1e-400\n";
    Bytes += std::string(100000, 'x') + " yes 1 2\n";
    TGCPList List;
    EXPECT_TRUE(List.Load(WriteFile("garbage.gcp", Bytes)));
    ASSERT_GE(List.Count(), 2);
    const TGCPoint& Long = *List.Items(List.Count() - 1);
    EXPECT_TRUE(Long.GetActive());
    EXPECT_EQ(Long.GetCellX(), 1);
    EXPECT_EQ(Long.GetCellY(), 2);
}

} // namespace
} // namespace vortane
