// The modulation engine at 48 kHz: a matrix of the product's sizes (24
// slots, 34 sources, 107 targets) with every source type running (gliding
// XLFOs, retriggered envelope generators, followers on the audio, MIDI
// sources receiving controllers), all 24 slots driving targets (some of
// them slot levels) and every target pulled each block; then the mixer, the
// router and each source alone. Figures are the baseline for the effect's
// worst case, beside a plain copy of the same audio.

#include "bench/BenchSupport.h"
#include "bench/StereoCase.h"
#include "dsp/Simd.h"
#include "dsp/wave/Environment.h"
#include "dsp/wave/Producer.h"
#include "modulation/EnvelopeFollower.h"
#include "modulation/EnvelopeGenerator.h"
#include "modulation/MidiModSource.h"
#include "modulation/Mixer.h"
#include "modulation/ModulationMatrix.h"
#include "modulation/ModulationMatrixController.h"
#include "modulation/Router.h"
#include "modulation/XLFO.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;
using bench::Stereo;
using Work = bench::StereoWork;
using Case = bench::StereoCase;

void runCase(benchmark::State& state, const Case& c) {
    bench::runStereoCase(state, c, 50);
}

void store(float* out, const wave::BasicBlock<float>& block, int n) {
    std::memcpy(out, block.data(), static_cast<std::size_t>(n) * sizeof(float));
}

// The sources of one graph: 6 XLFOs, 6 envelope generators, 4 followers
// (two per channel) and 10 MIDI sources.
struct Sources {
    explicit Sources(wave::Environment& e) : left(e), right(e) {
        for (int i = 0; i < 6; ++i) {
            auto lfo = std::make_unique<XLFO>(e);
            lfo->numSteps.setValue(8);
            for (int s = 0; s < 8; ++s) {
                lfo->getStep(s).value.setValue(float(s % 3) * 0.5f - 0.5f);
                lfo->getStep(s).glide.setValue(0.5f);
            }
            lfo->glideCurve.setValue(static_cast<XLFO::GlideCurve>(i % 4));
            lfo->freq.getParameter().setValue(0.5f + float(i), 0.0f);
            lfos.push_back(std::move(lfo));
            auto eg = std::make_unique<EnvelopeGenerator>(e);
            eg->attackTime.setValue(0.005f);
            eg->decayTime.setValue(0.05f);
            eg->sustainLevel.setValue(0.5f);
            eg->releaseTime.setValue(0.1f);
            egs.push_back(std::move(eg));
        }
        for (int i = 0; i < 4; ++i) {
            followers.push_back(std::make_unique<EnvelopeFollower>(e));
            followers.back()->setInput(i % 2 ? &right : &left);
        }
        for (int i = 0; i < 10; ++i) {
            midi.push_back(std::make_unique<MidiModSource>(e, cache));
            midi.back()->midiInput.setValue(MidiModSource::MidiInput::kController);
            midi.back()->controller.setValue(i);
        }
    }
    std::vector<wave::Producer*> all() {
        std::vector<wave::Producer*> list;
        for (auto& p : lfos)
            list.push_back(p.get());
        for (auto& p : egs)
            list.push_back(p.get());
        for (auto& p : followers)
            list.push_back(p.get());
        for (auto& p : midi)
            list.push_back(p.get());
        return list;
    }
    // Per chunk: controllers move, envelopes retrigger now and then.
    void events(int chunk) {
        for (int i = 0; i < 10; ++i)
            cache.controlChange(i, 0, float((chunk * 7 + i * 13) % 128) / 127.0f);
        if (chunk % 20 == 0)
            for (auto& eg : egs)
                eg->noteOn();
        if (chunk % 20 == 10)
            for (auto& eg : egs)
                eg->noteOff();
    }
    wave::Input left, right;
    MidiModSource::Cache cache;
    std::vector<std::unique_ptr<XLFO>> lfos;
    std::vector<std::unique_ptr<EnvelopeGenerator>> egs;
    std::vector<std::unique_ptr<EnvelopeFollower>> followers;
    std::vector<std::unique_ptr<MidiModSource>> midi;
};

struct MatrixGraph {
    wave::Environment e;
    ModulationMatrixLayout layout;
    std::unique_ptr<Sources> sources;
    std::unique_ptr<ModulationMatrix> matrix;
    std::vector<wave::Producer*> targets;
    int chunk = 0;

    MatrixGraph() {
        e.setSampleRate(kRate);
        initModulationMatrixLayout(layout);
        layout.firstSlotTarget = 83;
        for (int s = 0; s < 26; ++s) {
            layout.sources[std::size_t(s)].type = s < 6 ? 0 : s < 12 ? 1 : s < 16 ? 2 : 3;
            layout.sources[std::size_t(s)].targets = {s * 3 % 83, (s * 3 + 1) % 83};
        }
        layout.targetGroups[0].minFactor = -1.0f;
        for (auto& group : layout.targetGroupOf)
            group = &layout.targetGroups[0];
        sources = std::make_unique<Sources>(e);
        matrix = std::make_unique<ModulationMatrix>(e, layout);
        auto list = sources->all();
        for (std::size_t s = 0; s < list.size(); ++s)
            matrix->setSourceProducer(int(s), list[s], 0);
        auto& c = matrix->getController();
        for (int s = 0; s < 24; ++s) {
            c.setSource(s, (s * 7) % 26);
            c.setTarget(s, s % 6 == 5 ? 83 + (s + 1) % 24 : 60 + s % 20);
            c.setLevel(s, 0.1f + 0.01f * float(s));
        }
        for (int t = 0; t < layout.numTargets; ++t)
            targets.push_back(matrix->targetProducer(t));
    }
};

