#include "raster/tiff/tiff_directory.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vortane {

namespace {

enum : std::uint16_t { tyAscii = 2, tyShort = 3, tyLong = 4, tyUndefined = 7, tyDouble = 12, tyLong8 = 16 };

template <typename T> std::vector<unsigned char> LittleEndian(const std::vector<T>& Values) {
    std::vector<unsigned char> Bytes;
    Bytes.reserve(Values.size() * sizeof(T));
    for (const T Value : Values) {
        std::uint64_t Bits = 0;
        if constexpr (std::is_floating_point_v<T>)
            Bits = std::bit_cast<std::uint64_t>(Value);
        else
            Bits = Value;
        for (std::size_t Byte = 0; Byte < sizeof(T); ++Byte)
            Bytes.push_back(static_cast<unsigned char>(Bits >> (8 * Byte)));
    }
    return Bytes;
}

void Put(std::vector<unsigned char>& Bytes, std::uint64_t At, std::uint64_t Value, int Width) {
    for (int Byte = 0; Byte < Width; ++Byte)
        Bytes[At + static_cast<std::uint64_t>(Byte)] = static_cast<unsigned char>(Value >> (8 * Byte));
}

std::uint64_t Even(std::uint64_t Size) {
    return Size + Size % 2;
}

} // namespace

void TTiffDirectory::Add(TEntry Entry) {
    const auto At = std::lower_bound(FEntries.begin(), FEntries.end(), Entry.Tag,
                                     [](const TEntry& E, std::uint16_t Tag) { return E.Tag < Tag; });
    FEntries.insert(At, std::move(Entry));
}

void TTiffDirectory::Shorts(std::uint16_t Tag, const std::vector<std::uint16_t>& Values) {
    Add({Tag, tyShort, Values.size(), LittleEndian(Values), {}});
}
void TTiffDirectory::Longs(std::uint16_t Tag, const std::vector<std::uint32_t>& Values) {
    Add({Tag, tyLong, Values.size(), LittleEndian(Values), {}});
}
void TTiffDirectory::Doubles(std::uint16_t Tag, const std::vector<double>& Values) {
    Add({Tag, tyDouble, Values.size(), LittleEndian(Values), {}});
}
void TTiffDirectory::Ascii(std::uint16_t Tag, const std::string& Text) {
    std::vector<unsigned char> Bytes(Text.begin(), Text.end());
    Bytes.push_back(0);
    Add({Tag, tyAscii, Bytes.size(), std::move(Bytes), {}});
}
void TTiffDirectory::Undefined(std::uint16_t Tag, const std::vector<unsigned char>& Bytes) {
    Add({Tag, tyUndefined, Bytes.size(), Bytes, {}});
}
void TTiffDirectory::Offsets(std::uint16_t Tag, const std::vector<std::uint64_t>& Values) {
    Add({Tag, tyLong, Values.size(), {}, Values}); // the type follows the file's form when written
}
void TTiffDirectory::SetOffsets(std::uint16_t Tag, const std::vector<std::uint64_t>& Values) {
    for (TEntry& Entry : FEntries)
        if (Entry.Tag == Tag && Entry.Offsets.size() == Values.size()) Entry.Offsets = Values;
}

TTiffDirectory& TTiffDirectories::Add() {
    return FDirectories.emplace_back();
}

std::uint64_t TTiffDirectories::EntryBytes(const TTiffDirectory::TEntry& Entry) const {
    return Entry.Offsets.empty() ? Entry.Bytes.size() : Entry.Offsets.size() * (FBigTiff ? 8 : 4);
}

// The directory (count, entries, next offset), then its values that do not fit in an entry.
std::uint64_t TTiffDirectories::DirectorySize(const TTiffDirectory& Directory) const {
    const std::uint64_t Inline = FBigTiff ? 8 : 4;
    std::uint64_t Size =
        (FBigTiff ? 8 + 20 * Directory.FEntries.size() + 8 : 2 + 12 * Directory.FEntries.size() + 4);
    for (const auto& Entry : Directory.FEntries)
        if (const std::uint64_t Bytes = EntryBytes(Entry); Bytes > Inline) Size += Even(Bytes);
    return Size;
}

std::uint64_t TTiffDirectories::Size() const {
    std::uint64_t Size = HeaderSize();
    for (const TTiffDirectory& Directory : FDirectories)
        Size += DirectorySize(Directory);
    return Size;
}

std::vector<std::uint64_t> TTiffDirectories::Positions() const {
    std::vector<std::uint64_t> Positions;
    std::uint64_t At = HeaderSize();
    for (const TTiffDirectory& Directory : FDirectories) {
        Positions.push_back(At);
        At += DirectorySize(Directory);
    }
    return Positions;
}

std::vector<unsigned char> TTiffDirectories::Bytes() const {
    std::vector<unsigned char> File(Size(), 0);
    const std::vector<std::uint64_t> Starts = Positions();
    const int Width = FBigTiff ? 8 : 4;
    File[0] = File[1] = 'I';
    Put(File, 2, FBigTiff ? 43 : 42, 2);
    if (FBigTiff) {
        Put(File, 4, 8, 2); // offset size
        Put(File, 8, Starts.empty() ? 0 : Starts[0], 8);
    } else {
        Put(File, 4, Starts.empty() ? 0 : Starts[0], 4);
    }
    for (std::size_t Index = 0; Index < FDirectories.size(); ++Index) {
        const auto& Entries = FDirectories[Index].FEntries;
        std::uint64_t At = Starts[Index];
        Put(File, At, Entries.size(), FBigTiff ? 8 : 2);
        At += FBigTiff ? 8 : 2;
        std::uint64_t Values = At + Entries.size() * (FBigTiff ? 20 : 12) + static_cast<std::uint64_t>(Width);
        Put(File, Values - static_cast<std::uint64_t>(Width),
            Index + 1 < Starts.size() ? Starts[Index + 1] : 0, Width);
        for (const auto& Entry : Entries) {
            std::vector<unsigned char> Data = Entry.Bytes;
            std::uint16_t Type = Entry.Type;
            if (!Entry.Offsets.empty()) {
                Data.assign(EntryBytes(Entry), 0);
                for (std::size_t Value = 0; Value < Entry.Offsets.size(); ++Value)
                    Put(Data, Value * static_cast<std::size_t>(Width), Entry.Offsets[Value], Width);
                Type = FBigTiff ? tyLong8 : tyLong;
            }
            Put(File, At, Entry.Tag, 2);
            Put(File, At + 2, Type, 2);
            Put(File, At + 4, Entry.Count, FBigTiff ? 8 : 4);
            const std::uint64_t Field = At + (FBigTiff ? 12 : 8);
            if (Data.size() <= static_cast<std::size_t>(Width)) {
                std::copy(Data.begin(), Data.end(), File.begin() + static_cast<std::ptrdiff_t>(Field));
            } else {
                Put(File, Field, Values, Width);
                std::copy(Data.begin(), Data.end(), File.begin() + static_cast<std::ptrdiff_t>(Values));
                Values += Even(Data.size());
            }
            At += FBigTiff ? 20 : 12;
        }
    }
    return File;
}

} // namespace vortane
