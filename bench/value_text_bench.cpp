// numberToText and textToNumber beside the C library's "%.13g" and strtod on the
// same inputs: everyday figures (prices, litres, distances) and doubles of all magnitudes.
#include <benchmark/benchmark.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "text/value_text.h"

namespace {

constexpr std::size_t kInputs = 4096;

std::vector<double> figures() {
    std::mt19937_64 random(42);
    std::vector<double> values;
    for (std::size_t i = 0; i < kInputs; ++i) {
        const double cents = static_cast<double>(random() % 100000);
        switch (i % 4) {
            case 0:
                values.push_back(cents / 100);
                break;  // an amount
            case 1:
                values.push_back(cents / 100 / 7.25);
                break;  // litres, unrounded
            case 2:
                values.push_back(static_cast<double>(random() % 300000));
                break;  // odometer
            default:
                values.push_back(tankora::roundTo(cents / 977.0, 2));
                break;  // a rounded figure
        }
    }
    return values;
}

std::vector<double> allMagnitudes() {
    std::mt19937_64 random(7);
    std::vector<double> values;
    while (values.size() < kInputs) {
        const double x = std::bit_cast<double>(random());
        if (std::isfinite(x)) values.push_back(x);
    }
    return values;
}

std::vector<double> inputs(int set) { return set == 0 ? figures() : allMagnitudes(); }

std::vector<std::string> texts(int set) {
    std::vector<std::string> result;
    for (double x : inputs(set)) result.push_back(tankora::numberToText(x));
    return result;
}

void label(benchmark::State& state) {
    state.SetLabel(state.range(0) == 0 ? "figures" : "all magnitudes");
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kInputs);
}

void BM_NumberToText(benchmark::State& state) {
    const auto values = inputs(static_cast<int>(state.range(0)));
    for (auto _ : state)
        for (double x : values) benchmark::DoNotOptimize(tankora::numberToText(x));
    label(state);
}

void BM_SnprintfG13(benchmark::State& state) {
    const auto values = inputs(static_cast<int>(state.range(0)));
    char buffer[48];
    for (auto _ : state) {
        for (double x : values) {
            benchmark::DoNotOptimize(std::snprintf(buffer, sizeof buffer, "%.13g", x));
            benchmark::ClobberMemory();
        }
    }
    label(state);
}

void BM_TextToNumber(benchmark::State& state) {
    const auto values = texts(static_cast<int>(state.range(0)));
    for (auto _ : state)
        for (const auto& text : values) benchmark::DoNotOptimize(tankora::textToNumber(text));
    label(state);
}

void BM_Strtod(benchmark::State& state) {
    const auto values = texts(static_cast<int>(state.range(0)));
    for (auto _ : state)
        for (const auto& text : values) benchmark::DoNotOptimize(std::strtod(text.c_str(), nullptr));
    label(state);
}

BENCHMARK(BM_NumberToText)->Arg(0)->Arg(1);
BENCHMARK(BM_SnprintfG13)->Arg(0)->Arg(1);
BENCHMARK(BM_TextToNumber)->Arg(0)->Arg(1);
BENCHMARK(BM_Strtod)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
