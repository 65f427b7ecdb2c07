#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/app_state.h"
#include "app/main_window_controller.h"
#include "app/settings_file.h"
#include "app/temp_home.h"
#include "entry/entry_mode.h"
#include "store/fuel_log_store.h"
#include "store/log_file.h"
#include "store/log_file_format.h"
#include "support/fake_toolkit.h"

namespace tankora {
namespace {

using testing::exists;
using testing::FakeEntryDialog;
using testing::FakeMainWindow;
using testing::FakeToolkit;
using testing::readFileBytes;
using testing::isFolder;
using testing::writeFileBytes;
using testing::TempHome;

const std::string kNoticeName = "\xe7\x94\xa8\xe6\x88\xb7\xe6\xb3\xa8\xe6\x84\x8f.txt";  // 用户注意.txt
const std::string kPlace = "\xce\xbb\xd6\xc3";                                           // 位置
const std::string kFuelTypeKey =
    "\xd3\xcd\xba\xc4\xd0\xc5\xcf\xa2.\xc8\xbc\xd3\xcd\xc0\xe0\xd0\xcd";  // 油耗信息.燃油类型

// A store that can open no file: whatever lies at the path is left as it is.
class NoFileOpener : public LogFileOpener {
public:
    std::unique_ptr<LogFile> open(const std::string&) override { return nullptr; }
};

// One run of the program's handlers on a temporary home.
struct Session {
    explicit Session(const Environment& environment, std::unique_ptr<FuelLogStore> store = nullptr)
        : store(store ? std::move(store) : std::make_unique<FuelLogStore>()),
          controller(appState, entryMode, *this->store, toolkit, environment) {}

