#include "effect/VarnelProcessor.h"

#include "dsp/SimdPath.h"
#include "foundation/tests/AllocationCounter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// A processor without a host: parameters set by name through the queue (as
// the adapter does), audio rendered in host blocks of 512.
struct Varnel {
    explicit Varnel(float rate) : p(std::make_unique<VarnelProcessor>()) {
        p->activate(rate);
        p->reset();
    }

    AbstractPluginParameter& parameter(const std::string& name) {
        for (std::int32_t i = 0; i < p->getNumParameters(); ++i)
            if (p->getParameter(i)->getName() == name) return *p->getParameter(i);
        ADD_FAILURE() << "no parameter " << name;
        return *p->getParameter(0);
    }
    // A value in display units ("375" ms, "0.35", "-1").
    void setPlain(const std::string& name, float plain) {
        AbstractPluginParameter& q = parameter(name);
        q.setValue(q.plainToNormalized(plain), 0);
    }
    void setIndex(const std::string& name, int index) {
        parameter(name).setValue(static_cast<float>(index), 0);
    }

    // The Default Setting: delay 1 375 ms to the left, delay 2 500 ms to
    // the right, feedback 0.35 on both, filters off.
    void defaultSetting() {
        setPlain("Delay 1 Time", 375.0f);
        setPlain("Delay 1 Pan", -1.0f);
        setPlain("Delay 2 Time", 500.0f);
        setPlain("Delay 2 Pan", 1.0f);
        setPlain("Delay 1 Feedback", 0.35f);
        setPlain("Delay 2 Feedback", 0.35f);
    }

    // Renders the input (left, right) and returns the output.
    std::vector<float> left, right;
    void render(const std::vector<float>& inLeft, const std::vector<float>& inRight) {
        const std::size_t n = inLeft.size();
        left.assign(n, 0.0f);
        right.assign(n, 0.0f);
        for (std::size_t at = 0; at < n; at += hostBlock) {
            auto frames = static_cast<std::int32_t>(std::min(hostBlock, n - at));
            const float* in[2] = {inLeft.data() + at, inRight.data() + at};
            float* out[2] = {left.data() + at, right.data() + at};
            p->process(in, 2, out, 2, frames, nullptr);
        }
    }
    void renderImpulse(std::size_t samples, float l = 1.0f, float r = 0.0f) {
        std::vector<float> a(samples, 0.0f), b(samples, 0.0f);
        a[0] = l;
        b[0] = r;
        render(a, b);
    }

    std::unique_ptr<VarnelProcessor> p;
    std::size_t hostBlock = 512;
};

std::size_t samplesOf(float ms, float rate) {
    return static_cast<std::size_t>(ms * rate * 0.001f);
}

// Every sample of out is 0 except the listed (position, level) pairs.
void expectOnly(const std::vector<float>& out, const std::vector<std::pair<std::size_t, float>>& peaks,
                const char* side) {
    std::vector<float> expected(out.size(), 0.0f);
    for (auto [at, level] : peaks)
        if (at < out.size()) expected[at] = level;
    for (std::size_t i = 0; i < out.size(); ++i)
        ASSERT_NEAR(out[i], expected[i], 1e-6f * std::max(1.0f, std::fabs(expected[i])))
            << side << " at " << i;
}

} // namespace

TEST(VarnelProcessor, DefaultSettingEchoesTheLeftImpulseEvery375Ms) {
    for (auto [rate, block] : {std::pair{44100.0f, std::size_t{512}}, std::pair{48000.0f, std::size_t{512}},
                               std::pair{48000.0f, std::size_t{37}}}) {
        SCOPED_TRACE(::testing::Message() << rate << " Hz, host blocks of " << block);
        Varnel v(rate);
        v.hostBlock = block;
        v.defaultSetting();
        std::size_t d = samplesOf(375.0f, rate);
        v.renderImpulse(4 * d + 100);
        std::vector<std::pair<std::size_t, float>> peaks = {{0, 1.0f}};
        float level = 1.0f;
        for (int k = 1; k <= 4; ++k, level *= 0.35f)
            peaks.push_back({k * d, level});
        expectOnly(v.left, peaks, "left");
        expectOnly(v.right, {}, "right");
    }
}

// Feedback g repeats the echo at g^(k-1); inverted, at (-g)^(k-1).
TEST(VarnelProcessor, FeedbackAndInvertShapeTheRepeats) {
    struct Case {
        float feedback;
        int invert;
    };
    for (Case c : {Case{0.5f, 0}, Case{0.5f, 1}, Case{0.9f, 1}}) {
        SCOPED_TRACE(::testing::Message() << c.feedback << " invert " << c.invert);
        Varnel v(48000.0f);
        v.defaultSetting();
        v.setPlain("Delay 1 Feedback", c.feedback);
        v.setIndex("Delay 1 Feedback Invert", c.invert);
        std::size_t d = samplesOf(375.0f, 48000.0f);
        v.renderImpulse(4 * d + 100);
        std::vector<std::pair<std::size_t, float>> peaks = {{0, 1.0f}};
        float g = c.invert != 0 ? -c.feedback : c.feedback;
        float level = 1.0f;
        for (int k = 1; k <= 4; ++k, level *= g)
            peaks.push_back({k * d, level});
        expectOnly(v.left, peaks, "left");
        expectOnly(v.right, {}, "right");
    }
}

// Cross feedback c: line 2 records c times line 1's feedback signal, heard
// on the right at D1 + D2.
TEST(VarnelProcessor, CrossFeedbackCarriesTheEchoToTheOtherSide) {
    for (float c : {0.5f, 1.5f}) {
        SCOPED_TRACE(c);
        Varnel v(44100.0f);
        v.defaultSetting();
        v.setPlain("Delay 1 Feedback", 0.0f);
        v.setPlain("Delay 2 Feedback", 0.0f);
        v.setPlain("Delay 2 Cross Feedback", c);
        std::size_t d1 = samplesOf(375.0f, 44100.0f);
        std::size_t d2 = samplesOf(500.0f, 44100.0f);
        v.renderImpulse(d1 + 2 * d2 + 100);
        expectOnly(v.left, {{0, 1.0f}, {d1, 1.0f}}, "left");
        expectOnly(v.right, {{d1 + d2, c}}, "right");
    }
}

