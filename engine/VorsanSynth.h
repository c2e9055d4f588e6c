#pragma once

#include <atomic>
#include <limits>

#include "engine/EnsembleChorus.h"
#include "engine/ModuleLFOsx.h"
#include "engine/PhaseSyncOsc.h"
#include "engine/StringsEqualiser.h"

// The instrument's engine: one mono sample per Process() call at a fixed
// rate of 44100 or 48000 Hz. It owns the tone generator, the strings
// equaliser, the ensemble chorus and the modulation oscillator, decides the
// global tuning of the tone bank, routes the delayed modulation to pitch or
// to the brass filter, and maps the 21 raw parameter values onto all parts.
//
// The object is large (the chorus history and the wave tables): always
// create it on the heap. It has no lock of its own; the owner keeps
// NoteOn/NoteOff/setParameterSynth/Reset from overlapping with Process.
class VorsanSynth
{
public:
    static constexpr int numParameters = 21;
    // Readouts fit in this many characters including the terminating zero.
    static constexpr int readoutCapacity = 32;

    // Pitch classes C..B of the lowest octave in hertz. C, E, G and A are
    // deliberately off equal temperament (the instrument's own stretch).
    static constexpr double baseFrequencies[12] = {
        16.37159783132, 17.32391443612, 18.35404799481, 19.44543648262,
        20.56172230711, 21.82676446462, 23.12465141952, 24.51171474862,
        25.95654359872, 27.48999999999, 29.13523509492, 30.86770632852};

    explicit VorsanSynth(float sampleRate);
    ~VorsanSynth() = default;

    VorsanSynth(const VorsanSynth&) = delete;
    VorsanSynth& operator=(const VorsanSynth&) = delete;

    // A key goes down (MIDI note 48..96); velocity is not used.
    void NoteOn(int note, int velocity);
    // A key goes up.
    void NoteOff(int note);
    // Renders and returns the next sample.
    float Process();
    // Renders the next n samples into out: the same samples as n calls of
    // Process(), and the engine is left as those calls leave it.
    void Process(float* out, int n);
    // Applies raw value 0..127 of catalogue row 0..20; an unchanged value
    // is not applied again, and an unknown row or a value outside 0..127 is
    // ignored.
    void setParameterSynth(int index, int value);
    // Hertz readout of a normalised value for rows 20 and 15, written into
    // text (at least readoutCapacity characters); other rows leave text
    // unchanged.
    static void GetParameterReadout(int index, float value, char* text);
    // Clears the equaliser memories and prepares the chorus again.
    void Reset();

    // Writes the 12 per-sample phase increments of the tone bank for the
    // tuning value t (0..1, 0.505 plays the base table as listed).
    void computePitchIncrements(double t);
    // The brass chain's 50 Hz high-pass for the tone generator's rate.
    void designBrassHighPass();

    // Samples the tone generator renders at a time in Process(out, n).
    static constexpr int blockLength = 64;

    float sampleRate = 44100.0f;
    float masterGain = 0.0f;
    double tune = 0.0;
    float modDepth = 0.0f;
    // Last modulation oscillator output, before the fade; read by the user
    // interface from another thread.
    std::atomic<float> lfoValue{0.0f};
    bool modToFilter = false;
    PhaseSyncOsc osc;
    EnsembleChorus chorus;
    // eqBand, highPass, eqFrequency, eqBandwidth, eqRange, bodyBand and
    // bodyFrequency of the strings chain.
    StringsEqualiser equaliser;
    ModuleLFOsx modLfo;
    float fadeLevel = 1.0f;
    float fadeStep = 0.01f;
    int lastValue[numParameters];

    // The semitone power of the last tuning value, divided by the rate
    // (kept so that an unchanged tuning costs no power function).
    double tuningFactor = 0.0;
    double factorTuning = std::numeric_limits<double>::quiet_NaN();
    float factorSampleRate = 0.0f;

private:
    // One step of the modulation: sets the tone generator's filter
    // modulation and returns the tuning value for this sample.
    double nextModulatedTuning();
    // The string section's sample through the equaliser and the chorus,
    // with the brass section added, at the master volume.
    float mix(float strings, float brass);
};
