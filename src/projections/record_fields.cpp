#include "projections/record_fields.hpp"

#include "text/strings.hpp"

namespace vortane {

std::string_view TRecordFields::NextField() {
    constexpr char Separator = ',';
    while (FPos < FLine.size() && FLine[FPos] == Separator)
        ++FPos;
    const std::size_t Start = FPos;
    while (FPos < FLine.size() && FLine[FPos] != Separator)
        ++FPos;
    return FLine.substr(Start, FPos - Start);
}

std::string TRecordFields::NextText() {
    return TrimRightBlanks(NextField());
}

std::string TRecordFields::NextSpheroidCode() {
    constexpr std::size_t SpheroidCodeLength = 3;
    return NextText().substr(0, SpheroidCodeLength);
}

double TRecordFields::NextNumber(double Default) {
    return StrToFloatDef(NextField(), Default);
}

} // namespace vortane
