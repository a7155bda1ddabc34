#include "gcp/gcp.hpp"

#include "text/map.hpp"
#include "text/strings.hpp"
#include "text/tokenizer.hpp"

#include <exception>
#include <iterator>

namespace vortane {

namespace {

constexpr std::string_view FieldDelimiters = " \t";

// Field indexes of GetField/SetField.
constexpr int NameField = 0;
constexpr int ActiveField = 1;
constexpr int FirstValueField = 2; // cell X; cell Y, map X, map Y, map Z follow

// The accessors of the five values, in field order.
struct TValueAccess {
    double (TGCPoint::*Get)() const;
    void (TGCPoint::*Set)(double);
};
constexpr TValueAccess ValueAccess[] = {
    {&TGCPoint::GetCellX, &TGCPoint::SetCellX}, {&TGCPoint::GetCellY, &TGCPoint::SetCellY},
    {&TGCPoint::GetMapX, &TGCPoint::SetMapX},   {&TGCPoint::GetMapY, &TGCPoint::SetMapY},
    {&TGCPoint::GetMapZ, &TGCPoint::SetMapZ},
};
constexpr int ValueFieldCount = static_cast<int>(std::size(ValueAccess));

// The accessors of field Index; null for the name, the flag and indexes out of range.
const TValueAccess* ValueField(int Index) {
    if (Index < FirstValueField || Index >= FirstValueField + ValueFieldCount) return nullptr;
    return &ValueAccess[Index - FirstValueField];
}

// Header lines of a ".gcp" file; compared exactly, capital letters only.
constexpr std::string_view SpheroidPrefix = ";S=";
constexpr std::string_view DatumPrefix = ";D=";
constexpr std::string_view ProjectionPrefix = ";P=";

bool IsYes(std::string_view Text) {
    return UpperCase(Text) == "YES";
}

std::string YesNo(bool Value) {
    return Value ? "Yes" : "No";
}

// Name, first flag, the second flag when the line carries one, then the five values, cell X first.
TGCPoint PointFromLine(std::string_view Line, bool WithSecondFlag) {
    TGCPoint Point;
    SetParseText(std::string(Line));
    Point.SetName(NextToken(FieldDelimiters));
    Point.SetActive(IsYes(NextToken(FieldDelimiters)));
    if (WithSecondFlag) Point.SetSecondFlag(IsYes(NextToken(FieldDelimiters)));
    for (int I = 0; I < ValueFieldCount; ++I)
        Point.SetField(FirstValueField + I, NextToken(FieldDelimiters));
    return Point;
}

} // namespace

TGCPoint TGCPoint::CreateFromLine(std::string_view Line) {
    return PointFromLine(Line, false);
}

TGCPoint TGCPoint::CreateFromErsLine(std::string_view Line) {
    return PointFromLine(Line, true);
}

TGCPoint TGCPoint::CreateCopy(const TGCPoint* Source) {
    TGCPoint Point;
    if (Source == nullptr) return Point;
    Point.SetName(Source->GetName());
    Point.SetActive(Source->GetActive());
    for (const TValueAccess& Value : ValueAccess)
        (Point.*Value.Set)((Source->*Value.Get)());
    return Point;
}

std::string TGCPoint::ToText() const {
    // Ten significant digits keep map coordinates of national grids exact to the millimetre.
    constexpr int Significant = 10;
    constexpr int Decimals = 3;
    std::string Text = FName.empty() ? std::string("\"\"") : FName;
    Text += ' ';
    Text += FActive ? "Yes " : "No ";
    const double Values[] = {FCellX, FCellY, FMapX, FMapY, FMapZ};
    for (std::size_t I = 0; I < std::size(Values); ++I) {
        if (I > 0) Text += ' ';
        Text += FixedText(Values[I], Significant, Decimals);
    }
    return Text;
}

std::string TGCPoint::GetField(int Index) const {
    if (Index == NameField) return GetName();
    if (Index == ActiveField) return YesNo(GetActive());
    if (const TValueAccess* Value = ValueField(Index)) return GeneralText((this->*Value->Get)());
    return {};
}

void TGCPoint::SetField(int Index, const std::string& Text) {
    if (Index == NameField)
        SetName(Text);
    else if (Index == ActiveField)
        SetActive(IsYes(Text));
    else if (const TValueAccess* Value = ValueField(Index))
        (this->*Value->Set)(StrToFloatDef(Text, 0));
}

void TGCPList::AddCopy(const TGCPoint* Source) {
    FItems.push_back(std::make_unique<TGCPoint>(TGCPoint::CreateCopy(Source)));
}

void TGCPList::AddFromLine(std::string_view Line) {
    FItems.push_back(std::make_unique<TGCPoint>(TGCPoint::CreateFromLine(Line)));
}

void TGCPList::AddFromErsLine(std::string_view Line) {
    FItems.push_back(std::make_unique<TGCPoint>(TGCPoint::CreateFromErsLine(Line)));
}

TGCPoint* TGCPList::Items(int Index) const {
    if (Index < 0 || Index >= Count()) return nullptr;
    return FItems[static_cast<std::size_t>(Index)].get();
}

bool TGCPList::Load(const std::string& FileName) {
    if (FileName.empty()) return false;
    Clear();
    try {
        TReadLine Reader(FileName);
        std::string Line;
        for (Reader.ReadLine(Line); !IsEndMarker(Line); Reader.ReadLine(Line))
            TakeFileLine(Line);
    } catch (const std::exception&) {
        // Missing, empty or unreadable file: the image simply has no control points.
        return false;
    }
    return true;
}

void TGCPList::TakeFileLine(const std::string& Line) {
    const std::string_view Text = Line;
    if (Text.empty()) return;
    if (Text.starts_with(SpheroidPrefix))
        FSpheroid = Text.substr(SpheroidPrefix.size());
    else if (Text.starts_with(DatumPrefix))
        FDatum = Text.substr(DatumPrefix.size());
    else if (Text.starts_with(ProjectionPrefix))
        FProjection = Text.substr(ProjectionPrefix.size());
    else if (Text.front() != ';')
        AddFromLine(Text);
}

} // namespace vortane