// "Delay Link" runs line 2 on line 1's time; unlinked, line 2 has its own
// time again. "Feedback Link" gives line 2 line 1's feedback.
TEST(VarnelProcessor, LinkingAndUnlinking) {
    const float rate = 48000.0f;
    const std::size_t d1 = samplesOf(375.0f, rate);
    const std::size_t d2 = samplesOf(500.0f, rate);
    Varnel v(rate);
    v.defaultSetting();
    v.setPlain("Delay 1 Feedback", 0.5f);
    v.setPlain("Delay 2 Feedback", 0.0f);
    v.setIndex("Delay Link", 1);
    v.setIndex("Feedback Link", 1);
    v.renderImpulse(2 * d1 + 100, 0.0f, 1.0f);
    expectOnly(v.right, {{0, 1.0f}, {d1, 1.0f}, {2 * d1, 0.5f}}, "linked");
    v.setIndex("Delay Link", 0);
    v.setIndex("Feedback Link", 0);
    v.renderImpulse(2 * static_cast<std::size_t>(rate)); // the time glides back to 500 ms
    v.renderImpulse(2 * d2 + 100, 0.0f, 1.0f);
    expectOnly(v.right, {{0, 1.0f}, {d2, 1.0f}}, "unlinked");
}

// Freeze: what is in the line repeats at unity, new input is not recorded,
// and a time change is still heard.
TEST(VarnelProcessor, FreezeRepeatsTheBufferAtUnity) {
    const float rate = 48000.0f;
    const std::size_t d = samplesOf(375.0f, rate);
    auto frozen = [&](bool changeTime) {
        Varnel v(rate);
        v.defaultSetting();
        v.renderImpulse(d / 2);
        std::vector<float> all = v.left;
        v.setIndex("Delay Freeze", 1);
        // After the switch has faded: an impulse heard dry, never recorded.
        v.renderImpulse(d / 4, 0.0f);
        all.insert(all.end(), v.left.begin(), v.left.end());
        v.renderImpulse(d / 4);
        all.insert(all.end(), v.left.begin(), v.left.end());
        if (changeTime) v.setPlain("Delay 1 Time", 250.0f);
        std::vector<float> silence(3 * d, 0.0f);
        v.render(silence, silence);
        all.insert(all.end(), v.left.begin(), v.left.end());
        return all;
    };
    std::vector<float> out = frozen(false);
    std::vector<std::pair<std::size_t, float>> peaks = {{0, 1.0f}, {d / 2 + d / 4, 1.0f}};
    for (int k = 1; k <= 3; ++k)
        peaks.push_back({k * d, 1.0f});
    expectOnly(out, peaks, "frozen");
    std::vector<float> moved = frozen(true);
    EXPECT_NE(moved, out);
}

// Mid/Side: identical inputs give identical outputs; with both lines alike
// and hard pans (no channel mixes into the other) the result is the
// left/right one.
TEST(VarnelProcessor, MidSideCodesAndDecodes) {
    const float rate = 44100.0f;
    std::vector<float> a(20000), b(20000);
    for (std::size_t i = 0; i < a.size(); ++i) {
        a[i] = std::sin(0.01f * static_cast<float>(i)) * (i < 3000 ? 1.0f : 0.0f);
        b[i] = std::cos(0.023f * static_cast<float>(i)) * (i < 3000 ? 0.5f : 0.0f);
    }
    auto run = [&](int mode, const std::vector<float>& l, const std::vector<float>& r) {
        Varnel v(rate);
        v.defaultSetting();
        v.setPlain("Delay 2 Time", 375.0f);
        v.setIndex("Channel Mode", mode);
        v.render(l, r);
        return std::make_pair(v.left, v.right);
    };
    auto same = run(1, a, a);
    EXPECT_EQ(same.first, same.second);
    auto ms = run(1, a, b);
    auto lr = run(0, a, b);
    for (std::size_t i = 0; i < a.size(); ++i) {
        ASSERT_NEAR(ms.first[i], lr.first[i], 1e-5f) << i;
        ASSERT_NEAR(ms.second[i], lr.second[i], 1e-5f) << i;
    }
}

// Audition "Input" and "Side Chain" hand on the host's buffers bit for bit.
TEST(VarnelProcessor, AuditionIsBitExact) {
    std::vector<std::vector<float>> in(4, std::vector<float>(3000));
    for (std::size_t c = 0; c < 4; ++c)
        for (std::size_t i = 0; i < 3000; ++i)
            in[c][i] = std::sin(0.37f * static_cast<float>(i * (c + 1)) + 0.1f);
    for (int audition : {1, 2}) {
        Varnel v(48000.0f);
        v.defaultSetting();
        v.p->setSideChainConnected(true);
        v.setIndex("Audition Signal", audition);
        std::vector<float> l(3000), r(3000);
        for (std::size_t at = 0; at < 3000; at += 500) {
            const float* inputs[4] = {in[0].data() + at, in[1].data() + at, in[2].data() + at,
                                      in[3].data() + at};
            float* outputs[2] = {l.data() + at, r.data() + at};
            v.p->process(inputs, 4, outputs, 2, 500, nullptr);
        }
        std::size_t from = audition == 1 ? 0 : 2;
        EXPECT_EQ(l, in[from]) << audition;
        EXPECT_EQ(r, in[from + 1]) << audition;
    }
}

// Dry Level 0.5 on the level curve is 0.125893; "Dry Enabled" off removes
// the dry path; +36 dB Input Level reaches the echoes only.
TEST(VarnelProcessor, DryLevelDryEnabledAndInputLevel) {
    const std::size_t d = samplesOf(375.0f, 48000.0f);
    struct Case {
        const char* name;
        float dry;
        float echo;
    };
    for (Case c : {Case{"Dry Level", 0.125893f, 1.0f}, Case{"Dry Enabled", 0.0f, 1.0f},
                   Case{"Input Level", 1.0f, 63.095734f}}) {
        SCOPED_TRACE(c.name);
        Varnel v(48000.0f);
        v.defaultSetting();
        v.setPlain("Delay 1 Feedback", 0.0f);
        if (c.name == std::string("Dry Level")) v.parameter("Dry Level").setValue(0.5f, 0);
        if (c.name == std::string("Dry Enabled")) v.setIndex("Dry Enabled", 0);
        if (c.name == std::string("Input Level")) v.setPlain("Input Level", 36.0f);
        v.renderImpulse(d + 100);
        expectOnly(v.left, {{0, c.dry}, {d, c.echo}}, "left");
    }
}

