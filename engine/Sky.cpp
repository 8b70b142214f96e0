// The primary sky. The engine's plain names for its parts are defined beside
// the operations on them (Geometry.cpp, HeatField.cpp, Particles.cpp).
#include "engine/Sky.h"

// Unseeded, the random sequence behaves as if seeded with 1, like rand().
Sky primarySky = {0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 1u};
