// The primary sky, and the engine's plain names for its parts.
#include "engine/Sky.h"

#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "engine/Particles.h"

// Unseeded, the random sequence behaves as if seeded with 1, like rand().
Sky primarySky = {0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 1u};

int32_t& screenWidth = primarySky.screenWidth;
int32_t& screenHeight = primarySky.screenHeight;
int32_t& fieldWidth = primarySky.fieldWidth;
int32_t& fieldHeight = primarySky.fieldHeight;
uint32_t*& HeatField = primarySky.heatField;
Particle*& particleHead = primarySky.particleHead;
Particle*& particleTail = primarySky.particleTail;
int32_t& particleCount = primarySky.particleCount;
int32_t& midTextActive = primarySky.midTextActive;
