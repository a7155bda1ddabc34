#pragma once
// NOG grids: a fixed 1700-byte header record "<name>.001" beside the cells "<name>.002", one band of
// 16-bit signed integers, least significant byte first, band-interleaved by line. Five fields of the
// record are zero-terminated decimal texts at fixed offsets; every other byte of a record that was
// read is carried through unchanged.

#include "raster/image_format.hpp"
#include "raster/raster.hpp"

#include <array>
#include <string>

namespace vortane {

class TNogHeader final : public THeader {
public:
    static constexpr std::size_t RecordBytes = 1700;

    TNogHeader();
    // False when the file is missing, shorter than the record, or its row or column text is not an
    // integer (the fields are still taken from what was read).
    bool ReadHeader(const std::string& FileName) override;
    // Puts the five fields into the record and writes all 1700 bytes; false without a file name or
    // after an input/output error.
    bool WriteHeader(const std::string& FileName) override;

    std::array<char, RecordBytes> FRecord{};
};

class TNogMap2 final : public THeadMap2 {
public:
    TNogMap2();
    // Creating always stores 16-bit signed cells, the only type a NOG header can describe; reading
    // refuses a cell file whose size is not the header's rows x columns cells.
    bool OpenMap(const std::string& FileName, std::int32_t Columns, std::int32_t Rows, std::uint8_t CellType,
                 std::int32_t Bands, std::uint8_t Mode) override;
    // "survey.001" (or "survey") gives the cells "survey.002" and the header "survey.001".
    void SetFileName(const std::string& FileName) override;
};

extern const TImageFormat NogFormat;

} // namespace vortane