    AppState appState;
    EntryMode entryMode;
    std::unique_ptr<FuelLogStore> store;
    FakeToolkit toolkit;
    FakeMainWindow window;
    MainWindowController controller;
};

class StartUpTest : public ::testing::Test {
protected:
    std::string dataRoot() const { return home.path() + "/.local/share/Ravelt/"; }
    std::string databasePath() const { return dataRoot() + "Tankora/car.mdb"; }
    std::string settingsPath() const { return dataRoot() + "Raveltsoft.p"; }
    TempHome home;
};

TEST_F(StartUpTest, FirstStartLaysOutTheDataRootAndTheEmptyLog) {
    Session session(home.environment());
    session.controller.created(session.window);

    EXPECT_EQ(session.appState.productName, "Tankora");
    EXPECT_EQ(session.appState.version, "3.0");
    EXPECT_EQ(session.appState.settingsPath, settingsPath());
    EXPECT_EQ(session.appState.dataFolder, dataRoot() + "Tankora");
    EXPECT_EQ(session.appState.databasePath, databasePath());
    EXPECT_EQ(session.window.win.title, "Tankora v3.0");

    EXPECT_TRUE(isFolder(dataRoot() + "Tankora"));
    std::string notice = readFileBytes(dataRoot() + kNoticeName);
    EXPECT_EQ(notice.size(), 84u);
    EXPECT_EQ(notice.substr(0, 4), "\xb1\xbe\xc4\xbf");  // 本目
    EXPECT_EQ(notice.substr(82), "\r\n");
    std::string database = readFileBytes(databasePath());
    EXPECT_EQ(database.size(), 836u);
    EXPECT_EQ(database, std::string(emptyLogTemplate()));
    EXPECT_FALSE(exists(settingsPath()));

    EXPECT_EQ(session.window.list.rowCount(), 0);
    EXPECT_TRUE(session.toolkit.messages.shown.empty());
    EXPECT_EQ(session.window.win.state, 0);
    EXPECT_FALSE(exists(home.path() + "/.3d"));
}

TEST_F(StartUpTest, DestroyingStoresTheDisplayStateInTheSettingsFile) {
    Session session(home.environment());
    session.controller.created(session.window);
    session.controller.destroying(session.window);
    EXPECT_EQ(readFileBytes(settingsPath()), "[Tankora]\r\n" + kPlace + "=0\r\n");
}

TEST_F(StartUpTest, TheStoredDisplayStateOpensTheWindow) {
    struct Case {
        const char* stored;  // nullptr: the key is missing
        int expected;
    };
    for (const Case& c : {Case{"3", 3}, Case{"2", 2}, Case{"7", 3}, Case{"3.9", 3}, Case{" 2", 2},
                          Case{"-1", 0}, Case{"abc", 0}, Case{"0", 0}, Case{nullptr, 0}}) {
        std::filesystem::remove(settingsPath());
        Session session(home.environment());
        if (c.stored) {
            std::filesystem::create_directories(dataRoot());
            writeFileBytes(settingsPath(), std::string("[Tankora]\r\n") + kPlace + "=" + c.stored + "\r\n");
        }
        session.controller.created(session.window);
        EXPECT_EQ(session.window.win.displayState(), c.expected) << (c.stored ? c.stored : "(missing)");
    }
}

TEST_F(StartUpTest, ClosingStoresTheStateTheWindowIsIn) {
    struct Case {
        int state;
        std::string stored;
    };
    for (const Case& c : {Case{3, "3"}, Case{0, "0"}, Case{2, "2"}}) {
        Session session(home.environment());
        session.controller.created(session.window);
        session.window.win.state = c.state;
        session.controller.destroying(session.window);
        EXPECT_EQ(readSetting(settingsPath(), "Tankora", kPlace, "none"), c.stored) << c.state;
    }
    // The state written is read back on the next start.
    Session next(home.environment());
    next.controller.created(next.window);
    EXPECT_EQ(next.window.win.displayState(), 2);
}

TEST_F(StartUpTest, AnExistingLogFileIsNeverTouched) {
    std::string damaged = std::string(emptyLogTemplate()).substr(0, 400) + std::string("\xff\x00garbage", 9);
    for (const std::string& contents : {std::string(), std::string("not a log at all"), damaged}) {
        std::filesystem::create_directories(dataRoot() + "Tankora");
        writeFileBytes(databasePath(), contents);
        Session session(home.environment(), std::make_unique<FuelLogStore>(std::make_shared<NoFileOpener>()));
        session.controller.created(session.window);
        EXPECT_EQ(readFileBytes(databasePath()), contents) << contents.size();
    }
}

TEST_F(StartUpTest, AnUnwritableDataRootMovesSettingsAndData) {
    writeFileBytes(home.path() + "/blocker", "x");
    Environment environment = home.environment();
    environment.xdgDataHome = home.path() + "/blocker/share";
    Session session(environment);
    session.controller.created(session.window);

    EXPECT_EQ(session.appState.settingsPath, home.path() + "/.config/Quorbane.txt");
    EXPECT_EQ(session.appState.databasePath, home.path() + "/.3d/Tankora/car.mdb");
    EXPECT_EQ(readFileBytes(home.path() + "/.3d/Tankora/car.mdb"), std::string(emptyLogTemplate()));
    EXPECT_TRUE(session.toolkit.messages.shown.empty());

    session.window.win.state = 3;
    session.controller.destroying(session.window);
    EXPECT_EQ(readFileBytes(home.path() + "/.config/Quorbane.txt"), "[Tankora]\r\n" + kPlace + "=3\r\n");
}

TEST_F(StartUpTest, WithoutADataFolderTheWindowOpensEmptyAfterOneMessage) {
    writeFileBytes(home.path() + "/blocker", "x");
    writeFileBytes(home.path() + "/.3d", "a file where the fallback root would be");
    Environment environment = home.environment();
    environment.xdgDataHome = home.path() + "/blocker";
    Session session(environment);
    session.controller.created(session.window);

    EXPECT_FALSE(exists(session.appState.databasePath));
    ASSERT_EQ(session.toolkit.messages.shown.size(), 1u);
    EXPECT_EQ(session.toolkit.messages.shown[0].text, session.appState.databasePath);
    EXPECT_EQ(session.window.list.rowCount(), 0);
    EXPECT_EQ(session.window.win.title, "Tankora v3.0");
}

TEST_F(StartUpTest, CommandsReachTheLogicWithTheSessionsRecords) {
    Session session(home.environment());
    session.controller.created(session.window);

    session.toolkit.script = [](FakeEntryDialog& dialog, EntryDialogEvents& events) {
        events.cancelClicked(dialog);
    };
    session.controller.addClicked(session.window);
    EXPECT_EQ(session.toolkit.dialogsRun, 1);
    EXPECT_EQ(session.entryMode.mode, EntryMode::kAdd);
    // The dialog keeps its fuel type in this session's settings file.
    EXPECT_NE(readSetting(settingsPath(), "Tankora", kFuelTypeKey, "none"), "none");

    session.controller.modifyClicked(session.window);  // no row selected: nothing opens
    EXPECT_EQ(session.toolkit.dialogsRun, 1);
    EXPECT_EQ(session.entryMode.mode, EntryMode::kModify);
    EXPECT_EQ(session.entryMode.selectedSerial, 0);

    session.controller.closeClicked(session.window);
    EXPECT_TRUE(session.window.destroyed);
}

TEST_F(StartUpTest, TheReportGoesToTheTemporaryFolder) {
    std::string temporary = home.path() + "/tmp";
    std::filesystem::create_directories(temporary);
    Environment environment = home.environment();
    environment.tmpDir = temporary;
    Session session(environment);
    session.controller.created(session.window);
    session.controller.reportClicked(session.window);

    EXPECT_TRUE(exists(temporary + "/tmp.htm"));
    ASSERT_EQ(session.window.link.activated.size(), 1u);
    EXPECT_EQ(session.window.link.activated[0], temporary + "/tmp.htm");
}

}  // namespace
}  // namespace tankora
