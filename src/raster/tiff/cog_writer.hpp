#pragma once
// Cloud-optimised GeoTIFFs in two passes with bounded memory. While the rows arrive, each block of the
// full image is encoded into a temporary TIFF beside the output, and halved by averaging into the
// block of the next overview level, which is encoded into a temporary TIFF of its own when complete,
// and so on down to the smallest level. Finish then writes the output itself: every directory first
// (the full image, then the overviews from largest to smallest), then the encoded tiles copied as they
// are, from the smallest overview to the full image, each level's tiles in row-major order. The
// temporary files are removed whichever way the work ends.

#include "raster/tiff/block_rows.hpp"
#include "raster/tiff/libtiff_output.hpp"
#include "raster/tiff/temp_file.hpp"
#include "raster/tiff/tiff_storage.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vortane {

// Halves two rows of a grid (Lower null for a last odd row) into one row of the next level: each cell
// the mean of the up to four cells it covers, integers rounded half up. Cells equal to NoData are left
// out; a cell with none left holds NoData.
void HalveRows(const TTiffGrid& Grid, const unsigned char* Upper, const unsigned char* Lower,
               unsigned char* Out, const std::optional<double>& NoData);

class TCogWriter {
public:
    TCogWriter();
    ~TCogWriter();
    TCogWriter(const TCogWriter&) = delete;
    TCogWriter& operator=(const TCogWriter&) = delete;

    // Creates the output (empty until Finish) and the temporary level files beside it.
    bool Open(const std::string& OutName, const TTiffGrid& Grid, const TTiffStorage& Storage,
              std::optional<double> NoData);
    // The full image's next block, Count rows starting at First.
    bool TakeBlock(std::uint32_t First, const unsigned char* Rows, std::uint32_t Count);
    // Completes the overviews and writes the output.
    bool Finish(const TTiffImageTags& Tags);
    const std::string& Failure() const { return FFailure; }

private:
    struct TLevel;
    bool Fail(const std::string& Reason);
    bool Feed(std::size_t Level, std::uint32_t First, const unsigned char* Rows, std::uint32_t Count);
    bool Assemble(const TTiffImageTags& Tags);

    std::string FOutName;
    int FOutFd = -1;
    TTiffStorage FStorage;
    std::optional<double> FNoData;
    std::vector<std::unique_ptr<TLevel>> FLevels; // the full image first
    std::string FFailure;
};

} // namespace vortane
