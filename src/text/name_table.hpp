#pragma once
// Tables that name the values of an enumeration the way options and settings spell them, and the three
// ways they are looked at: the name of a value, the value of a name, and every name for a help text.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace vortane {

template <class T> using TNamed = std::pair<T, std::string_view>;

// The name Table gives Value; empty when it has none.
template <class T, std::size_t N> std::string_view NameIn(const TNamed<T> (&Table)[N], T Value) {
    for (const auto& [Known, Name] : Table)
        if (Known == Value) return Name;
    return {};
}

// The value Table names exactly so; nothing for any other text.
template <class T, std::size_t N>
std::optional<T> ValueIn(const TNamed<T> (&Table)[N], std::string_view Name) {
    for (const auto& [Value, Known] : Table)
        if (Known == Name) return Value;
    return std::nullopt;
}

// Every name of Table in its order, joined by Separator.
template <class T, std::size_t N>
std::string NamesIn(const TNamed<T> (&Table)[N], std::string_view Separator) {
    std::string Names;
    for (const auto& Entry : Table)
        Names.append(Names.empty() ? "" : Separator).append(Entry.second);
    return Names;
}

} // namespace vortane
