#pragma once
// Synthetic georeferenced images with a recognisable pattern, made by the program's own raster code:
// the bundled sample of `./dev run` and the inputs of the whole-job benchmarks.

#include <cstdint>
#include <string>

namespace vortane {

struct TSampleImage {
    std::int32_t Columns = 600;
    std::int32_t Rows = 400;
    std::int32_t Bands = 3; // 3: colour bytes; otherwise single floats
    double West = 470000.0; // map position of the top-left corner
    double North = 5790000.0;
    double CellSize = 25.0; // map units
    std::string Spheroid = "WE";
    std::string Datum = "WGS84";
    std::string Projection = "NUTM34"; // north of Krakow, near the eastern edge of zone 34
};

// Writes the image (an ER Mapper header and its cell file). Colour images show a red gradient from
// west to east, a green one from north to south, blue rings around the centre and a white grid every
// 50 cells; float images a smooth hill with rings. False, with the reason in Error, on failure.
bool WriteSampleImage(const std::string& FileName, const TSampleImage& Sample, std::string& Error);

} // namespace vortane
