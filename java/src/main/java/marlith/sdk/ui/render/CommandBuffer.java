package marlith.sdk.ui.render;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.util.Arrays;

/**
 * Writes the command records that {@link NativeGpu#submit} draws: 64 floats per record in a direct
 * buffer of the machine's byte order. Positions and sizes are UI units, origin top-left, y down;
 * colours are 0xAARRGGBB with straight alpha. What every slot means to the shaders is laid out in
 * docs/command-records.md; the {@code SLOT_} constants name the slots this class writes.
 *
 * <p>Each drawing record also gets a scissor box (slots 18 to 21) that covers everything its
 * shader can paint, narrowed to the open clips. Records that can paint nothing (zero alpha, or a
 * box outside the open clips) are left out. The buffer doubles when full; writing a record makes
 * no allocation otherwise. Not thread-safe.
 */
public final class CommandBuffer {
    public static final int RECORD_FLOATS = 64;
    public static final int MAX_CLIP_DEPTH = 32;

    public static final int KIND_GLASS = 0;
    public static final int KIND_FILL = 1;
    public static final int KIND_TEXT = 2;
    public static final int KIND_STROKE = 3;
    public static final int KIND_SHADOW = 4;
    public static final int KIND_REFRESH = 9;
    public static final int KIND_CLIP_PUSH = 10;
    public static final int KIND_CLIP_POP = 11;

    public static final int SLOT_KIND = 0;
    public static final int SLOT_RECT = 1;
    public static final int SLOT_RADIUS = 5;
    public static final int SLOT_INK = 6;
    public static final int SLOT_EXTRA = 10;
    public static final int SLOT_TEX_RECT = 13;
    public static final int SLOT_TEXTURE = 17;
    public static final int SLOT_BOUNDS = 18;
    public static final int SLOT_FROST = 22;
    public static final int SLOT_REFRACTION = 23;
    public static final int SLOT_SATURATION = 24;
    public static final int SLOT_TINT_AMOUNT = 25;
    public static final int SLOT_DISPERSION = 26;
    public static final int SLOT_FEATHER = 27;
    public static final int SLOT_CORNER_RADII = 28;
    public static final int SLOT_CORNER_SMOOTHING = 32;
    public static final int SLOT_HIGHLIGHT = 36;
    public static final int SLOT_SHADE = 40;
    public static final int SLOT_SPREAD = 44;
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

    /** A buffer with room for 256 records before it first grows. */
    public CommandBuffer() {
        this(256);
    }

    public CommandBuffer(int initialRecords) {
        records = allocate(Math.max(1, initialRecords));
        clear();
    }

    /** Number of records written since the last {@link #clear()}. */
    public int count() {
        return count;
    }

    /** Records written so far; replaced by a larger buffer when the writer grows. */
    public FloatBuffer buffer() {
        return records;
    }

    /** Forgets every record and every open clip. */
    public void clear() {
        count = 0;
        clipDepth = 0;
        visible[0] = -Float.MAX_VALUE;
        visible[1] = -Float.MAX_VALUE;
        visible[2] = Float.MAX_VALUE;
        visible[3] = Float.MAX_VALUE;
    }

    /**
     * Draws the records written so far into framebuffer {@code target} (see {@link
     * NativeGpu#submit}). The records stay; call {@link #clear()} to start the next frame.
     *
     * @throws IllegalStateException when a clip is still open
     */
    public void submit(int target, int colorBuffer, int width, int height, float uiWidth, float uiHeight,
            float sigma, float mx, float my) {
        if (clipDepth != 0) throw new IllegalStateException(clipDepth + " clip(s) still open");
        NativeGpu.submit(records, count, target, colorBuffer, width, height, uiWidth, uiHeight, sigma, mx, my);
    }

    /** A filled rounded rectangle. */
    public CommandBuffer fill(float x, float y, float w, float h, Corners corners, int argb) {
        begin(KIND_FILL, x, y, w, h, corners, argb);
        return commit(x - EDGE, y - EDGE, x + w + EDGE, y + h + EDGE);
    }

    /**
     * The outline of a rounded rectangle, {@code width} wide. {@code alignment} places the band:
     * {@link #STROKE_INSIDE} (0) inside the edge, {@link #STROKE_CENTRED} on it, {@link
     * #STROKE_OUTSIDE} (1) outside it.
     */
    public CommandBuffer stroke(float x, float y, float w, float h, Corners corners, float width, float alignment,
            int argb) {
        begin(KIND_STROKE, x, y, w, h, corners, argb);
        record[SLOT_EXTRA] = width;
        record[SLOT_EXTRA + 1] = alignment;
        float out = EDGE + Math.max(width, 0f) * Math.min(Math.max(alignment, 0f), 1f);
        return commit(x - out, y - out, x + w + out, y + h + out);
    }

