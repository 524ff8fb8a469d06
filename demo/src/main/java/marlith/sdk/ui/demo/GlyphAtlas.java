package marlith.sdk.ui.demo;

import java.awt.Color;
import java.awt.Graphics2D;
import java.awt.Rectangle;
import java.awt.font.FontRenderContext;
import java.awt.font.GlyphVector;
import java.awt.image.BufferedImage;
import java.nio.ByteBuffer;
import marlith.sdk.ui.render.NativeGpu;

/**
 * The glyphs of every {@link Type}, rasterised once by Java2D (white, coverage in alpha) into one
 * RGBA texture. Each glyph keeps a transparent border of one texel, so that linear filtering at
 * whole-pixel positions never reaches a neighbour.
 */
final class GlyphAtlas {
    /** The characters the atlas holds; others are drawn as '?'. */
    static final String CHARS = printableAscii() + "·×—•…°";

    private static final int WIDTH = 512;
    private static final int PAD = 1;

    /** Where a glyph lies in the atlas and how it sits on the baseline, in pixels. */
    record Glyph(int dx, int dy, int width, int height, int advance, float u0, float v0, float u1, float v1) {}

    final int texture;
    private final Glyph[][] glyphs = new Glyph[Type.values().length][CHARS.length()];

    GlyphAtlas() {
        BufferedImage image = rasterise();
        texture = NativeGpu.createTexture(image.getWidth(), image.getHeight());
        NativeGpu.upload(texture, 0, 0, image.getWidth(), image.getHeight(), rgba(image));
    }

    Glyph glyph(Type type, char c) {
        int i = CHARS.indexOf(c);
        return glyphs[type.ordinal()][i >= 0 ? i : CHARS.indexOf('?')];
    }

    void delete() {
        NativeGpu.deleteTexture(texture);
    }

    // Packs the glyphs in rows (shelves) and draws them into an image just tall enough.
    private BufferedImage rasterise() {
        Graphics2D probe = new BufferedImage(1, 1, BufferedImage.TYPE_INT_ARGB).createGraphics();
        Type.applyHints(probe);
        FontRenderContext frc = probe.getFontRenderContext();
        probe.dispose();

        GlyphVector[][] shapes = new GlyphVector[glyphs.length][CHARS.length()];
        Rectangle[][] bounds = new Rectangle[glyphs.length][CHARS.length()];
        int[][] at = new int[glyphs.length * CHARS.length()][];
        int x = 0, y = 0, shelf = 0, n = 0;
        for (Type type : Type.values()) {
            for (int i = 0; i < CHARS.length(); i++) {
                GlyphVector gv = type.font.createGlyphVector(frc, CHARS.substring(i, i + 1));
                Rectangle b = gv.getPixelBounds(frc, 0, 0);
                shapes[type.ordinal()][i] = gv;
                bounds[type.ordinal()][i] = b;
                int w = b.width + 2 * PAD, h = b.height + 2 * PAD;
                if (x + w > WIDTH) {
                    x = 0;
                    y += shelf;
                    shelf = 0;
                }
                at[n++] = new int[] {x, y};
                x += w;
                shelf = Math.max(shelf, h);
            }
        }
        int height = y + shelf;

        BufferedImage image = new BufferedImage(WIDTH, height, BufferedImage.TYPE_INT_ARGB);
        Graphics2D g = image.createGraphics();
        Type.applyHints(g);
        g.setColor(Color.WHITE);
        n = 0;
        for (Type type : Type.values()) {
            int t = type.ordinal();
            for (int i = 0; i < CHARS.length(); i++) {
                Rectangle b = bounds[t][i];
                int cx = at[n][0], cy = at[n][1];
                n++;
                g.drawGlyphVector(shapes[t][i], cx + PAD - b.x, cy + PAD - b.y);
                int w = b.isEmpty() ? 0 : b.width + 2 * PAD, h = b.isEmpty() ? 0 : b.height + 2 * PAD;
                glyphs[t][i] = new Glyph(b.x - PAD, b.y - PAD, w, h, type.metrics.charWidth(CHARS.charAt(i)),
                        (float) cx / WIDTH, (float) cy / height, (float) (cx + w) / WIDTH, (float) (cy + h) / height);
            }
        }
        g.dispose();
        return image;
    }

    // Straight RGBA bytes, top row first: the first uploaded row is v = 0.
    private static ByteBuffer rgba(BufferedImage image) {
        int w = image.getWidth(), h = image.getHeight();
        int[] argb = image.getRGB(0, 0, w, h, null, 0, w);
        ByteBuffer bytes = ByteBuffer.allocateDirect(w * h * 4);
        for (int p : argb) {
            bytes.put((byte) (p >> 16)).put((byte) (p >> 8)).put((byte) p).put((byte) (p >>> 24));
        }
        return bytes.flip();
    }

    private static String printableAscii() {
        StringBuilder s = new StringBuilder();
        for (char c = ' '; c <= '~'; c++) s.append(c);
        return s.toString();
    }
}
