// Small tools of the Windows bench: a precise clock, figures of many runs,
// and one printed line per figure.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace bench {

// Milliseconds on the performance counter, which every process of the
// machine shares, so times of two processes can be compared.
double NowMs();
double CounterToMs(LONGLONG counter);

struct Summary {
  double median = 0, worst = 0, best = 0;
  size_t runs = 0;
};
Summary Summarise(std::vector<double> values);

// "section  name  value unit" with the screen size, for docs/performance.md.
void Figure(const char* section, const std::string& name, double value, const char* unit);
void Figure(const char* section, const std::string& name, const Summary& summary, const char* unit);
void Note(const char* section, const std::string& text);

// Times fn repeatedly for about the given time (at least once); milliseconds per call.
template <typename Fn>
double TimePerCall(Fn&& fn, double forMs, int atLeast = 1) {
  double start = NowMs(), now = start;
  int calls = 0;
  do {
    fn();
    ++calls;
    now = NowMs();
  } while (calls < atLeast || now - start < forMs);
  return (now - start) / calls;
}

}  // namespace bench
