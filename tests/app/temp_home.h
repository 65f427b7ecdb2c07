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
#include "support/temp_folder.h"

namespace tankora::testing {

class TempHome {
public:
    const std::string& path() const { return folder_.path(); }
    // The environment of a user with this home and no XDG variables set.
    Environment environment() const {
        Environment environment;
        environment.home = folder_.path();
        return environment;
    }

private:
    TempFolder folder_{"tankora-home"};
};

inline bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

inline bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace tankora::testing
