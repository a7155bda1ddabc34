#pragma once
// Image readers are fuzzed around a valid file: the fuzzer's bytes are laid over a small image this
// program wrote (exclusive or, then appended), and the first byte may cut the result short, so
// mutations reach every tag, offset and count instead of stalling at the magic numbers.

#include "temp_input_file.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzzing {

inline std::vector<std::uint8_t> MutatedImage(const std::vector<std::uint8_t>& Valid,
                                              const std::uint8_t* Data, std::size_t Size) {
    std::vector<std::uint8_t> Bytes = Valid;
    if (Size == 0) return Bytes;
    for (std::size_t Index = 1; Index < Size; ++Index) {
        if (Index - 1 < Bytes.size())
            Bytes[Index - 1] ^= Data[Index];
        else
            Bytes.push_back(Data[Index]);
    }
    if (Data[0] & 1) Bytes.resize(Bytes.size() * (Data[0] >> 1) / 128);
    return Bytes;
}

inline std::vector<std::uint8_t> FileBytes(const std::string& Name) {
    std::vector<std::uint8_t> Bytes;
    if (std::FILE* File = std::fopen(Name.c_str(), "rb")) {
        for (int Byte = std::fgetc(File); Byte != EOF; Byte = std::fgetc(File))
            Bytes.push_back(static_cast<std::uint8_t>(Byte));
        std::fclose(File);
    }
    return Bytes;
}

} // namespace fuzzing
