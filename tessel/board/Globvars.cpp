#include "Globvars.h"

// windows.h first: the OpenGL header of Windows needs its declarations.
#include <windows.h>
#include <GL/gl.h>

int32_t board[10][10];

int32_t score;
int32_t lastPoints;
int32_t multiplier;

bool boardAtRest;
bool gemSelected;
bool checkPending;
bool swapPending;

SelectionRecord selection;

std::string IntToText(int32_t n) { return std::to_string(n); }

int32_t windowWidth = 350;
int32_t windowHeight = 500;

int32_t cellPixels;
float cellWidth;
float cellHeight;
float originX;
float originY;

const float gemColors[10][3] = {
    {0.0f, 0.0f, 0.0f},  // empty: black
    {0.2f, 0.6f, 0.0f},  // green
    {0.9f, 0.6f, 0.0f},  // orange
    {0.0f, 0.7f, 0.8f},  // cyan
    {0.9f, 0.0f, 0.0f},  // red
    {0.1f, 0.2f, 0.8f},  // blue
    {0.4f, 0.0f, 0.7f},  // violet
    {0.9f, 0.9f, 0.0f},  // yellow
    {0.0f, 0.1f, 0.4f},  // dark blue
    {0.5f, 0.0f, 0.0f},  // dark red
};

void SetColor(const float c[3]) { glColor3f(c[0], c[1], c[2]); }

leader leaders[kOverflowSlot + 1];

int32_t leaderPlace = kOverflowSlot;
std::string playerName;
bool leadersSaved;
bool gameOver;
