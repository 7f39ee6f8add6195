// What the benchmark runs measured, kept for the summary of ratios printed
// after them: the fastest repetition of each benchmark, by name.
#pragma once

#include <map>
#include <string>

namespace vok::bench {

struct Measured {
  double seconds = 0;  // real time per iteration
  std::map<std::string, double> counters;
};

std::map<std::string, Measured>& Results();

// Prints the tables of ratios from Results().
void PrintSummary();

}  // namespace vok::bench
