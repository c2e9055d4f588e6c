#include "engine/PhaseSyncOsc.h"

#include <cmath>

#include "engine/ResCycles.h"

static_assert(PhaseSyncOsc::cyclePoints == ResCycles::points, "the tables hold one stored cycle per column");

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
            cyclesByNote16[n][j] = waveTable16[j][n];
            cyclesByNote8[n][j] = waveTable8[j][n];
        }
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
}

void PhaseSyncOsc::setStringsVolume(float x)
{
    stringsVolume = 0.4f * x;
}

void PhaseSyncOsc::setTranspose(bool on)
{
    transpose = on;
}

bool PhaseSyncOsc::voicesLoaded() const
{
    return strings8Osc[0] != nullptr;
}

float PhaseSyncOsc::sound_engine1()
{
    // Without voices (loadWaveTable not yet called) there is nothing to hear.
    if (!voicesLoaded())
    {
        brassOutput = 0.0f;
        return 0.0f;
    }

    // Shared crescendo ramp (may pass 1 by less than a step for one sample).
    if (crescendoLevel < 1.0f)
        crescendoLevel += crescendoStep;
    else
        crescendoLevel = 1.0f;
    const float r = crescendoLevel;

    for (int i = 0; i < pitchClasses; ++i)
    {
        double p = masterPhase[i] + pitchIncrement[i];
        if (p >= 1.0)
            p -= 1.0;
        masterPhase[i] = p;
    }

    const double t = transpose ? 1.0 : 0.5;
    const double lowerFactor = t * 0.5; // 16' and brass: an octave below the 8'

    // Envelopes, gates and smoothing of every key. A resting envelope or a
    // resting, settled gate only holds its zero, which is kept here without
    // stepping it.
    float brassLevel[keyCount];
    float stringLevel[keyCount];
    for (int k = 0; k < keyCount; ++k)
    {
        AREnvelope& env = brassKeyEnv[k];
        if (env.stage == AREnvelope::off)
        {
            env.level = 0.0;
            brassLevel[k] = 0.0f;
        }
        else
        {
            brassLevel[k] = env.getNextSample();
        }
    }
    for (int k = 0; k < keyCount; ++k)
    {
        StringsKey& key = stringsKeys[k];
        LevelSmoother& smoother = keySmoothing[k];
        if (key.stage == StringsKey::off && smoother.value == 0.0f)
        {
            key.level = 0.0f;
            stringLevel[k] = 0.0f;
        }
        else
        {
            stringLevel[k] = smoother.next(key.next(r));
        }
    }

    // The voices of the sounding keys advance; resting voices do not, and
    // their filters keep their state.
    int soundingKeys[keyCount];
    float brass[keyCount];
    float voice16[keyCount];
    float voice8[keyCount];
    int brassSlot[keyCount];
    int slot16[keyCount];
    int slot8[keyCount];
    int sounding = 0;
    voiceBatch.clear();
    if (tickVoicesOneByOne)
        voiceBatch.forget(); // the voices move on without the batch
    for (int k = 0; k < keyCount; ++k)
    {
        const bool brassSounds = brassKeyEnv[k].stage != AREnvelope::off;
        const bool stringsSound = stringsKeys[k].stage != StringsKey::off;
        if (!brassSounds && !stringsSound)
            continue;
        const int s = sounding++;
        soundingKeys[s] = k;
        const double phase = masterPhase[keyPitchClass[k]] * keyOctaveFactor[k];
        brass[s] = voice16[s] = voice8[s] = 0.0f;
        brassSlot[s] = slot16[s] = slot8[s] = -1;
        if (tickVoicesOneByOne)
        {
            if (brassSounds)
                brass[s] = brassOsc[k]->tickloop(phase * lowerFactor);
            if (stringsSound)
            {
                voice16[s] = strings16Osc[k]->tickloop(phase * lowerFactor);
                voice8[s] = strings8Osc[k]->tickloop(phase * t);
            }
            continue;
        }
        const float* cycle16 = cyclesByNote16[keyColumn[k]];
        if (brassSounds)
            brassSlot[s] = voiceBatch.add(*brassOsc[k], brassConstants[k], phase * lowerFactor, cycle16);
        if (stringsSound)
        {
            slot16[s] = voiceBatch.add(*strings16Osc[k], strings16Constants[k], phase * lowerFactor, cycle16);
            slot8[s] = voiceBatch.add(*strings8Osc[k], strings8Constants[k], phase * t,
                                      cyclesByNote8[keyColumn[k]]);
        }
    }
    if (!tickVoicesOneByOne)
    {
        voiceBatch.render();
        for (int s = 0; s < sounding; ++s)
        {
            brass[s] = voiceBatch.output(brassSlot[s]);
            voice16[s] = voiceBatch.output(slot16[s]);
            voice8[s] = voiceBatch.output(slot8[s]);
        }
    }

    // Sums in ascending key order. A silent key would only add zeros, which
    // leave a sum that starts at +0 unchanged, so it is left out.
    float brassSum = 0.0f;
    float sum16 = 0.0f;
    float sum8 = 0.0f;
    for (int s = 0; s < sounding; ++s)
    {
        const int k = soundingKeys[s];
        brassSum += brass[s] * brassLevel[k];
        sum16 += voice16[s] * stringLevel[k];
        sum8 += voice8[s] * stringLevel[k];
    }

    renderBrass(brassSum);
    return renderStrings(sum16, sum8);
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
