// Generates the two stored single-cycle waves of the tone generator,
// engine/ResCycles.cpp, from their fixed points.
//
// Each cycle has 401 points. The points below are the ones the instrument's
// voicing is defined by (its first eleven points, every tenth point, its
// last points, and the positions of its extremes); the samples in between
// are filled by monotone piecewise-cubic Hermite interpolation
// (Fritsch-Carlson). That interpolant is smooth (continuous slope), passes
// exactly through every fixed point and never overshoots them, so each
// extreme stays exactly where it is defined.
//
// Usage: vorsan-rescycles              print levels, extremes and harmonics
//        vorsan-rescycles <file>       write the table source
//        vorsan-rescycles --check <file>   fail if <file> is not up to date

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
constexpr int points = 401;
constexpr double pi = 3.14159265358979323846;

struct Knot
{
    int index;
    double value;
};

// Point, lowest cycle (bright), highest cycle (mellow). A value of NAN
// means the point is fixed only in the other cycle.
struct Row
{
    int index;
    double lowest;
    double highest;
};

const Row fixedPoints[] = {
    {0, -0.701233, -0.004150},  {1, -0.821259, -0.041534},   {2, -0.902405, -0.056458},
    {3, -0.953125, -0.070984},  {4, -0.985199, -0.084839},   {5, -0.998688, -0.098083},
    {6, -1.000000, -0.110809},  {7, -0.999176, -0.123138},   {8, -0.990112, -0.135101},
    {9, -0.975983, -0.146698},  {10, -0.959412, -0.157837},  {20, -0.748199, -0.249176},
    {30, -0.480530, -0.309540}, {40, -0.340912, -0.340118},  {50, -0.201904, -0.356995},
    {55, NAN, -0.360657},       {60, -0.103394, -0.357727},  {70, -0.053345, -0.343292},
    {80, 0.058044, -0.331543},  {90, 0.077667, -0.308624},   {100, 0.109558, -0.287170},
    {110, 0.129089, -0.260040}, {120, 0.119537, -0.225647},  {130, 0.179474, -0.198608},
    {140, 0.162292, -0.163666}, {150, 0.166840, -0.133850},  {153, 0.180237, NAN},
    {160, 0.166168, -0.102448}, {170, 0.136230, -0.064636},  {180, 0.176178, -0.039185},
    {190, 0.148315, -0.020294}, {200, 0.111053, -0.005920},  {210, 0.080536, 0.013397},
    {220, 0.059937, 0.040863},  {230, 0.104492, 0.061432},   {240, 0.082794, 0.089600},
    {250, 0.073578, 0.113617},  {260, 0.081512, 0.138306},   {270, 0.055664, 0.169891},
    {280, 0.089813, 0.191345},  {290, 0.065582, 0.217010},   {300, 0.045563, 0.238861},
    {310, 0.052277, 0.260590},  {320, 0.027924, 0.289551},   {330, 0.060059, 0.309143},
    {340, 0.037598, 0.333954},  {350, 0.015869, 0.355286},   {360, 0.031769, 0.374786},
    {370, 0.009705, 0.401520},  {377, NAN, 0.423065},        {380, 0.040253, 0.413300},
    {390, 0.020203, 0.240540},  {395, 0.007690, 0.116852},   {398, -0.000549, 0.050629},
    {399, -0.003113, 0.031097}, {400, -0.002319, 0.010529},
};

std::vector<Knot> knotsOf(bool lowest)
{
    std::vector<Knot> knots;
    for (const Row& row : fixedPoints)
    {
        const double v = lowest ? row.lowest : row.highest;
        if (!std::isnan(v))
            knots.push_back({row.index, v});
    }
    return knots;
}

// Fritsch-Carlson slopes: zero at local extremes, the weighted harmonic mean
// of the neighbouring secant slopes elsewhere, one-sided at the ends.
std::vector<double> slopesOf(const std::vector<Knot>& k)
{
    const size_t n = k.size();
    std::vector<double> h(n - 1), d(n - 1), m(n);
    for (size_t i = 0; i + 1 < n; ++i)
    {
        h[i] = k[i + 1].index - k[i].index;
        d[i] = (k[i + 1].value - k[i].value) / h[i];
    }
    for (size_t i = 1; i + 1 < n; ++i)
    {
        if (d[i - 1] * d[i] <= 0.0)
            m[i] = 0.0;
        else
        {
            const double w1 = 2.0 * h[i] + h[i - 1];
            const double w2 = h[i] + 2.0 * h[i - 1];
            m[i] = (w1 + w2) / (w1 / d[i - 1] + w2 / d[i]);
        }
    }
    auto endSlope = [](double h0, double h1, double d0, double d1) {
        double s = ((2.0 * h0 + h1) * d0 - h0 * d1) / (h0 + h1);
        if (s * d0 <= 0.0)
            s = 0.0;
        else if (d0 * d1 <= 0.0 && std::fabs(s) > std::fabs(3.0 * d0))
            s = 3.0 * d0;
        return s;
    };
    m[0] = endSlope(h[0], h[1], d[0], d[1]);
    m[n - 1] = endSlope(h[n - 2], h[n - 3], d[n - 2], d[n - 3]);
    return m;
}

