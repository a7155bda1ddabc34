#include "raster/tiff/tile_encoder.hpp"

#include "raster/tiff/libtiff_output.hpp"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

namespace vortane {

namespace {

// One tile through a TIFF in memory holding that tile alone; its encoded bytes replace its cells.
bool EncodeApart(const TTiffGrid& Grid, const TTiffStorage& Storage, std::vector<unsigned char>& Tile,
                 std::string& Reason) {
    TMemoryTiff File;
    std::string Error;
    TIFF* Tiff = OpenTiffInMemory(File, Error);
    TTiffGrid One = Grid;
    One.Columns = One.Rows = Storage.TileSize;
    const bool Encoded = Tiff && SetStorageTags(Tiff, One, Storage) &&
                         TIFFWriteEncodedTile(Tiff, 0, Tile.data(), static_cast<tmsize_t>(Tile.size())) >= 0;
    const std::uint64_t Offset = Encoded ? TIFFGetStrileOffset(Tiff, 0) : 0;
    const std::uint64_t Count = Encoded ? TIFFGetStrileByteCount(Tiff, 0) : 0;
    if (Tiff) TIFFCleanup(Tiff); // nothing more is needed of the file in memory
    if (!Encoded || Count == 0 || Offset + Count > File.Bytes.size()) {
        Reason = "A tile cannot be encoded" + (Error.empty() ? "" : ": " + Error);
        return false;
    }
    const auto Start = File.Bytes.begin() + static_cast<std::ptrdiff_t>(Offset);
    Tile.assign(Start, Start + static_cast<std::ptrdiff_t>(Count));
    return true;
}

} // namespace

bool EncodesApart(const TTiffStorage& Storage) {
    return Storage.TileSize != 0 && Storage.Compression != COMPRESSION_JPEG;
}

bool EncodeTilesApart(const TTiffGrid& Grid, const TTiffStorage& Storage,
                      std::vector<std::vector<unsigned char>>& Tiles, std::string& Reason) {
    RegisterGeoTiffTags(); // once, before the threads open their files
    std::vector<std::string> Reasons(Tiles.size());
    std::atomic<std::size_t> Next{0};
    const auto Work = [&] {
        for (std::size_t Index = Next++; Index < Tiles.size(); Index = Next++)
            try {
                EncodeApart(Grid, Storage, Tiles[Index], Reasons[Index]);
            } catch (const std::exception& Error) {
                Reasons[Index] = std::string("A tile cannot be encoded: ") + Error.what();
            }
    };
    const std::size_t Threads =
        std::min<std::size_t>(Tiles.size(), std::max(1u, std::thread::hardware_concurrency()));
    {
        std::vector<std::jthread> Helpers;
        for (std::size_t Helper = 1; Helper < Threads; ++Helper)
            Helpers.emplace_back(Work);
        Work();
    }
    const auto Failed =
        std::find_if(Reasons.begin(), Reasons.end(), [](const std::string& R) { return !R.empty(); });
    if (Failed == Reasons.end()) return true;
    Reason = *Failed;
    return false;
}

} // namespace vortane
