#pragma once
// Reading one coordinate text of a coordinate system.

#include <string_view>

namespace vortane {

// Value := the number in Text ("." or "," as decimal mark), 0 for a blank text. False, with Value 0,
// for a text that holds something other than a finite number, so the caller can report which of
// its texts was rejected instead of silently converting a position at 0.
bool ReadNumberField(std::string_view Text, double& Value);

// Whether Text, without surrounding blanks, begins with "-". Angle texts take their sign from the
// text, since "-0" reads as the number 0 but still makes the minutes and seconds negative.
bool StartsWithMinus(std::string_view Text);

} // namespace vortane
