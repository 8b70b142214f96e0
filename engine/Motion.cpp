// One step of every kind of particle (MoveParticle) and the per-frame walk
// that moves, draws and removes them (SweepParticles).
#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "engine/Maths.h"
#include "engine/ParticleAlloc.h"
#include "engine/Particles.h"

namespace {

// Every double-to-integer conversion of the motion truncates toward zero,
// one term at a time.
inline int32_t Trunc(double v) { return static_cast<int32_t>(v); }

inline bool OnScreen(const Sky& sky, int x, int y) {
    return x >= 0 && x <= sky.screenWidth - 1 && y >= 0 && y <= sky.screenHeight - 1;
}

// The rocket has used up its upward speed: burst where it stands, then die.
void Burst(Sky& sky, Particle* p, int burstType) {
    SpawnBurst(sky, burstType, 0, p->x, p->y, 0);
    p->dead = 1;
}

void MoveRocket(Sky& sky, Particle* p) {
    p->y = p->y - Trunc(-0.5 * p->ay) - Trunc(p->vy);
    p->vy += p->ay;
    // A rocket still rising past the top edge vanishes without a burst; at
    // the apex the speed is below one pixel, so the burst point is always
    // the last position, on the screen.
    bool onScreen = p->y >= 0 && p->y <= sky.screenHeight - 1;
    if (p->vy > 0) {
        if (!onScreen) p->dead = 1;
        return;
    }
    // While the middle message shows, plain rockets only draw cardioids.
    Burst(sky, p, sky.midTextActive ? 9 : RandomBetween(sky, 3, 11));
}

void MoveWeavingRocket(Sky& sky, Particle* p) {
    // The sway range follows the climbing speed and a fresh factor each
    // step, so the weave narrows as the rocket slows.
    double range = RandomBetween(sky, 1, 4) * p->vy;
    StepInRange(2, 1, -range, range, 0.5 * p->vy, p->vx, p->vxPrev);
    p->x = p->x - Trunc(-0.5 * p->ax) - Trunc(p->vx);
    p->y = p->y - Trunc(-0.5 * p->ay) - Trunc(p->vy);
    p->vy += p->ay;
    bool onScreen = OnScreen(sky, p->x, p->y);
    if (p->vy > 0) {
        if (!onScreen) p->dead = 1;
        return;
    }
    // Under the middle message half of these rockets draw 11, which bursts
    // into nothing.
    Burst(sky, p, sky.midTextActive ? RandomBetween(sky, 9, 12) : RandomBetween(sky, 3, 11));
}

void MoveFreeSpark(Sky& sky, Particle* p) {
    p->x = p->x - Trunc(-0.5 * p->ax) - Trunc(p->vx);
    p->y = p->y - Trunc(-0.5 * p->ay) - Trunc(p->vy);
    p->vx += p->ax;
    p->vy += p->ay;
    --p->life;
    if (!OnScreen(sky, p->x, p->y) || p->life < 0) p->dead = 1;
}

// A curve spark's position is computed afresh from the burst point and its
// angles each step, never moved from the last position.
void MoveCurveSpark(Sky& sky, Particle* p) {
    int32_t thetaStep = Trunc(p->type == 4 ? p->shapeC : p->shapeD);
    // Cardioid sparks of sense 0 run round the curve the other way.
    int up = p->type == 9 ? p->sense : 1;
    StepInRangeInt(1, up, 0, 360, thetaStep, p->angle, p->angle);
    switch (p->type) {
        case 4:
            StepInRange(1, 1, 0.0, 360.0, p->shapeD, p->shapeB, p->shapeB);
            break;
        case 5:
        case 6:
            StepInRange(1, 1, 0.0, 360.0, p->shapeE, p->shapeC, p->shapeC);
            break;
        case 8:
            StepInRange(1, 1, 0.0, 360.0, Trunc(p->shapeF), p->shapeE, p->shapeE);
            break;
        default:
            break;
    }

    const int theta = p->angle;
    const double a = p->shapeA;
    const double b = p->shapeB;
    const double f = p->shapeF;
    int32_t u = 0;
    int32_t v = 0;
    switch (p->type) {
        case 4: {
            const int phi = Trunc(p->shapeB);
            u = Trunc(a * (2.0 * cosTable[theta] + cosTable[phi]));
            v = Trunc(a * (2.0 * sinTable[theta] - sinTable[phi]));
            break;
        }
        case 5: {
            const int phi = Trunc(p->shapeC);
            u = Trunc((a - b) * cosTable[theta]) + Trunc(b * cosTable[phi]);
            v = Trunc((a - b) * sinTable[theta]) - Trunc(b * sinTable[phi]);
            break;
        }
        case 6: {
            const int phi = Trunc(p->shapeC);
            u = Trunc((a + b) * cosTable[theta]) - Trunc(f * cosTable[phi]);
            v = Trunc((a + b) * sinTable[theta]) - Trunc(f * sinTable[phi]);
            break;
        }
        case 7: {
            const double c = cosTable[theta];
            const double s = sinTable[theta];
            u = Trunc(a * (c * c * c));
            v = Trunc(a * (s * s * s));
            break;
        }
        case 8: {
            const int psi = Trunc(p->shapeE);
            u = Trunc(a * cosTable[theta] * sinTable[psi]);
            v = Trunc(a * sinTable[theta] * sinTable[psi]);
            break;
        }
        default: {  // 9
            const double r = 2.0 * a * (1.0 + cosTable[theta]);
            u = Trunc(r * sinTable[theta]);
            v = Trunc(r * cosTable[theta]);
            break;
        }
    }

    // Sense 0 swaps the offsets, mirroring the curve in the diagonal; the
    // cardioid always hangs below its burst point.
    if (p->type == 9 || p->sense == 1) {
        p->x = p->originX + u;
        p->y = p->originY + v;
    } else {
        p->x = p->originX + v;
        p->y = p->originY + u;
    }
    --p->life;
    if (!OnScreen(sky, p->x, p->y) || p->life < 0) p->dead = 1;
}

}  // namespace

