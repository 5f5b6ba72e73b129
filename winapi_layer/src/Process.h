// Process-wide services of the layer that its parts share.
#pragma once

namespace winlayer {

// Registers an action that ExitProcess runs before the process ends (the
// display part puts the desktop mode back this way).
void AtProcessExit(void (*action)());

}  // namespace winlayer
