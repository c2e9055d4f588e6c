#include "engine/PhaseSyncOsc.h"

#include <cmath>
#include <cstring>

#include "engine/ResCycles.h"

static_assert(PhaseSyncOsc::cyclePoints == ResCycles::points, "the tables hold one stored cycle per column");

namespace
{
template <typename T>
bool sameBits(T a, T b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A voice the batch cannot take (it has no table) sounds 0.
int slotOrSilence(int slot)
{
    return slot < 0 ? VoiceBatch::silentSlot : slot;
}
} // namespace

// Every member starts at its initial value; no voices exist yet.
PhaseSyncOsc::PhaseSyncOsc() = default;

PhaseSyncOsc::~PhaseSyncOsc() = default;

int PhaseSyncOsc::keyIndex(int note)
{
    if (note > highestNote)
        note = highestNote;
    if (note < lowestNote)
        note = lowestNote;
    return note - lowestNote;
}

void PhaseSyncOsc::setUpVoice(std::unique_ptr<WvIn>& voice, float (*table)[noteColumns], float rate,
                              float octaveFactor)
{
    voice = std::make_unique<WvIn>();
    voice->setWave(table, cyclePoints);
    voice->setSampleRate(rate);
    voice->octaveFactor = octaveFactor;
}

void PhaseSyncOsc::updateVoiceConstants(int k)
{
    keyColumn[k] = strings8Osc[k]->column; // the key's three voices share their column
    strings8Constants[k] = VoiceBatch::constantsOf(*strings8Osc[k]);
    strings16Constants[k] = VoiceBatch::constantsOf(*strings16Osc[k]);
    brassConstants[k] = VoiceBatch::constantsOf(*brassOsc[k]);
    voiceBatch.forget(); // new constants and cycles
    keysChanged();
}

void PhaseSyncOsc::loadWaveTable(double fs)
{
    // Wave tables: low notes play the bright lowest cycle, high notes the
    // mellow highest one. The 16' (and brass) blend follows a curved path,
    // the 8' blend a straight line that ends 1.6 times louder.
    for (int n = 0; n < noteColumns; ++n)
    {
        const float g = static_cast<float>(n);
        float h16, l16, h8, l8;
        if (n < 48)
        {
            h16 = 0.0f;
            l16 = 1.0f;
            h8 = 0.0f;
            l8 = 1.0f;
        }
        else if (n > 93)
        {
            h16 = 1.0f;
            l16 = 0.0f;
            h8 = 1.6f;
            l8 = 0.0f;
        }
        else
        {
            const double gd = g;
            const float c = static_cast<float>((gd * 0.000719 - 0.0353) /
                                               (1.0 - gd * 0.01943935 + gd * 0.0000971 * gd));
            h16 = c;
            l16 = 1.0f - c;
            const float h = static_cast<float>((gd - 48.0) / 45.0);
            h8 = 1.6f * h;
            l8 = 1.0f - h;
        }
        for (int j = 0; j < cyclePoints; ++j)
        {
            waveTable16[j][n] = resCycleHighest[j] * h16 + resCycleLowest[j] * l16;
            waveTable8[j][n] = resCycleHighest[j] * h8 + resCycleLowest[j] * l8;
        }
        VoiceBatch::layOutCycle(waveTable16, n, cyclePoints - 1, cyclesByNote16[n] + VoiceBatch::cyclePaddingBefore);
        VoiceBatch::layOutCycle(waveTable8, n, cyclePoints - 1, cyclesByNote8[n] + VoiceBatch::cyclePaddingBefore);
    }

    const float f = static_cast<float>(fs);

    // Voices and envelopes of every key.
    float smoothing = 0.9f;
    if (!(0.043f * f < 1.0f))
    {
        smoothing = 1.0f - std::pow(0.001f, 1.0f / (0.043f * f));
        if (smoothing < 1e-14f)
            smoothing = 1e-14f;
        if (smoothing > 0.9f)
            smoothing = 0.9f;
    }
    for (int k = 0; k < keyCount; ++k)
    {
        setUpVoice(strings8Osc[k], waveTable8, f, 1.0f);
        setUpVoice(strings16Osc[k], waveTable16, f, 0.5f);
        setUpVoice(brassOsc[k], waveTable16, f, 0.5f);
        updateVoiceConstants(k);

        AREnvelope& env = brassKeyEnv[k];
        env.setSampleRate(f);
        env.enterStage(AREnvelope::off);
        env.setAttack(0.025f);
        env.setAttackTarget(0.001f);
        env.setReleaseTarget(0.5f);

        StringsKey& key = stringsKeys[k];
        key.stage = StringsKey::off;
        key.level = 0.0f;
        key.keySampleRate = (f < 22050.0f) ? 22050.0f : f;

        keySmoothing[k].coefficient = smoothing;
    }

    // The brass filter contour runs its attack straight into its decay.
    filterEnvelope.setSampleRate(f);
    filterEnvelope.autoRelease = true;
    filterEnvelope.enterStage(AREnvelope::off);

    brassFilter.init();
    sampleRate = f;

    // A 20 Hz notch until the frame designs its 50 Hz high-pass.
    {
        const double w0 = 125.66370614359172 / fs;
        const double s = std::sin(w0);
        const double c = std::cos(w0);
        const double alpha = s / 2.0;
        const double a0 = 1.0 + alpha;
        brassHighPass.b0 = static_cast<float>(1.0 / a0);
        brassHighPass.b1 = static_cast<float>(-2.0 * c / a0);
        brassHighPass.b2 = brassHighPass.b0;
        brassHighPass.a1 = brassHighPass.b1;
        brassHighPass.a2 = static_cast<float>((1.0 - alpha) / a0);
    }

    // Each section fade takes 100 ms from 0 to 1.
    const float fadeSamples = f * 100.0f * 0.001f;
    const float fadeStep = (fadeSamples < 1.0f) ? 1.0f : 1.0f / fadeSamples;
    brassFade.step = fadeStep;
    strings16Fade.step = fadeStep;
    strings8Fade.step = fadeStep;

    // High-pass near 50 Hz at the end of the string chain.
    stringsHighPass.low = 0.0;
    stringsHighPass.high = 0.0;
    stringsHighPass.band = 0.0;
    stringsHighPass.damping = 0.7798547608172901;
    stringsHighPass.inputGain = 0.8830938573092274;
    stringsHighPass.frequency = 50.0 / fs * 6.22;
}

void PhaseSyncOsc::setNoteOn(int note)
{
    const int n = keyIndex(note) + lowestNote;
    const int k = n - lowestNote;

    const int octave = static_cast<int>(static_cast<float>(n) / 12.0f);
    keyPitchClass[k] = n - 12 * octave;
    keyOctaveFactor[k] = std::ldexp(1.0, octave - 1);

    if (voicesLoaded())
    {
        strings8Osc[k]->setNote(n, true);
        strings16Osc[k]->setNote(n, true);
        brassOsc[k]->setNote(n, true);
        updateVoiceConstants(k);
    }

    // The same key struck again with a sustain setting continues its brass
    // level from where it is; otherwise the attack starts near zero.
    if (lastKey == k && sustainLength > 0.01f)
        brassKeyEnv[k].retrigger();
    else
        brassKeyEnv[k].start();
    lastKey = k;

    if (heldCount < maxHeldCount)
        ++heldCount;
    startActive = false;
    if (heldCount == 1)
    {
        // A phrase begins: restart the filter contour and the crescendo.
        filterEnvelope.start();
        crescendoLevel = stringsKeys[k].level + 0.01f;
        startActive = true;
    }

    // The last key-up shortened the contour's release; restore the decay.
    setBrassVCFDecay(brassDecay);

    // The gate rises from wherever it is, even while releasing.
    stringsKeys[k].stage = StringsKey::attack;
    keysChanged();
}

void PhaseSyncOsc::setNoteOff(int note)
{
    const int k = keyIndex(note);
    stringsKeys[k].stage = StringsKey::release;

    // Keys are counted, not recorded: any key-up counts down.
    if (heldCount <= 1)
    {
        heldCount = 0;
        startActive = false;
        filterEnvelope.setRelease(0.025f);
        filterEnvelope.enterStage(AREnvelope::release);
    }
    else
    {
        --heldCount;
    }
    brassKeyEnv[k].enterStage(AREnvelope::release);
    keysChanged();
}

bool PhaseSyncOsc::getStartActive() const
{
    return startActive;
}

void PhaseSyncOsc::setBrassVCFAttack(float x)
{
    filterEnvelope.setAttack((2.0f + std::pow(x, 5.0f) * 5000.0f) * 0.001f);
    brassEnvAmount = 0.4f;
}

void PhaseSyncOsc::setBrassVCFDecay(float x)
{
    brassDecay = x;
    filterEnvelope.setRelease((2.0f + std::pow(x, 5.0f) * 7100.0f) * 0.001f);
}

void PhaseSyncOsc::setBrsOn(bool on)
{
    brassFade.on = on;
}

void PhaseSyncOsc::setBrassVolume(float x)
{
    brassVolume = 0.89f * x;
}

void PhaseSyncOsc::set16FOn(bool on)
{
    strings16Fade.on = on;
}

void PhaseSyncOsc::set8FOn(bool on)
{
    strings8Fade.on = on;
}

void PhaseSyncOsc::setAttackStrings(float x)
{
    crescendoTime = 0.014f + 2.5f * x;
    crescendoStep = 1.0f / (crescendoTime * sampleRate);
    for (StringsKey& key : stringsKeys)
        key.attackStep = 1.0f / (key.keySampleRate * 0.041f); // a 41 ms rise
    keysChanged();
}

void PhaseSyncOsc::setRelease(float x)
{
    sustainLength = x;
    const float seconds = ((5.5f * x) * x) * x + 0.12f;
    for (int k = 0; k < keyCount; ++k)
    {
        stringsKeys[k].releaseStep = 1.0f / (seconds * stringsKeys[k].keySampleRate);
        brassKeyEnv[k].setRelease(seconds);
    }
    keysChanged();
}

void PhaseSyncOsc::setStringsVolume(float x)
{
    stringsVolume = 0.4f * x;
}

void PhaseSyncOsc::setTranspose(bool on)
{
    transpose = on;
    keysChanged(); // the voices' phases change
}

bool PhaseSyncOsc::voicesLoaded() const
{
    return strings8Osc[0] != nullptr;
}

float PhaseSyncOsc::sound_engine1()
{
    float strings = 0.0f;
    float brass = 0.0f;
    renderBlock(1, &pitchIncrement, &filterModulation, &strings, &brass);
    return strings;
}

void PhaseSyncOsc::renderBlock(int n, const double (*increments)[pitchClasses], const float* modulations,
                               float* strings, float* brass)
{
    if (n <= 0)
        return;

    // Without voices (loadWaveTable not yet called) there is nothing to hear.
    if (!voicesLoaded())
    {
        for (int i = 0; i < n; ++i)
            strings[i] = brass[i] = 0.0f;
        brassOutput = 0.0f;
    }
    else
    {
        // Keys that have settled since they were listed stop being stepped.
        if (!keysListed || (sounding.steppedCount > 0 && samplesSinceListing >= relistInterval))
        {
            findMovingKeys(sounding);
            keysListed = true;
            samplesSinceListing = 0;
            voicesQueued = false;
        }
        if (tickVoicesOneByOne != queuedOneByOne)
            voicesQueued = false;
        for (int i = 0; i < n; ++i)
        {
            // Shared crescendo ramp (may pass 1 by less than a step for one sample).
            if (crescendoLevel < 1.0f)
                crescendoLevel += crescendoStep;
            else
                crescendoLevel = 1.0f;

            for (int c = 0; c < pitchClasses; ++c)
            {
                double p = masterPhase[c] + increments[i][c];
                if (p >= 1.0)
                    p -= 1.0;
                masterPhase[c] = p;
            }

            // The voices of the keys whose envelope or gate is open after
            // this step are advanced; when one has just come to rest, they
            // are queued again without it.
            if (stepKeyLevels(sounding, crescendoLevel) && voicesQueued)
            {
                voiceBatch.writeBack();
                voicesQueued = false;
            }
            if (!voicesQueued)
            {
                queueVoices(sounding);
                voicesQueued = true;
                queuedOneByOne = tickVoicesOneByOne;
            }

            const VoiceSums sums =
                tickVoicesOneByOne ? renderVoicesOneByOne(sounding) : renderVoicesTogether(sounding);

            filterModulation = modulations[i];
            renderBrass(sums.brass);
            brass[i] = brassOutput;
            strings[i] = renderStrings(sums.strings16, sums.strings8);
        }
        samplesSinceListing = (n >= relistInterval - samplesSinceListing) ? relistInterval : samplesSinceListing + n;
        // The voices' state goes back to them after every call; the batch
        // keeps its copy for the next.
        if (!tickVoicesOneByOne)
            voiceBatch.writeBack();
    }

    for (int c = 0; c < pitchClasses; ++c)
        pitchIncrement[c] = increments[n - 1][c];
    filterModulation = modulations[n - 1];
}

// The keys whose envelope, gate or smoothing moves; every other key rests at
// zero and stays there until it is struck.
void PhaseSyncOsc::findMovingKeys(SoundingKeys& keys)
{
    keys.count = keys.steppedCount = 0;
    for (int k = 0; k < keyCount; ++k)
    {
        const bool brassRests = brassKeyEnv[k].stage == AREnvelope::off;
        const bool stringsRest = stringsKeys[k].stage == StringsKey::off && keySmoothing[k].value == 0.0f;
        if (brassRests)
            brassKeyEnv[k].level = 0.0;
        if (stringsRest)
            stringsKeys[k].level = 0.0f;
        if (brassRests && stringsRest)
            continue;
        keys.keys[keys.count++] = k;

        keys.brassSteady[k] = keys.stringsSteady[k] = false;
        findSteadyLevels(keys, k);
        if (!keys.brassSteady[k] || !keys.stringsSteady[k])
            keys.stepped[keys.steppedCount++] = k;
    }
}

// A key whose brass envelope, or whose gate and smoothing, would come out of
// a step exactly as they went in stand still: every further step gives the
// same level again. The gate depends on the crescendo ramp as well, which
// is 1 in every sample of the block once it has finished.
void PhaseSyncOsc::findSteadyLevels(SoundingKeys& keys, int k)
{
    const AREnvelope& env = brassKeyEnv[k];
    AREnvelope envAfter = env;
    const float brassLevel = envAfter.getNextSample();
    if (envAfter.stage == env.stage && sameBits(envAfter.level, env.level)
        && sameBits(envAfter.multiplier, env.multiplier) && sameBits(envAfter.offset, env.offset)
        && envAfter.stageSamples == env.stageSamples)
    {
        keys.brassSteady[k] = true;
        keys.brassLevel[k] = brassLevel;
    }

    if (crescendoLevel < 1.0f)
        return;
    const StringsKey& gate = stringsKeys[k];
    const LevelSmoother& smoother = keySmoothing[k];
    StringsKey gateAfter = gate;
    LevelSmoother smootherAfter = smoother;
    const bool rests = gate.stage == StringsKey::off && smoother.value == 0.0f;
    const float stringLevel = rests ? 0.0f : smootherAfter.next(gateAfter.next(1.0f));
    if (gateAfter.stage == gate.stage && sameBits(gateAfter.level, gate.level)
        && sameBits(smootherAfter.value, smoother.value))
    {
        keys.stringsSteady[k] = true;
        keys.stringLevel[k] = stringLevel;
    }
}

// One sample of every moving key's envelope, gate and smoothing. Returns
// whether a key's envelope or gate has come to rest, so that its voices
// stop.
bool PhaseSyncOsc::stepKeyLevels(SoundingKeys& keys, float r)
{
    bool voiceStopped = false;
    for (int s = 0; s < keys.steppedCount; ++s)
    {
        const int k = keys.stepped[s];
        if (!keys.brassSteady[k])
        {
            AREnvelope& env = brassKeyEnv[k];
            if (env.stage == AREnvelope::off)
            {
                env.level = 0.0;
                keys.brassLevel[k] = 0.0f;
            }
            else
            {
                keys.brassLevel[k] = env.getNextSample();
                voiceStopped |= env.stage == AREnvelope::off;
            }
        }
        if (!keys.stringsSteady[k])
        {
            StringsKey& gate = stringsKeys[k];
            LevelSmoother& smoother = keySmoothing[k];
            if (gate.stage == StringsKey::off && smoother.value == 0.0f)
            {
                gate.level = 0.0f;
                keys.stringLevel[k] = 0.0f;
            }
            else
            {
                const bool gateWasOpen = gate.stage != StringsKey::off;
                keys.stringLevel[k] = smoother.next(gate.next(r));
                voiceStopped |= gateWasOpen && gate.stage == StringsKey::off;
            }
        }
    }
    return voiceStopped;
}

// Lists the voices that sound now, by section in ascending key order, and
// queues them in the batch. A key's brass and 16' voices read the same
// cycle at the same phase; while their filters are in the same state they
// play the same samples and share one slot.
void PhaseSyncOsc::queueVoices(SoundingKeys& keys)
{
    const double t = transpose ? 1.0 : 0.5;
    const double lowerFactor = t * 0.5; // 16' and brass: an octave below the 8'
    const bool together = !tickVoicesOneByOne;
    if (together)
        voiceBatch.clear();
    else
        voiceBatch.forget(); // the voices move on without the batch
    keys.brassCount = keys.stringsCount = 0;
    for (int s = 0; s < keys.count; ++s)
    {
        const int k = keys.keys[s];
        const bool brassSounds = brassKeyEnv[k].stage != AREnvelope::off;
        const bool stringsSound = stringsKeys[k].stage != StringsKey::off;
        const double* master = &masterPhase[keyPitchClass[k]];
        const double keyFactor = keyOctaveFactor[k];
        const float* cycle16 = cyclesByNote16[keyColumn[k]] + VoiceBatch::cyclePaddingBefore;
        const float* cycle8 = cyclesByNote8[keyColumn[k]] + VoiceBatch::cyclePaddingBefore;
        int brassSlot = VoiceBatch::silentSlot;
        if (brassSounds)
        {
            if (together)
                brassSlot = slotOrSilence(voiceBatch.addFollowing(*brassOsc[k], brassConstants[k], master,
                                                                  keyFactor, lowerFactor, cycle16));
            keys.brassKeys[keys.brassCount] = k;
            keys.brassSlots[keys.brassCount++] = brassSlot;
        }
        if (stringsSound)
        {
            int slot16 = VoiceBatch::silentSlot, slot8 = VoiceBatch::silentSlot;
            if (together)
            {
                if (brassSounds && voiceBatch.share(brassSlot, *strings16Osc[k], strings16Constants[k], cycle16))
                    slot16 = brassSlot;
                else
                    slot16 = slotOrSilence(voiceBatch.addFollowing(*strings16Osc[k], strings16Constants[k], master,
                                                                   keyFactor, lowerFactor, cycle16));
                slot8 = slotOrSilence(
                    voiceBatch.addFollowing(*strings8Osc[k], strings8Constants[k], master, keyFactor, t, cycle8));
            }
            keys.stringsKeys[keys.stringsCount] = k;
            keys.slots16[keys.stringsCount] = slot16;
            keys.slots8[keys.stringsCount++] = slot8;
        }
    }
}

// Sums in ascending key order. A silent voice would only add zeros, which
// leave a sum that starts at +0 unchanged, so it is left out.
PhaseSyncOsc::VoiceSums PhaseSyncOsc::renderVoicesTogether(const SoundingKeys& keys)
{
    voiceBatch.advance();
    const float* out = voiceBatch.outputs();
    // One loop for the three sums, so that their chains of additions run
    // side by side.
    float brassSum = 0.0f;
    float sum16 = 0.0f;
    float sum8 = 0.0f;
    const int entries = keys.brassCount > keys.stringsCount ? keys.brassCount : keys.stringsCount;
    for (int s = 0; s < entries; ++s)
    {
        if (s < keys.brassCount)
            brassSum += out[keys.brassSlots[s]] * keys.brassLevel[keys.brassKeys[s]];
        if (s < keys.stringsCount)
        {
            const float level = keys.stringLevel[keys.stringsKeys[s]];
            sum16 += out[keys.slots16[s]] * level;
            sum8 += out[keys.slots8[s]] * level;
        }
    }
    return {brassSum, sum16, sum8};
}

// The same, each voice ticked on its own (the reference the batch is held to).
PhaseSyncOsc::VoiceSums PhaseSyncOsc::renderVoicesOneByOne(const SoundingKeys& keys)
{
    const double t = transpose ? 1.0 : 0.5;
    const double lowerFactor = t * 0.5;
    float brassSum = 0.0f;
    float sum16 = 0.0f;
    float sum8 = 0.0f;
    for (int s = 0; s < keys.brassCount; ++s)
    {
        const int k = keys.brassKeys[s];
        const double phase = masterPhase[keyPitchClass[k]] * keyOctaveFactor[k];
        brassSum += brassOsc[k]->tickloop(phase * lowerFactor) * keys.brassLevel[k];
    }
    for (int s = 0; s < keys.stringsCount; ++s)
    {
        const int k = keys.stringsKeys[s];
        const double phase = masterPhase[keyPitchClass[k]] * keyOctaveFactor[k];
        sum16 += strings16Osc[k]->tickloop(phase * lowerFactor) * keys.stringLevel[k];
        sum8 += strings8Osc[k]->tickloop(phase * t) * keys.stringLevel[k];
    }
    return {brassSum, sum16, sum8};
}

void PhaseSyncOsc::renderBrass(float brassSum)
{
    const float gain = brassFade.next();
    if (brassFade.level <= 0.0f)
    {
        // Faded out: the contour and the filter stand still.
        brassOutput = 0.0f;
        return;
    }

    const float env = filterEnvelope.getNextSample();
    float control = brassCutoffBase + env * brassEnvAmount + filterModulation;
    if (control < 1e-11f)
        control = 1e-11f;
    if (control > 1.0f)
        control = 1.0f;

    // A breath of noise proportional to the section's level.
    const double u = 2.0 * static_cast<double>(noise.next()) / 2147483648.0 - 1.0;
    const float n = static_cast<float>(u * 1e-6 * std::fabs(static_cast<double>(brassSum)));

    const float input = n + (1.0f - 0.9f * brassResonance) * (0.26f * brassSum);
    const float y = brassFilter.tick(input, control, brassResonance, sampleRate);
    const float x = (n + y * brassVolume) * gain;
    brassOutput = brassHighPass.process(x);
}

float PhaseSyncOsc::renderStrings(float sum16, float sum8)
{
    const float s16 = (0.705f * sum16) * strings16Fade.next();
    const float s8 = (0.574f * sum8) * strings8Fade.next();
    const double m = (s16 + s8) * stringsVolume;
    return static_cast<float>(stringsHighPass.process(m));
}
