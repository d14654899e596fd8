#include "tools/demo/FloatWavFile.h"

#include <cstdint>
#include <cstring>
#include <fstream>

namespace {

void put16(std::string& out, uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void put32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

} // namespace

std::string floatWavBytes(const std::vector<std::vector<float>>& channels, double sampleRate) {
    const auto channelCount = static_cast<uint16_t>(channels.size());
    const auto frames = static_cast<uint32_t>(channels.empty() ? 0 : channels[0].size());
    const uint32_t dataBytes = frames * channelCount * 4u;
    const auto rate = static_cast<uint32_t>(sampleRate);
    std::string out;
    out += "RIFF";
    put32(out, 4 + (8 + 18) + (8 + 4) + (8 + dataBytes));
    out += "WAVE";
    out += "fmt ";
    put32(out, 18);
    put16(out, 3); // IEEE float
    put16(out, channelCount);
    put32(out, rate);
    put32(out, rate * channelCount * 4u);
    put16(out, static_cast<uint16_t>(channelCount * 4u));
    put16(out, 32);
    put16(out, 0);
    out += "fact";
    put32(out, 4);
    put32(out, frames);
    out += "data";
    put32(out, dataBytes);
    for (uint32_t n = 0; n < frames; ++n)
        for (const auto& channel : channels) {
            uint32_t bits;
            std::memcpy(&bits, &channel[n], sizeof bits);
            put32(out, bits);
        }
    return out;
}

bool writeFloatWav(const std::string& path, const std::vector<std::vector<float>>& channels,
                   double sampleRate) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    const std::string bytes = floatWavBytes(channels, sampleRate);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
