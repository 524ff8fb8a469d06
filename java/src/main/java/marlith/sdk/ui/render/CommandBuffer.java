package marlith.sdk.ui.render;

import static marlith.sdk.ui.render.Checks.atLeastZero;
import static marlith.sdk.ui.render.Checks.finite;
import static marlith.sdk.ui.render.Checks.notNull;
import static marlith.sdk.ui.render.Checks.positive;
import static marlith.sdk.ui.render.Checks.range;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/**
 * Writes the command records that {@link RenderSession#submit} draws: 64 floats per record in a
 * direct buffer of the machine's byte order. Positions and sizes are UI units, origin top-left, y
 * down; colours are 0xAARRGGBB with straight alpha. Every coordinate must be finite, and sizes
 * of 0 or less draw nothing; a bad argument raises {@link IllegalArgumentException} naming it. What every slot means to the shaders is laid out in
 * docs/command-records.md; the {@code SLOT_} constants name the slots this class writes.
 *
 * <p>Each drawing record also gets a scissor box (slots 18 to 21) that covers everything its
 * shader can paint, narrowed to the open clips. Records that can paint nothing (zero alpha, or a
 * box outside the open clips) are left out. The buffer doubles when full; writing a record makes
 * no allocation otherwise. Not thread-safe.
 *
 * <p>A typical frame: {@link #clear()}, then the records in painting order (later records are drawn
 * over earlier ones), then {@link #submit}. Glass shows the target as it was when the submit
 * started; put a {@link #refreshBackdrop()} before glass that must show records drawn earlier in
 * the same stream.
 */
public final class CommandBuffer {
    /** Floats in one record. */
    public static final int RECORD_FLOATS = 64;

    /** Clips that may be open at once. */
    public static final int MAX_CLIP_DEPTH = 32;

    /** Records one buffer holds at most: as many as 2^31 bytes take. */
    public static final int MAX_RECORDS = Integer.MAX_VALUE / (RECORD_FLOATS * Float.BYTES);

    /** Record kind: a glass panel. */
    public static final int KIND_GLASS = 0;
    /** Record kind: a filled rounded rectangle. */
    public static final int KIND_FILL = 1;
    /** Record kind: a glyph or an image from a texture. */
    public static final int KIND_TEXT = 2;
    /** Record kind: a stroked rounded rectangle. */
    public static final int KIND_STROKE = 3;
    /** Record kind: the soft shadow of a rounded rectangle. */
    public static final int KIND_SHADOW = 4;
    /** Record kind: capture and blur the target again as the backdrop of later glass. */
    public static final int KIND_REFRESH = 9;
    /** Record kind: open a rounded-rectangle clip. */
    public static final int KIND_CLIP_PUSH = 10;
    /** Record kind: close the innermost clip. */
    public static final int KIND_CLIP_POP = 11;

    /** Slot of the record kind. */
    public static final int SLOT_KIND = 0;
    /** First of four slots: the rounded rectangle's x, y, width and height. */
    public static final int SLOT_RECT = 1;
    /** Slot of the glass bevel width or the shadow's blur radius. */
    public static final int SLOT_RADIUS = 5;
    /** First of four slots: the ink colour as straight R, G, B, A. */
    public static final int SLOT_INK = 6;
    /** First of three slots whose meaning depends on the kind (stroke width, shadow offset...). */
    public static final int SLOT_EXTRA = 10;
    /** First of four slots: the texture region u0, v0, u1, v1 of a text or image record. */
    public static final int SLOT_TEX_RECT = 13;
    /** Slot of the GL texture name of a text or image record, as int bits. */
    public static final int SLOT_TEXTURE = 17;
    /** First of four slots: the scissor bounds x, y, width, height of a drawn record. */
    public static final int SLOT_BOUNDS = 18;
    /** Slot of the glass frost. */
    public static final int SLOT_FROST = 22;
    /** Slot of the glass refraction. */
    public static final int SLOT_REFRACTION = 23;
    /** Slot of the glass saturation boost. */
    public static final int SLOT_SATURATION = 24;
    /** Slot of the glass tint amount. */
    public static final int SLOT_TINT_AMOUNT = 25;
    /** Slot of the glass dispersion. */
    public static final int SLOT_DISPERSION = 26;
    /** Slot of the edge feather. */
    public static final int SLOT_FEATHER = 27;
    /** First of four slots: the corner radii, top-left, top-right, bottom-right, bottom-left. */
    public static final int SLOT_CORNER_RADII = 28;
    /** First of four slots: the corner smoothing, in the order of the radii. */
    public static final int SLOT_CORNER_SMOOTHING = 32;
    /** First of four slots: the glass rim light and sheen colour, alpha its strength. */
    public static final int SLOT_HIGHLIGHT = 36;
    /** First of four slots: the glass bevel shade colour, alpha its strength. */
    public static final int SLOT_SHADE = 40;
    /** Slot of the spread that grows or shrinks the shape. */
    public static final int SLOT_SPREAD = 44;
    /** Slot of the dither amount. */
    public static final int SLOT_DITHER = 45;

