package marlith.sdk.ui.render;

import java.awt.image.BufferedImage;
import java.nio.ByteBuffer;

/** Conversions between images and the RGBA bytes that upload and readPixels exchange. */
final class Pixels {
    private Pixels() {}

    // Bytes of width × height RGBA pixels; sizes below 1, or too large for one buffer, are refused.
    static int bytes(int width, int height) {
        Checks.positive("width", width);
        Checks.positive("height", height);
        long bytes = 4L * width * height;
        if (bytes > Integer.MAX_VALUE) {
            throw new IllegalArgumentException("width x height must be at most " + Integer.MAX_VALUE / 4
                    + " pixels, as one buffer holds them: " + width + " x " + height);
        }
        return (int) bytes;
    }

    // Straight sRGB RGBA bytes of any image, its top row first: the texture row that records
    // show at v = 0, the top of their quads.
    static ByteBuffer rgba(BufferedImage image) {
        int w = image.getWidth(), h = image.getHeight();
        int[] argb = image.getRGB(0, 0, w, h, null, 0, w);
        ByteBuffer bytes = ByteBuffer.allocateDirect(argb.length * 4);
        for (int p : argb) bytes.put((byte) (p >> 16)).put((byte) (p >> 8)).put((byte) p).put((byte) (p >>> 24));
        return bytes.flip();
    }

    // An image of RGBA bytes that come lowest row first, as readPixels writes them.
    static BufferedImage image(ByteBuffer rgba, int w, int h) {
        BufferedImage image = new BufferedImage(w, h, BufferedImage.TYPE_INT_RGB);
        int[] row = new int[w];
        for (int y = 0; y < h; y++) {
            int at = (h - 1 - y) * w * 4;
            for (int x = 0; x < w; x++, at += 4) {
                row[x] = (rgba.get(at) & 0xFF) << 16 | (rgba.get(at + 1) & 0xFF) << 8 | (rgba.get(at + 2) & 0xFF);
            }
            image.setRGB(0, y, w, 1, row, 0, w);
        }
        return image;
    }
}
