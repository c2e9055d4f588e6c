#pragma once

#include "engine/Biquad.h"

// The string section's tone chain: a fixed seven-band body curve, a
// three-band equaliser set by the "Strings EQ" parameters, and a 57 Hz
// high-pass. Every stage is a Biquad; see processStrings for the order.
class StringsEqualiser
{
public:
    static constexpr int lowBand = 0;
    static constexpr int middleBand = 1;
    static constexpr int highBand = 2;
    static constexpr int numBands = 3;
    static constexpr int numBodyBands = 7;

    Biquad eqBand[numBands];                       // low, middle, high
    Biquad highPass;                               // 57 Hz, two octaves
    double eqFrequency[numBands] = { 210.0, 890.0, 2900.0 };  // Hz
    double eqBandwidth[numBands] = { 2.6, 1.5, 1.0 };         // octaves
    double eqRange[numBands] = { 10.0, 12.0, 12.0 };          // +/- dB
    Biquad bodyBand[numBodyBands];
    double bodyFrequency[numBodyBands] = { 120.0, 250.0, 500.0, 1000.0, 2500.0, 5000.0, 12000.0 };

    // The rate the bands were designed for, kept so a band can be redesigned
    // alone when its parameter changes.
    double sampleRate = 44100.0;

    // Designs every stage for the rate: adjustable bands flat (A = 1), body
    // curve, high-pass; all histories zero.
    void design(double Fs);

    // Redesigns one adjustable band for a raw parameter value 0..127
    // (raw 0 = -range dB, raw 127 = +range dB). Its history is kept.
    // An unknown band or a raw value outside 0..127 is ignored.
    void setBandGain(int band, int raw);

    // One sample through body bands 1..7, then high, middle, low band, then
    // the high-pass.
    float processStrings(float s);

    // Zeroes the histories of the adjustable bands and the high-pass; the
    // body bands keep theirs.
    void clear();
};
