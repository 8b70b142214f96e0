// The particle list (sentinel, tail, count) and SpawnParticle, the one place
// a particle is created and appended.
#include "engine/Particles.h"

#include <cstdlib>
#include <new>

#include "engine/Geometry.h"
#include "engine/Maths.h"
#include "engine/ParticleAlloc.h"

Particle*& particleHead = primarySky.particleHead;
Particle*& particleTail = primarySky.particleTail;
int32_t& particleCount = primarySky.particleCount;
int32_t& midTextActive = primarySky.midTextActive;

int32_t particleAllocBudget = -1;

Particle* AllocParticleNode() {
    if (particleAllocBudget == 0) return nullptr;
    void* memory = std::malloc(sizeof(Particle));
    if (memory == nullptr) return nullptr;
    if (particleAllocBudget > 0) --particleAllocBudget;
    // Value-initialisation zeroes every state field and the link.
    return new (memory) Particle();
}

void ReleaseParticleNode(Particle* node) { std::free(node); }

int CreateParticleList(Sky& sky) {
    // A list left over from an earlier run would otherwise leak.
    FreeParticleList(sky);
    Particle* sentinel = AllocParticleNode();
    if (sentinel == nullptr) return 0;
    sky.particleHead = sentinel;
    sky.particleTail = sentinel;
    sky.particleCount = 0;
    return 1;
}

int CreateParticleList() { return CreateParticleList(primarySky); }

void FreeParticleList(Sky& sky) {
    Particle* node = sky.particleHead;
    while (node != nullptr) {
        Particle* next = node->next;
        ReleaseParticleNode(node);
        node = next;
    }
    sky.particleHead = nullptr;
    sky.particleTail = nullptr;
    sky.particleCount = 0;
}

void FreeParticleList() { FreeParticleList(primarySky); }

namespace {

// Colour 0 asks for a random one, so a particle is never drawn black.
uint32_t ColourOrRandom(Sky& sky, uint32_t colour) {
    return colour != 0 ? colour : RandomColour(sky, -1, -1, -1);
}

bool IsKnownType(int type) { return type == 1 || type == 2 || (type >= 4 && type <= 10); }

void FillRocket(Sky& sky, Particle* p, int type, uint32_t colour) {
    // The draws run in this order: column, sway direction (type 2), speed,
    // colour; a seeded run depends on it.
    int x = type == 1 ? RandomBetween(sky, 0, sky.screenWidth)
                      : RandomBetween(sky, 100, sky.screenWidth - 100);
    p->originX = p->x = p->trailX[0] = x;
    p->originY = p->y = p->trailY[0] = sky.screenHeight - 1;
    p->type = type;
    p->angle = 90;
    p->vx = 0.0;
    if (type == 2) p->vxPrev = RandomBetween(sky, -10, 10) > 0 ? 1.0 : -1.0;
    p->ax = 0.0;
    p->ay = -0.15;
    p->vy = RandomBetween(sky, 10, 15);
    if (type == 2) p->vyStart = p->vy;
    p->life = -1;
    p->colour = ColourOrRandom(sky, colour);
    p->dead = 0;
}

void FillFreeSpark(Sky& sky, Particle* p, int x, int y, uint32_t colour) {
    p->originX = p->x = p->trailX[0] = x;
    p->originY = p->y = p->trailY[0] = y;
    p->type = 10;
    p->angle = RandomBetween(sky, 0, 360);
    p->ax = RandomBetween(sky, -5000, 5000) * 0.00001;
    p->ay = -0.15;
    p->vx = RandomBetween(sky, -800, 800) * 0.01;
    p->vy = RandomBetween(sky, -800, 800) * 0.01;
    p->life = RandomBetween(sky, 30, 80);
    p->colour = ColourOrRandom(sky, colour);
    p->dead = 0;
}

}  // namespace

void SpawnParticle(int type, int x, int y, uint32_t colour, const burstTemplate* templ) {
    SpawnParticle(primarySky, type, x, y, colour, templ);
}

void SpawnParticle(Sky& sky, int type, int x, int y, uint32_t colour, const burstTemplate* templ) {
    // Nothing to append to outside run mode, no curve without its template,
    // and no node for a type that would never move or die.
    if (sky.particleTail == nullptr || !IsKnownType(type)) return;
    if (type >= 4 && type <= 9 && templ == nullptr) return;

    // A node that cannot be had skips this one particle; the count only
    // ever covers nodes that are really in the list.
    Particle* p = AllocParticleNode();
    if (p == nullptr) return;
    sky.particleTail->next = p;
    sky.particleTail = p;
    p->next = nullptr;
    ++sky.particleCount;

    if (type == 1 || type == 2) {
        FillRocket(sky, p, type, colour);
    } else if (type == 10) {
        FillFreeSpark(sky, p, x, y, colour);
    } else {
        *static_cast<burstTemplate*>(p) = *templ;
        // The first step puts the spark on its curve and leaves the burst
        // point in trail[0]; it may already find the spark off the screen.
        MoveParticle(sky, p);
    }

    // Every trail point starts at the spawn or burst point, so the first
    // drawn segment of a curve spark runs back to the burst point.
    for (int i = 1; i < 10; ++i) {
        p->trailX[i] = p->trailX[0];
        p->trailY[i] = p->trailY[0];
    }
}
