// The pictures the form carries, drawn at build time: the welcome strip as a
// JPEG decoded by libjpeg, and the two small pictures as raw RGBA pixels with
// an alpha channel, laid onto the system's face colour when the form is built
// (so their edges fit any colour scheme).
#pragma once

#include <memory>

#include "ui/jpeg.h"

enum class TArtwork { Welcome, Folder, Product };

// The picture, or null when the program carries no such resource.
std::shared_ptr<const TPixels> LoadArtwork(TArtwork picture);
