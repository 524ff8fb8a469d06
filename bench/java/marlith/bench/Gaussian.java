package marlith.bench;

import java.awt.image.BufferedImage;

/** The exact Gaussian blur that every contestant's glass is compared with. */
final class Gaussian {
    private Gaussian() {}

    /**
     * The region [x0, x1) x [y0, y1) of {@code image} blurred by a Gaussian of {@code sigma} pixels
     * (normalised weights out to 4 sigma, edges clamped), in double precision: red, green and blue
     * planes of (x1 - x0) * (y1 - y0) values each, rows top first. Sigma 0 returns the pixels.
     */
    static double[][] blur(BufferedImage image, float sigma, int x0, int y0, int x1, int y1) {
        int r = (int) Math.ceil(4 * sigma);
        double[] k = new double[2 * r + 1];
        double sum = 0;
        for (int i = -r; i <= r; i++) sum += k[i + r] = sigma > 0 ? Math.exp(-0.5 * i * i / ((double) sigma * sigma)) : 1;
        for (int i = 0; i < k.length; i++) k[i] /= sum;
        int w = x1 - x0, rowsFrom = y0 - r, rows = y1 - y0 + 2 * r;
        int width = image.getWidth(), height = image.getHeight();
        // Along x for every row the vertical pass needs.
        double[][] across = new double[3][w * rows];
        for (int j = 0; j < rows; j++) {
            int y = Math.min(Math.max(rowsFrom + j, 0), height - 1);
            for (int x = 0; x < w; x++) {
                double red = 0, green = 0, blue = 0;
                for (int i = -r; i <= r; i++) {
                    int p = image.getRGB(Math.min(Math.max(x0 + x + i, 0), width - 1), y);
                    red += k[i + r] * ((p >> 16) & 255);
                    green += k[i + r] * ((p >> 8) & 255);
                    blue += k[i + r] * (p & 255);
                }
                across[0][j * w + x] = red;
                across[1][j * w + x] = green;
                across[2][j * w + x] = blue;
            }
        }
        double[][] out = new double[3][w * (y1 - y0)];
        for (int ch = 0; ch < 3; ch++) {
            for (int y = 0; y < y1 - y0; y++) {
                for (int x = 0; x < w; x++) {
                    double v = 0;
                    for (int i = 0; i <= 2 * r; i++) v += k[i] * across[ch][(y + i) * w + x];
                    out[ch][y * w + x] = v;
                }
            }
        }
        return out;
    }
}
