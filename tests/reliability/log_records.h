// Reading a log file's records straight from its bytes, for checks that must not trust
// the store under test: which records a file holds, by id, with their bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "store/log_image.h"

namespace tankora::test {

struct StoredRecord {
    std::int32_t id;
    std::string bytes;  // the whole record, id included
};

// The records the header counts, in file order; a short file gives what is there.
inline std::vector<StoredRecord> recordsIn(const std::string& file) {
    std::vector<StoredRecord> records;
    if (file.size() < kDataAt) return records;
    const std::int32_t count = int32At(file, kHeaderCountAt);
    for (std::int32_t i = 0; i < count; ++i) {
        const std::size_t at = recordAt(i);
        if (at + kRecordBytes > file.size()) break;
        records.push_back({int32At(file, at), file.substr(at, kRecordBytes)});
    }
    return records;
}

inline std::vector<StoredRecord> liveRecordsIn(const std::string& file) {
    std::vector<StoredRecord> live;
    for (StoredRecord& r : recordsIn(file))
        if (r.id > 0) live.push_back(std::move(r));
    return live;
}

// `count` records with ids 1 .. count; those in `marked` carry their id negated.
inline std::string logWithMarked(int count, const std::vector<int>& marked) {
    std::string image = logWithRecords(count);
    for (int n : marked) putInt32(image, recordAt(n - 1), -n);
    return image;
}

}  // namespace tankora::test
