// A fresh home folder per test, removed afterwards, and small file helpers on it.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/data_locations.h"

namespace tankora::testing {

class TempHome {
public:
    TempHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tankora-home-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "no temporary folder";
        path_ = pattern;
    }
    ~TempHome() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& path() const { return path_; }
    // The environment of a user with this home and no XDG variables set.
    Environment environment() const {
        Environment environment;
        environment.home = path_;
        return environment;
    }

private:
    std::string path_;
};

inline bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

inline bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

inline std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void putFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good()) << path;
}

}  // namespace tankora::testing
