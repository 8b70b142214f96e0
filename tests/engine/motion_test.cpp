// MoveParticle and SweepParticles: the climb of rockets, the curve formulas,
// the free sparks, what a sweep draws and how it keeps the list.
#include <set>
#include <utility>

#include "ParticleWorld.h"
#include "engine/Geometry.h"

namespace {

using Motion = ParticleWorld;

// A free spark with a chosen speed and no pull, so its path is exact.
Particle* FreeSpark(int x, int y, double vx, double vy, int life) {
    SpawnParticle(10, x, y, 0x00C0FFEEu, nullptr);
    Particle* p = particleTail;
    p->vx = vx;
    p->vy = vy;
    p->ax = 0.0;
    p->ay = 0.0;
    p->life = life;
    return p;
}

// A type-1 rocket on the bottom row with the launch speed given.
Particle* Rocket(int speed) {
    SpawnParticle(1, 0, 0, 0, nullptr);
    Particle* p = particleTail;
    p->vy = speed;
    return p;
}

struct Flight {
    int steps;
    int climb;
    int stillSteps;  // steps at the end that left the height unchanged
    bool burst;
};

Flight Fly(Particle* rocket) {
    Flight f{0, 0, 0, false};
    const int startY = rocket->y;
    while (!rocket->dead) {
        const int before = rocket->y;
        MoveParticle(rocket);
        ++f.steps;
        f.stillSteps = rocket->y == before ? f.stillSteps + 1 : 0;
    }
    f.climb = startY - rocket->y;
    f.burst = rocket->next != nullptr;
    return f;
}

TEST_F(Motion, LaunchSpeedsSetTheClimbToTheApex) {
    SetScreen(1280, 1024);
    struct Case {
        int speed;
        int climb;
        int steps;
        int stillSteps;
    };
    const Case cases[] = {{11, 371, 74, 7}, {12, 445, 80, 6}, {13, 525, 87, 7}, {14, 612, 94, 7}};
    for (const Case& c : cases) {
        ASSERT_EQ(CreateParticleList(), 1);
        Flight f = Fly(Rocket(c.speed));
        EXPECT_TRUE(f.burst) << "speed " << c.speed;
        EXPECT_EQ(f.climb, c.climb) << "speed " << c.speed;
        EXPECT_EQ(f.steps, c.steps) << "speed " << c.speed;
        EXPECT_EQ(f.stillSteps, c.stillSteps) << "speed " << c.speed;
    }
}

TEST_F(Motion, RocketsThatWouldClimbPastTheTopVanishWithoutABurst) {
    struct Case {
        int rows;
        bool leaves[4];  // launch speeds 11, 12, 13, 14
    };
    const Case cases[] = {
        {480, {false, false, true, true}},
        {600, {false, false, false, true}},
        {768, {false, false, false, false}},
        {1024, {false, false, false, false}},
        // Near misses: 612 is the highest climb, 371 the lowest.
        {613, {false, false, false, false}},
        {612, {false, false, false, true}},
        {372, {false, true, true, true}},
        {371, {true, true, true, true}},
    };
    for (const Case& c : cases) {
        SetScreen(1280, c.rows);
        for (int i = 0; i < 4; ++i) {
            ASSERT_EQ(CreateParticleList(), 1);
            Particle* rocket = Rocket(11 + i);
            Flight f = Fly(rocket);
            EXPECT_EQ(f.burst, !c.leaves[i]) << c.rows << " rows, speed " << 11 + i;
            if (c.leaves[i]) {
                EXPECT_LT(rocket->y, 0);
                EXPECT_GT(rocket->vy, 0.0);
                EXPECT_EQ(particleCount, 1);
            }
        }
    }
}

// The burst point is the rocket's position after its last step, always on
// the screen, for straight and weaving rockets alike.
TEST_F(Motion, RocketsBurstWhereTheyStandOnTheScreen) {
    SetScreen(640, 600);
    int bursts = 0;
    for (int i = 0; i < 400; ++i) {
        ASSERT_EQ(CreateParticleList(), 1);
        SpawnBurst(1 + i % 2, 0, 0, 0, 0);
        Particle* rocket = particleTail;
        Flight f = Fly(rocket);
        if (!f.burst) continue;
        ++bursts;
        EXPECT_LE(rocket->vy, 0.0);
        EXPECT_GE(rocket->x, 0);
        EXPECT_LE(rocket->x, 639);
        EXPECT_GE(rocket->y, 0);
        EXPECT_LE(rocket->y, 599);
        for (Particle* p = rocket->next; p != nullptr; p = p->next) {
            EXPECT_EQ(p->originX, rocket->x);
            EXPECT_EQ(p->originY, rocket->y);
        }
    }
    EXPECT_GT(bursts, 300);
}

TEST_F(Motion, WeavingRocketSwaysInsideItsRange) {
    ASSERT_EQ(CreateParticleList(), 1);
    SpawnParticle(2, 0, 0, 0, nullptr);
    Particle* p = particleTail;
    p->x = 300;
    p->vy = 12.0;
    p->vx = 0.0;
    p->vxPrev = 1.0;
    // vxPrev above vx: the first sway step goes down by half of vy, to -6,
    // whatever factor is drawn, and -6 moves right by 6.
    MoveParticle(p);
    EXPECT_EQ(p->vx, -6.0);
    EXPECT_EQ(p->vxPrev, 0.0);
    EXPECT_EQ(p->x, 306);
    EXPECT_EQ(p->y, 479 - 12);
    EXPECT_DOUBLE_EQ(p->vy, 11.85);

    SetScreen(1280, 1024);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(CreateParticleList(), 1);
        SpawnParticle(2, 0, 0, 0, nullptr);
        Particle* r = particleTail;
        while (!r->dead) {
            const double vy = r->vy;
            const int x = r->x;
            MoveParticle(r);
            // The range is at most three times the speed before the step.
            EXPECT_LE(r->vx, 3 * vy + 1e-9);
            EXPECT_GE(r->vx, -3 * vy - 1e-9);
            EXPECT_EQ(r->x, x - static_cast<int>(r->vx));
        }
    }
}

