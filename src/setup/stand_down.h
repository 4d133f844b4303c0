// Asks the installed kit whether a set-up started now should do nothing at all.
#pragma once

// True only when the kit's stand-down component exists and answers VARIANT_TRUE; a
// missing component or a failing call answers false. COM must be initialised.
bool StandDownQuery();