    /** Stroke alignments: the band lies inside the edge, on it, or outside it. */
    public static final float STROKE_INSIDE = 0f, STROKE_CENTRED = 0.5f, STROKE_OUTSIDE = 1f;

    /**
     * Room left around fills, strokes, shadows and glass for the anti-aliased fringe, in UI units.
     * record.vert grows its quads by the same amount.
     */
    static final float EDGE = 2f;

    /** A shadow's blur reaches 1.5 blur radii (3 sigma) past its edge. */
    static final float SHADOW_REACH = 1.5f;

    private FloatBuffer records;
    private int count;
    private final float[] record = new float[RECORD_FLOATS];

    // Area (left, top, right, bottom) the open clips leave visible, one row per depth.
    private final float[] visible = new float[4 * (MAX_CLIP_DEPTH + 1)];
    private int clipDepth;

    // Atlases whose line pages the records written since the last clear point into.
    private final List<GlyphAtlas> atlases = new ArrayList<>();

    /** A buffer with room for 256 records before it first grows. */
    public CommandBuffer() {
        this(256);
    }

    /**
     * A buffer with room for {@code initialRecords} records before it first grows.
     *
     * @param initialRecords records to make room for, 0 to {@link #MAX_RECORDS}; at least one is
     * @throws IllegalArgumentException for a number outside that range
     */
    public CommandBuffer(int initialRecords) {
        if (initialRecords < 0 || initialRecords > MAX_RECORDS) {
            throw new IllegalArgumentException("initialRecords must be 0 to " + MAX_RECORDS + ": " + initialRecords);
        }
        records = allocate(Math.max(1, initialRecords));
        clear();
    }

    /**
     * Number of records written since the last {@link #clear()}.
     *
     * @return the record count
     */
    public int count() {
        return count;
    }

    /**
     * Records written so far, record 0 at index 0; replaced by a larger buffer when the writer
     * grows. The raw {@link NativeGpu#submit} reads records from the buffer's start whatever its
     * position and limit, so neither needs setting.
     *
     * @return the direct buffer of records, in the machine's byte order
     */
    public FloatBuffer buffer() {
        return records;
    }

    /** Forgets every record and every open clip. */
    public void clear() {
        for (GlyphAtlas atlas : atlases) atlas.release(this);
        atlases.clear();
        count = 0;
        clipDepth = 0;
        visible[0] = -Float.MAX_VALUE;
        visible[1] = -Float.MAX_VALUE;
        visible[2] = Float.MAX_VALUE;
        visible[3] = Float.MAX_VALUE;
    }

    /**
     * Draws the records written so far into framebuffer {@code target}: {@link
     * RenderSession#submit(CommandBuffer, int, int, int, int, float, float, float, float, float)}
     * of the open session, with its checks. Without a session (the renderer opened by the raw
     * {@link NativeGpu#open(java.awt.Canvas, String, String[])}) it checks the arguments and calls
     * the raw {@link NativeGpu#submit}. The records stay; call {@link #clear()} to start the next
     * frame.
     *
     * @param target GL framebuffer to draw into: 0, the default framebuffer, for a window, or an
     *     attached host's framebuffer object
     * @param colorBuffer the target's colour buffer: {@link NativeGpu#GL_BACK} for the default
     *     framebuffer, usually {@link NativeGpu#GL_COLOR_ATTACHMENT0} for a framebuffer object
     * @param width target width in pixels, above 0
     * @param height target height in pixels, above 0
     * @param uiWidth width of the target in UI units, finite and above 0; equal to {@code width}
     *     for one UI unit per pixel
     * @param uiHeight height of the target in UI units, finite and above 0
     * @param sigma blur strength of the backdrop that glass frosts, in target pixels, 0 to 32;
     *     0.01 or less turns the blur off
     * @param mx pointer x in UI units, for the sheen of glass; NaN when the pointer is outside,
     *     which glass shows as no sheen
     * @param my pointer y in UI units; NaN when the pointer is outside
     * @throws IllegalArgumentException naming the first argument out of its range, or a texture of
     *     the records that is not the session's
     * @throws IllegalStateException when a clip is still open, when the session is closed or
     *     called on another thread than its own, or when the native call fails (not open, or a
     *     target GL cannot draw into: see {@link NativeGpu#submit})
     */
    public void submit(int target, int colorBuffer, int width, int height, float uiWidth, float uiHeight,
            float sigma, float mx, float my) {
        RenderSession session = RenderSession.current();
        if (session != null) {
            session.submit(this, target, colorBuffer, width, height, uiWidth, uiHeight, sigma, mx, my);
            return;
        }
        checkSubmit(width, height, uiWidth, uiHeight, sigma);
        NativeGpu.submit(records, count, target, colorBuffer, width, height, uiWidth, uiHeight, sigma, mx, my);
    }