// Angles are chosen to land on the exact table entries (0, 90, 180, 270),
// so each offset is known without rounding.
TEST_F(Motion, CurveSparksFollowTheirFormulas) {
    struct Case {
        const char* name;
        int type;
        int sense;
        int angle;
        double a, b, c, d, e, f;
        int expectedDx;
        int expectedDy;
        int expectedAngle;
    };
    const Case cases[] = {
        // deltoid: theta 80+10 = 90, phi 160+20 = 180: u = -A, v = 2A
        {"deltoid", 4, 1, 80, 10, 160, 10, 20, 0, 0, -10, 20, 90},
        {"deltoid mirrored", 4, 0, 80, 10, 160, 10, 20, 0, 0, 20, -10, 90},
        // theta step is trunc(C) = 10 although C is 10.9
        {"deltoid truncated step", 4, 1, 80, 10, 160, 10.9, 20, 0, 0, -10, 20, 90},
        // epicycle: theta 90, phi 270: u = 0, v = (A-B) + B
        {"epicycle", 5, 1, 83, 30, 10, 263, 7, 7, 0, 0, 30, 90},
        {"epicycle mirrored", 5, 0, 83, 30, 10, 263, 7, 7, 0, 30, 0, 90},
        // epitrochoid: theta 180, phi 90: u = -(A+B), v = -F
        {"epitrochoid", 6, 1, 171, 30, 10, 81, 9, 9, 5, -40, -5, 180},
        // astroid: theta 180: u = -A
        {"astroid", 7, 1, 172, 50, 0, 0, 8, 0, 0, -50, 0, 180},
        {"astroid wraps", 7, 1, 355, 50, 0, 0, 5.5, 0, 0, 50, 0, 360},
        // rose: theta 90, psi 265+5 = 270: v = -A
        {"rose", 8, 1, 89, 40, 0, 0, 1, 265, 5, 0, -40, 90},
        {"rose mirrored", 8, 0, 89, 40, 0, 0, 1, 265, 5, -40, 0, 90},
        // cardioid: theta 90 gives (2A, 0); theta 0 gives (0, 4A); sense
        // sets the direction and never swaps
        {"cardioid up", 9, 1, 89, 20, 0, 0, 1, 0, 0, 40, 0, 90},
        {"cardioid down", 9, 0, 91, 20, 0, 0, 1, 0, 0, 40, 0, 90},
        {"cardioid to zero", 9, 0, 1, 20, 0, 0, 1, 0, 0, 0, 80, 0},
        {"cardioid wraps down", 9, 0, 0, 20, 0, 0, 1, 0, 0, -1, 79, 359},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(CreateParticleList(), 1);
        burstTemplate t{};
        t.type = c.type;
        t.originX = t.x = t.trailX[0] = 300;
        t.originY = t.y = t.trailY[0] = 200;
        t.sense = c.sense;
        t.angle = c.angle;
        t.shapeA = c.a;
        t.shapeB = c.b;
        t.shapeC = c.c;
        t.shapeD = c.d;
        t.shapeE = c.e;
        t.shapeF = c.f;
        t.life = 70;
        t.colour = 0x00FFFFFF;
        SpawnParticle(c.type, 0, 0, 0, &t);
        ASSERT_EQ(particleCount, 1) << c.name;
        const Particle& p = *particleTail;
        EXPECT_EQ(p.x - 300, c.expectedDx) << c.name;
        EXPECT_EQ(p.y - 200, c.expectedDy) << c.name;
        EXPECT_EQ(p.angle, c.expectedAngle) << c.name;
        EXPECT_EQ(p.life, 69) << c.name;
        EXPECT_EQ(p.dead, 0) << c.name;
    }
}