std::vector<float> cycleOf(bool lowest)
{
    const std::vector<Knot> k = knotsOf(lowest);
    const std::vector<double> m = slopesOf(k);
    std::vector<float> out(points);
    size_t seg = 0;
    for (int j = 0; j < points; ++j)
    {
        while (seg + 2 < k.size() && j > k[seg + 1].index)
            ++seg;
        const Knot& a = k[seg];
        const Knot& b = k[seg + 1];
        double v;
        if (j == a.index)
            v = a.value;
        else if (j == b.index)
            v = b.value;
        else
        {
            const double h = b.index - a.index;
            const double t = (j - a.index) / h;
            const double t2 = t * t, t3 = t2 * t;
            v = (2 * t3 - 3 * t2 + 1) * a.value + (t3 - 2 * t2 + t) * h * m[seg] +
                (-2 * t3 + 3 * t2) * b.value + (t3 - t2) * h * m[seg + 1];
        }
        out[j] = static_cast<float>(v);
    }
    return out;
}

// Amplitude of harmonic h over one period of 400 steps (points 0..399; the
// period ends on the jump back from point 400 to point 0).
double harmonic(const std::vector<float>& c, int h)
{
    double re = 0.0, im = 0.0;
    for (int j = 0; j < points - 1; ++j)
    {
        const double a = 2.0 * pi * h * j / (points - 1);
        re += c[j] * std::cos(a);
        im += c[j] * std::sin(a);
    }
    return std::sqrt(re * re + im * im);
}

void report(const char* name, const std::vector<float>& c)
{
    double sum = 0.0;
    int lo = 0, hi = 0;
    for (int j = 0; j < points; ++j)
    {
        sum += double(c[j]) * c[j];
        if (c[j] < c[lo])
            lo = j;
        if (c[j] > c[hi])
            hi = j;
    }
    std::printf("%s: rms %.4f, min %.6f at %d, max %.6f at %d\n  harmonics:", name,
                std::sqrt(sum / points), c[lo], lo, c[hi], hi);
    const double h1 = harmonic(c, 1);
    for (int h = 1; h <= 12; ++h)
        std::printf(" %.3f", harmonic(c, h) / h1);
    std::printf("\n");
}

void writeTable(FILE* f, const char* name, const std::vector<float>& c)
{
    std::fprintf(f, "const float %s[ResCycles::points] = {\n", name);
    for (int j = 0; j < points; ++j)
    {
        // Nine significant digits give the float back exactly.
        char number[32];
        std::snprintf(number, sizeof number, "%.9g", c[j]);
        const bool integral = std::strpbrk(number, ".e") == nullptr;
        std::fprintf(f, "%s%s%sf,%s", (j % 6 == 0) ? "    " : " ", number, integral ? ".0" : "",
                     (j % 6 == 5 || j == points - 1) ? "\n" : "");
    }
    std::fprintf(f, "};\n");
}

void writeSource(FILE* f, const std::vector<float>& lowest, const std::vector<float>& highest)
{
    std::fprintf(f, "// Generated by tools/rescycles: the two stored cycles of the tone generator.\n"
                    "// Do not edit by hand; change the generator and run it again.\n\n"
                    "#include \"engine/ResCycles.h\"\n\n");
    writeTable(f, "resCycleLowest", lowest);
    std::fprintf(f, "\n");
    writeTable(f, "resCycleHighest", highest);
}

std::string contentsOf(FILE* f)
{
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    return text;
}
} // namespace

int main(int argc, char** argv)
{
    const std::vector<float> lowest = cycleOf(true);
    const std::vector<float> highest = cycleOf(false);
    if (argc < 2)
    {
        report("resCycleLowest", lowest);
        report("resCycleHighest", highest);
        return 0;
    }

    // --check <file>: succeed only if <file> is what the generator writes.
    if (argc == 3 && std::strcmp(argv[1], "--check") == 0)
    {
        FILE* generated = std::tmpfile();
        FILE* committed = std::fopen(argv[2], "rb");
        if (!generated || !committed)
        {
            std::fprintf(stderr, "cannot read %s\n", argv[2]);
            return 1;
        }
        writeSource(generated, lowest, highest);
        std::rewind(generated);
        const bool same = contentsOf(generated) == contentsOf(committed);
        std::fclose(generated);
        std::fclose(committed);
        if (!same)
            std::fprintf(stderr, "%s is out of date: run vorsan-rescycles %s\n", argv[2], argv[2]);
        return same ? 0 : 1;
    }

    FILE* f = std::fopen(argv[1], "w");
    if (!f)
    {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    writeSource(f, lowest, highest);
    std::fclose(f);
    return 0;
}
