#include "bench/figure_table.h"

#include <algorithm>
#include <cstdio>

namespace bench {

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

void PrintTable(const std::vector<FigureRow>& rows) {
  std::size_t widths[4] = {6, 6, 9, 6};
  for (const FigureRow& row : rows) {
    widths[0] = std::max(widths[0], row.figure.size());
    widths[1] = std::max(widths[1], row.value.size());
    widths[2] = std::max(widths[2], row.reference.size());
    widths[3] = std::max(widths[3], row.referenceValue.size());
  }
  const auto line = [&](const std::string& a, const std::string& b, const std::string& c, const std::string& d,
                        const std::string& e) {
    std::printf("| %-*s | %*s | %-*s | %*s | %s |\n", static_cast<int>(widths[0]), a.c_str(),
                static_cast<int>(widths[1]), b.c_str(), static_cast<int>(widths[2]), c.c_str(),
                static_cast<int>(widths[3]), d.c_str(), e.c_str());
  };
  line("Figure", "Median", "Reference", "Median", "Ratio");
  std::printf("|%s|%s:|%s|%s:|---|\n", std::string(widths[0] + 2, '-').c_str(), std::string(widths[1] + 1, '-').c_str(),
              std::string(widths[2] + 2, '-').c_str(), std::string(widths[3] + 1, '-').c_str());
  for (const FigureRow& row : rows) {
    line(row.figure, row.value, row.reference, row.referenceValue, Fixed(row.ratio, 2) + " " + row.ratioMeaning);
  }
}

}  // namespace bench
