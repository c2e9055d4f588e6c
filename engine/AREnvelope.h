#pragma once

#include <cstdint>

// Exponential attack/release envelope with a peak of 1.0. Each stage is a
// one-pole recursion level = offset + level * multiplier whose fixed point
// lies beyond the stage's goal (1 + attackTarget for the attack,
// -releaseTarget for the release), so the goal is reached after exactly the
// stage's length; the target sets the curvature.
class AREnvelope
{
public:
    enum EnvelopeStage : std::int32_t
    {
        off = 0,
        attack = 1,
        release = 2,
        reAttack = 3
    };

    float sampleRate = 44100.0f;
    EnvelopeStage stage = off;
    double multiplier = 1.0;
    double level = 0.0;
    double peakLevel = 1.0;
    std::int32_t stageSamples = 0;
    float attackTime = 0.01f;   // seconds; also used for the re-attack
    float releaseTime = 0.2f;   // seconds
    float offset = 0.0001f;
    double attackTarget = 0.9;
    double releaseTarget = 0.001;
    bool autoRelease = false;   // the attack runs straight into the release

    AREnvelope() = default;

    void setSampleRate(float sr);
    EnvelopeStage getCurrentStage() const;
    void setAttack(float seconds);   // negative -> 0.001 s
    void setRelease(float seconds);  // zero or negative -> 0.01 s
    void setAttackTarget(float t);
    void setReleaseTarget(float t);

    // Stores and returns the per-sample factor that takes a stage of
    // `samples` steps from its start to its goal.
    double calculateMultiplier(double target, int samples);

    // Stage lengths and factors are taken here, on entry.
    void enterStage(EnvelopeStage s);
    void start();      // attack from the first step above zero
    void retrigger();  // attack from the present level

    // Advances one sample; returns the level, 0 .. 1.
    float getNextSample();

private:
    std::int32_t stageLength(float seconds) const;
};
