#pragma once

#include <cstdint>

// The 21 parameters of a sound. The row number is the parameter number
// everywhere: framework parameter index, SetParameter, getParameterReadout,
// the engine's setParameterSynth and "NUM" in the saved state.

struct FxParamDef
{
    char group[16];          // front-panel section
    char id[16];             // stable identifier (saved state, component id)
    char name[128];          // display name
    int32_t maxValue;        // 127 for continuous parameters, 1 for switches
    int32_t defaultValue;    // raw value of a new instance
    int32_t midiController;  // associated controller number, -1 for none (data only)
    uint32_t panelColour;    // ARGB colour in the edit panel, 0 = none
};

constexpr int NumFxParams = 21;

constexpr FxParamDef FxParams[NumFxParams] = {
    { "syn_brs", "flt_atk", "Brass Filter Attack",      127,  64, -1, 0 },
    { "syn_brs", "flt_dcy", "Brass Filter Decay",       127,  64, -1, 0 },
    { "syn_brs", "flt_rng", "Brass Filter Range",       127,  64, -1, 0 },
    { "syn_brs", "flt_res", "Brass Filter Resonance",   127,   0, -1, 0 },
    { "syn_brs", "brs_tog", "Brass Section On/Off",       1,   0, -1, 0 },
    { "syn_brs", "brs_vol", "Brass Section Volume",     127,  64, -1, 0 },
    { "syn_str", "seq_low", "Strings EQ Low",           127,  64, -1, 0 },
    { "syn_str", "seq_mid", "Strings EQ Middle",        127,  64, -1, 0 },
    { "syn_str", "seq_hig", "Strings EQ High",          127,  64, -1, 0 },
    { "syn_str", "sft_f16", "Strings Octave 16'",         1,   0, -1, 0 },
    { "syn_str", "sft_f08", "Strings Octave 8'",          1,   1, -1, 0 },
    { "syn_str", "sln_crs", "Strings Length Crescendo", 127,   0, -1, 0 },
    { "syn_str", "sln_sus", "Strings Length Sustain",   127,  72, -1, 0 },
    { "syn_str", "sln_vol", "Strings Section Volume",   127,  64, -1, 0 },
    { "syn_mod", "mod_dln", "Modulation Delay Length",  127,  64, -1, 0 },
    { "syn_mod", "mod_rat", "Modulation Rate",          127,  80, -1, 0 },
    { "syn_mod", "mod_dep", "Modulation Depth",         127,   0,  1, 0 },
    { "syn_mod", "mod_dst", "Modulation Destination",     1,   1, -1, 0 },
    { "syn_com", "com_trs", "Transpose Up/Down",          1,   1, -1, 0 },
    { "syn_com", "com_mst", "Master Volume",            127, 127,  7, 0 },
    { "syn_edt", "edt_tgl", "Global Tuning",            127,  64, -1, 0xFF922820 },
};

// Raw (integer 0..maxValue) to normalised (0..1): a 32-bit float division.
inline float normalisedFromRaw (int raw, int maxValue)
{
    return (float) raw / (float) maxValue;
}

// Normalised to raw: the 32-bit float product, truncated toward zero.
// A product that no int can hold (or NaN) gives -1, which every receiver
// treats as out of range, instead of an undefined conversion.
inline int rawFromNormalised (int maxValue, float normalised)
{
    const float product = (float) maxValue * normalised;

    if (! (product > -2147483520.0f && product < 2147483520.0f))
        return -1;

    return (int) product;
}
