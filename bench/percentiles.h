// p50 / p99 / max of a set of durations, for the benchmarks' one-line
// figures.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The value below which `fraction` of the samples lie (nearest rank).
inline double Percentile(std::vector<double> samples, double fraction) {
  if (samples.empty()) return 0.0;
  std::sort(samples.begin(), samples.end());
  const auto rank = static_cast<size_t>(fraction * static_cast<double>(samples.size()));
  return samples[std::min(samples.size() - 1, rank)];
}

// "p50=1.2 p99=3.4 max=5.6" with the unit after each figure.
inline std::string PercentileFigures(const std::vector<double>& samples, const char* unit,
                                     const char* format = "%.2f") {
  std::string line;
  const std::pair<const char*, double> ranks[] = {{"p50", 0.5}, {"p99", 0.99}, {"max", 1.0}};
  for (const auto& [name, fraction] : ranks) {
    char value[64];
    std::snprintf(value, sizeof value, format, Percentile(samples, fraction));
    line += (line.empty() ? "" : " ") + std::string(name) + "=" + value + unit;
  }
  return line;
}
