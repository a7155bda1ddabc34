#include "text/mapped_file.hpp"

#include "support/temp_dir.hpp"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <utility>

namespace vortane {
namespace {

class MappedFileTest : public test::TTempDirTest {};

TEST_F(MappedFileTest, ReadWriteViewAtAnAlignedOffsetReachesTheFile) {
    const std::string FileName = Path("cells.raw");
    const std::uint64_t Offset = TMappedView::Alignment();
    TFileDescriptor File;
    ASSERT_EQ(File.Open(FileName, O_RDWR | O_CREAT), 0);
    ASSERT_EQ(::ftruncate(File.Get(), static_cast<off_t>(2 * Offset)), 0);
    {
        TMappedView View;
        ASSERT_EQ(View.Map(File.Get(), Offset, 16, true), 0);
        EXPECT_EQ(View.Offset(), Offset);
        EXPECT_EQ(View.Length(), 16u);
        EXPECT_EQ(View.Data()[0], 0); // a sized file reads as zeros
        View.Data()[3] = 0xAB;
        TMappedView Moved = std::move(View);
        EXPECT_FALSE(View);
        EXPECT_TRUE(Moved);
    }
    File.Close();
    EXPECT_FALSE(File);

    TFileDescriptor Reader;
    ASSERT_EQ(Reader.Open(FileName, O_RDONLY), 0);
    TMappedView ReadOnly;
    ASSERT_EQ(ReadOnly.Map(Reader.Get(), Offset, 4, false), 0);
    EXPECT_EQ(ReadOnly.Data()[3], 0xAB);
    // The descriptor may go; the view stays valid.
    Reader.Close();
    EXPECT_EQ(ReadOnly.Data()[3], 0xAB);
}

TEST_F(MappedFileTest, BadRequestsReturnErrnoValues) {
    TFileDescriptor File;
    EXPECT_EQ(File.Open(Path("missing"), O_RDONLY), ENOENT);
    EXPECT_FALSE(File);

    ASSERT_EQ(File.Open(WriteFile("small", "abcd"), O_RDONLY), 0);
    TMappedView View;
    EXPECT_EQ(View.Map(File.Get(), 1, 4, false), EINVAL); // not aligned
    EXPECT_EQ(View.Map(File.Get(), 0, 0, false), EINVAL); // nothing to map
    EXPECT_EQ(View.Map(File.Get(), 0, 4, true), EACCES);  // read-only descriptor
    EXPECT_EQ(View.Map(-1, 0, 4, false), EBADF);
    EXPECT_FALSE(View);

    TFileDescriptor Moved = std::move(File);
    EXPECT_FALSE(File);
    ASSERT_TRUE(Moved);
    EXPECT_EQ(View.Map(Moved.Get(), 0, 4, false), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(View.Data()), 4), "abcd");
}

TEST_F(MappedFileTest, DescriptorsAreClosedOnExec) {
    TFileDescriptor File;
    ASSERT_EQ(File.Open(WriteFile("f", "x"), O_RDONLY), 0);
    EXPECT_TRUE(::fcntl(File.Get(), F_GETFD) & FD_CLOEXEC);
}

} // namespace
} // namespace vortane
