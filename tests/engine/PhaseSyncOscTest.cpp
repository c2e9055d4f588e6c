#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <vector>

#include "engine/PhaseSyncOsc.h"
#include "engine/ResCycles.h"

namespace
{
constexpr double pi = 3.14159265358979323846;

// Equal-tempered C0..B0, except A at the instrument's 27.49 Hz.
double pitchClassHz(int i)
{
    return i == 9 ? 27.49 : 440.0 * std::pow(2.0, (i - 57) / 12.0);
}

class ToneGenerator : public ::testing::Test
{
protected:
    double fs = 44100.0;
    std::unique_ptr<PhaseSyncOsc> osc = std::make_unique<PhaseSyncOsc>();

    void SetUp() override { load(fs); }

    void load(double rate)
    {
        fs = rate;
        osc = std::make_unique<PhaseSyncOsc>();
        osc->loadWaveTable(fs);
        // What the frame writes before every sample, at neutral tuning.
        for (int i = 0; i < PhaseSyncOsc::pitchClasses; ++i)
            osc->pitchIncrement[i] = osc->pitchClassTuning[i] * pitchClassHz(i) / fs;
        osc->setAttackStrings(0.0f); // 14 ms crescendo: the key's own 41 ms attack rules
        osc->setRelease(0.5f);
        osc->setStringsVolume(1.0f);
        osc->setBrassVolume(1.0f);
    }

    int samples(double seconds) const { return static_cast<int>(seconds * fs + 0.5); }

    void run(int n)
    {
        for (int i = 0; i < n; ++i)
            osc->sound_engine1();
    }

    // Renders n samples; the string section and the brass section apart.
    void render(int n, std::vector<float>& strings, std::vector<float>& brass)
    {
        strings.resize(n);
        brass.resize(n);
        for (int i = 0; i < n; ++i)
        {
            strings[i] = osc->sound_engine1();
            brass[i] = osc->brassOutput;
        }
    }
};

// Fundamental frequency of a periodic signal from its autocorrelation: the
// first lag (within 40 Hz .. 2 kHz) whose normalised correlation is a peak
// above 0.95, refined by a parabola through its neighbours.
double measureFrequency(const std::vector<float>& x, double fs)
{
    const int minLag = static_cast<int>(fs / 2000.0);
    const int maxLag = static_cast<int>(fs / 40.0);
    const int n = static_cast<int>(x.size()) - maxLag - 1;
    auto correlation = [&](int lag) {
        double xy = 0.0, xx = 0.0, yy = 0.0;
        for (int i = 0; i < n; ++i)
        {
            xy += double(x[i]) * x[i + lag];
            xx += double(x[i]) * x[i];
            yy += double(x[i + lag]) * x[i + lag];
        }
        return (xx > 0.0 && yy > 0.0) ? xy / std::sqrt(xx * yy) : 0.0;
    };
    for (int lag = minLag; lag < maxLag; ++lag)
    {
        const double r = correlation(lag);
        if (r < 0.95)
            continue;
        const double before = correlation(lag - 1);
        const double after = correlation(lag + 1);
        if (r >= before && r >= after)
        {
            const double shift = 0.5 * (before - after) / (before - 2.0 * r + after);
            return fs / (lag + shift);
        }
    }
    return 0.0;
}

// Amplitude of the component of x at hz, relative to the RMS of x. A Hann
// window keeps the neighbouring harmonics from leaking in.
double relativeComponent(const std::vector<float>& x, double hz, double fs)
{
    const double n = double(x.size());
    double re = 0.0, im = 0.0, power = 0.0;
    for (size_t i = 0; i < x.size(); ++i)
    {
        const double window = 0.5 - 0.5 * std::cos(2.0 * pi * double(i) / n);
        const double a = 2.0 * pi * hz * double(i) / fs;
        re += window * x[i] * std::cos(a);
        im += window * x[i] * std::sin(a);
        power += double(x[i]) * x[i];
    }
    const double amplitude = 4.0 * std::hypot(re, im) / n; // the window halves the sum
    return amplitude / std::sqrt(power / n);
}
} // namespace

// ---------------------------------------------------------------- wave tables

