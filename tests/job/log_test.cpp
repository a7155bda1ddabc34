#include "job/log.hpp"

#include "support/calendar_time.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <regex>

namespace vortane {
namespace {

// A log named "out.log" in the test's folder.
class LogFile : public test::TTempDirTest {
protected:
    void SetUp() override { Log.SetName(LogName); }

    const std::string LogName = Path("out.log");
    TLogFile Log;
};

TEST_F(LogFile, ClearStartsAFreshLogAndLinesEndInCrLf) {
    test::WriteText(LogName, "an earlier run\n");

    Log.Clear();
    EXPECT_TRUE(std::filesystem::exists(LogName));
    EXPECT_EQ(test::ReadText(LogName), "");
    Log.AddLine("first");
    Log.AddLine("");
    Log.AddLine("third");
    EXPECT_EQ(test::ReadText(LogName), "first\r\n\r\nthird\r\n");
}

TEST_F(LogFile, AddLineCreatesAMissingLog) {
    Log.AddLine("line");
    EXPECT_EQ(test::ReadText(LogName), "line\r\n");
}

TEST_F(LogFile, AnEmptyNameKeepsThePreviousOne) {
    Log.SetName("");
    EXPECT_EQ(Log.GetName(), LogName);
    Log.AddLine("x");
    EXPECT_EQ(test::ReadText(LogName), "x\r\n");
}

TEST_F(LogFile, FileErrorsAreSwallowed) {
    const auto Missing = Dir() / "no such folder" / "out.log";
    TLogFile Unwritable;
    Unwritable.SetName(Missing.string());
    Unwritable.Clear();
    Unwritable.AddLine("lost");
    EXPECT_FALSE(std::filesystem::exists(Missing));

    // A log named after a folder, and a log without a name, cannot be written either.
    TLogFile Folder;
    Folder.SetName(Dir().string());
    Folder.Clear();
    Folder.AddLine("lost");
    EXPECT_TRUE(std::filesystem::is_directory(Dir()));
    TLogFile Unnamed;
    Unnamed.Clear();
    Unnamed.AddLine("lost");

    // After a failed line the next one is tried again from scratch.
    std::filesystem::create_directories(Missing.parent_path());
    Unwritable.AddLine("kept");
    EXPECT_EQ(test::ReadText(Missing), "kept\r\n");
}

TEST(LongTime, IsTheLocalTimeOfDayWithTwoDigitFields) {
    std::tm Local = test::CalendarTime(2024, 3, 5, 7, 4, 9);
    const auto Time = std::chrono::system_clock::from_time_t(std::mktime(&Local));
    EXPECT_EQ(LongTimeText(Time), "07:04:09");
    EXPECT_EQ(LongTimeText(Time + std::chrono::hours(12) + std::chrono::milliseconds(999)), "19:04:09");
    EXPECT_TRUE(std::regex_match(LongTimeText(), std::regex(R"(\d\d:\d\d:\d\d)")));
}

} // namespace
} // namespace vortane
