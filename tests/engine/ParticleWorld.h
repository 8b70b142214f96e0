// A small run-mode world for the particle tests: screen sizes, degree tables,
// an empty particle list and a cold heat field, all released afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "engine/Maths.h"
#include "engine/ParticleAlloc.h"
#include "engine/Particles.h"
#include "engine/Random.h"
#include "settings/Settings.h"
#include "text/MidMessage.h"

class ParticleWorld : public ::testing::Test {
public:
    // Screen coordinates; the border cells lie at -fieldBorder..-1 and past
    // the screen's last row and column.
    static uint32_t Cell(int x, int y) {
        return HeatField[(y + fieldBorder) * fieldWidth + fieldBorder + x];
    }

protected:
    void SetUp() override {
        FillDegreeTables();
        midTextActive = 0;
        particleAllocBudget = -1;
        SeedRandom(12345);
        SetScreen(640, 480);
        ASSERT_EQ(CreateParticleList(), 1);
    }

    void TearDown() override {
        FreeParticleList();
        FreeHeatField();
        midTextActive = 0;
        particleAllocBudget = -1;
    }

    // Sets the four sizes as the settings loader would and gives a cold field.
    static void SetScreen(int width, int height) {
        SetCanvasSize(width, height);
        ASSERT_EQ(AllocHeatField(), 1);
    }

    static std::vector<Particle*> Nodes() {
        std::vector<Particle*> nodes;
        for (Particle* p = particleHead->next; p != nullptr; p = p->next) nodes.push_back(p);
        return nodes;
    }

    // The list invariants: the walk ends on the tail and counts particleCount.
    static void ExpectListSound() {
        ASSERT_NE(particleHead, nullptr);
        Particle* last = particleHead;
        int32_t walked = 0;
        while (last->next != nullptr) {
            last = last->next;
            ++walked;
        }
        EXPECT_EQ(last, particleTail);
        EXPECT_EQ(walked, particleCount);
    }

    static int HotCells() {
        int hot = 0;
        for (int i = 0; i < fieldWidth * fieldHeight; ++i) hot += HeatField[i] != 0 ? 1 : 0;
        return hot;
    }

    static void ClearField() {
        for (int i = 0; i < fieldWidth * fieldHeight; ++i) HeatField[i] = 0;
    }
};
