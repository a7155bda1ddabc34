#pragma once
// Pieces shared by the text header formats: key/value lines, counts, the number form, the
// LastUpdated stamp.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

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
// HeaderNumberText right-aligned in Width characters.
std::string HeaderNumberText(double Value, std::size_t Width);

// "Sun Dec 06 09:07:35 GMT 2026": English names, the given (local) time, always "GMT".
std::string LastUpdatedText(const std::tm& Time);

} // namespace vortane
