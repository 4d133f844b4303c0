// The sample kit's component objects: one dual-interface object per class of the kit
// class table, created by the class factories of kit_server.cpp.
#pragma once

#include <windows.h>

#include "actions/kit_classes.h"

namespace kit {

// Objects and server locks alive; the server may unload when both are 0.
extern LONG liveObjects;
extern LONG serverLocks;

// Creates the object of that table row and asks it for iid.
HRESULT CreateKitObject(const KitClass& row, REFIID iid, void** object);

}  // namespace kit
