// filgen: writes the ten filter characteristic files ("ZTil", version 1) that
// the library carries as module resources.
//
//   filgen <output folder>
//
// Layout (little-endian): "ZTil", u32 version, float32 clip parameter a,
// float32 Fl, float32 Fh (log2 Hz of the frequency axis ends), then three
// tables (clip level, cubic, resonance), each an int32 N followed by N x N
// float32 values, row-major, row = peak index (peak = row / (N - 1)), column =
// frequency index (log2 Hz from Fl to Fh).
//
// Every value is computed with +, -, x, / and sqrt only (in double, rounded
// once to float32), so the bytes depend on IEEE arithmetic alone, not on the
// C library. Each table's extreme cells are written as literals so that its
// smallest and largest values are exactly the float32 nearest the ends of the
// characteristic's span.
//
// The shapes shared by every characteristic:
// - clip level: highest at peak 0, where the filter stays clean at normal
//   levels, falling as (1 - p)^j to the span's minimum on the whole peak-1 row;
// - cubic: 0 on the peak-0 row, rising as p^k to the span's maximum at peak 1;
// - resonance: 0 on the peak-0 row, rising as lin x p + (Rmax - lin) x p^m.
//   A resonance above 1 makes the filter self-oscillate (negative damping held
//   by the filter's state clamps); the large power m keeps every value below 1
//   up to peak 0.8, so oscillation only starts high in the peak range;
// - along frequency, every table is weighted by 1 - depth x ((c - c0) / 10)^2:
//   exactly 1 at the characteristic's centre column c0 (where the table's
//   extreme lies), never below 1 - depth (depth <= 0.3) at the ends.
//
// The per-characteristic intent is noted at each entry of the list below.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int N = 11;

struct Shape {
    double depth; // weight lost at the far ends of the frequency axis
    int centre;   // column where the weight is exactly 1
};

struct Characteristic {
    const char* fileName;
    float a, fl, fh;
    // Spans: clip level [clipLo, clipHi], cubic [0, cubicMax], resonance [0, resMax].
    float clipLo, clipHi, cubicMax, resMax;
    int clipPower;    // j: how fast the clip level falls with the peak
    int cubicPower;   // k: how late the cubic bending sets in
    int resPower;     // m: how late the resonance rises towards its maximum
    double resLinear; // lin: the resonance's linear part (below 1)
    Shape clipShape, cubicShape, resShape;
    bool defaultResonance; // resonance = min(p, 0.999), the plain filter's curve
};