// Synced to the tempo: "Note" at 120 beats per minute is 500 ms, at 10
// beats per minute 6000 ms clamped to 5000 ms.
TEST(VarnelProcessor, SyncedDelayFollowsTheTempo) {
    const float rate = 44100.0f;
    for (auto [tempo, ms] : {std::pair{120.0f, 500.0f}, std::pair{10.0f, 5000.0f}}) {
        SCOPED_TRACE(tempo);
        Varnel v(rate);
        v.defaultSetting();
        v.setPlain("Delay 1 Feedback", 0.0f);
        v.setIndex("Delay 1 Sync", 2);
        v.p->setTransport(tempo, 0.0f, 0, true);
        std::size_t d = samplesOf(ms, rate);
        v.renderImpulse(d + 100);
        expectOnly(v.left, {{0, 1.0f}, {d, 1.0f}}, "left");
    }
}

// Delay Pan 0.5: the line reaches channel 0 at 0.5 and channel 1 at 1.0.
TEST(VarnelProcessor, DelayPanGivesTheChannelGains) {
    const std::size_t d = samplesOf(375.0f, 48000.0f);
    Varnel v(48000.0f);
    v.defaultSetting();
    v.setPlain("Delay 1 Feedback", 0.0f);
    v.setPlain("Delay 1 Pan", 0.5f);
    v.renderImpulse(d + 100);
    expectOnly(v.left, {{0, 1.0f}, {d, 0.5f}}, "left");
    expectOnly(v.right, {{d, 1.0f}}, "right");
}

// Below 25.6 kHz the pieces shrink so that a 5 ms delay is exact.
TEST(VarnelProcessor, ShortDelaysAreExactAtLowRates) {
    const float rate = 16000.0f;
    Varnel v(rate);
    EXPECT_EQ(v.p->maxChunkSize(), 80);
    v.defaultSetting();
    v.setPlain("Delay 1 Time", 5.0f);
    v.renderImpulse(300);
    expectOnly(v.left, {{0, 1.0f}, {80, 1.0f}, {160, 0.35f}, {240, 0.35f * 0.35f}}, "left");
}

namespace {
bool finiteAndBounded(const std::vector<float>& out, float bound) {
    for (float x : out)
        if (!std::isfinite(x) || std::fabs(x) > bound) return false;
    return true;
}

std::vector<float> noise(std::size_t n, unsigned seed, float level) {
    std::vector<float> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        out[i] = level * (static_cast<float>(seed >> 8) / 8388608.0f - 1.0f);
    }
    return out;
}
} // namespace

// Every parameter at its minimum and at its maximum, and the runaway
// loops (feedback 1 plus cross feedback 2 on both lines, loud input,
// non-finite host input) stay finite: a line records at most +-256.
TEST(VarnelProcessor, OutputStaysFiniteAtTheExtremes) {
    const std::size_t n = 24000;
    std::vector<float> a = noise(n, 1, 1.0f), b = noise(n, 2, 1.0f);
    a[100] = std::numeric_limits<float>::quiet_NaN();
    b[200] = std::numeric_limits<float>::infinity();
    for (int extreme = 0; extreme < 2; ++extreme) {
        Varnel v(48000.0f);
        v.defaultSetting();
        for (std::int32_t i = 0; i < v.p->getNumParameters(); ++i) {
            AbstractPluginParameter* q = v.p->getParameter(i);
            if (q->getName() != "Audition Signal") q->setValue(extreme == 0 ? q->getMin() : q->getMax(), 0);
        }
        v.render(a, b);
        EXPECT_TRUE(finiteAndBounded(v.left, 1e7f)) << extreme;
        EXPECT_TRUE(finiteAndBounded(v.right, 1e7f)) << extreme;
    }
    struct Runaway {
        int characteristic; // -1: filters off
        int response;
    };
    for (Runaway r : {Runaway{-1, 0}, Runaway{10, 1}, Runaway{10, 0}}) {
        Varnel v(48000.0f);
        v.defaultSetting();
        for (const char* line : {"Delay 1", "Delay 2"}) {
            v.setPlain(std::string(line) + " Time", 5.0f);
            v.setPlain(std::string(line) + " Feedback", 1.0f);
            v.setPlain(std::string(line) + " Cross Feedback", 2.0f);
        }
        v.setPlain("Input Level", 36.0f);
        for (const char* filter : {"Filter 1", "Filter 2"}) {
            v.setIndex(std::string(filter) + " Enabled", r.characteristic >= 0 ? 1 : 0);
            v.setIndex(std::string(filter) + " Characteristic", std::max(r.characteristic, 0));
            v.setIndex(std::string(filter) + " Response", r.response);
        }
        v.render(a, b);
        EXPECT_TRUE(finiteAndBounded(v.left, 1e7f)) << r.characteristic;
        EXPECT_TRUE(finiteAndBounded(v.right, 1e7f)) << r.characteristic;
    }
}

// Every characteristic, each response and slope, at peak 1 with feedback.
TEST(VarnelProcessor, EveryCharacteristicAtPeakOneStaysFinite) {
    const std::size_t n = 9600;
    std::vector<float> a = noise(n, 3, 1.0f), b = noise(n, 4, 1.0f);
    for (int characteristic = 0; characteristic <= 10; ++characteristic) {
        Varnel v(48000.0f);
        v.defaultSetting();
        v.setPlain("Delay 1 Time", 20.0f);
        v.setPlain("Delay 2 Time", 30.0f);
        v.setPlain("Delay 1 Feedback", 1.0f);
        v.setPlain("Input Level", 36.0f);
        for (int k = 1; k <= 2; ++k) {
            std::string f = "Filter " + std::to_string(k);
            v.setIndex(f + " Enabled", 1);
            v.setIndex(f + " Characteristic", characteristic);
            v.setIndex(f + " Response", characteristic % 3);
            v.setIndex(f + " Slope", characteristic % 3);
            v.parameter(f + " Peak").setValue(v.parameter(f + " Peak").getMax(), 0);
        }
        v.render(a, b);
        EXPECT_TRUE(finiteAndBounded(v.left, 1e7f)) << characteristic;
        EXPECT_TRUE(finiteAndBounded(v.right, 1e7f)) << characteristic;
    }
}

