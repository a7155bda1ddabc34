// The shared field tokenizer over arbitrary text and delimiter sets, with the step back by one
// character that the angle reader uses: it must always reach the end of the text.

#include "text/tokenizer.hpp"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size == 0) return 0;
    // The first byte says how many of the following bytes are delimiters.
    const std::size_t DelimiterCount = Data[0] % 5;
    if (Size < 1 + DelimiterCount) return 0;
    const std::string Delimiters(reinterpret_cast<const char*>(Data + 1), DelimiterCount);
    const std::string Text(reinterpret_cast<const char*>(Data + 1 + DelimiterCount),
                           Size - 1 - DelimiterCount);
    vortane::SetParseText(Text);
    std::size_t TotalLength = 0;
    for (std::size_t Call = 0; Call <= 2 * Text.size() + 2; ++Call) {
        const int Before = vortane::ParseCursor();
        const std::string Token = vortane::NextToken(Delimiters);
        if (Token.empty()) return 0;
        TotalLength += Token.size();
        if (TotalLength > 2 * Text.size() || vortane::ParseCursor() <= Before) std::abort();
        // Re-read the character that ended the token every other call, as the angle reader does.
        if (Call % 2 == 0) vortane::SetParseCursor(vortane::ParseCursor() - 1);
    }
    std::abort(); // the end of the text was never reached
}
