package marlith.sdk.ui.demo;

import java.awt.Color;
import java.awt.Graphics2D;
import java.awt.Rectangle;
import java.awt.font.FontRenderContext;
import java.awt.font.GlyphVector;
import java.awt.image.BufferedImage;
import java.nio.ByteBuffer;
import java.util.ArrayList;
import java.util.EnumMap;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import marlith.sdk.ui.render.NativeGpu;

/**
 * Whole lines of text, each rasterised once by Java2D (white, coverage in alpha) into a region of
 * an atlas texture, so that a line costs one text record instead of one per glyph. A line is
 * drawn glyph by glyph at whole-pixel pen positions with whole-pixel advances, as a glyph atlas
 * would place them, and the glyphs' coverages are composited "over" each other as their records
 * would be on the screen. Lines are cached by type and string, not colour: the record's ink
 * colours the mask.
 *
 * <p>Regions are packed in shelves on a page (one texture). A page that fills up mid-frame is
 * kept, for the records that already point into it, and a new one is opened; {@link #frameStarted}
 * deletes pages no record can use any more and starts over on a page once it is mostly full,
 * so that lines which change every frame (counters) cannot exhaust it. Each region keeps a
 * transparent border of one texel, so that linear filtering at whole-pixel positions never
 * reaches a neighbour.
 */
final class RunAtlas {
    /** The characters lines may hold; others are drawn as '?'. */
    static final String CHARS = printableAscii() + "·×—•…°";

    static final int PAGE = 1024;
    private static final int PAD = 1;
    // A page more than this full is cleared at the start of a frame.
    private static final int REFILL = PAGE * 3 / 4;

    /**
     * A line in the atlas: its quad (dx, dy, width, height) relative to the pen at the baseline,
     * in pixels, and the region of texture {@code texture} it shows.
     */
    record Run(int dx, int dy, int width, int height, int texture, float u0, float v0, float u1, float v1) {}

    private static final class Page {
        final int texture = NativeGpu.createTexture(PAGE, PAGE);
        final List<int[]> shelves = new ArrayList<>(); // y, height, x used
        int bottom;
    }

    private final FontRenderContext frc;
    private final Map<Type, GlyphVector[]> glyphs = new EnumMap<>(Type.class);
    private final Map<Type, Map<String, Run[]>> runs = new EnumMap<>(Type.class);
    private final List<Page> pages = new ArrayList<>();
    private Page page;

    RunAtlas() {
        Graphics2D probe = new BufferedImage(1, 1, BufferedImage.TYPE_INT_ARGB).createGraphics();
        Type.applyHints(probe);
        frc = probe.getFontRenderContext();
        probe.dispose();
        for (Type type : Type.values()) {
            GlyphVector[] shapes = new GlyphVector[CHARS.length()];
            for (int i = 0; i < shapes.length; i++) shapes[i] = type.font.createGlyphVector(frc, CHARS.substring(i, i + 1));
            glyphs.put(type, shapes);
            runs.put(type, new HashMap<>());
        }
        page = new Page();
        pages.add(page);
    }

    /**
     * The pieces of a line, left to right, each placed relative to the line's own pen; empty for
     * a line that covers no pixel. A line wider than a page comes in several pieces.
     */
    Run[] runs(Type type, String text) {
        Run[] found = runs.get(type).get(text);
        if (found == null) {
            found = rasterise(type, text, 0);
            runs.get(type).put(text, found);
        }
        return found;
    }

    /**
     * Call before a frame's records are written, once the previous frame's records have been
     * submitted: deletes the pages filled up before the current one and clears the current one
     * when it is mostly used.
     */
    void frameStarted() {
        if (pages.size() == 1 && page.bottom <= REFILL) return;
        for (Page p : pages) if (p != page) NativeGpu.deleteTexture(p.texture);
        pages.clear();
        pages.add(page);
        page.shelves.clear();
        page.bottom = 0;
        for (Map<String, Run[]> cached : runs.values()) cached.clear();
    }

    void delete() {
        for (Page p : pages) NativeGpu.deleteTexture(p.texture);
        pages.clear();
    }

    // The pieces of the line from character index `from` on, placed relative to the pen at `from`.
    private Run[] rasterise(Type type, String text, int from) {
        GlyphVector[] shapes = glyphs.get(type);
        Rectangle bounds = new Rectangle();
        int[] at = new int[text.length()];
        int pen = 0, end = from;
        for (; end < text.length(); end++) {
            GlyphVector gv = shapes[index(text.charAt(end))];
            Rectangle b = gv.getPixelBounds(frc, pen, 0);
            if (!b.isEmpty()) {
                Rectangle grown = bounds.isEmpty() ? b : bounds.union(b);
                if (grown.width + 2 * PAD > PAGE && end > from) break;
                bounds = grown;
            }
            at[end] = pen;
            pen += type.metrics.charWidth(CHARS.charAt(index(text.charAt(end))));
        }
        List<Run> pieces = new ArrayList<>();
        if (!bounds.isEmpty()) pieces.add(place(type, text, from, end, at, bounds));
        if (end < text.length()) {
            for (Run r : rasterise(type, text, end)) {
                pieces.add(new Run(r.dx + pen, r.dy, r.width, r.height, r.texture, r.u0, r.v0, r.u1, r.v1));
            }
        }
        return pieces.toArray(new Run[0]);
    }

    // Draws characters [from, end) at their pen offsets into a new region and uploads it.
    private Run place(Type type, String text, int from, int end, int[] at, Rectangle bounds) {
        int w = Math.min(bounds.width + 2 * PAD, PAGE), h = Math.min(bounds.height + 2 * PAD, PAGE);
        int[] spot = allocate(w, h);
        BufferedImage image = new BufferedImage(w, h, BufferedImage.TYPE_INT_ARGB);
        Graphics2D g = image.createGraphics();
        Type.applyHints(g);
        g.setColor(Color.WHITE);
        GlyphVector[] shapes = glyphs.get(type);
        for (int i = from; i < end; i++) {
            g.drawGlyphVector(shapes[index(text.charAt(i))], at[i] + PAD - bounds.x, PAD - bounds.y);
        }
        g.dispose();
        NativeGpu.upload(page.texture, spot[0], spot[1], w, h, rgba(image));
        return new Run(bounds.x - PAD, bounds.y - PAD, w, h, page.texture, (float) spot[0] / PAGE,
                (float) spot[1] / PAGE, (float) (spot[0] + w) / PAGE, (float) (spot[1] + h) / PAGE);
    }

    // The top-left corner of a free w × h region: on the first shelf it fits without wasting
    // more than a quarter of the shelf's height, else on a new shelf, else on a new page.
    private int[] allocate(int w, int h) {
        for (int[] shelf : page.shelves) {
            if (shelf[1] >= h && shelf[1] - h <= shelf[1] / 4 && shelf[2] + w <= PAGE) {
                shelf[2] += w;
                return new int[] {shelf[2] - w, shelf[0]};
            }
        }
        if (page.bottom + h > PAGE) {
            page = new Page();
            pages.add(page);
        }
        page.shelves.add(new int[] {page.bottom, h, w});
        page.bottom += h;
        return new int[] {0, page.bottom - h};
    }

    private static int index(char c) {
        int i = CHARS.indexOf(c);
        return i >= 0 ? i : CHARS.indexOf('?');
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
