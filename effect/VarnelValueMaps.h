#pragma once

// The effect's value maps beyond the shared ones of dsp/ValueMaps.h and the
// slot level map: knob curves of the XLFO and envelope-follower sets, the
// level curve's inverse, decibels to gain and the filter pan scaling. All
// single precision, pure, callable from any thread; plain functions so that
// parameters can hold them as pointers.
//
// "Through points" means: the first y at or below the first x, else linear
// between the first point whose x is not below the input and the point
// before it, the last y beyond the last point.

// 0 at or below 0; through (0, 0.15, 0.2, 0.33, 0.4, 0.5, 0.6, 0.68, 0.75,
// 0.85, 0.9, 0.95, 0.98, 1) -> (0, 0.02, 0.03, 0.05, 0.07, 0.1, 0.13, 0.17,
// 0.22, 0.35, 0.46, 0.66, 0.82, 1); 1 beyond. The inverse exchanges the axes.
float mapByTable14(float x);
float mapByTable14Inverse(float x);

// 0 at or below 0; through (0, 0.001, 0.007, 0.03, 0.1, 0.3, 0.5, 1) ->
// (0, 0.2, 0.5, 0.7, 0.8, 0.9, 0.95, 0.98); 0.98 beyond. The inverse
// exchanges the axes and gives 1 beyond 0.98.
float mapByTable8(float x);
float mapByTable8Inverse(float x);

// 2^x (as a power) and its inverse, log2 via the natural logarithm.
float ratioFromOctaves(float x);

// Inverse of levelFromPosition: g * 4.168695 up to 0.023988325, else
// 20 log10|g| / 36 + 1 (the decibels never below -180).
float positionFromLevel(float g);

// 10^(x / 20), as exp(x * ln(10) / 20).
float dbToGain(float x);

// Filter pan in octaves (-3.5..3.5) to -1..1 and back.
float octavesToFilterPan(float x);
float filterPanToOctaves(float x);
