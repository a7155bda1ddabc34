#pragma once
// ER Mapper data sets: a text header "<name>.ers" beside a cell file "<name>" (band-interleaved by
// line, no padding; the header may name another file and a number of bytes before the cells). The
// cells are handled by THeadMap2; TErsHeader parses and writes the header.

#include "raster/header_text.hpp"
#include "raster/image_format.hpp"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace vortane {

// Which point of its RegistrationCell a header's RegistrationCoord gives. ER Mapper defines it as the
// cell's top-left corner, and GDAL and QGIS read it so; the older program wrote the cell's centre.
// Inside this program a registration point is always a cell centre: headers are converted as they
// are read and written.
enum class TErsRegistration { Corner, Centre };

// The convention headers made from now on read and write (Corner until set). Set it before opening
// images; each header keeps the one in force when it was made.
void SetErsRegistration(TErsRegistration Convention);
TErsRegistration ErsRegistration();
// "corner" or "centre" ("center" too), in any case; nothing for any other text.
std::optional<TErsRegistration> ErsRegistrationByName(std::string_view Name);

// The start of a header: "#" comment lines and blank lines, then a line beginning with "DATA" (in any
// case). Text is the file's first bytes; false when they hold no such line.
bool StartsErsHeader(std::string_view Text);

class TErsHeader final : public TTextHeader {
public:
    // One upper-cased header line without its comment. Lines of the control point block go to the
    // control point list; other lines are matched by key. The first PROJECTION, DATUM and
    // COORDINATETYPE lines describe the data set, later ones the warp block.
    void ParseLine(const std::string& Line) override;
    // Keys in any case, "#" comments anywhere outside quotes. False when the file cannot be read, its
    // first line that is not a comment does not begin with "DATA", a count (NrOfBands, NrOfLines,
    // NrOfCellsPerLine) is not an integer, HeaderOffset is not a byte count, NullCellValue is no
    // number, or DataFile leads out of the header's folder (FRefusal says which). A NullCellValue
    // other than 0 is the image's nodata value.
    bool ReadHeader(const std::string& FileName) override;
    std::string HeaderText(const std::tm& LastUpdated) override;

    // DataFile resolved beside the header; empty without one.
    std::string CellFileName() const override { return FCellFile; }
    std::uint64_t CellsStart() const override { return FHeaderOffset; }

private:
    // One line of the file with its comment removed, in its own case (DataFile keeps it).
    void TakeLine(std::string_view Line);
    // The registration coordinate in any of its forms, inside the RegistrationCoord block.
    void TakeRegistrationKeys(const std::string& Line);
    bool ResolveDataFile(const std::string& HeaderName);
    // What the header's registration differs from the cell centre by, per axis.
    double CornerShift(double CellSize) const;
    void ApplyRawRule();
    void AppendCoordinateSpace(std::string& Text);
    void AppendRasterInfo(std::string& Text);
    void AppendWarpControl(std::string& Text);

    TErsRegistration FRegistration = ErsRegistration();
    bool FInRegistrationCoord = false;
    bool FRegistrationSeen = false; // the file has a RegistrationCoord block
    std::string FDataFile;          // as the header gives it
    std::string FCellFile;          // FDataFile beside the header
    std::uint64_t FHeaderOffset = 0;
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
