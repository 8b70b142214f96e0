// Everything that moves: the particle record, the list that owns every
// particle, and the operations that create, burst, move and sweep them.
#pragma once

#include <cstdint>

#include "engine/Sky.h"

// A particle's state. SpawnBurst fills one as the template of a curve burst;
// SpawnParticle copies it whole into a new node.
struct burstTemplate {
    int32_t originX;
    int32_t originY;
    int32_t x;
    int32_t y;
    int32_t trailX[10];  // index 0 the newest
    int32_t trailY[10];
    int32_t type;        // 1, 2 or 4..10
    int32_t angle;       // whole degrees 0..360
    double vx;           // positive moves left
    double vy;           // positive moves up
    double vxPrev;
    double vyStart;
    double ax;
    double ay;
    int32_t life;
    uint32_t colour;     // 0x00RRGGBB
    int32_t dead;
    int32_t sense;
    double shapeA;
    double shapeB;
    double shapeC;
    double shapeD;
    double shapeE;
    double shapeF;
};

struct Particle : burstTemplate {
    Particle* next;
};

// The primary sky's list and flag.
extern Particle*& particleHead;  // sentinel; null outside run mode
extern Particle*& particleTail;
extern int32_t& particleCount;
// Set while the middle message is showing: rockets burst differently.
extern int32_t& midTextActive;

// Each operation works on the sky it is given (the primary sky without one):
// its list, its screen, its field and its random sequence.

// Creates the sky's empty list (freeing any it had). Returns 1, or 0 when
// the sentinel cannot be had.
int CreateParticleList(Sky& sky);
int CreateParticleList();
// Frees every particle and the sentinel.
void FreeParticleList(Sky& sky);
void FreeParticleList();

void SpawnParticle(Sky& sky, int type, int x, int y, uint32_t colour, const burstTemplate* templ);
void SpawnParticle(int type, int x, int y, uint32_t colour, const burstTemplate* templ);
void SpawnBurst(Sky& sky, int type, int count, int x, int y, uint32_t colour);
void SpawnBurst(int type, int count, int x, int y, uint32_t colour);
void MoveParticle(Sky& sky, Particle* p);
void MoveParticle(Particle* p);
// Moves every particle of the sky one step, removes the dead and draws the
// rest's newest trail segment into its field.
void SweepParticles(Sky& sky);
void SweepParticles();
