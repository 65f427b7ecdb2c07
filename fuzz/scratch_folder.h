// A private folder for the files a fuzz target writes, made once per process. Memory
// backed when the system has /dev/shm, so the syncs of the code under test cost little.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "fuzz_check.h"

inline const std::string& scratchFolder() {
    static const std::string folder = [] {
        std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        pattern += "/tankora-fuzz-XXXXXX";
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        return pattern;
    }();
    return folder;
}