// "All Notes Off" (a note-off on key 0) releases every held note at once:
// the MIDI-triggered envelopes do not stay stuck with two notes held.
TEST(VarnelProcessor, NoteOffOnKeyZeroReleasesEveryNote) {
    Varnel v(48000.0f);
    v.setIndex("EG 1 Triggering", 2);
    // EG 1 (source 14) modulates "Delay 1 Pan" (target 4), so it runs.
    v.setIndex("Slot 1 Source", 14 + 1);
    v.setIndex("Slot 1 Target", 4 + 1);
    std::vector<float> silence(512, 0.0f);
    v.render(silence, silence);
    v.p->getMidiQueue().push(MidiEvent::make(0x90, 60, 100, 0));
    v.p->getMidiQueue().push(MidiEvent::make(0x90, 64, 100, 10));
    v.render(silence, silence);
    EXPECT_EQ(v.p->getHeldNotes(), 2);
    EXPECT_NE(v.p->getEG(0).getState(), EnvelopeGenerator::State::kIdle);
    // "All Notes Off" (controller 123) through the MIDI queue.
    v.p->getMidiQueue().push(MidiEvent::make(0xB0, 123, 0, 0));
    v.render(silence, silence);
    EXPECT_EQ(v.p->getHeldNotes(), 0);
    EXPECT_FALSE(v.p->getEG(0).isGateOn());
    // A note-on on key 0 resets too; an ordinary note-off counts down.
    v.p->midiNoteOn(60, 1.0f);
    v.p->midiNoteOn(61, 1.0f);
    v.p->midiNoteOff(61, 1.0f);
    EXPECT_EQ(v.p->getHeldNotes(), 1);
    v.p->midiNoteOn(0, 1.0f);
    EXPECT_EQ(v.p->getHeldNotes(), 0);
}

// After activation nothing allocates: parameters of every kind changed
// through the queue, all 24 slots pointed at one target from every kind of
// source, notes and tempo changes.
TEST(VarnelProcessor, ProcessingAllocatesNothing) {
    Varnel v(48000.0f);
    v.defaultSetting();
    std::vector<float> a = noise(512, 5, 0.5f), b = noise(512, 6, 0.5f);
    v.render(a, b);
    std::vector<float> l(512), r(512);
    const float* in[2] = {a.data(), b.data()};
    float* out[2] = {l.data(), r.data()};
    const float fractions[] = {0.0f, 0.37f, 1.0f, 0.61f};
    std::vector<AbstractPluginParameter*> sources, targets;
    for (int slot = 1; slot <= 24; ++slot) {
        sources.push_back(&v.parameter("Slot " + std::to_string(slot) + " Source"));
        targets.push_back(&v.parameter("Slot " + std::to_string(slot) + " Target"));
    }
    AbstractPluginParameter* audition = &v.parameter("Audition Signal");
    test::AllocationCounter counter;
    for (int round = 0; round < 12; ++round) {
        float f = fractions[round % 4];
        for (std::int32_t i = 0; i < v.p->getNumParameters(); ++i) {
            AbstractPluginParameter* q = v.p->getParameter(i);
            if (q != audition) q->setValue(q->getMin() + (q->getMax() - q->getMin()) * f, 0);
        }
        // Every kind of source in turn, all into "Filter 1 Freq".
        for (std::size_t slot = 0; slot < 24; ++slot) {
            sources[slot]->setValue(static_cast<float>(1 + (slot * 7 + static_cast<std::size_t>(round)) % 34),
                                    0);
            targets[slot]->setValue(1.0f + 10.0f, 0);
        }
        v.p->setTransport(90.0f + 10.0f * static_cast<float>(round), static_cast<float>(round), 0, true);
        v.p->getMidiQueue().push(MidiEvent::make(0x90, static_cast<std::uint8_t>(40 + round), 100, 64));
        v.p->getMidiQueue().push(MidiEvent::make(0x80, static_cast<std::uint8_t>(40 + round), 0, 300));
        v.p->getMidiQueue().push(MidiEvent::make(0xB0, 1, static_cast<std::uint8_t>(round * 9), 200));
        v.p->process(in, 2, out, 2, 512, nullptr);
    }
    EXPECT_EQ(counter.allocations(), 0u);
    EXPECT_TRUE(finiteAndBounded(l, 1e7f));
}

// The sources follow their sets: an XY axis reads 0..1 for the editor, an
// XLFO's "Snap" changes its source type, an EG's "Triggering" picks its
// input and its trigger.
TEST(VarnelProcessor, SourcesFollowTheirSets) {
    Varnel v(48000.0f);
    v.setPlain("XY Controller 1 Hor", -1.0f);
    v.setPlain("XY Controller 1 Ver", 1.0f);
    v.setIndex("XLFO 2 Snap", 1);
    v.setIndex("EG 3 Triggering", 1);
    std::vector<float> silence(256, 0.0f);
    v.render(silence, silence);
    EXPECT_EQ(v.p->getSourceValue(0), 0.0f);
    EXPECT_EQ(v.p->getSourceValue(1), 1.0f);
    EXPECT_EQ(v.p->getLayout().sources[9].type, 5);
    EXPECT_EQ(v.p->getLayout().sources[8].type, 1);
    EXPECT_EQ(v.p->getEGInputRouter(2).selectedInput.getValue(), 1);
    EXPECT_TRUE(v.p->getEGTrigger(2).enabled.getValue());
    v.setIndex("EG 3 Triggering", 2);
    v.render(silence, silence);
    EXPECT_EQ(v.p->getEGInputRouter(2).selectedInput.getValue(), 0);
    EXPECT_FALSE(v.p->getEGTrigger(2).enabled.getValue());
}

