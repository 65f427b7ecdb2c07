// The byte-range locks one store holds, with a hold count per range. While the whole
// file is held, ranges inside it take no lock of their own: with open file description
// locks, unlocking a byte inside our own whole-file lock would punch a hole in it.
#pragma once

#include <cstdint>
#include <map>
#include <utility>

#include "store/log_file.h"

namespace tankora {

class LockTable {
public:
    LockResult acquire(LogFile& file, std::int64_t offset, std::int64_t length);
    void release(LogFile& file, std::int64_t offset, std::int64_t length);
    // Forgets every hold; the caller is about to close the file, which drops its locks.
    void clear();

    bool holdsWholeFile() const { return wholeFileHolds_ > 0; }
    int holds(std::int64_t offset, std::int64_t length) const;

private:
    static bool isWholeFile(std::int64_t offset, std::int64_t length);
    static bool insideWholeFile(std::int64_t offset, std::int64_t length);
    bool coveredByWholeFile(std::int64_t offset, std::int64_t length) const;

    int wholeFileHolds_ = 0;
    std::map<std::pair<std::int64_t, std::int64_t>, int> rangeHolds_;
};

}  // namespace tankora
