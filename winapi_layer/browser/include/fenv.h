// The C library's <fenv.h> with the one call of glibc's that the programs
// make and a page's C library lacks: WebAssembly's floating point never
// traps, so there is nothing to disable (FloatEnvironment.cpp).
#pragma once

#include_next <fenv.h>

#ifdef __cplusplus
extern "C" {
#endif
int fedisableexcept(int excepts);
#ifdef __cplusplus
}
#endif
