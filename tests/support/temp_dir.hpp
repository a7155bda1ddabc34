#pragma once
// Test scaffolding shared by every test folder: a private temporary folder removed with everything in
// it, a fixture that owns one per test, and whole-file reads and writes.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <stdlib.h>

namespace vortane::test {

// Replaces the file with exactly these bytes.
inline void WriteBytes(const std::string& FileName, const std::vector<unsigned char>& Bytes) {
    std::ofstream File(FileName, std::ios::binary | std::ios::trunc);
    File.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

// Replaces the file with exactly these bytes; binary, so "\n" stays one byte and "\0" is kept.
inline void WriteText(const std::string& FileName, std::string_view Text) {
    std::ofstream File(FileName, std::ios::binary | std::ios::trunc);
    File.write(Text.data(), static_cast<std::streamsize>(Text.size()));
}

// The whole file; empty when it cannot be read.
inline std::vector<unsigned char> ReadBytes(const std::string& FileName) {
    std::ifstream File(FileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

// The little-endian value of type T at Offset of Bytes (a file's fields, as this machine reads them).
template <typename T> T ValueAt(const std::vector<unsigned char>& Bytes, std::size_t Offset) {
    T Value{};
    std::memcpy(&Value, Bytes.data() + Offset, sizeof(T));
    return Value;
}

// The whole file, line ends untouched; empty when it cannot be read.
inline std::string ReadText(const std::string& FileName) {
    std::ifstream File(FileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

// A fresh folder of its own under the system's temporary folder (mkdtemp, so parallel test runs never
// share one), removed with everything in it on destruction. Throws when it cannot be made, which
// GoogleTest reports as a failure of the test that needed it.
class TTempDir {
public:
    TTempDir() {
        std::string Pattern = (std::filesystem::temp_directory_path() / "vortane_test_XXXXXX").string();
        if (::mkdtemp(Pattern.data()) == nullptr)
            throw std::system_error(errno, std::generic_category(), "mkdtemp " + Pattern);
        FDir = Pattern;
    }
    ~TTempDir() {
        std::error_code Ignored; // a test may leave something unremovable; never throw from here
        std::filesystem::remove_all(FDir, Ignored);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Dir() const { return FDir; }
    // Name inside the folder; "" gives the folder itself.
    std::string Path(const std::string& Name) const { return (FDir / Name).string(); }
    // Writes Bytes to Name inside the folder and gives the file's path.
    std::string WriteFile(const std::string& Name, std::string_view Bytes) const {
        WriteText(Path(Name), Bytes);
        return Path(Name);
    }

private:
    std::filesystem::path FDir;
};

// A fixture with a temporary folder of its own for every test.
class TTempDirTest : public ::testing::Test {
protected:
    const std::filesystem::path& Dir() const { return FTemp.Dir(); }
    std::string Path(const std::string& Name) const { return FTemp.Path(Name); }
    std::string WriteFile(const std::string& Name, std::string_view Bytes) const {
        return FTemp.WriteFile(Name, Bytes);
    }

private:
    TTempDir FTemp;
};

} // namespace vortane::test
