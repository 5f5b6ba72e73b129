#include "Matrix.h"

namespace glsubset {

namespace {

float& At(Matrix& m, int row, int column) { return m[column * 4 + row]; }
float At(const Matrix& m, int row, int column) { return m[column * 4 + row]; }

}  // namespace

Matrix IdentityMatrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix p{};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      At(p, i, j) = At(a, i, 0) * At(b, 0, j) + At(a, i, 1) * At(b, 1, j) + At(a, i, 2) * At(b, 2, j) +
                    At(a, i, 3) * At(b, 3, j);
    }
  }
  return p;
}

Matrix TranslationMatrix(float x, float y, float z) {
  Matrix m = IdentityMatrix();
  m[12] = x;
  m[13] = y;
  m[14] = z;
  return m;
}

Matrix FrustumMatrix(float left, float right, float bottom, float top, float zNear, float zFar) {
  Matrix m{};
  At(m, 0, 0) = (2.0f * zNear) / (right - left);
  At(m, 0, 2) = (right + left) / (right - left);
  At(m, 1, 1) = (2.0f * zNear) / (top - bottom);
  At(m, 1, 2) = (top + bottom) / (top - bottom);
  At(m, 2, 2) = -(zFar + zNear) / (zFar - zNear);
  At(m, 2, 3) = -(2.0f * zFar * zNear) / (zFar - zNear);
  At(m, 3, 2) = -1.0f;
  return m;
}

Matrix OrthoMatrix(float left, float right, float bottom, float top, float zNear, float zFar) {
  Matrix m{};
  At(m, 0, 0) = 2.0f / (right - left);
  At(m, 0, 3) = -(right + left) / (right - left);
  At(m, 1, 1) = 2.0f / (top - bottom);
  At(m, 1, 3) = -(top + bottom) / (top - bottom);
  At(m, 2, 2) = -2.0f / (zFar - zNear);
  At(m, 2, 3) = -(zFar + zNear) / (zFar - zNear);
  At(m, 3, 3) = 1.0f;
  return m;
}

Vec4 Transform(const Matrix& m, const Vec4& v) {
  Vec4 r{};
  for (int i = 0; i < 4; ++i) {
    r[i] = At(m, i, 0) * v[0] + At(m, i, 1) * v[1] + At(m, i, 2) * v[2] + At(m, i, 3) * v[3];
  }
  return r;
}

std::array<float, 9> NormalMatrix(const Matrix& mv) {
  // a[row][column] of the upper 3 by 3 part.
  double a[3][3];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) a[r][c] = At(mv, r, c);
  std::array<float, 9> n{};
  // A scaling alone, the common case, inverts exactly.
  const bool diagonal =
      a[0][1] == 0 && a[0][2] == 0 && a[1][0] == 0 && a[1][2] == 0 && a[2][0] == 0 && a[2][1] == 0;
  if (diagonal) {
    if (a[0][0] == 0 || a[1][1] == 0 || a[2][2] == 0) return n;
    n[0] = 1.0f / At(mv, 0, 0);
    n[4] = 1.0f / At(mv, 1, 1);
    n[8] = 1.0f / At(mv, 2, 2);
    return n;
  }
  // The cofactors over the determinant: the inverse's transpose directly.
  double cof[3][3];
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
      cof[r][c] = a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1];
    }
  }
  const double det = a[0][0] * cof[0][0] + a[0][1] * cof[0][1] + a[0][2] * cof[0][2];
  if (det == 0) return n;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) n[c * 3 + r] = static_cast<float>(cof[r][c] / det);
  return n;
}

}  // namespace glsubset
