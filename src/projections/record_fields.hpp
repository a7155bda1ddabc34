#pragma once
// The comma-separated fields of one decoded record of the projection catalogue files.

#include <string>
#include <string_view>

namespace vortane {

// The fields of one decoded record, read front to back. A run of commas counts as one separator, so a
// field left empty between two commas vanishes and every later field moves up one place.
class TRecordFields {
public:
    explicit TRecordFields(std::string_view Line) : FLine(Line) {}

    // The next field without trailing blanks and tabs; empty once the record is used up.
    std::string NextText();
    // The next field as a spheroid code: its text cut to the 3 characters a code has at most.
    std::string NextSpheroidCode();
    // The next field as a number ("." or "," as decimal mark); Default when missing or unreadable.
    double NextNumber(double Default);
    // Steps over one field without looking at it.
    void SkipField() { NextField(); }

private:
    std::string_view NextField();

    std::string_view FLine;
    std::size_t FPos = 0;
};

} // namespace vortane
