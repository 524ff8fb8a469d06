// Compares two PNG pictures channel by channel (RGB) and prints the largest
// difference in 8-bit steps.
//
//   ombrel-picture-diff A.png B.png STEPS
//
// Exits 0 when every channel of every pixel is within STEPS, 1 when one is
// not or the sizes differ, 2 when a picture cannot be read.
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <vector>

namespace {

bool read_rgb(const char *path, png_image *image, std::vector<unsigned char> *pixels) {
    memset(image, 0, sizeof *image);
    image->version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(image, path)) return false;
    image->format = PNG_FORMAT_RGB;
    pixels->resize(PNG_IMAGE_SIZE(*image));
    return png_image_finish_read(image, nullptr, pixels->data(), 0, nullptr);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s A.png B.png STEPS\n", argv[0]);
        return 2;
    }
    png_image a, b;
    std::vector<unsigned char> pa, pb;
    for (int i = 1; i <= 2; ++i)
        if (!read_rgb(argv[i], i == 1 ? &a : &b, i == 1 ? &pa : &pb)) {
            fprintf(stderr, "cannot read %s\n", argv[i]);
            return 2;
        }
    if (a.width != b.width || a.height != b.height) {
        printf("sizes differ: %ux%u and %ux%u\n", a.width, a.height, b.width, b.height);
        return 1;
    }
    int worst = 0;
    for (size_t i = 0; i < pa.size(); ++i)
        worst = std::max(worst, abs(pa[i] - pb[i]));
    printf("largest difference %d (%s, %s)\n", worst, argv[1], argv[2]);
    return worst <= atoi(argv[3]) ? 0 : 1;
}
