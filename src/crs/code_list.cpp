#include "crs/code_list.hpp"

#include <algorithm>

namespace vortane {

bool TRefList::Contains(std::int32_t Value) const {
    return std::find(FValues.begin(), FValues.end(), Value) != FValues.end();
}

void TRefList::Add(std::int32_t Value) {
    if (!Contains(Value)) FValues.push_back(Value);
}

TCodeObject* TCodeList::Find(std::string_view Code) const {
    if (Code.empty()) return nullptr;
    for (const auto& Entry : FItems)
        if (Entry->Name == Code) return Entry.get();
    return nullptr;
}

bool TCodeList::AddRefTo(std::string_view Code, std::int32_t Index) {
    TCodeObject* Entry = Find(Code);
    if (Entry == nullptr) return false;
    Entry->AddRef(Index);
    return true;
}

int TCodeList::Add(std::unique_ptr<TCodeObject> Entry) {
    FItems.push_back(std::move(Entry));
    return Count() - 1;
}

} // namespace vortane
