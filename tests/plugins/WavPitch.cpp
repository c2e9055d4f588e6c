// wav-pitch FILE.wav NOTE: checks that a recording (16, 24 or 32-bit PCM or
// 32-bit float WAV, first channel) sounds MIDI note NOTE. It prints the
// level and the strongest partial between 40 Hz and 4 kHz over the loudest
// three seconds (long enough that the ensemble's slow pitch sweep averages
// out; the whole file if shorter, but at least a second), and fails unless the level is clearly above silence and that
// partial lies within a sixth of a semitone of the note (A above middle C,
// note 69, at 440 Hz). Exit status 0 when it does.
#include "tests/engine/ToneMeasure.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace
{
    struct Recording
    {
        std::vector<double> samples;
        double rate = 0.0;
    };

    std::uint32_t le (const unsigned char* p, int bytes)
    {
        std::uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = (v << 8) | p[i];
        return v;
    }

    bool readWav (const char* path, Recording& out)
    {
        std::ifstream in (path, std::ios::binary);
        const std::vector<unsigned char> file ((std::istreambuf_iterator<char> (in)), std::istreambuf_iterator<char>());
        if (file.size() < 12 || std::memcmp (file.data(), "RIFF", 4) != 0 || std::memcmp (file.data() + 8, "WAVE", 4) != 0)
            return false;

        int format = 0, channels = 0, bits = 0;
        for (size_t pos = 12; pos + 8 <= file.size();)
        {
            const unsigned char* chunk = file.data() + pos;
            const size_t size = le (chunk + 4, 4);
            const unsigned char* body = chunk + 8;
            if (pos + 8 + size > file.size())
                break;
            if (std::memcmp (chunk, "fmt ", 4) == 0 && size >= 16)
            {
                format = (int) le (body, 2);
                channels = (int) le (body + 2, 2);
                out.rate = (double) le (body + 4, 4);
                bits = (int) le (body + 14, 2);
                if (format == 0xfffe && size >= 26)   // extensible: the sub-format's first two bytes
                    format = (int) le (body + 24, 2);
            }
            else if (std::memcmp (chunk, "data", 4) == 0 && channels > 0)
            {
                const int bytes = bits / 8;
                const size_t frame = (size_t) (bytes * channels);
                for (size_t f = 0; f + frame <= size; f += frame)
                {
                    const std::uint32_t raw = le (body + f, bytes);
                    double v = 0.0;
                    if (format == 3 && bits == 32)
                    {
                        float x;
                        std::memcpy (&x, &raw, 4);
                        v = x;
                    }
                    else if (format == 1 && bits >= 16 && bits <= 32)
                    {
                        const std::int32_t s = (std::int32_t) (raw << (32 - bits));
                        v = (double) s / 2147483648.0;
                    }
                    else
                    {
                        return false;
                    }
                    out.samples.push_back (v);
                }
                return out.rate > 0.0;
            }
            pos += 8 + size + (size & 1);
        }
        return false;
    }

}

int main (int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf (stderr, "usage: wav-pitch FILE.wav NOTE\n");
        return 2;
    }
    Recording recording;
    if (! readWav (argv[1], recording))
    {
        std::printf ("%s: not a WAV file this tool reads\n", argv[1]);
        return 1;
    }
    const double expected = 440.0 * std::pow (2.0, (std::atof (argv[2]) - 69.0) / 12.0);
    const auto& all = recording.samples;
    const size_t length = std::min (all.size(), (size_t) (3.0 * recording.rate));
    if (length < (size_t) recording.rate)
    {
        std::printf ("%s: %zu samples, less than a second\n", argv[1], all.size());
        return 1;
    }

    // The loudest stretch, in steps of a tenth of a second.
    size_t best = 0;
    double bestEnergy = -1.0;
    for (size_t start = 0; start + length <= all.size(); start += (size_t) recording.rate / 10)
    {
        double energy = 0.0;
        for (size_t i = start; i < start + length; ++i)
            energy += all[i] * all[i];
        if (energy > bestEnergy)
        {
            bestEnergy = energy;
            best = start;
        }
    }
    const double rms = std::sqrt (bestEnergy / (double) length);
    std::vector<double> segment (all.begin() + (long) best, all.begin() + (long) (best + length));
    for (size_t i = 0; i < length; ++i)
        segment[i] *= 0.5 - 0.5 * std::cos (2.0 * M_PI * (double) i / (double) length);

    // Coarsely in steps of 1 Hz, then to a hundredth around the best.
    double peakHz = 40.0, peak = 0.0;
    for (double f = 40.0; f <= 4000.0; f += 1.0)
        if (const double m = spectrumAt (segment, f, recording.rate); m > peak)
        {
            peak = m;
            peakHz = f;
        }
    for (double f = peakHz - 1.0; f <= peakHz + 1.0; f += 0.01)
        if (const double m = spectrumAt (segment, f, recording.rate); m > peak)
        {
            peak = m;
            peakHz = f;
        }

    const double semitones = 12.0 * std::log2 (peakHz / expected);
    std::printf ("%s: %zu samples at %.0f Hz, level %.4f RMS (%.1f dBFS), strongest partial %.2f Hz, "
                 "note %s expects %.2f Hz (%+.3f semitones)\n",
                 argv[1], all.size(), recording.rate, rms, 20.0 * std::log10 (std::max (rms, 1.0e-12)),
                 peakHz, argv[2], expected, semitones);

    if (rms < 1.0e-3)
    {
        std::printf ("FAIL: the recording is silent\n");
        return 1;
    }
    if (std::abs (semitones) > 1.0 / 6.0)
    {
        std::printf ("FAIL: the recording does not sound the note\n");
        return 1;
    }
    std::printf ("PASS: the recording sounds the note\n");
    return 0;
}
