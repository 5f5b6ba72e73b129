// Small 3D helpers of the scene.
#pragma once

// Fills m, a 4 x 4 matrix in the column-major order of glLoadMatrixf, with
// a scale by sx, sy and sz along the axes.
void MakeScaleMatrix(float m[16], float sx, float sy, float sz);
