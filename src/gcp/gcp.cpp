#include "gcp/gcp.hpp"

#include "text/map.hpp"
#include "text/strings.hpp"
#include "text/tokenizer.hpp"

#include <cstdio>
#include <exception>

namespace vortane {

namespace {

constexpr std::string_view FieldDelimiters = " \t";

// Field indexes of GetField/SetField.
constexpr int NameField = 0;
constexpr int ActiveField = 1;
constexpr int FirstValueField = 2; // cell X; cell Y, map X, map Y, map Z follow
constexpr int ValueFieldCount = 5;

// Header lines of a ".gcp" file; compared exactly, capital letters only.
constexpr std::string_view SpheroidPrefix = ";S=";
constexpr std::string_view DatumPrefix = ";D=";
constexpr std::string_view ProjectionPrefix = ";P=";

bool IsYes(std::string_view Text)
{
    if (Text.size() != 3)
        return false;
    constexpr std::string_view Yes = "YES";
    for (std::size_t I = 0; I < Yes.size(); ++I) {
        const char Upper = (Text[I] >= 'a' && Text[I] <= 'z') ? char(Text[I] - 'a' + 'A') : Text[I];
        if (Upper != Yes[I])
            return false;
    }
    return true;
}

std::string YesNo(bool Value) { return Value ? "Yes" : "No"; }

// Shortest general-format text of Value with up to 15 significant digits.
std::string GeneralText(double Value)
{
    char Buffer[64];
    std::snprintf(Buffer, sizeof Buffer, "%.15g", Value);
    return Buffer;
}

// The five coordinate fields from the tokenizer's current position, cell X first.
void ReadValueFields(TGCPoint& Point)
{
    for (int I = 0; I < ValueFieldCount; ++I)
        Point.SetField(FirstValueField + I, NextToken(FieldDelimiters));
}

} // namespace

TGCPoint TGCPoint::CreateFromLine(std::string_view Line)
{
    TGCPoint Point;
    SetParseText(std::string(Line));
    Point.SetName(NextToken(FieldDelimiters));
    Point.SetActive(IsYes(NextToken(FieldDelimiters)));
    ReadValueFields(Point);
    return Point;
}

TGCPoint TGCPoint::CreateFromErsLine(std::string_view Line)
{
    TGCPoint Point;
    SetParseText(std::string(Line));
    Point.SetName(NextToken(FieldDelimiters));
    Point.SetActive(IsYes(NextToken(FieldDelimiters)));
    Point.SetSecondFlag(IsYes(NextToken(FieldDelimiters)));
    ReadValueFields(Point);
    return Point;
}

TGCPoint TGCPoint::CreateCopy(const TGCPoint* Source)
{
    TGCPoint Point;
    if (Source == nullptr)
        return Point;
    Point.SetName(Source->GetName());
    Point.SetActive(Source->GetActive());
    Point.SetCellX(Source->GetCellX());
    Point.SetCellY(Source->GetCellY());
    Point.SetMapX(Source->GetMapX());
    Point.SetMapY(Source->GetMapY());
    Point.SetMapZ(Source->GetMapZ());
    return Point;
}

std::string TGCPoint::ToText() const
{
    // Ten significant digits keep map coordinates of national grids exact to the millimetre.
    constexpr int Significant = 10;
    constexpr int Decimals = 3;
    std::string Text = FName.empty() ? std::string("\"\"") : FName;
    Text += ' ';
    Text += FActive ? "Yes " : "No ";
    const double Values[] = {FCellX, FCellY, FMapX, FMapY, FMapZ};
    for (std::size_t I = 0; I < std::size(Values); ++I) {
        if (I > 0)
            Text += ' ';
        Text += FixedText(Values[I], Significant, Decimals);
    }
    return Text;
}

std::string TGCPoint::GetField(int Index) const
{
    switch (Index) {
    case NameField:
        return GetName();
    case ActiveField:
        return YesNo(GetActive());
    case FirstValueField + 0:
        return GeneralText(GetCellX());
    case FirstValueField + 1:
        return GeneralText(GetCellY());
    case FirstValueField + 2:
        return GeneralText(GetMapX());
    case FirstValueField + 3:
        return GeneralText(GetMapY());
    case FirstValueField + 4:
        return GeneralText(GetMapZ());
    default:
        return {};
    }
}

void TGCPoint::SetField(int Index, const std::string& Text)
{
    switch (Index) {
    case NameField:
        SetName(Text);
        break;
    case ActiveField:
        SetActive(IsYes(Text));
        break;
    case FirstValueField + 0:
        SetCellX(StrToFloatDef(Text, 0));
        break;
    case FirstValueField + 1:
        SetCellY(StrToFloatDef(Text, 0));
        break;
    case FirstValueField + 2:
        SetMapX(StrToFloatDef(Text, 0));
        break;
    case FirstValueField + 3:
        SetMapY(StrToFloatDef(Text, 0));
        break;
    case FirstValueField + 4:
        SetMapZ(StrToFloatDef(Text, 0));
        break;
    default:
        break;
    }
}

void TGCPList::AddCopy(const TGCPoint* Source)
{
    FItems.push_back(std::make_unique<TGCPoint>(TGCPoint::CreateCopy(Source)));
}

void TGCPList::AddFromLine(std::string_view Line)
{
    FItems.push_back(std::make_unique<TGCPoint>(TGCPoint::CreateFromLine(Line)));
}

void TGCPList::AddFromErsLine(std::string_view Line)
{
    FItems.push_back(std::make_unique<TGCPoint>(TGCPoint::CreateFromErsLine(Line)));
}

TGCPoint* TGCPList::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        return nullptr;
    return FItems[static_cast<std::size_t>(Index)].get();
}

bool TGCPList::Load(const std::string& FileName)
{
    if (FileName.empty())
        return false;
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

void TGCPList::TakeFileLine(const std::string& Line)
{
    const std::string_view Text = Line;
    if (Text.empty())
        return;
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
