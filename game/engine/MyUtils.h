// Small conversions that the rest of Game uses in place of library
// routines: whole numbers to and from decimal text, the pieces of a file
// path, and the absolute value of a single-precision number.
//
// Texts are byte strings in Windows-1251. Paths use the backslash as their
// only separator, whatever the platform.
#pragma once

#include <cstdint>
#include <string>

// Decimal digits of n, with a leading "-" when n is negative; "0" for 0.
std::string NumToText(int32_t n);

// Reads the decimal digits of s from first to last, skipping every other
// byte (including any sign); the value wraps around in 32 bits. "" gives 0.
int32_t TextToNum(const std::string& s);

// s up to its last '.', followed by extension; empty when s has no '.'.
std::string ChangeFileExtension(const std::string& s, const std::string& extension);

// The part of s after its last backslash; all of s when it has none.
std::string ExtractFileNamePart(const std::string& s);

// The part of s up to and including its last backslash; empty when it has none.
std::string ExtractDirPart(const std::string& s);

// x when x >= 0, otherwise 0 - x.
float AbsValue(float x);

// The running program's full path (at most 260 characters), as the system
// gives it.
std::string ProgramPath();
