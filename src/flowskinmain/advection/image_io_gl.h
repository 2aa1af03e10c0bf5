#pragma once
// GL half of image mapping and image output: the upload of the map image into
// display list 9, the frame texture drawn over a 512 x 512 viewport and read
// back for "-> image map", and the read-back of a whole frame. All draw or
// read with the current context.
#include <cstdint>
#include <vector>

// Side of the square read back by "-> image map", in window pixels.
constexpr int32_t kMapReadSize = 512;

// Compiles display list 9 (kMapImageList) with one glTexImage2D of tw x th
// RGBA texels (rows of tw * 4 bytes, internal format 4, no border) into
// whatever 2-D texture is bound when the list is replayed.
void CompileMapImageList(int32_t tw, int32_t th, const uint8_t* rgba);

// Draws the frame texture (texture object 8) stretched over a 512 x 512
// viewport at the window's lower-left corner, unlit, with identity matrices,
// then reads those 512 x 512 pixels back as RGBA from the draw buffer.
// Restores the matrices and the viewport; leaves texturing and blending off,
// smooth shading, depth writes on, and lighting on when lighting_on. Pixels
// outside a smaller window are undefined.
std::vector<uint8_t> DrawAndReadFrameTexture(bool lighting_on);

// Reads w x h pixels from (0, 0) of the current read buffer as RGB, rows of
// exactly 3w bytes (pack alignment 1), bottom row first. The pack alignment
// is restored afterwards.
std::vector<uint8_t> ReadFramePixels(int32_t w, int32_t h);