    // What every submit checks of its arguments and these records before any backend sees them.
    void checkSubmit(int width, int height, float uiWidth, float uiHeight, float sigma) {
        range("sigma", sigma, 0f, 32f);
        positive("width", width);
        positive("height", height);
        if (!(uiWidth > 0f && uiWidth < Float.POSITIVE_INFINITY)) {
            throw new IllegalArgumentException("uiWidth must be finite and above 0: " + uiWidth);
        }
        if (!(uiHeight > 0f && uiHeight < Float.POSITIVE_INFINITY)) {
            throw new IllegalArgumentException("uiHeight must be finite and above 0: " + uiHeight);
        }
        if (clipDepth != 0) throw new IllegalStateException(clipDepth + " clip(s) still open");
    }

    /**
     * A filled rounded rectangle. Positions and sizes are UI units, origin top-left, y down.
     *
     * @param x left edge in UI units
     * @param y top edge in UI units
     * @param w width in UI units
     * @param h height in UI units
     * @param corners corner radii and smoothing
     * @param argb colour 0xAARRGGBB, straight alpha; alpha 0 writes no record
     * @return this buffer
     * @throws IllegalArgumentException naming an argument that is null or not finite
     */
    public CommandBuffer fill(float x, float y, float w, float h, Corners corners, int argb) {
        begin(KIND_FILL, x, y, w, h, corners, argb);
        return commit(x - EDGE, y - EDGE, x + w + EDGE, y + h + EDGE);
    }

    /**
     * The outline of a rounded rectangle, {@code width} wide. {@code alignment} places the band:
     * {@link #STROKE_INSIDE} (0) inside the edge, {@link #STROKE_CENTRED} on it, {@link
     * #STROKE_OUTSIDE} (1) outside it.
     *
     * @param x left edge in UI units
     * @param y top edge in UI units
     * @param w width in UI units
     * @param h height in UI units
     * @param corners corner radii and smoothing
     * @param width band width in UI units, 0 or more
     * @param alignment 0 to 1, where the band lies across the edge
     * @param argb colour 0xAARRGGBB, straight alpha; alpha 0 writes no record
     * @return this buffer
     * @throws IllegalArgumentException naming an argument that is null, not finite or out of range
     */
    public CommandBuffer stroke(float x, float y, float w, float h, Corners corners, float width, float alignment,
            int argb) {
        atLeastZero("width", width);
        range("alignment", alignment, 0f, 1f);
        begin(KIND_STROKE, x, y, w, h, corners, argb);
        record[SLOT_EXTRA] = width;
        record[SLOT_EXTRA + 1] = alignment;
        float out = EDGE + width * alignment;
        return commit(x - out, y - out, x + w + out, y + h + out);
    }

