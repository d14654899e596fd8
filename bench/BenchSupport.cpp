#include "bench/BenchSupport.h"

#include <cstdio>
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
    }

private:
    struct Figure {
        std::string name, args;
        double ns;
    };

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