// The list, in the order of the effect's characteristic choice.
const Characteristic characteristics[] = {
    // Prime: the reference sound. The clip level never falls below 1.5, so it
    // stays full-bodied when driven (the effect drives it by 1.8); a strong cubic
    // bend and self-oscillation in the top fifth of the peak range; even across
    // frequency with a slight emphasis in the mids.
    {"Prime.fil",
     0.3f,
     2.2666f,
     16.2064f,
     1.5f,
     8.0f,
     0.1f,
     3.5f,
     2,
     2,
     14,
     0.9,
     {0.10, 6},
     {0.20, 6},
     {0.10, 6},
     false},
    // Gentle: never self-oscillates (its resonance is the plain filter's own
    // curve); the clip level falls slowly, so it stays clean, with a light cubic.
    {"Gentle.fil",
     0.3171f,
     2.2666f,
     16.2064f,
     0.1f,
     10.0f,
     0.0847f,
     0.999f,
     1,
     3,
     1,
     0.0,
     {0.10, 5},
     {0.15, 5},
     {0.0, 5},
     true},
    // Raw: symmetric clipping (a = 1), the clip level drops fast with the peak;
    // oscillation only at the very top; a little brighter in the highs.
    {"Raw.fil",
     1.0f,
     2.2666f,
     16.2064f,
     0.1f,
     10.0f,
     0.0943f,
     1.5f,
     3,
     2,
     12,
     0.9,
     {0.10, 7},
     {0.20, 7},
     {0.10, 7},
     false},
    // Tube: symmetric, warm: resonance and bending strongest in the low mids,
    // weaker towards the top; the clip level falls steadily.
    {"Tube.fil",
     1.0f,
     2.2666f,
     16.2064f,
     0.1f,
     10.0f,
     0.1f,
     2.9553f,
     2,
     2,
     14,
     0.9,
     {0.15, 4},
     {0.30, 4},
     {0.15, 4},
     false},
    // Metal: strongly asymmetric clip curve (a = 0.1) with a low clip level that
    // saturates early; little cubic bending; hard resonance leaning to the highs.
    {"Metal.fil",
     0.1f,
     2.2666f,
     16.2064f,
     0.1f,
     3.2445f,
     0.0268f,
     3.7683f,
     1,
     2,
     14,
     0.9,
     {0.10, 8},
     {0.20, 8},
     {0.15, 8},
     false},
    // Easy Going: soft; the resonance keeps low until late in the peak range and
    // then rises steeply; moderate clip level and cubic.
    {"EasyGoing.fil",
     0.5432f,
     2.2666f,
     16.2064f,
     0.1f,
     7.7546f,
     0.0495f,
     3.6885f,
     2,
     3,
     16,
     0.8,
     {0.10, 5},
     {0.20, 5},
     {0.10, 5},
     false},
    // Smooth: asymmetric soft clip (a = 0.182), full cubic bend, mild
    // resonance that just passes oscillation at the top.
    {"Smooth.fil",
     0.182f,
     2.2666f,
     16.2064f,
     0.1f,
     10.0f,
     0.1f,
     1.3489f,
     2,
     2,
     12,
     0.9,
     {0.10, 5},
     {0.15, 5},
     {0.10, 5},
     false},
    // Monopoly (offered as "Hard"): a narrower frequency axis, the strongest
    // resonance of the set, clip level falling fast so the resonance screams.
    {"Monopoly.fil",
     0.6873f,
     3.0615f,
     15.6029f,
     0.1f,
     10.0f,
     0.0783f,
     4.3098f,
     3,
     2,
     16,
     0.9,
     {0.10, 6},
     {0.20, 6},
     {0.10, 6},
     false},
    // Cheap (offered as "Hollow"): nearly symmetric clip, resonance thin in the
    // lows and strongest high up, a scooped, hollow colour.
    {"Cheap.fil",
     0.9134f,
     2.2666f,
     16.2064f,
     0.1f,
     10.0f,
     0.0965f,
     1.8879f,
     2,
     2,
     12,
     0.9,
     {0.15, 8},
     {0.25, 8},
     {0.15, 8},
     false},
    // Extreme: very asymmetric clip (a = 0.1288), full cubic, strong resonance
    // from a little lower in the peak range, clip level falling fast.
    {"Extreme.fil",
     0.1288f,
     2.2666f,
     16.2064f,
     0.1f,
     10.0f,
     0.1f,
     3.4382f,
     3,
     1,
     12,
     0.9,
     {0.10, 6},
     {0.20, 6},
     {0.10, 6},
     false},
};

double power(double x, int n) {
    double r = 1.0;
    for (int i = 0; i < n; ++i)
        r *= x;
    return r;
}

double weight(const Shape& s, int column) {
    double d = (column - s.centre) / 10.0;
    return 1.0 - s.depth * d * d;
}

using Table = std::vector<float>; // N x N, row-major

Table clipTable(const Characteristic& ch) {
    Table t(N * N);
    for (int r = 0; r < N; ++r) {
        double p = r / double(N - 1);
        for (int c = 0; c < N; ++c) {
            double v = ch.clipLo + (double(ch.clipHi) - ch.clipLo) * power(1.0 - p, ch.clipPower) *
                                       weight(ch.clipShape, c);
            t[r * N + c] = float(v);
        }
    }
    for (int c = 0; c < N; ++c)
        t[(N - 1) * N + c] = ch.clipLo;
    t[ch.clipShape.centre] = ch.clipHi;
    return t;
}

