// Test helpers: temporary folders, whole-file reads and writes, and log file images
// built in memory from the template so that one byte, length or count can be changed.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "store/byte_order.h"
#include "store/log_file_format.h"
#include "support/temp_folder.h"

namespace tankora::test {

class TempDir {
public:
    std::string file(const std::string& name) const { return folder_.file(name); }
    std::filesystem::path path() const { return folder_.path(); }

private:
    testing::TempFolder folder_{"tankora-store"};
};

using testing::readFileBytes;
using testing::writeFileBytes;

inline std::int32_t int32At(const std::string& bytes, std::size_t offset) {
    return loadInt32(reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset);
}
inline double doubleAt(const std::string& bytes, std::size_t offset) {
    return loadDouble(reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset);
}
inline void putInt32(std::string& bytes, std::size_t offset, std::int32_t value) {
    storeInt32(reinterpret_cast<std::uint8_t*>(bytes.data()) + offset, value);
}
inline void putDouble(std::string& bytes, std::size_t offset, double value) {
    storeDouble(reinterpret_cast<std::uint8_t*>(bytes.data()) + offset, value);
}

inline constexpr std::size_t kHeaderCountAt = 0x10;
inline constexpr std::size_t kHeaderNextIdAt = 0x14;
inline constexpr std::size_t kRecordBytes = 85;
inline constexpr std::size_t kDataAt = 836;

// The log's record with `id` and a serial; the other values follow from the serial.
inline std::string logRecord(std::int32_t id, std::int32_t serial) {
    std::string record(kRecordBytes, '\0');
    putInt32(record, 0, id);
    putInt32(record, 4, serial);
    putDouble(record, 8, 39000.0 + serial);
    putDouble(record, 16, 1000.0 + 10.0 * serial);
    putDouble(record, 32, 30.0 + serial);
    std::memcpy(record.data() + 40, "93", 3);
    putDouble(record, 60, 150.0 + serial);
    record[68] = serial % 2 ? '\x01' : '\x00';
    putDouble(record, 77, 5.0);
    return record;
}

// The template followed by `count` records with ids and serials 1 .. count.
inline std::string logWithRecords(int count) {
    std::string bytes(emptyLogTemplate());
    for (int i = 1; i <= count; ++i) bytes += logRecord(i, i);
    putInt32(bytes, kHeaderCountAt, count);
    putInt32(bytes, kHeaderNextIdAt, count + 1);
    return bytes;
}

inline std::size_t recordAt(int index) { return kDataAt + kRecordBytes * static_cast<std::size_t>(index); }

}  // namespace tankora::test

namespace tankora::test {

// A folder with car.mdb in it, and the file's bytes in and out.
class LogFileTest : public ::testing::Test {
protected:
    void put(const std::string& bytes) { writeFileBytes(path, bytes); }
    std::string bytes() const { return readFileBytes(path); }

    TempDir dir;
    std::string path = dir.file("car.mdb");
};

}  // namespace tankora::test
