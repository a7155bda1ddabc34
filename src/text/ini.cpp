#include "text/ini.hpp"

#include <SimpleIni.h>

#include <charconv>
#include <fstream>
#include <sys/stat.h>

namespace vortane {

struct TIniAdd::TStore : CSimpleIniA {};

namespace {

// Lines of text files this program writes end with CR LF.
std::string WithCrLf(const std::string& Text) {
    std::string Result;
    Result.reserve(Text.size() + Text.size() / 16);
    for (std::size_t I = 0; I < Text.size(); ++I) {
        if (Text[I] == '\n' && (I == 0 || Text[I - 1] != '\r')) Result.push_back('\r');
        Result.push_back(Text[I]);
    }
    return Result;
}

bool IsRegularFile(const std::string& FileName) {
    struct stat Status {};
    return ::stat(FileName.c_str(), &Status) == 0 && S_ISREG(Status.st_mode);
}

} // namespace

TIniAdd::TIniAdd(std::string FileName) : FFileName(std::move(FileName)), FIni(std::make_unique<TStore>()) {
    FIni->SetSpaces(false); // "key=value", the usual ini form
    // An unreadable or broken file simply leaves the settings empty: every read gives its default.
    if (IsRegularFile(FFileName)) FIni->LoadFile(FFileName.c_str());
}

TIniAdd::~TIniAdd() = default;

std::string TIniAdd::ReadString(const std::string& Section, const std::string& Key,
                                const std::string& Default) const {
    const char* Value = FIni->GetValue(Section.c_str(), Key.c_str(), nullptr);
    return Value != nullptr ? std::string(Value) : Default;
}

long TIniAdd::ReadInteger(const std::string& Section, const std::string& Key, long Default) const {
    const std::string Text = ReadString(Section, Key, "");
    long Value = 0;
    const char* First = Text.data();
    const char* Last = First + Text.size();
    if (First != Last && *First == '+') ++First;
    const auto [End, Error] = std::from_chars(First, Last, Value);
    return Error == std::errc() && End == Last && First != Last ? Value : Default;
}

// Booleans are stored as integers; any non-zero number is true.
bool TIniAdd::ReadBool(const std::string& Section, const std::string& Key, bool Default) const {
    return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

void TIniAdd::WriteString(const std::string& Section, const std::string& Key, const std::string& Value) {
    FIni->SetValue(Section.c_str(), Key.c_str(), Value.c_str());
}

void TIniAdd::WriteInteger(const std::string& Section, const std::string& Key, long Value) {
    WriteString(Section, Key, std::to_string(Value));
}

void TIniAdd::WriteBool(const std::string& Section, const std::string& Key, bool Value) {
    WriteInteger(Section, Key, Value ? 1 : 0);
}

std::vector<std::string> TIniAdd::ReadSectionValues(const std::string& Section) const {
    CSimpleIniA::TNamesDepend Keys;
    FIni->GetAllKeys(Section.c_str(), Keys);
    Keys.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::string> Values;
    for (const CSimpleIniA::Entry& Key : Keys) {
        const char* Value = FIni->GetValue(Section.c_str(), Key.pItem, "");
        Values.emplace_back(Value != nullptr ? Value : "");
    }
    return Values;
}

bool TIniAdd::Save() const {
    std::string Text;
    if (FIni->Save(Text) < 0) return false;
    std::ofstream File(FFileName, std::ios::binary | std::ios::trunc);
    File << WithCrLf(Text);
    File.close();
    return static_cast<bool>(File);
}

} // namespace vortane
