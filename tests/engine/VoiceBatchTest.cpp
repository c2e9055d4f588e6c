#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <random>
#include <vector>

#include "engine/PhaseSyncOsc.h"
#include "engine/VoiceBatch.h"

namespace
{
bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expectSameState(const WvIn& a, const WvIn& b)
{
    EXPECT_TRUE(sameBits(a.position, b.position));
    EXPECT_TRUE(sameBits(a.lastOutput, b.lastOutput));
    EXPECT_TRUE(sameBits(a.highPass.band, b.highPass.band));
    EXPECT_TRUE(sameBits(a.highPass.low, b.highPass.low));
    EXPECT_TRUE(sameBits(a.highPass.frequency, b.highPass.frequency));
    EXPECT_TRUE(sameBits(a.bandBoost.band, b.bandBoost.band));
    EXPECT_TRUE(sameBits(a.bandBoost.low, b.bandBoost.low));
    EXPECT_TRUE(sameBits(a.bandBoost.frequency, b.bandBoost.frequency));
}

std::unique_ptr<PhaseSyncOsc> makeGenerator(bool oneByOne)
{
    auto osc = std::make_unique<PhaseSyncOsc>();
    osc->loadWaveTable(44100.0);
    osc->tickVoicesOneByOne = oneByOne;
    for (int i = 0; i < PhaseSyncOsc::pitchClasses; ++i)
        osc->pitchIncrement[i] = 16.35 * std::pow(2.0, i / 12.0) / 44100.0;
    osc->setBrassVCFAttack(0.3f);
    osc->setBrassVCFDecay(0.5f);
    osc->setAttackStrings(0.2f);
    osc->setRelease(0.3f);
    osc->setStringsVolume(0.8f);
    osc->setBrassVolume(0.7f);
    osc->setBrsOn(true);
    osc->set16FOn(true);
    osc->set8FOn(true);
    return osc;
}
} // namespace

// Voices rendered together must give, bit for bit, what each voice's own
// tickloop gives: outputs and every piece of state, over random columns,
// octave factors, sample rates and phases (including the row boundaries and
// phases of many cycles), with pairs of voices that share a reading.
TEST(VoiceBatch, MatchesTickingEachVoice)
{
    constexpr int rows = 401;
    std::mt19937 random(20261211);
    std::uniform_real_distribution<float> sampleValue(-1.0f, 1.0f);
    std::vector<float> data(rows * 128);
    for (float& x : data)
        x = sampleValue(random);
    auto* table = reinterpret_cast<float(*)[128]>(data.data());

    constexpr int voiceCount = 40;
    std::vector<std::unique_ptr<WvIn>> ticked, batched;
    std::vector<VoiceBatch::VoiceConstants> constants;
    std::uniform_int_distribution<int> note(0, 135);
    for (int i = 0; i < voiceCount; ++i)
    {
        const float rate = (i % 3 == 0) ? 48000.0f : 44100.0f;
        const float octave = (i % 2 == 0) ? 0.5f : 1.0f;
        // Every fourth voice repeats the previous one's setting, as the brass
        // and 16' voices of one key do.
        const int n = (i % 4 == 1) ? batched.back()->note : note(random);
        for (auto* set : {&ticked, &batched})
        {
            set->push_back(std::make_unique<WvIn>());
            WvIn& v = *set->back();
            v.setWave(table, rows);
            v.setSampleRate(rate);
            v.octaveFactor = (i % 4 == 1) ? (*set)[i - 1]->octaveFactor : octave;
            v.setNote(n, true);
        }
        constants.push_back(VoiceBatch::constantsOf(*batched.back()));
    }

    const double specialPhases[] = {0.0, 0.5, 1.0, 1.25, 2.0, 1.0 / 400.0, 399.0 / 400.0,
                                    127.99999, 64.0, 3.0000000001, -0.25, 3.0e6, 1e300};
    std::uniform_real_distribution<double> smallPhase(0.0, 2.0);
    std::uniform_real_distribution<double> largePhase(0.0, 128.0);
    auto batch = std::make_unique<VoiceBatch>();
    std::vector<double> phases(voiceCount);
    for (int step = 0; step < 3000; ++step)
    {
        for (int i = 0; i < voiceCount; ++i)
        {
            // Voices 4n + 2 share the phase, but not the column, of the one before.
            if (i % 4 == 1 || i % 4 == 2)
                phases[i] = phases[i - 1];
            else if (step % 10 == 0)
                phases[i] = specialPhases[(step / 10 + i) % std::size(specialPhases)];
            else
                phases[i] = (i % 3 == 0) ? largePhase(random) : smallPhase(random);
        }
        // A changing subset of the voices sounds, as keys come and go.
        batch->clear();
        std::vector<int> slots(voiceCount, -1);
        for (int i = 0; i < voiceCount; ++i)
            if ((step / 97 + i) % 5 != 0)
                slots[i] = batch->add(*batched[i], constants[i], phases[i]);
        batch->render();
        for (int i = 0; i < voiceCount; ++i)
        {
            if (slots[i] < 0)
                continue;
            const float expected = ticked[i]->tickloop(phases[i]);
            ASSERT_TRUE(sameBits(batch->output(slots[i]), expected))
                << "step " << step << " voice " << i << " phase " << phases[i];
        }
    }
    for (int i = 0; i < voiceCount; ++i)
    {
        SCOPED_TRACE(i);
        expectSameState(*ticked[i], *batched[i]);
    }
}

