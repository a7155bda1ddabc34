#pragma once
// Reading the projection catalogue files: one entry per decoded record line, fields separated by commas.

#include <functional>
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
    // The next field as a number ("." or "," as decimal mark); Default when missing or unreadable.
    double NextNumber(double Default);
    // Steps over one field without looking at it.
    void SkipField() { NextField(); }

private:
    std::string_view NextField();

    std::string_view FLine;
    std::size_t FPos = 0;
};

// Calls AddEntry with every record of the stored (encoded) catalogue file FileName: each line is decoded,
// and lines that are empty or begin with ";" are skipped. False when the file does not exist or cannot
// be read (entries added before a read error stay); True otherwise, also for a file without records.
bool LoadCatalogueRecords(const std::string& FileName,
                          const std::function<void(const std::string&)>& AddEntry);

} // namespace vortane
