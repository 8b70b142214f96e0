// The one place particle nodes (and the list's sentinel) are allocated, with
// a budget tests can set to make allocation fail on demand.
#pragma once

#include <cstdint>

struct Particle;

// -1 (the default): allocations are only limited by memory. n >= 0: the next
// n allocations succeed and every one after them fails, as if memory ran out.
extern int32_t particleAllocBudget;

// A zeroed node with a null link, or null when none can be had. The list
// owns the result; ReleaseParticleNode gives it back.
Particle* AllocParticleNode();
void ReleaseParticleNode(Particle* node);