    /**
     * The soft shadow of a rounded rectangle: the shape moved by ({@code dx}, {@code dy}), grown by
     * {@code spread} and blurred with a Gaussian of sigma {@code blur} / 2, as CSS box shadows are.
     * With {@code knockout} the caster's own area is left clear, for translucent casters.
     */
    public CommandBuffer shadow(float x, float y, float w, float h, Corners corners, float blur, float spread,
            float dx, float dy, boolean knockout, int argb) {
        begin(KIND_SHADOW, x, y, w, h, corners, argb);
        record[SLOT_RADIUS] = blur;
        record[SLOT_EXTRA] = dx;
        record[SLOT_EXTRA + 1] = dy;
        record[SLOT_EXTRA + 2] = knockout ? 1f : 0f;
        record[SLOT_SPREAD] = spread;
        record[SLOT_DITHER] = 1f;
        float out = EDGE + Math.max(spread, 0f) + SHADOW_REACH * Math.max(blur, 0f);
        return commit(x + dx - out, y + dy - out, x + dx + w + out, y + dy + h + out);
    }

    /** A glass panel showing the backdrop captured at the start of the submit or at the last refresh. */
    public CommandBuffer glass(float x, float y, float w, float h, Corners corners, Glass style) {
        begin(KIND_GLASS, x, y, w, h, corners, 0xFF000000 | style.tint);
        record[SLOT_INK + 3] = clamp01(style.opacity);
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
     * top-left corner). The atlas alpha is the coverage, the colour is {@code argb}.
     */
    public CommandBuffer glyph(float x, float y, float w, float h, int texture, float u0, float v0, float u1,
            float v1, int argb) {
        begin(KIND_TEXT, x, y, w, h, Corners.NONE, argb);
        return texture(texture, u0, v0, u1, v1, 0f);
    }

    /**
     * An image: the region (u0, v0)–(u1, v1) of texture {@code texture}, laid out as for {@link
     * #glyph}, with its own straight RGBA colours, faded by {@code opacity} and clipped to the
     * rounded corners.
     */
    public CommandBuffer image(float x, float y, float w, float h, int texture, float u0, float v0, float u1,
            float v1, Corners corners, float opacity) {
        begin(KIND_TEXT, x, y, w, h, corners, 0xFFFFFFFF);
        record[SLOT_INK + 3] = clamp01(opacity);
        return texture(texture, u0, v0, u1, v1, 1f);
    }

    // The rest of a text record, once begin has written the common part.
    private CommandBuffer texture(int texture, float u0, float v0, float u1, float v1, float mode) {
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

    /** Captures and blurs the target again, so that later glass shows what was drawn before. */
    public CommandBuffer refreshBackdrop() {
        Arrays.fill(record, 0f);
        record[SLOT_KIND] = KIND_REFRESH;
        return append();
    }

    /** Opens a clip: until the matching {@link #popClip()} only the inside of this rounded rectangle is drawn. */
    public CommandBuffer pushClip(float x, float y, float w, float h, Corners corners) {
        return pushClip(x, y, w, h, corners, 0f);
    }

    /** A clip whose edge fades out over {@code feather} UI units more than the usual pixel. */
    public CommandBuffer pushClip(float x, float y, float w, float h, Corners corners, float feather) {
        if (clipDepth == MAX_CLIP_DEPTH) throw new IllegalStateException("more than " + MAX_CLIP_DEPTH + " clips open");
        begin(KIND_CLIP_PUSH, x, y, w, h, corners, 0);
        record[SLOT_FEATHER] = feather;
        float out = EDGE + Math.max(feather, 0f);
        int parent = 4 * clipDepth;
        int top = parent + 4;
        visible[top] = Math.max(visible[parent], x - out);
        visible[top + 1] = Math.max(visible[parent + 1], y - out);
        visible[top + 2] = Math.min(visible[parent + 2], x + w + out);
        visible[top + 3] = Math.min(visible[parent + 3], y + h + out);
        clipDepth++;
        return append();
    }

    /** Closes the most recent open clip. */
    public CommandBuffer popClip() {
        if (clipDepth == 0) throw new IllegalStateException("popClip without an open clip");
        clipDepth--;
        Arrays.fill(record, 0f);
        record[SLOT_KIND] = KIND_CLIP_POP;
        return append();
    }

    private void begin(int kind, float x, float y, float w, float h, Corners corners, int argb) {
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
            FloatBuffer larger = allocate(2 * (count + 1));
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

    private static float clamp01(float v) {
        return Math.min(Math.max(v, 0f), 1f);
    }

    private static FloatBuffer allocate(int recordCount) {
        return ByteBuffer.allocateDirect(recordCount * RECORD_FLOATS * Float.BYTES)
                .order(ByteOrder.nativeOrder())
                .asFloatBuffer();
    }
}