TEST_F(Motion, FreeSparksMoveByTheirSpeedAndDieOffTheScreen) {
    struct Case {
        int x, y;
        double vx, vy;
        int expectedX, expectedY;
        bool dead;
    };
    const Case cases[] = {
        {100, 100, 3.9, -2.9, 97, 102, false},  // positive vx moves left, negative vy down
        {100, 100, -3.9, 2.9, 103, 98, false},
        {0, 100, 0.99, 0, 0, 100, false},       // below one pixel: no move
        {0, 100, 1.0, 0, -1, 100, true},
        {639, 100, -1.0, 0, 640, 100, true},
        {638, 100, -1.0, 0, 639, 100, false},
        {100, 0, 0, 1.0, 100, -1, true},
        {100, 479, 0, -1.0, 100, 480, true},
        {100, 478, 0, -1.0, 100, 479, false},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(CreateParticleList(), 1);
        Particle* p = FreeSpark(c.x, c.y, c.vx, c.vy, 10);
        p->ax = 0.004;
        p->ay = -0.15;
        MoveParticle(p);
        EXPECT_EQ(p->x, c.expectedX) << c.x << "," << c.y;
        EXPECT_EQ(p->y, c.expectedY) << c.x << "," << c.y;
        EXPECT_EQ(p->dead, c.dead ? 1 : 0) << c.x << "," << c.y;
        EXPECT_EQ(p->trailX[0], c.x);
        EXPECT_EQ(p->trailY[0], c.y);
        EXPECT_DOUBLE_EQ(p->vx, c.vx + 0.004);
        EXPECT_DOUBLE_EQ(p->vy, c.vy - 0.15);
        EXPECT_EQ(p->life, 9);
    }
}

