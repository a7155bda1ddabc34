#pragma once
// Pieces shared by the text header formats (ER Mapper, ortho data set): key/value lines, counts, the
// number form, the LastUpdated stamp, writing, and the keys both formats read the same way.

#include "raster/raster.hpp"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace vortane {

// The value of a header line: the text after the first "=" with blanks and tabs trimmed at both
// ends, quotes kept; the whole line (trimmed) when there is no "=".
std::string HeaderValue(std::string_view Line);
// Whether the key of Line (the text before the first "=", or the whole line) contains Key. Matching
// the key only keeps a value such as a file name "datum.ers" from being taken for a key.
bool HeaderKeyHas(std::string_view Line, std::string_view Key);
// A count: optional sign and decimal digits that fit 32 bits; false for anything else.
bool HeaderInteger(std::string_view Text, std::int32_t& Value);

// A header number, "." as decimal mark: three decimals when that reads back as the same double
// (0.5 -> "0.500"), otherwise as many decimals as it takes to read back the same value (a cell size
// of 0.000001 radians must not become 0.000).
std::string HeaderNumberText(double Value);
// The same rule with Decimals decimals where they suffice.
std::string ExactDecimalsText(double Value, int Decimals);
// HeaderNumberText right-aligned in Width characters.
std::string HeaderNumberText(double Value, std::size_t Width);

// "Sun Dec 06 09:07:35 GMT 2026": English names, the given (local) time, always "GMT".
std::string LastUpdatedText(const std::tm& Time);
std::tm LocalTimeNow();

// Appends Line and the CR LF that ends every line of a text header.
void AppendLine(std::string& Text, std::string_view Line);
// Replaces FileName with Text; false after an input/output error.
bool WriteHeaderFile(const std::string& FileName, const std::string& Text);

// The parsing both text headers share. Keys are matched in upper-cased lines; the first PROJECTION,
// DATUM and COORDINATETYPE lines describe the data set, later ones the warp block.
class TTextHeader : public THeader {
public:
    // Writes HeaderText, stamped with the local time; false after an input/output error.
    bool WriteHeader(const std::string& FileName) final;
    // The whole header with CR LF line ends, stamped with the given local time.
    virtual std::string HeaderText(const std::tm& LastUpdated) = 0;

protected:
    // A data set whose datum and projection both name RAW has raw coordinates, whatever its type says.
    static bool BothRaw(const std::string& Datum, const std::string& Projection);
    // Lines of the control point block go to the list through AddPoint (never taken for keys) until
    // the line holding "}"; true when Line belonged to the block or opened it.
    bool TakeControlPointLine(const std::string& Line, void (TGCPList::*AddPoint)(std::string_view));
    void TakeCoordinateSpaceKeys(const std::string& Line);
    // BYTEORDER, CELLTYPE, cell sizes, counts and the registration point; a cell type or a number that
    // cannot be read refuses the header.
    void TakeGeometryKeys(const std::string& Line);
    // Follows the blocks a line without "=" opens ("RASTERINFO BEGIN") or closes ("RASTERINFO END"),
    // by the word it ends with.
    void TakeBlockLine(const std::string& Line, std::string_view Open, std::string_view Close);
    // False, refusing the header, when it ended inside a block within the outermost one (the file was
    // cut short); a header without the outermost block's end line has lost nothing and is accepted.
    bool BlocksClosed();
    // The value of Line, into the data set's field on the first call for Seen and the warp block's after.
    static void TakeFirstOrWarp(const std::string& Line, bool& Seen, std::string& First, std::string& Warp);

private:
    void TakeCount(const std::string& Line, std::int32_t& Count);
    // The value of Line as a finite number into Number; Key names it when the header is refused.
    void TakeNumber(const std::string& Line, std::string_view Key, double& Number);

    std::vector<std::string> FOpenBlocks; // names of the blocks open at the line read last
    bool FInControlPoints = false;
    bool FDatumSeen = false;
    bool FCoordTypeSeen = false;
    bool FProjectionSeen = false;
};

} // namespace vortane
