#include "text/map.hpp"

#include "text/types.hpp"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <limits>
#include <sys/stat.h>

namespace vortane {

namespace {

// Multi-byte cells are swapped exactly when they are not least significant byte first.
static_assert(std::endian::native == std::endian::little, "cells are read on a little-endian host");

template <typename T> T LoadCell(const unsigned char* Source, bool Swap) {
    unsigned char Raw[sizeof(T)];
    std::memcpy(Raw, Source, sizeof(T));
    if (Swap) std::reverse(std::begin(Raw), std::end(Raw));
    T Value;
    std::memcpy(&Value, Raw, sizeof(T));
    return Value;
}

// One bitmask per byte value, so that delimiter tests do not depend on NUL handling of strings.
class TByteSet {
public:
    explicit TByteSet(std::string_view Bytes) {
        for (unsigned char Byte : Bytes)
            FBits[Byte / 64] |= std::uint64_t{1} << (Byte % 64);
    }
    bool Contains(unsigned char Byte) const { return (FBits[Byte / 64] >> (Byte % 64)) & 1; }

private:
    std::uint64_t FBits[4] = {};
};

constexpr unsigned char LineFeed = 10;
constexpr unsigned char CarriageReturn = 13;
constexpr std::size_t MaxTokenLength = 255;

} // namespace

TMap::TMap(const std::string& Name, std::uint8_t Type, std::uint8_t OpenMode, bool BigEndian)
    : FileName(Name), CellType(Type), Mode(OpenMode), NativeOrder(!BigEndian) {
    if (Name.empty()) throw EMapError("No file name");
}

bool TMap::Open() {
    if (Mode == 1 || FileName.empty()) return false;
    FView.Unmap();
    // O_NONBLOCK: a FIFO given as a file name must fail below instead of waiting for a writer.
    LastError = FFileHandle.Open(FileName, O_RDONLY | O_NONBLOCK);
    if (LastError != 0) return false;
    struct stat Status {};
    if (::fstat(FFileHandle.Get(), &Status) != 0) {
        LastError = errno;
        return false;
    }
    if (!S_ISREG(Status.st_mode)) {
        LastError = S_ISDIR(Status.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    FileSize = static_cast<std::uint64_t>(Status.st_size);
    const int Width = CellBytes(CellType);
    CellCount = Width == 0 ? FileSize * 8 : FileSize / static_cast<std::uint64_t>(Width);
    if (FileSize > std::numeric_limits<std::size_t>::max()) {
        LastError = EFBIG;
        return false;
    }
    // The whole file and never more: bytes past the end of a file raise SIGBUS when touched.
    LastError = FView.Map(FFileHandle.Get(), 0, static_cast<std::size_t>(FileSize), false);
    if (LastError != 0) {
        FileSize = 0;
        CellCount = 0;
        return false;
    }
    return true;
}

bool TMap::GetCell(std::uint64_t Index, double& Value) const {
    Value = 0.0;
    const std::uint64_t Size = FView ? FileSize : 0;
    const int Width = CellBytes(CellType);
    if (Width == 0) {
        if (Index / 8 >= Size) return false;
        Value = (Bytes()[Index / 8] >> (7 - Index % 8)) & 1 ? 1.0 : 0.0;
        return true;
    }
    const auto CellWidth = static_cast<std::uint64_t>(Width);
    if (Index >= Size / CellWidth) // the overflow-free form of Index * Width + Width > Size
        return false;
    const unsigned char* Cell = Bytes() + Index * CellWidth;
    const bool Swap = !NativeOrder;
    switch (CellType) {
    case ctUnsigned8:
        Value = Cell[0];
        break;
    case ctSigned16:
        Value = static_cast<std::int16_t>(LoadCell<std::uint16_t>(Cell, Swap));
        break;
    case ctUnsigned16:
        Value = LoadCell<std::uint16_t>(Cell, Swap);
        break;
    case ctSigned32:
        Value = static_cast<std::int32_t>(LoadCell<std::uint32_t>(Cell, Swap));
        break;
    case ctFloat32:
        Value = LoadCell<float>(Cell, false); // stored floats are never byte-swapped
        break;
    default:
        break; // the remaining types are not read and give 0
    }
    return true;
}

TReadLine::TReadLine(const std::string& Name) try : TMap(Name, ctUnsigned8, 0, false) {
    if (!Open()) throw EReadLineError("Open read error");
    Reset();
} catch (const EMapError& Error) {
    throw EReadLineError(std::string("ReadLine error ") + Error.what());
}

void TReadLine::Reset() {
    Pos = -1;
    Cur = 0;
}

unsigned char TReadLine::NextChar() {
    // Pos stops one past the end so that repeated reads there cannot overflow it.
    if (Pos < static_cast<std::int64_t>(FileSize)) ++Pos;
    Cur = Pos < static_cast<std::int64_t>(FileSize) ? Bytes()[Pos] : EndMarker;
    return Cur;
}

void TReadLine::ReadLine(std::string& Line) {
    Line.clear();
    unsigned char Char = NextChar();
    if (Char == EndMarker) {
        Line.assign(1, char(EndMarker));
        return;
    }
    while (Char != LineFeed && Char != EndMarker) {
        if (Char != CarriageReturn) Line.push_back(static_cast<char>(Char));
        Char = NextChar();
    }
}

void TReadLine::SkipLine() {
    if (Cur == LineFeed) {
        NextChar();
        return;
    }
    unsigned char Char;
    do {
        Char = NextChar();
    } while (Char != LineFeed && Char != EndMarker);
}

void TReadLine::ReadToken(std::string_view Delimiters, std::string& Token) {
    const TByteSet IsDelimiter(Delimiters);
    Token.clear();
    // Before the first character Cur is only a placeholder, not a byte of the file: start on the
    // first byte so that leading delimiters are skipped instead of giving an empty first token.
    if (Pos < 0) NextChar();
    if (Cur == LineFeed) {
        Token.assign(1, char(LineFeed));
        return;
    }
    // The end marker repeats forever, so it must end the skipping even when it is a delimiter.
    while (IsDelimiter.Contains(Cur) && Cur != EndMarker)
        NextChar();
    if (Cur == EndMarker) {
        Token.assign(1, char(EndMarker));
        return;
    }
    while (!IsDelimiter.Contains(Cur) && Token.size() < MaxTokenLength) {
        if (Cur == 0 || Cur == CarriageReturn) {
            NextChar();
        } else if (Cur == LineFeed || Cur == EndMarker) {
            if (Token.empty()) Token.assign(1, char(Cur));
            return;
        } else {
            Token.push_back(static_cast<char>(Cur));
            NextChar();
        }
    }
}

} // namespace vortane
