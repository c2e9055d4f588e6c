#include "CoreTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace
{
    struct ExpectedRow { const char* group; const char* id; const char* name; int maxValue, defaultValue, midiController; };

    // The instrument's 21 parameters as its manual lists them.
    const ExpectedRow expectedRows[NumFxParams] = {
        { "syn_brs", "flt_atk", "Brass Filter Attack", 127, 64, -1 },
        { "syn_brs", "flt_dcy", "Brass Filter Decay", 127, 64, -1 },
        { "syn_brs", "flt_rng", "Brass Filter Range", 127, 64, -1 },
        { "syn_brs", "flt_res", "Brass Filter Resonance", 127, 0, -1 },
        { "syn_brs", "brs_tog", "Brass Section On/Off", 1, 0, -1 },
        { "syn_brs", "brs_vol", "Brass Section Volume", 127, 64, -1 },
        { "syn_str", "seq_low", "Strings EQ Low", 127, 64, -1 },
        { "syn_str", "seq_mid", "Strings EQ Middle", 127, 64, -1 },
        { "syn_str", "seq_hig", "Strings EQ High", 127, 64, -1 },
        { "syn_str", "sft_f16", "Strings Octave 16'", 1, 0, -1 },
        { "syn_str", "sft_f08", "Strings Octave 8'", 1, 1, -1 },
        { "syn_str", "sln_crs", "Strings Length Crescendo", 127, 0, -1 },
        { "syn_str", "sln_sus", "Strings Length Sustain", 127, 72, -1 },
        { "syn_str", "sln_vol", "Strings Section Volume", 127, 64, -1 },
        { "syn_mod", "mod_dln", "Modulation Delay Length", 127, 64, -1 },
        { "syn_mod", "mod_rat", "Modulation Rate", 127, 80, -1 },
        { "syn_mod", "mod_dep", "Modulation Depth", 127, 0, 1 },
        { "syn_mod", "mod_dst", "Modulation Destination", 1, 1, -1 },
        { "syn_com", "com_trs", "Transpose Up/Down", 1, 1, -1 },
        { "syn_com", "com_mst", "Master Volume", 127, 127, 7 },
        { "syn_edt", "edt_tgl", "Global Tuning", 127, 64, -1 },
    };
}

TEST (FxParams, RowsMatchTheInstrumentsParameterList)
{
    std::set<std::string> ids;
    for (int row = 0; row < NumFxParams; ++row)
    {
        SCOPED_TRACE (row);
        const FxParamDef& def = FxParams[row];
        const ExpectedRow& want = expectedRows[row];
        EXPECT_STREQ (def.group, want.group);
        EXPECT_STREQ (def.id, want.id);
        EXPECT_STREQ (def.name, want.name);
        EXPECT_EQ (def.maxValue, want.maxValue);
        EXPECT_EQ (def.defaultValue, want.defaultValue);
        EXPECT_EQ (def.midiController, want.midiController);
        EXPECT_EQ (def.panelColour, row == 20 ? 0xFF922820u : 0u);
        EXPECT_LE (std::strlen (def.id), 15u);
        ids.insert (def.id);
    }
    EXPECT_EQ (ids.size(), (size_t) NumFxParams);
    EXPECT_EQ (FxParams[9].name[17], '\''); // plain ASCII apostrophe for the foot mark
}

TEST (FxParams, RawValuesSurviveTheRoundTripThroughNormalised)
{
    for (int maxValue : { 127, 1 })
        for (int raw = 0; raw <= maxValue; ++raw)
            EXPECT_EQ (rawFromNormalised (maxValue, normalisedFromRaw (raw, maxValue)), raw) << maxValue << " " << raw;

    // Truncation toward zero, not rounding.
    EXPECT_EQ (rawFromNormalised (127, 0.5f), 63);
    EXPECT_EQ (rawFromNormalised (127, 0.999f), 126);
    EXPECT_EQ (rawFromNormalised (1, 0.5f), 0);
    EXPECT_EQ (rawFromNormalised (1, 0.9999f), 0);
    EXPECT_EQ (rawFromNormalised (127, -0.001f), 0);
    // Values no int can hold are out of range rather than undefined.
    EXPECT_EQ (rawFromNormalised (127, 1.0e30f), -1);
    EXPECT_EQ (rawFromNormalised (127, std::numeric_limits<float>::quiet_NaN()), -1);
}

TEST (KvoParameter, NewProcessorHoldsTheCatalogueDefaults)
{
    VorsanTembrolinAudioProcessor processor;
    ASSERT_EQ (processor.getParameters().size(), NumFxParams);

    for (int row = 0; row < NumFxParams; ++row)
    {
        SCOPED_TRACE (row);
        auto* parameter = processor.params[row];
        ASSERT_NE (parameter, nullptr);
        EXPECT_EQ (processor.getParameters()[row], parameter);
        EXPECT_EQ (parameter->getParameterIndex(), row);
        EXPECT_EQ (parameter->id, FxParams[row].id);
        EXPECT_EQ (parameter->maxValue, FxParams[row].maxValue);
        EXPECT_EQ (parameter->getValue(), (float) FxParams[row].defaultValue / (float) FxParams[row].maxValue);
        EXPECT_EQ (parameter->getDefaultValue(), parameter->getValue());
        EXPECT_TRUE (parameter->isMetaParameter());
        EXPECT_EQ (parameter->getCategory(), juce::AudioProcessorParameter::genericParameter);
        EXPECT_TRUE (parameter->getLabel().isEmpty());
        EXPECT_FLOAT_EQ (parameter->getValueForText ("0.25"), 0.25f);
        // The new engine was sent every default.
        EXPECT_EQ (processor.synth->lastValue[row], FxParams[row].defaultValue);
    }

    EXPECT_EQ (processor.params[12]->getValue(), 72.0f / 127.0f);
    EXPECT_EQ (processor.params[10]->getValue(), 1.0f);
    EXPECT_EQ (processor.params[0]->getName (3), "Brass Filter Attack");
    EXPECT_EQ (processor.params[9]->getName (100), "Strings Octave 16'");
}

TEST (KvoParameter, SetValueForwardsTheTruncatedRawValueToTheEngine)
{
    struct Case { int row; float value; int expectedRaw; };
    const Case cases[] = {
        { 5, 0.5f, 63 },     // 63.5 truncated
        { 5, 0.999f, 126 },
        { 5, 1.0f, 127 },
        { 5, 0.0f, 0 },
        { 4, 1.0f, 1 },      // a switch goes on only at 1.0
        { 4, 0.5f, 0 },
        { 9, 0.99f, 0 },
    };

    VorsanTembrolinAudioProcessor processor;
    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "row " << c.row << " value " << c.value);
        processor.params[c.row]->setValueNotifyingHost (c.value);
        EXPECT_EQ (processor.params[c.row]->getValue(), c.value);
        EXPECT_EQ (processor.synth->lastValue[c.row], c.expectedRaw);
    }
}

TEST (KvoParameter, OutOfRangeValuesAreStoredButDoNotReachTheEngine)
{
    VorsanTembrolinAudioProcessor processor;
    auto* master = processor.params[19];

    master->setValue (2.0f);    // raw 254
    EXPECT_EQ (master->getValue(), 2.0f);
    EXPECT_EQ (processor.synth->lastValue[19], 127);

    master->setValue (-0.5f);   // raw -63
    EXPECT_EQ (master->getValue(), -0.5f);
    EXPECT_EQ (processor.synth->lastValue[19], 127);

    master->setValue (std::numeric_limits<float>::infinity());
    EXPECT_EQ (processor.synth->lastValue[19], 127);
}
