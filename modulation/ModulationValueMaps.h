#pragma once

// The curve of a modulation slot's level parameter: odd-symmetric and
// piecewise linear through (0, 0), (0.1, 0.002), (0.25, 0.05), (0.5, 0.16),
// (0.7, 0.36), (0.9, 0.91), (1, 1), +-1 beyond 1; and its inverse (the same
// points with the axes exchanged). Pure; any thread.

float mapByTable7(float x);
float mapByTable7Inverse(float x);
