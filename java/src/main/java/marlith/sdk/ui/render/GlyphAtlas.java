package marlith.sdk.ui.render;

import java.awt.Color;
import java.awt.Font;
import java.awt.Graphics2D;
import java.awt.Rectangle;
import java.awt.RenderingHints;
import java.awt.font.FontRenderContext;
import java.awt.font.GlyphVector;
import java.awt.image.BufferedImage;
import java.awt.image.DataBufferInt;
import java.nio.ByteBuffer;
import java.util.ArrayList;
import java.util.Collections;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.Set;
import java.util.WeakHashMap;

/**
 * Text for {@link CommandBuffer#text}: the glyphs of one font, rasterised by Java2D with the given
 * anti-aliasing and metrics hints, packed into textures made with {@link
 * RenderSession#createTexture(int, int)} and filled with {@link RenderSession#upload}. Text drawn through an atlas shows the same pixels as
 * {@link Graphics2D#drawString} with the same font and hints at the same whole-unit position, at
 * one pixel per UI unit.
 *
 * <p>Glyphs of the characters named at construction are rasterised then; any other character is
 * rasterised the first time it is drawn, so the atlas grows on demand. A character the font cannot
 * display is drawn as Java2D draws it, with the font's missing glyph. Textures are made on first
 * use, so an atlas may be built before a session is open but draws only through an open one.
 *
 * <p>Texture pages are {@code pageSize} texels square and filled in shelves; a new page is added
 * when one is full. By default a whole line of text is also kept as one region, so that a line
 * costs one text record however many glyphs it has (draws are what a software rasteriser pays
 * for). A line wider than a page comes in page-wide pieces. Line regions are dropped and their
 * pages reused once no {@link CommandBuffer} holds records that point into them: a buffer holds
 * them from its first {@code text} call until its next {@link CommandBuffer#clear()} (or until it
 * is garbage). While buffers hold them and {@value #MAX_LINE_PAGES} pages are full, further new
 * lines are drawn glyph by glyph, which is always possible.
 *
 * <p>An atlas belongs to the {@link RenderSession} that was open when it made its first texture,
 * and draws through no other: text with another session open, or after its session closed,
 * raises {@link IllegalStateException}. {@link #close()} it on the session's thread before the
 * session closes. Not thread-safe; use it on the session's thread.
 */
public final class GlyphAtlas implements AutoCloseable {
    /** The characters from space to tilde. */
    public static final String PRINTABLE_ASCII = printableAscii();

    /** Side of a texture page when none is given. */
    public static final int DEFAULT_PAGE_SIZE = 1024;

    /** Pages of lines the atlas keeps while command buffers hold records pointing into them. */
    public static final int MAX_LINE_PAGES = 8;

    // Transparent texels around every region, so that linear filtering at
    // whole-pixel positions never reaches a neighbour.
    private static final int PAD = 1;

    /** A glyph's coverage: {@code alpha} is width × height, placed at (dx, dy) from the pen. */
    private static final class Glyph {
        final int dx, dy, width, height;
        final byte[] alpha;
        Region region; // on a glyph page, once drawn glyph by glyph

        Glyph(int dx, int dy, int width, int height, byte[] alpha) {
            this.dx = dx;
            this.dy = dy;
            this.width = width;
            this.height = height;
            this.alpha = alpha;
        }
    }

    /** A rectangle of a page and where it goes relative to the pen, in pixels. */
    private static final class Region {
        final int dx, dy, width, height, texture;
        final float u0, v0, u1, v1;

        Region(int dx, int dy, int width, int height, int texture, float u0, float v0, float u1, float v1) {
            this.dx = dx;
            this.dy = dy;
            this.width = width;
            this.height = height;
            this.texture = texture;
            this.u0 = u0;
            this.v0 = v0;
            this.u1 = u1;
            this.v1 = v1;
        }
    }

    /** Texture pages filled in shelves: each shelf is {y, height, x used}. */
    private final class Pages {
        final List<Integer> textures = new ArrayList<>();
        final List<int[]> shelves = new ArrayList<>();
        int bottom;

