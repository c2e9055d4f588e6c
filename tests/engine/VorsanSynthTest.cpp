#include "engine/VorsanSynth.h"
#include "tests/engine/ToneMeasure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace
{
// Default raw values of the 21 catalogue rows, in row order: brass filter
// attack, decay, range, resonance, brass on, brass volume, EQ low, middle,
// high, 16', 8', crescendo, sustain, strings volume, modulation delay, rate,
// depth, destination, transpose, master volume, global tuning.
constexpr int catalogueDefaults[VorsanSynth::numParameters] = {
    64, 64, 64, 0, 0, 64, 64, 64, 64, 0, 1, 0, 72, 64, 64, 80, 0, 1, 1, 127, 64};

using Overrides = std::vector<std::pair<int, int>>;

// An engine with the catalogue defaults applied in row order (as the
// processor sends them), then the given rows changed.
std::unique_ptr<VorsanSynth> makeEngine(float rate, const Overrides& overrides = {})
{
    auto engine = std::make_unique<VorsanSynth>(rate);
    for (int row = 0; row < VorsanSynth::numParameters; ++row)
        engine->setParameterSynth(row, catalogueDefaults[row]);
    for (const auto& [row, value] : overrides)
        engine->setParameterSynth(row, value);
    return engine;
}

std::vector<float> render(VorsanSynth& engine, int samples)
{
    std::vector<float> out(static_cast<size_t>(samples));
    for (float& s : out)
        s = engine.Process();
    return out;
}

// A Hann-windowed copy of a signal, for spectral measurements.
std::vector<double> windowed(const std::vector<float>& x)
{
    std::vector<double> w(x.size());
    const double n = static_cast<double>(x.size());
    for (size_t i = 0; i < x.size(); ++i)
        w[i] = (0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / n)) * x[i];
    return w;
}

// The frequency of the strongest partial within +-span of a guess, refined
// by a parabola through the three best grid points.
double peakFrequencyNear(const std::vector<double>& x, double guess, double span, double rate)
{
    const double step = 0.02;
    const int count = static_cast<int>(2.0 * span / step) + 1;
    std::vector<double> mags(static_cast<size_t>(count));
    int best = 0;
    for (int i = 0; i < count; ++i)
    {
        mags[static_cast<size_t>(i)] = spectrumAt(x, guess - span + i * step, rate);
        if (mags[static_cast<size_t>(i)] > mags[static_cast<size_t>(best)])
            best = i;
    }
    double offset = 0.0;
    if (best > 0 && best < count - 1)
    {
        const double a = mags[best - 1], b = mags[best], c = mags[best + 1];
        offset = 0.5 * (a - c) / (a - 2.0 * b + c);
    }
    return guess - span + (best + offset) * step;
}

// The instrument's tuning factor for a raw "Global Tuning" value: the
// semitone ratio raised to 4x - 2, less 0.02 semitone.
double tuningFactor(int raw)
{
    const double x = raw / 127.0;
    return std::pow(1.0594630943593, 4.0 * x - 2.02);
}

}   // namespace

// ---------------------------------------------------------------- pitch

struct PitchCase
{
    const char* name;
    Overrides overrides;
    double octaveFactor;   // relative to the transposed 8' pitch
};

class VorsanSynthPitch : public ::testing::TestWithParam<float>
{
};