namespace {
// FNV-1a over the bits of both output channels.
std::uint64_t outputChecksum(const std::vector<float>& left, const std::vector<float>& right) {
    std::uint64_t h = 1469598103934665603ull;
    for (const std::vector<float>* side : {&left, &right}) {
        for (float x : *side) {
            std::uint32_t u = 0;
            std::memcpy(&u, &x, sizeof u);
            for (int i = 0; i < 4; ++i) {
                h ^= (u >> (8 * i)) & 0xffu;
                h *= 1099511628211ull;
            }
        }
    }
    return h;
}

// Settings as "name = text" pairs, each value read by its parameter from text.
using Settings = std::vector<std::pair<std::string, std::string>>;

void apply(Varnel& v, const Settings& settings) {
    for (const auto& [name, text] : settings) {
        AbstractPluginParameter& q = v.parameter(name);
        float value = 0.0f;
        ASSERT_TRUE(q.textToValue(text, value)) << name << " = " << text;
        q.setValue(value, 0);
    }
}

// Both filters: characteristic, slope and response of each.
Settings filterPair(const std::string& c1, const std::string& s1, const std::string& c2,
                    const std::string& s2, const std::string& routing = "Serial") {
    return {{"Filter 1 Enabled", "Enabled"}, {"Filter 1 Characteristic", c1}, {"Filter 1 Slope", s1},
            {"Filter 1 Response", "LP"},     {"Filter 1 Freq", "2000 Hz"},    {"Filter 1 Peak", "0.3"},
            {"Filter 2 Enabled", "Enabled"}, {"Filter 2 Characteristic", c2}, {"Filter 2 Slope", s2},
            {"Filter 2 Response", "HP"},     {"Filter 2 Freq", "300 Hz"},     {"Filter 2 Peak", "0.6"},
            {"Filter Routing", routing}};
}

// XLFOs sweeping both filter frequencies and filter 1's pan, an envelope
// follower on filter 2's peak, and the self-oscillation muting.
Settings modulated() {
    Settings s = {{"Num Active XLFOs", "3"},
                  {"Num Active EFs", "1"},
                  {"Num Active Slots", "4"},
                  {"Auto Mute Self-Osc", "On"}};
    for (int k = 1; k <= 3; ++k) {
        const std::string xlfo = "XLFO " + std::to_string(k);
        s.push_back({xlfo + " Frequency", std::to_string(2 * k + 1) + " Hz"});
        s.push_back({"Num Active " + xlfo + " Steps", "4"});
        for (int step = 1; step <= 4; ++step) {
            const std::string name = xlfo + " Step " + std::to_string(step);
            s.push_back({name + " Value", step % 2 == 0 ? "-0.8" : "0.9"});
            s.push_back({name + " Glide", "0.6"});
        }
    }
    const char* sources[4] = {"XLFO 1", "XLFO 2", "XLFO 3", "EF 1"};
    const char* targets[4] = {"Filter 1 Freq", "Filter 2 Freq", "Filter 1 Pan", "Filter 2 Peak"};
    for (int slot = 0; slot < 4; ++slot) {
        const std::string name = "Slot " + std::to_string(slot + 1);
        s.push_back({name + " Source", sources[slot]});
        s.push_back({name + " Target", targets[slot]});
        s.push_back({name + " Level", "0.7"});
    }
    return s;
}

Settings operator+(Settings a, const Settings& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct OutputCase {
    const char* name;
    Settings settings;
    Settings later; // applied halfway through
    std::size_t hostBlock;
    // Per platform: the two C libraries round some coefficient functions
    // differently, so each build has its own (fixed) output.
    std::uint64_t expected[2];
};

// 0 for the native (POSIX) build, 1 for the Windows build.
int platformColumn() {
    return std::string(VARNEL_TEST_PLATFORM) == "windows" ? 1 : 0;
}
} // namespace

// The filter paths give exactly the output they always gave: short lines
// with feedback through both filters, every routing, slope and kind of
// unit, modulated controls, a filter switched on midway, routing switched
// midway, odd host blocks; noise with a silent stretch (the self-oscillation
// muting reacts to it); on the SSE2 kernels and, where the processor has
// them, the AVX2 ones.
TEST(VarnelProcessor, FilterPathsKeepTheirOutputBitForBit) {
    const Settings lines = {{"Delay 1 Time", "20 ms"},         {"Delay 2 Time", "31 ms"},
                            {"Delay 1 Feedback", "0.6"},       {"Delay 2 Feedback", "0.5"},
                            {"Delay 1 Cross Feedback", "0.2"}, {"Input Level", "6 dB"}};
    const std::vector<OutputCase> cases = {
        {"Prime 24 serial",
         lines + filterPair("Zentor Prime", "24", "Zentor Prime", "24"),
         {},
         512,
         {0xc064a63f6944df9bull, 0x43d2b7d64b63654cull}},
        {"Prime 12 serial",
         lines + filterPair("Zentor Prime", "12", "Zentor Prime", "12"),
         {},
         512,
         {0xcc7a9f60a1803e92ull, 0x8799d95bc9a758e6ull}},
        {"Prime 48 serial",
         lines + filterPair("Zentor Prime", "48", "Zentor Prime", "48"),
         {},
         512,
         {0x64b12bce1e86d5b9ull, 0x6635affa0de3f1ebull}},
        {"Clean 12 serial",
         lines + filterPair("Clean", "12", "Clean", "12"),
         {},
         512,
         {0xd73bc24b2a0ac720ull, 0x6a95194101382d73ull}},
        {"Clean 24 serial",
         lines + filterPair("Clean", "24", "Clean", "24"),
         {},
         512,
         {0xb235658130168375ull, 0xf95bdf6b7f43f113ull}},
        {"Clean 48 serial",
         lines + filterPair("Clean", "48", "Clean", "48"),
         {},
         512,
         {0xff0d7351930d99dcull, 0xdb16f5c713a594b5ull}},
        {"Tube 48 into Gentle 12",
         lines + filterPair("Tube", "48", "Gentle", "12"),
         {},
         512,
         {0x6682caee983212c6ull, 0x3e24053c340bea6full}},
        {"Raw 12 into Hard 48",
         lines + filterPair("Raw", "12", "Hard", "48"),
         {},
         100,
         {0x7b575813a847b713ull, 0xf04f557b94456fafull}},
        {"Prime into Clean",
         lines + filterPair("Zentor Prime", "24", "Clean", "24"),
         {},
         512,
         {0x5d4982f6feb2e198ull, 0x3934f1cbc4d65ddeull}},
        {"Clean into Extreme",
         lines + filterPair("Clean", "48", "Extreme", "24"),
         {},
         512,
         {0xeab3c818ef1370d0ull, 0xca5d5afbfcc874eeull}},
        {"Prime 24 parallel",
         lines + filterPair("Zentor Prime", "24", "Zentor Prime", "24", "Parallel"),
         {},
         512,
         {0x1db48020682ea9c9ull, 0xc9004544306cf0d2ull}},
        {"Clean 24 parallel",
         lines + filterPair("Clean", "24", "Clean", "24", "Parallel"),
         {},
         512,
         {0x1da2db809c36eb3full, 0x38a53ed7f5718e4bull}},
        {"Metal 48 and Smooth 24 parallel",
         lines + filterPair("Metal", "48", "Smooth", "24", "Parallel"),
         {},
         333,
         {0x96e5e2fd4e644003ull, 0xb3dbdcc671ddaddbull}},
        {"Prime per channel, then serial",
         lines + filterPair("Zentor Prime", "24", "Zentor Prime", "48", "Per Channel"),
         {{"Filter Routing", "Serial"}},
         512,
         {0x392c4d61f4ef485full, 0x2f1c582ce6b7f0e1ull}},
        {"Clean per channel, then serial",
         lines + filterPair("Clean", "24", "Clean", "48", "Per Channel"),
         {{"Filter Routing", "Serial"}},
         512,
         {0x110ed989ad10bab1ull, 0xa9426ad33f1f9463ull}},
        {"Prime, filter 2 switched on midway",
         lines + filterPair("Zentor Prime", "24", "Zentor Prime", "24") +
             Settings{{"Filter 2 Enabled", "Disabled"}},
         {{"Filter 2 Enabled", "Enabled"}},
         512,
         {0x32ac686bbff6573ull, 0xdfcacadcde4786aaull}},
        {"Clean, filter 1 switched off midway",
         lines + filterPair("Clean", "24", "Clean", "24"),
         {{"Filter 1 Enabled", "Disabled"}},
         512,
         {0x250e68a02fa8462aull, 0xee999185c6ab8b12ull}},
        {"Prime 48 modulated",
         lines + filterPair("Zentor Prime", "48", "Zentor Prime", "48") + modulated(),
         {},
         512,
         {0x94b60bf31bf55e0dull, 0x3f7604e77ae2a24full}},
        {"Clean 24 modulated",
         lines + filterPair("Clean", "24", "Clean", "24") + modulated(),
         {},
         256,
         {0x4b472e69862eec51ull, 0xe32bd8acb78d78e1ull}},
        {"Tube 24 and Clean 12 modulated, parallel",
         lines + filterPair("Tube", "24", "Clean", "12", "Parallel") + modulated(),
         {},
         512,
         {0xa73af5c6c188d175ull, 0x234752dc644ad24dull}},
        {"Prime 24 mid/side",
         lines + filterPair("Zentor Prime", "24", "Zentor Prime", "24") +
             Settings{{"Channel Mode", "Mid/Side"}},
         {},
         512,
         {0x86ec4e9720b5e3cfull, 0x9c7d3bdcc0c2c852ull}},
    };
    const std::size_t n = 19200;
    std::vector<float> a = noise(n, 7, 0.8f), b = noise(n, 8, 0.8f);
    for (std::size_t i = n / 3; i < n / 2; ++i)
        a[i] = b[i] = 0.0f;
    const std::vector<float> firstA(a.begin(), a.begin() + n / 2), firstB(b.begin(), b.begin() + n / 2);
    const std::vector<float> secondA(a.begin() + n / 2, a.end()), secondB(b.begin() + n / 2, b.end());
    const simd::Path chosen = simd::activePath();
    std::vector<simd::Path> paths{simd::Path::kSse2};
    if (simd::isSupported(simd::Path::kAvx2)) paths.push_back(simd::Path::kAvx2);
    for (simd::Path path : paths) {
        simd::forcePath(path);
        for (const OutputCase& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.name << " on " << simd::pathName(path));
            Varnel v(48000.0f);
            v.hostBlock = c.hostBlock;
            apply(v, c.settings);
            v.render(firstA, firstB);
            std::vector<float> left = v.left, right = v.right;
            apply(v, c.later);
            v.render(secondA, secondB);
            left.insert(left.end(), v.left.begin(), v.left.end());
            right.insert(right.end(), v.right.begin(), v.right.end());
            ASSERT_TRUE(finiteAndBounded(left, 1e7f));
            EXPECT_EQ(outputChecksum(left, right), c.expected[platformColumn()])
                << std::hex << "0x" << outputChecksum(left, right) << "ull";
        }
    }
    simd::forcePath(chosen);
}

