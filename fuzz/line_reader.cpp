// Feeds arbitrary bytes as a file to the line and token reader: every reading loop must end, and no
// byte outside the mapped file may be touched.

#include "text/map.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// One scratch file per fuzzing process, removed when the process ends.
struct TScratchFile {
    std::string Path = "/tmp/vortane-fuzz-line-reader-" + std::to_string(::getpid());
    ~TScratchFile() { std::remove(Path.c_str()); }
};

std::string WriteTempFile(const std::uint8_t* Data, std::size_t Size) {
    static const TScratchFile Scratch;
    const std::string& Path = Scratch.Path;
    std::FILE* File = std::fopen(Path.c_str(), "wb");
    if (File == nullptr) std::abort();
    if (Size > 0 && std::fwrite(Data, 1, Size, File) != Size) std::abort();
    std::fclose(File);
    return Path;
}

// Each call moves at least one byte on or ends, so more calls than bytes means a hang.
void CheckProgress(std::size_t& Calls, std::size_t Size) {
    if (++Calls > 4 * Size + 8) std::abort();
}

void ReadAllLines(vortane::TReadLine& Reader, std::size_t Size) {
    std::string Line;
    std::size_t Calls = 0;
    do {
        CheckProgress(Calls, Size);
        Reader.ReadLine(Line);
    } while (!vortane::IsEndMarker(Line));
}

void ReadAllTokens(vortane::TReadLine& Reader, std::size_t Size, std::string_view Delimiters) {
    std::string Token;
    std::size_t Calls = 0;
    do {
        CheckProgress(Calls, Size);
        Reader.ReadToken(Delimiters, Token);
        if (Token.size() > 255) std::abort();
        if (Token == "\n") Reader.SkipLine();
    } while (!vortane::IsEndMarker(Token));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string Path = WriteTempFile(Data, Size);
    try {
        vortane::TReadLine Reader(Path);
        ReadAllLines(Reader, Size);
        Reader.Reset();
        ReadAllTokens(Reader, Size, " \t,");
        Reader.Reset();
        // Delimiters that include the special bytes themselves.
        ReadAllTokens(Reader, Size, std::string_view("\0\r\x1A ", 4));
    } catch (const vortane::EReadLineError&) {
        if (Size != 0) // only an empty file may fail to open
            std::abort();
    }
    return 0;
}
