// The fatal end of both programs after a file error: a message box captioned
// "Error" with "Runtime error", the code and the code address, then the
// process ends with the code's low eight bits as its exit status.
#pragma once

#include <cstdint>
#include <string>

// "Runtime error" + " " + the code right-aligned in three characters +
// " at " + the address in eight upper-case hexadecimal digits.
std::string RuntimeErrorText(uint32_t code, uintptr_t address);

// Shows the box and ends the process with the code's low byte. The address named in the
// text is the one the caller returns to, which identifies the failing call.
[[noreturn]] void FatalRuntimeError(uint32_t code);
