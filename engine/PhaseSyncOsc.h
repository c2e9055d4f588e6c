#pragma once

#include <cstdint>
#include <memory>

#include "engine/AREnvelope.h"
#include "engine/Biquad.h"
#include "engine/LevelSmoother.h"
#include "engine/NoiseGenerator.h"
#include "engine/SectionFade.h"
#include "engine/StringsHighPass.h"
#include "engine/StringsKey.h"
#include "engine/VCFdouble.h"
#include "engine/VoiceBatch.h"
#include "engine/WvIn.h"

// The tone generator: renders the string section (16' and 8') and the brass
// section of 61 keys (MIDI notes 36..96), one sample per sound_engine1().
//
// Twelve master phases, one per pitch class at the pitch of the lowest
// octave, drive every key: a key's phase is its master's phase times a power
// of two, so all keys of a pitch class stay phase-locked and a key-down
// never restarts an oscillator. Each key has three wavetable voices (8'
// strings, 16' strings, brass at the 16' pitch) reading note-dependent
// cycles blended from two stored cycles.
//
// The object is large (two 401 x 128 wave tables): it lives inside the
// engine, which is created on the heap. Call loadWaveTable() once before the
// first sound_engine1(). No locks: the caller keeps key operations and
// setters from overlapping with sound_engine1().
class PhaseSyncOsc
{
public:
    static constexpr int keyCount = 61;
    static constexpr int lowestNote = 36;
    static constexpr int highestNote = 96;
    static constexpr int maxHeldCount = 60;
    static constexpr int pitchClasses = 12;
    static constexpr int cyclePoints = 401;
    static constexpr int noteColumns = 128;

    PhaseSyncOsc();
    ~PhaseSyncOsc();

    PhaseSyncOsc(const PhaseSyncOsc&) = delete;
    PhaseSyncOsc& operator=(const PhaseSyncOsc&) = delete;

    // Builds the wave tables, creates and sets up the 183 voices and all
    // envelopes for the sample rate, and designs the output filters.
    void loadWaveTable(double sampleRate);

    // Key down / key up, MIDI note numbers (clamped to 36..96).
    void setNoteOn(int note);
    void setNoteOff(int note);

    // Whether the most recent setNoteOn began a new phrase.
    bool getStartActive() const;

    // Advances one sample: returns the string section's sample and leaves
    // the brass section's sample in brassOutput.
    float sound_engine1();

    // Renders n samples, as n calls of sound_engine1 would with
    // pitchIncrement and filterModulation set to increments[i] and
    // modulations[i] before each: strings[i] is what the call returns,
    // brass[i] what it leaves in brassOutput. Afterwards every member is as
    // those calls leave it.
    void renderBlock(int n, const double (*increments)[pitchClasses], const float* modulations,
                     float* strings, float* brass);

    // Setters for one parameter row each; x is normalised 0..1.
    void setBrassVCFAttack(float x);
    void setBrassVCFDecay(float x);
    void setBrsOn(bool on);
    void setBrassVolume(float x);
    void set16FOn(bool on);
    void set8FOn(bool on);
    void setAttackStrings(float x);
    void setRelease(float x);
    void setStringsVolume(float x);
    void setTranspose(bool on);

    // Key index 0..60 of a MIDI note, clamped to the range of keys.
    static int keyIndex(int note);

    std::unique_ptr<WvIn> strings8Osc[keyCount];  // 8' strings voice of each key
    std::unique_ptr<WvIn> strings16Osc[keyCount]; // 16' strings voice of each key
    std::unique_ptr<WvIn> brassOsc[keyCount];     // brass voice of each key
    float waveTable16[cyclePoints][noteColumns] = {}; // 16' strings and brass
    float waveTable8[cyclePoints][noteColumns] = {};  // 8' strings
    AREnvelope filterEnvelope;  // brass filter contour, one for all keys
    spcfilter brassFilter;
    Biquad brassHighPass;       // last filter of the brass chain
    StringsKey stringsKeys[keyCount];
    LevelSmoother keySmoothing[keyCount];
    float crescendoLevel = 0.0f; // shared crescendo ramp, 0..1
    float crescendoStep = 0.0001f;
    float crescendoTime = 0.5f;  // seconds
    bool startActive = true;
    std::int32_t heldCount = 0;  // keys held, 0..60
    AREnvelope brassKeyEnv[keyCount];
    float sustainLength = 0.0f;  // last "Strings Length Sustain" value
    float brassResonance = 0.2f;
    float brassCutoffBase = 0.5f;
    float filterModulation = 0.0f; // added to the brass cutoff control
    float brassOutput = 0.0f;      // brass sample of the current step
    float sampleRate = 44100.0f;
    float brassDecay = 0.0f;       // last "Brass Filter Decay" value
    float stringsVolume = 0.5f;
    bool transpose = false;        // octave up
    SectionFade brassFade;
    SectionFade strings16Fade;
    SectionFade strings8Fade;
    float brassVolume = 0.0f;
    float brassEnvAmount = 4.5f;   // depth of the filter contour
    double pitchIncrement[pitchClasses] = {};   // per-sample phase increments C..B
    double pitchClassTuning[pitchClasses] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
                                             1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
    double masterPhase[pitchClasses] = {};      // in cycles, 0 <= phase < 1
    double keyOctaveFactor[keyCount] = {};      // 2^(octave - 1) of each key
    std::int32_t keyPitchClass[keyCount] = {};  // 0 (C) .. 11 (B)
    std::int32_t lastKey = -1;                  // key of the most recent key-down
    StringsHighPass stringsHighPass;
    NoiseGenerator noise;                       // source of the brass noise