Work matrixWork() {
    auto g = std::make_shared<MatrixGraph>();
    return [g](Stereo& a, int o, int n) {
        g->sources->left.setSource(a.left.data() + o, n);
        g->sources->right.setSource(a.right.data() + o, n);
        g->sources->events(g->chunk++);
        g->e.nextBlock();
        for (wave::Producer* t : g->targets)
            t->pull(n);
        store(a.outLeft.data() + o, g->targets[60]->getCurrentBlock(), n);
        store(a.outRight.data() + o, g->targets[61]->getCurrentBlock(), n);
        g->e.process(n, 0);
    };
}

// The first of each source type's producers in Sources::all().
enum SourceKind : int {
    kXlfoSource = 0,
    kEnvelopeGeneratorSource = 6,
    kEnvelopeFollowerSource = 12,
    kMidiSource = 16
};

// One source type alone, one instance per channel where it takes audio.
struct SourceGraph {
    wave::Environment e;
    std::unique_ptr<Sources> sources;
    wave::Producer* first = nullptr;
    wave::Producer* second = nullptr;
    int chunk = 0;
    explicit SourceGraph(int kind) {
        e.setSampleRate(kRate);
        sources = std::make_unique<Sources>(e);
        auto list = sources->all();
        first = list[std::size_t(kind)];
        second = list[std::size_t(kind + 1)];
    }
};

Work sourceWork(int kind) {
    auto g = std::make_shared<SourceGraph>(kind);
    return [g](Stereo& a, int o, int n) {
        g->sources->left.setSource(a.left.data() + o, n);
        g->sources->right.setSource(a.right.data() + o, n);
        g->sources->events(g->chunk++);
        g->e.nextBlock();
        store(a.outLeft.data() + o, g->first->pull(n), n);
        store(a.outRight.data() + o, g->second->pull(n), n);
        g->e.process(n, 0);
    };
}

// A mixer summing four inputs with moving gains per channel, and a router
// switching between its two inputs every 40 chunks.
struct RoutingGraph {
    wave::Environment e;
    wave::Input left{e}, right{e};
    Mixer mixLeft{e, 4}, mixRight{e, 4};
    Router routeLeft{e, 2}, routeRight{e, 2};
    int chunk = 0;
    RoutingGraph() {
        e.setSampleRate(kRate);
        for (int i = 0; i < 4; ++i) {
            mixLeft.setInputSignal(i, i % 2 ? &right : &left);
            mixRight.setInputSignal(i, i % 2 ? &left : &right);
        }
        routeLeft.setInputProducer(0, &left);
        routeLeft.setInputProducer(1, &right);
        routeRight.setInputProducer(0, &right);
        routeRight.setInputProducer(1, &left);
    }
};

Work mixerWork() {
    auto g = std::make_shared<RoutingGraph>();
    return [g](Stereo& a, int o, int n) {
        g->left.setSource(a.left.data() + o, n);
        g->right.setSource(a.right.data() + o, n);
        ++g->chunk;
        for (int i = 0; i < 4; ++i) {
            float gain = float((g->chunk + i) % 10) * 0.1f;
            g->mixLeft.getInput(i).gain.setValue(gain);
            g->mixRight.getInput(i).gain.setValue(1.0f - gain);
        }
        g->e.nextBlock();
        store(a.outLeft.data() + o, g->mixLeft.pull(n), n);
        store(a.outRight.data() + o, g->mixRight.pull(n), n);
        g->e.process(n, 0);
    };
}

Work routerWork() {
    auto g = std::make_shared<RoutingGraph>();
    return [g](Stereo& a, int o, int n) {
        g->left.setSource(a.left.data() + o, n);
        g->right.setSource(a.right.data() + o, n);
        if (++g->chunk % 40 == 0) {
            g->routeLeft.selectedInput.setValue((g->chunk / 40) % 2);
            g->routeRight.selectedInput.setValue((g->chunk / 40) % 2);
        }
        g->e.nextBlock();
        store(a.outLeft.data() + o, g->routeLeft.pull(n), n);
        store(a.outRight.data() + o, g->routeRight.pull(n), n);
        g->e.process(n, 0);
    };
}

std::vector<Case> cases() {
    std::vector<Case> list;
    list.push_back(
        {"copy", [] { return Work([](Stereo& a, int o, int n) { bench::copyStereo(a, o, n); }); }});
    list.push_back({"matrix all sources", [] { return matrixWork(); }});
    list.push_back({"mixer", [] { return mixerWork(); }});
    list.push_back({"router", [] { return routerWork(); }});
    list.push_back({"xlfo", [] { return sourceWork(kXlfoSource); }});
    list.push_back({"envelope generator", [] { return sourceWork(kEnvelopeGeneratorSource); }});
    list.push_back({"envelope follower", [] { return sourceWork(kEnvelopeFollowerSource); }});
    list.push_back({"midi source", [] { return sourceWork(kMidiSource); }});
    return list;
}

} // namespace

int main(int argc, char** argv) {
    static const std::vector<::Case> all = ::cases();
    bench::registerCases(all, ::runCase);
    return bench::runAndSummarize(argc, argv, {{"block"}});
}
