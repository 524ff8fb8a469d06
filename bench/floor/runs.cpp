#include "runs.h"

#include <algorithm>
#include <stdio.h>
#include <time.h>

std::vector<Config> parse_configs(const char *text) {
    std::vector<Config> configs;
    for (const char *p = text; *p;) {
        Config c;
        int used = 0;
        if (sscanf(p, "%d:%d:%f%n", &c.n, &c.g, &c.sigma, &used) != 3) break;
        configs.push_back(c);
        p += used;
        if (*p == ',') ++p;
    }
    return configs;
}

double percentile(std::vector<double> v, double q) {
    std::sort(v.begin(), v.end());
    size_t rank = (size_t)(q * (double)v.size() + 0.999999);
    return v[std::min(v.size(), std::max<size_t>(rank, 1)) - 1];
}

double cpu_ms() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}