TEST_F(ToneGenerator, WaveTablesBlendTheStoredCyclesByNote)
{
    // Weight of the highest cycle in the 16' (and brass) table and in the 8'
    // table; the 8' weight of the lowest cycle is 1 - h8 / 1.6 and the 16'
    // one 1 - h16.
    struct Blend
    {
        int note;
        float h16;
        float h8;
    };
    const Blend blends[] = {
        {0, 0.0f, 0.0f},         {47, 0.0f, 0.0f},         {48, -0.00271f, 0.0f},
        {60, 0.04279f, 0.4267f}, {72, 0.15875f, 0.8533f},  {84, 0.48047f, 1.28f},
        {93, 0.98775f, 1.6f},    {94, 1.0f, 1.6f},         {127, 1.0f, 1.6f},
    };
    for (const Blend& b : blends)
    {
        SCOPED_TRACE(b.note);
        for (int j = 0; j < ResCycles::points; ++j)
        {
            const float hi = resCycleHighest[j];
            const float lo = resCycleLowest[j];
            ASSERT_NEAR(osc->waveTable16[j][b.note], hi * b.h16 + lo * (1.0f - b.h16), 5e-5f) << j;
            ASSERT_NEAR(osc->waveTable8[j][b.note], hi * b.h8 + lo * (1.0f - b.h8 / 1.6f), 5e-5f) << j;
        }
    }
    // Outside the blend the columns are the stored cycles themselves.
    EXPECT_EQ(osc->waveTable16[153][40], resCycleLowest[153]);
    EXPECT_EQ(osc->waveTable16[377][100], resCycleHighest[377]);
}

TEST_F(ToneGenerator, LoadingSetsUpVoicesEnvelopesAndFilters)
{
    struct Rate
    {
        double fs;
        float fadeStep;
        float smoothing;
        double highPassFrequency;
    };
    const Rate rates[] = {{44100.0, 0.00022676f, 0.0036361f, 0.0070522},
                          {48000.0, 0.00020833f, 0.0033412f, 0.0064792}};
    for (const Rate& r : rates)
    {
        SCOPED_TRACE(r.fs);
        load(r.fs);
        EXPECT_FLOAT_EQ(osc->sampleRate, float(r.fs));
        EXPECT_NEAR(osc->brassFade.step, r.fadeStep, 1e-8f);
        EXPECT_EQ(osc->strings16Fade.step, osc->brassFade.step);
        EXPECT_EQ(osc->strings8Fade.step, osc->brassFade.step);
        EXPECT_NEAR(osc->keySmoothing[30].coefficient, r.smoothing, 1e-7f);
        EXPECT_NEAR(osc->stringsHighPass.frequency, r.highPassFrequency, 1e-7);
        EXPECT_TRUE(osc->filterEnvelope.autoRelease);
        for (int k = 0; k < PhaseSyncOsc::keyCount; ++k)
        {
            ASSERT_TRUE(osc->strings8Osc[k] && osc->strings16Osc[k] && osc->brassOsc[k]);
            EXPECT_EQ(osc->strings8Osc[k]->wave, osc->waveTable8);
            EXPECT_EQ(osc->strings16Osc[k]->wave, osc->waveTable16);
            EXPECT_EQ(osc->brassOsc[k]->wave, osc->waveTable16);
            EXPECT_EQ(osc->strings8Osc[k]->rowCount, 401u);
            EXPECT_EQ(osc->strings8Osc[k]->octaveFactor, 1.0f);
            EXPECT_EQ(osc->strings16Osc[k]->octaveFactor, 0.5f);
            EXPECT_EQ(osc->brassOsc[k]->octaveFactor, 0.5f);
            EXPECT_EQ(osc->stringsKeys[k].keySampleRate, float(r.fs));
        }
    }
    // A brass key's attack lasts 25 ms.
    load(44100.0);
    osc->setNoteOn(60);
    EXPECT_EQ(osc->brassKeyEnv[24].stageSamples, 1103);
}

TEST_F(ToneGenerator, InitialBrassFilterIsATwentyHertzNotch)
{
    auto gainAt = [&](double hz) {
        const Biquad& q = osc->brassHighPass;
        const double w = 2.0 * pi * hz / fs;
        const std::complex<double> z1 = std::polar(1.0, -w), z2 = std::polar(1.0, -2.0 * w);
        return std::abs((double(q.b0) + double(q.b1) * z1 + double(q.b2) * z2) /
                        (1.0 + double(q.a1) * z1 + double(q.a2) * z2));
    };
    EXPECT_LT(gainAt(20.0), 1e-3);
    EXPECT_NEAR(gainAt(1000.0), 1.0, 1e-3);
    EXPECT_NEAR(gainAt(5.0), 0.97, 0.02); // a notch, not a high-pass
}

