package marlith.bench;

import java.awt.Frame;
import java.awt.image.BufferedImage;
import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.function.IntFunction;
import javax.imageio.ImageIO;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.Corners;
import marlith.sdk.ui.render.Glass;
import marlith.sdk.ui.render.NativeGpu;

/**
 * Draws every record kind and option, one case at a time over the background (fills with and
 * without corner smoothing, feather, spread, dither and a kind without a meaning of its own; the
 * three stroke alignments; sharp and soft shadows with spread, offset and knockout; nested clips
 * with feather, spread and smoothing, 32 deep; glyphs and images from an atlas; glass of several
 * styles at several blur strengths with a backdrop refresh; the background with and without the
 * grid in both palettes) with two sets of shader sources, and reports how far the two pictures
 * differ per case. Used to check that a faster shader draws what the one it replaces drew.
 *
 * <pre>  Bench check OLD_SHADER_DIR NEW_SHADER_DIR [--tolerance STEPS] [--png DIR]
 *   Bench check --software SHADER_DIR [--cases NAME,...] [--png DIR]</pre>
 *
 * Prints, per case, size and blur strength, the largest channel difference and the number of
 * channel values that differ by more than one step; exits with 1 when any differs by more than
 * {@code --tolerance} (default 2) steps. Soft shadows are the exception: their blur has no exact
 * closed form, so each is drawn in white over black, where the picture is the shadow's alpha, and
 * both sources are measured against an exact Gaussian blur of the shape's coverage computed here in
 * double precision; the new one must stay within a mean absolute difference of 1 % of full scale
 * and a largest difference of 6 steps. {@code --png} writes the pictures drawn with the new
 * sources.
 *
 * <p>With {@code --software} the same cases are drawn by the GPU with the shaders of SHADER_DIR and
 * by the software renderer, and each drawn record is measured: the mean absolute difference of the
 * two pictures' colour channels over the record's bounds (slots 18 to 21), as a fraction of full
 * scale, and the largest difference in steps. The goals are 1 % for fills, strokes, sharp shadows,
 * glyphs and images (clipped or not) and the background, 3 % for soft shadows and glass; exits
 * with 1 when a record misses its goal, after a summary table per kind of record. {@code --cases}
 * draws only the cases named; {@code --png} writes the software pictures.
 */
final class ShaderCheck {
    private static final int GL_BACK = 0x0405;
    static final int[][] SIZES = {{400, 300}, {401, 301}};
    static final float[] SIGMAS = {0f, 3f, 8f, 16f, 32f};
    static final float UI_W = 200f, UI_H = 150f;
    private static final double SHADOW_MEAN_LIMIT = 0.01, SHADOW_MAX_LIMIT = 6;

    /** Geometry of a shadow whose error is measured against an exact Gaussian. */
    record Shadow(float x, float y, float w, float h, float[] radii, float[] smoothing, float blur, float spread,
            float dx, float dy, boolean knockout) {
        Corners corners() {
            return Corners.of(radii[0], radii[1], radii[2], radii[3])
                    .smoothing(smoothing[0], smoothing[1], smoothing[2], smoothing[3]);
        }
    }

    /** One picture: a stream over a background; glass cases are drawn at every blur strength. */
    record Case(String name, boolean glass, boolean grid, boolean light, IntFunction<CommandBuffer> stream,
            Shadow shadow) {}

    private ShaderCheck() {}

