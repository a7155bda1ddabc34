#pragma once
// The base of every catalogue: entries named by a code, each with a list of integer references, kept
// in owning lists that find entries by exact, case-sensitive code. An entry's index in its list is
// what other entries' references hold, so lists only ever append.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortane {

// Ordered list of unique integers.
class TRefList {
public:
    bool Contains(std::int32_t Value) const;
    void Add(std::int32_t Value); // ignored when already present
    int Count() const { return static_cast<int>(FValues.size()); }
    std::int32_t operator[](int Index) const { return FValues[static_cast<std::size_t>(Index)]; }
    const std::vector<std::int32_t>& Values() const { return FValues; }

private:
    std::vector<std::int32_t> FValues;
};

class TCodeObject {
public:
    explicit TCodeObject(std::string Code) : Name(std::move(Code)) {}
    virtual ~TCodeObject() = default;
    TCodeObject(const TCodeObject&) = default;
    TCodeObject& operator=(const TCodeObject&) = default;

    void AddRef(std::int32_t Index) { Refs.Add(Index); }
    int RefCount() const { return Refs.Count(); }

    std::string Name;
    TRefList Refs;
};

// Owning list of entries in insertion order.
class TCodeList {
public:
    TCodeList() = default;
    virtual ~TCodeList() = default;
    TCodeList(const TCodeList&) = delete;
    TCodeList& operator=(const TCodeList&) = delete;

    // First entry whose Name equals Code byte for byte; nullptr when Code is empty or nothing matches.
    TCodeObject* Find(std::string_view Code) const;
    bool AddRefTo(std::string_view Code, std::int32_t Index);
    int Count() const { return static_cast<int>(FItems.size()); }
    TCodeObject* Item(int Index) const { return FItems[static_cast<std::size_t>(Index)].get(); }
    // Appends and returns the new entry's index.
    int Add(std::unique_ptr<TCodeObject> Entry);

protected:
    std::vector<std::unique_ptr<TCodeObject>> FItems;
};

// A TCodeList whose entries are all of type T, with typed access.
template <class T> class TCodeListOf : public TCodeList {
public:
    TCodeListOf() = default;
    // Deep copy; only instantiated for copyable entry types.
    TCodeListOf(const TCodeListOf& Other) : TCodeList() { CopyFrom(Other); }
    TCodeListOf& operator=(const TCodeListOf& Other) {
        if (this != &Other) {
            FItems.clear();
            CopyFrom(Other);
        }
        return *this;
    }

    T* Find(std::string_view Code) const { return static_cast<T*>(TCodeList::Find(Code)); }
    T* Item(int Index) const { return static_cast<T*>(TCodeList::Item(Index)); }
    int Add(std::unique_ptr<T> Entry) { return TCodeList::Add(std::move(Entry)); }

private:
    void CopyFrom(const TCodeListOf& Other) {
        for (int i = 0; i < Other.Count(); ++i)
            Add(std::make_unique<T>(*Other.Item(i)));
    }
};

} // namespace vortane
