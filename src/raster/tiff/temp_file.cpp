#include "raster/tiff/temp_file.hpp"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace vortane {

TTempFile::~TTempFile() {
    Remove();
}

int TTempFile::Create(std::string_view Prefix) {
    std::error_code Error;
    const std::filesystem::path Folder = std::filesystem::temp_directory_path(Error);
    if (Error) return Error.value();
    return CreateIn(Folder.string(), Prefix);
}

int TTempFile::CreateIn(const std::string& Folder, std::string_view Prefix) {
    Remove();
    const std::string Pattern = (std::filesystem::path(Folder) / (std::string(Prefix) + "XXXXXX")).string();
    std::vector<char> Name(Pattern.begin(), Pattern.end());
    Name.push_back('\0');
    // mkstemp creates the file exclusively (O_EXCL) and readable by its owner only.
    const int Fd = ::mkostemp(Name.data(), O_CLOEXEC);
    if (Fd < 0) return errno;
    FFd = Fd;
    FName = Name.data();
    return 0;
}

void TTempFile::Close() {
    if (FFd >= 0) ::close(FFd);
    FFd = -1;
}

void TTempFile::Remove() {
    Close();
    if (!FName.empty()) ::unlink(FName.c_str());
    FName.clear();
}

int TTempFile::WriteAt(const void* Bytes, std::size_t Count, std::uint64_t Offset) const {
    const auto* Next = static_cast<const char*>(Bytes);
    while (Count > 0) {
        const ssize_t Written = ::pwrite(FFd, Next, Count, static_cast<off_t>(Offset));
        if (Written < 0 && errno == EINTR) continue;
        if (Written < 0) return errno;
        if (Written == 0) return EIO;
        Next += Written;
        Count -= static_cast<std::size_t>(Written);
        Offset += static_cast<std::uint64_t>(Written);
    }
    return 0;
}

} // namespace vortane
