#include "job/log.hpp"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <unistd.h>

namespace vortane {
namespace {

class LogFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        FDir = std::filesystem::temp_directory_path() /
               ("vortane_log_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(FDir);
    }
    void TearDown() override { std::filesystem::remove_all(FDir); }

    static std::string ReadAll(const std::filesystem::path& Path)
    {
        std::ifstream In(Path, std::ios::binary);
        return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path FDir;
};

TEST_F(LogFile, ClearStartsAFreshLogAndLinesEndInCrLf)
{
    const auto Path = FDir / "out.log";
    std::ofstream(Path) << "an earlier run\n";

    TLogFile Log;
    Log.SetName(Path.string());
    Log.Clear();
    EXPECT_TRUE(std::filesystem::exists(Path));
    EXPECT_EQ(ReadAll(Path), "");
    Log.AddLine("first");
    Log.AddLine("");
    Log.AddLine("third");
    EXPECT_EQ(ReadAll(Path), "first\r\n\r\nthird\r\n");
}

TEST_F(LogFile, AddLineCreatesAMissingLog)
{
    const auto Path = FDir / "new.log";
    TLogFile Log;
    Log.SetName(Path.string());
    Log.AddLine("line");
    EXPECT_EQ(ReadAll(Path), "line\r\n");
}

TEST_F(LogFile, AnEmptyNameKeepsThePreviousOne)
{
    const auto Path = FDir / "kept.log";
    TLogFile Log;
    Log.SetName(Path.string());
    Log.SetName("");
    EXPECT_EQ(Log.GetName(), Path.string());
    Log.AddLine("x");
    EXPECT_EQ(ReadAll(Path), "x\r\n");
}

TEST_F(LogFile, FileErrorsAreSwallowed)
{
    const auto Missing = FDir / "no such folder" / "out.log";
    TLogFile Unwritable;
    Unwritable.SetName(Missing.string());
    Unwritable.Clear();
    Unwritable.AddLine("lost");
    EXPECT_FALSE(std::filesystem::exists(Missing));

    // A log named after a folder, and a log without a name, cannot be written either.
    TLogFile Folder;
    Folder.SetName(FDir.string());
    Folder.Clear();
    Folder.AddLine("lost");
    EXPECT_TRUE(std::filesystem::is_directory(FDir));
    TLogFile Unnamed;
    Unnamed.Clear();
    Unnamed.AddLine("lost");

    // After a failed line the next one is tried again from scratch.
    std::filesystem::create_directories(Missing.parent_path());
    Unwritable.AddLine("kept");
    EXPECT_EQ(ReadAll(Missing), "kept\r\n");
}

TEST(LongTime, IsTheLocalTimeOfDayWithTwoDigitFields)
{
    std::tm Local{};
    Local.tm_year = 2024 - 1900;
    Local.tm_mon = 2;
    Local.tm_mday = 5;
    Local.tm_hour = 7;
    Local.tm_min = 4;
    Local.tm_sec = 9;
    Local.tm_isdst = -1;
    const auto Time = std::chrono::system_clock::from_time_t(std::mktime(&Local));
    EXPECT_EQ(LongTimeText(Time), "07:04:09");
    EXPECT_EQ(LongTimeText(Time + std::chrono::hours(12) + std::chrono::milliseconds(999)), "19:04:09");
    EXPECT_TRUE(std::regex_match(LongTimeText(), std::regex(R"(\d\d:\d\d:\d\d)")));
}

} // namespace
} // namespace vortane
