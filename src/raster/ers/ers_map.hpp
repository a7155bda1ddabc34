#pragma once
// ER Mapper data sets: a text header "<name>.ers" beside a cell file "<name>" (band-interleaved by
// line, no header, no padding). The cells are handled by THeadMap2; TErsHeader parses and writes
// the header.

#include "raster/header_text.hpp"
#include "raster/image_format.hpp"

#include <ctime>
#include <string>

namespace vortane {

class TErsHeader final : public TTextHeader {
public:
    // One upper-cased header line. Lines of the control point block go to the control point list;
    // other lines are matched by key. The first PROJECTION, DATUM and COORDINATETYPE lines describe
    // the data set, later ones the warp block.
    void ParseLine(const std::string& Line) override;
    // False when the file cannot be read, its first line does not begin with "DATA", or a count
    // (NrOfBands, NrOfLines, NrOfCellsPerLine) is not an integer.
    bool ReadHeader(const std::string& FileName) override;
    std::string HeaderText(const std::tm& LastUpdated) override;

private:
    void ApplyRawRule();
    void AppendCoordinateSpace(std::string& Text);
    void AppendRasterInfo(std::string& Text);
    void AppendWarpControl(std::string& Text);
};

class TErsMap2 final : public THeadMap2 {
public:
    TErsMap2();
    // "image.ers" (or "image") gives the cell file "image" and the header "image.ers".
    void SetFileName(const std::string& FileName) override;
};

// The first line of an ER Mapper header begins with this word (in any case).
inline constexpr std::string_view ErsFirstWord = "DATA";

extern const TImageFormat ErsFormat;

} // namespace vortane