    static int main(String[] args) throws Exception {
        if (args.length > 1 && args[1].equals("--software")) return SoftwareCheck.main(args);
        String[] before = sources(Path.of(args[1])), after = sources(Path.of(args[2]));
        int tolerance = 2;
        Path png = null;
        for (int i = 3; i + 1 < args.length; i += 2) {
            if (args[i].equals("--tolerance")) tolerance = Integer.parseInt(args[i + 1]);
            else if (args[i].equals("--png")) png = Path.of(args[i + 1]);
            else throw new IllegalArgumentException("unknown option " + args[i]);
        }
        List<Case> cases = cases();
        boolean ok = true;
        for (int[] size : SIZES) {
            int width = size[0], height = size[1];
            Map<String, byte[]> a = drawAll(before, cases, width, height), b = drawAll(after, cases, width, height);
            for (Case c : cases) {
                for (float sigma : c.glass ? SIGMAS : new float[] {0f}) {
                    String key = c.name + " sigma " + Analyze.number(sigma);
                    byte[] x = a.get(key), y = b.get(key);
                    int max = 0, over = 0;
                    for (int i = 0; i < x.length; i++) {
                        int d = Math.abs((x[i] & 255) - (y[i] & 255));
                        max = Math.max(max, d);
                        if (d > 1) over++;
                    }
                    String line = String.format("%dx%d %s: largest difference %d, %d channel values differ by more than 1",
                            width, height, key, max, over);
                    boolean soft = c.shadow != null && c.shadow.blur / 2 * width / UI_W >= 0.5f;
                    if (soft) {
                        double[] exact = exactShadow(c.shadow, width, height);
                        double[] old = shadowError(x, exact, c.shadow, width, height);
                        double[] now = shadowError(y, exact, c.shadow, width, height);
                        line += String.format(" | against an exact Gaussian: old %.2f %% (%d), new %.2f %% (%d"
                                + " at %d, %d: %.0f drawn %.0f)", 100 * old[0], (int) old[1], 100 * now[0],
                                (int) now[1], (int) now[2], (int) now[3], now[4], now[5]);
                        if (now[0] > SHADOW_MEAN_LIMIT || now[1] > SHADOW_MAX_LIMIT) {
                            ok = false;
                            line += "  FAIL";
                        }
                    } else if (max > tolerance) {
                        ok = false;
                        line += "  FAIL";
                    }
                    System.out.println(line);
                    if (png != null) write(y, width, height, png.resolve("check-" + width + "x" + height + "-"
                            + key.replace(' ', '-') + ".png"));
                }
            }
        }
        return ok ? 0 : 1;
    }

