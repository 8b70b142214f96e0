// SpawnBurst: rockets, the six curve bursts, the free burst, counts, burst
// points and the bursts rockets choose while the middle message shows.
#include <set>

#include "ParticleWorld.h"

namespace {

using Bursts = ParticleWorld;

struct CurveType {
    int type;
    int minCount;
    int maxCount;
};

const CurveType curveTypes[] = {
    {4, 21, 99}, {5, 6, 19}, {6, 11, 79}, {7, 2, 9}, {8, 11, 69}, {9, 31, 99},
};

// The second angle of each curve type; it and angle and sense are all that
// may differ between the sparks of one burst.
double SecondAngle(const Particle& p) {
    switch (p.type) {
        case 4: return p.shapeB;
        case 5: case 6: return p.shapeC;
        case 8: return p.shapeE;
        default: return 0.0;
    }
}

TEST_F(Bursts, SparksOfOneCurveBurstShareEverythingButTheirPlaceOnTheCurve) {
    for (const CurveType& c : curveTypes) {
        for (int seed = 1; seed <= 20; ++seed) {
            ASSERT_EQ(CreateParticleList(), 1);
            SeedRandom(seed);
            SpawnBurst(c.type, 30, 320, 240, 0);
            std::vector<Particle*> sparks = Nodes();
            ASSERT_EQ(sparks.size(), 30u);
            const Particle& first = *sparks[0];
            std::set<int> senses;
            std::set<int> angles;
            for (Particle* p : sparks) {
                EXPECT_EQ(p->type, c.type);
                EXPECT_EQ(p->colour, first.colour);
                EXPECT_EQ(p->life, first.life);
                EXPECT_EQ(p->originX, 320);
                EXPECT_EQ(p->originY, 240);
                EXPECT_EQ(p->trailX[0], 320);
                EXPECT_EQ(p->trailY[0], 240);
                EXPECT_EQ(p->shapeA, first.shapeA);
                EXPECT_EQ(p->shapeD, first.shapeD);
                EXPECT_EQ(p->shapeF, first.shapeF);
                if (c.type == 5 || c.type == 6) {
                    EXPECT_EQ(p->shapeB, first.shapeB);
                    EXPECT_EQ(p->shapeE, first.shapeE);
                }
                if (c.type == 4) {
                    EXPECT_EQ(p->shapeC, first.shapeC);
                }
                if (c.type == 7 || c.type == 9) {
                    EXPECT_EQ(p->shapeB + p->shapeC + p->shapeE, 0.0);
                }
                EXPECT_GE(SecondAngle(*p), 0.0);
                EXPECT_LE(SecondAngle(*p), 360.0);
                EXPECT_GE(p->angle, 0);
                EXPECT_LE(p->angle, 360);
                senses.insert(p->sense);
                angles.insert(p->angle);
            }
            EXPECT_GT(angles.size(), 1u) << "type " << c.type;
            // 30 sparks of one sense each have a chance of about 1 in 10^9.
            EXPECT_EQ(senses.size(), 2u) << "type " << c.type;
            // Every spark has taken its first step: one life already spent.
            EXPECT_GE(first.life, 50);
            EXPECT_LE(first.life, 98);
        }
    }
}

TEST_F(Bursts, CurveParametersStayInTheirRanges) {
    for (int seed = 1; seed <= 200; ++seed) {
        for (const CurveType& c : curveTypes) {
            ASSERT_EQ(CreateParticleList(), 1);
            SpawnBurst(c.type, 1, 320, 240, 0);
            ASSERT_EQ(particleCount, 1);
            const Particle& p = *particleTail;
            switch (c.type) {
                case 4:
                    EXPECT_GE(p.shapeA, 6);
                    EXPECT_LE(p.shapeA, 59);
                    EXPECT_GE(p.shapeC, 6);
                    EXPECT_LE(p.shapeC, 13);
                    EXPECT_EQ(p.shapeD, 2 * p.shapeC);
                    break;
                case 5:
                case 6:
                    EXPECT_GE(p.shapeB, 7);
                    EXPECT_LE(p.shapeB, 59);
                    EXPECT_GE(p.shapeD, 7);
                    EXPECT_LE(p.shapeD, 9);
                    EXPECT_DOUBLE_EQ(p.shapeE, p.shapeD * (p.shapeA / p.shapeB + 1));
                    EXPECT_EQ(p.shapeF == 0, c.type == 5);
                    break;
                case 7:
                    EXPECT_GE(p.shapeA, 21);
                    EXPECT_LE(p.shapeA, 79);
                    EXPECT_GE(p.shapeD, 7);
                    EXPECT_LE(p.shapeD, 9);
                    break;
                case 8:
                    EXPECT_GE(p.shapeA, 11);
                    EXPECT_LE(p.shapeA, 99);
                    EXPECT_TRUE(p.shapeF == 5 || p.shapeF == 6);
                    EXPECT_EQ(p.shapeD, 1.0);
                    break;
                default:
                    EXPECT_GE(p.shapeA, 11);
                    EXPECT_LE(p.shapeA, 69);
                    EXPECT_EQ(p.shapeD, 1.0);
                    break;
            }
        }
    }
}

// The draws of a deltoid burst in their order: default count, burst point,
// angle, A, C, colour, life, then per spark sense, k1, k2.
TEST_F(Bursts, DeltoidDrawsInItsOrder) {
    SeedRandom(4242);
    SpawnBurst(4, 0, 0, 0, 0);
    std::vector<Particle*> sparks = Nodes();

    SeedRandom(4242);
    const int count = RandomBetween(20, 100);
    const int x = RandomBetween(50, 590);
    const int y = RandomBetween(50, 430);
    int angle = RandomBetween(0, 360);
    const double a = RandomBetween(5, 60);
    double phi = 2 * a;
    const double c = RandomBetween(5, 14);
    const uint32_t colour = RandomColour(-1, -1, -1);
    const int life = RandomBetween(50, 100);
    ASSERT_EQ(static_cast<int>(sparks.size()), count);
    for (Particle* p : sparks) {
        const int sense = RandomBetween(-10, 10) > 0 ? 1 : 0;
        const int k1 = RandomBetween(0, 36);
        const int k2 = RandomBetween(0, 36);
        StepInRangeInt(1, 1, 0, 360, k1 * static_cast<int>(c), angle, angle);
        StepInRange(1, 1, 0.0, 360.0, k2 * 2 * c, phi, phi);
        // The spark's own first step moves both angles on once more.
        int sparkAngle = angle;
        double sparkPhi = phi;
        StepInRangeInt(1, 1, 0, 360, static_cast<int>(c), sparkAngle, sparkAngle);
        StepInRange(1, 1, 0.0, 360.0, 2 * c, sparkPhi, sparkPhi);
        EXPECT_EQ(p->sense, sense);
        EXPECT_EQ(p->angle, sparkAngle);
        EXPECT_EQ(p->shapeB, sparkPhi);
        EXPECT_EQ(p->originX, x);
        EXPECT_EQ(p->originY, y);
        EXPECT_EQ(p->shapeA, a);
        EXPECT_EQ(p->colour, colour);
        EXPECT_EQ(p->life, life - 1);
    }
}

TEST_F(Bursts, EpicycleStartsItsSecondAngleFromTheRadii) {
    SeedRandom(99);
    SpawnBurst(5, 1, 300, 200, 0x00ABCDEFu);
    SeedRandom(99);
    const int angle = 255;
    const double a = RandomBetween(6, 60);
    const double b = RandomBetween(6, 60);
    const double q = a / b + 1;
    double phi = static_cast<int>(255 * q) % 360;
    const double d = RandomBetween(6, 10);
    // A colour that is given is used: no colour draw.
    const int life = RandomBetween(50, 100);
    RandomBetween(-10, 10);
    int theta = angle;
    const int k1 = RandomBetween(0, 36);
    const int k2 = RandomBetween(0, 36);
    StepInRangeInt(1, 1, 0, 360, k1 * static_cast<int>(d), theta, theta);
    StepInRangeInt(1, 1, 0, 360, static_cast<int>(d), theta, theta);
    StepInRange(1, 1, 0.0, 360.0, k2 * d * q, phi, phi);
    StepInRange(1, 1, 0.0, 360.0, d * q, phi, phi);
    const Particle& p = *particleTail;
    EXPECT_EQ(p.colour, 0x00ABCDEFu);
    EXPECT_EQ(p.life, life - 1);
    EXPECT_EQ(p.angle, theta);
    EXPECT_EQ(p.shapeC, phi);
}

TEST_F(Bursts, CountsAndTheirDefaults) {
    for (const CurveType& c : curveTypes) {
        std::set<int> seen;
        for (int i = 0; i < 1500; ++i) {
            ASSERT_EQ(CreateParticleList(), 1);
            SpawnBurst(c.type, 0, 320, 240, 0);
            EXPECT_GE(particleCount, c.minCount) << "type " << c.type;
            EXPECT_LE(particleCount, c.maxCount) << "type " << c.type;
            seen.insert(particleCount);
        }
        EXPECT_EQ(*seen.begin(), c.minCount) << "type " << c.type;
        EXPECT_EQ(*seen.rbegin(), c.maxCount) << "type " << c.type;
    }
    for (int seed = 1; seed <= 50; ++seed) {
        ASSERT_EQ(CreateParticleList(), 1);
        SpawnBurst(10, 0, 320, 240, 0);
        EXPECT_GE(particleCount, 91);
        EXPECT_LE(particleCount, 199);
    }
    // Negative and explicit counts, near the edges.
    for (int type = 4; type <= 10; ++type) {
        for (int count : {-1, -7, 1, 2, 250}) {
            ASSERT_EQ(CreateParticleList(), 1);
            SpawnBurst(type, count, 320, 240, 0);
            EXPECT_EQ(particleCount, count < 0 ? 0 : count) << "type " << type;
            ExpectListSound();
        }
    }
}

TEST_F(Bursts, RocketTypesIgnoreCountPointAndColour) {
    for (int type : {1, 2}) {
        for (int count : {-3, 0, 5}) {
            ASSERT_EQ(CreateParticleList(), 1);
            SpawnBurst(type, count, 300, 300, 0x00ABCDEFu);
            ASSERT_EQ(particleCount, 1);
            EXPECT_EQ(particleTail->type, type);
            EXPECT_EQ(particleTail->y, 479);
        }
    }
}

TEST_F(Bursts, TypesWithoutAPatternCreateNothing) {
    SpawnBurst(10, 3, 100, 100, 0);
    for (int type : {11, 3, 0, 12, -4}) {
        SpawnBurst(type, 0, 320, 240, 0);
        SpawnBurst(type, 5, 0, 0, 0);
        EXPECT_EQ(particleCount, 3) << "type " << type;
    }
    ExpectListSound();
}

TEST_F(Bursts, FreeBurstColourFollowsTheParityOfItsCount) {
    for (int count : {1, 21, 199, 2, 20, 198}) {
        for (int seed = 1; seed <= 10; ++seed) {
            ASSERT_EQ(CreateParticleList(), 1);
            SeedRandom(seed);
            SpawnBurst(10, count, 320, 240, 0);
            std::set<uint32_t> colours;
            for (Particle* p : Nodes()) colours.insert(p->colour);
            if (count % 2 != 0) {
                EXPECT_EQ(colours.size(), 1u) << "count " << count;
            } else {
                EXPECT_GT(colours.size(), 1u) << "count " << count;
            }
        }
    }
}

TEST_F(Bursts, BurstPointZeroZeroIsRandomForCurvesOnly) {
    SetScreen(160, 130);
    for (const CurveType& c : curveTypes) {
        std::set<int> xs;
        std::set<int> ys;
        for (int i = 0; i < 400; ++i) {
            ASSERT_EQ(CreateParticleList(), 1);
            SpawnBurst(c.type, 1, 0, 0, 0);
            ASSERT_EQ(particleCount, 1);
            EXPECT_GE(particleTail->originX, 51);
            EXPECT_LE(particleTail->originX, 109);
            EXPECT_GE(particleTail->originY, 51);
            EXPECT_LE(particleTail->originY, 79);
            xs.insert(particleTail->originX);
            ys.insert(particleTail->originY);
        }
        EXPECT_EQ(*xs.begin(), 51);
        EXPECT_EQ(*xs.rbegin(), 109);
        EXPECT_EQ(*ys.begin(), 51);
        EXPECT_EQ(*ys.rbegin(), 79);
    }

    struct Point {
        int type;
        int x;
        int y;
    };
    const Point kept[] = {
        {4, 0, 60}, {9, 70, 0}, {7, 0, 1}, {10, 0, 0}, {10, 0, 100}, {10, 1, 0},
    };
    for (const Point& k : kept) {
        ASSERT_EQ(CreateParticleList(), 1);
        SpawnBurst(k.type, 3, k.x, k.y, 0);
        for (Particle* p : Nodes()) {
            EXPECT_EQ(p->originX, k.x) << "type " << k.type;
            EXPECT_EQ(p->originY, k.y) << "type " << k.type;
        }
    }
}

// Runs one rocket of the type from launch until it is gone and returns the
// set of the types of everything it left behind (empty: no burst). apex
// tells whether it got to burst rather than leave through an edge.
std::set<int> BurstTypesOf(int rocketType, bool& apex) {
    EXPECT_EQ(CreateParticleList(), 1);
    SpawnBurst(rocketType, 0, 0, 0, 0);
    Particle* rocket = particleTail;
    while (!rocket->dead) MoveParticle(rocket);
    apex = rocket->vy <= 0;
    std::set<int> types;
    for (Particle* p = rocket->next; p != nullptr; p = p->next) types.insert(p->type);
    return types;
}

TEST_F(Bursts, MiddleMessageNarrowsTheBurstsOfRockets) {
    // 768 rows: no rocket leaves through the top.
    SetScreen(1024, 768);
    struct Case {
        int midText;
        int rocketType;
        std::set<int> allowed;
        bool nothingSeen;
    };
    const Case cases[] = {
        {1, 1, {9}, false},
        {1, 2, {10}, true},
        {0, 1, {4, 5, 6, 7, 8, 9, 10}, false},
        {0, 2, {4, 5, 6, 7, 8, 9, 10}, false},
    };
    for (const Case& c : cases) {
        midTextActive = c.midText;
        std::set<int> seen;
        int empty = 0;
        for (int i = 0; i < 300; ++i) {
            bool apex = false;
            std::set<int> types = BurstTypesOf(c.rocketType, apex);
            // A burst is one pattern.
            EXPECT_LE(types.size(), 1u);
            if (!apex) continue;
            if (types.empty()) {
                ++empty;
            } else {
                EXPECT_EQ(c.allowed.count(*types.begin()), 1u)
                    << "rocket " << c.rocketType << " burst " << *types.begin();
                seen.insert(*types.begin());
            }
        }
        EXPECT_EQ(seen, c.allowed) << "rocket " << c.rocketType << " mid " << c.midText;
        // Only the weaving rocket under the middle message may reach its
        // apex and burst into nothing.
        if (c.nothingSeen) {
            EXPECT_GT(empty, 0);
        } else {
            EXPECT_EQ(empty, 0);
        }
    }
}

}  // namespace
