package marlith.sdk.ui.render;

/**
 * The pixels one submit or background pass draws into: the bottom-left {@code width} × {@code
 * height} of the back image (where GL's viewport puts them), rows top first, 0xRRGGBB. Holds the
 * UI scale of the call and the premultiplied "over" blend all records use, rounded to the nearest
 * 8-bit step as the GPU's blending into an 8-bit buffer is.
 */
final class SoftwareTarget {
    int[] pixels;
    int stride, rowShift;
    /** Size of the target in pixels, and the part of it the back image holds: columns below colEnd, rows from rowStart. */
    int width, height, colEnd, rowStart;
    /** Pixels per UI unit, and one pixel in UI units (the shaders' anti-aliasing ramp). */
    float sx, sy, aa;

    void set(int[] pixels, int imageWidth, int imageHeight, int width, int height) {
        this.pixels = pixels;
        this.stride = imageWidth;
        this.width = width;
        this.height = height;
        rowShift = imageHeight - height;
        colEnd = Math.min(width, imageWidth);
        rowStart = Math.max(0, -rowShift);
    }

    void scale(float uiWidth, float uiHeight) {
        sx = width / uiWidth;
        sy = height / uiHeight;
        aa = 0.5f * (1f / sx + 1f / sy);
    }

    /** Index in {@link #pixels} of the target pixel (col, row), rows top first. */
    int index(int col, int row) {
        return (row + rowShift) * stride + col;
    }

    /**
     * The shaders' interleaved gradient noise at a target pixel, -0.5 to 0.5 of one step, times
     * {@code amount}, as a fraction of full scale. Measured from the bottom row, as gl_FragCoord is;
     * the position is never negative, so truncation takes the fraction.
     */
    float dither(int col, int row, float amount) {
        float t = (col + 0.5f) * 0.06711056f + (height - row - 0.5f) * 0.00583715f;
        t = 52.9829189f * (t - (int) t);
        return (t - (int) t - 0.5f) * amount * (1f / 255f);
    }

    /**
     * Blends straight colour (r, g, b) of alpha a over pixel i. Each result is clamped to 0 to 255
     * as the GPU's conversion clamps, so that colours outside 0 to 1 in a record's slots saturate.
     */
    void over(int i, float r, float g, float b, float a) {
        int d = pixels[i];
        float keep = 1f - a, s = 255f * a;
        int or = clamp((int) (s * r + ((d >> 16) & 255) * keep + 0.5f));
        int og = clamp((int) (s * g + ((d >> 8) & 255) * keep + 0.5f));
        int ob = clamp((int) (s * b + (d & 255) * keep + 0.5f));
        pixels[i] = or << 16 | og << 8 | ob;
    }

    private static int clamp(int v) {
        return Math.min(Math.max(v, 0), 255);
    }

    /** Blends one straight colour of one alpha over the pixels [from, to). */
    void overRun(int from, int to, float r, float g, float b, float a) {
        if (!(r >= 0f && r <= 1f && g >= 0f && g <= 1f && b >= 0f && b <= 1f && a >= 0f && a <= 1f)) {
            for (int i = from; i < to; i++) over(i, r, g, b, a);
            return;
        }
        if (a == 1f) {
            int c = channel(r) << 16 | channel(g) << 8 | channel(b);
            java.util.Arrays.fill(pixels, from, to, c);
            return;
        }
        int keep = Math.round((1f - a) * 65536f);
        int pr = Math.round(255f * r * a * 65536f) + 32768, pg = Math.round(255f * g * a * 65536f) + 32768;
        int pb = Math.round(255f * b * a * 65536f) + 32768;
        int[] p = pixels;
        for (int i = from; i < to; i++) {
            int d = p[i];
            p[i] = (pr + ((d >> 16) & 255) * keep) >> 16 << 16 | (pg + ((d >> 8) & 255) * keep) >> 16 << 8
                    | (pb + (d & 255) * keep) >> 16;
        }
    }

    /** A colour channel of 0 to 1 as an 8-bit value, rounded. */
    static int channel(float v) {
        return (int) (255f * (v > 0f ? Math.min(v, 1f) : 0f) + 0.5f);
    }
}
