package marlith.bench;

import java.awt.Canvas;
import java.awt.Dimension;
import java.awt.EventQueue;
import java.awt.Frame;
import java.awt.Toolkit;
import java.awt.image.BufferedImage;
import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import javax.imageio.ImageIO;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.Corners;
import marlith.sdk.ui.render.Glass;
import marlith.sdk.ui.render.NativeGpu;

/**
 * Draws one stream that uses every record kind and option (fills with and without corner
 * smoothing, the three stroke alignments, sharp and soft shadows with spread, offset and
 * knockout, nested clips with feather and smoothing, glass of the default style at several blur
 * strengths, a backdrop refresh, glyphs and images from an atlas) with two sets of shader sources,
 * and reports how far the two pictures differ. Used to check that a faster shader draws what the
 * one it replaces drew.
 *
 * <pre>  Bench check OLD_SHADER_DIR NEW_SHADER_DIR [--tolerance STEPS] [--png DIR]</pre>
 *
 * Prints, per size and blur strength, the largest channel difference and the number of pixels
 * that differ by more than one step; exits with 1 when any differs by more than {@code --tolerance}
 * (default 2) steps. {@code --png} writes the pictures drawn with the new sources.
 */
final class ShaderCheck {
    private static final int GL_BACK = 0x0405;
    private static final int[][] SIZES = {{400, 300}, {401, 301}};
    private static final float[] SIGMAS = {0f, 3f, 8f, 16f, 32f};

    private ShaderCheck() {}

    static int main(String[] args) throws Exception {
        String[] before = sources(Path.of(args[1])), after = sources(Path.of(args[2]));
        int tolerance = 2;
        Path png = null;
        for (int i = 3; i + 1 < args.length; i += 2) {
            if (args[i].equals("--tolerance")) tolerance = Integer.parseInt(args[i + 1]);
            else if (args[i].equals("--png")) png = Path.of(args[i + 1]);
            else throw new IllegalArgumentException("unknown option " + args[i]);
        }
        int worst = 0;
        for (int[] size : SIZES) {
            for (float sigma : SIGMAS) {
                byte[] a = draw(before, size[0], size[1], sigma), b = draw(after, size[0], size[1], sigma);
                int max = 0, over = 0;
                for (int i = 0; i < a.length; i++) {
                    int d = Math.abs((a[i] & 255) - (b[i] & 255));
                    max = Math.max(max, d);
                    if (d > 1) over++;
                }
                System.out.printf("%dx%d sigma %s: largest difference %d, %d channel values differ by more than 1%n",
                        size[0], size[1], Analyze.number(sigma), max, over);
                worst = Math.max(worst, max);
                if (png != null) write(b, size[0], size[1], png.resolve("check-" + size[0] + "x" + size[1] + "-s"
                        + Analyze.number(sigma) + ".png"));
            }
        }
        return worst <= tolerance ? 0 : 1;
    }

    private static void write(byte[] rgba, int width, int height, Path file) throws IOException {
        BufferedImage image = new BufferedImage(width, height, BufferedImage.TYPE_INT_RGB);
        for (int y = 0; y < height; y++) {
            for (int x = 0; x < width; x++) {
                int at = 4 * ((height - 1 - y) * width + x);
                image.setRGB(x, y, (rgba[at] & 255) << 16 | (rgba[at + 1] & 255) << 8 | rgba[at + 2] & 255);
            }
        }
        if (!ImageIO.write(image, "png", file.toFile())) throw new IOException("no PNG writer");
    }

    private static String[] sources(Path dir) throws IOException {
        String[] files = {"fullscreen.vert", "background.frag", "blur.frag", "record.vert", "glass.frag",
            "shape.frag", "text.frag"};
        String[] out = new String[files.length];
        for (int i = 0; i < files.length; i++) out[i] = Files.readString(dir.resolve(files[i]), StandardCharsets.UTF_8);
        return out;
    }