// ------------------------------------------------------------- phrase logic

TEST_F(ToneGenerator, PhraseStartsAndEndsWithTheKeyCount)
{
    // Keys are counted, not recorded: a second key-down of a held key counts
    // up, and any key-up counts down; at 0 the phrase ends.
    struct Event
    {
        int note;   // positive: key down, negative: key up
        int held;
        bool startActive;
        AREnvelope::EnvelopeStage contour;
    };
    const Event events[] = {
        {60, 1, true, AREnvelope::attack},   {64, 2, false, AREnvelope::attack},
        {64, 3, false, AREnvelope::attack},  {-64, 2, false, AREnvelope::attack},
        {-64, 1, false, AREnvelope::attack}, {-60, 0, false, AREnvelope::release},
        {67, 1, true, AREnvelope::attack},   {72, 2, false, AREnvelope::attack},
        {-50, 1, false, AREnvelope::attack}, {-48, 0, false, AREnvelope::release},
        {-48, 0, false, AREnvelope::release}, {55, 1, true, AREnvelope::attack},
    };
    for (const Event& e : events)
    {
        if (e.note > 0)
            osc->setNoteOn(e.note);
        else
            osc->setNoteOff(-e.note);
        SCOPED_TRACE(e.note);
        EXPECT_EQ(osc->heldCount, e.held);
        EXPECT_EQ(osc->getStartActive(), e.startActive);
        EXPECT_EQ(osc->filterEnvelope.getCurrentStage(), e.contour);
        // The filter contour's release is the decay setting while keys are
        // held and 25 ms once the phrase has ended.
        if (e.held == 0)
            EXPECT_FLOAT_EQ(osc->filterEnvelope.releaseTime, 0.025f);
        else
            EXPECT_FLOAT_EQ(osc->filterEnvelope.releaseTime, 0.002f);
    }
}

TEST_F(ToneGenerator, HeldCountStopsAtSixty)
{
    for (int note = 36; note <= 96; ++note)
        osc->setNoteOn(note);
    EXPECT_EQ(osc->heldCount, 60);
    for (int note = 36; note < 96; ++note)
        osc->setNoteOff(note);
    // One key is still down, but the phrase has ended.
    EXPECT_EQ(osc->heldCount, 0);
    EXPECT_EQ(osc->filterEnvelope.getCurrentStage(), AREnvelope::release);
    EXPECT_EQ(osc->stringsKeys[60].stage, StringsKey::attack);
}

TEST_F(ToneGenerator, NotesOutsideTheKeyboardActOnItsEnds)
{
    struct Clamp
    {
        int note;
        int key;
    };
    for (const Clamp& c : {Clamp{30, 0}, Clamp{36, 0}, Clamp{96, 60}, Clamp{100, 60}, Clamp{-5, 0}, Clamp{1000, 60}})
    {
        SCOPED_TRACE(c.note);
        load(fs);
        osc->setNoteOn(c.note);
        EXPECT_EQ(osc->stringsKeys[c.key].stage, StringsKey::attack);
        EXPECT_EQ(osc->lastKey, c.key);
        EXPECT_EQ(osc->strings8Osc[c.key]->column, c.key + 36);
        osc->setNoteOff(c.note);
        EXPECT_EQ(osc->stringsKeys[c.key].stage, StringsKey::release);
    }
}

TEST_F(ToneGenerator, CrescendoRestartsOnlyWithAPhrase)
{
    osc->setAttackStrings(0.5f); // a slow ramp, 1.264 s
    osc->setNoteOn(60);
    EXPECT_FLOAT_EQ(osc->crescendoLevel, 0.01f); // a key at rest
    run(samples(0.3));
    const float ramp = osc->crescendoLevel;
    EXPECT_GT(ramp, 0.2f);
    osc->setNoteOn(64); // joins the phrase
    EXPECT_EQ(osc->crescendoLevel, ramp);

    // A phrase begun by a key that is still releasing starts the ramp from
    // that key's level.
    osc->setNoteOff(60);
    osc->setNoteOff(64);
    run(samples(0.1));
    const float releasing = osc->stringsKeys[24].level;
    ASSERT_GT(releasing, 0.05f);
    osc->setNoteOn(60);
    EXPECT_TRUE(osc->getStartActive());
    EXPECT_EQ(osc->crescendoLevel, releasing + 0.01f);
}

