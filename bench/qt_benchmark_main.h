// Runs the registered benchmarks inside a Qt application, offscreen unless a platform is set.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

namespace tankora::bench {

inline int runBenchmarksInQtApplication(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace tankora::bench
