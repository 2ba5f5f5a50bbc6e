#pragma once
// A file layer for tests: forwards to the real primitives and can fail the Nth call.

// Makes call number n (1-based, counted from now) of a file primitive fail; 0 fails none.
void ArmFault(int n);
// True when the armed fault has been delivered.
bool FaultFired();