Table cubicTable(const Characteristic& ch) {
    Table t(N * N);
    for (int r = 0; r < N; ++r) {
        double p = r / double(N - 1);
        for (int c = 0; c < N; ++c)
            t[r * N + c] = float(ch.cubicMax * power(p, ch.cubicPower) * weight(ch.cubicShape, c));
    }
    for (int c = 0; c < N; ++c)
        t[c] = 0.0f;
    t[(N - 1) * N + ch.cubicShape.centre] = ch.cubicMax;
    return t;
}

Table resonanceTable(const Characteristic& ch) {
    Table t(N * N);
    for (int r = 0; r < N; ++r) {
        for (int c = 0; c < N; ++c) {
            if (ch.defaultResonance) {
                float v = float(r) / float(N - 1);
                t[r * N + c] = v < 0.999f ? v : 0.999f;
                continue;
            }
            double p = r / double(N - 1);
            double v = ch.resLinear * p + (ch.resMax - ch.resLinear) * power(p, ch.resPower);
            t[r * N + c] = float(v * weight(ch.resShape, c));
        }
    }
    for (int c = 0; c < N; ++c)
        t[c] = 0.0f;
    t[(N - 1) * N + ch.resShape.centre] = ch.resMax;
    return t;
}

void putU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(char((v >> (8 * i)) & 0xFF));
}

void putFloat(std::string& out, float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    putU32(out, bits);
}

void putTable(std::string& out, const Table& t) {
    putU32(out, std::uint32_t(N));
    for (float v : t)
        putFloat(out, v);
}

std::string fileBytes(const Characteristic& ch) {
    std::string out;
    out.append("ZTil", 4);
    putU32(out, 1);
    putFloat(out, ch.a);
    putFloat(out, ch.fl);
    putFloat(out, ch.fh);
    putTable(out, clipTable(ch));
    putTable(out, cubicTable(ch));
    putTable(out, resonanceTable(ch));
    return out;
}

// The design rules that the tests of the library rely on; a violation is a
// mistake in the list above, so the generator refuses to write.
bool checkDesign(const Characteristic& ch, std::string& why) {
    Table clip = clipTable(ch), cubic = cubicTable(ch), res = resonanceTable(ch);
    auto at = [](const Table& t, int r, int c) { return t[r * N + c]; };
    for (int c = 0; c < N; ++c) {
        if (at(cubic, 0, c) != 0.0f || at(res, 0, c) != 0.0f) {
            why = "peak-0 row not zero";
            return false;
        }
        for (int r = 1; r < N; ++r) {
            if (at(cubic, r, c) < at(cubic, r - 1, c) || at(res, r, c) < at(res, r - 1, c) ||
                at(clip, r, c) > at(clip, r - 1, c)) {
                why = "not monotonic along the peak axis";
                return false;
            }
            if (r <= 8 && at(res, r, c) >= 1.0f) {
                why = "self-oscillation below peak 0.8";
                return false;
            }
        }
        if (ch.resMax > 1.0f && at(res, N - 1, c) <= 1.0f) {
            why = "no self-oscillation at peak 1";
            return false;
        }
    }
    auto spanIs = [](const Table& t, float lo, float hi) {
        float mn = t[0], mx = t[0];
        for (float v : t) {
            mn = v < mn ? v : mn;
            mx = v > mx ? v : mx;
        }
        return mn == lo && mx == hi;
    };
    if (!spanIs(clip, ch.clipLo, ch.clipHi) || !spanIs(cubic, 0.0f, ch.cubicMax) ||
        !spanIs(res, 0.0f, ch.resMax)) {
        why = "span not met exactly";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: filgen <output folder>\n");
        return 2;
    }
    std::string folder = argv[1];
    for (const Characteristic& ch : characteristics) {
        std::string why;
        if (!checkDesign(ch, why)) {
            std::fprintf(stderr, "filgen: %s: %s\n", ch.fileName, why.c_str());
            return 1;
        }
        std::string bytes = fileBytes(ch);
        std::string path = folder + "/" + ch.fileName;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) {
            std::fprintf(stderr, "filgen: cannot write %s\n", path.c_str());
            return 1;
        }
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        ok = std::fclose(f) == 0 && ok;
        if (!ok) {
            std::fprintf(stderr, "filgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
