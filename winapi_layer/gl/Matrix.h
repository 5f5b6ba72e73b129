// 4 by 4 matrices in the column-major order of glLoadMatrixf, computed in
// single precision with the products summed in the same order as the
// OpenGL 1.1 they stand in for, so that vertices land on the same pixels.
#pragma once

#include <array>

namespace glsubset {

using Matrix = std::array<float, 16>;
using Vec4 = std::array<float, 4>;

Matrix IdentityMatrix();
// a × b: b applied first.
Matrix Multiply(const Matrix& a, const Matrix& b);
Matrix TranslationMatrix(float x, float y, float z);
Matrix FrustumMatrix(float left, float right, float bottom, float top, float zNear, float zFar);
Matrix OrthoMatrix(float left, float right, float bottom, float top, float zNear, float zFar);
Vec4 Transform(const Matrix& m, const Vec4& v);

// The inverse transpose of the upper 3 by 3 part, column-major, that turns
// normals into eye space; a singular part gives zeros.
std::array<float, 9> NormalMatrix(const Matrix& modelview);

}  // namespace glsubset
