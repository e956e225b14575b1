// How the benchmarks time and report: one run of a piece of work in
// milliseconds, the median of many (which a run that another program interrupted
// does not move), and the "RESULT|" lines that scripts/bench.sh gathers.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

template <typename F>
double Milliseconds(F&& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

inline double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const size_t n = times.size();
  return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

inline void Result(const std::string& name, double value, const char* unit) {
  std::printf("RESULT|%s|%.3f|%s\n", name.c_str(), value, unit);
}

}  // namespace bench