    /** Opens a window with the sources, draws the stream once and returns the RGBA pixels. */
    private static byte[] draw(String[] sources, int width, int height, float sigma) throws Exception {
        Canvas canvas = new Canvas();
        canvas.setPreferredSize(new Dimension(width, height));
        Frame window = new Frame("shader check");
        window.setUndecorated(true);
        window.add(canvas);
        EventQueue.invokeAndWait(() -> {
            window.pack();
            window.setVisible(true);
        });
        Toolkit.getDefaultToolkit().sync();
        NativeGpu.load();
        NativeGpu.open(canvas, NativeGpu.jawtPath(), sources);
        try {
            int atlas = atlas();
            NativeGpu.background(width, height, 2.5f, true, false, 0x203040, 0xFF8040);
            stream(atlas).submit(0, GL_BACK, width, height, 200f, 150f, sigma, 120f, 40f);
            ByteBuffer pixels = ByteBuffer.allocateDirect(width * height * 4);
            NativeGpu.readPixels(width, height, pixels);
            NativeGpu.deleteTexture(atlas);
            int error = NativeGpu.glError();
            if (error != 0) throw new IllegalStateException("GL error 0x" + Integer.toHexString(error));
            byte[] out = new byte[pixels.capacity()];
            pixels.get(out);
            return out;
        } finally {
            NativeGpu.close();
            window.dispose();
        }
    }

    /** A 16 x 16 atlas: a colour ramp with an opaque disc and a transparent ring. */
    private static int atlas() {
        int size = 16;
        ByteBuffer rgba = ByteBuffer.allocateDirect(size * size * 4);
        for (int y = 0; y < size; y++) {
            for (int x = 0; x < size; x++) {
                int dx = 2 * x - 15, dy = 2 * y - 15, d2 = dx * dx + dy * dy;
                rgba.put((byte) (x * 17)).put((byte) (y * 17)).put((byte) (d2 < 100 ? 255 : 64))
                        .put((byte) (d2 < 100 ? 255 : d2 < 196 ? 0 : 128));
            }
        }
        rgba.flip();
        int texture = NativeGpu.createTexture(size, size);
        NativeGpu.upload(texture, 0, 0, size, size, rgba);
        return texture;
    }

    private static CommandBuffer stream(int atlas) {
        CommandBuffer c = new CommandBuffer();
        Corners round = Corners.of(8), squircle = Corners.of(10).smoothing(0.6f), mixed = Corners.of(0, 6, 12, 3)
                .smoothing(0f, 1f, 0.3f, 0.8f);
        c.fill(5, 5, 40, 30, round, 0xFFE04020).fill(50, 5, 40, 30, squircle, 0xC02080E0)
                .fill(95, 5, 40, 30, mixed, 0x9040C060).fill(140, 5, 50, 12, Corners.NONE, 0xFFFFFFFF);
        c.stroke(5, 42, 40, 25, round, 3f, CommandBuffer.STROKE_INSIDE, 0xFF30D0F0)
                .stroke(50, 42, 40, 25, squircle, 2.5f, CommandBuffer.STROKE_CENTRED, 0xC0F0F040)
                .stroke(95, 42, 40, 25, mixed, 2f, CommandBuffer.STROKE_OUTSIDE, 0xFFFF60A0);
        c.shadow(145, 30, 40, 25, round, 10f, 2f, 3f, 4f, false, 0x80000000)
                .shadow(145, 70, 40, 25, squircle, 0.2f, 1f, 0f, 0f, false, 0xFF102030)
                .shadow(10, 80, 45, 30, mixed, 6f, -1f, 2f, 2f, true, 0xA0203040)
                .fill(10, 80, 45, 30, mixed, 0x40FFFFFF);
        c.pushClip(60, 75, 70, 60, Corners.of(14).smoothing(0.5f), 1.5f).pushClip(70, 65, 80, 50, round)
                .fill(55, 70, 90, 70, Corners.NONE, 0xFF8060C0)
                .glyph(75, 80, 24, 24, atlas, 0f, 0f, 1f, 1f, 0xFFFFF0A0)
                .image(100, 80, 24, 24, atlas, 0f, 0f, 1f, 1f, Corners.of(6).smoothing(0.4f), 0.9f)
                .popClip().popClip();
        c.glass(20, 100, 90, 40, Corners.of(12).smoothing(0.6f), Glass.DEFAULT).refreshBackdrop()
                .glass(95, 110, 70, 35, Corners.of(10), Glass.DEFAULT.withTint(0x80C0FF, 0.2f).withFrost(0.6f))
                .pushClip(150, 100, 45, 45, Corners.of(20))
                .glass(140, 95, 60, 50, Corners.NONE, Glass.DEFAULT.withBevel(8f, -10f, 0.5f)).popClip();
        return c;
    }
}
