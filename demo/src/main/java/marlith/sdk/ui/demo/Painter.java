package marlith.sdk.ui.demo;

/**
 * What {@link Scene} draws with. Positions and sizes are UI units (one per pixel), origin top
 * left, y down; colours 0xAARRGGBB with straight alpha; every rectangle has one corner radius.
 * Glass shows the backdrop as it was at the start of the frame or at the last {@link
 * #refreshBackdrop()}.
 */
public interface Painter {
    /** The animated full-window background: a gradient of {@code base} with glows of {@code accent}. */
    void background(float time, int base, int accent);

    void fill(float x, float y, float w, float h, float radius, int argb);

    /** An outline {@code width} wide, lying inside the edge. */
    void stroke(float x, float y, float w, float h, float radius, float width, int argb);

    /**
     * A soft shadow of the rectangle moved down by {@code dy}, blurred by {@code blur} (CSS blur
     * radius). With {@code knockout} the rectangle's own area stays clear, for translucent casters.
     */
    void shadow(float x, float y, float w, float h, float radius, float blur, float dy, boolean knockout, int argb);

    void glass(float x, float y, float w, float h, float radius, Material material);

    /** Takes the backdrop again, so later glass shows what was drawn so far. Not while a clip is open. */
    void refreshBackdrop();

    /** Until the matching {@link #popClip()}, draws only inside this rounded rectangle. */
    void pushClip(float x, float y, float w, float h, float radius);

    void popClip();

    /** A line of text starting at {@code x} on the baseline {@code baseline}. */
    void text(String text, float x, float baseline, Type type, int argb);
}
