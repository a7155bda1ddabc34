#include "job/sample_image.hpp"

#include "raster/data_set.hpp"
#include "raster/raster.hpp"
#include "text/types.hpp"

#include <cmath>
#include <numbers>

namespace vortane {

namespace {

constexpr int GridSpacing = 50; // cells between the white grid lines

// Distance of a cell from the image centre, as a fraction of the half diagonal (0 to 1).
double CentreDistance(const TSampleImage& S, int Col, int Row) {
    const double Dx = (Col - S.Columns / 2.0) / (S.Columns / 2.0);
    const double Dy = (Row - S.Rows / 2.0) / (S.Rows / 2.0);
    return std::hypot(Dx, Dy) / std::numbers::sqrt2;
}

void ColourCell(const TSampleImage& S, int Col, int Row, float Value[3]) {
    if (Col % GridSpacing == 0 || Row % GridSpacing == 0) {
        Value[0] = Value[1] = Value[2] = 255;
        return;
    }
    const double Ring = 0.5 + 0.5 * std::cos(CentreDistance(S, Col, Row) * 12 * std::numbers::pi);
    Value[0] = float(std::nearbyint(255.0 * Col / S.Columns));
    Value[1] = float(std::nearbyint(255.0 * Row / S.Rows));
    Value[2] = float(std::nearbyint(40 + 215 * Ring));
}

float HillCell(const TSampleImage& S, int Col, int Row) {
    const double Distance = CentreDistance(S, Col, Row);
    return float(500 * std::exp(-4 * Distance * Distance) + 20 * std::cos(Distance * 30));
}

} // namespace

bool WriteSampleImage(const std::string& FileName, const TSampleImage& S, std::string& Error) {
    const bool Colour = S.Bands == 3;
    TDataSet2 Image;
    if (!Image.Open(FileName, S.Columns, S.Rows, Colour ? ctUnsigned8 : ctFloat32, S.Bands, omCreate)) {
        Error = Image.GetErrorText();
        return false;
    }
    Image.SetGeoreference(S.Spheroid, S.Datum, S.Projection, S.CellSize, S.CellSize, 0, 0, S.West, S.North);
    TDataSetRoot2& Raster = *Image.Raster();
    for (int Row = 0; Row < S.Rows; ++Row)
        for (int Col = 0; Col < S.Columns; ++Col) {
            float Value[3] = {0, 0, 0};
            if (Colour)
                ColourCell(S, Col, Row, Value);
            else
                Value[0] = HillCell(S, Col, Row);
            for (int Band = 0; Band < S.Bands; ++Band)
                if (!Raster.WriteCell(Col, Row, static_cast<std::uint32_t>(Band), Value[Colour ? Band : 0])) {
                    Error = "Cannot write cell " + std::to_string(Col) + ", " + std::to_string(Row);
                    return false;
                }
        }
    return true;
}

} // namespace vortane
