#include "text/types.hpp"

#include "support/temp_dir.hpp"

#include <string>
#include <vector>

#include <sys/stat.h>

using namespace std::string_literals;

namespace vortane {
namespace {

TEST(CellTypes, NamesAndWidths) {
    struct TCase {
        std::string Name;
        std::uint8_t Code;
        int Bytes;
    };
    const std::vector<TCase> Cases = {
        {"UNSIGNED8BITINTEGER", 1, 1},  {"SIGNED8BITINTEGER", 2, 1},  {"SIGNED16BITINTEGER", 3, 2},
        {"UNSIGNED16BITINTEGER", 4, 2}, {"SIGNED32BITINTEGER", 5, 4}, {"SIGNED32BITSINGLE", 6, 4},
        {"unsigned8bitinteger", 10, 1}, {" SIGNED16BITINTEGER", 10, 1}, {"", 10, 1},
        {"ONEBIT", 10, 1},              {"IEEE8ByteReal", 10, 1},
    };
    for (const TCase& Case : Cases) {
        EXPECT_EQ(CellTypeByName(Case.Name), Case.Code) << Case.Name;
        EXPECT_EQ(CellBytes(CellTypeByName(Case.Name)), Case.Bytes) << Case.Name;
    }
    const std::vector<int> Widths = {0, 1, 1, 2, 2, 4, 4, 3, 8, 16, 1, 1};
    for (std::size_t Code = 0; Code < Widths.size(); ++Code)
        EXPECT_EQ(CellBytes(static_cast<std::uint8_t>(Code)), Widths[Code]) << Code;
    EXPECT_EQ(CellBytes(255), 1);
}

TEST(CoordTypes, ExactNamesOnly) {
    EXPECT_EQ(CoordTypeByName("EN"), 0);
    EXPECT_EQ(CoordTypeByName("RAW"), 1);
    EXPECT_EQ(CoordTypeByName("LATLONG"), 2);
    for (const char* Other : {"", "en", "EN ", "LATLON", "NE"})
        EXPECT_EQ(CoordTypeByName(Other), 3) << Other;
}

TEST(FileTypeByExt, ExtensionContainsAKeyInTableOrder) {
    struct TCase {
        std::string Name;
        int Code;
    };
    const std::vector<TCase> Cases = {
        {"a.ers", 0},  {"a.OSD", 1},  {"a.tif", 2},      {"a.TIFF", 2},     {"a.gif", 3},  {"a.bmp", 4},
        {"a.dtm", 5},  {"a.001", 6},  {"a.jpg", 7},      {"a.JPEG", 13},    {"a.veg", 8},  {"a.ecw", 9},
        {"a.dcr", 10}, {"a.rsw", 11}, {"a.bit", 12},     {"a.png", 13},     {"noext", 13}, {"", 13},
        {"/x.tif/name", 13},           {"/data/b.Tif", 2}, {"a.", 13},      {"a.ersx", 0},
        {"a.BITERS", 0}, // ERS is tried before BIT
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(FileTypeByExt(Case.Name), Case.Code) << Case.Name;
}

class FileTypeByContentTest : public test::TTempDirTest {};

TEST_F(FileTypeByContentTest, FirstBytesDecideBeforeTheExtension) {
    struct TCase {
        std::string Name;
        std::string Bytes;
        int Code;
    };
    const std::vector<TCase> Cases = {
        {"a.x", "ORTHO  1", 1},
        {"a.x", "orth....", 1},
        {"a.x", "DatasetH", 0},
        {"a.x", "GIF89a..", 3},
        {"a.x", "MM\0*\0\0\0\x08"s, 2},
        {"a.x", "II*\0\x08\0\0\0"s, 2},
        {"a.x", "bm......", 4},
        {"a.x", "\0\0\x80\xBF....."s, 5},
        {"a.x", "\0\0\x80\xbf"s + "1234", 5},
        {"a.x", "\x65\x02\x01\x02...."s, 9},
        {"a.x", "rsw.....", 11},
        {"a.x", "\xFF\xD8\xFF\xE0...."s, 7},
        {"a.x", "BITR....", 12},
        {"a.x", "bitr....", 13}, // exact letters
        {"a.x", "\0\0\x80\xBE....."s, 13},
        {"a.bmp", "........", 13},
        {"a.001", "........", 6},
        {"a.veg", "........", 8},
        {"a.ecw", "........", 9},
        {"a.tif", "ORTH....", 1},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(FileTypeByContent(WriteFile(Case.Name, Case.Bytes)), Case.Code)
            << ::testing::PrintToString(Case.Bytes);
}

TEST_F(FileTypeByContentTest, MissingShortAndOddFiles) {
    EXPECT_EQ(FileTypeByContent(Path("missing.tif")), 14);
    EXPECT_EQ(FileTypeByContent(Path("")), 14); // a folder is not a file

    FileTypeError.clear();
    EXPECT_EQ(FileTypeByContent(WriteFile("four.tif", "II*\0"s)), 13);
    EXPECT_FALSE(FileTypeError.empty());
    const std::string ShortError = FileTypeError;

    // The message is kept until the next error.
    EXPECT_EQ(FileTypeByContent(WriteFile("ok.bmp", "BM......")), 4);
    EXPECT_EQ(FileTypeError, ShortError);

    EXPECT_EQ(FileTypeByContent(WriteFile("empty.tif", "")), 13);
    const std::string Fifo = Path("pipe.tif");
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    EXPECT_EQ(FileTypeByContent(Fifo), 13); // must not wait for a writer
}

} // namespace
} // namespace vortane