    /**
     * The soft shadow of a rounded rectangle: the shape moved by ({@code dx}, {@code dy}), grown by
     * {@code spread} and blurred with a Gaussian of sigma {@code blur} / 2, as CSS box shadows are.
     * With {@code knockout} the caster's own area is left clear, for translucent casters.
     *
     * @param x left edge in UI units
     * @param y top edge in UI units
     * @param w width in UI units
     * @param h height in UI units
     * @param corners corner radii and smoothing
     * @param blur blur radius in UI units (CSS blur radius), 0 or more; the shadow reaches 1.5 of
     *     it past its edge
     * @param spread growth of the shape in UI units; negative shrinks it
     * @param dx offset to the right in UI units
     * @param dy offset downwards in UI units
     * @param knockout whether the caster's own, unmoved area stays clear
     * @param argb colour 0xAARRGGBB, straight alpha; alpha 0 writes no record
     * @return this buffer
     * @throws IllegalArgumentException naming an argument that is null, not finite or out of range
     */
    public CommandBuffer shadow(float x, float y, float w, float h, Corners corners, float blur, float spread,
            float dx, float dy, boolean knockout, int argb) {
        atLeastZero("blur", blur);
        finite("spread", spread);
        finite("dx", dx);
        finite("dy", dy);
        begin(KIND_SHADOW, x, y, w, h, corners, argb);
        record[SLOT_RADIUS] = blur;
        record[SLOT_EXTRA] = dx;
        record[SLOT_EXTRA + 1] = dy;
        record[SLOT_EXTRA + 2] = knockout ? 1f : 0f;
        record[SLOT_SPREAD] = spread;
        record[SLOT_DITHER] = 1f;
        float out = EDGE + Math.max(spread, 0f) + SHADOW_REACH * blur;
        return commit(x + dx - out, y + dy - out, x + dx + w + out, y + dy + h + out);
    }

    /**
     * A glass panel showing the target as it was captured at the start of the submit or at the
     * last {@link #refreshBackdrop()}: records written before it in this buffer are not in that
     * capture unless a refresh lies between them and the glass.
     *
     * @param x left edge in UI units
     * @param y top edge in UI units
     * @param w width in UI units
     * @param h height in UI units
     * @param corners corner radii and smoothing
     * @param style how the panel bends, frosts, tints and lights the backdrop
     * @return this buffer
     * @throws IllegalArgumentException naming an argument that is null or not finite
     */
    public CommandBuffer glass(float x, float y, float w, float h, Corners corners, Glass style) {
        notNull("style", style);
        begin(KIND_GLASS, x, y, w, h, corners, 0xFF000000 | style.tint);
        record[SLOT_INK + 3] = style.opacity;
        record[SLOT_RADIUS] = style.bevel;
        record[SLOT_EXTRA] = style.sheenRadius;
        record[SLOT_EXTRA + 1] = style.rimWidth;
        record[SLOT_FROST] = style.frost;
        record[SLOT_REFRACTION] = style.refraction;
        record[SLOT_SATURATION] = style.saturation;
        record[SLOT_TINT_AMOUNT] = style.tintAmount;
        record[SLOT_DISPERSION] = style.dispersion;
        putColor(SLOT_HIGHLIGHT, style.highlight);
        putColor(SLOT_SHADE, style.shade);
        record[SLOT_DITHER] = 1f;
        return commit(x - EDGE, y - EDGE, x + w + EDGE, y + h + EDGE);
    }

    /**
     * A glyph: the atlas region (u0, v0)–(u1, v1) of texture {@code texture}, in normalised texture
     * coordinates with v = 0 at the first uploaded row, stretched over the rectangle (u0, v0 at its
     * top-left corner). The atlas alpha is the coverage, the colour is {@code argb}. {@link #text}
     * writes these from a {@link GlyphAtlas}.
     *
     * <p>{@link RenderSession#upload} takes rows "lowest row first" in GL's terms: the first row in
     * memory becomes texture row 0, which is v = 0 here and lands at the top of the quad. So an
     * image uploaded top row first, as {@link
     * RenderSession#createTexture(java.awt.image.BufferedImage)} does, is drawn upright with v
     * running from 0 to 1.
     *
     * @param x left edge of the quad in UI units
     * @param y top edge of the quad
     * @param w quad width
     * @param h quad height
     * @param texture a texture of the session the records are submitted to; the submit checks it
     * @param u0 left edge of the region, 0 to 1 across the texture
     * @param v0 top edge of the region, 0 at the texture's first uploaded row
     * @param u1 right edge of the region
     * @param v1 bottom edge of the region
     * @param argb colour 0xAARRGGBB, straight alpha
     * @return this buffer
     * @throws IllegalArgumentException naming an argument that is not finite
     */
    public CommandBuffer glyph(float x, float y, float w, float h, int texture, float u0, float v0, float u1,
            float v1, int argb) {
        begin(KIND_TEXT, x, y, w, h, Corners.NONE, argb);
        return texture(texture, u0, v0, u1, v1, 0f);
    }

