// Measures what one engine sample costs, single-threaded, at 44100 Hz with
// the catalogue defaults and brass, 16' and 8' on and modulation depth 64:
// one key, a ten-key chord and all 49 keys held.
//
// Every scenario is rendered three ways, in blocks of 512 samples:
//   block       Process(out, 512), as the audio processor renders;
//   per sample  Process() 512 times;
//   one by one  Process() with every voice ticked on its own through
//               WvIn::tickloop: the reference the others are held to.
// The timed runs of the three take turns, so that other work on the
// machine disturbs them alike. For each it prints the fastest and the
// median run as nanoseconds per sample and as the real-time factor
// (rendered seconds per CPU second), and a checksum of the rendered bits
// (the warm-up and the first three runs). The three checksums must agree;
// the program exits with 1 otherwise.
//
//   vorsan-enginebench [runs]     timings (15 runs unless given)
//   vorsan-enginebench --check    checksums only, no timing: quick enough
//                                 for an emulator, and the same checksums
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
constexpr int blockSize = 512;

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

enum class Path
{
    block,
    perSample,
    oneByOne
};
constexpr Path paths[] = {Path::block, Path::perSample, Path::oneByOne};
constexpr int pathCount = 3;
const char* const pathNames[pathCount] = {"block", "per sample", "one by one"};

// One engine playing a scenario along one path.
class Player
{
public:
    Player(const Scenario& scenario, Path path) : engine(std::make_unique<VorsanSynth>(engineRate)), path(path)
    {
        engine->osc.tickVoicesOneByOne = (path == Path::oneByOne);
        for (int row = 0; row < VorsanSynth::numParameters; ++row)
            engine->setParameterSynth(row, defaults[row]);
        engine->setParameterSynth(4, 1);    // brass on
        engine->setParameterSynth(9, 1);    // 16' on (8' is on by default)
        engine->setParameterSynth(16, 64);  // modulation depth
        for (int key : scenario.keys)
            engine->NoteOn(key, 100);
    }

    // Renders `samples` samples, adding them to the checksum if asked;
    // returns the thread's CPU seconds spent rendering.
    double render(int samples, bool checked)
    {
        double seconds = 0.0;
        for (int done = 0; done < samples; done += blockSize)
        {
            const int n = std::min(blockSize, samples - done);
            const double start = threadSeconds();
            if (path == Path::block)
                engine->Process(block, n);
            else
                for (int i = 0; i < n; ++i)
                    block[i] = engine->Process();
            seconds += threadSeconds() - start;
            if (checked)
                for (int i = 0; i < n; ++i)
                    checksum = mixChecksum(checksum, block[i]);
        }
        return seconds;
    }

    std::uint64_t checksum = 14695981039346656037ull;
    std::vector<double> seconds; // one entry per timed run

private:
    std::unique_ptr<VorsanSynth> engine;
    Path path;
    float block[blockSize] = {};
};

double nsPerSample(double seconds)
{
    return 1e9 * seconds / samplesPerRun;
}

double realTimeFactor(double seconds)
{
    return samplesPerRun / static_cast<double>(engineRate) / seconds;
}
} // namespace

int main(int argc, char** argv)
{
    const bool checkOnly = argc > 1 && std::strcmp(argv[1], "--check") == 0;
    const int runs = checkOnly ? checkedRuns : (argc > 1 ? std::max(checkedRuns, std::atoi(argv[1])) : 15);

    std::vector<int> allKeys;
    for (int key = 48; key <= 96; ++key)
        allKeys.push_back(key);
    const Scenario scenarios[] = {
        {"one key (69)", {69}},
        {"ten-key chord", {48, 52, 55, 60, 64, 67, 72, 76, 79, 84}},
        {"all 49 keys 48..96", allKeys},
    };

    if (checkOnly)
        std::printf("%-20s  %-16s  %s\n", "scenario", "checksum", "paths agree");
    else
        std::printf("engine at %.0f Hz, brass + 16' + 8', modulation depth 64; %d runs of %d samples "
                    "per path, in blocks of %d\n"
                    "%-20s %-11s %9s %9s %9s %9s  %-16s\n",
                    static_cast<double>(engineRate), runs, samplesPerRun, blockSize, "scenario", "path",
                    "min ns", "median ns", "x rt best", "x rt med", "checksum");

    bool identical = true;
    for (const Scenario& scenario : scenarios)
    {
        std::vector<std::unique_ptr<Player>> players;
        for (Path path : paths)
        {
            players.push_back(std::make_unique<Player>(scenario, path));
            players.back()->render(warmUpSamples, true);
        }
        for (int r = 0; r < runs; ++r)
            for (auto& player : players)
                player->seconds.push_back(player->render(samplesPerRun, r < checkedRuns));

        bool agree = true;
        for (auto& player : players)
            agree = agree && player->checksum == players.front()->checksum;
        identical = identical && agree;

        if (checkOnly)
        {
            std::printf("%-20s  %016llx  %s\n", scenario.name,
                        static_cast<unsigned long long>(players.front()->checksum), agree ? "yes" : "NO");
            continue;
        }
        for (int p = 0; p < pathCount; ++p)
        {
            std::vector<double>& seconds = players[p]->seconds;
            std::sort(seconds.begin(), seconds.end());
            const double best = seconds.front();
            const double median = seconds[seconds.size() / 2];
            std::printf("%-20s %-11s %9.1f %9.1f %9.1f %9.1f  %016llx%s\n", p == 0 ? scenario.name : "",
                        pathNames[p], nsPerSample(best), nsPerSample(median), realTimeFactor(best),
                        realTimeFactor(median), static_cast<unsigned long long>(players[p]->checksum),
                        players[p]->checksum == players.front()->checksum ? "" : "  DIFFERS");
        }
    }
    // A rendering that differs from the voice-by-voice one is a fault.
    return identical ? 0 : 1;
}
