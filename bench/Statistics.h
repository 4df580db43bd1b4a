#pragma once
// Order statistics over measured samples.

#include <vector>

// The middle value (the mean of the two middle ones for an even count); 0 for no samples.
double median(std::vector<double> samples);
// The nearest-rank percentile, p in (0, 100]; 0 for no samples.
double percentile(std::vector<double> samples, double p);
double largest(const std::vector<double>& samples);
