#pragma once
// The shared field tokenizer for delimited lines: one text and one 1-based cursor. The state is
// thread-local, so each thread parses its own line; within a thread one line is parsed at a time.

#include <string>
#include <string_view>

namespace vortane {

void SetParseText(std::string Text);
// Skips leading delimiters, returns the characters up to the next delimiter (or the end) and moves the
// cursor one past that delimiter. Runs of delimiters count as one; at the end the token is empty.
std::string NextToken(std::string_view Delimiters);
// The cursor (1-based character position). Callers may step it back by one character between calls.
int ParseCursor();
void SetParseCursor(int Cursor);

} // namespace vortane
