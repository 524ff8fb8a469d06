package marlith.sdk.ui.demo;

import java.util.EnumMap;
import java.util.HashMap;
import java.util.Map;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.Corners;
import marlith.sdk.ui.render.Glass;
import marlith.sdk.ui.render.GlyphAtlas;
import marlith.sdk.ui.render.NativeGpu;
import marlith.sdk.ui.render.RenderSession;

/**
 * Paints through a render session into its window: the background pass at once, everything else
 * as command records, submitted by {@link #end()} or when a backdrop refresh comes before any
 * glass. Call it on the session's thread.
 *
 * <p>Every submit captures the target, and blurs it too unless the blur strength is 0, and the
 * blur is the costly part. So each submit asks for the blur only when it holds frosted glass, and
 * a refresh with no glass before it in the submit ends the submit (whose capture nobody uses)
 * instead of adding a second capture to it.
 */
public final class GpuPainter implements Painter {
    /** Corner smoothing of every rounded rectangle: a soft squircle. */
    private static final float SMOOTHING = 0.6f;

    private final RenderSession session;
    private final CommandBuffer records = new CommandBuffer();
    private final Map<Type, GlyphAtlas> atlases = new EnumMap<>(Type.class);
    private final Map<Float, Corners> smooth = new HashMap<>();
    private final Map<Float, Corners> round = new HashMap<>();
    private final Map<Material, Glass> glasses = new HashMap<>();
    private int width, height;
    private float mx, my;
    private boolean glass, frosted;
    private int submitted;

    /** A painter drawing through {@code session}. */
    public GpuPainter(RenderSession session) {
        this.session = session;
    }

    /** Starts a frame for a window of width × height pixels with the pointer at (mx, my). */
    public void begin(int width, int height, float mx, float my) {
        this.width = width;
        this.height = height;
        this.mx = mx;
        this.my = my;
        submitted = 0;
        records.clear();
        glass = frosted = false;
    }

    /** Draws the frame's remaining records into the back buffer; returns how many it drew in all. */
    public int end() {
        flush();
        return submitted;
    }

    private void flush() {
        session.submit(records, 0, NativeGpu.GL_BACK, width, height, width, height, frosted ? Scene.BLUR : 0f, mx, my);
        submitted += records.count();
        records.clear();
        glass = frosted = false;
    }

    /** Deletes the text atlas textures. */
    public void delete() {
        for (GlyphAtlas atlas : atlases.values()) atlas.close();
    }

    @Override
    public void background(float time, int base, int accent) {
        session.background(width, height, time, true, false, base, accent);
    }

    @Override
    public void fill(float x, float y, float w, float h, float radius, int argb) {
        records.fill(x, y, w, h, corners(radius, w, h), argb);
    }

    @Override
    public void stroke(float x, float y, float w, float h, float radius, float width, int argb) {
        records.stroke(x, y, w, h, corners(radius, w, h), width, CommandBuffer.STROKE_INSIDE, argb);
    }

    @Override
    public void shadow(float x, float y, float w, float h, float radius, float blur, float dy, boolean knockout,
            int argb) {
        records.shadow(x, y, w, h, corners(radius, w, h), blur, 0, 0, dy, knockout, argb);
    }

    @Override
    public void glass(float x, float y, float w, float h, float radius, Material material) {
        records.glass(x, y, w, h, corners(radius, w, h), glasses.computeIfAbsent(material, GpuPainter::glassOf));
        glass = true;
        frosted |= material.frost() > 0;
    }

    @Override
    public void refreshBackdrop() {
        if (glass) {
            records.refreshBackdrop();
        } else {
            flush();
        }
    }

    @Override
    public void pushClip(float x, float y, float w, float h, float radius) {
        records.pushClip(x, y, w, h, corners(radius, w, h));
    }

    @Override
    public void popClip() {
        records.popClip();
    }

    // One record per line from the type's atlas, which keeps whole lines.
    @Override
    public void text(String text, float x, float baseline, Type type, int argb) {
        records.text(atlases.computeIfAbsent(type, Type::atlas), x, baseline, text, argb);
    }

    // Smoothed corners, except where the corners meet (circles and pill ends), which stay round.
    private Corners corners(float radius, float w, float h) {
        if (2 * radius >= Math.min(w, h)) return round.computeIfAbsent(radius, Corners::of);
        return smooth.computeIfAbsent(radius, r -> Corners.of(r).smoothing(SMOOTHING));
    }

    private static Glass glassOf(Material m) {
        return Glass.DEFAULT
                .withTint(m.tint(), m.tintAmount())
                .withFrost(m.frost())
                .withBevel(m.bevel(), m.refraction(), m.dispersion())
                .withSaturation(m.saturation())
                .withLight(m.highlight(), m.shade(), 1.5f)
                .withSheen(m.sheen());
    }
}