    /** Every case, each drawn on its own over the background. */
    static List<Case> cases() {
        List<Case> out = new ArrayList<>();
        Corners round = Corners.of(8), squircle = Corners.of(10).smoothing(0.6f), mixed = Corners.of(0, 6, 12, 3)
                .smoothing(0f, 1f, 0.3f, 0.8f);
        out.add(new Case("fills", false, true, false, atlas -> new CommandBuffer()
                .fill(5, 5, 40, 30, round, 0xFFE04020).fill(50, 5, 40, 30, squircle, 0xC02080E0)
                .fill(95, 5, 40, 30, mixed, 0x9040C060).fill(140, 5, 50, 12, Corners.NONE, 0xFFFFFFFF)
                .fill(20, 60, 160, 80, Corners.of(40).smoothing(1f), 0x80FFC040), null));
        out.add(new Case("fill feather spread dither", false, true, false, atlas -> {
            CommandBuffer c = new CommandBuffer().fill(20, 20, 60, 40, round, 0xC080E0FF);
            grow(set(set(set(c, CommandBuffer.SLOT_FEATHER, 4f), CommandBuffer.SLOT_SPREAD, 3f),
                    CommandBuffer.SLOT_DITHER, 2f), 7f);
            c.fill(110, 20, 60, 40, squircle, 0xFFFF8040);
            set(set(c, CommandBuffer.SLOT_SPREAD, -4f), CommandBuffer.SLOT_FEATHER, 1f);
            c.fill(40, 80, 100, 50, mixed, 0xFF40FF80);
            return set(c, CommandBuffer.SLOT_KIND, 12f);
        }, null));
        out.add(new Case("strokes", false, true, false, atlas -> {
            CommandBuffer c = new CommandBuffer()
                    .stroke(5, 42, 40, 25, round, 3f, CommandBuffer.STROKE_INSIDE, 0xFF30D0F0)
                    .stroke(50, 42, 40, 25, squircle, 2.5f, CommandBuffer.STROKE_CENTRED, 0xC0F0F040)
                    .stroke(95, 42, 40, 25, mixed, 2f, CommandBuffer.STROKE_OUTSIDE, 0xFFFF60A0)
                    .stroke(20, 90, 150, 45, Corners.of(20).smoothing(1f), 6f, CommandBuffer.STROKE_CENTRED,
                            0xFFFFFFFF);
            return grow(set(set(set(c, CommandBuffer.SLOT_SPREAD, 2f), CommandBuffer.SLOT_FEATHER, 1.5f),
                    CommandBuffer.SLOT_DITHER, 3f), 4f);
        }, null));
        out.add(new Case("shadow sharp", false, true, false, atlas -> {
            CommandBuffer c = new CommandBuffer().shadow(145, 70, 40, 25, squircle, 0.2f, 1f, 0f, 0f, false, 0xFF102030)
                    .shadow(20, 20, 60, 40, mixed, 0.1f, 2f, 3f, 3f, true, 0xC0FFFFFF);
            return grow(set(set(c, CommandBuffer.SLOT_FEATHER, 2f), CommandBuffer.SLOT_DITHER, 2f), 2f);
        }, null));
        shadow(out, "shadow round", new Shadow(70, 50, 60, 40, all(8), all(0), 10f, 2f, 3f, 4f, false));
        shadow(out, "shadow sharp corners", new Shadow(60, 45, 80, 50, all(0), all(0), 8f, 0f, 0f, 0f, false));
        shadow(out, "shadow mixed corners knockout",
                new Shadow(60, 45, 80, 50, new float[] {0, 6, 12, 3}, new float[] {0, 1, 0.3f, 0.8f}, 6f, -1f, 2f,
                        2f, true));
        shadow(out, "shadow squircle", new Shadow(55, 40, 90, 60, all(14), all(1), 12f, 0f, 0f, 6f, false));
        shadow(out, "shadow narrow", new Shadow(85, 65, 30, 12, all(4), all(0), 20f, 0f, 0f, 0f, false));
        shadow(out, "shadow large radius", new Shadow(50, 35, 100, 70, all(30), all(0.5f), 4f, 4f, -2f, 0f, false));
        shadow(out, "shadow wide blur", new Shadow(40, 40, 120, 70, all(10), all(0), 40f, 0f, 0f, 0f, false));
        out.add(new Case("clips and text", false, true, false, atlas -> {
            CommandBuffer c = new CommandBuffer().pushClip(60, 75, 70, 60, Corners.of(14).smoothing(0.5f), 1.5f)
                    .pushClip(70, 65, 80, 50, round);
            set(c, CommandBuffer.SLOT_SPREAD, 2f);
            c.fill(55, 70, 90, 70, Corners.NONE, 0xFF8060C0)
                    .glyph(75, 80, 24, 24, atlas, 0f, 0f, 1f, 1f, 0xFFFFF0A0)
                    .image(100, 80, 24, 24, atlas, 0f, 0f, 1f, 1f, Corners.of(6).smoothing(0.4f), 0.9f)
                    .stroke(62, 78, 60, 40, round, 2f, CommandBuffer.STROKE_CENTRED, 0xFFFFFFFF)
                    .shadow(80, 100, 30, 20, round, 0.2f, 0f, 2f, 2f, true, 0xC0000000)
                    .popClip().popClip()
                    .glyph(10, 10, 40, 40, atlas, 0f, 0f, 1f, 1f, 0xFF80FFFF)
                    .image(150, 10, 40, 30, atlas, 0.25f, 0.25f, 0.75f, 0.75f, Corners.NONE, 1f)
                    .image(150, 50, 40, 30, atlas, 0f, 0f, 1f, 1f, mixed, 1f);
            return set(c, CommandBuffer.SLOT_FEATHER, 2f);
        }, null));
        out.add(new Case("32 nested clips", false, true, false, atlas -> {
            CommandBuffer c = new CommandBuffer();
            for (int i = 0; i < 32; i++) {
                c.pushClip(5 + 1.5f * i, 5 + i, 190 - 3 * i, 140 - 2 * i,
                        Corners.of(4 + i, 30 - i / 2f, 6, i).smoothing(i / 31f), i % 4 == 0 ? 1f : 0f);
            }
            c.fill(0, 0, 200, 150, Corners.NONE, 0xC0FF8060).glyph(60, 40, 80, 70, atlas, 0, 0, 1, 1, 0xFFFFFFFF)
                    .glass(70, 50, 60, 50, Corners.of(8), Glass.DEFAULT);
            for (int i = 0; i < 32; i++) c.popClip();
            return c;
        }, null));
        out.add(new Case("glass", true, true, false, atlas -> grow(set(set(new CommandBuffer()
                .fill(40, 40, 60, 60, Corners.of(30), 0xFFFF4080)
                .glass(20, 100, 90, 40, Corners.of(12).smoothing(0.6f), Glass.DEFAULT).refreshBackdrop()
                .glass(95, 110, 70, 35, Corners.of(10), Glass.DEFAULT.withTint(0x80C0FF, 0.2f).withFrost(0.6f))
                .glass(10, 10, 100, 70, mixed, Glass.DEFAULT.withBevel(12f, 20f, 0.3f))
                .pushClip(150, 100, 45, 45, Corners.of(20))
                .glass(140, 95, 60, 50, Corners.NONE, Glass.DEFAULT.withBevel(8f, -10f, 0.5f)).popClip()
                .glass(120, 10, 70, 60, Corners.of(16), Glass.DEFAULT.withFrost(0f))
                .glass(55, 55, 50, 35, squircle, Glass.DEFAULT.withOpacity(0.6f).withSaturation(-1f).withSheen(0f)
                        .withLight(0xFFFFE0A0, 0x80002040, 3f))
                .glass(150, 60, 40, 30, round, Glass.DEFAULT.withSaturation(1f)), CommandBuffer.SLOT_FEATHER, 3f),
                CommandBuffer.SLOT_SPREAD, 2f), 5f), null));
        out.add(new Case("background light grid", false, true, true, atlas -> new CommandBuffer(), null));
        out.add(new Case("background dark", false, false, false, atlas -> new CommandBuffer(), null));
        return out;
    }

