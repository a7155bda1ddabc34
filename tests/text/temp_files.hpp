#pragma once
// A private temporary folder per test, removed with everything in it afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace vortane::test_support {

class TTempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string Pattern = (std::filesystem::temp_directory_path() / "vortane-text-XXXXXX").string();
        ASSERT_NE(::mkdtemp(Pattern.data()), nullptr);
        FDir = Pattern;
    }
    void TearDown() override { std::filesystem::remove_all(FDir); }

    std::string WriteFile(const std::string& Name, std::string_view Bytes) const {
        const std::string Path = (FDir / Name).string();
        std::ofstream(Path, std::ios::binary).write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
        return Path;
    }
    std::string PathOf(const std::string& Name) const { return (FDir / Name).string(); }

private:
    std::filesystem::path FDir;
};

} // namespace vortane::test_support
