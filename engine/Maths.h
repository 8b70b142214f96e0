// Shared numeric helpers: whole-degree sine and cosine tables, random
// integers and colours, and a stepper that wraps or bounces inside a range.
#pragma once

#include <cstdint>

#include "engine/Sky.h"

extern double sinTable[361];
extern double cosTable[361];

// Fills both tables (pi taken as 3.14, ten entries exact).
void FillDegreeTables();

// An integer strictly between low and high, from the sky's random sequence
// (the primary sky's without one).
int RandomBetween(Sky& sky, int low, int high);
int RandomBetween(int low, int high);

// A bright colour in heat-field layout (0x00RRGGBB). An argument in 0..255
// fixes that channel; any other value leaves it random.
uint32_t RandomColour(Sky& sky, int red, int green, int blue);
uint32_t RandomColour(int red, int green, int blue);

// mode 1 wraps inside low..high (up picks the direction), mode 2 bounces
// (previous holds the value before the last step). Returns 1 for modes 1
// and 2, 0 for any other mode, which changes nothing.
int StepInRange(int mode, int up, double low, double high, double step, double& value,
                double& previous);
int StepInRangeInt(int mode, int up, int low, int high, int step, int& value, int& previous);
