#pragma once

// Writes 32-bit float WAV files (format 3, IEEE float): RIFF header, an
// 18-byte "fmt " chunk, a "fact" chunk with the frame count, and the
// interleaved samples, all little-endian.

#include <string>
#include <vector>

// False when the file cannot be written. The channels have equal lengths.
bool writeFloatWav(const std::string& path, const std::vector<std::vector<float>>& channels,
                   double sampleRate);
// The file's bytes.
std::string floatWavBytes(const std::vector<std::vector<float>>& channels, double sampleRate);
