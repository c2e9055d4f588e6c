#include "engine/WvIn.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace
{
const double pi = 3.14159265358979323846;

// The voice's sample step as plainly stated: wrap by repeated subtraction,
// both filter frequencies set (one sine each) on every sample.
float literalTickloop(WvIn& v, const double& phase)
{
    const unsigned int L = v.lastIndex;
    if (L == 0)
        return 0.0f;
    double p = static_cast<double>(L) * phase;
    while (p > L)
        p -= L;
    if (p < 0)
        p = 0;
    v.position = p;
    const int i = static_cast<int>(p);
    const double t = p - i;
    int rm1 = i - 1;
    if (rm1 < 0)
        rm1 = static_cast<int>(L);
    int r1 = i + 1;
    if (r1 > static_cast<int>(L))
        r1 -= static_cast<int>(L);
    int r2 = i + 2;
    if (r2 > static_cast<int>(L))
        r2 -= static_cast<int>(L);
    const float ym1 = v.wave[rm1][v.column];
    const float y0 = v.wave[i][v.column];
    const float y1 = v.wave[r1][v.column];
    const float y2 = v.wave[r2][v.column];
    const float m = (y1 - ym1) * 0.5f;
    const float d = y0 - y1;
    const float w = m + d;
    const float a = w + d + (y2 - y0) * 0.5f;
    const float b = w + a;
    v.lastOutput = static_cast<float>(((a * t - b) * t + m) * t + y0);
    const int cp = (v.octaveFactor == 0.5f) ? v.column - 12 : v.column;
    const int index = ((cp % 128) + 128) % 128;
    v.highPass.setHertzFreq(v.noteFrequency[index] * 0.55f);
    v.bandBoost.setHertzFreq(4600.0f);
    v.bandBoost.ticklow(v.lastOutput);
    const float beta = v.bandBoost.pickBPfromLow();
    const float g = static_cast<float>(cp - 36) * -2.2000003f / 127.0f + 1.0f;
    v.lastOutput = v.lastOutput + g * beta;
    return v.highPass.tickhigh((1.6f - (static_cast<float>(v.column) / 127.0f) * 1.2f) * v.lastOutput);
}

double literalWrap(unsigned int L, double phase)
{
    double p = static_cast<double>(L) * phase;
    while (p > L)
        p -= L;
    if (p < 0)
        p = 0;
    return p;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

using Row = float[128];

// A 401-row table of distinct values: row r, column c holds c + r / 1000.
std::vector<float> labelledTable()
{
    std::vector<float> data(401 * 128);
    for (int r = 0; r < 401; ++r)
        for (int c = 0; c < 128; ++c)
            data[r * 128 + c] = static_cast<float>(c) + static_cast<float>(r) / 1000.0f;
    return data;
}

std::vector<float> randomTable(unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    std::vector<float> data(401 * 128);
    for (float& x : data)
        x = value(random);
    return data;
}

Row* rows(std::vector<float>& data)
{
    return reinterpret_cast<Row*>(data.data());
}

// A voice whose filters are held silent (a sample rate so high that their
// coefficients are 0): its lastOutput is the interpolated read and its
// output that read times the high-pass input gain.
WvIn plainVoice(std::vector<float>& table, int note)
{
    WvIn voice;
    voice.setWave(rows(table), 401);
    voice.setSampleRate(44100.0f);
    voice.highPass.setSR(std::numeric_limits<float>::infinity());
    voice.bandBoost.setSR(std::numeric_limits<float>::infinity());
    voice.setNote(note, true);
    return voice;
}

double hermite(float ym1, float y0, float y1, float y2, double t)
{
    const double c1 = 0.5 * (y1 - ym1);
    const double c2 = ym1 - 2.5 * y0 + 2.0 * y1 - 0.5 * y2;
    const double c3 = 0.5 * (y2 - ym1) + 1.5 * (y0 - y1);
    return ((c3 * t + c2) * t + c1) * t + y0;
}
} // namespace

TEST(WvIn, StartsEmptyWithTheNoteFrequencies)
{
    WvIn voice;
    EXPECT_EQ(voice.wave, nullptr);
    EXPECT_EQ(voice.lastIndex, 0u);
    EXPECT_EQ(voice.octaveFactor, 1.0f);
    EXPECT_EQ(voice.sampleRate, 44100.0f);
    EXPECT_EQ(voice.tickloop(0.3), 0.0f);
    EXPECT_NEAR(voice.noteFrequency[0], 8.1758, 1e-4);
    EXPECT_NEAR(voice.noteFrequency[69], 440.0, 1e-3);
    EXPECT_NEAR(voice.noteFrequency[127], 12543.9, 0.05);
    for (int n = 1; n < 128; ++n)
        ASSERT_NEAR(voice.noteFrequency[n] / voice.noteFrequency[n - 1], std::pow(2.0, 1.0 / 12.0), 1e-6);
}

TEST(WvIn, SetWaveIgnoresNullAndEmptyTables)
{
    std::vector<float> table = labelledTable();
    WvIn voice;
    voice.setWave(rows(table), 401);
    EXPECT_EQ(voice.rowCount, 401u);
    EXPECT_EQ(voice.lastIndex, 400u);
    voice.setWave(nullptr, 7);
    EXPECT_EQ(voice.wave, rows(table));
    EXPECT_EQ(voice.rowCount, 401u);

    for (unsigned int count : {0u, 1u})
    {
        WvIn silent;
        silent.setWave(rows(table), count);
        EXPECT_EQ(silent.lastIndex, 0u);
        EXPECT_EQ(silent.tickloop(0.4), 0.0f);
    }
}

TEST(WvIn, ReadsTheRowOfThePhase)
{
    std::vector<float> table = labelledTable();
    struct Case { double phase; int row; };
    const Case cases[] = {
        {0.0, 0},    {0.5, 200},  {1.0, 400},    {1.25, 100}, {2.0, 400},  {2.5, 200},
        {0.0025, 1}, {-0.3, 0},   {127.75, 300}, {3.0, 400},  {64.0, 400}, {1.0025, 1},
    };
    for (const Case& c : cases)
    {
        WvIn voice = plainVoice(table, 60);
        voice.tickloop(c.phase);
        EXPECT_EQ(voice.position, static_cast<double>(c.row)) << "phase " << c.phase;
        EXPECT_EQ(voice.lastOutput, table[c.row * 128 + 60]) << "phase " << c.phase;
    }
}

TEST(WvIn, InterpolatesWithNeighboursThatWrapAroundTheCycle)
{
    std::vector<float> table = randomTable(3);
    struct Case { double position; int rows[4]; };
    const Case cases[] = {
        {0.5, {400, 0, 1, 2}},       {0.25, {400, 0, 1, 2}},      {399.5, {398, 399, 400, 1}},
        {398.75, {397, 398, 399, 400}}, {200.3, {199, 200, 201, 202}}, {1.9, {0, 1, 2, 3}},
    };
    for (const Case& c : cases)
    {
        WvIn voice = plainVoice(table, 45);
        voice.tickloop(c.position / 400.0 + 3.0);
        const double t = c.position - std::floor(c.position);
        auto at = [&](int r) { return table[r * 128 + 45]; };
        EXPECT_NEAR(voice.position, c.position, 1e-9);
        EXPECT_NEAR(voice.lastOutput, hermite(at(c.rows[0]), at(c.rows[1]), at(c.rows[2]), at(c.rows[3]), t), 2e-6)
            << "position " << c.position;
    }

    // The curve goes through the rows and reproduces a straight line.
    std::vector<float> ramp(401 * 128);
    for (int r = 0; r < 401; ++r)
        for (int c = 0; c < 128; ++c)
            ramp[r * 128 + c] = static_cast<float>(r) * 0.25f;
    WvIn voice = plainVoice(ramp, 10);
    for (double position : {1.5, 100.125, 250.75, 398.5})
    {
        voice.tickloop(position / 400.0);
        EXPECT_NEAR(voice.lastOutput, position * 0.25, 1e-5) << position;
    }
}

TEST(WvIn, NoteSelectsAColumnWithinTheTable)
{
    std::vector<float> table = labelledTable();
    struct Case { int note; int column; };
    const Case cases[] = {{0, 0}, {60, 60}, {127, 127}, {130, 127}, {1000, 127}, {-4, 0}};
    for (const Case& c : cases)
    {
        WvIn voice = plainVoice(table, c.note);
        EXPECT_EQ(voice.note, c.note);
        EXPECT_EQ(voice.column, c.column);
        voice.tickloop(0.5);
        EXPECT_EQ(voice.lastOutput, table[200 * 128 + c.column]) << "note " << c.note;
    }
}

TEST(WvIn, HighPassFollowsTheNoteOfItsFootage)
{
    struct Case { float octaveFactor; int note; int filterNote; float sampleRate; };
    const Case cases[] = {
        {1.0f, 60, 60, 44100.0f}, {0.5f, 60, 48, 44100.0f}, {0.5f, 96, 84, 48000.0f},
        {0.5f, 5, 121, 44100.0f}, {1.0f, 130, 127, 48000.0f}, {0.5f, 0, 116, 44100.0f},
    };
    std::vector<float> table = randomTable(5);
    for (const Case& c : cases)
    {
        WvIn voice;
        voice.octaveFactor = c.octaveFactor;
        voice.setWave(rows(table), 401);
        voice.setSampleRate(c.sampleRate);
        voice.setNote(c.note, true);
        voice.tickloop(0.1);
        const double hz = 0.55 * voice.noteFrequency[c.filterNote];
        EXPECT_NEAR(voice.highPass.frequency, 2.0 * std::sin(pi * hz / c.sampleRate), 1e-6) << c.note;
        EXPECT_NEAR(voice.bandBoost.frequency, 2.0 * std::sin(pi * 4600.0 / c.sampleRate), 1e-6);
        EXPECT_NEAR(voice.highPass.damping, 0.96f, 1e-6f);
        EXPECT_NEAR(voice.bandBoost.damping, 0.42f, 1e-6f);
    }
}

TEST(WvIn, BandWeightAndInputGainFollowTheNote)
{
    struct Case { float octaveFactor; int note; double weight; };
    const Case weights[] = {
        {1.0f, 36, 1.0},  {1.0f, 66, 0.48}, {1.0f, 84, 0.17}, {1.0f, 96, -0.04},
        {0.5f, 48, 1.0},  {0.5f, 60, 1.0 - 2.2000003 * 12.0 / 127.0},
    };
    std::vector<float> table = labelledTable();
    for (const Case& c : weights)
    {
        WvIn voice = plainVoice(table, c.note);
        voice.octaveFactor = c.octaveFactor;
        voice.tickloop(0.2);
        EXPECT_NEAR(voice.cache.bandWeight, c.weight, 0.005) << c.note;
    }

    // With both filters held silent the output is the read times the gain.
    struct Gain { int note; double gain; };
    const Gain gains[] = {{0, 1.6}, {36, 1.26}, {96, 0.69}, {127, 0.4}};
    for (const Gain& c : gains)
    {
        WvIn voice = plainVoice(table, c.note);
        const float out = voice.tickloop(0.25);
        EXPECT_NEAR(out / table[100 * 128 + c.note], c.gain, 0.005) << c.note;
    }
}

TEST(WvIn, VoicesWithTheSameHistoryPlayTheSameSamples)
{
    std::vector<float> table = randomTable(11);
    WvIn a, b;
    for (WvIn* v : {&a, &b})
    {
        v->octaveFactor = 0.5f;
        v->setWave(rows(table), 401);
        v->setSampleRate(44100.0f);
        v->setNote(55, true);
    }
    double phase = 0.0;
    for (int n = 0; n < 5000; ++n)
    {
        phase += 0.0137;
        ASSERT_TRUE(sameBits(a.tickloop(phase), b.tickloop(phase))) << n;
    }
}

TEST(WvIn, WrapMatchesRepeatedSubtractionBitForBit)
{
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> anyPhase(0.0, 128.0);
    const unsigned int lengths[] = {400u, 1u, 2u, 3u, 255u, 256u, 1000u};
    for (unsigned int L : lengths)
    {
        WvIn voice;
        voice.lastIndex = L;
        auto check = [&](double phase) {
            ASSERT_TRUE(sameBits(voice.wrapPosition(phase), literalWrap(L, phase)))
                << "L " << L << " phase " << phase;
        };
        for (int n = 0; n < 200000; ++n)
            check(anyPhase(random));
        // Whole rows, whole cycles and their float neighbours.
        for (int j = 0; j <= 128 * 400; j += (L == 400u ? 1 : 7))
        {
            const double phase = static_cast<double>(j) / 400.0;
            check(phase);
            check(std::nextafter(phase, 0.0));
            check(std::nextafter(phase, 200.0));
        }
        for (int k = 0; k <= 128; ++k)
        {
            check(static_cast<double>(k));
            check(std::nextafter(static_cast<double>(k), 0.0));
            check(std::nextafter(static_cast<double>(k), 200.0));
        }
        for (double phase : {0.0, -0.0, -1.0, -1e-300, 1e-300, 5e-324, 0.999999999999, 127.99999999999})
            check(phase);
    }
}

TEST(WvIn, CachedFiltersMatchTheLiteralStepBitForBit)
{
    std::vector<float> table = randomTable(17);
    std::mt19937_64 random(2);
    std::uniform_real_distribution<double> anyPhase(0.0, 128.0);
    for (float sampleRate : {44100.0f, 48000.0f})
        for (float octaveFactor : {1.0f, 0.5f})
            for (int note = -2; note <= 130; ++note)
            {
                WvIn fast, literal;
                for (WvIn* v : {&fast, &literal})
                {
                    v->octaveFactor = octaveFactor;
                    v->setWave(rows(table), 401);
                    v->setSampleRate(sampleRate);
                    v->setNote(note, true);
                }
                // A key's phase as the tone generator derives it, then random phases.
                const double keyFactor = std::pow(2.0, (note % 12 + 12) % 12 / 12.0) * (1 << (std::max(note, 0) / 24));
                double master = 0.37;
                for (int n = 0; n < 400; ++n)
                {
                    master += 0.000741;
                    if (master >= 1.0)
                        master -= 1.0;
                    const double phase = n < 200 ? master * keyFactor : anyPhase(random);
                    const float a = fast.tickloop(phase);
                    const float b = literalTickloop(literal, phase);
                    ASSERT_TRUE(sameBits(a, b)) << "note " << note << " sample " << n << " phase " << phase;
                    ASSERT_TRUE(sameBits(fast.lastOutput, literal.lastOutput));
                    ASSERT_TRUE(sameBits(fast.position, literal.position));
                }
                EXPECT_TRUE(sameBits(fast.highPass.band, literal.highPass.band));
                EXPECT_TRUE(sameBits(fast.highPass.low, literal.highPass.low));
                EXPECT_TRUE(sameBits(fast.bandBoost.band, literal.bandBoost.band));
                EXPECT_TRUE(sameBits(fast.bandBoost.low, literal.bandBoost.low));
            }
}

TEST(WvIn, CacheFollowsNoteFootageAndRateChanges)
{
    std::vector<float> table = randomTable(23);
    WvIn fast, literal;
    for (WvIn* v : {&fast, &literal})
    {
        v->setWave(rows(table), 401);
        v->setSampleRate(44100.0f);
        v->setNote(40, true);
    }
    double phase = 0.0;
    auto play = [&](int samples) {
        for (int n = 0; n < samples; ++n)
        {
            phase += 0.031;
            ASSERT_TRUE(sameBits(fast.tickloop(phase), literalTickloop(literal, phase)));
        }
    };
    play(100);
    for (WvIn* v : {&fast, &literal})
        v->setNote(77, true);
    play(100);
    for (WvIn* v : {&fast, &literal})
        v->octaveFactor = 0.5f;
    play(100);
    for (WvIn* v : {&fast, &literal})
        v->setSampleRate(48000.0f);
    play(100);
    for (WvIn* v : {&fast, &literal})
        v->init();
    play(100);
}

TEST(WvIn, UnusablePhasesReadRowZeroInsteadOfHanging)
{
    std::vector<float> table = labelledTable();
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case { double phase; double position; };
    const Case cases[] = {{inf, 0.0}, {-inf, 0.0}, {nan, 0.0}, {1e300, -1.0}, {4e13, -1.0}};
    for (const Case& c : cases)
    {
        WvIn voice = plainVoice(table, 30);
        const float out = voice.tickloop(c.phase);
        EXPECT_TRUE(std::isfinite(out)) << c.phase;
        EXPECT_GE(voice.position, 0.0);
        EXPECT_LE(voice.position, 400.0);
        if (c.position >= 0.0)
            EXPECT_EQ(voice.position, c.position) << c.phase;
    }
    // Beyond the subtraction's reach the position is still the exact remainder.
    WvIn voice = plainVoice(table, 30);
    voice.tickloop(12345678901234.5);
    EXPECT_EQ(voice.position, std::fmod(400.0 * 12345678901234.5, 400.0));
}
