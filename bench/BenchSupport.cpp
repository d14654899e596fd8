#include "bench/BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace bench {

Stereo::Stereo(int frames, Mixture mixture, float scale, int outputsPerFrame)
    : left(static_cast<std::size_t>(frames)), right(static_cast<std::size_t>(frames)),
      outLeft(static_cast<std::size_t>(outputsPerFrame * frames)),
      outRight(static_cast<std::size_t>(outputsPerFrame * frames)) {
    std::uint32_t state = 12345u;
    for (std::size_t i = 0; i < left.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        float noise = static_cast<float>(state >> 8) * (1.0f / 8388608.0f) - 1.0f;
        left[i] = mixture.leftGain * noise * scale;
        right[i] = (mixture.rightGain * noise + mixture.rightOffset) * scale;
    }
}

void setFrameCounter(benchmark::State& state, int frames) {
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(frames),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

namespace {

// One stereo frame at 48 kHz lasts this long: real time in ns per frame.
constexpr double kFrameNs = 1.0e9 / 48000.0;

std::vector<std::string> splitArgs(const std::string& args) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start <= args.size() && !args.empty()) {
        std::size_t slash = args.find('/', start);
        if (slash == std::string::npos) slash = args.size();
        fields.push_back(args.substr(start, slash - start));
        start = slash + 1;
    }
    return fields;
}

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    explicit SummaryReporter(const std::vector<ArgColumn>& columns) : columns_(columns) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto it = run.counters.find("ns_per_frame");
            if (it == run.counters.end()) continue;
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!median && run.run_type != Run::RT_Iteration) continue;
            std::string key = run.run_name.str();
            auto known = index_.find(key);
            if (known == index_.end()) {
                index_[key] = figures_.size();
                figures_.push_back({run.run_name.function_name, run.run_name.args, it->second.value * 1.0e9});
            } else if (median) {
                figures_[known->second].ns = it->second.value * 1.0e9;
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::size_t width = 21;
        for (const Figure& f : figures_)
            width = std::max(width, f.name.size());
        std::printf("\n%-*s", static_cast<int>(width), "case (stereo, 48 kHz)");
        for (const ArgColumn& column : columns_)
            std::printf(" %10s", column.title.c_str());
        std::printf(" %12s %12s %8s %12s\n", "ns/frame", "copy ns/fr", "x copy", "x real time");
        for (const Figure& f : figures_) {
            if (f.name == "copy") continue;
            std::vector<std::string> fields = splitArgs(f.args);
            double copyNs = copyFor(fields);
            std::printf("%-*s", static_cast<int>(width), f.name.c_str());
            for (std::size_t i = 0; i < fields.size(); ++i) {
                bool named = i < columns_.size() && columns_[i].text;
                std::printf(" %10s", named ? columns_[i].text(fields[i]).c_str() : fields[i].c_str());
            }
            std::printf(" %12.3f %12.3f %8.2f %12.1f\n", f.ns, copyNs, copyNs > 0.0 ? f.ns / copyNs : 0.0,
                        f.ns > 0.0 ? kFrameNs / f.ns : 0.0);
        }
        printCostPerCall(width);
    }

private:
    struct Figure {
        std::string name, args;
        double ns;
    };

    // One case's figures by host block, for one set of further arguments.
    struct Series {
        std::string name, rest;
        std::map<long, double> nsPerFrame;
    };

    void printCostPerCall(std::size_t width) const {
        std::vector<Series> series;
        for (const Figure& f : figures_) {
            std::vector<std::string> fields = splitArgs(f.args);
            if (fields.empty()) continue;
            const long block = std::strtol(fields.front().c_str(), nullptr, 10);
            std::string rest;
            for (std::size_t i = 1; i < fields.size(); ++i)
                rest += "/" + fields[i];
            auto it = std::find_if(series.begin(), series.end(),
                                   [&](const Series& s) { return s.name == f.name && s.rest == rest; });
            if (it == series.end()) it = series.insert(series.end(), Series{f.name, rest, {}});
            it->nsPerFrame[block] = f.ns;
        }
        std::vector<long> blocks;
        bool header = false;
        for (const Series& s : series) {
            // Time per call against frames, over the blocks of one piece.
            double n = 0.0, sumX = 0.0, sumY = 0.0, sumXX = 0.0, sumXY = 0.0;
            for (auto [block, ns] : s.nsPerFrame) {
                if (block > kChunk) continue;
                const double x = static_cast<double>(block);
                const double y = ns * x;
                n += 1.0;
                sumX += x;
                sumY += y;
                sumXX += x * x;
                sumXY += x * y;
            }
            const double spread = n * sumXX - sumX * sumX;
            if (n < 3.0 || spread <= 0.0) continue;
            const double perFrame = (n * sumXY - sumX * sumY) / spread;
            const double fixed = (sumY - perFrame * sumX) / n;
            if (!header) {
                header = true;
                for (auto [block, ns] : s.nsPerFrame)
                    blocks.push_back(block);
                std::printf(
                    "\nCost per call, fitted over the blocks up to %d frames: time per call = fixed + "
                    "frames x per frame; then ns/frame at each block as a multiple of that at block "
                    "%ld\n",
                    kChunk, blocks.back());
                std::printf("%-*s %10s %12s %12s", static_cast<int>(width), "case (stereo, 48 kHz)", "args",
                            "fixed ns", "ns/frame");
                for (long block : blocks)
                    std::printf(" %7ld", block);
                std::printf("\n");
            }
            std::printf("%-*s %10s %12.1f %12.3f", static_cast<int>(width), s.name.c_str(),
                        s.rest.empty() ? "-" : s.rest.c_str() + 1, fixed, perFrame);
            const double longest = s.nsPerFrame.rbegin()->second;
            for (long block : blocks) {
                auto it = s.nsPerFrame.find(block);
                if (it == s.nsPerFrame.end() || longest <= 0.0)
                    std::printf(" %7s", "-");
                else
                    std::printf(" %7.2f", it->second / longest);
            }
            std::printf("\n");
        }
    }

    // The copy with the longest run of leading arguments in common; 0 when
    // the copy did not run.
    double copyFor(std::vector<std::string> fields) const {
        for (; !fields.empty(); fields.pop_back()) {
            std::string key = "copy";
            for (const std::string& field : fields)
                key += "/" + field;
            auto it = index_.find(key);
            if (it != index_.end()) return figures_[it->second].ns;
        }
        return 0.0;
    }

    std::vector<ArgColumn> columns_;
    std::vector<Figure> figures_;
    std::map<std::string, std::size_t> index_;
};

} // namespace

int runAndSummarize(int argc, char** argv, const std::vector<ArgColumn>& columns) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SummaryReporter reporter(columns);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace bench
