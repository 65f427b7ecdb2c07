// Start-up until the main window is first painted, beside a bare Qt window of the same
// size, each pair in the same iteration (wall time: what the user waits for).
//   in process: the program's start-up work (the controller, the main window, its
//     creation handler with data folders, settings, the log and the refresh) in a
//     running application, beside a plain QWidget shown;
//   whole process: this program started again as a child that does what main does on a
//     temporary home, beside a child that only starts Qt and shows a plain window; the
//     child writes the monotonic clock at its first paint.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/data_locations.h"
#include "app/main_window_controller.h"
#include "bench_log.h"
#include "entry/entry_mode.h"
#include "qt_benchmark_main.h"
#include "store/fuel_log_store.h"
#include "ui/qt_main_window.h"
#include "ui/qt_toolkit.h"

extern char** environ;

namespace tankora::bench {
namespace {

constexpr int kClientWidth = 698;  // the main window's client area
constexpr int kClientHeight = 482;
constexpr double kPaintPatienceSeconds = 30.0;
const char* const kChildFlag = "--startup-child";

// Handles events until `window` has had its first paint event (the whole frame is
// painted in the same pass).
void waitForFirstPaint(QWidget& window) {
    struct Watch : QObject {
        bool painted = false;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) painted = true;
            return false;
        }
    } watch;
    window.installEventFilter(&watch);
    const double start = wallSeconds();
    while (!watch.painted) {
        QApplication::processEvents();
        if (wallSeconds() - start > kPaintPatienceSeconds)
            throw std::runtime_error("the window was never painted");
    }
    window.removeEventFilter(&watch);
}

// The data folder's log as the program finds it under `home`, with `entries` entries;
// none: the program starts for the first time and writes the empty template.
void prepareHome(const std::string& home, std::int64_t entries) {
    const std::filesystem::path dataFolder = std::filesystem::path(home) / ".local/share/Ravelt/Tankora";
    std::filesystem::create_directories(dataFolder);
    std::filesystem::remove(dataFolder / "car.mdb");
    if (entries > 0) writeFileBytes((dataFolder / "car.mdb").string(), logFileBytes(entries));
}

// What main does between the toolkit and the message loop.
struct ProgramWindow {
    explicit ProgramWindow(Environment environment)
        : controller(appState, entryMode, store, toolkit, std::move(environment)), window(controller) {
        window.open();
    }
    AppState appState;
    EntryMode entryMode;
    FuelLogStore store;
    QtToolkit toolkit;
    MainWindowController controller;
    QtMainWindow window;
};

void showBareWindow(QWidget& window) {
    window.resize(kClientWidth, kClientHeight);
    window.setWindowTitle(QStringLiteral("Tankora v3.0"));
    window.show();
    waitForFirstPaint(window);
}

void BM_OpenMainWindow(benchmark::State& state) {
    TempFolder home;
    Environment environment;
    environment.home = home.path();
    double programSeconds = 0;
    double bareSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        prepareHome(environment.home, state.range(0));
        state.ResumeTiming();
        double start = wallSeconds();
        {
            auto program = std::make_unique<ProgramWindow>(environment);
            waitForFirstPaint(program->window);
            const double spent = wallSeconds() - start;
            programSeconds += spent;
            state.SetIterationTime(spent);
        }
        start = wallSeconds();
        {
            QWidget bare;
            showBareWindow(bare);
            bareSeconds += wallSeconds() - start;
        }
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["program_ms"] = 1e3 * programSeconds / iterations;
    state.counters["bare_ms"] = 1e3 * bareSeconds / iterations;
    state.counters["ratio"] = programSeconds / bareSeconds;
}
BENCHMARK(BM_OpenMainWindow)
    ->ArgName("entries")
    ->Arg(0)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Starts this program as a child in `mode` on `home`; the seconds from the start until
// the child's first paint.
double timeChildStart(const std::string& mode, const std::string& home) {
    std::vector<std::string> environment;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("HOME=", 0) == 0 || entry.rfind("XDG_", 0) == 0 ||
            entry.rfind("QT_QPA_PLATFORM=", 0) == 0)
            continue;
        environment.push_back(entry);
    }
    environment.push_back("HOME=" + home);
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string flag = kChildFlag;
    std::string childMode = mode;
    char* argv[] = {self.data(), flag.data(), childMode.data(), nullptr};

    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    const double start = wallSeconds();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, self.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0) throw std::runtime_error("cannot start the child");
    char text[64] = {};
    std::size_t got = 0;
    for (ssize_t n;
         got < sizeof text - 1 && (n = ::read(pipeEnds[0], text + got, sizeof text - 1 - got)) > 0;)
        got += static_cast<std::size_t>(n);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (got == 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("the child failed");
    return std::strtod(text, nullptr) - start;
}

void BM_StartProcess(benchmark::State& state) {
    TempFolder home;
    double programSeconds = 0;
    double bareSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        prepareHome(home.path(), state.range(0));
        state.ResumeTiming();
        const double spent = timeChildStart("program", home.path());
        programSeconds += spent;
        state.SetIterationTime(spent);
        bareSeconds += timeChildStart("bare", home.path());
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["program_ms"] = 1e3 * programSeconds / iterations;
    state.counters["bare_ms"] = 1e3 * bareSeconds / iterations;
    state.counters["ratio"] = programSeconds / bareSeconds;
}
BENCHMARK(BM_StartProcess)
    ->ArgName("entries")
    ->Arg(0)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The child: start as main does, paint once, say when, and leave without tearing down.
int runChild(const std::string& mode, int argc, char** argv) {
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    (void)argc;
    std::unique_ptr<ProgramWindow> program;
    QWidget bare;
    if (mode == "program") {
        program = std::make_unique<ProgramWindow>(processEnvironment());
        waitForFirstPaint(program->window);
    } else {
        showBareWindow(bare);
    }
    std::printf("%.9f\n", wallSeconds());
    std::fflush(stdout);
    std::_Exit(0);
}

}  // namespace
}  // namespace tankora::bench

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], tankora::bench::kChildFlag) == 0) {
        return tankora::bench::runChild(argv[2], argc, argv);
    }
    return tankora::bench::runBenchmarksInQtApplication(argc, argv);
}
