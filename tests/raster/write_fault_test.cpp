// Cell files and headers that cannot reach the disk: a full disk fails at creation, a page that loses
// its file fails the image instead of the process, and a header that cannot be written says so.
#include "raster/ers/ers_map.hpp"
#include "raster/mapped_cell_file.hpp"

#include "support/small_disk.hpp"
#include "support/temp_dir.hpp"
#include "text/types.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vortane {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;

std::uint64_t AllocatedBytes(const std::string& Name) {
    struct stat Status {};
    return ::stat(Name.c_str(), &Status) == 0 ? static_cast<std::uint64_t>(Status.st_blocks) * 512 : 0;
}

// A grid whose file system answers the reservation with Error.
class TReservationFails final : public TMMapFile2 {
public:
    explicit TReservationFails(int Error) : FError(Error) {}

protected:
    int AllocateSpace(int /*Fd*/, std::uint64_t /*Size*/) override { return FError; }

private:
    int FError;
};

class WriteFaultTest : public test::TTempDirTest {};

TEST_F(WriteFaultTest, ACreatedCellFileOwnsItsBlocksOrFailsAtCreation) {
    constexpr std::uint32_t Columns = 1000, Rows = 300; // 300 000 bytes
    {
        TMMapFile2 Grid;
        ASSERT_TRUE(Grid.OpenGrid(Path("reserved"), Columns, Rows, ctUnsigned8, 1, omCreate, false));
        EXPECT_GE(AllocatedBytes(Path("reserved")), Columns * Rows); // not a sparse file
    }
    {
        // A file system without reservations gets its blocks by zeros written.
        TReservationFails Grid(EOPNOTSUPP);
        ASSERT_TRUE(Grid.OpenGrid(Path("zeros"), Columns, Rows, ctUnsigned8, 1, omCreate, false));
        EXPECT_GE(AllocatedBytes(Path("zeros")), Columns * Rows);
        EXPECT_EQ(ReadBytes(Path("zeros")), std::vector<unsigned char>(Columns * Rows, 0));
    }
    // A full disk: the creation fails with the system's code and leaves no file it made.
    TReservationFails Grid(ENOSPC);
    EXPECT_FALSE(Grid.OpenGrid(Path("full"), Columns, Rows, ctUnsigned8, 1, omCreate, false));
    EXPECT_EQ(Grid.ErrorCode(), ENOSPC);
    EXPECT_EQ(Grid.ErrorText(), "No space left on device");
    EXPECT_FALSE(fs::exists(Path("full")));
}

TEST_F(WriteFaultTest, ARealFullDiskFailsAtCreation) {
    const std::string Mount = Path("small");
    const test::TSmallDisk Disk(Mount, "256k");
    if (!Disk.Mounted())
        GTEST_SKIP() << Disk.Reason() << "; the injected failure of the test above covers this";
    {
        TErsMap2 Image;
        EXPECT_FALSE(Image.OpenMap(Mount + "/out.ers", 1000, 1000, ctUnsigned8, 1, omCreate));
        EXPECT_EQ(Image.ErrorText(), "Open map write error=28 No space left on device");
    }
    EXPECT_FALSE(fs::exists(Mount + "/out"));
    EXPECT_FALSE(fs::exists(Mount + "/out.ers"));
}

TEST_F(WriteFaultTest, PagesThatLoseTheirFileFailTheImageNotTheProcess) {
    const std::string Header = Path("cut.ers");
    TErsMap2 Image;
    ASSERT_TRUE(Image.OpenMap(Header, 1000, 300, ctUnsigned8, 1, omCreate));
    EXPECT_TRUE(Image.WriteCell(0, 0, 0, 1));
    ASSERT_EQ(::truncate(Path("cut").c_str(), 4096), 0); // cut short beneath the mapping
    EXPECT_TRUE(Image.WriteCell(999, 299, 0, 1));
    float Value = -1;
    EXPECT_TRUE(Image.ReadCell(0, 200, 0, Value));
    EXPECT_EQ(Value, 0);
    EXPECT_TRUE(Image.MappingFaulted());
    EXPECT_FALSE(Image.Finish());
    EXPECT_EQ(Image.ErrorCode(), EIO);
    EXPECT_EQ(Image.ErrorText(), Path("cut") + ": cells were lost: the disk had no room for a page, or the "
                                               "cell file was cut short during the run");
    EXPECT_FALSE(fs::exists(Header)); // an incomplete image gets no header
}

TEST_F(WriteFaultTest, AHeaderThatCannotBeWrittenFailsTheImage) {
    fs::create_directory(Path("folder.ers"));
    ASSERT_EQ(::mkfifo(Path("pipe.ers").c_str(), 0644), 0);
    fs::create_symlink(Path("missing/x.ers"), Path("link.ers"));
    const struct {
        std::string Name, Text;
    } AtCreation[] = {
        {"folder.ers", "Open map write error=21 Is a directory"},
        {"pipe.ers", "Open map write error=1 Not a regular file"},
        {"link.ers", "Open map write error=2 No such file or directory"},
    };
    for (const auto& Case : AtCreation) {
        SCOPED_TRACE(Case.Name);
        TErsMap2 Image;
        EXPECT_FALSE(Image.OpenMap(Path(Case.Name), 4, 3, ctUnsigned8, 1, omCreate));
        EXPECT_EQ(Image.ErrorText(), Case.Text);
        EXPECT_FALSE(fs::exists(fs::path(Path(Case.Name)).replace_extension()));
    }

    // The place was fine at creation and is taken before the image is complete.
    TErsMap2 Image;
    ASSERT_TRUE(Image.OpenMap(Path("late.ers"), 4, 3, ctUnsigned8, 1, omCreate));
    fs::create_directory(Path("late.ers"));
    EXPECT_FALSE(Image.Finish());
    EXPECT_EQ(Image.ErrorCode(), EISDIR);
    EXPECT_EQ(Image.ErrorText(), "Cannot write " + Path("late.ers") + ": Is a directory");
}

TEST_F(WriteFaultTest, ACellFileOfAnotherSizeThanItsHeaderSaysSo) {
    test::WriteBytes(Path("short"), std::vector<unsigned char>(1000, 1));
    TMMapFile2 Short;
    ASSERT_TRUE(Short.OpenGrid(Path("short"), 600, 400, ctSigned16, 3, omRead, false));
    EXPECT_EQ(Short.SizeMismatchText(), "cell file holds 1000 bytes, header describes 1440000");
    TMMapFile2 Huge;
    ASSERT_TRUE(Huge.OpenGrid(Path("short"), 2000000000, 2000000000, ctSigned32, 65536, omRead, false));
    EXPECT_EQ(Huge.SizeMismatchText(),
              "cell file holds 1000 bytes, header describes more than 18446744073709551615");
    TMMapFile2 Exact;
    ASSERT_TRUE(Exact.OpenGrid(Path("short"), 100, 10, ctUnsigned8, 1, omRead, false));
    EXPECT_EQ(Exact.SizeMismatchText(), "");
}

} // namespace
} // namespace vortane
