// The particle list and SpawnParticle: invariants, rockets, free sparks,
// curve sparks created off the screen, and allocation failures.
#include <set>

#include "ParticleWorld.h"

namespace {

using ParticleList = ParticleWorld;

TEST_F(ParticleList, EmptyListAfterCreation) {
    EXPECT_EQ(particleHead->next, nullptr);
    EXPECT_EQ(particleTail, particleHead);
    EXPECT_EQ(particleCount, 0);
}

TEST_F(ParticleList, FreeClearsEverythingAndIsSafeTwice) {
    SpawnBurst(10, 7, 100, 100, 0);
    ASSERT_EQ(particleCount, 7);
    FreeParticleList();
    EXPECT_EQ(particleHead, nullptr);
    EXPECT_EQ(particleTail, nullptr);
    EXPECT_EQ(particleCount, 0);
    FreeParticleList();
    EXPECT_EQ(particleHead, nullptr);
    // Without a list nothing can be appended or swept.
    SpawnBurst(10, 3, 100, 100, 0);
    SweepParticles();
    EXPECT_EQ(particleCount, 0);
}

TEST_F(ParticleList, CreatingAgainStartsEmpty) {
    SpawnBurst(10, 5, 100, 100, 0);
    ASSERT_EQ(CreateParticleList(), 1);
    EXPECT_EQ(particleCount, 0);
    EXPECT_EQ(particleHead->next, nullptr);
    EXPECT_EQ(particleTail, particleHead);
}

TEST_F(ParticleList, SentinelThatCannotBeHadFailsCreation) {
    FreeParticleList();
    particleAllocBudget = 0;
    EXPECT_EQ(CreateParticleList(), 0);
    EXPECT_EQ(particleHead, nullptr);
    EXPECT_EQ(particleTail, nullptr);
    EXPECT_EQ(particleCount, 0);
}

// A node that cannot be had skips that particle; the count and the tail
// only ever cover linked nodes.
TEST_F(ParticleList, AllocationFailureSkipsParticles) {
    struct Case {
        int type;
        int count;
        int budget;
        int expected;
    };
    const Case cases[] = {
        {10, 9, 0, 0}, {10, 9, 4, 4}, {10, 9, 9, 9}, {10, 9, 10, 9},
        {9, 12, 0, 0}, {9, 12, 5, 5}, {4, 6, 6, 6},  {1, 0, 0, 0},
        {2, 0, 1, 1},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(CreateParticleList(), 1);
        particleAllocBudget = c.budget;
        SpawnBurst(c.type, c.count, 320, 240, 0);
        particleAllocBudget = -1;
        EXPECT_EQ(particleCount, c.expected) << "type " << c.type << " budget " << c.budget;
        ExpectListSound();
        SweepParticles();
        ExpectListSound();
    }
}

TEST_F(ParticleList, AllTrailPointsEqualAfterSpawn) {
    for (int type : {1, 2, 10, 4, 5, 6, 7, 8, 9}) {
        ASSERT_EQ(CreateParticleList(), 1);
        SpawnBurst(type, 5, 320, 240, 0);
        ASSERT_GT(particleCount, 0);
        for (Particle* p : Nodes()) {
            for (int i = 1; i < 10; ++i) {
                EXPECT_EQ(p->trailX[i], p->trailX[0]) << "type " << type << " entry " << i;
                EXPECT_EQ(p->trailY[i], p->trailY[0]) << "type " << type << " entry " << i;
            }
        }
    }
}

TEST_F(ParticleList, RocketsStartOnTheBottomRow) {
    struct Case {
        int type;
        int width;
        int minX;
        int maxX;
    };
    // Narrow screens make the edges of the range likely to be drawn.
    const Case cases[] = {
        {1, 640, 1, 639}, {1, 4, 1, 3}, {2, 640, 101, 539}, {2, 204, 101, 103},
    };
    for (const Case& c : cases) {
        SetScreen(c.width, 480);
        ASSERT_EQ(CreateParticleList(), 1);
        std::set<int> columns;
        for (int i = 0; i < 400; ++i) SpawnBurst(c.type, 0, 0, 0, 0);
        for (Particle* p : Nodes()) {
            EXPECT_EQ(p->type, c.type);
            EXPECT_EQ(p->y, 479);
            EXPECT_EQ(p->originY, 479);
            EXPECT_EQ(p->x, p->originX);
            EXPECT_GE(p->x, c.minX);
            EXPECT_LE(p->x, c.maxX);
            EXPECT_GE(p->vy, 11.0);
            EXPECT_LE(p->vy, 14.0);
            EXPECT_EQ(p->vy, static_cast<int>(p->vy));
            EXPECT_EQ(p->ay, -0.15);
            EXPECT_EQ(p->vx, 0.0);
            EXPECT_EQ(p->angle, 90);
            EXPECT_EQ(p->life, -1);
            EXPECT_EQ(p->dead, 0);
            if (c.type == 2) {
                EXPECT_EQ(p->vyStart, p->vy);
                EXPECT_TRUE(p->vxPrev == 1.0 || p->vxPrev == -1.0);
            }
            columns.insert(p->x);
        }
        if (c.width < 300) {
            EXPECT_EQ(*columns.begin(), c.minX);
            EXPECT_EQ(*columns.rbegin(), c.maxX);
        }
    }
}

TEST_F(ParticleList, ColourZeroIsNeverBlack) {
    for (int i = 0; i < 300; ++i) {
        SpawnBurst(1, 0, 0, 0, 0);
        SpawnBurst(10, 2, 50, 50, 0);
        SpawnBurst(4 + i % 6, 1, 320, 240, 0);
    }
    for (Particle* p : Nodes()) EXPECT_NE(p->colour, 0u);
    // A colour that is asked for is kept.
    SpawnParticle(10, 5, 5, 0x00123456u, nullptr);
    EXPECT_EQ(particleTail->colour, 0x00123456u);
}

TEST_F(ParticleList, FreeSparkFields) {
    for (int i = 0; i < 500; ++i) SpawnParticle(10, 17, 23, 0, nullptr);
    for (Particle* p : Nodes()) {
        EXPECT_EQ(p->x, 17);
        EXPECT_EQ(p->originY, 23);
        EXPECT_GT(p->ax, -0.05);
        EXPECT_LT(p->ax, 0.05);
        EXPECT_EQ(p->ay, -0.15);
        EXPECT_GE(p->vx, -7.995);
        EXPECT_LE(p->vx, 7.995);
        EXPECT_GE(p->vy, -7.995);
        EXPECT_LE(p->vy, 7.995);
        EXPECT_GE(p->life, 31);
        EXPECT_LE(p->life, 79);
        EXPECT_GE(p->angle, 1);
        EXPECT_LE(p->angle, 359);
        EXPECT_EQ(p->type, 10);
    }
}

// The draws of a spawn run in a fixed order, so a seeded run repeats.
TEST_F(ParticleList, DrawOrderOfRocketsAndFreeSparks) {
    SeedRandom(777);
    SpawnParticle(2, 0, 0, 0, nullptr);
    SpawnParticle(10, 40, 50, 0, nullptr);
    const Particle rocket = *particleHead->next;
    const Particle spark = *particleTail;

    SeedRandom(777);
    EXPECT_EQ(rocket.x, RandomBetween(100, 540));
    EXPECT_EQ(rocket.vxPrev, RandomBetween(-10, 10) > 0 ? 1.0 : -1.0);
    EXPECT_EQ(rocket.vy, RandomBetween(10, 15));
    EXPECT_EQ(rocket.colour, RandomColour(-1, -1, -1));
    EXPECT_EQ(spark.angle, RandomBetween(0, 360));
    EXPECT_EQ(spark.ax, RandomBetween(-5000, 5000) * 0.00001);
    EXPECT_EQ(spark.vx, RandomBetween(-800, 800) * 0.01);
    EXPECT_EQ(spark.vy, RandomBetween(-800, 800) * 0.01);
    EXPECT_EQ(spark.life, RandomBetween(30, 80));
    EXPECT_EQ(spark.colour, RandomColour(-1, -1, -1));
}

TEST_F(ParticleList, CurveTypesNeedTheirTemplateAndUnknownTypesMakeNothing) {
    for (int type : {4, 5, 6, 7, 8, 9}) SpawnParticle(type, 10, 10, 0, nullptr);
    for (int type : {0, 3, 11, -1}) SpawnParticle(type, 10, 10, 0, nullptr);
    EXPECT_EQ(particleCount, 0);
    EXPECT_EQ(particleTail, particleHead);
}

// A cardioid hangs below its burst point: at the bottom row its first point
// is off the screen.
TEST_F(ParticleList, CurveSparkStartingOffScreenIsCreatedDeadAndNeverDrawn) {
    burstTemplate t{};
    t.type = 9;
    t.originX = t.x = t.trailX[0] = 320;
    t.originY = t.y = t.trailY[0] = 479;
    t.shapeA = 30;
    t.shapeD = 1.0;
    t.sense = 1;
    t.life = 60;
    t.colour = 0x00FFFFFF;
    SpawnParticle(9, 0, 0, 0, &t);
    ASSERT_EQ(particleCount, 1);
    Particle* p = particleTail;
    EXPECT_EQ(p->dead, 1);
    EXPECT_EQ(p->trailX[0], 320);
    EXPECT_EQ(p->trailY[9], 479);
    EXPECT_EQ(p->life, 59);

    SweepParticles();
    EXPECT_EQ(particleCount, 0);
    EXPECT_EQ(particleTail, particleHead);
    EXPECT_EQ(HotCells(), 0);
}

}  // namespace
