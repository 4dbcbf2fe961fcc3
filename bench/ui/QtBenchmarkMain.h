// The main of a window benchmark: one QApplication on the offscreen
// platform around the registered benchmarks; afterRun tears down what must
// go before the application does.
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <functional>

inline int RunQtBenchmarks(int argc, char** argv, const std::function<void()>& afterRun = {})
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (afterRun)
        afterRun();
    return 0;
}
