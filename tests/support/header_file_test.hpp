#pragma once
// A fixture for the tests of a text header format: its own temporary folder, a fixed time of writing
// so that written headers compare as text, and header texts read back through a file.

#include "support/calendar_time.hpp"
#include "support/temp_dir.hpp"

#include <ctime>
#include <string>
#include <utility>

namespace vortane::test {

template <typename THeader> class THeaderFileTest : public TTempDirTest {
protected:
    // FileName: the name, inside the test's folder, that parsed texts are written to.
    explicit THeaderFileTest(std::string FileName) : FFileName(std::move(FileName)) {}

    // Sunday 6 December 2026, 09:07:35.
    static std::tm FixedTime() { return CalendarTime(2026, 12, 6, 9, 7, 35); }

    // Text as a header file, read by Header.
    bool Parse(const std::string& Text, THeader& Header) {
        return Header.ReadHeader(WriteFile(FFileName, Text));
    }

private:
    std::string FFileName;
};

} // namespace vortane::test
