// Where the desktop program keeps its settings, and what its file dialogs' filters mean.
#include "app/app_files.hpp"
#include "app/file_filters.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

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

TEST(FileFilters, TheInputListFilterAndTheOutputExtensions) {
    ASSERT_EQ(SplitFilter(InputFilter).size(), 2u);
    EXPECT_EQ(SplitFilter(InputFilter)[1].Description, "All files(*.*)");
    EXPECT_EQ(SplitFilter(OutputFilter)[4].Patterns, (std::vector<std::string>{"*.jpg", "*.jpeg"}));
    EXPECT_FALSE(IsListFilter(1));
    EXPECT_TRUE(IsListFilter(2));

    const struct {
        std::string Chosen;
        int Filter;
        std::string Expected;
    } Cases[] = {
        {"/d/out", 1, "/d/out.osd"},     {"/d/out", 2, "/d/out.tif"}, {"/d/out", 3, "/d/out.bmp"},
        {"/d/out", 4, "/d/out.ers"},     {"/d/out", 5, "/d/out.jpg"}, {"/d/out", 6, "/d/out.dtm"},
        {"/d/out.tif", 3, "/d/out.tif"}, // a typed extension wins over the filter
        {"/d.x/out", 2, "/d.x/out.tif"}, // a dot in a folder is no extension
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(CompleteOutputName(Case.Chosen, Case.Filter), Case.Expected)
            << Case.Chosen << " " << Case.Filter;
}

} // namespace
} // namespace vortane::test
