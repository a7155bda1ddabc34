#include "text/ini.hpp"

#include "support/temp_dir.hpp"

#include <string>
#include <vector>

namespace vortane {
namespace {

class IniTest : public test::TTempDirTest {};

TEST_F(IniTest, ReadsTypedValuesWithDefaults) {
    const std::string Path =
        WriteFile("settings.ini", "[Input]\r\nName=/data/in.tif\r\nUnits=1\r\nBad=12x\r\n"
                                  "[Options]\r\nOnlyHeaders=1\r\nList=0\r\nStep=-25\r\n");
    const TIniAdd Ini(Path);
    EXPECT_EQ(Ini.ReadString("Input", "Name", "none"), "/data/in.tif");
    EXPECT_EQ(Ini.ReadString("Input", "Missing", "none"), "none");
    EXPECT_EQ(Ini.ReadString("Nowhere", "Name", "none"), "none");
    EXPECT_EQ(Ini.ReadInteger("Input", "Units", 0), 1);
    EXPECT_EQ(Ini.ReadInteger("Options", "Step", 0), -25);
    EXPECT_EQ(Ini.ReadInteger("Input", "Bad", 7), 7);
    EXPECT_EQ(Ini.ReadInteger("Input", "Name", 7), 7);
    EXPECT_TRUE(Ini.ReadBool("Options", "OnlyHeaders", false));
    EXPECT_FALSE(Ini.ReadBool("Options", "List", true));
    EXPECT_TRUE(Ini.ReadBool("Options", "Missing", true));
}

TEST_F(IniTest, SectionValuesComeInKeyOrderWithoutKeys) {
    const std::string Path = WriteFile("files.ini", "[Files]\nz=/c.tif\na=/a.tif\nm=x=y\n[Other]\nk=v\n");
    const TIniAdd Ini(Path);
    EXPECT_EQ(Ini.ReadSectionValues("Files"), (std::vector<std::string>{"/c.tif", "/a.tif", "x=y"}));
    EXPECT_TRUE(Ini.ReadSectionValues("Missing").empty());
}

TEST_F(IniTest, SaveWritesCrLfLinesThatReadBack) {
    const std::string FileName = Path("new.ini");
    {
        TIniAdd Ini(FileName); // no file yet
        Ini.WriteString("Output", "Name", "/out/b.ers");
        Ini.WriteInteger("Output", "Units", 1);
        Ini.WriteBool("Options", "List", true);
        ASSERT_TRUE(Ini.Save());
    }
    const std::string Text = test::ReadText(FileName);
    EXPECT_NE(Text.find("[Output]\r\nName=/out/b.ers\r\n"), std::string::npos) << Text;
    EXPECT_EQ(Text.find("\n"), Text.find("\r\n") + 1);
    const TIniAdd Again(FileName);
    EXPECT_EQ(Again.ReadString("Output", "Name", ""), "/out/b.ers");
    EXPECT_EQ(Again.ReadInteger("Output", "Units", 0), 1);
    EXPECT_TRUE(Again.ReadBool("Options", "List", false));

    TIniAdd Unwritable(Path("no/such/folder/x.ini"));
    Unwritable.WriteString("A", "B", "C");
    EXPECT_FALSE(Unwritable.Save());
}

TEST_F(IniTest, GarbageFilesGiveDefaults) {
    std::string Garbage;
    for (int I = 0; I < 5000; ++I)
        Garbage.push_back(static_cast<char>((I * 7919) % 256));
    const TIniAdd Ini(WriteFile("garbage.ini", Garbage));
    EXPECT_EQ(Ini.ReadString("Input", "Name", "default"), "default");
    const TIniAdd Folder(Path(""));
    EXPECT_EQ(Folder.ReadInteger("Input", "Units", 3), 3);
}

} // namespace
} // namespace vortane