        // A free width × height rectangle {x, y} of the last page, on the first shelf that fits
        // it without wasting more than a quarter of the shelf's height, else on a new shelf, else
        // on a new page when fewer than `limit` exist; null when there is no room.
        int[] place(int width, int height, int limit) {
            for (int[] shelf : shelves) {
                if (shelf[1] >= height && shelf[1] - height <= shelf[1] / 4 && shelf[2] + width <= pageSize) {
                    shelf[2] += width;
                    return new int[] {shelf[2] - width, shelf[0]};
                }
            }
            if (textures.isEmpty() || bottom + height > pageSize) {
                if (textures.size() >= limit) return null;
                textures.add(session().createTexture(pageSize, pageSize));
                shelves.clear();
                bottom = 0;
            }
            shelves.add(new int[] {bottom, height, width});
            bottom += height;
            return new int[] {0, bottom - height};
        }

        int texture() {
            return textures.get(textures.size() - 1);
        }

        boolean mostlyUsed() {
            return textures.size() > 1 || bottom > pageSize * 3 / 4;
        }

        // Keeps the last page, empty; deletes the others.
        void restart() {
            for (int i = 0; i < textures.size() - 1; i++) session.deleteTexture(textures.get(i));
            if (textures.size() > 1) textures.subList(0, textures.size() - 1).clear();
            shelves.clear();
            bottom = 0;
        }

        // The textures went with a closed session; there is nothing left to delete.
        void delete() {
            if (session != null && session.isOpen()) for (int texture : textures) session.deleteTexture(texture);
            textures.clear();
            shelves.clear();
            bottom = 0;
        }
    }

    private final Font font;
    private final FontRenderContext frc;
    private final Object antialiasing, fractionalMetrics;
    private final int pageSize;
    private final Map<Integer, Glyph> glyphs = new HashMap<>();
    private final Pages glyphPages = new Pages(), linePages = new Pages();
    private final Map<String, Region[]> lines = new HashMap<>();
    private final Set<CommandBuffer> holders = Collections.newSetFromMap(new WeakHashMap<>());
    private boolean cacheLines = true, closed;
    private RenderSession session; // once the first texture is made
    private ByteBuffer scratch = ByteBuffer.allocateDirect(0);

    /**
     * Anti-aliased glyphs with whole-pixel advances, as Java2D draws text by default, printable
     * ASCII prepared, pages of {@value #DEFAULT_PAGE_SIZE}.
     *
     * @param font the font, with its size (one point per UI unit)
     * @throws IllegalArgumentException for a null font
     */
    public GlyphAtlas(Font font) {
        this(font, RenderingHints.VALUE_TEXT_ANTIALIAS_ON, RenderingHints.VALUE_FRACTIONALMETRICS_OFF,
                PRINTABLE_ASCII, DEFAULT_PAGE_SIZE);
    }

