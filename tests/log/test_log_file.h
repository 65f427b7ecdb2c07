// A log file in a fresh temporary folder, started from the empty template and filled
// through the record store, for the tests of the refresh and of the entry handlers.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "log/field_reading.h"
#include "store/fuel_log_store.h"
#include "store/log_file_format.h"
#include "support/temp_folder.h"

namespace tankora::testing {

inline const std::string kTestFuelType = "93";

// An entry with the values the tests care about; the rest stays plain.
inline FuelRecord entry(double date, double odometer, double litres, double amount, bool fullTank = true) {
    FuelRecord record;
    record.date = date;
    record.odometer = odometer;
    record.litres = litres;
    record.amount = amount;
    record.fullTank = fullTank;
    record.fuelType = kTestFuelType;
    return record;
}

inline std::vector<OptionalFieldValue> fieldValuesOf(const FuelRecord& r) {
    return {FieldValue::ofInteger(r.serial),
            FieldValue::ofDateTime(r.date),
            FieldValue::ofReal(r.odometer),
            FieldValue::ofReal(r.distance),
            FieldValue::ofReal(r.litres),
            FieldValue::ofText(r.fuelType),
            FieldValue::ofReal(r.amount),
            FieldValue::ofLogical(r.fullTank),
            FieldValue::ofReal(r.consumptionEstimate),
            FieldValue::ofReal(r.unitPrice)};
}

class TestLogFile {
public:
    TestLogFile() : path_(folder_.file("car.mdb")) { writeFileBytes(path_, emptyLogTemplate()); }
    TestLogFile(const TestLogFile&) = delete;
    TestLogFile& operator=(const TestLogFile&) = delete;

    const std::string& path() const { return path_; }
    std::filesystem::path folder() const { return folder_.path(); }

    // Appends the entries; a serial of 0 becomes the record's position.
    void add(const std::vector<FuelRecord>& entries) {
        FuelLogStore store;
        ASSERT_TRUE(store.open(path_));
        for (FuelRecord record : entries) {
            if (record.serial == 0) record.serial = store.recordCount() + 1;
            ASSERT_TRUE(store.addRecord(fieldValuesOf(record)));
        }
        store.close(path_);
    }

    // Every record as stored, in file order.
    std::vector<FuelRecord> records() const {
        std::vector<FuelRecord> result;
        FuelLogStore store;
        if (!store.open(path_)) {
            ADD_FAILURE() << "cannot open " << path_;
            return result;
        }
        const std::int32_t n = store.recordCount();
        for (std::int32_t i = 0; i < n; ++i) {
            result.push_back(readFuelRecord(store));
            store.skip(1);
        }
        store.close(path_);
        return result;
    }

    // Gives field `fieldNumber` another type code in the file's field table, as a file
    // made by other means might have it.
    void retypeField(int fieldNumber, std::int32_t type) {
        std::fstream file(path_, std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(kFieldTableOffset + kFieldEntryLength * (fieldNumber - 1) + kEntryTypeOffset);
        const char bytes[4] = {static_cast<char>(type & 0xFF), static_cast<char>((type >> 8) & 0xFF),
                               static_cast<char>((type >> 16) & 0xFF),
                               static_cast<char>((type >> 24) & 0xFF)};
        file.write(bytes, sizeof bytes);
        if (!file.good()) ADD_FAILURE() << "cannot retype a field of " << path_;
    }

    std::string bytes() const { return readFileBytes(path_); }

private:
    TempFolder folder_{"tankora-log"};
    std::string path_;
};

}  // namespace tankora::testing