// Voices come and go from one sample to the next, so the queue grows and
// shrinks and a voice lands in another slot, or back in one it left (also
// with the queue ending on a whole block): every voice must still go on
// from its own last state.
TEST(VoiceBatch, VoicesMovingBetweenSlotsGoOnFromTheirOwnState)
{
    constexpr int rows = 401;
    std::mt19937 random(5);
    std::uniform_real_distribution<float> sampleValue(-1.0f, 1.0f);
    std::vector<float> data(rows * 128);
    for (float& x : data)
        x = sampleValue(random);
    auto* table = reinterpret_cast<float(*)[128]>(data.data());

    constexpr int voiceCount = 20;
    std::vector<std::unique_ptr<WvIn>> ticked, batched;
    std::vector<VoiceBatch::VoiceConstants> constants;
    for (int i = 0; i < voiceCount; ++i)
    {
        for (auto* set : {&ticked, &batched})
        {
            set->push_back(std::make_unique<WvIn>());
            set->back()->setWave(table, rows);
            set->back()->setNote(30 + 3 * i, true);
        }
        constants.push_back(VoiceBatch::constantsOf(*batched.back()));
    }

    auto batch = std::make_unique<VoiceBatch>();
    std::uniform_real_distribution<double> phase(0.0, 4.0);
    std::uniform_int_distribution<int> queueLength(0, voiceCount);
    for (int step = 0; step < 4000; ++step)
    {
        // The first n voices, less the one at `gap`: lengths of 8 and 16
        // leave no spare slots in the last block.
        const int n = (step % 3 == 0) ? 9 + (step / 3) % 2 * 8 : queueLength(random);
        const int gap = (step % 2 == 0) ? -1 : step % voiceCount;
        batch->clear();
        std::vector<int> slots(voiceCount, -1);
        std::vector<double> phases(voiceCount);
        for (int i = 0; i < n; ++i)
            if (i != gap)
            {
                phases[i] = phase(random);
                slots[i] = batch->add(*batched[i], constants[i], phases[i]);
            }
        batch->render();
        for (int i = 0; i < voiceCount; ++i)
            if (slots[i] >= 0)
            {
                const float expected = ticked[i]->tickloop(phases[i]);
                ASSERT_TRUE(sameBits(batch->output(slots[i]), expected)) << "step " << step << " voice " << i;
            }
    }
    for (int i = 0; i < voiceCount; ++i)
    {
        SCOPED_TRACE(i);
        expectSameState(*ticked[i], *batched[i]);
    }
}

TEST(VoiceBatch, VoiceWithoutTableSoundsNothing)
{
    WvIn voice;
    VoiceBatch batch;
    const int slot = batch.add(voice, VoiceBatch::constantsOf(voice), 0.3);
    batch.render();
    EXPECT_EQ(slot, -1);
    EXPECT_EQ(batch.output(slot), 0.0f);
    EXPECT_EQ(voice.tickloop(0.3), 0.0f);
}

