// What the log benchmarks share: a temporary folder on the real disk, log files of any
// size built from records the store itself wrote, marked records for the purge, and
// the clocks the paired measurements use.
#pragma once

#include <stdlib.h>
#include <time.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/byte_order.h"
#include "store/fuel_log_store.h"
#include "store/log_file_format.h"
#include "support/temp_folder.h"
#include "text/value_text.h"

namespace tankora::bench {

using testing::TempFolder;
using testing::writeFileBytes;

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One year of weekly refuels, written through the store so that every byte is one the
// program itself would write; larger logs repeat the year with later dates and
// readings.
constexpr int kEntriesPerYear = 52;
constexpr double kFirstDate = 38353.0;  // 2005-01-01
constexpr double kDaysPerYear = 364.0;
constexpr double kKilometresPerWeek = 480.0;

inline std::string storeWrittenYear() {
    TempFolder folder;
    const std::string path = folder.file("car.mdb");
    writeFileBytes(path, emptyLogTemplate());
    FuelLogStore store;
    if (!store.open(path)) throw std::runtime_error("cannot open " + path);
    for (int week = 0; week < kEntriesPerYear; ++week) {
        const double litres = 30.0 + (week * 7 % 23) + 0.37 * (week % 5);
        const double price = 4.5 + 0.01 * (week % 40);
        const bool full = week % 6 != 5;
        std::vector<OptionalFieldValue> values = {
            FieldValue::ofReal(week + 1),
            FieldValue::ofDateTime(kFirstDate + 7.0 * week + 0.35),
            FieldValue::ofReal(12000.0 + kKilometresPerWeek * week + (week % 9) * 13.7),
            FieldValue::ofReal(0.0),
            FieldValue::ofReal(litres),
            FieldValue::ofText(week % 4 == 3 ? "97" : "93"),
            FieldValue::ofReal(roundTo(litres * price, 2)),
            FieldValue::ofLogical(full),
            FieldValue::ofReal(0.0),
            FieldValue::ofReal(price)};
        if (!store.addRecord(values)) throw std::runtime_error("cannot add to " + path);
    }
    store.close(path);
    const std::string bytes = readWholeFile(path);
    return bytes.substr(static_cast<std::size_t>(kLogDataStart));
}

// The bytes of a log of `entries` records; every `markEvery`-th record (1st, 3rd, ...
// for 2) is marked deleted when markEvery > 0.
inline std::string logFileBytes(std::int64_t entries, int markEvery = 0) {
    static const std::string year = storeWrittenYear();
    std::string bytes(emptyLogTemplate());
    bytes.resize(static_cast<std::size_t>(kLogDataStart + entries * kLogRecordLength));
    auto* data = reinterpret_cast<std::uint8_t*>(bytes.data());
    storeInt32(data + kStoredRecordsOffset, static_cast<std::int32_t>(entries));
    storeInt32(data + kNextRecordIdOffset, static_cast<std::int32_t>(entries + 1));
    const auto fieldOffset = [](int field) { return kFuelRecordFields[field - 1].offset; };
    for (std::int64_t i = 0; i < entries; ++i) {
        const std::int64_t week = i % kEntriesPerYear;
        const std::int64_t years = i / kEntriesPerYear;
        std::uint8_t* record = data + kLogDataStart + i * kLogRecordLength;
        std::copy_n(year.data() + week * kLogRecordLength, kLogRecordLength, reinterpret_cast<char*>(record));
        const std::int32_t id = static_cast<std::int32_t>(i + 1);
        const bool marked = markEvery > 0 && i % markEvery == 0;
        storeInt32(record + kRecordIdOffset, marked ? -id : id);
        storeInt32(record + fieldOffset(kSerialField), id);
        const double date = loadDouble(record + fieldOffset(kDateField)) + kDaysPerYear * years;
        storeDouble(record + fieldOffset(kDateField), date);
        const double odometer =
            loadDouble(record + fieldOffset(kOdometerField)) + kKilometresPerWeek * kEntriesPerYear * years;
        storeDouble(record + fieldOffset(kOdometerField), odometer);
    }
    return bytes;
}

// CPU time of the calling thread, its system calls included: what the pairs compare,
// so that other work on the machine counts as little as it can.
inline double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

inline double wallSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

}  // namespace tankora::bench