    private static float[] all(float v) {
        return new float[] {v, v, v, v};
    }

    /** A soft shadow in white over an opaque black fill: the picture is its alpha. */
    private static void shadow(List<Case> out, String name, Shadow s) {
        out.add(new Case(name, false, false, false, atlas -> {
            CommandBuffer c = new CommandBuffer().fill(0, 0, UI_W, UI_H, Corners.NONE, 0xFF000000);
            return c.shadow(s.x, s.y, s.w, s.h, s.corners(), s.blur, s.spread, s.dx, s.dy, s.knockout, 0xFFFFFFFF);
        }, s));
    }

    /** Sets one slot of the last record written. */
    private static CommandBuffer set(CommandBuffer c, int slot, float value) {
        c.buffer().put((c.count() - 1) * 64 + slot, value);
        return c;
    }

    /** Grows the scissor bounds of the last record by d on every side (for slots set after writing). */
    private static CommandBuffer grow(CommandBuffer c, float d) {
        int at = (c.count() - 1) * 64 + CommandBuffer.SLOT_BOUNDS;
        var b = c.buffer();
        b.put(at, b.get(at) - d).put(at + 1, b.get(at + 1) - d).put(at + 2, b.get(at + 2) + 2 * d)
                .put(at + 3, b.get(at + 3) + 2 * d);
        return c;
    }

    // ---- exact reference of a soft shadow ----

    /** Whether the UI point (x, y) lies inside the rounded box, with the corner geometry of the records. */
    private static boolean inside(double x, double y, double cx, double cy, double hx, double hy, double[] radius,
            double[] smoothing) {
        double px = x - cx, py = y - cy;
        int corner = py < 0 ? (px < 0 ? 0 : 1) : (px < 0 ? 3 : 2);
        double n = 2 + 2 * Math.min(Math.max(smoothing[corner], 0), 1);
        double re = Math.min(Math.max(radius[corner], 0) * (1 - Math.sqrt(0.5)) / (1 - Math.pow(2, -1 / n)),
                Math.max(Math.min(hx, hy), 0));
        double qx = Math.abs(px) - hx + re, qy = Math.abs(py) - hy + re;
        if (qx <= 0 || qy <= 0) return Math.max(qx, qy) - re <= 0;
        return Math.pow(qx, n) + Math.pow(qy, n) <= Math.pow(re, n);
    }

    /** Area coverage (8 x 8 samples) per pixel of a rounded box, rows top first. */
    private static double[] coverage(double cx, double cy, double hx, double hy, double[] radius, double[] smoothing,
            int width, int height) {
        double sx = width / UI_W, sy = height / UI_H;
        double[] out = new double[width * height];
        int n = 8;
        for (int py = 0; py < height; py++) {
            for (int px = 0; px < width; px++) {
                double ux = px / sx, uy = py / sy;
                if (ux + 1 / sx < cx - hx || ux > cx + hx || uy + 1 / sy < cy - hy || uy > cy + hy) continue;
                int in = 0;
                for (int j = 0; j < n; j++) {
                    for (int i = 0; i < n; i++) {
                        if (inside((px + (i + 0.5) / n) / sx, (py + (j + 0.5) / n) / sy, cx, cy, hx, hy, radius,
                                smoothing)) in++;
                    }
                }
                out[py * width + px] = in / (double) (n * n);
            }
        }
        return out;
    }

