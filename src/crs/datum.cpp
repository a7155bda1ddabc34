#include "crs/datum.hpp"

#include "text/strings.hpp"
#include "text/tokenizer.hpp"

namespace vortane {

namespace {

constexpr std::string_view FieldSeparator = "\t";

double ReadNumber() {
    return StrToFloatDef(NextToken(FieldSeparator), 0.0);
}

} // namespace

TDatumRecord::TDatumRecord(const std::string& Line) : TCodeObject("") {
    SetParseText(Line);
    Region = NextToken(FieldSeparator);
    Name = NextToken(FieldSeparator);
    SpheroidCode = NextToken(FieldSeparator);
    DX = ReadNumber();
    DY = ReadNumber();
    DZ = ReadNumber();
    RX = ReadNumber();
    RY = ReadNumber();
    RZ = ReadNumber();
    Scale = ReadNumber();
    Comment = NextToken(FieldSeparator);
}

void TDatumRecord::KeepPosition(double Lat, double Lon, double H, double& Lat2, double& Lon2, double& H2) {
    Lat2 = Lat;
    Lon2 = Lon;
    H2 = H;
}

bool TDatumRecord::ShiftToHub(double Lat, double Lon, double H, double& Lat2, double& Lon2,
                              double& H2) const {
    KeepPosition(Lat, Lon, H, Lat2, Lon2, H2);
    return true;
}

bool TDatumRecord::ShiftFromHub(double Lat, double Lon, double H, double& Lat2, double& Lon2,
                                double& H2) const {
    KeepPosition(Lat, Lon, H, Lat2, Lon2, H2);
    return true;
}

} // namespace vortane
