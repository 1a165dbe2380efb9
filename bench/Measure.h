// What the benchmarks share: timed child processes, medians, sample files.
#pragma once

#include <string>
#include <vector>

namespace ombrix::bench {

struct Run {
    double seconds;  // wall clock
    double cpu;      // user + system time of the child
    long maxRssKiB;
};

// Runs a program to its end; a failed run ends the benchmark.
Run Spawn(const std::vector<std::string>& args);

double Median(std::vector<double> v);

// A file of incompressible bytes, no two MiB alike; seeds give different contents.
void MakeFile(const std::string& path, long long bytes, unsigned seed = 1);

}  // namespace ombrix::bench
