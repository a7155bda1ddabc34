#pragma once
// Ortho data sets: a text header "<name>.osd" (first line "OrthoSetDataHeader [") beside a cell file
// "<name>" (band-interleaved by line). The key vocabulary is ER Mapper's, with square brackets for
// blocks, a spheroid line, and control points in their plain and ortho text forms. GIF, DCR and BIT
// files have no class of their own and are handled as ortho data sets.

#include "raster/header_text.hpp"
#include "raster/image_format.hpp"

#include <ctime>
#include <string>

namespace vortane {

class TOsdHeader final : public TTextHeader {
public:
    // One upper-cased header line. Every SPHEROID line sets the data set's spheroid, and each one after
    // the first also the warp block's: both end with the last one of the file.
    void ParseLine(const std::string& Line) override;
    // False when the file cannot be read, its first line does not begin with "ORTH", or a count is not
    // an integer.
    bool ReadHeader(const std::string& FileName) override;
    std::string HeaderText(const std::tm& LastUpdated) override;

private:
    void AppendCoordinateSystem(std::string& Text);
    void AppendImageInfo(std::string& Text);
    void AppendWarpControl(std::string& Text);

    bool FSpheroidSeen = false;
};

class TOsdMap2 final : public THeadMap2 {
public:
    TOsdMap2();
    // "image.osd" (or "image.gif", "image") gives the cell file "image" and the header "image.osd".
    void SetFileName(const std::string& FileName) override;
};

// The first line of an ortho header begins with this word (in any case).
inline constexpr std::string_view OsdFirstWord = "ORTH";

// The ortho data set, and the GIF, DCR and BIT files read and written as ortho data sets.
extern const TImageFormat OsdFormat;
extern const TImageFormat GifFormat;
extern const TImageFormat DcrFormat;
extern const TImageFormat BitFormat;

} // namespace vortane
