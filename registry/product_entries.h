#pragma once
// The product's registry entries: written at install, removed at uninstall. Nothing is
// reported; a failed write or removal leaves the others unaffected.

void WriteProductRegistry();
void RegisterSoundEvent(const char* name, const char* label);
void RemoveProductRegistry();
// True when the event's scheme key itself was deleted.
bool RemoveSoundEvent(const char* name);
