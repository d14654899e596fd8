#pragma once

// Small value maps that turn a parameter's internal value into an engine or
// display value and back. All work in single precision, are pure and may be
// called from any thread, including the audio thread. They are plain
// functions so that parameters can hold them as function pointers.

// 2^x, computed as exp(x * ln 2): octaves to a frequency ratio (or Hz when x
// is the base-2 logarithm of a frequency).
float ratioFromOctavesExp(float x);

// log2(x), computed as ln(x) * (1 / ln 2): a ratio to octaves.
float octavesFromRatio(float x);

// Frequency with a zero: 2^x above -3; from -5.643856 to -3 a straight line
// from 0 Hz to 0.125 Hz; 0 below.
float valueFromLog2Tail(float x);

// Inverse of valueFromLog2Tail: log2(x) above 0.125; a straight line from
// -5.643856 (0 Hz) to -3 (0.125 Hz); -5.643856 for negative (and NaN) input.
float log2WithLinearTail(float x);

// A gain ratio in decibels, never below -180 dB (-180 for |x| <= 1e-10 and
// for NaN).
float gainToDb(float x);

// The level curve of the dry and wet levels and of the stretch crossfade:
// 10^(1.8 (x - 1)) above 0.1 (36 dB per unit of position, -32.4 dB at 0.1),
// then a straight line to 0 at position 0 (x * 0.23988324).
float levelFromPosition(float x);

// Octaves to semitones (x * 12) and back.
float semitonesFromOctaves(float x);
float octavesFromSemitones(float x);
