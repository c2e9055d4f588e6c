#include "engine/AREnvelope.h"

#include <cmath>
#include <limits>

void AREnvelope::setSampleRate(float sr)
{
    sampleRate = sr;
}

AREnvelope::EnvelopeStage AREnvelope::getCurrentStage() const
{
    return stage;
}

void AREnvelope::setAttack(float seconds)
{
    attackTime = seconds < 0.0f ? 0.001f : seconds;
}

void AREnvelope::setRelease(float seconds)
{
    releaseTime = seconds <= 0.0f ? 0.01f : seconds;
}

void AREnvelope::setAttackTarget(float t)
{
    attackTarget = t;
}

void AREnvelope::setReleaseTarget(float t)
{
    releaseTarget = t;
}

double AREnvelope::calculateMultiplier(double target, int samples)
{
    const double n = static_cast<double>(static_cast<float>(samples));
    multiplier = std::exp(-std::log((target + 1.0) / target) / n);
    return multiplier;
}

std::int32_t AREnvelope::stageLength(float seconds) const
{
    const double n = 0.5 + static_cast<double>(seconds) * static_cast<double>(sampleRate);
    // At least one sample; a NaN or an absurdly long stage must not reach the
    // integer conversion.
    if (!(n >= 1.0))
        return 1;
    if (n >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(n);
}

void AREnvelope::enterStage(EnvelopeStage s)
{
    stage = s;
    switch (s)
    {
    case off:
        stageSamples = 0;
        level = 0.0;
        multiplier = 1.0;
        break;
    case attack:
        stageSamples = stageLength(attackTime);
        calculateMultiplier(attackTarget, stageSamples);
        offset = static_cast<float>((attackTarget + 1.0) * (1.0 - multiplier));
        level = offset; // the attack starts from its first step, not from the present level
        break;
    case release:
        stageSamples = stageLength(releaseTime);
        calculateMultiplier(releaseTarget, stageSamples);
        offset = static_cast<float>(-((1.0 - multiplier) * releaseTarget));
        break;
    case reAttack:
        // Same curve and length as the attack, continued from the present level.
        stageSamples = stageLength(attackTime);
        calculateMultiplier(attackTarget, stageSamples);
        offset = static_cast<float>((attackTarget + 1.0) * (1.0 - multiplier));
        break;
    }
}

void AREnvelope::start()
{
    enterStage(attack);
}

void AREnvelope::retrigger()
{
    enterStage(reAttack);
}

float AREnvelope::getNextSample()
{
    switch (stage)
    {
    case off:
        level = 0.0;
        return 0.0f;
    case attack:
    case reAttack:
        level = offset + level * multiplier;
        if (!(level < peakLevel))
        {
            level = peakLevel;
            if (autoRelease)
                enterStage(release);
        }
        break;
    case release:
        level = offset + level * multiplier;
        if (level <= 0.0)
        {
            level = 0.0;
            enterStage(off);
        }
        break;
    }

    // Levels at or below the float 1e-34 are flushed to keep denormals out.
    if (level > static_cast<double>(1e-34f))
    {
        level = level < 1.0 ? level : 1.0;
        return static_cast<float>(level);
    }
    level = 0.0;
    return 0.0f;
}
