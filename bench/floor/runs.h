// What the C++ contestants share about a run: the configurations they are
// given and the statistics of their frame times.
#ifndef OMBREL_BENCH_RUNS_H
#define OMBREL_BENCH_RUNS_H

#include <vector>

// N rectangles, G glass panels, blur sigma in pixels.
struct Config {
    int n, g;
    float sigma;
};

// "N:G:SIGMA[,...]"; parsing stops at the first entry that is not one.
std::vector<Config> parse_configs(const char *text);

// The value at quantile q (0 is the least) by nearest rank.
double percentile(std::vector<double> v, double q);

// CPU time of the whole process (all llvmpipe threads) in ms.
double cpu_ms();

#endif
