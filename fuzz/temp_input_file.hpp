#pragma once
// The fuzzed bytes as a file, for loaders that only read from files: one path per fuzzing process,
// rewritten for every input.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace fuzzing {

inline std::string TempInputName(const std::string& Stem) {
    return "/tmp/fuzz_" + Stem + "_" + std::to_string(::getpid());
}

inline bool WriteInputFile(const std::string& Name, const std::uint8_t* Data, std::size_t Size) {
    std::FILE* File = std::fopen(Name.c_str(), "wb");
    if (File == nullptr) return false;
    const bool Written = std::fwrite(Data, 1, Size, File) == Size;
    return std::fclose(File) == 0 && Written;
}

} // namespace fuzzing
