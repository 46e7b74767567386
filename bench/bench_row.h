// What every benchmark program shares: timing series and the one row it prints.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

struct Series {
    std::vector<double> values;
    void Add(double v) { values.push_back(v); }
    double Min() const { return *std::min_element(values.begin(), values.end()); }
    double Median() const {
        std::vector<double> v = values;
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    // "min 1.2 ms / median 1.4 ms" with the values scaled by factor.
    std::string Text(double factor, const char* unit) const {
        char buf[96];
        std::snprintf(buf, sizeof buf, "min %.3g %s / median %.3g %s", Min() * factor, unit,
                      Median() * factor, unit);
        return buf;
    }
};

// The tab-separated row: what, measured, floor (with its label), the ratio of
// the medians, notes.
inline void PrintRow(const std::string& what, const Series& measured, const Series& floor,
                     double factor, const char* unit, const std::string& floorLabel,
                     const std::string& notes) {
    std::printf("%s\t%s\t%s%s\t%.2fx\t%s\n", what.c_str(), measured.Text(factor, unit).c_str(),
                floor.Text(factor, unit).c_str(), floorLabel.c_str(),
                measured.Median() / floor.Median(), notes.c_str());
}

} // namespace bench