TEST_F(Motion, SparkOfLifeLIsDrawnInAtMostLFrames) {
    for (int life : {0, 1, 2, 7, 40}) {
        for (int type : {10, 7}) {
            ASSERT_EQ(CreateParticleList(), 1);
            if (type == 10) {
                FreeSpark(320, 240, 0, 0, life);
            } else {
                burstTemplate t{};
                t.type = 7;
                t.originX = t.x = t.trailX[0] = 320;
                t.originY = t.y = t.trailY[0] = 240;
                t.shapeA = 30;
                t.shapeD = 8;
                t.life = life;
                t.colour = 0x00FFFFFF;
                SpawnParticle(7, 0, 0, 0, &t);
            }
            int drawnFrames = 0;
            for (int frame = 0; frame < life + 5 && particleCount > 0; ++frame) {
                ClearField();
                SweepParticles();
                if (HotCells() > 0) ++drawnFrames;
            }
            EXPECT_EQ(particleCount, 0) << "type " << type << " life " << life;
            // The free spark takes its first step in the sweep, the curve
            // spark at creation.
            const int expected = type == 10 ? life : (life > 0 ? life - 1 : 0);
            EXPECT_EQ(drawnFrames, expected) << "type " << type << " life " << life;
        }
    }
}

TEST_F(Motion, FreeSparkFirstDrawsASinglePoint) {
    FreeSpark(200, 150, -5.0, 3.0, 20);
    SweepParticles();
    EXPECT_EQ(HotCells(), 1);
    EXPECT_EQ(Cell(200, 150), 0x00C0FFEEu);
}

TEST_F(Motion, CurveSparkFirstSegmentRunsBackToTheBurstPoint) {
    // Mid-screen on 1024 x 768 every curve's first point is on the screen.
    SetScreen(1024, 768);
    for (int type = 4; type <= 9; ++type) {
        ASSERT_EQ(CreateParticleList(), 1);
        ClearField();
        SpawnBurst(type, 1, 512, 384, 0x00FF8000u);
        Particle* p = particleTail;
        ASSERT_EQ(p->dead, 0) << "type " << type;
        const std::pair<int, int> firstPoint(p->x, p->y);
        SweepParticles();
        ASSERT_EQ(particleCount, 1);
        EXPECT_EQ(p->trailX[0], firstPoint.first);
        EXPECT_EQ(p->trailY[0], firstPoint.second);
        EXPECT_EQ(p->trailX[1], 512);
        EXPECT_EQ(p->trailY[1], 384);
        EXPECT_EQ(Cell(512, 384), 0x00FF8000u) << "type " << type;
        EXPECT_EQ(Cell(firstPoint.first, firstPoint.second), 0x00FF8000u) << "type " << type;
    }
}

// The cells of a line as the heat field draws it: inclusive ends, the minor
// axis stepping on a tie.
std::set<std::pair<int, int>> LineCells(int x1, int y1, int x2, int y2) {
    std::set<std::pair<int, int>> cells;
    int dx = x2 - x1;
    int dy = y2 - y1;
    const int sx = dx >= 0 ? 1 : -1;
    const int sy = dy >= 0 ? 1 : -1;
    dx = dx < 0 ? -dx : dx;
    dy = dy < 0 ? -dy : dy;
    int x = x1;
    int y = y1;
    if (dx > dy) {
        int e = 2 * dy - dx;
        for (int i = 0; i <= dx; ++i) {
            cells.insert({x, y});
            if (e >= 0) {
                e -= 2 * dx;
                y += sy;
            }
            x += sx;
            e += 2 * dy;
        }
    } else {
        int e = 2 * dx - dy;
        for (int i = 0; i <= dy; ++i) {
            cells.insert({x, y});
            if (e >= 0) {
                e -= 2 * dy;
                x += sx;
            }
            y += sy;
            e += 2 * dx;
        }
    }
    return cells;
}

std::set<std::pair<int, int>> HotCellSet() {
    std::set<std::pair<int, int>> cells;
    for (int y = -fieldBorder; y < screenHeight + fieldBorder; ++y) {
        for (int x = -fieldBorder; x < screenWidth + fieldBorder; ++x) {
            if (ParticleWorld::Cell(x, y) != 0) cells.insert({x, y});
        }
    }
    return cells;
}

