// PNG output of a frame read back from GL.
#ifndef OMBREL_BENCH_PNG_H
#define OMBREL_BENCH_PNG_H

#include <string>

// Writes width x height RGBA pixels, rows lowest first as glReadPixels
// returns them, as an 8-bit RGB PNG with the top row first.
bool png_write(const std::string &path, int width, int height, const unsigned char *rgba);

#endif
