// The whole `vortane-cli info` path on arbitrary bytes given as an ER Mapper header and its cell file:
// the first two bytes give the header's length (little-endian), the header follows and the rest is the
// cell file. Whatever the bytes, info must print or refuse without crashing, hanging or reading out of
// bounds (a header that claims more cells than the file holds is the case to watch).

#include "cli/info_command.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

const std::filesystem::path& WorkDir() {
    static const std::filesystem::path Dir = [] {
        std::string Pattern = (std::filesystem::temp_directory_path() / "fuzz_info_XXXXXX").string();
        if (::mkdtemp(Pattern.data()) == nullptr) std::abort();
        return std::filesystem::path(Pattern);
    }();
    return Dir;
}

void WriteFile(const std::filesystem::path& Name, const std::uint8_t* Data, std::size_t Size) {
    std::ofstream File(Name, std::ios::binary | std::ios::trunc);
    File.write(reinterpret_cast<const char*>(Data), static_cast<std::streamsize>(Size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size < 2) return 0;
    const std::size_t HeaderSize = std::min<std::size_t>(Data[0] | Data[1] << 8, Size - 2);
    const std::uint8_t* Header = Data + 2;
    WriteFile(WorkDir() / "image.ers", Header, HeaderSize);
    WriteFile(WorkDir() / "image", Header + HeaderSize, Size - 2 - HeaderSize);
    std::ostringstream Out, Err;
    vortane::ShowImageInfo((WorkDir() / "image.ers").string(), Out, Err);
    return 0;
}
