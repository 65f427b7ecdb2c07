// What the entry handlers run against in the tests: a log file in a temporary folder,
// the store, fake settings, toolkit and main window, and the EntryContext over them.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "entry/entry_commands.h"
#include "log/log_refresh.h"
#include "log/test_log_file.h"
#include "support/fake_toolkit.h"
#include "support/fault_injecting_file.h"

namespace tankora::testing {

inline const std::string kFullTankYesText = "\xca\xc7";      // 是
inline const std::string kFullTankNoText = "\xb7\xf1";       // 否
inline const std::string kFailedTitle = "\xca\xa7\xb0\xdc";  // 失败
inline const std::string kNoSuchRecordText =
    "\xce\xde\xb7\xa8\xb2\xe9\xd1\xaf\xb6\xd4\xd3\xa6\xbc\xc7\xc2\xbc";  // 无法查询对应记录
inline const std::string kFuelTypeKey =
    "\xd3\xcd\xba\xc4\xd0\xc5\xcf\xa2\x2e\xc8\xbc\xd3\xcd\xc0\xe0\xd0\xcd";  // 油耗信息.燃油类型
constexpr double kMarch7 = 38418.0;                                          // 2005-03-07

// Types into one box as the user does: that box alone holds the focus.
inline void typeInto(FakeEntryDialog& dialog, EntryBox box, const std::string& text) {
    for (FakeEditBox& b : dialog.boxes) b.focused = false;
    dialog.edit(box).type(text);
}

// Holds a write lock on the whole file through its own open file description, as
// another process would.
class ForeignLock {
public:
    explicit ForeignLock(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_CLOEXEC)) {
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0;
        lock.l_len = 0;  // to the end of any length
        if (fd_ < 0 || ::fcntl(fd_, F_OFD_SETLK, &lock) != 0) ADD_FAILURE() << "cannot lock " << path;
    }
    ~ForeignLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    ForeignLock(const ForeignLock&) = delete;
    ForeignLock& operator=(const ForeignLock&) = delete;

private:
    int fd_;
};

class EntryTest : public ::testing::Test {
protected:
    // Five entries 1000 km apart, each a full fill of 40 litres for 300 yuan.
    void addFiveEntries() {
        std::vector<FuelRecord> entries;
        for (int i = 0; i < 5; ++i) {
            FuelRecord record = entry(kMarch7 + 10 * i, 1000 + 1000 * i, 40, 300);
            record.unitPrice = 7.5;
            entries.push_back(record);
        }
        log.add(entries);
    }
    void refresh() {
        refreshLog(path, store, window, toolkit);
        toolkit.messages.shown.clear();
    }
    void selectRow(int row) { window.list.selected = row; }
    const std::vector<ShownMessage>& shown() const { return toolkit.messages.shown; }

    TestLogFile log;
    std::string path = log.path();
    std::shared_ptr<FaultPlan> faults = std::make_shared<FaultPlan>();
    FuelLogStore store{std::make_shared<FaultInjectingOpener>(faults)};
    FakeSettings settings;
    FakeToolkit toolkit;
    FakeMainWindow window;
    EntryMode entryMode;
    EntryContext context{entryMode, path, store, settings, toolkit, window};
};

}  // namespace tankora::testing
