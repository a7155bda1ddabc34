#pragma once
// Shared by the image format fuzz targets: the fuzzed bytes become the files of one image, which is
// opened for reading through its raster class and read at its corners and in between.

#include "temp_input_file.hpp"

#include "raster/mapped_cell_file.hpp"
#include "text/types.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzing {

// Opens Name with a fresh TRaster; when that succeeds, reads and samples cells across the grid.
template <typename TRaster> void OpenAndRead(const std::string& Name) {
    TRaster Raster;
    if (!Raster.OpenMap(Name, 0, 0, vortane::ctUnsigned8, 1, vortane::omRead)) return;
    const std::int64_t Columns = Raster.GetColumns();
    const std::int64_t Rows = Raster.GetRows();
    float Value = 0;
    for (const std::int64_t Col : {std::int64_t{0}, Columns / 2, Columns - 1})
        for (const std::int64_t Row : {std::int64_t{0}, Rows / 2, Rows - 1})
            Raster.ReadCell(Col, Row, 0, Value);
    Raster.SampleBilinear(0, Value, static_cast<double>(Columns) / 2 + 0.5,
                          static_cast<double>(Rows) / 2 + 0.5);
}

// Data split at its first zero byte: the text part and the binary rest (empty without a zero).
inline void SplitAtZero(const std::uint8_t* Data, std::size_t Size, std::string& Text, std::string& Rest) {
    const std::string All(reinterpret_cast<const char*>(Data), Size);
    const std::size_t Zero = All.find('\0');
    Text = All.substr(0, Zero);
    Rest = Zero == std::string::npos ? std::string() : All.substr(Zero + 1);
}

inline bool WriteText(const std::string& Name, const std::string& Bytes) {
    return WriteInputFile(Name, reinterpret_cast<const std::uint8_t*>(Bytes.data()), Bytes.size());
}

} // namespace fuzzing
