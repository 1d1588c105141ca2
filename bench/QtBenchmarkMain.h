#pragma once

#include <benchmark/benchmark.h>

// The main of a benchmark program that needs a Qt application object
// (QCoreApplication, or QGuiApplication for fonts and text layout).
template <typename Application>
int RunBenchmarksWithQt(int argc, char** argv)
{
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
