#pragma once
// Test helpers: a temporary folder per test and whole-file reads and writes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vortane::test {

class TTempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string Pattern = (std::filesystem::temp_directory_path() / "vortane_raster_XXXXXX").string();
        ASSERT_NE(::mkdtemp(Pattern.data()), nullptr);
        FDir = Pattern;
    }
    void TearDown() override {
        std::error_code Ignored;
        std::filesystem::remove_all(FDir, Ignored);
    }
    std::string Path(const std::string& Name) const { return (FDir / Name).string(); }

    std::filesystem::path FDir;
};

inline void WriteBytes(const std::string& FileName, const std::vector<unsigned char>& Bytes) {
    std::ofstream File(FileName, std::ios::binary | std::ios::trunc);
    File.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

inline void WriteText(const std::string& FileName, const std::string& Text) {
    std::ofstream File(FileName, std::ios::binary | std::ios::trunc);
    File << Text;
}

inline std::vector<unsigned char> ReadBytes(const std::string& FileName) {
    std::ifstream File(FileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

inline std::string ReadText(const std::string& FileName) {
    std::ifstream File(FileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

} // namespace vortane::test
