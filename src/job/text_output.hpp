#pragma once
// The text files a run writes beside its outputs (log, report): opened without ever blocking and only
// when they are regular files, so a pipe or folder named like one fails with a reason instead of
// hanging the run, and written in full or not at all, with the system's reason on failure.

#include "text/mapped_file.hpp"

#include <string>
#include <string_view>

namespace vortane {

enum class ETextOpen {
    Keep,     // create when missing, keep what is there
    Truncate, // create when missing, empty what is there
    Append    // create when missing, write at the end
};

// Opens FileName for writing in Mode. False, with "Cannot write NAME: reason" in Error, when it is a
// folder, a pipe or a device, or cannot be opened.
bool OpenTextOutput(const std::string& FileName, ETextOpen Mode, TFileDescriptor& File, std::string& Error);

// Writes all of Text; false with the system's reason in Error (EFBIG over a file size limit, ENOSPC).
bool WriteAllText(const TFileDescriptor& File, const std::string& FileName, std::string_view Text,
                  std::string& Error);

// Opens FileName in Mode and writes Line followed by CR LF.
bool WriteTextLine(const std::string& FileName, ETextOpen Mode, std::string_view Line, std::string& Error);

// "" when Path is absent or a regular file, else why it is none ("it is a folder").
std::string NotARegularFile(const std::string& Path);

} // namespace vortane