    /**
     * An image: the region (u0, v0)–(u1, v1) of texture {@code texture}, laid out as for {@link
     * #glyph}, with its own straight RGBA colours, faded by {@code opacity} and clipped to the
     * rounded corners. (0, 0, 1, 1) draws a whole texture made by {@link
     * RenderSession#createTexture(java.awt.image.BufferedImage)} upright.
     *
     * @param x left edge of the quad in UI units
     * @param y top edge of the quad
     * @param w quad width
     * @param h quad height
     * @param texture a texture of the session the records are submitted to; the submit checks it
     * @param u0 left edge of the region, 0 to 1 across the texture
     * @param v0 top edge of the region, 0 at the texture's first uploaded row
     * @param u1 right edge of the region
     * @param v1 bottom edge of the region
     * @param corners corner radii and smoothing the image is clipped to
     * @param opacity 0 to 1; 0 writes no record
     * @return this buffer
     * @throws IllegalArgumentException naming an argument that is null, not finite or out of range
     */
    public CommandBuffer image(float x, float y, float w, float h, int texture, float u0, float v0, float u1,
            float v1, Corners corners, float opacity) {
        range("opacity", opacity, 0f, 1f);
        begin(KIND_TEXT, x, y, w, h, corners, 0xFFFFFFFF);
        record[SLOT_INK + 3] = opacity;
        return texture(texture, u0, v0, u1, v1, 1f);
    }

    // The rest of a text record, once begin has written the common part.
    private CommandBuffer texture(int texture, float u0, float v0, float u1, float v1, float mode) {
        finite("u0", u0);
        finite("v0", v0);
        finite("u1", u1);
        finite("v1", v1);
        float[] r = record;
        r[SLOT_EXTRA] = mode;
        r[SLOT_TEX_RECT] = u0;
        r[SLOT_TEX_RECT + 1] = v0;
        r[SLOT_TEX_RECT + 2] = u1;
        r[SLOT_TEX_RECT + 3] = v1;
        r[SLOT_TEXTURE] = Float.intBitsToFloat(texture);
        float x = r[SLOT_RECT], y = r[SLOT_RECT + 1];
        return commit(x, y, x + r[SLOT_RECT + 2], y + r[SLOT_RECT + 3]);
    }

    /**
     * A text record per line, or per glyph (see {@link GlyphAtlas#cacheLines}), laid out by Java2D
     * with the atlas's font: advances, and kerning and ligatures when the font's attributes ask
     * for them. Needs the atlas's session open, as the atlas may rasterise and upload glyphs.
     *
     * @param atlas the font's glyphs
     * @param x pen start in UI units, rounded to a whole unit so that atlas texels land on pixels
     * @param baseline baseline y in UI units, rounded likewise
     * @param text one line, drawn left to right; line breaks and tabs are not interpreted
     * @param argb colour 0xAARRGGBB, straight alpha
     * @return this buffer
     * @throws IllegalArgumentException naming an argument that is null or not finite
     * @throws IllegalStateException when the atlas is closed, when it has no open session to draw
     *     through or belongs to another or a closed one, or as {@link RenderSession#createTexture}
     *     and {@link RenderSession#upload} do
     */
    public CommandBuffer text(GlyphAtlas atlas, float x, float baseline, String text, int argb) {
        notNull("atlas", atlas);
        finite("x", x);
        finite("baseline", baseline);
        notNull("text", text);
        atlas.write(this, x, baseline, text, argb);
        return this;
    }

    // The atlas keeps the line regions these records point into until the next clear.
    void hold(GlyphAtlas atlas) {
        atlases.add(atlas);
    }

    /**
     * Captures and blurs the target again, so that later glass shows what was drawn before.
     *
     * @return this buffer
     */
    public CommandBuffer refreshBackdrop() {
        Arrays.fill(record, 0f);
        record[SLOT_KIND] = KIND_REFRESH;
        return append();
    }

    /**
     * Opens a clip: until the matching {@link #popClip()} only the inside of this rounded
     * rectangle is drawn.
     *
     * @param x left edge in UI units
     * @param y top edge in UI units
     * @param w width in UI units
     * @param h height in UI units
     * @param corners corner radii and smoothing
     * @return this buffer
     * @throws IllegalArgumentException naming an argument that is null or not finite
     * @throws IllegalStateException when {@link #MAX_CLIP_DEPTH} clips are open
     */
    public CommandBuffer pushClip(float x, float y, float w, float h, Corners corners) {
        return pushClip(x, y, w, h, corners, 0f);
    }

