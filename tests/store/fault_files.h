#pragma once
// A file layer for tests: forwards to the real primitives and can fail the Nth call.
#include <functional>
#include <string>
#include <string_view>

// Makes call number n (1-based, counted from now) of a file primitive fail; 0 fails none.
void ArmFault(int n);
// Makes the next call of the primitive named (as in platform/files.h, "SyncFolder") fail.
void ArmFaultAt(std::string_view primitive);
// True when the armed fault has been delivered.
bool FaultFired();
// Makes every temporary file a named one, as where the system offers no unnamed files.
void UseNamedTemps(bool named);
// Makes CheckOwnerKept refuse with this text, as when the user may not keep a file's owner; empty
// asks the system again.
void FakeOwnerChange(std::string refusal);
// Runs action once, just before the next call of the primitive named: another program changing
// a file between two steps of the store.
void BeforeNextCall(std::string_view primitive, std::function<void()> action);