TEST_F(ToneGenerator, StringLevelIsTheSmallerOfKeyAttackAndCrescendo)
{
    // Crescendo setting, seconds until the first key of a phrase is at full
    // level: its own 41 ms attack, or the crescendo ramp of 0.014 + 2.5 x
    // seconds, which starts at 0.01 for a key at rest.
    struct Case
    {
        float x;
        double seconds;
    };
    for (const Case& c : {Case{0.0f, 0.041}, Case{0.2f, 0.99 * 0.514}, Case{1.0f, 0.99 * 2.514}})
    {
        SCOPED_TRACE(c.x);
        load(fs);
        osc->setAttackStrings(c.x);
        osc->setNoteOn(69);
        int n = 0;
        while (osc->stringsKeys[33].level < 1.0f && n < samples(5.0))
        {
            osc->sound_engine1();
            ++n;
        }
        // Float ramps drift a little with their length.
        EXPECT_NEAR(n / fs, c.seconds, 0.001 + 0.003 * c.seconds);
        EXPECT_EQ(osc->stringsKeys[33].stage, StringsKey::sustain);
        // The heard level is smoothed: it settles within 0.1 % of a step in 43 ms.
        run(samples(0.043));
        EXPECT_NEAR(osc->keySmoothing[33].value, 1.0f, 0.0015f);
    }
}

TEST_F(ToneGenerator, ReleaseSetsBothSectionsAndEndsTheGate)
{
    struct Case
    {
        float x;
        double seconds;
    };
    for (const Case& c : {Case{0.0f, 0.12}, Case{72.0f / 127.0f, 1.122}, Case{1.0f, 5.62}})
    {
        SCOPED_TRACE(c.x);
        load(fs);
        osc->setRelease(c.x);
        EXPECT_NEAR(osc->brassKeyEnv[10].releaseTime, c.seconds, 0.001);
        osc->setNoteOn(46);
        run(samples(0.1));
        osc->setNoteOff(46);
        int n = 0;
        while (osc->stringsKeys[10].stage != StringsKey::off && n < samples(7.0))
        {
            osc->sound_engine1();
            ++n;
        }
        EXPECT_NEAR(n / fs, c.seconds, 0.001 + 0.003 * c.seconds);
        EXPECT_LE(osc->stringsKeys[10].level, 0.0f);
        osc->sound_engine1();
        EXPECT_EQ(osc->stringsKeys[10].level, 0.0f);
    }
}

TEST_F(ToneGenerator, SameKeyAgainContinuesItsBrassOnlyWithASustainSetting)
{
    struct Case
    {
        float sustain;
        bool continues;
    };
    for (const Case& c : {Case{2.0f / 127.0f, true}, Case{1.0f / 127.0f, false}, Case{0.0f, false}})
    {
        SCOPED_TRACE(c.sustain);
        load(fs);
        osc->setRelease(c.sustain);
        osc->setNoteOn(60);
        run(samples(0.05));
        osc->setNoteOff(60);
        run(samples(0.02));
        const double during = osc->brassKeyEnv[24].level;
        ASSERT_GT(during, 0.3);
        osc->setNoteOn(60);
        if (c.continues)
        {
            EXPECT_EQ(osc->brassKeyEnv[24].getCurrentStage(), AREnvelope::reAttack);
            EXPECT_EQ(osc->brassKeyEnv[24].level, during);
        }
        else
        {
            EXPECT_EQ(osc->brassKeyEnv[24].getCurrentStage(), AREnvelope::attack);
            EXPECT_LT(osc->brassKeyEnv[24].level, 0.01);
        }
    }
    // Another key in between always starts the attack afresh.
    osc->setRelease(1.0f);
    osc->setNoteOn(60);
    osc->setNoteOn(62);
    osc->setNoteOn(60);
    EXPECT_EQ(osc->brassKeyEnv[24].getCurrentStage(), AREnvelope::attack);
}

// ---------------------------------------------------------- pitch and octaves

