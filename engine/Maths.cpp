// The shared numeric helpers: the whole-degree sine and cosine tables, random
// integers and colours, and the wrapping or bouncing range stepper.
#include "engine/Maths.h"

#include <cstdint>

#include "engine/Random.h"

double sinTable[361];
double cosTable[361];

namespace {

// A double-double value: hi + lo with |lo| at most half an ulp of hi. The
// degree tables are summed in this form so that they come out correctly
// rounded and bit for bit the same on every platform: the C libraries'
// sin and cos differ by an ulp here and there between Windows and Linux,
// and a seeded run must draw the same frames on both.
struct Wide {
    double hi;
    double lo;
};

Wide QuickTwoSum(double a, double b) {
    double s = a + b;
    return {s, b - (s - a)};
}

Wide TwoSum(double a, double b) {
    double s = a + b;
    double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// The exact product of two doubles, without relying on a fused multiply-add.
Wide TwoProduct(double a, double b) {
    const double splitter = 134217729.0;  // 2^27 + 1
    double p = a * b;
    double ta = splitter * a;
    double aHi = ta - (ta - a);
    double aLo = a - aHi;
    double tb = splitter * b;
    double bHi = tb - (tb - b);
    double bLo = b - bHi;
    return {p, ((aHi * bHi - p) + aHi * bLo + aLo * bHi) + aLo * bLo};
}

Wide Add(Wide x, Wide y) {
    Wide s = TwoSum(x.hi, y.hi);
    Wide t = TwoSum(x.lo, y.lo);
    s.lo += t.hi;
    s = QuickTwoSum(s.hi, s.lo);
    s.lo += t.lo;
    return QuickTwoSum(s.hi, s.lo);
}

Wide Negate(Wide x) { return {-x.hi, -x.lo}; }

Wide MultiplyBy(Wide x, double d) {
    Wide p = TwoProduct(x.hi, d);
    p.lo += x.lo * d;
    return QuickTwoSum(p.hi, p.lo);
}

Wide DivideBy(Wide x, double d) {
    double q1 = x.hi / d;
    Wide p = TwoProduct(q1, d);
    Wide s = TwoSum(x.hi, -p.hi);
    s.lo -= p.lo;
    s.lo += x.lo;
    double q2 = (s.hi + s.lo) / d;
    return QuickTwoSum(q1, q2);
}

// Sine and cosine of an angle in 0..6.3 by their power series. The largest
// term is below 100 and 60 terms take the rest below 1e-33, so the ~106-bit
// sums leave far more than the 53 bits a double keeps.
void SineCosine(double angle, double& sine, double& cosine) {
    Wide term = {1.0, 0.0};  // angle^n / n!
    Wide s = {0.0, 0.0};
    Wide c = {1.0, 0.0};
    for (int n = 1; n <= 60; ++n) {
        term = DivideBy(MultiplyBy(term, angle), static_cast<double>(n));
        switch (n % 4) {
            case 1: s = Add(s, term); break;
            case 2: c = Add(c, Negate(term)); break;
            case 3: s = Add(s, Negate(term)); break;
            default: c = Add(c, term); break;
        }
    }
    sine = s.hi;
    cosine = c.hi;
}

}  // namespace

void FillDegreeTables() {
    // The tables take pi as 3.14, so index 180 stands for 3.14 radians; the
    // curves of the bursts were shaped with that circle and keep it.
    const double radiansPerHalfDegree = 3.14 / 360.0;
    for (int i = 0; i <= 360; ++i) {
        SineCosine((2 * i) * radiansPerHalfDegree, sinTable[i], cosTable[i]);
    }
    // The quarter points are exact so that axis-aligned motion stays on its
    // axis; index 360 repeats index 0 because the angle stepper can reach it.
    sinTable[0] = 0.0;
    sinTable[90] = 1.0;
    sinTable[180] = 0.0;
    sinTable[270] = -1.0;
    sinTable[360] = 0.0;
    cosTable[0] = 1.0;
    cosTable[90] = 0.0;
    cosTable[180] = -1.0;
    cosTable[270] = 0.0;
    cosTable[360] = 1.0;
}

int RandomBetween(int low, int high) { return RandomBetween(primarySky, low, high); }

int RandomBetween(Sky& sky, int low, int high) {
    // Widened so that far-apart bounds cannot overflow the difference.
    int64_t span = static_cast<int64_t>(high) - low;
    // No integer lies strictly between bounds less than two apart; answer low
    // rather than redraw forever (or divide by zero at equal bounds).
    if (span < 2) return low;
    int64_t r;
    do {
        r = low + NextRandom(sky) % span;
    } while (r == low);
    return static_cast<int>(r);
}

uint32_t RandomColour(int red, int green, int blue) {
    return RandomColour(primarySky, red, green, blue);
}

uint32_t RandomColour(Sky& sky, int red, int green, int blue) {
    int r = 255;
    int g = 255;
    int b = 255;
    int kind = RandomBetween(sky, 0, 4);
    if (kind == 1 || kind == 2) {
        // Each channel 1..255, then one or two forced to full strength, so a
        // colour is never dark and never has a channel at 0.
        r = RandomBetween(sky, 0, 256);
        g = RandomBetween(sky, 0, 256);
        b = RandomBetween(sky, 0, 256);
        int pick = RandomBetween(sky, 1, 4);
        if (kind == 1) {
            if (pick == 2) g = 255;
            if (pick == 3) b = 255;
        } else {
            if (pick == 2) r = b = 255;
            if (pick == 3) g = b = 255;
        }
    }
    // kind 3 stays white.
    if (red >= 0 && red <= 255) r = red;
    if (green >= 0 && green <= 255) g = green;
    if (blue >= 0 && blue <= 255) b = blue;
    return (static_cast<uint32_t>(r) << 16) + (static_cast<uint32_t>(g) << 8) +
           static_cast<uint32_t>(b);
}

int StepInRange(int mode, int up, double low, double high, double step, double& value,
                double& previous) {
    if (low > high) {
        double t = low;
        low = high;
        high = t;
    }
    if (mode == 1) {
        value = up != 0 ? value + step : value - step;
        // A range of one point holds only low; subtracting a zero width
        // would never bring the value back.
        if (high == low) {
            value = low;
            return 1;
        }
        // The range is closed: a value equal to high or low stays put.
        double width = high - low;
        while (value > high) {
            double next = value - width;
            // A value so large (or infinite) that the width is lost in its
            // rounding can never come back by steps: take low instead.
            if (!(next < value)) {
                value = low;
                break;
            }
            value = next;
        }
        while (value < low) {
            double next = value + width;
            if (!(next > value)) {
                value = low;
                break;
            }
            value = next;
        }
        return 1;
    }
    if (mode == 2) {
        // The direction follows the last move, so a bounce turns the value
        // round on the next call; equal values count as rising.
        bool rising = previous <= value;
        previous = value;
        value = rising ? value + step : value - step;
        if (value > high) {
            value = high - step;
        } else if (value < low) {
            value = low + step;
        }
        return 1;
    }
    return 0;
}

int StepInRangeInt(int mode, int up, int low, int high, int step, int& value, int& previous) {
    if (low > high) {
        int t = low;
        low = high;
        high = t;
    }
    // Worked in 64 bits so that no step can overflow; every result that
    // fits in 32 bits is the same as the plain arithmetic gives.
    if (mode == 1) {
        int64_t v = up != 0 ? static_cast<int64_t>(value) + step
                            : static_cast<int64_t>(value) - step;
        if (high == low) {
            value = low;
            return 1;
        }
        // Whole widths at once: the same value that stepping back one width
        // at a time reaches, without a loop that far-off values make long.
        int64_t width = static_cast<int64_t>(high) - low;
        if (v > high) {
            v -= (v - high + width - 1) / width * width;
        } else if (v < low) {
            v += (low - v + width - 1) / width * width;
        }
        value = static_cast<int>(v);
        return 1;
    }
    if (mode == 2) {
        bool rising = previous <= value;
        previous = value;
        int64_t v = rising ? static_cast<int64_t>(value) + step
                           : static_cast<int64_t>(value) - step;
        if (v > high) {
            v = static_cast<int64_t>(high) - step;
        } else if (v < low) {
            v = static_cast<int64_t>(low) + step;
        }
        value = static_cast<int>(v);
        return 1;
    }
    return 0;
}
