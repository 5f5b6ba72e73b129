// The OpenGL ES 2.0 calls the subset draws with, looked up through SDL once
// a context is current and kept in a table of our own: the subset never
// links against the ES library nor defines a function of its names, so a
// host whose ES library is built into the program (a browser's WebGL) can
// carry both. Only ES 2.0 is included here, so that nothing of ES 3 can be
// called by mistake.
#pragma once

#define GL_GLES_PROTOTYPES 0
#include <GLES2/gl2.h>

namespace glsubset {

#define GLSUBSET_ES2_CALLS(X)                                  \
  X(PFNGLATTACHSHADERPROC, AttachShader)                       \
  X(PFNGLBINDATTRIBLOCATIONPROC, BindAttribLocation)           \
  X(PFNGLBINDBUFFERPROC, BindBuffer)                           \
  X(PFNGLBINDTEXTUREPROC, BindTexture)                         \
  X(PFNGLBUFFERDATAPROC, BufferData)                           \
  X(PFNGLCLEARPROC, Clear)                                     \
  X(PFNGLCLEARCOLORPROC, ClearColor)                           \
  X(PFNGLCOMPILESHADERPROC, CompileShader)                     \
  X(PFNGLCREATEPROGRAMPROC, CreateProgram)                     \
  X(PFNGLCREATESHADERPROC, CreateShader)                       \
  X(PFNGLCULLFACEPROC, CullFace)                               \
  X(PFNGLDELETESHADERPROC, DeleteShader)                       \
  X(PFNGLDELETETEXTURESPROC, DeleteTextures)                   \
  X(PFNGLDISABLEPROC, Disable)                                 \
  X(PFNGLDRAWARRAYSPROC, DrawArrays)                           \
  X(PFNGLENABLEPROC, Enable)                                   \
  X(PFNGLENABLEVERTEXATTRIBARRAYPROC, EnableVertexAttribArray) \
  X(PFNGLFINISHPROC, Finish)                                   \
  X(PFNGLGENBUFFERSPROC, GenBuffers)                           \
  X(PFNGLGENTEXTURESPROC, GenTextures)                         \
  X(PFNGLGETINTEGERVPROC, GetIntegerv)                         \
  X(PFNGLGETPROGRAMINFOLOGPROC, GetProgramInfoLog)             \
  X(PFNGLGETPROGRAMIVPROC, GetProgramiv)                       \
  X(PFNGLGETSHADERINFOLOGPROC, GetShaderInfoLog)               \
  X(PFNGLGETSHADERIVPROC, GetShaderiv)                         \
  X(PFNGLGETUNIFORMLOCATIONPROC, GetUniformLocation)           \
  X(PFNGLLINKPROGRAMPROC, LinkProgram)                         \
  X(PFNGLSHADERSOURCEPROC, ShaderSource)                       \
  X(PFNGLTEXIMAGE2DPROC, TexImage2D)                           \
  X(PFNGLTEXPARAMETERIPROC, TexParameteri)                     \
  X(PFNGLUNIFORM1FPROC, Uniform1f)                             \
  X(PFNGLUNIFORM1IPROC, Uniform1i)                             \
  X(PFNGLUNIFORM3FVPROC, Uniform3fv)                           \
  X(PFNGLUNIFORM4FVPROC, Uniform4fv)                           \
  X(PFNGLUNIFORMMATRIX3FVPROC, UniformMatrix3fv)               \
  X(PFNGLUNIFORMMATRIX4FVPROC, UniformMatrix4fv)               \
  X(PFNGLUSEPROGRAMPROC, UseProgram)                           \
  X(PFNGLVERTEXATTRIBPOINTERPROC, VertexAttribPointer)         \
  X(PFNGLVIEWPORTPROC, Viewport)

struct Es2 {
#define GLSUBSET_ES2_MEMBER(type, name) type name = nullptr;
  GLSUBSET_ES2_CALLS(GLSUBSET_ES2_MEMBER)
#undef GLSUBSET_ES2_MEMBER
};

// The table, filled on the first call with a context current; nullptr
// when the host lacks one of its calls.
const Es2* LoadEs2();

}  // namespace glsubset
