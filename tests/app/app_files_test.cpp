// Where the desktop program keeps its settings, and what its file dialogs' filters mean.
#include "app/app_files.hpp"
#include "app/file_filters.hpp"
#include "raster/format_registry.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace vortane::test {
namespace {

TEST(SettingsFiles, AreBesideTheProgramUnlessThatFolderCannotBeWritten) {
    TTempDir Temp;
    const std::string Bin = Temp.Path("bin") + "/", User = Temp.Path("config/vortane") + "/";
    std::filesystem::create_directories(Bin);
    const TSettingsFiles Beside = SettingsFilesFor(Bin, "vortane", User);
    EXPECT_EQ(Beside.Read, Bin + "vortane.ini");
    EXPECT_EQ(Beside.Write, Bin + "vortane.ini");

    // A folder that cannot be written (here: one that does not exist): the user's own file is written,
    // and read once it exists; until then the file beside the program is read.
    const std::string Installed = Temp.Path("usr/bin") + "/";
    const TSettingsFiles FirstStart = SettingsFilesFor(Installed, "vortane", User);
    EXPECT_EQ(FirstStart.Read, Installed + "vortane.ini");
    EXPECT_EQ(FirstStart.Write, User + "vortane.ini");
    std::filesystem::create_directories(User);
    WriteText(User + "vortane.ini", "[Files]\n");
    EXPECT_EQ(SettingsFilesFor(Installed, "vortane", User).Read, User + "vortane.ini");
}

TEST(FileFilters, TheSelectedFilterIsFoundInEveryFormADialogReportsItIn) {
    const struct {
        std::string_view Selected;
        int Expected;
    } Cases[] = {
        {"Image files(*.osd;*.tif;*.tiff;*.bmp;*.jpg;*.jpeg;*.ers;*.dtm;*.ecw;*.rsw;*.001;*.veg) (*.osd "
         "*.tif "
         "*.tiff *.bmp *.jpg *.jpeg *.ers *.dtm *.ecw *.rsw *.001 *.veg)",
         1},                        // as set
        {"All files(*.*)", 2},      // Qt's own dialog hiding the details
        {"  All   files(*.*) ", 2}, // other blanks
        {"Photo list", 3},          // the bare description
        {"*.txt", 3},               // patterns only
        {"Text (*.txt)", 3},        // another description, the same patterns
        {"", 0},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(FilterIndexOf(InputFilter, Case.Selected), Case.Expected) << Case.Selected;
    EXPECT_EQ(FilterIndexOf(OutputFilter, "Jpeg files (*.jpg)"), 5);
    EXPECT_EQ(FilterIndexOf(OutputFilter, "*.jpeg *.jpg"), 5);
}

TEST(FileFilters, EveryFormatTheProgramWritesIsOfferedAndReadBack) {
    const std::vector<TNameFilter> Outputs = SplitFilter(OutputFilter);
    const std::vector<std::string> Inputs = SplitFilter(InputFilter).front().Patterns;
    std::vector<const TImageFormat*> Written; // by each output filter, for a name typed without extension
    for (int Index = 1; Index <= static_cast<int>(Outputs.size()); ++Index)
        Written.push_back(FindFormat(FileTypeByExt(CompleteOutputName("out", Index))));
    // Formats written by another format's class (GIF, DCR, BIT as ortho data sets) need no filter.
    for (const TImageFormat& Format : ImageFormats()) {
        if (Format.Access != TFormatAccess::ReadWrite) continue;
        EXPECT_TRUE(std::any_of(Written.begin(), Written.end(), [&](const TImageFormat* Filter) {
            return Filter && Filter->Create == Format.Create;
        })) << Format.Name;
    }
    for (const TNameFilter& Filter : Outputs)
        for (const std::string& Pattern : Filter.Patterns)
            EXPECT_NE(std::find(Inputs.begin(), Inputs.end(), Pattern), Inputs.end()) << Pattern;
    EXPECT_NE(std::find(Inputs.begin(), Inputs.end(), "*.tiff"), Inputs.end());
}

TEST(FileFilters, AnOutputNameWithoutAFormatsExtensionGetsTheFiltersOne) {
    const struct {
        std::string Chosen;
        int Filter;
        std::string Expected;
    } Cases[] = {
        {"/d/out", 1, "/d/out.osd"},
        {"/d/out", 2, "/d/out.tif"},
        {"/d/out", 3, "/d/out.bmp"},
        {"/d/out", 4, "/d/out.ers"},
        {"/d/out", 5, "/d/out.jpg"},
        {"/d/out", 6, "/d/out.dtm"},
        {"/d/out", 7, "/d/out.ecw"},
        {"/d/out", 8, "/d/out.rsw"},
        {"/d/out", 9, "/d/out.001"},
        {"/d/out", 10, "/d/out.veg"},
        {"/d/out.tif", 3, "/d/out.tif"},           // a typed extension wins over the filter
        {"/d.x/out", 2, "/d.x/out.tif"},           // a dot in a folder is no extension
        {"/d/area.north", 2, "/d/area.north.tif"}, // nor is one that selects no format
        {"/d/out", 0, "/d/out"},                   // a filter the dialog made up adds nothing
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(CompleteOutputName(Case.Chosen, Case.Filter), Case.Expected)
            << Case.Chosen << " " << Case.Filter;
}

TEST(FileFilters, TheContentDecidesBeforeTheFilterWhetherAnInputIsAList) {
    TTempDir Temp;
    const std::string List = Temp.Path("list.txt"), Odd = Temp.Path("odd.dat");
    WriteText(List, "a.ers 1 2 3 4\n");
    WriteText(Odd, "neither\n");
    EXPECT_TRUE(ChosenIsList(List, 1));
    EXPECT_FALSE(ChosenIsList(Odd, 1));
    EXPECT_TRUE(ChosenIsList(Odd, 2)); // "All files" picks photo lists
    EXPECT_TRUE(ChosenIsList(Odd, 3));
    EXPECT_FALSE(ChosenIsList(Odd, 0));
}

} // namespace
} // namespace vortane::test
