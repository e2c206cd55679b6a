// The pictures the form carries, drawn at build time at 100 %, 150 % and
// 200 %: the welcome strip as JPEG pictures decoded by libjpeg, and the two
// small pictures as raw RGBA pixels with an alpha channel, laid onto the
// system's face colour when the form is built (so their edges fit any colour
// scheme).
#pragma once

#include <memory>

#include "ui/scaled_picture.h"

enum class TArtwork { Welcome, Folder, Product };

// The picture with every drawing the program carries, or null when it carries none.
std::shared_ptr<const TScaledPicture> LoadArtwork(TArtwork picture);
