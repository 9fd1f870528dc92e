// Small cover pictures for the soak's music files, drawn from the seed and
// encoded by the system's imaging component, and a PNG made to claim a
// size it does not have.
#pragma once

#include "testbed/soak/soak_cover_tags.h"

#include <random>

enum class PictureFormat { Jpeg, Png };

// Four quadrants of colours drawn from random (a PNG's last one half
// transparent), width x height, encoded as format, of the given picture
// type; its bytes are empty when the imaging component failed. The
// calling thread has initialised COM.
TagPicture DrawPicture(PictureFormat format, int width, int height, uint8_t type, std::mt19937& random);

// The PNG with the width and height in its header replaced and the
// header's checksum made right again, so that only the size is wrong.
Bytes PngClaiming(Bytes png, uint32_t width, uint32_t height);
