// SpawnBurst: launches rockets and fills the template of every burst pattern,
// the curve bursts (deltoid, epicycle, epitrochoid, astroid, rose, cardioid)
// and the free burst.
#include "engine/Geometry.h"
#include "engine/Maths.h"
#include "engine/Particles.h"

namespace {

// Sets angle and the curve parameters of a curve burst. The draws run in
// the order of the fields, which a seeded run depends on.
void FillCurveShape(Sky& sky, burstTemplate& t) {
    switch (t.type) {
        case 4:  // deltoid; shapeB starts as the second angle 2A
            t.angle = RandomBetween(sky, 0, 360);
            t.shapeA = RandomBetween(sky, 5, 60);
            t.shapeB = 2.0 * t.shapeA;
            t.shapeC = RandomBetween(sky, 5, 14);
            t.shapeD = 2.0 * t.shapeC;
            break;
        case 5:  // epicycle
        case 6: {  // epitrochoid
            t.angle = 255;
            t.shapeA = RandomBetween(sky, 6, 60);
            t.shapeB = RandomBetween(sky, 6, 60);
            // The second angle starts where the first would be after turning
            // (A + B) / B times as far, as an integer number of degrees.
            double q = t.shapeA / t.shapeB + 1.0;
            t.shapeC = static_cast<int32_t>(255.0 * q) % 360;
            t.shapeD = RandomBetween(sky, 6, 10);
            t.shapeE = t.shapeD * q;
            if (t.type == 6) t.shapeF = RandomBetween(sky, 6, 60);
            break;
        }
        case 7:  // astroid
            t.angle = RandomBetween(sky, 0, 360);
            t.shapeA = RandomBetween(sky, 20, 80);
            t.shapeD = RandomBetween(sky, 6, 10);
            break;
        case 8:  // rose: psi starts at 0 and turns 5 or 6 times as fast
            t.angle = 0;
            t.shapeA = RandomBetween(sky, 10, 100);
            t.shapeD = 1.0;
            t.shapeF = RandomBetween(sky, 4, 7);
            t.shapeE = static_cast<int32_t>(0.0 * t.shapeF) % 360;
            break;
        default:  // 9, cardioid
            t.angle = 0;
            t.shapeA = RandomBetween(sky, 10, 70);
            t.shapeD = 1.0;
            break;
    }
}

int DefaultCurveCount(Sky& sky, int type) {
    switch (type) {
        case 4: return RandomBetween(sky, 20, 100);
        case 5: return RandomBetween(sky, 5, 20);
        case 6: return RandomBetween(sky, 10, 80);
        case 7: return RandomBetween(sky, 1, 10);
        case 8: return RandomBetween(sky, 10, 70);
        default: return RandomBetween(sky, 30, 100);
    }
}

// Moves the template on along its curve before each spark, so the sparks of
// one burst start at points spread round the curve.
void AdvanceTemplate(Sky& sky, burstTemplate& t) {
    int k1 = RandomBetween(sky, 0, 36);
    double thetaStep = t.type == 4 ? t.shapeC : t.shapeD;
    StepInRangeInt(1, 1, 0, 360, k1 * static_cast<int32_t>(thetaStep), t.angle, t.angle);

    if (t.type == 4 || t.type == 5 || t.type == 6 || t.type == 8) {
        int k2 = RandomBetween(sky, 0, 36);
        switch (t.type) {
            case 4:
                StepInRange(1, 1, 0.0, 360.0, k2 * t.shapeD, t.shapeB, t.shapeB);
                break;
            case 8:
                StepInRange(1, 1, 0.0, 360.0, k2 * static_cast<int32_t>(t.shapeF), t.shapeE,
                            t.shapeE);
                break;
            default:
                StepInRange(1, 1, 0.0, 360.0, k2 * t.shapeE, t.shapeC, t.shapeC);
                break;
        }
    }
}

void SpawnCurveBurst(Sky& sky, int type, int count, int x, int y, uint32_t colour) {
    if (count == 0) count = DefaultCurveCount(sky, type);
    if (x == 0 && y == 0) {
        x = RandomBetween(sky, 50, sky.screenWidth - 50);
        y = RandomBetween(sky, 50, sky.screenHeight - 50);
    }

    // Lives on the stack for this one call: nothing to allocate, so nothing
    // can fail before the sparks themselves.
    burstTemplate t{};
    t.type = type;
    t.originX = t.x = t.trailX[0] = x;
    t.originY = t.y = t.trailY[0] = y;
    FillCurveShape(sky, t);
    t.colour = colour != 0 ? colour : RandomColour(sky, -1, -1, -1);
    t.dead = 0;
    t.life = RandomBetween(sky, 50, 100);

    for (int i = 0; i < count; ++i) {
        t.sense = RandomBetween(sky, -10, 10) > 0 ? 1 : 0;
        AdvanceTemplate(sky, t);
        SpawnParticle(sky, type, 0, 0, 0, &t);
    }
}

void SpawnFreeBurst(Sky& sky, int count, int x, int y) {
    if (count == 0) count = RandomBetween(sky, 90, 200);
    // Drawn whatever the count, so the random sequence does not depend on it.
    uint32_t shared = RandomColour(sky, -1, -1, -1);
    // An odd count gives a one-colour burst, an even one a many-coloured one.
    uint32_t colour = count % 2 != 0 ? shared : 0;
    for (int i = 0; i < count; ++i) SpawnParticle(sky, 10, x, y, colour, nullptr);
}

}  // namespace

void SpawnBurst(int type, int count, int x, int y, uint32_t colour) {
    SpawnBurst(primarySky, type, count, x, y, colour);
}

void SpawnBurst(Sky& sky, int type, int count, int x, int y, uint32_t colour) {
    if (type == 1 || type == 2) {
        SpawnParticle(sky, type, 0, 0, 0, nullptr);
    } else if (type == 10) {
        SpawnFreeBurst(sky, count, x, y);
    } else if (type >= 4 && type <= 9) {
        SpawnCurveBurst(sky, type, count, x, y, colour);
    }
    // Any other type, 11 included (a weaving rocket's empty draw), creates
    // nothing.
}
