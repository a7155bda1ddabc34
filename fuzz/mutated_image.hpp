#pragma once
// Image readers are fuzzed around a valid file: the fuzzer's bytes are laid over a small image this
// program wrote (exclusive or, then appended), and the first byte may cut the result short, so
// mutations reach every tag, offset and count instead of stalling at the magic numbers.

#include "raster/raster.hpp"
#include "temp_input_file.hpp"
#include "text/types.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
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

// The bytes of an image of the given geometry as TRaster creates it, georeferenced.
template <typename TRaster>
std::vector<std::uint8_t> WrittenImage(const std::string& Name, std::int32_t Columns, std::int32_t Rows,
                                       std::uint8_t CellType, std::int32_t Bands) {
    {
        TRaster Image;
        if (!Image.OpenMap(Name, Columns, Rows, CellType, Bands, vortane::omCreate)) std::abort();
        Image.SetGeoreference("WE", "WGS84", "NUTM34", 2, 2, 0, 0, 1000, 5000);
    }
    return FileBytes(Name);
}

// Reads the corners and the middle of every band (and one band past them), bilinearly too.
inline void SampleImage(vortane::TDataSetRoot2& Image) {
    const std::int64_t Columns = Image.GetColumns();
    const std::int64_t Rows = Image.GetRows();
    float Value = 0;
    for (std::uint32_t Band = 0; Band < 4; ++Band) {
        Image.ReadCell(0, 0, Band, Value);
        Image.ReadCell(Columns - 1, Rows - 1, Band, Value);
        Image.ReadCell(Columns / 2, Rows / 2, Band, Value);
        Image.SampleBilinear(Band, Value, Columns / 2.0 + 0.5, Rows / 2.0 + 0.25);
    }
    std::int32_t Colour = 0;
    Image.ReadRGB(Columns - 1, Rows - 1, Colour);
}

} // namespace fuzzing
