#include "tools/demo/EchoReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

// Energy of the click-long window starting at each frame, from prefix sums.
std::vector<double> windowEnergies(const std::vector<float>& output, size_t begin, size_t end,
                                   size_t length) {
    std::vector<double> prefix(end + length - begin + 1, 0.0);
    for (size_t i = begin; i < end + length; ++i) {
        const double x = i < output.size() ? output[i] : 0.0;
        prefix[i - begin + 1] = prefix[i - begin] + x * x;
    }
    std::vector<double> energies(end - begin);
    for (size_t n = 0; n < energies.size(); ++n)
        energies[n] = prefix[n + length] - prefix[n];
    return energies;
}

// The start, near `start`, where the output matches the click best (the
// largest correlation in size, so an inverted echo counts alike): the energy
// window alone cannot tell apart starts whose windows differ only in quiet
// samples.
size_t alignWithClick(const std::vector<float>& output, const std::vector<float>& click, size_t start) {
    const size_t reach = click.size() / 2;
    size_t best = start;
    double bestScore = -1;
    for (size_t at = start > reach ? start - reach : 0; at <= start + reach; ++at) {
        double score = 0;
        for (size_t i = 0; i < click.size() && at + i < output.size(); ++i)
            score += static_cast<double>(output[at + i]) * click[i];
        if (std::fabs(score) > bestScore) {
            bestScore = std::fabs(score);
            best = at;
        }
    }
    return best;
}

} // namespace

std::vector<Echo> findEchoes(const std::vector<float>& output, const std::vector<float>& click,
                             const EchoSearch& search) {
    std::vector<Echo> echoes;
    double clickEnergy = 0;
    for (float x : click)
        clickEnergy += static_cast<double>(x) * x;
    if (clickEnergy <= 0 || click.empty()) return echoes;
    const size_t length = click.size();
    // The dry click and what smears it: twice its length.
    const size_t begin = search.clickStart + 2 * length;
    const size_t end = search.clickStart + search.searchFrames;
    if (end <= begin + length) return echoes;
    std::vector<double> energies = windowEnergies(output, begin, end - length, length);
    const auto separation = static_cast<size_t>(search.separationMilliseconds * search.sampleRate / 1000.0);
    const double floor = clickEnergy * std::pow(10.0, search.floorDecibels / 10.0);
    for (int found = 0; found < 64; ++found) {
        const auto peak = std::max_element(energies.begin(), energies.end());
        if (peak == energies.end() || *peak < floor) break;
        const size_t at = static_cast<size_t>(peak - energies.begin());
        const size_t aligned = alignWithClick(output, click, begin + at);
        echoes.push_back({(static_cast<double>(aligned) - search.clickStart) * 1000.0 / search.sampleRate,
                          10.0 * std::log10(*peak / clickEnergy)});
        const size_t from = at > separation ? at - separation : 0;
        const size_t to = std::min(energies.size(), at + separation + 1);
        std::fill(energies.begin() + static_cast<std::ptrdiff_t>(from),
                  energies.begin() + static_cast<std::ptrdiff_t>(to), 0.0);
    }
    std::sort(echoes.begin(), echoes.end(),
              [](const Echo& a, const Echo& b) { return a.milliseconds < b.milliseconds; });
    return echoes;
}

std::string formatEchoes(const std::vector<Echo>& echoes) {
    if (echoes.empty()) return "none";
    std::string text;
    char item[64];
    for (const Echo& echo : echoes) {
        std::snprintf(item, sizeof item, "%s%.1f ms %.1f dB", text.empty() ? "" : ", ", echo.milliseconds,
                      echo.decibels);
        text += item;
    }
    return text;
}

std::string writeEchoTable(const std::vector<std::vector<Echo>>& channels) {
    std::string text;
    for (size_t channel = 0; channel < channels.size(); ++channel)
        for (const Echo& echo : channels[channel]) {
            const char* format = "%zu %.4f %.4f\n";
            const int length = std::snprintf(nullptr, 0, format, channel, echo.milliseconds, echo.decibels);
            std::string line(static_cast<size_t>(length) + 1, '\0');
            std::snprintf(line.data(), line.size(), format, channel, echo.milliseconds, echo.decibels);
            line.pop_back();
            text += line;
        }
    return text;
}

bool readEchoTable(const std::string& text, std::vector<std::vector<Echo>>& channels) {
    channels.clear();
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        unsigned channel = 0;
        Echo echo;
        char rest = 0;
        if (std::sscanf(line.c_str(), "%u %lf %lf %c", &channel, &echo.milliseconds, &echo.decibels, &rest) !=
                3 ||
            channel > 63)
            return false;
        if (channels.size() <= channel) channels.resize(channel + 1);
        channels[channel].push_back(echo);
    }
    return true;
}

namespace {

// Every echo of `x` at or above `required` has one in `y` within the tolerances.
bool matched(const std::vector<Echo>& x, const std::vector<Echo>& y, const EchoTolerance& tolerance,
             std::string& why) {
    for (const Echo& echo : x) {
        if (echo.decibels < tolerance.requiredDecibels) continue;
        const bool found = std::any_of(y.begin(), y.end(), [&](const Echo& other) {
            return std::fabs(echo.milliseconds - other.milliseconds) <= tolerance.milliseconds &&
                   std::fabs(echo.decibels - other.decibels) <= tolerance.decibels;
        });
        if (!found) {
            why = formatEchoes({echo}) + " has no match in " + formatEchoes(y);
            return false;
        }
    }
    return true;
}

} // namespace

bool echoesAgree(const std::vector<std::vector<Echo>>& a, const std::vector<std::vector<Echo>>& b,
                 const EchoTolerance& tolerance, std::string& why) {
    const size_t count = std::max(a.size(), b.size());
    const std::vector<Echo> none;
    for (size_t channel = 0; channel < count; ++channel) {
        const std::vector<Echo>& x = channel < a.size() ? a[channel] : none;
        const std::vector<Echo>& y = channel < b.size() ? b[channel] : none;
        if (!matched(x, y, tolerance, why) || !matched(y, x, tolerance, why)) {
            why = "channel " + std::to_string(channel) + ": " + why;
            return false;
        }
    }
    return true;
}
