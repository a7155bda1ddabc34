#include "cli_runner.hpp"

#include "support/temp_dir.hpp"
#include "text/strings.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace vortane {
namespace {

using test::RunVortaneCli;
using test::ShippedCatalogueFolder;
using test::TCliRun;

TCliRun RunStreamCommand(int (*Command)(std::istream&, std::ostream&, std::ostream&),
                         const std::string& Input) {
    std::istringstream In(Input);
    std::ostringstream Out, Err;
    const int ExitCode = Command(In, Out, Err);
    return {ExitCode, Out.str(), Err.str()};
}

// Plain bytes the stored form cannot carry inside a line: they would be stored as LF, CR or the
// end-of-file mark 26.
bool IsUnstorable(int Byte) {
    return Byte == 0x8A || Byte == 0x8D || Byte == 0x9A;
}

TEST(CatalogueShift, EveryStorableByteSurvivesEncodeThenDecode) {
    // Every byte value except the line feed that ends lines, spread over lines ending in LF, CR LF,
    // and nothing (the last); a CR inside a line is data.
    std::vector<std::string> Lines(4);
    for (int Byte = 0; Byte < 256; ++Byte)
        if (Byte != '\n' && !IsUnstorable(Byte))
            Lines[static_cast<std::size_t>(Byte % 4)].push_back(static_cast<char>(Byte));
    const std::string Input = Lines[0] + "\n" + Lines[1] + "\r\n" + Lines[2] + "\n" + Lines[3];
    std::string Expected;
    for (const std::string& Line : Lines)
        Expected += Line + "\r\n";

    const TCliRun Encoded = RunStreamCommand(EncodeCatalogueStream, Input);
    ASSERT_EQ(Encoded.ExitCode, ExitSuccess) << Encoded.Err;
    EXPECT_EQ(Encoded.Err, "");
    // Each line is stored shifted, and no stored byte is one the loader would take as a line end.
    std::string StoredLines;
    for (const std::string& Line : Lines) {
        const std::string Stored = EncodeCatalogueLine(Line);
        EXPECT_EQ(Stored.find_first_of(std::string("\n\r\x1A", 3)), std::string::npos);
        StoredLines += Stored + "\r\n";
    }
    EXPECT_EQ(Encoded.Out, StoredLines);

    const TCliRun Decoded = RunStreamCommand(DecodeCatalogueStream, Encoded.Out);
    EXPECT_EQ(Decoded.ExitCode, ExitSuccess) << Decoded.Err;
    EXPECT_EQ(Decoded.Out, Expected);
}

TEST(CatalogueShift, LinesThatCannotBeCarriedOverAreNamedAndLeftOut) {
    const struct {
        int (*Command)(std::istream&, std::ostream&, std::ostream&);
        std::string Input;
        std::string Out;
        std::string Err;
    } Cases[] = {
        {EncodeCatalogueStream,
         "ok\n\x8A"
         "a\nb\x8D\r\n\x9A\nend",
         EncodeCatalogueLine("ok") + "\r\n" + EncodeCatalogueLine("end") + "\r\n",
         "line 2: byte 0x8A would be stored as a line end or the end-of-file mark; line not written\n"
         "line 3: byte 0x8D would be stored as a line end or the end-of-file mark; line not written\n"
         "line 4: byte 0x9A would be stored as a line end or the end-of-file mark; line not written\n"},
        {DecodeCatalogueStream, EncodeCatalogueLine("ok") + "\r\nx\x8Ay\r\n", "ok\r\n",
         "line 2: byte 0x8A decodes to a line feed; line not written\n"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Err);
        const TCliRun Result = RunStreamCommand(Case.Command, Case.Input);
        EXPECT_EQ(Result.ExitCode, ExitFailure);
        EXPECT_EQ(Result.Out, Case.Out);
        EXPECT_EQ(Result.Err, Case.Err);
    }
}

// The lines of `catalogue list` under one spheroid's heading in the last section, without indent.
// Types come before their systems, so with TypesOnly the systems are left out.
std::vector<std::string> TypesAndSystemsOf(const std::string& Listing, const std::string& Code,
                                           bool TypesOnly = false) {
    std::istringstream Lines(Listing.substr(Listing.find("Projection types and their systems")));
    std::vector<std::string> Result;
    bool Inside = false;
    for (std::string Line; std::getline(Lines, Line);) {
        const bool Heading = Line.rfind("  ", 0) == 0 && Line.size() > 2 && Line[2] != ' ';
        if (Heading)
            Inside = Line.rfind("  " + Code + "\t", 0) == 0;
        else if (Inside && !(TypesOnly && Line.rfind("      ", 0) == 0))
            Result.push_back(Line.substr(Line.find_first_not_of(' ')));
    }
    return Result;
}

std::vector<std::string> WithTmGrids(std::vector<std::string> Lines) {
    for (const char* Grid : {"TMGRID", "UTM_North", "UTM_South", "Gauss_North", "Gauss3_North"})
        Lines.push_back(Grid);
    return Lines;
}

TEST(CatalogueList, ShowsSpheroidsDatumsAndEachSpheroidsTypesInChooserOrder) {
    const TCliRun Result = RunVortaneCli({"catalogue", "list", "--catalogue", ShippedCatalogueFolder});
    ASSERT_EQ(Result.ExitCode, ExitSuccess) << Result.Err;
    EXPECT_EQ(Result.Err, "");
    EXPECT_NE(Result.Out.find("\n  AA\t6377563.396\t299.3249646\tAiry 1830\n"), std::string::npos);
    EXPECT_NE(Result.Out.find("\n  OSGB36\tAA\tEUROPE\tGreat Britain (EPSG:1314)\n"), std::string::npos);
    EXPECT_NE(Result.Out.find("\n  STEREOGRAPHIC\tseries about the origin\tdouble stereographic\n"),
              std::string::npos);
    EXPECT_NE(Result.Out.find("\n  LAMBERT2\tclosed form\tclosed form\n"), std::string::npos);

    const std::vector<std::string> Geographic = {"GEOGRAPHIC",
                                                 "Geographic:(deg)",
                                                 "Geographic:(grad)",
                                                 "ArcView Geographic: gg.mm.ss.sss",
                                                 "Geographic:(decimal degrees)",
                                                 "GEOCENTRIC",
                                                 "Geocentric:X,Y,Z"};
    std::vector<std::string> Airy = Geographic;
    Airy.insert(Airy.end(), {"TRANSVERSE MERCATOR", "BNG"});
    EXPECT_EQ(TypesAndSystemsOf(Result.Out, "AA"), WithTmGrids(Airy));

    // Types follow the file order (Lambert2 before LambEren before tranmerc before stereo), whatever
    // the order of the entries.
    const std::vector<std::string> Grs80 = {"GEOGRAPHIC",          "GEOCENTRIC",    "LAMBERT2", "LAMBEREN",
                                            "TRANSVERSE MERCATOR", "STEREOGRAPHIC", "TMGRID"};
    EXPECT_EQ(TypesAndSystemsOf(Result.Out, "RF", true), Grs80);
}

class CatalogueListFolder : public test::TTempDirTest {};

TEST_F(CatalogueListFolder, LoadingFailuresGoToStderrWithStatusOne) {
    // No files at all.
    const TCliRun Empty = RunVortaneCli({"catalogue", "list", "--catalogue", Dir().string()});
    EXPECT_EQ(Empty.ExitCode, ExitFailure);
    EXPECT_EQ(Empty.Err, "Cannot read " + Path("Spher.dat") + "\nError loading files\n");

    // A datum on a spheroid the spheroid file lacks: the spheroids that did load are still listed.
    WriteFile("Spher.dat", EncodeCatalogueLine("WE\t6378137\t298.257223563\tWGS 1984") + "\r\n");
    WriteFile("Datums.dat",
              EncodeCatalogueLine("EUROPE\tED50\tXX\t-87\t-98\t-121\t0\t0\t0\t0\tmean") + "\r\n");
    const TCliRun Unlinked = RunVortaneCli({"catalogue", "list", "--catalogue", Dir().string()});
    EXPECT_EQ(Unlinked.ExitCode, ExitFailure);
    EXPECT_EQ(Unlinked.Err, "Spheroid XX not found in list\nError loading files\n");
    EXPECT_NE(Unlinked.Out.find("\n  WE\t6378137\t298.257223563\tWGS 1984\n"), std::string::npos)
        << Unlinked.Out;
}

TEST(CatalogueFind, ListsTheSystemsWhoseNameDatumPublishedNameOrCodeHoldsTheText) {
    const auto Find = [](const std::string& Text) {
        return RunVortaneCli({"catalogue", "find", Text, "--catalogue", ShippedCatalogueFolder});
    };
    const TCliRun ByCode = Find("27700");
    EXPECT_EQ(ByCode.ExitCode, ExitSuccess) << ByCode.Err;
    EXPECT_EQ(ByCode.Out, "AA\tOSGB36\tBNG\tEPSG:27700\tOSGB36 / British National Grid\n");

    const struct {
        std::string Text;
        std::string Line; // one of the lines printed
    } Cases[] = {
        {"lambert", "RF\tETRS89\tLAMBERT93\tEPSG:2154\tRGF93 v1 / Lambert-93\n"},
        {"LAMBERT", "IN\tBD72\tBELGE_LAMBERT72\tEPSG:31370\tBD72 / Belgian Lambert 72\n"},
        {"EPSG:4326", "WE\tWGS84\tGeographic:(decimal degrees)\tEPSG:4326\tWGS 84\n"},
        {"ed50", "IN\tED50\tNUTM34\tEPSG:23034\tED50 / UTM zone 34N\n"},
        {"stereo70", "KA\tPulkovo1942(58)\tSTEREO70\tEPSG:3844\tPulkovo 1942(58) / Stereo70\n"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        const TCliRun Found = Find(Case.Text);
        EXPECT_EQ(Found.ExitCode, ExitSuccess) << Found.Err;
        EXPECT_NE(Found.Out.find(Case.Line), std::string::npos) << Found.Out;
        // Every line names the three catalogue names, the code and its published name.
        std::istringstream Lines(Found.Out);
        for (std::string Line; std::getline(Lines, Line);)
            EXPECT_EQ(std::count(Line.begin(), Line.end(), '\t'), 4) << Line;
    }

    const TCliRun Nothing = Find("Atlantis");
    EXPECT_EQ(Nothing.ExitCode, ExitFailure);
    EXPECT_EQ(Nothing.Out, "");
    EXPECT_EQ(Nothing.Err, "No system of the catalogue matches \"Atlantis\"\n");
}

TEST_F(CatalogueListFolder, AFolderWithoutEpsgTableSaysSoWhenNothingIsFound) {
    for (const char* Name :
         {"Spher", "Datums", "Lambert1", "Lambert2", "LambEren", "tranmerc", "stereo", "tmgrid"})
        std::filesystem::copy_file(ShippedCatalogueFolder + Name + ".dat", Path(std::string(Name) + ".dat"));
    const TCliRun Found = RunVortaneCli({"catalogue", "find", "27700", "--catalogue", Dir().string()});
    EXPECT_EQ(Found.ExitCode, ExitFailure);
    EXPECT_EQ(Found.Err,
              "No system of the catalogue matches \"27700\" (the catalogue folder holds no epsg.txt)\n");
}

TEST(CatalogueCommandLine, NeedsOneOfItsThreeCommands) {
    const struct {
        std::vector<std::string> Args;
        int ExitCode;
        std::string Text; // in stdout for help, else in stderr
    } Cases[] = {
        {{"catalogue"}, ExitUsage, "A subcommand is required"},
        {{"catalogue", "shuffle"}, ExitUsage, "shuffle"},
        {{"catalogue", "encode", "extra"}, ExitUsage, "extra"},
        {{"catalogue", "--help"}, ExitSuccess, "vortane-cli catalogue list --catalogue"},
        {{"catalogue", "encode", "--help"},
         ExitSuccess,
         "vortane-cli catalogue encode < Spher.txt > Spher.dat"},
        {{"catalogue", "list", "--help"}, ExitSuccess, "Example:"},
        {{"catalogue", "find"}, ExitUsage, "TEXT is required"},
        {{"catalogue", "find", "--help"}, ExitSuccess, "vortane-cli catalogue find lambert"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        const TCliRun Result = RunVortaneCli(Case.Args);
        EXPECT_EQ(Result.ExitCode, Case.ExitCode);
        const std::string& Where = Case.ExitCode == ExitSuccess ? Result.Out : Result.Err;
        EXPECT_NE(Where.find(Case.Text), std::string::npos) << Where;
    }
}

} // namespace
} // namespace vortane
