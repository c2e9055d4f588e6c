#pragma once

#include "engine/Filter.h"

// One wavetable voice. It has no frequency of its own: each sample the
// caller hands it a phase in cycles and the voice reads its column of a
// shared table (rows are points of one cycle, columns are MIDI notes) with
// 4-point Hermite interpolation, then colours it with a 4600 Hz band boost
// and a high-pass that follows the note's fundamental.
class WvIn
{
public:
    WvIn();

    void init();
    void setWave(float (*table)[128], unsigned int rows);
    void reset();
    void setSampleRate(float sr);
    void setNote(int note, bool);

    // Next output sample for a phase in cycles (not negative, may exceed 1).
    float tickloop(const double& phase);

    // Row position for a phase: L*phase less as many whole cycles of L rows
    // as bring it to at most L (a phase of exactly 1 reads row L); 0 for a
    // negative phase, and for one that is not a number or infinite.
    double wrapPosition(double phase) const;

    // The four rows that the interpolation around row i reads, for a cycle
    // whose last row is L: before row 0 comes row L, after row L comes row 1.
    struct Neighbours { unsigned int before, after, after2; };
    static Neighbours neighbourRows(unsigned int i, unsigned int L)
    {
        Neighbours n { (i == 0) ? L : i - 1, i + 1, i + 2 };
        if (n.after > L)
            n.after -= L;
        if (n.after2 > L)
            n.after2 -= L;
        if (n.after2 > L) // only for a one-row cycle
            n.after2 -= L;
        return n;
    }

    float (*wave)[128] = nullptr;
    unsigned int rowCount = 0;
    unsigned int lastIndex = 0;
    double position = 0.0;
    float lastOutput = 0.0f;
    int note = 0;
    int column = 0;
    float noteFrequency[128] = {};
    float sampleRate = 44100.0f;
    Filter highPass;
    Filter bandBoost;
    float octaveFactor = 1.0f;

    // Per-column values the filters need, computed when the column, the
    // octave factor or a filter's sample rate changes instead of per sample.
    struct ColumnCache
    {
        int column = -1;
        bool octaveDown = false;
        float highPassRate = 0.0f;
        float bandBoostRate = 0.0f;
        float highPassFrequency = 0.0f; // coefficient for 0.55 x the note's fundamental
        float bandBoostFrequency = 0.0f; // coefficient for 4600 Hz
        float bandWeight = 0.0f;         // weight of the band component
        float inputGain = 0.0f;          // high-pass input gain
        bool valid = false;
    };
    ColumnCache cache;

private:
    void updateCache();
};