    /**
     * A clip whose edge fades out over {@code feather} UI units more than the usual pixel.
     *
     * @param x left edge in UI units
     * @param y top edge in UI units
     * @param w width in UI units
     * @param h height in UI units
     * @param corners corner radii and smoothing
     * @param feather extra softness of the clip's edge in UI units, 0 or more
     * @return this buffer
     * @throws IllegalArgumentException naming an argument that is null, not finite or out of range
     * @throws IllegalStateException when {@link #MAX_CLIP_DEPTH} clips are open
     */
    public CommandBuffer pushClip(float x, float y, float w, float h, Corners corners, float feather) {
        atLeastZero("feather", feather);
        if (clipDepth == MAX_CLIP_DEPTH) throw new IllegalStateException("more than " + MAX_CLIP_DEPTH + " clips open");
        begin(KIND_CLIP_PUSH, x, y, w, h, corners, 0);
        record[SLOT_FEATHER] = feather;
        float out = EDGE + feather;
        int parent = 4 * clipDepth;
        int top = parent + 4;
        visible[top] = Math.max(visible[parent], x - out);
        visible[top + 1] = Math.max(visible[parent + 1], y - out);
        visible[top + 2] = Math.min(visible[parent + 2], x + w + out);
        visible[top + 3] = Math.min(visible[parent + 3], y + h + out);
        clipDepth++;
        return append();
    }

    /**
     * Closes the most recent open clip.
     *
     * @return this buffer
     * @throws IllegalStateException when no clip is open
     */
    public CommandBuffer popClip() {
        if (clipDepth == 0) throw new IllegalStateException("popClip without an open clip");
        clipDepth--;
        Arrays.fill(record, 0f);
        record[SLOT_KIND] = KIND_CLIP_POP;
        return append();
    }

    private void begin(int kind, float x, float y, float w, float h, Corners corners, int argb) {
        finite("x", x);
        finite("y", y);
        finite("w", w);
        finite("h", h);
        notNull("corners", corners);
        Arrays.fill(record, 0f);
        record[SLOT_KIND] = kind;
        record[SLOT_RECT] = x;
        record[SLOT_RECT + 1] = y;
        record[SLOT_RECT + 2] = w;
        record[SLOT_RECT + 3] = h;
        putColor(SLOT_INK, argb);
        float[] r = record;
        int c = SLOT_CORNER_RADII;
        r[c] = corners.topLeft;
        r[c + 1] = corners.topRight;
        r[c + 2] = corners.bottomRight;
        r[c + 3] = corners.bottomLeft;
        int s = SLOT_CORNER_SMOOTHING;
        r[s] = corners.smoothTopLeft;
        r[s + 1] = corners.smoothTopRight;
        r[s + 2] = corners.smoothBottomRight;
        r[s + 3] = corners.smoothBottomLeft;
    }

    // Narrows the paint area to the open clips, stores it as the scissor box
    // and appends the record, unless it can paint nothing.
    private CommandBuffer commit(float left, float top, float right, float bottom) {
        int v = 4 * clipDepth;
        left = Math.max(left, visible[v]);
        top = Math.max(top, visible[v + 1]);
        right = Math.min(right, visible[v + 2]);
        bottom = Math.min(bottom, visible[v + 3]);
        if (!(right > left && bottom > top && record[SLOT_INK + 3] > 0f)) return this;
        record[SLOT_BOUNDS] = left;
        record[SLOT_BOUNDS + 1] = top;
        record[SLOT_BOUNDS + 2] = right - left;
        record[SLOT_BOUNDS + 3] = bottom - top;
        return append();
    }

    private CommandBuffer append() {
        int at = count * RECORD_FLOATS;
        if (at + RECORD_FLOATS > records.capacity()) {
            if (count == MAX_RECORDS) throw new IllegalStateException("a CommandBuffer holds at most " + MAX_RECORDS + " records");
            FloatBuffer larger = allocate((int) Math.min(2L * (count + 1), MAX_RECORDS));
            larger.put(0, records, 0, at);
            records = larger;
        }
        records.put(at, record, 0, RECORD_FLOATS);
        count++;
        return this;
    }

    private void putColor(int slot, int argb) {
        record[slot] = ((argb >>> 16) & 0xFF) / 255f;
        record[slot + 1] = ((argb >>> 8) & 0xFF) / 255f;
        record[slot + 2] = (argb & 0xFF) / 255f;
        record[slot + 3] = (argb >>> 24) / 255f;
    }

    private static FloatBuffer allocate(int recordCount) {
        return ByteBuffer.allocateDirect(recordCount * RECORD_FLOATS * Float.BYTES)
                .order(ByteOrder.nativeOrder())
                .asFloatBuffer();
    }
}
