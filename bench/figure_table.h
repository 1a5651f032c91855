#pragma once
// The benchmarks' table: one row per figure, its reference measured in the same run, and the
// ratio of the two.

#include <string>
#include <vector>

namespace bench {

struct FigureRow {
  std::string figure;
  std::string value;      // the figure's median, with its unit
  std::string reference;  // what it is compared with
  std::string referenceValue;
  double ratio = 0;
  std::string ratioMeaning;  // how to read the ratio, e.g. "of the bare loop's speed"
};

// The median of the values (the mean of the middle two for an even count); 0 for none.
double Median(std::vector<double> values);

void PrintTable(const std::vector<FigureRow>& rows);

// "12.3" with `decimals` places.
std::string Fixed(double value, int decimals);

}  // namespace bench