    /**
     * An atlas of {@code font}'s glyphs rasterised with the given hints.
     *
     * @param font the font, with its size (one point per UI unit) and any layout attributes, such
     *     as {@code TextAttribute.KERNING}, which the layout then applies as Java2D does
     * @param antialiasing a {@link RenderingHints#KEY_TEXT_ANTIALIASING} value: on, off, GASP (the
     *     font's own size table) or default; not the LCD values, as the atlas holds coverage only
     * @param fractionalMetrics a {@link RenderingHints#KEY_FRACTIONALMETRICS} value: off gives the
     *     hinted whole-pixel advances of Java2D's default text, on gives unhinted fractional ones
     * @param characters characters whose glyphs are rasterised now; others are on first use
     * @param pageSize side of each texture page in texels, at least 64; a glyph larger than a page
     *     cannot be drawn
     * @throws IllegalArgumentException for a null argument, an LCD or unknown hint value or a page
     *     below 64
     */
    public GlyphAtlas(Font font, Object antialiasing, Object fractionalMetrics, String characters, int pageSize) {
        Checks.notNull("font", font);
        Checks.notNull("antialiasing", antialiasing);
        Checks.notNull("fractionalMetrics", fractionalMetrics);
        Checks.notNull("characters", characters);
        if (!Set.of(RenderingHints.VALUE_TEXT_ANTIALIAS_ON, RenderingHints.VALUE_TEXT_ANTIALIAS_OFF,
                RenderingHints.VALUE_TEXT_ANTIALIAS_GASP, RenderingHints.VALUE_TEXT_ANTIALIAS_DEFAULT).contains(antialiasing)) {
            throw new IllegalArgumentException("antialiasing must be a text anti-aliasing hint other than LCD: "
                    + antialiasing);
        }
        if (!RenderingHints.KEY_FRACTIONALMETRICS.isCompatibleValue(fractionalMetrics)) {
            throw new IllegalArgumentException("fractionalMetrics must be a fractional metrics hint: " + fractionalMetrics);
        }
        if (pageSize < 64) throw new IllegalArgumentException("pageSize below 64: " + pageSize);
        this.font = font;
        this.antialiasing = antialiasing;
        this.fractionalMetrics = fractionalMetrics;
        this.pageSize = pageSize;
        frc = new FontRenderContext(null, antialiasing, fractionalMetrics);
        GlyphVector prepared = layout(characters);
        for (int i = 0; i < prepared.getNumGlyphs(); i++) glyph(prepared.getGlyphCode(i));
    }

    /**
     * The font the atlas draws.
     *
     * @return the font given at construction
     */
    public Font font() {
        return font;
    }

    /**
     * Sets on {@code g} the text hints this atlas rasterises with, so that Java2D's own text
     * matches what the atlas draws.
     *
     * @param g the graphics to set the hints on
     * @throws IllegalArgumentException for a null graphics
     */
    public void applyHints(Graphics2D g) {
        Checks.notNull("g", g);
        g.setRenderingHint(RenderingHints.KEY_TEXT_ANTIALIASING, antialiasing);
        g.setRenderingHint(RenderingHints.KEY_FRACTIONALMETRICS, fractionalMetrics);
    }

    /**
     * The advance of {@code text} as {@link CommandBuffer#text} lays it out.
     *
     * @param text one line
     * @return where the pen ends, in UI units, after drawing the line from 0
     * @throws IllegalArgumentException for a null text
     */
    public float width(String text) {
        Checks.notNull("text", text);
        GlyphVector laid = layout(text);
        return (float) laid.getGlyphPosition(laid.getNumGlyphs()).getX();
    }

    /**
     * The font's ascent.
     *
     * @return distance from the baseline up to the top of most glyphs, in UI units
     */
    public float ascent() {
        return font.getLineMetrics("", frc).getAscent();
    }

    /**
     * The font's descent.
     *
     * @return distance from the baseline down to the bottom of most glyphs, in UI units
     */
    public float descent() {
        return font.getLineMetrics("", frc).getDescent();
    }

    /**
     * Whether {@link CommandBuffer#text} keeps whole lines (on by default: one record per line)
     * or always writes one record per glyph (no line pages; for text that changes every frame).
     *
     * @param on whether to keep lines
     * @return this atlas
     */
    public GlyphAtlas cacheLines(boolean on) {
        cacheLines = on;
        return this;
    }

    /**
     * Deletes the atlas's textures through its session; after the session closed, only forgets
     * them. A closed atlas draws nothing more.
     *
     * @throws IllegalStateException when called on another thread than the session's
     */
    @Override
    public void close() {
        if (closed) return;
        glyphPages.delete();
        linePages.delete();
        closed = true;
        lines.clear();
        for (Glyph g : glyphs.values()) g.region = null;
    }