void MoveParticle(Particle* p) { MoveParticle(primarySky, p); }

void MoveParticle(Sky& sky, Particle* p) {
    for (int i = 9; i > 0; --i) {
        p->trailX[i] = p->trailX[i - 1];
        p->trailY[i] = p->trailY[i - 1];
    }
    p->trailX[0] = p->x;
    p->trailY[0] = p->y;

    switch (p->type) {
        case 1: MoveRocket(sky, p); break;
        case 2: MoveWeavingRocket(sky, p); break;
        case 4: case 5: case 6: case 7: case 8: case 9: MoveCurveSpark(sky, p); break;
        case 10: MoveFreeSpark(sky, p); break;
        default: break;
    }
}

void SweepParticles() { SweepParticles(primarySky); }

void SweepParticles(Sky& sky) {
    Particle* previous = sky.particleHead;
    if (previous == nullptr) return;
    // next is read afresh each turn, so the sparks a bursting rocket appends
    // are reached later in this same walk.
    while (previous->next != nullptr) {
        Particle* p = previous->next;
        MoveParticle(sky, p);
        if (p->dead) {
            --sky.particleCount;
            previous->next = p->next;
            if (previous->next == nullptr) sky.particleTail = previous;
            ReleaseParticleNode(p);
            continue;
        }
        // The segment from the position before this step to the one before
        // that, drawn as two halves meeting at the integer midpoint.
        const int x0 = p->trailX[0];
        const int y0 = p->trailY[0];
        const int x1 = p->trailX[1];
        const int y1 = p->trailY[1];
        // The lines are not clipped: a segment reaching off the screen (only
        // possible for a burst asked for at an off-screen point) is skipped
        // rather than written outside the field.
        if (sky.heatField != nullptr && OnScreen(sky, x0, y0) && OnScreen(sky, x1, y1)) {
            const int dx = (x1 - x0) / 2;
            const int dy = (y1 - y0) / 2;
            DrawHeatLine(sky, x0, y0, x0 + dx, y0 + dy, p->colour);
            DrawHeatLine(sky, x0 + dx, y0 + dy, x1, y1, p->colour);
        }
        previous = p;
    }
}
