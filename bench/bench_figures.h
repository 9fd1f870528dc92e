// What every benchmark prints and how it summarises its samples. Each
// figure goes on one line that the release's bench script collects:
//   figure: <name> | <value and unit> | <bound or -> | <holds|FAILS|->
#pragma once

#include <windows.h>
#include <string>
#include <vector>

// Microseconds between two QueryPerformanceCounter readings.
double MicrosecondsBetween(LARGE_INTEGER from, LARGE_INTEGER to);
LARGE_INTEGER PerformanceNow();

// Nearest-rank percentile (0..100) of the samples; 0 when there are none.
double Percentile(std::vector<double> samples, double percent);
inline double Median(const std::vector<double>& samples) { return Percentile(samples, 50); }

// printf into a string.
std::string Printed(const char* format, ...);

// A figure without a bound.
void PrintFigure(const std::string& name, const std::string& value);
// A figure with its bound; the verdict is "holds" or "FAILS".
void PrintFigure(const std::string& name, const std::string& value, const std::string& bound, bool holds);