    /** The shadow's alpha per pixel (rows top first): its shape's coverage blurred by an exact Gaussian. */
    static double[] exactShadow(Shadow s, int width, int height) {
        double[] radius = new double[4], smoothing = new double[4];
        for (int i = 0; i < 4; i++) {
            radius[i] = s.radii[i] > 0.001f ? Math.max(s.radii[i] + s.spread, 0) : 0;
            smoothing[i] = s.smoothing[i];
        }
        double hx = Math.max(s.w / 2.0 + s.spread, 0), hy = Math.max(s.h / 2.0 + s.spread, 0);
        double[] cover = coverage(s.x + s.w / 2.0 + s.dx, s.y + s.h / 2.0 + s.dy, hx, hy, radius, smoothing, width,
                height);
        double sigma = s.blur / 2.0;
        double[] blurred = blur(cover, width, height, sigma * width / UI_W, true);
        blurred = blur(blurred, width, height, sigma * height / UI_H, false);
        if (s.knockout) {
            double[] caster = coverage(s.x + s.w / 2.0, s.y + s.h / 2.0, s.w / 2.0, s.h / 2.0, toDouble(s.radii),
                    toDouble(s.smoothing), width, height);
            // The renderer fades the knockout over one pixel from the distance to the edge, the
            // reference by area: pixels on the caster's edge and next to it (marked negative)
            // count towards the mean only.
            for (int i = 0; i < blurred.length; i++) blurred[i] *= 1 - caster[i];
            for (int y = 0; y < height; y++) {
                for (int x = 0; x < width; x++) {
                    if (caster[y * width + x] <= 0 || caster[y * width + x] >= 1) continue;
                    for (int j = Math.max(0, y - 1); j <= Math.min(height - 1, y + 1); j++) {
                        for (int i = Math.max(0, x - 1); i <= Math.min(width - 1, x + 1); i++) {
                            if (blurred[j * width + i] >= 0) blurred[j * width + i] = -1 - blurred[j * width + i];
                        }
                    }
                }
            }
        }
        return blurred;
    }

    private static double[] toDouble(float[] v) {
        double[] out = new double[v.length];
        for (int i = 0; i < v.length; i++) out[i] = v[i];
        return out;
    }

    /**
     * One direction of a Gaussian blur of sigma pixels: each pixel's weight is the Gaussian's integral
     * over that pixel, seen from the centre of the output pixel; outside the image is 0.
     */
    private static double[] blur(double[] in, int width, int height, double sigma, boolean alongX) {
        int reach = (int) Math.ceil(6 * sigma) + 1;
        double[] weights = new double[2 * reach + 1];
        for (int k = -reach; k <= reach; k++) {
            weights[k + reach] = 0.5 * (erf((k + 0.5) / (sigma * Math.sqrt(2)))
                    - erf((k - 0.5) / (sigma * Math.sqrt(2))));
        }
        double[] out = new double[in.length];
        int length = alongX ? width : height, lines = alongX ? height : width;
        for (int line = 0; line < lines; line++) {
            for (int i = 0; i < length; i++) {
                double sum = 0;
                for (int k = Math.max(-reach, -i); k <= Math.min(reach, length - 1 - i); k++) {
                    int j = i + k;
                    sum += weights[k + reach] * in[alongX ? line * width + j : j * width + line];
                }
                out[alongX ? line * width + i : i * width + line] = sum;
            }
        }
        return out;
    }

    /** erf with an absolute error below 1.5e-7 (Abramowitz and Stegun 7.1.26). */
    private static double erf(double x) {
        double t = 1 / (1 + 0.3275911 * Math.abs(x));
        double y = 1 - t * (0.254829592 + t * (-0.284496736 + t * (1.421413741 + t * (-1.453152027 + t * 1.061405429))))
                * Math.exp(-x * x);
        return Math.copySign(y, x);
    }

