#pragma once
// Image file directories written by hand, little-endian, in the classic or the BigTIFF form: for files
// whose layout the writer fixes itself (all directories first, then the cells in an order of its
// choosing). Values that do not fit in their entry follow their directory.

#include <cstdint>
#include <string>
#include <vector>

namespace vortane {

class TTiffDirectory {
public:
    void Shorts(std::uint16_t Tag, const std::vector<std::uint16_t>& Values);
    void Longs(std::uint16_t Tag, const std::vector<std::uint32_t>& Values);
    void Doubles(std::uint16_t Tag, const std::vector<double>& Values);
    // A NUL is added after Text.
    void Ascii(std::uint16_t Tag, const std::string& Text);
    void Undefined(std::uint16_t Tag, const std::vector<unsigned char>& Bytes);
    // Offsets or byte counts: LONG in a classic file, LONG8 in a BigTIFF. The values may be given after
    // the layout is known (SetOffsets), since the directories' size does not depend on them.
    void Offsets(std::uint16_t Tag, const std::vector<std::uint64_t>& Values);
    void SetOffsets(std::uint16_t Tag, const std::vector<std::uint64_t>& Values);

private:
    friend class TTiffDirectories;
    struct TEntry {
        std::uint16_t Tag = 0, Type = 0;
        std::uint64_t Count = 0;
        std::vector<unsigned char> Bytes;   // values of every type but offsets
        std::vector<std::uint64_t> Offsets; // offsets, written in the file's width
    };
    void Add(TEntry Entry);
    std::vector<TEntry> FEntries; // in tag order
};

// A file's header and its directories, one after another in the order given, each chained to the
// next. Size() is known before the offsets are; Bytes() gives the finished start of the file.
class TTiffDirectories {
public:
    explicit TTiffDirectories(bool BigTiff) : FBigTiff(BigTiff) {}
    TTiffDirectory& Add();
    TTiffDirectory& At(std::size_t Index) { return FDirectories.at(Index); }
    std::uint64_t Size() const;
    // Where each directory begins.
    std::vector<std::uint64_t> Positions() const;
    std::vector<unsigned char> Bytes() const;

private:
    std::uint64_t DirectorySize(const TTiffDirectory& Directory) const;
    std::uint64_t EntryBytes(const TTiffDirectory::TEntry& Entry) const;
    std::uint64_t HeaderSize() const { return FBigTiff ? 16 : 8; }

    bool FBigTiff;
    std::vector<TTiffDirectory> FDirectories;
};

} // namespace vortane
