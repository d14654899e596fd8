#pragma once

// The echoes of a lone click in one channel of a rendered output: where the
// energy of a click-long window peaks after the click, in milliseconds after
// the click, and how loud, in dB of the window's energy relative to the
// click's own. The dry click itself (within kDrySkip of the click) is left
// out; echoes quieter than the floor are not reported.

#include <cstdint>
#include <string>
#include <vector>

struct Echo {
    double milliseconds = 0;
    double decibels = 0;
};

struct EchoSearch {
    uint32_t clickStart = 0;
    uint32_t searchFrames = 0; // after clickStart
    double sampleRate = 48000.0;
    double floorDecibels = -60.0;
    // Echoes closer than this to a louder one belong to it.
    double separationMilliseconds = 12.0;
};

// In time order.
std::vector<Echo> findEchoes(const std::vector<float>& output, const std::vector<float>& click,
                             const EchoSearch& search);
// "375.0 ms -9.1 dB, 750.0 ms -18.2 dB" ("none" for no echo).
std::string formatEchoes(const std::vector<Echo>& echoes);

// The machine-readable form: one line per echo, "<channel> <ms> <dB>".
std::string writeEchoTable(const std::vector<std::vector<Echo>>& channels);
// False for a malformed table.
bool readEchoTable(const std::string& text, std::vector<std::vector<Echo>>& channels);
struct EchoTolerance {
    double milliseconds = 0.1;
    double decibels = 0.1;
    // Quieter echoes need no partner: near the search floor one side may
    // just miss what the other just found.
    double requiredDecibels = -57.0;
};

// True when every echo loud enough on either side has a partner on the other
// within the tolerances; else `why` says which has none.
bool echoesAgree(const std::vector<std::vector<Echo>>& a, const std::vector<std::vector<Echo>>& b,
                 const EchoTolerance& tolerance, std::string& why);