    /**
     * Mean absolute difference (fraction of full scale) and largest difference (steps) of the red
     * channel of a picture (rows bottom first) from the exact alpha, over the shadow's quad.
     */
    private static double[] shadowError(byte[] rgba, double[] exact, Shadow s, int width, int height) {
        double sx = width / UI_W, sy = height / UI_H;
        double pad = 2 + Math.max(s.spread, 0) + 1.5 * s.blur;
        int x0 = (int) Math.max(0, Math.floor((s.x + s.dx - pad) * sx));
        int x1 = (int) Math.min(width, Math.ceil((s.x + s.dx + s.w + pad) * sx));
        int y0 = (int) Math.max(0, Math.floor((s.y + s.dy - pad) * sy));
        int y1 = (int) Math.min(height, Math.ceil((s.y + s.dy + s.h + pad) * sy));
        double sum = 0, max = 0;
        int mx = 0, my = 0;
        for (int y = y0; y < y1; y++) {
            for (int x = x0; x < x1; x++) {
                double got = rgba[4 * ((height - 1 - y) * width + x)] & 255;
                double e = exact[y * width + x];
                double d = Math.abs(got - 255 * (e < 0 ? -1 - e : e));
                sum += d;
                if (e >= 0 && d > max) {
                    max = d;
                    mx = x;
                    my = y;
                }
            }
        }
        return new double[] {sum / 255 / ((double) (x1 - x0) * (y1 - y0)), Math.round(max), mx, my,
            255 * exact[my * width + mx], rgba[4 * ((height - 1 - my) * width + mx)] & 255};
    }

    // ---- drawing ----

    static void write(byte[] rgba, int width, int height, Path file) throws IOException {
        BufferedImage image = new BufferedImage(width, height, BufferedImage.TYPE_INT_RGB);
        for (int y = 0; y < height; y++) {
            for (int x = 0; x < width; x++) {
                int at = 4 * ((height - 1 - y) * width + x);
                image.setRGB(x, y, (rgba[at] & 255) << 16 | (rgba[at + 1] & 255) << 8 | rgba[at + 2] & 255);
            }
        }
        if (!ImageIO.write(image, "png", file.toFile())) throw new IOException("no PNG writer");
    }

    static String[] sources(Path dir) throws IOException {
        String[] files = {"fullscreen.vert", "background.frag", "blur.frag", "record.vert", "glass.frag",
            "shape.frag", "text.frag"};
        String[] out = new String[files.length];
        for (int i = 0; i < files.length; i++) out[i] = Files.readString(dir.resolve(files[i]), StandardCharsets.UTF_8);
        return out;
    }

    /** Opens a window with the sources, draws every case and returns the RGBA pixels of each. */
    static Map<String, byte[]> drawAll(String[] sources, List<Case> cases, int width, int height)
            throws Exception {
        Frame window = OmbrelFrames.openWindow("shader check", width, height, sources);
        Map<String, byte[]> out = new LinkedHashMap<>();
        try {
            int atlas = atlas();
            for (Case c : cases) {
                for (float sigma : c.glass ? SIGMAS : new float[] {0f}) {
                    NativeGpu.background(width, height, 2.5f, c.grid, c.light, 0x203040, 0xFF8040);
                    c.stream.apply(atlas).submit(0, GL_BACK, width, height, UI_W, UI_H, sigma, 120f, 40f);
                    ByteBuffer pixels = ByteBuffer.allocateDirect(width * height * 4);
                    NativeGpu.readPixels(width, height, pixels);
                    byte[] rgba = new byte[pixels.capacity()];
                    pixels.get(rgba);
                    out.put(c.name + " sigma " + Analyze.number(sigma), rgba);
                }
            }
            NativeGpu.deleteTexture(atlas);
            int error = NativeGpu.glError();
            if (error != 0) throw new IllegalStateException("GL error 0x" + Integer.toHexString(error));
            return out;
        } finally {
            NativeGpu.close();
            window.dispose();
        }
    }

    /** A 16 x 16 atlas: a colour ramp with an opaque disc and a transparent ring. */
    private static int atlas() {
        int texture = NativeGpu.createTexture(ATLAS_SIZE, ATLAS_SIZE);
        NativeGpu.upload(texture, 0, 0, ATLAS_SIZE, ATLAS_SIZE, atlasPixels());
        return texture;
    }

    static final int ATLAS_SIZE = 16;

    /** The RGBA texels of the atlas, row 0 first. */
    static ByteBuffer atlasPixels() {
        int size = ATLAS_SIZE;
        ByteBuffer rgba = ByteBuffer.allocateDirect(size * size * 4);
        for (int y = 0; y < size; y++) {
            for (int x = 0; x < size; x++) {
                int dx = 2 * x - 15, dy = 2 * y - 15, d2 = dx * dx + dy * dy;
                rgba.put((byte) (x * 17)).put((byte) (y * 17)).put((byte) (d2 < 100 ? 255 : 64))
                        .put((byte) (d2 < 100 ? 255 : d2 < 196 ? 0 : 128));
            }
        }
        return rgba.flip();
    }
}
