// OpenGL textures from the game's pictures.
#pragma once

#include <cstdint>

// Makes a mipmapped RGBA texture of the pixels and leaves it bound. Needs a
// current OpenGL context.
uint32_t CreateTexture(uint16_t width, uint16_t height, const uint8_t* pixels);

// Loads the picture and makes its texture; false, with the name left as it
// was, when the picture cannot be loaded.
bool LoadTexture(const char* fileName, uint32_t& textureName);
