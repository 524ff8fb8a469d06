#include "png.h"

#include <png.h>
#include <stdio.h>
#include <vector>

bool png_write(const std::string &path, int width, int height, const unsigned char *rgba) {
    FILE *file = fopen(path.c_str(), "wb");
    if (!file) return false;
    // Allocated before setjmp: a longjmp out of libpng must not skip a
    // destructor.
    std::vector<unsigned char> row((size_t)width * 3);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = info && !setjmp(png_jmpbuf(png));
    if (ok) {
        png_init_io(png, file);
        png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = height - 1; y >= 0; --y) {
            const unsigned char *src = rgba + (size_t)y * width * 4;
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    row[(size_t)x * 3 + c] = src[x * 4 + c];
            png_write_row(png, row.data());
        }
        png_write_end(png, info);
    }
    png_destroy_write_struct(&png, &info);
    fclose(file);
    return ok;
}
