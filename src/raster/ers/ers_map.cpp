#include "raster/ers/ers_map.hpp"

#include "raster/header_text.hpp"
#include "text/strings.hpp"
#include "text/types.hpp"

#include <array>
#include <ctime>

namespace vortane {

namespace {

constexpr std::string_view Units = "\"METERS\"";
constexpr std::array<std::string_view, 3> BandNames = {"Red Layer", "Green Layer", "Blue Layer"};

} // namespace

// ---------------------------------------------------------------------------------------------------
// Reading

bool TErsHeader::ReadHeader(const std::string& FileName) {
    return ReadHeaderLines(FileName, ErsFirstWord);
}

void TErsHeader::ParseLine(const std::string& Line) {
    if (TakeControlPointLine(Line, &TGCPList::AddFromErsLine)) return;
    TakeCoordinateSpaceKeys(Line);
    TakeGeometryKeys(Line);
}

// ---------------------------------------------------------------------------------------------------
// Writing

std::string TErsHeader::HeaderText(const std::tm& LastUpdated) {
    std::string Text;
    AppendLine(Text, "DatasetHeader Begin");
    AppendLine(Text, "  Version   = \"1.0\"");
    AppendLine(Text, "  LastUpdated = " + LastUpdatedText(LastUpdated));
    AppendLine(Text, "  DataSetType = ERStorage");
    AppendLine(Text, "  DataType = Raster");
    AppendLine(Text, std::string("  ByteOrder = ") + (FMSBFirst ? "MSBFirst" : "LSBFirst"));
    AppendCoordinateSpace(Text);
    AppendRasterInfo(Text);
    AppendLine(Text, "DatasetHeader End");
    return Text;
}

void TErsHeader::ApplyRawRule() {
    if (BothRaw(FDatum, FProjection)) FCoordType = coRAW;
}

void TErsHeader::AppendCoordinateSpace(std::string& Text) {
    AppendLine(Text, "  CoordinateSpace Begin");
    AppendLine(Text, "    Datum      = " + QuoteStr(FDatum));
    AppendLine(Text, "    Projection = " + QuoteStr(FProjection));
    ApplyRawRule();
    AppendLine(Text, "    CoordinateType  = " + CoordTypeName(FCoordType));
    if (FCoordType != coRAW) AppendLine(Text, "    Units   = " + std::string(Units));
    AppendLine(Text, "    Rotation = 0:0:0.0");
    AppendLine(Text, "  CoordinateSpace End");
}

void TErsHeader::AppendRasterInfo(std::string& Text) {
    AppendLine(Text, "  RasterInfo Begin");
    AppendLine(Text, "    CellType = " + CellTypeHeaderName(FCellType));
    AppendLine(Text, "    NullCellValue = 0");
    if (FCellSizeX != 0 && FCellSizeY != 0) {
        AppendLine(Text, "    CellInfo Begin");
        AppendLine(Text, "      Xdimension = " + HeaderNumberText(FCellSizeX));
        AppendLine(Text, "      Ydimension = " + HeaderNumberText(FCellSizeY));
        AppendLine(Text, "    CellInfo End");
    }
    AppendLine(Text, "    NrOfLines = " + std::to_string(FRows));
    AppendLine(Text, "    NrOfCellsPerLine = " + std::to_string(FColumns));
    if (FCoordType != coRAW) {
        AppendLine(Text, "    RegistrationCoord Begin");
        AppendLine(Text, "      Eastings = " + HeaderNumberText(FEastings));
        AppendLine(Text, "      Northings = " + HeaderNumberText(FNorthings));
        AppendLine(Text, "    RegistrationCoord End");
        AppendLine(Text, "    RegistrationCellX = " + HeaderNumberText(FRegCellX));
        AppendLine(Text, "    RegistrationCellY = " + HeaderNumberText(FRegCellY));
    }
    AppendLine(Text, "    NrOfBands = " + std::to_string(FBands));
    for (std::int32_t Band = 0; Band < FBands; ++Band) {
        AppendLine(Text, "    BandId Begin");
        AppendLine(Text,
                   "      Value=\"" + std::string(BandNames[static_cast<std::size_t>(Band) % 3]) + "\"");
        AppendLine(Text, "    BandId End");
    }
    if (FControlPoints && FControlPoints->Count() > 0) AppendWarpControl(Text);
    AppendLine(Text, "  RasterInfo End");
}

void TErsHeader::AppendWarpControl(std::string& Text) {
    constexpr std::size_t CoordinateWidth = 10;
    AppendLine(Text, "    WarpControl Begin");
    AppendLine(Text, "      WarpType\t= Polynomial");
    AppendLine(Text, "      WarpSampling\t= Nearest");
    AppendLine(Text, "      CoordinateSpace Begin");
    AppendLine(Text, "        Datum      = " + QuoteStr(FWarpDatum));
    AppendLine(Text, "        Projection = " + QuoteStr(FWarpProjection));
    ApplyRawRule();
    AppendLine(Text, "        CoordinateType  = " + CoordTypeName(FWarpCoordType));
    if (FCoordType != coRAW) AppendLine(Text, "        Units      = " + std::string(Units));
    AppendLine(Text, "        Rotation\t= 0:0:0.0");
    AppendLine(Text, "      CoordinateSpace End");
    AppendLine(Text, "      ControlPoints\t= {");
    const auto YesNo = [](bool Flag) { return Flag ? "\tYes" : "\tNo"; };
    for (int Index = 0; Index < FControlPoints->Count(); ++Index) {
        const TGCPoint& Point = *FControlPoints->Items(Index);
        std::string Line =
            "\t\t\t" + Point.GetName() + YesNo(Point.GetActive()) + YesNo(Point.GetSecondFlag());
        for (double Coordinate : {Point.GetCellX(), Point.GetCellY(), Point.GetMapX(), Point.GetMapY()}) {
            Line += '\t';
            Line += HeaderNumberText(Coordinate, CoordinateWidth);
        }
        AppendLine(Text, Line);
    }
    AppendLine(Text, "      }");
    AppendLine(Text, "    WarpControl End");
}

// ---------------------------------------------------------------------------------------------------
// TErsMap2

TErsMap2::TErsMap2() : THeadMap2(std::make_unique<TErsHeader>()) {}

void TErsMap2::SetFileName(const std::string& FileName) {
    SetCellAndHeaderNames(FileName, ".ers");
}

constinit const TImageFormat ErsFormat = ReadWriteFormat<TErsMap2>({.Code = ftErs,
                                                                    .Name = "ER Mapper",
                                                                    .ExtensionKey = "ERS",
                                                                    .Extensions = {".ers"},
                                                                    .Signatures = {Letters(ErsFirstWord)}});

} // namespace vortane