    // Writes the records of one line into `records`, the pen starting at (x, baseline)
    // rounded to whole units.
    void write(CommandBuffer records, float x, float baseline, String text, int argb) {
        if (closed) throw new IllegalStateException("the glyph atlas is closed");
        if (session != null) checkSession();
        int penX = Math.round(x), penY = Math.round(baseline);
        Region[] line = cacheLines ? line(records, text) : null;
        if (line != null) {
            if (line.length > 0 && holders.add(records)) records.hold(this);
            for (Region r : line) put(records, penX, penY, r, argb);
            return;
        }
        GlyphVector laid = layout(text);
        int[] at = positions(laid);
        for (int i = 0; i < laid.getNumGlyphs(); i++) {
            Glyph g = glyph(laid.getGlyphCode(i));
            if (g.alpha == null) continue;
            if (g.region == null) g.region = upload(glyphPages, Integer.MAX_VALUE, g.dx, g.dy, g.width, g.height, g.alpha);
            put(records, penX + at[2 * i], penY + at[2 * i + 1], g.region, argb);
        }
    }

    // The session the atlas's textures belong to, taken from the open one at the first texture.
    private RenderSession session() {
        if (session == null) {
            session = RenderSession.current();
            if (session == null) {
                throw new IllegalStateException("the glyph atlas has no session to draw through: open one with"
                        + " NativeGpu.open(canvas) or NativeGpu.attach() first");
            }
        }
        return session;
    }

    // Its textures exist only in its own session, which must still be the one drawing.
    private void checkSession() {
        if (!session.isOpen()) {
            throw new IllegalStateException("the glyph atlas belongs to " + session + ", which is closed: make a new"
                    + " atlas for the new session");
        }
        if (session != RenderSession.current()) {
            throw new IllegalStateException("the glyph atlas belongs to " + session + ", not to the open one, "
                    + RenderSession.current());
        }
    }

    // Called by a buffer's clear(): its records no longer point into the line pages.
    void release(CommandBuffer records) {
        holders.remove(records);
    }

    private static void put(CommandBuffer records, int x, int y, Region r, int argb) {
        records.glyph(x + r.dx, y + r.dy, r.width, r.height, r.texture, r.u0, r.v0, r.u1, r.v1, argb);
    }

    // The line's regions, rasterising it on a miss; null when it takes more line pages than the
    // atlas may have while buffers hold records pointing into them.
    private Region[] line(CommandBuffer records, String text) {
        Region[] found = lines.get(text);
        if (found != null) return found;
        // A buffer being written that holds line records keeps its pages; any other holder
        // will have been cleared or collected before it needs them again.
        if (holders.isEmpty() && linePages.mostlyUsed()) {
            linePages.restart();
            lines.clear();
        }
        found = rasterise(text);
        if (found != null) lines.put(text, found);
        return found;
    }

    // Composites the glyphs of a line, in page-wide pieces, onto line pages.
    private Region[] rasterise(String text) {
        GlyphVector laid = layout(text);
        int n = laid.getNumGlyphs();
        Glyph[] shapes = new Glyph[n];
        int[] at = positions(laid);
        List<Region> pieces = new ArrayList<>();
        Rectangle box = null; // of the piece that starts at glyph `from`
        int from = 0;
        for (int i = 0; i < n; i++) {
            Glyph g = shapes[i] = glyph(laid.getGlyphCode(i));
            if (g.alpha == null) continue;
            Rectangle r = new Rectangle(at[2 * i] + g.dx, at[2 * i + 1] + g.dy, g.width, g.height);
            if (box != null && box.union(r).width > pageSize) {
                if (!composite(shapes, at, from, i, box, pieces)) return null;
                box = null;
            }
            if (box == null) from = i;
            box = box == null ? r : box.union(r);
        }
        if (box != null && !composite(shapes, at, from, n, box, pieces)) return null;
        return pieces.toArray(new Region[0]);
    }

