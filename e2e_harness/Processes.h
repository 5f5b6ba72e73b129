// A program that runs as many processes, as a browser does (its renderers,
// its GPU process and its other helpers): what they take together, read
// from /proc.
#pragma once

#include <sys/types.h>

#include <vector>

namespace e2e {

// `root`, every process that descends from it, and the other members of
// its process group, each once; empty when `root` is gone.
std::vector<pid_t> ProcessTree(pid_t root);

// The processor time (user and system) in seconds that the processes of
// ProcessTree(root) have taken, with that of the children they have waited
// for: the difference of two readings is what the tree took between them,
// helpers that came and went meanwhile included.
double TreeCpuSeconds(pid_t root);

// The resident memory (VmRSS) of the processes of ProcessTree(root) in
// KiB, summed: what they share (libraries, shared memory) counts once for
// each of them.
long TreeResidentKiB(pid_t root);

}  // namespace e2e
