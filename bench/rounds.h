// A benchmark's table row: what<TAB>measured<TAB>floor<TAB>ratio<TAB>notes,
// each side given as the minimum and the median of its rounds (milliseconds)
// and the ratio as that of the medians.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline double Median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    return n == 0 ? 0 : n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
}

inline std::string MinMedian(const std::vector<double>& ms) {
    char text[64];
    std::snprintf(text, sizeof text, "min %.0f ms / median %.0f ms",
                  ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end()), Median(ms));
    return text;
}

inline void PrintRow(const std::string& what, const std::vector<double>& measured,
                     const std::vector<double>& floor, const std::string& notes) {
    std::printf("%s\t%s\t%s\t%.2fx\t%s\n", what.c_str(), MinMedian(measured).c_str(),
                MinMedian(floor).c_str(), Median(measured) / Median(floor), notes.c_str());
}

} // namespace bench
