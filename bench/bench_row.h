// What every benchmark program shares: timing series and the one row it prints.
#pragma once

#include <algorithm>
#include <chrono>
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
        const std::size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
};

// "min 1.2 ms / median 1.4 ms" with values scaled by factor.
inline std::string MinMedian(const Series& s, double factor, const char* unit) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "min %.3g %s / median %.3g %s", s.Min() * factor, unit,
                  s.Median() * factor, unit);
    return buf;
}

// The ratio of the medians, "1.2x".
inline std::string Ratio(const Series& measured, const Series& floor) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2fx", measured.Median() / floor.Median());
    return buf;
}

inline void PrintRow(const std::string& what, const std::string& measured, const std::string& floor,
                     const std::string& ratio, const std::string& notes) {
    std::printf("%s\t%s\t%s\t%s\t%s\n", what.c_str(), measured.c_str(), floor.c_str(),
                ratio.c_str(), notes.c_str());
}

// The row of two series of milliseconds, shown in whole milliseconds.
inline void PrintRow(const std::string& what, const std::vector<double>& measuredMs,
                     const std::vector<double>& floorMs, const std::string& notes) {
    const Series measured{measuredMs};
    const Series floor{floorMs};
    if (measured.values.empty() || floor.values.empty()) {
        PrintRow(what, "no rounds", "no rounds", "-", notes);
        return;
    }
    char m[64];
    char f[64];
    std::snprintf(m, sizeof m, "min %.0f ms / median %.0f ms", measured.Min(), measured.Median());
    std::snprintf(f, sizeof f, "min %.0f ms / median %.0f ms", floor.Min(), floor.Median());
    PrintRow(what, m, f, Ratio(measured, floor), notes);
}

inline double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

} // namespace bench
