#include "win32/measure_win32.h"

#include <algorithm>
#include <cstdio>

namespace bench {
namespace {
double Frequency() {
  static double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  return frequency;
}
std::string Screen() {
  return std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" + std::to_string(GetSystemMetrics(SM_CYSCREEN));
}
}  // namespace

double CounterToMs(LONGLONG counter) { return counter * 1000.0 / Frequency(); }

double NowMs() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return CounterToMs(now.QuadPart);
}

Summary Summarise(std::vector<double> values) {
  Summary s;
  s.runs = values.size();
  if (values.empty()) return s;
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  s.best = values.front();
  s.worst = values.back();
  return s;
}

void Figure(const char* section, const std::string& name, double value, const char* unit) {
  std::printf("%-9s %-9s %-58s %12.3f %s\n", Screen().c_str(), section, name.c_str(), value, unit);
  std::fflush(stdout);
}

void Figure(const char* section, const std::string& name, const Summary& s, const char* unit) {
  std::printf("%-9s %-9s %-58s %12.3f %s median, worst %.3f, best %.3f, %zu runs\n", Screen().c_str(), section,
              name.c_str(), s.median, unit, s.worst, s.best, s.runs);
  std::fflush(stdout);
}

void Note(const char* section, const std::string& text) {
  std::printf("%-9s %-9s # %s\n", Screen().c_str(), section, text.c_str());
  std::fflush(stdout);
}

}  // namespace bench
