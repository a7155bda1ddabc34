#pragma once
// The first bytes of a file and its size, read without mapping: the binary headers are checked against
// the real size before any of their offsets or counts is used.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vortane {

// What a raster reports when the image it is to open is not there.
inline constexpr std::string_view FileMissingText = "File not Exists";

// Whether anything of that name exists; false also when that cannot be found out.
bool PathExists(const std::string& FileName);

// Reads up to Count bytes from the start of a regular file into Bytes (fewer when the file is
// shorter) and its size into FileSize. Returns 0 or an errno value; a pipe, device or folder fails
// (EINVAL, EISDIR) without waiting for a writer.
int ReadFileStart(const std::string& FileName, std::size_t Count, std::string& Bytes,
                  std::uint64_t& FileSize);

// Count items of Size bytes from Offset, in bytes; false when that overflows 64 bits or any
// argument is negative.
bool SpanBytes(std::int64_t Offset, std::int64_t Count, std::int64_t Size, std::uint64_t& End);

} // namespace vortane