// The whole tone generator, voices batched or ticked one by one, over a
// performance with chords, repeated keys, the keyboard's ends, transposing
// and sections switched on and off: the same samples, bit for bit.
TEST(VoiceBatch, ToneGeneratorSoundsTheSameEitherWay)
{
    auto batched = makeGenerator(false);
    auto single = makeGenerator(true);

    std::mt19937 random(7);
    std::uniform_int_distribution<int> note(30, 100);
    for (int sample = 0; sample < 44100 * 3; ++sample)
    {
        if (sample % 2205 == 0)
        {
            const int n = note(random);
            const bool down = (sample / 2205) % 3 != 2;
            for (PhaseSyncOsc* osc : {batched.get(), single.get()})
                down ? osc->setNoteOn(n) : osc->setNoteOff(n);
        }
        if (sample == 44100)
            for (PhaseSyncOsc* osc : {batched.get(), single.get()})
            {
                for (int n = 48; n <= 96; ++n)
                    osc->setNoteOn(n);
                osc->setTranspose(true);
                osc->set16FOn(false);
            }
        if (sample == 88200)
            for (PhaseSyncOsc* osc : {batched.get(), single.get()})
            {
                osc->setBrsOn(false);
                osc->set16FOn(true);
                osc->setTranspose(false);
            }
        const float a = batched->sound_engine1();
        const float b = single->sound_engine1();
        ASSERT_TRUE(sameBits(a, b)) << sample;
        ASSERT_TRUE(sameBits(batched->brassOutput, single->brassOutput)) << sample;
    }
    for (int k = 0; k < PhaseSyncOsc::keyCount; ++k)
    {
        SCOPED_TRACE(k);
        expectSameState(*batched->strings8Osc[k], *single->strings8Osc[k]);
        expectSameState(*batched->strings16Osc[k], *single->strings16Osc[k]);
        expectSameState(*batched->brassOsc[k], *single->brassOsc[k]);
    }
}

// The batch keeps the voices' filter memories between samples: a generator
// that hands its voices back and forth between the batch and their own
// tickloop, and gets new columns as keys are struck, must still sound like
// one that always ticks them one by one.
TEST(VoiceBatch, SwitchingBetweenBatchedAndSingleVoicesKeepsTheSamples)
{
    auto switching = makeGenerator(false);
    auto single = makeGenerator(true);
    const int chord[] = {48, 55, 60, 64, 67, 72, 79, 84, 91, 96};
    for (int note : chord)
        for (PhaseSyncOsc* osc : {switching.get(), single.get()})
            osc->setNoteOn(note);
    for (int sample = 0; sample < 44100; ++sample)
    {
        // Alternating stretches of uneven length, some a single sample.
        if (sample % 997 == 0 || sample % 997 == 1 || sample % 1499 == 0)
            switching->tickVoicesOneByOne = !switching->tickVoicesOneByOne;
        if (sample % 3001 == 1500)
        {
            const int note = chord[(sample / 3001) % 10];
            const bool down = (sample / 3001) % 2 == 0;
            for (PhaseSyncOsc* osc : {switching.get(), single.get()})
                down ? osc->setNoteOff(note) : osc->setNoteOn(note - 5);
        }
        const float a = switching->sound_engine1();
        const float b = single->sound_engine1();
        ASSERT_TRUE(sameBits(a, b)) << sample;
        ASSERT_TRUE(sameBits(switching->brassOutput, single->brassOutput)) << sample;
    }
}

namespace
{
// A random table and a voice reading one of its columns.
struct TableVoices
{
    static constexpr int rows = 401;
    std::vector<float> data = std::vector<float>(rows * 128);
    float (*table)[128] = reinterpret_cast<float (*)[128]>(data.data());

    explicit TableVoices(unsigned seed)
    {
        std::mt19937 random(seed);
        std::uniform_real_distribution<float> sampleValue(-1.0f, 1.0f);
        for (float& x : data)
            x = sampleValue(random);
    }

    std::unique_ptr<WvIn> voice(int note, float octaveFactor) const
    {
        auto v = std::make_unique<WvIn>();
        v->setWave(table, rows);
        v->setSampleRate(44100.0f);
        v->octaveFactor = octaveFactor;
        v->setNote(note, true);
        return v;
    }
};
} // namespace

