// Summaries and figure lines of the benchmarks.
#include "bench/bench_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

double MicrosecondsBetween(LARGE_INTEGER from, LARGE_INTEGER to) {
    static const double ticksPerMicrosecond = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1e6;
    }();
    return static_cast<double>(to.QuadPart - from.QuadPart) / ticksPerMicrosecond;
}

LARGE_INTEGER PerformanceNow() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

double Percentile(std::vector<double> samples, double percent) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const double rank = std::ceil(percent / 100 * samples.size());
    const size_t index = rank < 1 ? 0 : std::min(samples.size() - 1, static_cast<size_t>(rank) - 1);
    return samples[index];
}

std::string Printed(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

void PrintFigure(const std::string& name, const std::string& value) {
    std::printf("figure: %s | %s | - | -\n", name.c_str(), value.c_str());
    std::fflush(stdout);
}

void PrintFigure(const std::string& name, const std::string& value, const std::string& bound, bool holds) {
    std::printf("figure: %s | %s | %s | %s\n", name.c_str(), value.c_str(), bound.c_str(), holds ? "holds" : "FAILS");
    std::fflush(stdout);
}
