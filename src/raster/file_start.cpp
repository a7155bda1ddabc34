#include "raster/file_start.hpp"

#include "text/mapped_file.hpp"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vortane {

bool PathExists(const std::string& FileName) {
    std::error_code Error;
    return std::filesystem::exists(FileName, Error);
}

int ReadFileStart(const std::string& FileName, std::size_t Count, std::string& Bytes,
                  std::uint64_t& FileSize) {
    Bytes.clear();
    TFileDescriptor File;
    // O_NONBLOCK: a FIFO or device named as an image must not block the program.
    if (const int Error = File.Open(FileName, O_RDONLY | O_NONBLOCK); Error != 0) return Error;
    struct stat Status {};
    if (::fstat(File.Get(), &Status) != 0) return errno;
    if (!S_ISREG(Status.st_mode)) return S_ISDIR(Status.st_mode) ? EISDIR : EINVAL;
    FileSize = static_cast<std::uint64_t>(Status.st_size);
    Bytes.assign(Count, '\0');
    std::size_t Done = 0;
    while (Done < Count) {
        const ssize_t Got = ::read(File.Get(), Bytes.data() + Done, Count - Done);
        if (Got < 0 && errno == EINTR) continue;
        if (Got < 0) return errno;
        if (Got == 0) break;
        Done += static_cast<std::size_t>(Got);
    }
    Bytes.resize(Done);
    return 0;
}

bool SpanBytes(std::int64_t Offset, std::int64_t Count, std::int64_t Size, std::uint64_t& End) {
    if (Offset < 0 || Count < 0 || Size < 0) return false;
    std::uint64_t Bytes = 0;
    return !__builtin_mul_overflow(static_cast<std::uint64_t>(Count), static_cast<std::uint64_t>(Size),
                                   &Bytes) &&
           !__builtin_add_overflow(Bytes, static_cast<std::uint64_t>(Offset), &End);
}

} // namespace vortane
