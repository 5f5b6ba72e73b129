// On Linux the host needs no turn from the program: both return at once.
#include "HostTurn.h"

namespace winlayer {

void HostTurnOnEmptyQueue() {}
void HostTurnOnFrame() {}

}  // namespace winlayer
