// The places where a program waits for the host. A page's browser draws,
// takes input and runs its timers only between the program's runs of code,
// so there the layer hands it a turn (browser/HostTurn.cpp); on Linux the
// host runs beside the program and these return at once (HostTurn.cpp).
#pragma once

namespace winlayer {

// PeekMessage found nothing for the program.
void HostTurnOnEmptyQueue();
// A frame has been handed to the screen (SwapBuffers).
void HostTurnOnFrame();

}  // namespace winlayer
