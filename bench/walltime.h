#pragma once

// Wall-time helpers for benchmarks whose figure is set against a baseline
// measured in the same run.

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

// Mean wall time of one iteration of the timed body, in nanoseconds.
template<typename Body>
double timeLoop(benchmark::State &state, Body body)
{
    QElapsedTimer timer;
    qint64 total = 0;
    for (auto _ : state) {
        timer.start();
        body();
        total += timer.nsecsElapsed();
    }
    return state.iterations() ? double(total) / double(state.iterations()) : 0.0;
}

// The time in ms and, when a baseline was measured, its ratio to it.
inline void setRatio(benchmark::State &state, double ns, double baselineNs)
{
    state.counters["ms"] = ns / 1e6;
    if (baselineNs > 0)
        state.counters["x_baseline"] = ns / baselineNs;
}