// A sweep draws from the newest trail point to the integer midpoint and on
// to the older one; that differs from one whole line in either direction.
TEST_F(Motion, SweepDrawsTwoHalfSegments) {
    // By hand: the spark moves from (100,100) to (103,98); the halves are
    // (103,98)-(102,99) and (102,99)-(100,100).
    FreeSpark(100, 100, -3.0, 2.0, 10);
    SweepParticles();
    ClearField();
    SweepParticles();
    const std::set<std::pair<int, int>> byHand = {{100, 100}, {101, 100}, {102, 99}, {103, 98}};
    EXPECT_EQ(HotCellSet(), byHand);

    SetScreen(200, 200);
    int differsFromWholeLine = 0;
    for (int vx = -7; vx <= 7; ++vx) {
        for (int vy = -7; vy <= 7; ++vy) {
            ASSERT_EQ(CreateParticleList(), 1);
            FreeSpark(100, 100, vx, vy, 10);
            SweepParticles();
            ClearField();
            SweepParticles();
            const int x0 = 100 - vx;
            const int y0 = 100 - vy;
            const int mx = x0 + (100 - x0) / 2;
            const int my = y0 + (100 - y0) / 2;
            std::set<std::pair<int, int>> expected = LineCells(x0, y0, mx, my);
            const std::set<std::pair<int, int>> second = LineCells(mx, my, 100, 100);
            expected.insert(second.begin(), second.end());
            EXPECT_EQ(HotCellSet(), expected) << "speed " << vx << "," << vy;
            for (int i = 0; i < fieldWidth * fieldHeight; ++i) {
                ASSERT_TRUE(HeatField[i] == 0 || HeatField[i] == 0x00C0FFEEu);
            }
            if (expected != LineCells(x0, y0, 100, 100) && expected != LineCells(100, 100, x0, y0)) {
                ++differsFromWholeLine;
            }
        }
    }
    EXPECT_GT(differsFromWholeLine, 50);
}

TEST_F(Motion, EmptySweepChangesNothing) {
    SweepParticles();
    EXPECT_EQ(particleHead->next, nullptr);
    EXPECT_EQ(particleTail, particleHead);
    EXPECT_EQ(particleCount, 0);
    EXPECT_EQ(HotCells(), 0);
}

TEST_F(Motion, TailFollowsRemovals) {
    // Five sparks; the ones given an x speed of 700 leave at once.
    struct Case {
        const char* name;
        bool dies[5];
        int survivors;
        int tailIndex;  // among the sparks, -1: the sentinel
    };
    const Case cases[] = {
        {"tail dies", {false, false, false, false, true}, 4, 3},
        {"last two die", {false, false, false, true, true}, 3, 2},
        {"middle dies", {false, false, true, false, false}, 4, 4},
        {"first dies", {true, false, false, false, false}, 4, 4},
        {"all die", {true, true, true, true, true}, 0, -1},
        {"none die", {false, false, false, false, false}, 5, 4},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(CreateParticleList(), 1);
        Particle* sparks[5];
        for (int i = 0; i < 5; ++i) sparks[i] = FreeSpark(300, 200, c.dies[i] ? 700.0 : 1.0, 0, 30);
        SweepParticles();
        EXPECT_EQ(particleCount, c.survivors) << c.name;
        EXPECT_EQ(particleTail, c.tailIndex < 0 ? particleHead : sparks[c.tailIndex]) << c.name;
        EXPECT_EQ(particleTail->next, nullptr) << c.name;
        ExpectListSound();
        // The list still takes new particles at the right end.
        SpawnParticle(10, 300, 200, 0, nullptr);
        ExpectListSound();
    }
}

