#include "FloatControl.h"

#include <cfenv>
#if defined(_WIN32)
#include <float.h>
#endif

void MaskFloatingPointExceptions() {
#if defined(_WIN32)
  // Both the x87 and the SSE control words.
  _controlfp(_MCW_EM, _MCW_EM);
  _controlfp(_RC_NEAR, _MCW_RC);
#else
  fedisableexcept(FE_ALL_EXCEPT);
  std::fesetround(FE_TONEAREST);
#endif
}