namespace {
// Settings that take effect at a frame of the render (at the first host
// block that starts there or later).
struct Step {
    std::size_t frame;
    Settings settings;
};

struct BlockCase {
    const char* name;
    float rate;
    std::vector<Step> steps;
    // Stretches of silence in the input, as [from, to) frames.
    std::vector<std::pair<std::size_t, std::size_t>> silences;
    std::size_t frames;
    // Whether the silence lets the graph fall idle (and be skipped).
    bool sleeps;
    // Per host block of kBlocks; the same on both builds (no filter runs).
    std::uint64_t expected[4];
};

constexpr std::size_t kBlocks[4] = {16, 32, 64, 512};

const Settings kDefaultSetting = {{"Delay 1 Time", "375 ms"},   {"Delay 1 Feedback", "0.35"},
                                  {"Delay 1 Pan", "-1"},        {"Delay 2 Time", "500 ms"},
                                  {"Delay 2 Feedback", "0.35"}, {"Delay 2 Pan", "1"}};

// Every source list at its full count, all 24 slots in use.
Settings everySource() {
    Settings s = {{"Num Active XY Controllers", "4"},
                  {"Num Active XLFOs", "6"},
                  {"Num Active EGs", "6"},
                  {"Num Active EFs", "4"},
                  {"Num Active MIDI Sources", "10"},
                  {"Num Active Slots", "24"}};
    for (int k = 1; k <= 6; ++k) {
        const std::string xlfo = "XLFO " + std::to_string(k);
        s.push_back({xlfo + " Frequency", std::to_string(k + 2) + " Hz"});
        s.push_back({"Num Active " + xlfo + " Steps", "16"});
        for (int step = 1; step <= 16; ++step) {
            s.push_back({xlfo + " Step " + std::to_string(step) + " Value", step % 3 == 0 ? "-0.7" : "0.8"});
            s.push_back({xlfo + " Step " + std::to_string(step) + " Glide", "0.5"});
        }
        s.push_back({"EG " + std::to_string(k) + " Attack", "0.01 s"});
        s.push_back({"EG " + std::to_string(k) + " Release", "0.2 s"});
    }
    const char* sources[24] = {"XLFO 1", "XLFO 2", "EG 1",     "EF 1",     "XLFO 3", "XY 1 Hor",
                               "EG 2",   "MIDI 1", "XLFO 4",   "XLFO 5",   "XLFO 6", "EG 3",
                               "EG 4",   "EG 5",   "EG 6",     "EF 2",     "EF 3",   "EF 4",
                               "MIDI 2", "MIDI 3", "XY 1 Ver", "XY 2 Hor", "MIDI 4", "XY 4 Ver"};
    const char* targets[24] = {"Delay 1 Time",     "Delay 2 Time",     "Filter 1 Freq", "Filter 2 Freq",
                               "Delay 1 Offset",   "Delay 2 Offset",   "Filter 1 Peak", "Filter 2 Peak",
                               "Delay 1 Pan",      "Delay 2 Pan",      "Filter 1 Pan",  "Filter 2 Pan",
                               "Delay 1 Feedback", "Delay 2 Feedback", "Wet Level",     "Dry Level",
                               "Wet Pan",          "Dry Pan",          "Input Level",   "XLFO 1 Freq",
                               "EG 1 Attack",      "EF 1 Release",     "Slot 1 Level",  "Slot 2 Level"};
    for (int slot = 0; slot < 24; ++slot) {
        const std::string name = "Slot " + std::to_string(slot + 1);
        s.push_back({name + " Source", sources[slot]});
        s.push_back({name + " Target", targets[slot]});
        s.push_back({name + " Level", slot % 2 == 0 ? "0.3" : "-0.4"});
    }
    return s;
}
} // namespace

