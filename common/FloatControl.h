// Floating-point control for both programs.
#pragma once

// Masks all six floating-point exceptions and selects rounding to nearest,
// so that a division by zero gives an infinity and an invalid operation a
// NaN instead of a trap. Called first thing at start-up.
void MaskFloatingPointExceptions();