TEST_F(Motion, RocketBurstingInASweepLeavesTheTailOnItsLastSpark) {
    SetScreen(800, 600);
    midTextActive = 1;  // plain rockets burst into cardioids only
    FreeSpark(300, 200, 0, 0, 30);
    Particle* rocket = Rocket(0);
    // The next step is its apex, high enough for every cardioid spark to
    // stay on the screen.
    rocket->x = 400;
    rocket->y = 100;
    rocket->vy = 0.1;
    SweepParticles();
    ASSERT_GT(particleCount, 1);
    ExpectListSound();
    Particle* last = particleHead;
    while (last->next != nullptr) last = last->next;
    EXPECT_EQ(particleTail, last);
    EXPECT_EQ(particleTail->type, 9);
    EXPECT_EQ(particleHead->next->type, 10);
}

// The sparks of a rocket that bursts in a sweep are reached by the same
// sweep: curve sparks take their second step, free sparks their first.
TEST_F(Motion, SparksOfABurstMoveInTheSameSweep) {
    SetScreen(800, 600);
    midTextActive = 1;
    Particle* rocket = Rocket(0);
    rocket->x = 400;
    rocket->y = 100;
    rocket->vy = 0.1;
    SweepParticles();
    ASSERT_GT(particleCount, 0);
    std::vector<Particle*> sparks = Nodes();
    ASSERT_EQ(static_cast<int>(sparks.size()), particleCount);
    for (Particle* p : sparks) {
        EXPECT_EQ(p->type, 9);
        // trail[1] is the burst point, trail[0] the first point on the curve.
        EXPECT_EQ(p->trailX[1], 400);
        EXPECT_EQ(p->trailY[1], 100);
        EXPECT_EQ(p->trailX[2], 400);
        EXPECT_EQ(p->life, sparks[0]->life);
        EXPECT_EQ(Cell(p->trailX[0], p->trailY[0]), p->colour);
    }
    EXPECT_EQ(Cell(400, 100), sparks[0]->colour);

    // A weaving rocket under the middle message draws a free burst or none.
    int freeBursts = 0;
    for (int i = 0; i < 40 && freeBursts < 3; ++i) {
        ASSERT_EQ(CreateParticleList(), 1);
        ClearField();
        SpawnParticle(2, 0, 0, 0, nullptr);
        Particle* weaver = particleTail;
        weaver->x = 400;
        weaver->y = 100;
        weaver->vy = 0.1;
        SweepParticles();
        if (particleCount == 0) continue;
        ++freeBursts;
        int moved = 0;
        for (Particle* p : Nodes()) {
            EXPECT_EQ(p->type, 10);
            EXPECT_LE(p->x - 400, 7);
            EXPECT_GE(p->x - 400, -7);
            EXPECT_LE(p->y - 100, 7);
            EXPECT_GE(p->y - 100, -7);
            moved += p->x != 400 || p->y != 100 ? 1 : 0;
        }
        EXPECT_GT(moved, 0);
        // Each free spark's first segment is its spawn point: one hot cell.
        EXPECT_EQ(HotCells(), 1);
        EXPECT_NE(Cell(400, 100), 0u);
    }
    EXPECT_EQ(freeBursts, 3);
}

// Points asked for off the screen are kept, but nothing is drawn outside the
// field: a segment reaching off the screen is left out.
TEST_F(Motion, BurstAskedForOffTheScreenDrawsNothingOutside) {
    for (int x : {-30, 660}) {
        ASSERT_EQ(CreateParticleList(), 1);
        ClearField();
        SpawnBurst(9, 40, x, -20, 0x00FFFFFFu);
        SpawnBurst(4, 40, x, 500, 0x00FFFFFFu);
        for (int frame = 0; frame < 5; ++frame) SweepParticles();
        for (int y = -fieldBorder; y < screenHeight + fieldBorder; ++y) {
            for (int cx = -fieldBorder; cx < screenWidth + fieldBorder; ++cx) {
                const bool onScreen = cx >= 0 && cx < screenWidth && y >= 0 && y < screenHeight;
                if (!onScreen) {
                    EXPECT_EQ(Cell(cx, y), 0u) << cx << "," << y;
                }
            }
        }
    }
}

}  // namespace