// The whole processor gives exactly the output it always gave at host
// blocks of 16, 32, 64 and 512 frames, the block pieces a host running live
// hands over: "Default Setting" with levels, times, pans and every switch of
// the signal path changed while it runs; every modulation source into every
// kind of target, with slots switched off, retargeted and back; and a long
// silence at 8 kHz in which the graph falls idle and is skipped, with values
// changed while it sleeps. A block whose input is all zero is handed over as
// quiet, as a host marks a constant buffer.
TEST(VarnelProcessor, EveryHostBlockKeepsItsOutputBitForBit) {
    const std::vector<BlockCase> cases = {
        {"Default Setting, automated",
         48000.0f,
         {{0, kDefaultSetting},
          {9600,
           {{"Delay 1 Time", "250 ms"},
            {"Dry Level", "-6 dB"},
            {"Wet Pan", "0.5"},
            {"Delay 2 Feedback", "0.6"},
            {"Delay 1 Cross Feedback", "0.3"},
            {"Input Level", "-3 dB"}}},
          {19200, {{"Channel Mode", "Mid/Side"}, {"Delay Freeze", "On"}, {"Delay 2 Pan", "0.2"}}},
          {28800, {{"Delay Freeze", "Off"}, {"Audition Signal", "Input"}, {"Feedback Link", "Linked"}}},
          {38400,
           {{"Audition Signal", "Output"},
            {"Channel Mode", "Left/Right"},
            {"Dry Enabled", "Disabled"},
            {"Delay Link", "Linked"},
            {"Wet Level", "-20 dB"}}},
          {43200, {{"Dry Enabled", "Enabled"}, {"Delay 1 Feedback Invert", "Inverted"}}}},
         {{12000, 13000}},
         48000,
         false,
         {0x4590fe2921d99c3full, 0x6f7c99dcc7ce3bc9ull, 0x9023c15ad55fcb70ull, 0x2343c003df66ae67ull}},
        {"every modulation source",
         48000.0f,
         {{0, kDefaultSetting + everySource()},
          {12000, {{"Slot 1 Level", "0.8"}, {"Slot 2 Target", "Dry Pan"}, {"Slot 3 Bypassed", "Bypassed"}}},
          {24000, {{"Num Active Slots", "5"}, {"Num Active XLFOs", "2"}}},
          {33600, {{"Num Active Slots", "24"}, {"Num Active XLFOs", "6"}, {"Slot 3 Bypassed", "Normal"}}}},
         {},
         43200,
         false,
         {0xd0c02dc03eea4b32ull, 0xd0c02dc03eea4b32ull, 0x740dbe84b8b4c3adull, 0xbeea4635a5b6dc7ull}},
        {"silence until idle at 8 kHz",
         8000.0f,
         {{0, kDefaultSetting},
          {152000, {{"Dry Level", "-12 dB"}, {"Delay 1 Time", "100 ms"}, {"Wet Pan", "-0.5"}}},
          {153000, {{"Wet Level", "-6 dB"}}}},
         {{4000, 160000}},
         168000,
         true,
         {0xa38f218c9ef5cd04ull, 0x560c59d2a5ddd44bull, 0x4a1a4b4a35dda76dull, 0x34b48e2b1f25f6c3ull}},
    };
    const simd::Path chosen = simd::activePath();
    std::vector<simd::Path> paths{simd::Path::kSse2};
    if (simd::isSupported(simd::Path::kAvx2)) paths.push_back(simd::Path::kAvx2);
    for (simd::Path path : paths) {
        simd::forcePath(path);
        for (const BlockCase& c : cases) {
            std::vector<float> a = noise(c.frames, 11, 0.7f), b = noise(c.frames, 12, 0.5f);
            for (auto [from, to] : c.silences)
                for (std::size_t i = from; i < to && i < c.frames; ++i)
                    a[i] = b[i] = 0.0f;
            for (std::size_t k = 0; k < std::size(kBlocks); ++k) {
                SCOPED_TRACE(::testing::Message()
                             << c.name << ", blocks of " << kBlocks[k] << " on " << simd::pathName(path));
                Varnel v(c.rate);
                std::vector<float> left(c.frames), right(c.frames);
                std::size_t step = 0;
                bool slept = false;
                for (std::size_t at = 0; at < c.frames; at += kBlocks[k]) {
                    for (; step < c.steps.size() && c.steps[step].frame <= at; ++step)
                        apply(v, c.steps[step].settings);
                    const auto frames = static_cast<std::int32_t>(std::min(kBlocks[k], c.frames - at));
                    const float* in[2] = {a.data() + at, b.data() + at};
                    float* out[2] = {left.data() + at, right.data() + at};
                    const bool quiet =
                        std::all_of(a.begin() + std::ptrdiff_t(at), a.begin() + std::ptrdiff_t(at) + frames,
                                    [](float x) { return x == 0.0f; }) &&
                        std::all_of(b.begin() + std::ptrdiff_t(at), b.begin() + std::ptrdiff_t(at) + frames,
                                    [](float x) { return x == 0.0f; });
                    std::int32_t status = quiet ? GenericPluginProcessor::kStatusInputQuiet : 0;
                    v.p->setTransport(120.0f, 0.0f, 0, false);
                    v.p->process(in, 2, out, 2, frames, &status);
                    slept = slept || v.p->getBypassProcessor()->getTailCounter() == 0;
                }
                EXPECT_EQ(slept, c.sleeps);
                ASSERT_TRUE(finiteAndBounded(left, 1e7f) && finiteAndBounded(right, 1e7f));
                EXPECT_EQ(outputChecksum(left, right), c.expected[k])
                    << std::hex << "0x" << outputChecksum(left, right) << "ull";
            }
        }
    }
    simd::forcePath(chosen);
}

