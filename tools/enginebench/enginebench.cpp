// Measures what one engine sample costs, single-threaded, at 44100 Hz with
// the catalogue defaults and brass, 16' and 8' on and modulation depth 64:
// one key, a ten-key chord and all 49 keys held. Prints the median of
// several runs as nanoseconds per sample and as the real-time factor
// (rendered seconds per CPU second), the best run (the least disturbed by
// other work on the machine), and a checksum of the rendered bits. Each
// scenario is rendered again with the tone generator ticking its voices one
// by one through WvIn::tickloop; the two renderings must have the same bits
// (the program exits with 1 otherwise).
#include "engine/VorsanSynth.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace
{
constexpr float engineRate = 44100.0f;
constexpr int warmUpSamples = 44100;   // attacks and crescendo are over
constexpr int samplesPerRun = 22050;
constexpr int checkedRuns = 3;   // the checksum covers the warm-up and these

// Raw defaults of the 21 parameter rows, in row order.
constexpr int defaults[VorsanSynth::numParameters] = {
    64, 64, 64, 0, 0, 64, 64, 64, 64, 0, 1, 0, 72, 64, 64, 80, 0, 1, 1, 127, 64};

double threadSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

// FNV-1a over the bit patterns of the samples.
std::uint64_t mixChecksum(std::uint64_t hash, float sample)
{
    std::uint32_t bits;
    std::memcpy(&bits, &sample, sizeof bits);
    for (int i = 0; i < 4; ++i)
    {
        hash ^= (bits >> (8 * i)) & 0xFFu;
        hash *= 1099511628211ull;
    }
    return hash;
}

struct Scenario
{
    const char* name;
    std::vector<int> keys;
};

struct Result
{
    double bestNsPerSample;
    double nsPerSample;
    double realTimeFactor;
    std::uint64_t checksum;
    float peak;
};

Result run(const Scenario& scenario, int runs, bool voicesOneByOne)
{
    auto engine = std::make_unique<VorsanSynth>(engineRate);
    engine->osc.tickVoicesOneByOne = voicesOneByOne;
    for (int row = 0; row < VorsanSynth::numParameters; ++row)
        engine->setParameterSynth(row, defaults[row]);
    engine->setParameterSynth(4, 1);    // brass on
    engine->setParameterSynth(9, 1);    // 16' on (8' is on by default)
    engine->setParameterSynth(16, 64);  // modulation depth
    for (int key : scenario.keys)
        engine->NoteOn(key, 100);

    std::uint64_t checksum = 14695981039346656037ull;
    float peak = 0.0f;
    for (int i = 0; i < warmUpSamples; ++i)
        checksum = mixChecksum(checksum, engine->Process());

    std::vector<double> seconds;
    for (int r = 0; r < runs; ++r)
    {
        float block[512];
        const double start = threadSeconds();
        for (int done = 0; done < samplesPerRun; done += 512)
        {
            const int n = std::min(512, samplesPerRun - done);
            for (int i = 0; i < n; ++i)
                block[i] = engine->Process();
            for (int i = 0; i < n; ++i)
            {
                if (r < checkedRuns)
                    checksum = mixChecksum(checksum, block[i]);
                peak = std::max(peak, block[i] < 0 ? -block[i] : block[i]);
            }
        }
        seconds.push_back(threadSeconds() - start);
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    const double rendered = samplesPerRun / static_cast<double>(engineRate);
    return {1e9 * seconds.front() / samplesPerRun, 1e9 * median / samplesPerRun, rendered / median,
            checksum, peak};
}
}   // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(checkedRuns, std::atoi(argv[1])) : 15;

    std::vector<int> allKeys;
    for (int key = 48; key <= 96; ++key)
        allKeys.push_back(key);
    const Scenario scenarios[] = {
        {"one key (69)", {69}},
        {"ten-key chord", {48, 52, 55, 60, 64, 67, 72, 76, 79, 84}},
        {"all 49 keys 48..96", allKeys},
    };

    std::printf("engine at %.0f Hz, brass + 16' + 8', modulation depth 64; "
                "median of %d runs of %d samples\n",
                static_cast<double>(engineRate), runs, samplesPerRun);
    std::printf("%-22s %10s %12s %10s %8s  %-16s  %s\n", "scenario", "ns/sample",
                "x real time", "best ns", "peak", "checksum", "one by one (ns, same bits)");
    bool identical = true;
    for (const Scenario& scenario : scenarios)
    {
        const Result r = run(scenario, runs, false);
        const Result single = run(scenario, checkedRuns, true);
        std::printf("%-22s %10.1f %12.1f %10.1f %8.4f  %016llx  %10.1f %s\n", scenario.name,
                    r.nsPerSample, r.realTimeFactor, r.bestNsPerSample, static_cast<double>(r.peak),
                    static_cast<unsigned long long>(r.checksum), single.nsPerSample,
                    single.checksum == r.checksum ? "yes" : "NO");
        if (single.checksum != r.checksum)
            identical = false;
    }
    // A batched rendering that differs from the voice-by-voice one is a fault.
    return identical ? 0 : 1;
}