    // The voices are rendered together, stage by stage (VoiceBatch), with
    // the same samples as ticking them one by one; set this to tick them one
    // by one through WvIn::tickloop instead (used to check the two agree).
    bool tickVoicesOneByOne = false;
    VoiceBatch voiceBatch;
    // The two wave tables again, one note's cycle after the other, laid out
    // for the batch (VoiceBatch::layOutCycle) so that the rows a voice
    // interpolates between lie side by side in memory.
    static constexpr int laidOutCycleLength =
        VoiceBatch::cyclePaddingBefore + cyclePoints + VoiceBatch::cyclePaddingAfter;
    float cyclesByNote16[noteColumns][laidOutCycleLength] = {};
    float cyclesByNote8[noteColumns][laidOutCycleLength] = {};
    // Per-column constants of each voice's filters, set with its column.
    VoiceBatch::VoiceConstants strings8Constants[keyCount];
    VoiceBatch::VoiceConstants strings16Constants[keyCount];
    VoiceBatch::VoiceConstants brassConstants[keyCount];
    std::int32_t keyColumn[keyCount] = {}; // table column of each key's voices

private:
    // The keys whose levels move in a block, and their voices.
    struct SoundingKeys
    {
        int count = 0;            // keys in `keys`, ascending
        int keys[keyCount] = {};
        // A key whose envelope or gate and smoothing stand still for the
        // whole block keeps its level without being stepped; `stepped`
        // lists the others.
        bool brassSteady[keyCount] = {};
        bool stringsSteady[keyCount] = {};
        int steppedCount = 0;
        int stepped[keyCount] = {};
        float brassLevel[keyCount] = {};  // this sample's levels, by key
        float stringLevel[keyCount] = {};
        // The voices that sound, by section, each in ascending key order:
        // the key and the voice's batch slot.
        int brassCount = 0, stringsCount = 0;
        int brassKeys[keyCount] = {}, stringsKeys[keyCount] = {};
        int brassSlots[keyCount] = {}, slots16[keyCount] = {}, slots8[keyCount] = {};
    };

    // The moving keys, their steady levels and the batch's queue of their
    // voices stay from one call to the next until a key, a setting or a
    // voice changes them, and are looked at again now and then while some
    // keys' levels still move.
    static constexpr int relistInterval = 64; // samples
    SoundingKeys sounding;
    bool keysListed = false;
    int samplesSinceListing = 0;
    bool voicesQueued = false;
    bool queuedOneByOne = false; // how the queued voices are ticked
    void keysChanged()
    {
        keysListed = false;
        voicesQueued = false;
    }

    void setUpVoice(std::unique_ptr<WvIn>& voice, float (*table)[noteColumns], float rate,
                    float octaveFactor);
    void updateVoiceConstants(int k);
    bool voicesLoaded() const;
    void findMovingKeys(SoundingKeys& keys);
    void findSteadyLevels(SoundingKeys& keys, int k);
    bool stepKeyLevels(SoundingKeys& keys, float r);
    void queueVoices(SoundingKeys& keys);
    // The sounding voices' samples times their keys' levels, summed by
    // section in ascending key order.
    struct VoiceSums
    {
        float brass, strings16, strings8;
    };
    VoiceSums renderVoicesTogether(const SoundingKeys& keys);
    VoiceSums renderVoicesOneByOne(const SoundingKeys& keys);
    void renderBrass(float brassSum);
    float renderStrings(float sum16, float sum8);
};
