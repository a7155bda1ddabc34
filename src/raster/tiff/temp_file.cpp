#include "raster/tiff/temp_file.hpp"

#include "text/mapped_file.hpp"

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
    return WriteAllAt(FFd, Bytes, Count, Offset);
}

} // namespace vortane
