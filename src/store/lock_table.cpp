#include "store/lock_table.h"

#include "store/log_file_format.h"

namespace tankora {

bool LockTable::isWholeFile(std::int64_t offset, std::int64_t length) {
    return offset == kWholeFileLockOffset && length == kWholeFileLockLength;
}

bool LockTable::insideWholeFile(std::int64_t offset, std::int64_t length) {
    return offset >= kWholeFileLockOffset && length <= kWholeFileLockOffset + kWholeFileLockLength - offset;
}

bool LockTable::coveredByWholeFile(std::int64_t offset, std::int64_t length) const {
    return wholeFileHolds_ > 0 && insideWholeFile(offset, length);
}

int LockTable::holds(std::int64_t offset, std::int64_t length) const {
    if (isWholeFile(offset, length)) return wholeFileHolds_;
    const auto it = rangeHolds_.find({offset, length});
    return it == rangeHolds_.end() ? 0 : it->second;
}

LockResult LockTable::acquire(LogFile& file, std::int64_t offset, std::int64_t length) {
    if (isWholeFile(offset, length)) {
        if (wholeFileHolds_ == 0) {
            const LockResult result = file.lock(offset, length);
            if (result != LockResult::Granted) return result;
        }
        ++wholeFileHolds_;
        return LockResult::Granted;
    }
    const auto key = std::make_pair(offset, length);
    const auto it = rangeHolds_.find(key);
    if (it != rangeHolds_.end()) {
        ++it->second;
        return LockResult::Granted;
    }
    if (!coveredByWholeFile(offset, length)) {
        const LockResult result = file.lock(offset, length);
        if (result != LockResult::Granted) return result;
    }
    rangeHolds_.emplace(key, 1);
    return LockResult::Granted;
}

void LockTable::release(LogFile& file, std::int64_t offset, std::int64_t length) {
    if (isWholeFile(offset, length)) {
        if (wholeFileHolds_ == 0 || --wholeFileHolds_ > 0) return;
        file.unlock(offset, length);
        // Ranges still held lost their lock with the whole file's; take them again.
        for (const auto& [range, count] : rangeHolds_) {
            if (insideWholeFile(range.first, range.second)) file.lock(range.first, range.second);
        }
        return;
    }
    const auto it = rangeHolds_.find({offset, length});
    if (it == rangeHolds_.end() || --it->second > 0) return;
    rangeHolds_.erase(it);
    if (!coveredByWholeFile(offset, length)) file.unlock(offset, length);
}

void LockTable::clear() {
    wholeFileHolds_ = 0;
    rangeHolds_.clear();
}

}  // namespace tankora