// Voices that follow master phases over a run of samples, reading laid-out
// cycles, must sound as their own tickloop on the table does, and get back
// their state at the end: phases on row boundaries, at the cycle's end,
// many cycles on, and ones too large, negative or not a number for the
// quick wrap.
TEST(VoiceBatch, VoicesFollowingMasterPhasesSoundAsTickedOnTheirOwn)
{
    const TableVoices source(11);
    constexpr int voiceCount = 24;
    constexpr int laidOut = VoiceBatch::cyclePaddingBefore + TableVoices::rows + VoiceBatch::cyclePaddingAfter;
    std::vector<std::vector<float>> cycles;
    std::vector<std::unique_ptr<WvIn>> ticked, batched;
    std::vector<double> keyFactors, voiceFactors;
    double masterPhases[3] = {};
    auto batch = std::make_unique<VoiceBatch>();
    for (int i = 0; i < voiceCount; ++i)
    {
        const int note = 30 + 4 * i;
        const float octave = (i % 2 == 0) ? 0.5f : 1.0f;
        ticked.push_back(source.voice(note, octave));
        batched.push_back(source.voice(note, octave));
        cycles.emplace_back(laidOut);
        VoiceBatch::layOutCycle(source.table, batched.back()->column, TableVoices::rows - 1,
                                cycles.back().data() + VoiceBatch::cyclePaddingBefore);
        keyFactors.push_back(std::ldexp(1.0, i % 8));
        voiceFactors.push_back((i % 3 == 0) ? 1.0 : (i % 3 == 1 ? 0.5 : 0.25));
        const int slot = batch->addFollowing(*batched.back(), VoiceBatch::constantsOf(*batched.back()),
                                             &masterPhases[i % 3], keyFactors.back(), voiceFactors.back(),
                                             cycles.back().data() + VoiceBatch::cyclePaddingBefore);
        ASSERT_EQ(slot, i);
    }

    const double unusual[] = {3.0e6, -0.25, std::nan(""), 1.0, 0.0};
    for (int step = 0; step < 3000; ++step)
    {
        for (int m = 0; m < 3; ++m)
        {
            if (step % 50 == 49)
                masterPhases[m] = unusual[(step / 50 + m) % std::size(unusual)];
            else if (m == 0)
                masterPhases[m] = (step % 401) / 400.0;   // every row boundary
            else
                masterPhases[m] = std::fmod(0.3 * m + step * 0.00123 * m, 1.0);
        }
        batch->advance();
        for (int i = 0; i < voiceCount; ++i)
        {
            const double phase = (masterPhases[i % 3] * keyFactors[i]) * voiceFactors[i];
            const float expected = ticked[i]->tickloop(phase);
            ASSERT_TRUE(sameBits(batch->output(i), expected)) << "step " << step << " voice " << i;
        }
    }
    batch->writeBack();
    for (int i = 0; i < voiceCount; ++i)
    {
        SCOPED_TRACE(i);
        expectSameState(*ticked[i], *batched[i]);
    }
}

// Two voices in the same state given the same phase play the same samples,
// so they share a slot; a voice that differs in its memories, its column,
// its table or its filters' constants is refused and plays from a slot of
// its own.
TEST(VoiceBatch, VoicesInTheSameStateShareASlot)
{
    const TableVoices source(12);
    const TableVoices otherSource(13);
    // Each candidate beside a voice of its own, all alike.
    std::vector<std::unique_ptr<WvIn>> firsts, candidates;
    constexpr int pairs = 5;
    for (int i = 0; i < pairs; ++i)
        firsts.push_back(source.voice(60, 0.5f));
    candidates.push_back(source.voice(60, 0.5f));      // the same state
    candidates.push_back(source.voice(60, 0.5f));
    candidates.back()->tickloop(0.3);                  // other memories
    candidates.push_back(source.voice(61, 0.5f));      // another column
    candidates.push_back(otherSource.voice(60, 0.5f)); // another table
    candidates.push_back(source.voice(60, 1.0f));      // filters tuned an octave higher
    const bool shares[pairs] = {true, false, false, false, false};
    std::vector<std::unique_ptr<WvIn>> references;
    for (const auto& v : firsts)
        references.push_back(std::make_unique<WvIn>(*v));
    for (const auto& v : candidates)
        references.push_back(std::make_unique<WvIn>(*v));

    auto batch = std::make_unique<VoiceBatch>();
    std::mt19937 random(3);
    std::uniform_real_distribution<double> phase(0.0, 8.0);
    for (int step = 0; step < 500; ++step)
    {
        batch->clear();
        const double p = phase(random);
        std::vector<int> slots;
        for (int i = 0; i < pairs; ++i)
            slots.push_back(batch->add(*firsts[i], VoiceBatch::constantsOf(*firsts[i]), p));
        for (int i = 0; i < pairs; ++i)
        {
            WvIn& candidate = *candidates[i];
            const bool shared = batch->share(slots[i], candidate, VoiceBatch::constantsOf(candidate));
            ASSERT_EQ(shared, shares[i]) << step << " " << i;
            slots.push_back(shared ? slots[i] : batch->add(candidate, VoiceBatch::constantsOf(candidate), p));
        }
        batch->render();
        for (int i = 0; i < 2 * pairs; ++i)
            ASSERT_TRUE(sameBits(batch->output(slots[i]), references[i]->tickloop(p))) << step << " " << i;
    }
    for (int i = 0; i < pairs; ++i)
    {
        expectSameState(*references[i], *firsts[i]);
        expectSameState(*references[pairs + i], *candidates[i]);
    }
}
