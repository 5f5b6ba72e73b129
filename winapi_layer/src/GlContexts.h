// What a rendering context carries besides SDL's context: the OpenGL the
// programs draw with is either the system's own OpenGL 1.1 (SystemGl.cpp),
// which keeps its state in SDL's context, or the subset over OpenGL ES 2
// (gl/), which keeps it in a state of its own per context.
#pragma once

namespace winlayer {

struct GlState;

// Sets SDL's attributes for the kind of context to make: a compatibility
// context of OpenGL 2.1, or one of OpenGL ES 2.0.
void RequestGlContext();
// The state of a new rendering context (nullptr when there is none to keep).
GlState* NewGlState();
// Called once SDL's context has been made current: its state is the one
// the calls act on (nullptr: no context is current).
void UseGlState(GlState* state);
void DeleteGlState(GlState* state);

}  // namespace winlayer