    // Composites glyphs [from, to) "over" each other, as their records would be on the screen,
    // into one region with the given box relative to the pen; false when the pages are full.
    private boolean composite(Glyph[] shapes, int[] at, int from, int to, Rectangle box, List<Region> pieces) {
        byte[] alpha = new byte[box.width * box.height];
        for (int i = from; i < to; i++) {
            Glyph g = shapes[i];
            if (g.alpha == null) continue;
            int x0 = at[2 * i] + g.dx - box.x, y0 = at[2 * i + 1] + g.dy - box.y;
            for (int y = 0; y < g.height; y++) {
                int dst = (y0 + y) * box.width + x0, src = y * g.width;
                for (int x = 0; x < g.width; x++) {
                    int a = g.alpha[src + x] & 0xFF, d = alpha[dst + x] & 0xFF;
                    alpha[dst + x] = (byte) (a + d - (a * d + 127) / 255);
                }
            }
        }
        Region piece = upload(linePages, MAX_LINE_PAGES, box.x, box.y, box.width, box.height, alpha);
        if (piece == null) return false;
        pieces.add(piece);
        return true;
    }

    // Places a width × height coverage on `pages` and uploads it as white texels with that
    // alpha, its box (dx, dy) from the pen. Null when `limit` pages are full.
    private Region upload(Pages pages, int limit, int dx, int dy, int width, int height, byte[] alpha) {
        if (width > pageSize || height > pageSize) {
            throw new IllegalStateException("a glyph of " + width + " x " + height + " texels does not fit pages of "
                    + pageSize + ": use a larger page size");
        }
        int[] spot = pages.place(width, height, limit);
        if (spot == null) return null;
        int bytes = width * height * 4;
        if (scratch.capacity() < bytes) scratch = ByteBuffer.allocateDirect(Math.max(bytes, 2 * scratch.capacity()));
        scratch.clear();
        for (byte a : alpha) scratch.put((byte) -1).put((byte) -1).put((byte) -1).put(a);
        int texture = pages.texture();
        session.upload(texture, spot[0], spot[1], width, height, scratch.flip());
        float s = pageSize;
        return new Region(dx, dy, width, height, texture, spot[0] / s, spot[1] / s, (spot[0] + width) / s,
                (spot[1] + height) / s);
    }

    // Glyph positions from the pen, x and y of each glyph, rounded to whole pixels as Java2D
    // places glyph images.
    private static int[] positions(GlyphVector laid) {
        float[] exact = laid.getGlyphPositions(0, laid.getNumGlyphs(), null);
        int[] at = new int[exact.length];
        for (int i = 0; i < at.length; i++) at[i] = Math.round(exact[i]);
        return at;
    }

    private GlyphVector layout(String text) {
        char[] chars = text.toCharArray();
        if (font.hasLayoutAttributes() || Font.textRequiresLayout(chars, 0, chars.length)) {
            return font.layoutGlyphVector(frc, chars, 0, chars.length, Font.LAYOUT_LEFT_TO_RIGHT);
        }
        return font.createGlyphVector(frc, chars);
    }

    // The glyph of a glyph code, rasterised on first use with a transparent border.
    private Glyph glyph(int code) {
        Glyph found = glyphs.get(code);
        if (found != null) return found;
        GlyphVector shape = font.createGlyphVector(frc, new int[] {code});
        Rectangle b = shape.getPixelBounds(frc, 0, 0);
        if (b.isEmpty()) {
            found = new Glyph(0, 0, 0, 0, null);
        } else {
            int w = b.width + 2 * PAD, h = b.height + 2 * PAD;
            BufferedImage image = new BufferedImage(w, h, BufferedImage.TYPE_INT_ARGB);
            Graphics2D g = image.createGraphics();
            applyHints(g);
            g.setColor(Color.WHITE);
            g.drawGlyphVector(shape, PAD - b.x, PAD - b.y);
            g.dispose();
            int[] argb = ((DataBufferInt) image.getRaster().getDataBuffer()).getData();
            byte[] alpha = new byte[w * h];
            for (int i = 0; i < alpha.length; i++) alpha[i] = (byte) (argb[i] >>> 24);
            found = new Glyph(b.x - PAD, b.y - PAD, w, h, alpha);
        }
        glyphs.put(code, found);
        return found;
    }

    private static String printableAscii() {
        StringBuilder s = new StringBuilder();
        for (char c = ' '; c <= '~'; c++) s.append(c);
        return s.toString();
    }
}
