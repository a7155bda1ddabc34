#pragma once
// Read-only memory-mapped files seen as arrays of cells (TMap) and the line/token reader on top of
// them (TReadLine). These two and their exception classes are the only places where the text reading
// layer throws; catalogue and header readers catch EReadLineError and report failure by their result.

#include "text/mapped_file.hpp"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vortane {

class EMapError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class EReadLineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The byte that stands for "end of file" in the readers' character stream.
constexpr unsigned char EndMarker = 26;

class TMap {
public:
    // Throws EMapError("No file name") when FileName is empty. Does not open the file.
    TMap(const std::string& FileName, std::uint8_t CellType, std::uint8_t Mode, bool BigEndian);
    virtual ~TMap() = default;
    TMap(const TMap&) = delete;
    TMap& operator=(const TMap&) = delete;

    // Opens and maps the whole file read-only. False (LastError set) when Mode is 1, the name is
    // empty, or a step fails; an empty file cannot be mapped and fails.
    bool Open();
    // Cell Index (0-based) converted to double; false and Value 0 when it does not lie wholly inside.
    bool GetCell(std::uint64_t Index, double& Value) const;

    std::string FileName;
    std::uint64_t FileSize = 0;  // bytes
    std::uint64_t CellCount = 0; // FileSize / cell width; FileSize * 8 for bit cells
    std::uint8_t CellType = 1;
    std::uint8_t Mode = 0;   // 1: the object must not open the file
    bool NativeOrder = true; // true: multi-byte cells are least significant byte first
    int LastError = 0;       // errno of the last step of Open, 0 after success

protected:
    const unsigned char* Bytes() const { return FView.Data(); }

private:
    TFileDescriptor FFileHandle;
    TMappedView FView;
};

// Line and token reader over a TMap of bytes. Reading past the end yields EndMarker, never fails.
class TReadLine : public TMap {
public:
    // Throws EReadLineError("ReadLine error " + message) for an empty name and
    // EReadLineError("Open read error") when the file cannot be opened or mapped (missing, empty).
    explicit TReadLine(const std::string& FileName);

    void Reset();
    unsigned char NextChar();
    // Next line after the current character; CR dropped; the text of the single EndMarker at the end.
    void ReadLine(std::string& Line);
    void SkipLine();
    // One token of at most 255 characters from the current character; Delimiters is a set of bytes.
    void ReadToken(std::string_view Delimiters, std::string& Token);

    unsigned char Cur = 0; // current character; EndMarker once the end has been passed
    std::int64_t Pos = -1; // index of the current character; -1 before the first
};

// True when Line is the end marker that ReadLine returns at the end of the file.
inline bool IsEndMarker(const std::string& Line) {
    return Line.size() == 1 && Line[0] == char(EndMarker);
}

} // namespace vortane