TEST_F(ToneGenerator, FootagesTransposeAndBrassSoundAtTheirOctaves)
{
    struct Case
    {
        const char* name;
        bool transpose, brass, f16, f8;
        double multiple; // of the pitch class A's base frequency
    };
    const Case cases[] = {
        {"8' transposed", true, false, false, true, 16.0},
        {"8'", false, false, false, true, 8.0},
        {"16' transposed", true, false, true, false, 8.0},
        {"16'", false, false, true, false, 4.0},
        {"brass transposed", true, true, false, false, 8.0},
        {"brass", false, true, false, false, 4.0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        load(fs);
        osc->setTranspose(c.transpose);
        osc->setBrsOn(c.brass);
        osc->set16FOn(c.f16);
        osc->set8FOn(c.f8);
        osc->setNoteOn(69);
        run(samples(0.5));
        std::vector<float> strings, brass;
        render(8192, strings, brass);
        const std::vector<float>& heard = c.brass ? brass : strings;
        const double hz = c.multiple * 27.49;
        EXPECT_NEAR(measureFrequency(heard, fs), hz, hz * 0.001);
        // Nothing an octave below: the key's wave repeats at its own pitch.
        EXPECT_LT(relativeComponent(heard, hz / 2.0, fs), 0.01);
        EXPECT_GT(relativeComponent(heard, hz, fs), 0.3);
    }
}

TEST_F(ToneGenerator, KeysOfAPitchClassStayPhaseLocked)
{
    // Two octaves of A struck at different moments read their cycles from
    // one master phase: the upper key's voice phase is always exactly four
    // times the lower one's, modulo one cycle.
    osc->set8FOn(true);
    osc->setNoteOn(45);
    run(1234);
    osc->setNoteOn(69);
    for (int i = 0; i < 500; ++i)
    {
        osc->sound_engine1();
        const double lower = osc->strings8Osc[9]->position / 400.0;
        const double upper = osc->strings8Osc[33]->position / 400.0;
        const double expected = std::fmod(lower * 4.0, 1.0);
        const double diff = std::fabs(upper - expected);
        ASSERT_LT(std::min(diff, 1.0 - diff), 1e-9) << i;
    }
}

// ------------------------------------------------------------ section fades

TEST_F(ToneGenerator, SectionsFadeInAndOutInOneHundredMilliseconds)
{
    osc->setBrsOn(true);
    osc->set16FOn(true);
    osc->set8FOn(true);
    int n = 0;
    while (osc->brassFade.level < 1.0f && n < samples(1.0))
    {
        osc->sound_engine1();
        ++n;
    }
    EXPECT_NEAR(n, samples(0.1), 1);
    EXPECT_EQ(osc->strings16Fade.level, osc->brassFade.level);
    EXPECT_EQ(osc->strings8Fade.level, osc->brassFade.level);
    run(2);
    EXPECT_EQ(osc->brassFade.level, 1.0f);

    osc->setBrsOn(false);
    osc->set16FOn(false);
    osc->set8FOn(false);
    n = 0;
    while (osc->brassFade.level > 0.0f && n < samples(1.0))
    {
        osc->sound_engine1();
        ++n;
    }
    EXPECT_NEAR(n, samples(0.1), 1);
    EXPECT_EQ(osc->strings16Fade.level, 0.0f);
    EXPECT_EQ(osc->strings8Fade.level, 0.0f);
}

TEST_F(ToneGenerator, AllSectionsOffFallToExactSilenceWhileKeysAreHeld)
{
    osc->setBrsOn(true);
    osc->set16FOn(true);
    osc->set8FOn(true);
    for (int note : {48, 55, 60, 64, 67, 72, 79, 84, 96})
        osc->setNoteOn(note);
    std::vector<float> strings, brass;
    render(samples(0.3), strings, brass);
    float loudest = 0.0f;
    for (size_t i = 0; i < strings.size(); ++i)
        loudest = std::max({loudest, std::fabs(strings[i]), std::fabs(brass[i])});
    ASSERT_GT(loudest, 0.05f);

    osc->setBrsOn(false);
    osc->set16FOn(false);
    osc->set8FOn(false);
    render(samples(0.1) + 1, strings, brass);
    EXPECT_EQ(brass.back(), 0.0f);

    // The brass is exactly 0 from now on; the strings follow the decay of
    // the output high-pass down to exact zeros.
    const double voiceBefore = osc->strings8Osc[24]->position;
    render(samples(1.5), strings, brass);
    for (float b : brass)
        ASSERT_EQ(b, 0.0f);
    for (int i = samples(0.05); i < samples(1.5); i += samples(0.05))
        EXPECT_LE(std::fabs(strings[i]), std::fabs(strings[i - samples(0.05)]));
    for (int i = samples(1.4); i < samples(1.5); ++i)
        ASSERT_EQ(strings[i], 0.0f) << i;
    // The voices of the held keys are still advanced.
    EXPECT_NE(osc->strings8Osc[24]->position, voiceBefore);
}

TEST_F(ToneGenerator, BrassFadedOutHoldsItsContourAndFilter)
{
    osc->setBrassVCFAttack(0.5f);
    osc->setBrassVCFDecay(1.0f); // a long decay, so the contour is moving
    osc->setBrsOn(true);
    osc->setNoteOn(57);
    run(samples(0.3));
    ASSERT_EQ(osc->filterEnvelope.getCurrentStage(), AREnvelope::release);

    osc->setBrsOn(false);
    run(samples(0.1) + 1);
    ASSERT_EQ(osc->brassOutput, 0.0f);
    const double contour = osc->filterEnvelope.level;
    const spcfilter filter = osc->brassFilter;
    for (int i = 0; i < samples(0.5); ++i)
    {
        osc->sound_engine1();
        ASSERT_EQ(osc->brassOutput, 0.0f);
    }
    EXPECT_EQ(osc->filterEnvelope.level, contour);
    EXPECT_EQ(osc->brassFilter.glideCounter, filter.glideCounter);
    EXPECT_EQ(osc->brassFilter.low1, filter.low1);

    // Switched on again, the contour continues where it stopped.
    osc->setBrsOn(true);
    osc->sound_engine1();
    EXPECT_EQ(osc->filterEnvelope.level,
              osc->filterEnvelope.offset + contour * osc->filterEnvelope.multiplier);
    EXPECT_NE(osc->brassOutput, 0.0f);
}

TEST_F(ToneGenerator, SilentBrassVolumeLeavesOnlyTheNoise)
{
    osc->setBrassVolume(0.0f);
    osc->setBrsOn(true);
    for (int note : {48, 60, 72, 84})
        osc->setNoteOn(note);
    run(samples(0.2));
    std::vector<float> strings, brass;
    render(samples(0.2), strings, brass);
    float loudest = 0.0f;
    for (float b : brass)
        loudest = std::max(loudest, std::fabs(b));
    // At most 1e-6 of the brass voice sum (four keys, each below 2), and not
    // nothing.
    EXPECT_GT(loudest, 0.0f);
    EXPECT_LT(loudest, 2e-5f);
}

TEST_F(ToneGenerator, SameSettingsAndKeysGiveTheSameSamples)
{
    auto play = [&](std::vector<float>& strings, std::vector<float>& brass) {
        load(fs);
        osc->setBrsOn(true);
        osc->set16FOn(true);
        osc->set8FOn(true);
        osc->setNoteOn(60);
        osc->setNoteOn(67);
        render(samples(0.2), strings, brass);
    };
    std::vector<float> s1, b1, s2, b2;
    play(s1, b1);
    play(s2, b2);
    EXPECT_EQ(s1, s2);
    EXPECT_EQ(b1, b2);
}

TEST_F(ToneGenerator, SettledKeyLevelIsExactlyZero)
{
    // A released key's smoothed level comes to rest on exactly 0, not on a
    // denormal that would be recomputed forever.
    osc->setRelease(0.0f);
    osc->setNoteOn(60);
    run(samples(0.1));
    osc->setNoteOff(60);
    run(samples(1.0));
    EXPECT_EQ(osc->stringsKeys[24].stage, StringsKey::off);
    EXPECT_EQ(osc->keySmoothing[24].value, 0.0f);
}

TEST(ToneGeneratorWithoutTables, IsSilentAndSafe)
{
    auto osc = std::make_unique<PhaseSyncOsc>();
    osc->setBrsOn(true);
    osc->set8FOn(true);
    osc->setNoteOn(60);
    EXPECT_TRUE(osc->getStartActive());
    for (int i = 0; i < 100; ++i)
    {
        EXPECT_EQ(osc->sound_engine1(), 0.0f);
        EXPECT_EQ(osc->brassOutput, 0.0f);
    }
    osc->setNoteOff(60);
    EXPECT_EQ(osc->heldCount, 0);
}
