#include "Geometry3D.h"

void MakeScaleMatrix(float m[16], float sx, float sy, float sz) {
  for (int i = 0; i < 16; ++i) m[i] = i % 5 == 0 ? 1.0f : 0.0f;
  m[0] = sx;
  m[5] = sy;
  m[10] = sz;
}
