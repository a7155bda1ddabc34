#include "crs/spheroid.hpp"

#include "text/catalogue_file.hpp"
#include "text/strings.hpp"
#include "text/tokenizer.hpp"

#include <cmath>

namespace vortane {

namespace {

constexpr double DefaultA = 6378137.0;
constexpr double DefaultInverseF = 298.2572235637;
constexpr std::string_view FieldSeparator = "\t";

// An axis must be a finite positive length; anything else takes the default.
double ReadAxis(const std::string& Field) {
    const double A = StrToFloatDef(Field, DefaultA);
    return std::isfinite(A) && A > 0.0 ? A : DefaultA;
}

// Flattening from the inverse flattening of the file. 0 is the usual way of writing a sphere (1/f
// infinite). Values that give no ellipse (non-finite, or f outside [0, 1)) take the default instead
// of turning every derived quantity into NaN.
double ReadFlattening(const std::string& Field) {
    const double InverseF = StrToFloatDef(Field, DefaultInverseF);
    if (InverseF == 0.0) return 0.0;
    if (!(std::isfinite(InverseF) && InverseF > 1.0)) return 1.0 / DefaultInverseF;
    return 1.0 / InverseF;
}

} // namespace

TSpheroid::TSpheroid(const std::string& Line) : TCodeObject("") {
    // Every coordinate system creates a default spheroid; leaving the shared tokenizer alone then
    // lets a catalogue reader create systems in the middle of parsing a line.
    if (Line.empty()) return;
    SetParseText(Line);
    Name = NextToken(FieldSeparator);
    A = ReadAxis(NextToken(FieldSeparator));
    F = ReadFlattening(NextToken(FieldSeparator));
    Description = NextToken(FieldSeparator);
}

double TSpheroid::E2() const {
    return (2.0 - F) * F;
}

double TSpheroid::EP2() const {
    const double FirstE2 = E2();
    return FirstE2 / (1.0 - FirstE2);
}

double TSpheroid::RadiusN(double Lat) const {
    const double SinLat = std::sin(Lat);
    return A / std::sqrt(1.0 - E2() * SinLat * SinLat);
}

double TSpheroid::Eta2(double Lat) const {
    const double CosLat = std::cos(Lat);
    return EP2() * CosLat * CosLat;
}

bool TSpheroid::AddPrjType(const std::string& TypeName, const TCodeList* Systems, std::int32_t Index) {
    if (TPrjTypeRecord* Record = PrjTypes.Find(TypeName)) {
        Record->Systems = Systems;
        Record->AddRef(Index);
        return true;
    }
    auto Record = std::make_unique<TPrjTypeRecord>(TypeName, Systems);
    Record->AddRef(Index);
    PrjTypes.Add(std::move(Record));
    return true;
}

bool TSpherList::LoadFromFile(const std::string& FileName) {
    return AddCatalogueEntries<TSpheroid>(*this, FileName);
}

} // namespace vortane
