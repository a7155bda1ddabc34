#include "raster/osd/osd_map.hpp"

#include "text/strings.hpp"
#include "text/types.hpp"

namespace vortane {

namespace {

constexpr std::string_view Units = "\"METERS\"";

} // namespace

// ---------------------------------------------------------------------------------------------------
// Reading

bool TOsdHeader::ReadHeader(const std::string& FileName) {
    return ReadHeaderLines(FileName, OsdFirstWord);
}

void TOsdHeader::ParseLine(const std::string& Line) {
    if (TakeControlPointLine(Line, &TGCPList::AddFromLine)) return;
    if (HeaderKeyHas(Line, "SPHEROID")) {
        TakeFirstOrWarp(Line, FSpheroidSeen, FSpheroid, FWarpSpheroid);
        FSpheroid = HeaderValue(Line);
    }
    TakeCoordinateSpaceKeys(Line);
    TakeGeometryKeys(Line);
}

// ---------------------------------------------------------------------------------------------------
// Writing

std::string TOsdHeader::HeaderText(const std::tm& LastUpdated) {
    std::string Text;
    AppendLine(Text, "OrthoSetDataHeader [");
    AppendLine(Text, "  Version      = 1.0");
    AppendLine(Text, "  LastUpdated = " + LastUpdatedText(LastUpdated));
    AppendLine(Text, "  DataSetType  = OrthoSetData");
    AppendLine(Text, std::string("  ByteOrder = ") + (FMSBFirst ? "MSBFirst" : "LSBFirst"));
    AppendCoordinateSystem(Text);
    AppendImageInfo(Text);
    AppendLine(Text, "OrthoSetDataHeader ]");
    return Text;
}

void TOsdHeader::AppendCoordinateSystem(std::string& Text) {
    AppendLine(Text, "  CoordinateSystem [");
    AppendLine(Text, "    Datum      = " + QuoteStr(FDatum));
    AppendLine(Text, "    Projection = " + QuoteStr(FProjection));
    if (BothRaw(FDatum, FProjection)) FCoordType = coRAW;
    if (FCoordType != coRAW) {
        AppendLine(Text, "    Spheroid = " + QuoteStr(FSpheroid));
        AppendLine(Text, "    Units      = " + std::string(Units));
    }
    AppendLine(Text, "    CoordinateType  = " + CoordTypeName(FCoordType));
    AppendLine(Text, "  CoordinateSystem ]");
}

void TOsdHeader::AppendImageInfo(std::string& Text) {
    const bool Registered = FCoordType != coRAW;
    AppendLine(Text, "  ImageInfo [");
    AppendLine(Text, "    CellType   = " + CellTypeHeaderName(FCellType));
    if (Registered && FCellSizeX != 0 && FCellSizeY != 0) {
        AppendLine(Text, "    Xdimension = " + HeaderNumberText(FCellSizeX));
        AppendLine(Text, "    Ydimension = " + HeaderNumberText(FCellSizeY));
    }
    AppendLine(Text, "    NrOfLines  = " + std::to_string(FRows));
    AppendLine(Text, "    NrOfCellsPerLine = " + std::to_string(FColumns));
    if (Registered) {
        AppendLine(Text, "    RegistrationPoint [");
        AppendLine(Text, "      Eastings  = " + HeaderNumberText(FEastings));
        AppendLine(Text, "      Northings = " + HeaderNumberText(FNorthings));
        AppendLine(Text, "    RegistrationPoint ]");
        AppendLine(Text, "    RegistrationCellX\t= " + HeaderNumberText(FRegCellX));
        AppendLine(Text, "    RegistrationCellY\t= " + HeaderNumberText(FRegCellY));
    }
    AppendLine(Text, "    NrOfBands = " + std::to_string(FBands));
    if (FControlPoints && FControlPoints->Count() > 0) AppendWarpControl(Text);
    AppendLine(Text, "  ImageInfo ]");
}

void TOsdHeader::AppendWarpControl(std::string& Text) {
    AppendLine(Text, "    WarpControl [");
    AppendLine(Text, "      CoordinateSpace [");
    AppendLine(Text, "        Datum      = " + QuoteStr(FWarpDatum));
    AppendLine(Text, "        Projection = " + QuoteStr(FWarpProjection));
    // The warp block's raw rule sets the data set's coordinate type, which also decides its lines.
    if (BothRaw(FWarpDatum, FWarpProjection)) FCoordType = coRAW;
    if (FCoordType != coRAW) {
        AppendLine(Text, "        Spheroid = " + QuoteStr(FWarpSpheroid));
        AppendLine(Text, "        Units      = " + std::string(Units));
    }
    AppendLine(Text, "        CoordinateType  = " + CoordTypeName(FWarpCoordType));
    AppendLine(Text, "      CoordinateSpace ]");
    AppendLine(Text, "      ControlPoints\t= {");
    for (int Index = 0; Index < FControlPoints->Count(); ++Index)
        AppendLine(Text, "\t\t\t" + FControlPoints->Items(Index)->ToText());
    AppendLine(Text, "      }");
    AppendLine(Text, "    WarpControl ]");
}

// ---------------------------------------------------------------------------------------------------
// TOsdMap2

TOsdMap2::TOsdMap2() : THeadMap2(std::make_unique<TOsdHeader>()) {}

void TOsdMap2::SetFileName(const std::string& FileName) {
    SetCellAndHeaderNames(FileName, ".osd");
}

namespace {

// The record of a format read and written as an ortho data set.
constexpr TImageFormat OrthoFormat(int Code, std::string_view Key, std::string_view Extension,
                                   TSignature Signature) {
    return ReadWriteFormat<TOsdMap2>({.Code = Code,
                                      .Name = "Ortho data set",
                                      .ExtensionKey = Key,
                                      .Extensions = {Extension},
                                      .Signatures = {Signature}});
}

} // namespace

constinit const TImageFormat OsdFormat = OrthoFormat(ftOsd, "OSD", ".osd", Letters(OsdFirstWord));
constinit const TImageFormat GifFormat = OrthoFormat(ftGif, "GIF", ".gif", Letters("GIF8"));
constinit const TImageFormat DcrFormat = OrthoFormat(ftDcr, "DCR", ".dcr", {});
constinit const TImageFormat BitFormat = OrthoFormat(ftBit, "BIT", ".bit", ExactBytes("BITR"));

} // namespace vortane
