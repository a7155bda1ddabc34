#include "text/tokenizer.hpp"

#include <algorithm>
#include <climits>
#include <cstddef>

namespace vortane {

namespace {

// Each thread parses its own line; the cursor is 1-based like the positions callers step back by.
thread_local std::string ParseText;
thread_local std::size_t Cursor = 1;

bool IsDelimiter(std::string_view Delimiters, char Char) {
    return Delimiters.find(Char) != std::string_view::npos;
}

} // namespace

void SetParseText(std::string Text) {
    ParseText = std::move(Text);
    Cursor = 1;
}

std::string NextToken(std::string_view Delimiters) {
    const std::size_t Length = ParseText.size();
    std::size_t Index = Cursor - 1; // 0-based
    while (Index < Length && IsDelimiter(Delimiters, ParseText[Index]))
        ++Index;
    const std::size_t Start = std::min(Index, Length);
    while (Index < Length && !IsDelimiter(Delimiters, ParseText[Index]))
        ++Index;
    std::string Token = ParseText.substr(Start, Index - Start);
    // One past the delimiter that ended the token; past the end the cursor stays put, never overflows.
    Cursor = std::min(Index, Length) + 2;
    return Token;
}

int ParseCursor() {
    return static_cast<int>(std::min<std::size_t>(Cursor, INT_MAX));
}

void SetParseCursor(int NewCursor) {
    Cursor = static_cast<std::size_t>(std::max(NewCursor, 1));
}

} // namespace vortane
