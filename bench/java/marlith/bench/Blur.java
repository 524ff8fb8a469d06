package marlith.bench;

/** CPU blurs of packed RGB pixels: a three-pass box approximation and exact Gaussian weights. */
final class Blur {
    private Blur() {}

    /** Normalised weights of a Gaussian of {@code sigma} over ceil(3 sigma) on either side. */
    static float[] gaussianKernel(float sigma) {
        int r = (int) Math.ceil(3 * sigma);
        float[] w = new float[2 * r + 1];
        double sum = 0;
        for (int i = -r; i <= r; i++) sum += Math.exp(-0.5 * i * i / (sigma * sigma));
        for (int i = -r; i <= r; i++) w[i + r] = (float) (Math.exp(-0.5 * i * i / (sigma * sigma)) / sum);
        return w;
    }

    /**
     * Widths of three boxes whose repeated application comes closest to a Gaussian of {@code sigma}
     * (the variance of a box of width w is (w * w - 1) / 12).
     */
    static int[] boxWidths(float sigma) {
        int n = 3;
        double ideal = Math.sqrt(12.0 * sigma * sigma / n + 1);
        int lower = (int) Math.floor(ideal);
        if (lower % 2 == 0) lower--;
        int upper = lower + 2;
        double m = (12.0 * sigma * sigma - n * lower * lower - 4.0 * n * lower - 3.0 * n) / (-4.0 * lower - 4);
        int smaller = (int) Math.round(m);
        int[] widths = new int[n];
        for (int i = 0; i < n; i++) widths[i] = i < smaller ? lower : upper;
        return widths;
    }

    /** Blurs {@code px} (w x h, 0xRRGGBB) in place by three box passes per direction, edges clamped. */
    static void boxes(int[] px, int[] scratch, int w, int h, float sigma) {
        for (int width : boxWidths(sigma)) {
            int r = (width - 1) / 2;
            if (r <= 0) continue;
            for (int y = 0; y < h; y++) line(px, scratch, y * w, 1, w, r);
            for (int x = 0; x < w; x++) line(scratch, px, x, w, h, r);
        }
    }

    /** One box pass over a line of {@code n} pixels starting at {@code at}, {@code stride} apart. */
    private static void line(int[] src, int[] dst, int at, int stride, int n, int r) {
        int last = n - 1;
        int sr = 0, sg = 0, sb = 0;
        for (int i = -r - 1; i < r; i++) {
            int p = src[at + Math.min(Math.max(i, 0), last) * stride];
            sr += (p >> 16) & 255;
            sg += (p >> 8) & 255;
            sb += p & 255;
        }
        int width = 2 * r + 1, half = width / 2;
        for (int i = 0; i < n; i++) {
            int in = src[at + Math.min(i + r, last) * stride];
            int out = src[at + Math.max(i - r - 1, 0) * stride];
            sr += ((in >> 16) & 255) - ((out >> 16) & 255);
            sg += ((in >> 8) & 255) - ((out >> 8) & 255);
            sb += (in & 255) - (out & 255);
            dst[at + i * stride] = (sr + half) / width << 16 | (sg + half) / width << 8 | (sb + half) / width;
        }
    }
}
