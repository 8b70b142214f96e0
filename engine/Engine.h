// Run mode's engine state as a whole: set up once at start, released at end.
#pragma once

// Fills the degree tables, creates the empty particle list and the zeroed
// heat field. Returns 1, or 0 when memory cannot be had (nothing is left
// allocated then).
int InitEngine();
// Releases the heat field and the particle list; safe to call twice.
void ReleaseEngine();