// Key 69 (A) with transpose on and only the 8' footage sounds at the
// A of the base table, 27.49 Hz, times 16, tuned by the factor of raw 64;
// transpose off and the 16' footage each sound an octave lower.
TEST_P(VorsanSynthPitch, Key69SoundsAtTheTunedBaseFrequency)
{
    const float rate = GetParam();
    const double a8 = 27.48999999999 * 16.0 * tuningFactor(64);
    const PitchCase cases[] = {
        {"8' transposed", {}, 1.0},
        {"8' not transposed", {{18, 0}}, 0.5},
        {"16' transposed", {{9, 1}, {10, 0}}, 0.5},
    };
    for (const PitchCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto engine = makeEngine(rate, c.overrides);
        engine->NoteOn(69, 100);
        render(*engine, static_cast<int>(0.5f * rate));
        // Four periods of the chorus's slow sweep, so that its moving delays
        // hardly shift the apparent pitch (the fast sweep's part period
        // leaves about 0.01 Hz; a wrong tuning is off by 0.1 Hz or more).
        const int length = static_cast<int>(4.0f / 0.86f * rate);
        const std::vector<double> out = windowed(render(*engine, length));

        const double expected = a8 * c.octaveFactor;
        const double measured = peakFrequencyNear(out, expected, 1.0, rate);
        EXPECT_NEAR(measured, expected, 0.03);
        // The fundamental is present and nothing sounds an octave below it.
        const double fundamental = spectrumAt(out, expected, rate);
        EXPECT_GT(fundamental, 50.0 * spectrumAt(out, expected * 0.5, rate));
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, VorsanSynthPitch, ::testing::Values(44100.0f, 48000.0f));

// ---------------------------------------------------------------- silence

TEST(VorsanSynth, NewEngineIsSilentUntilMasterVolumeIsSet)
{
    auto engine = std::make_unique<VorsanSynth>(44100.0f);
    for (int row = 0; row < VorsanSynth::numParameters; ++row)
        if (row != 19)
            engine->setParameterSynth(row, catalogueDefaults[row]);
    engine->setParameterSynth(4, 1);   // brass too
    for (int note : {48, 60, 69, 96})
        engine->NoteOn(note, 100);
    const std::vector<float> silent = render(*engine, 4410);
    for (float s : silent)
        ASSERT_EQ(s, 0.0f);

    engine->setParameterSynth(19, 127);
    const std::vector<float> sounding = render(*engine, 4410);
    EXPECT_GT(peakOf(sounding, 0, sounding.size()), 0.01f);
}

TEST(VorsanSynth, ConstructionLeavesTheCacheEmptyAndTheEngineDetuned)
{
    auto engine = std::make_unique<VorsanSynth>(48000.0f);
    for (int value : engine->lastValue)
        EXPECT_EQ(value, -1);
    EXPECT_EQ(engine->masterGain, 0.0f);
    EXPECT_FLOAT_EQ(engine->sampleRate, 48000.0f);
    // tune 0 plays 2.02 semitones below the base table.
    const double expected = 27.48999999999 * std::pow(1.0594630943593, -2.02) / 48000.0;
    EXPECT_NEAR(engine->osc.pitchIncrement[9], expected, expected * 1e-12);
}

// ---------------------------------------------------------------- parameters

TEST(VorsanSynth, SetParameterSynthAppliesAChangedValueOnce)
{
    auto engine = std::make_unique<VorsanSynth>(44100.0f);
    engine->setParameterSynth(19, 100);
    EXPECT_FLOAT_EQ(engine->masterGain, 100.0f / 127.0f);
    EXPECT_EQ(engine->lastValue[19], 100);

    // A repeat is not applied again (a change made behind its back stays).
    engine->masterGain = 0.25f;
    engine->setParameterSynth(19, 100);
    EXPECT_EQ(engine->masterGain, 0.25f);

    engine->setParameterSynth(19, 99);
    engine->setParameterSynth(19, 100);
    EXPECT_FLOAT_EQ(engine->masterGain, 100.0f / 127.0f);
}

// The mapping curves at their ends and at the catalogue defaults.
// Out-of-range raw values used to reach the curves: a huge tuning value
// made the pitch increments infinite and the voices' table positions
// undefined. They are now ignored, as are unknown rows.
TEST(VorsanSynth, RawValuesOutsideTheRangeAndUnknownRowsAreIgnored)
{
    auto reference = makeEngine(44100.0f);
    auto engine = makeEngine(44100.0f);
    for (int row = -1; row <= VorsanSynth::numParameters; ++row)
        for (int value : {-1, 128, 1000, 2147483647, -2147483647 - 1})
            engine->setParameterSynth(row, value);
    for (int row = 0; row < VorsanSynth::numParameters; ++row)
        EXPECT_EQ(engine->lastValue[row], catalogueDefaults[row]) << row;

    for (auto* e : {reference.get(), engine.get()})
        for (int note : {48, 67, 96})
            e->NoteOn(note, 100);
    const auto expected = render(*reference, 4096);
    const auto played = render(*engine, 4096);
    EXPECT_EQ(played, expected);
    EXPECT_TRUE(std::all_of(played.begin(), played.end(), [](float s) { return std::isfinite(s); }));
}

TEST(VorsanSynth, ParameterCurves)
{
    auto engine = makeEngine(44100.0f);
    EXPECT_NEAR(engine->fadeStep * 2.0157 * 44100.0, 1.0, 1e-3);   // 2.02 s fade
    EXPECT_NEAR(engine->modLfo.hz, 4.82f, 0.005f);
    EXPECT_EQ(engine->modDepth, 0.0f);
    EXPECT_FALSE(engine->modToFilter);
    EXPECT_DOUBLE_EQ(engine->tune, static_cast<double>(64.0f / 127.0f));
    EXPECT_FLOAT_EQ(engine->osc.brassCutoffBase, 0.16f + 0.34f * (64.0f / 127.0f));
    EXPECT_FLOAT_EQ(engine->osc.brassEnvAmount, 0.4f);

    engine->setParameterSynth(15, 127);
    engine->setParameterSynth(16, 127);
    engine->setParameterSynth(17, 0);
    EXPECT_FLOAT_EQ(engine->modLfo.hz, 29.25f);
    EXPECT_FLOAT_EQ(engine->modDepth, 0.2f);
    EXPECT_TRUE(engine->modToFilter);
    engine->setParameterSynth(15, 0);
    EXPECT_FLOAT_EQ(engine->modLfo.hz, 0.25f);

    // A delay length of 0 gives an infinite step: the fade lasts one sample.
    engine->setParameterSynth(14, 0);
    EXPECT_TRUE(std::isinf(engine->fadeStep));
}

// The brass chain ends in a 50 Hz, Q = 1 high-pass: unity at 50 Hz and
// above, 12 dB per octave below.
TEST(VorsanSynth, BrassHighPassResponse)
{
    for (float rate : {44100.0f, 48000.0f})
    {
        auto engine = makeEngine(rate);
        const Biquad& hp = engine->osc.brassHighPass;
        auto gainDb = [&](double f) {
            const double w = 2.0 * M_PI * f / rate;
            const double cr = std::cos(w), ci = -std::sin(w);     // z^-1
            const double c2r = std::cos(2 * w), c2i = -std::sin(2 * w);
            const double nr = hp.b0 + hp.b1 * cr + hp.b2 * c2r, ni = hp.b1 * ci + hp.b2 * c2i;
            const double dr = 1.0 + hp.a1 * cr + hp.a2 * c2r, di = hp.a1 * ci + hp.a2 * c2i;
            return 10.0 * std::log10((nr * nr + ni * ni) / (dr * dr + di * di));
        };
        EXPECT_NEAR(gainDb(50.0), 0.0, 0.05) << rate;
        EXPECT_NEAR(gainDb(2000.0), 0.0, 0.05) << rate;
        EXPECT_NEAR(gainDb(12.5), -24.0, 0.5) << rate;   // two octaves below
    }
}

TEST(VorsanSynth, HertzReadouts)
{
    struct Case
    {
        int row;
        float value;
        const char* text;
    };
    const Case cases[] = {
        {20, 0.0f, "392 Hz"},   {20, 1.0f, "494 Hz"},   {20, 64.0f / 127.0f, "440 Hz"},
        {15, 0.0f, "0.25 Hz"},  {15, 1.0f, "29.25 Hz"}, {15, 80.0f / 127.0f, "4.82 Hz"},
        {3, 0.5f, "unchanged"}, {19, 1.0f, "unchanged"},
    };
    for (const Case& c : cases)
    {
        char text[128] = "unchanged";
        VorsanSynth::GetParameterReadout(c.row, c.value, text);
        EXPECT_STREQ(text, c.text) << "row " << c.row << " value " << c.value;
    }

    // Nonsense values still give a bounded text.
    for (float bad : {std::nanf(""), 1e30f, -1e30f})
    {
        char text[128];
        std::memset(text, 'x', sizeof text);
        VorsanSynth::GetParameterReadout(20, bad, text);
        EXPECT_LT(std::strlen(text), static_cast<size_t>(VorsanSynth::readoutCapacity));
        VorsanSynth::GetParameterReadout(15, bad, text);
        EXPECT_LT(std::strlen(text), static_cast<size_t>(VorsanSynth::readoutCapacity));
    }
}

// ---------------------------------------------------------------- modulation

// The fade-in restarts only with a phrase: a key pressed while another is
// held leaves it running; a key after all were released restarts it.
TEST(VorsanSynth, ModulationFadeRestartsOnlyOnAPhraseStart)
{
    auto engine = makeEngine(44100.0f);
    EXPECT_EQ(engine->fadeLevel, 1.0f);

    engine->NoteOn(60, 100);
    EXPECT_EQ(engine->fadeLevel, 1.0e-17f);
    render(*engine, 1000);
    const float running = engine->fadeLevel;
    EXPECT_GT(running, 0.0f);

    engine->NoteOn(64, 100);   // joins the phrase
    EXPECT_EQ(engine->fadeLevel, running);
    engine->NoteOff(60);
    engine->NoteOff(64);
    render(*engine, 10);
    const float beforeRestart = engine->fadeLevel;
    EXPECT_GT(beforeRestart, running);

    engine->NoteOn(67, 100);   // a new phrase
    EXPECT_EQ(engine->fadeLevel, 1.0e-17f);
}

// With the default delay length (raw 64) the fade takes 4 · 64/127 s.
TEST(VorsanSynth, ModulationFadeLastsTheDelayLength)
{
    auto engine = makeEngine(48000.0f);
    engine->NoteOn(60, 100);
    int samples = 0;
    while (engine->fadeLevel < 1.0f && samples < 10 * 48000)
    {
        engine->Process();
        ++samples;
    }
    // The float accumulation of the small step makes it a little longer.
    EXPECT_NEAR(samples / 48000.0, 4.0 * 64.0 / 127.0, 0.01);
}

// Depth 0 (the default): the oscillator runs at the rate (4.82 Hz at raw
// 80) over its full swing, but neither pitch nor filter moves.
TEST(VorsanSynth, LfoRunsWithoutEffectAtDepthZero)
{
    const float rate = 44100.0f;
    auto engine = makeEngine(rate, {{17, 0}});
    engine->NoteOn(69, 100);
    const double increment = engine->osc.pitchIncrement[9];
    float low = 0.0f, high = 0.0f;
    int rising = 0, firstRising = -1, lastRising = -1;
    float previous = engine->lfoValue.load();
    const int total = static_cast<int>(2.0f * rate);
    for (int i = 0; i < total; ++i)
    {
        engine->Process();
        const float v = engine->lfoValue.load();
        low = std::min(low, v);
        high = std::max(high, v);
        if (previous < 0.0f && v >= 0.0f)
        {
            ++rising;
            if (firstRising < 0)
                firstRising = i;
            lastRising = i;
        }
        previous = v;
        ASSERT_EQ(engine->osc.pitchIncrement[9], increment);
        ASSERT_EQ(engine->osc.filterModulation, 0.0f);
    }
    EXPECT_NEAR(low, -1.0f, 1e-3f);
    EXPECT_NEAR(high, 1.0f, 1e-3f);
    ASSERT_GT(rising, 2);
    const double hz = rate * (rising - 1) / static_cast<double>(lastRising - firstRising);
    EXPECT_NEAR(hz, 0.25 + std::pow(80.0 / 127.0, 4.0) * 29.0, 0.01);
}

// Full depth to pitch swings the tuning by +-0.344 semitone and leaves the
// filter alone; to the filter it moves the cutoff control by up to +-0.1 and
// leaves the pitch exactly at the tuning.
TEST(VorsanSynth, ModulationRouting)
{
    const float rate = 44100.0f;
    auto toPitch = makeEngine(rate, {{16, 127}, {17, 1}});
    auto toFilter = makeEngine(rate, {{16, 127}, {17, 0}});
    toFilter->Process();   // the tuning takes effect at the next sample
    const double steady = toFilter->osc.pitchIncrement[9];

    double lowest = 1e9, highest = 0.0;
    float filterLow = 0.0f, filterHigh = 0.0f;
    for (int i = 0; i < rate; ++i)
    {
        toPitch->Process();
        toFilter->Process();
        lowest = std::min(lowest, toPitch->osc.pitchIncrement[9]);
        highest = std::max(highest, toPitch->osc.pitchIncrement[9]);
        ASSERT_EQ(toPitch->osc.filterModulation, 0.0f);
        ASSERT_EQ(toFilter->osc.pitchIncrement[9], steady);
        ASSERT_FLOAT_EQ(toFilter->osc.filterModulation,
                        0.5f * toFilter->lfoValue.load() * toFilter->modDepth);
        filterLow = std::min(filterLow, toFilter->osc.filterModulation);
        filterHigh = std::max(filterHigh, toFilter->osc.filterModulation);
    }
    EXPECT_NEAR(12.0 * std::log2(highest / steady), 0.344, 0.002);
    EXPECT_NEAR(12.0 * std::log2(lowest / steady), -0.344, 0.002);
    EXPECT_NEAR(filterHigh, 0.1f, 1e-3f);
    EXPECT_NEAR(filterLow, -0.1f, 1e-3f);
}

// With a delay length of 0 the first sample after a phrase start carries no
// modulation at all and the next one the full depth.
TEST(VorsanSynth, ZeroDelayLengthFadesInOneSample)
{
    auto engine = makeEngine(44100.0f, {{14, 0}, {16, 127}, {17, 0}, {15, 127}});
    render(*engine, 100);
    engine->NoteOn(60, 100);
    engine->Process();
    EXPECT_EQ(engine->osc.filterModulation, 0.0f);
    EXPECT_NE(engine->lfoValue.load(), 0.0f);
    engine->Process();
    EXPECT_EQ(engine->osc.filterModulation, 0.5f * (engine->lfoValue.load() * 0.2f));
    EXPECT_EQ(engine->fadeLevel, 1.0f);
}

// ---------------------------------------------------------------- chain

// The brass section bypasses equaliser and chorus: with both footages off
// the output is the brass sample times the master gain.
TEST(VorsanSynth, BrassBypassesTheStringChain)
{
    auto engine = makeEngine(44100.0f, {{4, 1}, {9, 0}, {10, 0}, {19, 100}});
    engine->NoteOn(57, 100);
    render(*engine, 44100);   // strings faded out, their high-pass settled
    float brassPeak = 0.0f;
    for (int i = 0; i < 4410; ++i)
    {
        const float out = engine->Process();
        const float brass = engine->osc.brassOutput * engine->masterGain;
        brassPeak = std::max(brassPeak, std::fabs(brass));
        ASSERT_NEAR(out, brass, 1e-6f);
    }
    EXPECT_GT(brassPeak, 0.01f);
}

// Reset clears the equaliser memories and restarts the chorus; the held
// note, the parameters and the modulation carry on.
TEST(VorsanSynth, ResetKeepsNotesAndSettings)
{
    auto engine = makeEngine(44100.0f, {{19, 120}});
    engine->NoteOn(60, 100);
    render(*engine, 20000);
    const float fade = engine->fadeLevel;
    engine->Reset();
    for (const Biquad& band : engine->equaliser.eqBand)
        EXPECT_EQ(band.y1 + band.y2 + band.x1 + band.x2, 0.0f);
    EXPECT_EQ(engine->equaliser.highPass.y1, 0.0f);
    EXPECT_EQ(engine->fadeLevel, fade);
    EXPECT_FLOAT_EQ(engine->masterGain, 120.0f / 127.0f);
    const std::vector<float> out = render(*engine, 4410);
    EXPECT_GT(peakOf(out, 2205, out.size()), 0.01f);
}

// The tone generator renders its voices together; the whole engine's output
// must be, bit for bit, what ticking every voice on its own gives, through a
// phrase with brass, both footages, pitch modulation, releases and re-strikes.
TEST(VorsanSynth, BatchedVoicesRenderTheSameSamplesAsSingleVoices)
{
    const Overrides sound = {{4, 1}, {9, 1}, {16, 64}, {19, 127}};
    auto batched = makeEngine(44100.0f, sound);
    auto single = makeEngine(44100.0f, sound);
    single->osc.tickVoicesOneByOne = true;

    const int chord[] = {48, 55, 60, 64, 67, 72, 79, 84, 91, 96};
    int differences = 0;
    for (int step = 0; step < 40; ++step)
    {
        const int note = chord[step % 10];
        if (step % 3 == 2)
        {
            batched->NoteOff(note);
            single->NoteOff(note);
        }
        else
        {
            batched->NoteOn(note, 100);
            single->NoteOn(note, 100);
        }
        for (int i = 0; i < 2000; ++i)
        {
            const float a = batched->Process();
            const float b = single->Process();
            if (std::memcmp(&a, &b, sizeof a) != 0)
                ++differences;
        }
    }
    EXPECT_EQ(differences, 0);
}

// ---------------------------------------------------------------- blocks

namespace
{
// Something that happens between samples of a performance.
struct PerformanceEvent
{
    int sample;
    enum { noteOn, noteOff, parameter } kind;
    int number;   // note, or parameter row
    int value = 0;
};

void apply(VorsanSynth& engine, const PerformanceEvent& e)
{
    if (e.kind == PerformanceEvent::noteOn)
        engine.NoteOn(e.number, 100);
    else if (e.kind == PerformanceEvent::noteOff)
        engine.NoteOff(e.number);
    else
        engine.setParameterSynth(e.number, e.value);
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every piece of the tone generator's moving state, bit for bit.
void expectSameToneGeneratorState(const PhaseSyncOsc& a, const PhaseSyncOsc& b)
{
    EXPECT_TRUE(sameBits(a.crescendoLevel, b.crescendoLevel));
    EXPECT_TRUE(sameBits(a.brassOutput, b.brassOutput));
    EXPECT_TRUE(sameBits(a.filterModulation, b.filterModulation));
    for (int c = 0; c < PhaseSyncOsc::pitchClasses; ++c)
    {
        EXPECT_TRUE(sameBits(a.masterPhase[c], b.masterPhase[c])) << c;
        EXPECT_TRUE(sameBits(a.pitchIncrement[c], b.pitchIncrement[c])) << c;
    }
    for (int k = 0; k < PhaseSyncOsc::keyCount; ++k)
    {
        SCOPED_TRACE(k);
        EXPECT_EQ(a.brassKeyEnv[k].stage, b.brassKeyEnv[k].stage);
        EXPECT_TRUE(sameBits(a.brassKeyEnv[k].level, b.brassKeyEnv[k].level));
        EXPECT_EQ(a.stringsKeys[k].stage, b.stringsKeys[k].stage);
        EXPECT_TRUE(sameBits(a.stringsKeys[k].level, b.stringsKeys[k].level));
        EXPECT_TRUE(sameBits(a.keySmoothing[k].value, b.keySmoothing[k].value));
        const WvIn* voicesA[] = {a.brassOsc[k].get(), a.strings16Osc[k].get(), a.strings8Osc[k].get()};
        const WvIn* voicesB[] = {b.brassOsc[k].get(), b.strings16Osc[k].get(), b.strings8Osc[k].get()};
        for (int v = 0; v < 3; ++v)
        {
            EXPECT_TRUE(sameBits(voicesA[v]->position, voicesB[v]->position)) << v;
            EXPECT_TRUE(sameBits(voicesA[v]->lastOutput, voicesB[v]->lastOutput)) << v;
            EXPECT_TRUE(sameBits(voicesA[v]->bandBoost.band, voicesB[v]->bandBoost.band)) << v;
            EXPECT_TRUE(sameBits(voicesA[v]->bandBoost.low, voicesB[v]->bandBoost.low)) << v;
            EXPECT_TRUE(sameBits(voicesA[v]->highPass.band, voicesB[v]->highPass.band)) << v;
            EXPECT_TRUE(sameBits(voicesA[v]->highPass.low, voicesB[v]->highPass.low)) << v;
        }
    }
}
} // namespace

// Rendering in blocks must give, bit for bit, the samples of as many single
// calls that tick every voice on its own, whatever the block length: through
// a performance that changes things between blocks (chords, releases that
// end inside a block, re-strikes, both ends of the keyboard, sections and
// transpose switched, modulation to pitch and then to the filter, the
// crescendo rising under keys that have settled). Afterwards the engine is
// where the single calls leave it.
TEST(VorsanSynth, BlocksRenderTheSamplesOfSingleCalls)
{
    using E = PerformanceEvent;
    std::vector<E> performance = {
        {0, E::parameter, 4, 1}, {0, E::parameter, 9, 1}, {0, E::parameter, 16, 90},
        {0, E::parameter, 11, 50},   // a crescendo of 1 s
        {0, E::parameter, 12, 25},   // a release of 0.2 s
        {4000, E::noteOn, 60}, {4000, E::noteOn, 64},   // a phrase while the crescendo rises
        {9000, E::noteOff, 64},
        {12000, E::noteOn, 64},      // re-struck after its release has ended
        {12000, E::noteOn, 60},      // re-struck while held
        {13000, E::parameter, 11, 0},   // the crescendo finishes; the keys settle
        {14000, E::parameter, 17, 0},   // modulation to the brass filter
        {17000, E::parameter, 18, 0}, {17000, E::parameter, 9, 0},
        {20000, E::parameter, 11, 50},
        // A key-up of a key that is not held ends the phrase while 64 is
        // still held; the next key-down starts the crescendo again under it.
        {21000, E::noteOff, 60}, {21000, E::noteOff, 59}, {21000, E::noteOff, 58},
        {22000, E::noteOn, 67},
        {24000, E::noteOff, 64}, {24000, E::noteOff, 67},
        {25000, E::parameter, 11, 0}, {25000, E::parameter, 12, 90}, {25000, E::parameter, 4, 0},
        {33000, E::parameter, 4, 1}, {33000, E::parameter, 18, 1},
    };
    for (int note = 48; note <= 96; note += 2)
        performance.push_back({26000, E::noteOn, note});
    for (int note = 48; note <= 96; note += 6)
        performance.push_back({30000, E::noteOff, note});
    performance.push_back({30000, E::noteOn, 30});   // acts on the lowest key
    performance.push_back({30000, E::noteOn, 100});  // and on the highest
    std::stable_sort(performance.begin(), performance.end(),
                     [](const E& a, const E& b) { return a.sample < b.sample; });
    constexpr int length = 40000;

    for (float rate : {44100.0f, 48000.0f})
    {
        auto reference = makeEngine(rate, {{19, 127}});
        reference->osc.tickVoicesOneByOne = true;
        std::vector<float> expected;
        size_t next = 0;
        for (int sample = 0; sample < length; ++sample)
        {
            while (next < performance.size() && performance[next].sample == sample)
                apply(*reference, performance[next++]);
            expected.push_back(reference->Process());
        }

        std::vector<std::unique_ptr<VorsanSynth>> engines;
        for (int blockLength : {1, 7, 64, 65, 512})
        {
            SCOPED_TRACE(testing::Message() << rate << " Hz, blocks of " << blockLength);
            engines.push_back(makeEngine(rate, {{19, 127}}));
            VorsanSynth& engine = *engines.back();
            std::vector<float> block(static_cast<size_t>(blockLength));
            int differences = 0, sample = 0;
            next = 0;
            while (sample < length)
            {
                while (next < performance.size() && performance[next].sample == sample)
                    apply(engine, performance[next++]);
                // A block ends where the next event is due.
                const int due = next < performance.size() ? performance[next].sample : length;
                const int n = std::min(blockLength, due - sample);
                engine.Process(block.data(), n);
                for (int i = 0; i < n; ++i)
                    differences += sameBits(block[static_cast<size_t>(i)], expected[static_cast<size_t>(sample + i)]) ? 0 : 1;
                sample += n;
            }
            EXPECT_EQ(differences, 0);
            expectSameToneGeneratorState(engine.osc, reference->osc);
            EXPECT_TRUE(sameBits(engine.fadeLevel, reference->fadeLevel));
            EXPECT_TRUE(sameBits(engine.lfoValue.load(), reference->lfoValue.load()));
        }
        // The chain after the tone generator goes on alike.
        const std::vector<float> tail = render(*reference, 100);
        for (auto& engine : engines)
            for (float expectedSample : tail)
                ASSERT_TRUE(sameBits(engine->Process(), expectedSample));
    }
}
