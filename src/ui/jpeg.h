// Decoding JPEG pictures (through libjpeg) into 32-bit top-down pixels ready
// for a device-independent bitmap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "util/error.h"

// A picture that libjpeg could not decode; the message is libjpeg's own.
class EJpegError : public EError {
public:
    using EError::EError;
};

struct TPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> bgra;  // row by row from the top, 0x00RRGGBB
};

// Decodes a JPEG held in memory; raises EJpegError for anything else.
TPixels DecodeJpeg(const std::string& bytes);
