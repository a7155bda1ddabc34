#pragma once
// Ini files on SimpleIni, with a reader that also gives the value list of a section.

#include <memory>
#include <string>
#include <vector>

namespace vortane {

class TIniAdd {
public:
    explicit TIniAdd(std::string FileName); // loads the file when it exists
    ~TIniAdd();
    TIniAdd(const TIniAdd&) = delete;
    TIniAdd& operator=(const TIniAdd&) = delete;

    std::string ReadString(const std::string& Section, const std::string& Key,
                           const std::string& Default) const;
    long ReadInteger(const std::string& Section, const std::string& Key, long Default) const;
    bool ReadBool(const std::string& Section, const std::string& Key, bool Default) const;
    void WriteString(const std::string& Section, const std::string& Key, const std::string& Value);
    void WriteInteger(const std::string& Section, const std::string& Key, long Value);
    void WriteBool(const std::string& Section, const std::string& Key, bool Value);
    // The values of every key of Section in key order, without "key=".
    std::vector<std::string> ReadSectionValues(const std::string& Section) const;
    bool Save() const; // false when the file cannot be written

private:
    struct TStore; // the SimpleIni document, kept out of this header
    std::string FFileName;
    std::unique_ptr<TStore> FIni;
};

} // namespace vortane
