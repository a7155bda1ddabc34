#include "raster/format_registry.hpp"

#include "support/temp_dir.hpp"
#include "text/strings.hpp"

#include <string>
#include <vector>

#include <sys/stat.h>

using namespace std::string_literals;

namespace vortane {
namespace {

TEST(FileTypeByExt, ExtensionContainsAKeyInTableOrder) {
    struct TCase {
        std::string Name;
        int Code;
    };
    const std::vector<TCase> Cases =
        {
            {"a.ers", 0},  {"a.OSD", 1},  {"a.tif", 2},    {"a.TIFF", 2},       {"a.gif", 3},
            {"a.bmp", 4},  {"a.dtm", 5},  {"a.001", 6},    {"a.jpg", 7},        {"a.JPEG", 13},
            {"a.veg", 8},  {"a.ecw", 9},  {"a.dcr", 10},   {"a.rsw", 11},       {"a.bit", 12},
            {"a.png", 13}, {"noext", 13}, {"", 13},        {"/x.tif/name", 13}, {"/data/b.Tif", 2},
            {"a.", 13},    {"a.ersx", 0}, {"a.BITERS", 0}, // ERS is tried before BIT
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
        {"a.x", "# made by another program\r\n\n  # and a second comment\ndatasetheader Begin\n", 0},
        {"a.x", "# a comment, then something else\nOrtho", 13},
        {"a.x", "#\n\n\n\n\n\n", 13},
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

    const TContentType Short = ContentType(WriteFile("four.tif", "II*\0"s));
    EXPECT_EQ(Short.Code, 13);
    EXPECT_FALSE(Short.Reason.empty());

    // The reason belongs to its own test: a file read afterwards has none.
    const TContentType Read = ContentType(WriteFile("ok.bmp", "BM......"));
    EXPECT_EQ(Read.Code, 4);
    EXPECT_TRUE(Read.Reason.empty());

    EXPECT_EQ(FileTypeByContent(WriteFile("empty.tif", "")), 13);
    const std::string Fifo = Path("pipe.tif");
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    EXPECT_EQ(FileTypeByContent(Fifo), 13); // must not wait for a writer
}

// Signatures are tried in table order; that order can never matter as long as no signature is a
// prefix of another format's (letters compared without case, the stricter reading for exact ones).
TEST(ImageFormats, NoSignatureCanShadowAnotherFormats) {
    const auto Folded = [](const TSignature& Signature) { return UpperCase(Signature.Bytes); };
    for (const TImageFormat& A : ImageFormats())
        for (const TImageFormat& B : ImageFormats())
            for (const TSignature& SA : A.Signatures)
                for (const TSignature& SB : B.Signatures) {
                    if (A.Code == B.Code || SA.Bytes.empty() || SB.Bytes.empty()) continue;
                    const std::string Short = Folded(SA.Bytes.size() <= SB.Bytes.size() ? SA : SB);
                    const std::string Long = Folded(SA.Bytes.size() <= SB.Bytes.size() ? SB : SA);
                    EXPECT_NE(Long.substr(0, Short.size()), Short) << A.Name << " and " << B.Name;
                }
}

TEST(ImageFormats, OneRecordPerCodeInCodeOrder) {
    int Code = 0;
    for (const TImageFormat& Format : ImageFormats()) {
        EXPECT_EQ(Format.Code, Code++);
        EXPECT_EQ(FindFormat(Format.Code), &Format);
        EXPECT_EQ(Format.Create != nullptr, Format.Access != TFormatAccess::None) << Format.Name;
    }
    EXPECT_EQ(Code, ftUnknown);
    EXPECT_EQ(FindFormat(ftUnknown), nullptr);
    EXPECT_EQ(FormatName(ftGif), "Ortho data set");
    EXPECT_EQ(FormatName(ftMissing), "unknown");
}

TEST(ImageFormats, OutputFilesOfHeaderAndWorldFileFormats) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> Cases = {
        // Every output replaces the auxiliary file GDAL keeps beside an image of its name.
        {"/d/a.ers", {"/d/a", "/d/a.ers", "/d/a.ers.aux.xml"}},
        {"/d/A.ERS", {"/d/A", "/d/A.ERS", "/d/A.ERS.aux.xml"}},
        {"/d/a.gif", {"/d/a", "/d/a.osd", "/d/a.gif.aux.xml"}},
        {"/d/a.tif", {"/d/a.tif", "/d/a.tfw", "/d/a.tif.aux.xml"}}, // and a.tifw, rewritten when it exists
        {"/d/a.bmp", {"/d/a.bmp", "/d/a.bmpw", "/d/a.bmp.aux.xml"}},
        {"/d/a.png", {"/d/a.png", "/d/a.pngw", "/d/a.pgw"}},
    };
    for (const auto& [Name, Files] : Cases)
        EXPECT_EQ(OutputFilesOf(Name), Files) << Name;
}

} // namespace
} // namespace vortane
