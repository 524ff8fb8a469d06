package marlith.sdk.ui.render;

import java.nio.ByteBuffer;

/**
 * A client texture of the software path: straight (not premultiplied) 0xAARRGGBB texels, row 0
 * first (v = 0, the top of a text or image quad), sampled as GL samples an RGBA8 texture with
 * linear filtering and clamped edges.
 */
final class SoftwareTexture {
    final int width, height;
    final int[] texels;

    SoftwareTexture(int width, int height) {
        this.width = width;
        this.height = height;
        texels = new int[width * height];
    }

    /**
     * Copies RGBA bytes, rows packed, the first row in memory to texel row {@code y}. A rectangle
     * that does not lie within the texture changes nothing, as GL refuses it.
     */
    void upload(int x, int y, int w, int h, ByteBuffer rgba) {
        if (x < 0 || y < 0 || w > width - x || h > height - y) return;
        byte[] row = new byte[4 * w];
        for (int j = 0; j < h; j++) {
            rgba.get(4 * w * j, row);
            int at = (y + j) * width + x;
            for (int i = 0; i < w; i++) {
                int b = 4 * i;
                texels[at + i] = (row[b + 3] & 255) << 24 | (row[b] & 255) << 16 | (row[b + 1] & 255) << 8 | row[b + 2] & 255;
            }
        }
    }

    /** The largest int at most v, for values well within the int range: per pixel, cheaper than Math.floor. */
    static int floor(float v) {
        int i = (int) v;
        return v < i ? i - 1 : i;
    }

    /** The texel at column x, row y, clamped to the edges. */
    int texel(int x, int y) {
        x = Math.min(Math.max(x, 0), width - 1);
        y = Math.min(Math.max(y, 0), height - 1);
        return texels[y * width + x];
    }

    /**
     * Bilinear sample at texel coordinates (u, v) measured from texel centres (texel i at i):
     * straight red, green and blue 0 to 1 into {@code rgb}; returns alpha 0 to 1.
     */
    float sample(float u, float v, float[] rgb) {
        int x = floor(u), y = floor(v);
        float fx = u - x, fy = v - y;
        int a = texel(x, y), b = texel(x + 1, y), c = texel(x, y + 1), d = texel(x + 1, y + 1);
        float wa = (1 - fx) * (1 - fy), wb = fx * (1 - fy), wc = (1 - fx) * fy, wd = fx * fy;
        for (int s = 16, k = 0; k < 3; s -= 8, k++) {
            rgb[k] = (wa * ((a >> s) & 255) + wb * ((b >> s) & 255) + wc * ((c >> s) & 255) + wd * ((d >> s) & 255)) / 255f;
        }
        return (wa * (a >>> 24) + wb * (b >>> 24) + wc * (c >>> 24) + wd * (d >>> 24)) / 255f;
    }
}