namespace {
// Parameters of the signal path, changed more often than the others.
const char* const kSignalPath[] = {"Delay 1 Time",
                                   "Delay 2 Time",
                                   "Delay 1 Feedback",
                                   "Delay 2 Feedback",
                                   "Delay 1 Pan",
                                   "Delay 2 Pan",
                                   "Delay 1 Cross Feedback",
                                   "Delay 1 Sync",
                                   "Delay 2 Sync",
                                   "Delay 1 Offset",
                                   "Delay Freeze",
                                   "Delay Link",
                                   "Feedback Link",
                                   "Filter 1 Enabled",
                                   "Filter 2 Enabled",
                                   "Filter 1 Freq",
                                   "Filter 2 Freq",
                                   "Filter 1 Characteristic",
                                   "Filter Routing",
                                   "Channel Mode",
                                   "Audition Signal",
                                   "Dry Enabled",
                                   "Dry Level",
                                   "Wet Level",
                                   "Dry Pan",
                                   "Wet Pan",
                                   "Input Level",
                                   "Num Active Slots",
                                   "Slot 1 Source",
                                   "Slot 1 Target",
                                   "Slot 1 Level",
                                   "Slot 2 Source",
                                   "Slot 2 Target",
                                   "Slot 2 Level",
                                   "Num Active XLFOs",
                                   "XLFO 1 Frequency",
                                   "Delay Buffer Read Style"};

// One run of the comparison below, its random choices drawn from seed.
void shortcutsAgree(unsigned seed) {
    // Random XLFO steps draw their first values when the processor is made.
    std::srand(5);
    Varnel direct(48000.0f);
    std::srand(5);
    Varnel shortcut(48000.0f);
    direct.p->getEnvironment().setShortcutsAllowed(false);
    std::mt19937 random(seed);
    std::vector<std::int32_t> favoured;
    for (const char* name : kSignalPath)
        favoured.push_back(direct.parameter(name).getIndex());
    const std::size_t frames = 240000;
    std::vector<float> a = noise(frames, 21, 0.6f), b = noise(frames, 22, 0.4f);
    for (std::size_t i = 100000; i < 130000; ++i)
        a[i] = b[i] = 0.0f;
    std::vector<float> outA[2], outB[2];
    for (auto* out : {&outA[0], &outA[1], &outB[0], &outB[1]})
        out->assign(160, 0.0f);
    std::string last = "none";
    for (std::size_t at = 0; at < frames;) {
        const auto count = static_cast<std::int32_t>(
            std::min<std::size_t>(std::uniform_int_distribution<int>(1, 160)(random), frames - at));
        const int what = std::uniform_int_distribution<int>(0, 99)(random);
        if (what < 40) {
            const std::int32_t index =
                what < 25 ? favoured[random() % favoured.size()]
                          : static_cast<std::int32_t>(random() % std::uint32_t(direct.p->getNumParameters()));
            const float value = direct.p->getParameter(index)->fromLinearNormalized(
                std::uniform_real_distribution<float>(0.0f, 1.0f)(random));
            direct.p->getParameter(index)->setValue(value, 0);
            shortcut.p->getParameter(index)->setValue(value, 0);
            last = direct.p->getParameter(index)->getName() + " = " + std::to_string(value);
        } else if (what == 40 && random() % 8 == 0) {
            direct.p->reset();
            shortcut.p->reset();
            last = "reset";
        }
        const float tempo = what == 41 ? 90.0f : 120.0f;
        const float* in[2] = {a.data() + at, b.data() + at};
        float* outsA[2] = {outA[0].data(), outA[1].data()};
        float* outsB[2] = {outB[0].data(), outB[1].data()};
        direct.p->setTransport(tempo, 0.0f, 0, false);
        shortcut.p->setTransport(tempo, 0.0f, 0, false);
        direct.p->process(in, 2, outsA, 2, count, nullptr);
        shortcut.p->process(in, 2, outsB, 2, count, nullptr);
        for (int c = 0; c < 2; ++c)
            ASSERT_EQ(std::memcmp(outA[c].data(), outB[c].data(), sizeof(float) * std::size_t(count)), 0)
                << "channel " << c << ", frames " << at << " to " << at + std::size_t(count)
                << ", last change: " << last;
        at += std::size_t(count);
    }
}
} // namespace

// The graph's shortcuts (held blocks of settled values, pulls forwarded
// through settled switches) give the very samples that computing every
// producer gives. Two processors, one with the shortcuts off, take the same
// input and the same random changes (any parameter, and often one of the
// signal path's), resets and tempo changes at random host block sizes; their
// outputs agree bit for bit in every block.
TEST(VarnelProcessor, ShortcutsGiveTheSamplesEveryComputedBlockGives) {
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(seed);
        shortcutsAgree(seed);
    }
}

// XLFOs synced to a playing transport (rates from the tempo, cycles placed
// on the song position of each host block, the tempo changing on the way)
// modulate both delay times and the wet pan; the output is the one it always
// was at host blocks of 16 and of 100 frames.
TEST(VarnelProcessor, SyncedXLFOsOnAPlayingTransportKeepTheirOutputBitForBit) {
    const Settings synced = {
        {"Num Active XLFOs", "2"}, {"XLFO 1 Sync Mode", "1/4"}, {"XLFO 2 Sync Mode", "1/2"},
        {"Num Active Slots", "3"}, {"Slot 1 Source", "XLFO 1"}, {"Slot 1 Target", "Delay 1 Time"},
        {"Slot 1 Level", "0.3"},   {"Slot 2 Source", "XLFO 2"}, {"Slot 2 Target", "Delay 2 Time"},
        {"Slot 2 Level", "-0.2"},  {"Slot 3 Source", "XLFO 1"}, {"Slot 3 Target", "Wet Pan"},
        {"Slot 3 Level", "0.5"}};
    Settings steps;
    for (const char* xlfo : {"XLFO 1", "XLFO 2"}) {
        steps.push_back({"Num Active " + std::string(xlfo) + " Steps", "4"});
        for (int step = 1; step <= 4; ++step)
            steps.push_back({std::string(xlfo) + " Step " + std::to_string(step) + " Value",
                             step % 2 == 0 ? "-0.6" : "0.9"});
    }
    const std::size_t frames = 96000;
    const std::vector<float> a = noise(frames, 31, 0.5f), b = noise(frames, 32, 0.5f);
    const std::uint64_t expected[2] = {0xc2c1bc9679972a4full, 0x1aeaf70a757f4134ull};
    const std::size_t blocks[2] = {16, 100};
    for (std::size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE(blocks[k]);
        Varnel v(48000.0f);
        const Settings settings = kDefaultSetting + synced + steps;
        apply(v, settings);
        std::vector<float> left(frames), right(frames);
        for (std::size_t at = 0; at < frames; at += blocks[k]) {
            const auto count = static_cast<std::int32_t>(std::min(blocks[k], frames - at));
            const float tempo = at < 48000 ? 120.0f : 96.0f;
            const float beats = static_cast<float>(static_cast<double>(at) / 48000.0 * tempo / 60.0);
            v.p->setTransport(tempo, beats, 0, true);
            const float* in[2] = {a.data() + at, b.data() + at};
            float* out[2] = {left.data() + at, right.data() + at};
            v.p->process(in, 2, out, 2, count, nullptr);
        }
        EXPECT_EQ(outputChecksum(left, right), expected[k])
            << std::hex << "0x" << outputChecksum(left, right) << "ull";
    }
}
