package marlith.bench;

import java.util.List;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.Corners;
import marlith.sdk.ui.render.Glass;

/**
 * The records of the {@code ombrel} frame, whichever path draws them: the configuration's
 * rectangles where the scene has them at a moment, and its glass panels with the glass below.
 */
final class FrameRecords {
    /** Glass that shows the blurred backdrop and nothing else, so that its accuracy can be checked. */
    static final Glass FROST = Glass.DEFAULT.withTint(0xFFFFFF, 0f).withBevel(0f, 0f, 0f).withFrost(1f)
            .withSaturation(0f).withLight(0, 0, 0f).withSheen(0f);

    private final CommandBuffer shapes = new CommandBuffer(1024), glass = new CommandBuffer(16);
    private final Corners panelCorners = Corners.of(Scene.GLASS_RADIUS);
    private List<Scene.Shape> shapeList;
    private Corners[] corners;
    private Scene.Rect[] panels;

    /** Takes the shapes and panels of configuration {@code c}. */
    void prepare(Run.Config c) {
        shapeList = Scene.shapes(c.n());
        corners = shapeList.stream().map(s -> Corners.of(s.radius())).toArray(Corners[]::new);
        panels = Scene.panels(c.g());
    }

    /** The rectangles where they are at {@code t} seconds; null when the scene has none. */
    CommandBuffer shapes(float t) {
        if (shapeList.isEmpty()) return null;
        shapes.clear();
        Scene.Rect[] rects = Scene.rectsAt(shapeList, t);
        for (int i = 0; i < rects.length; i++) {
            Scene.Rect r = rects[i];
            shapes.fill(r.x(), r.y(), r.w(), r.h(), corners[i], r.argb());
        }
        return shapes;
    }

    /** The glass panels; null when the scene has none. */
    CommandBuffer glass() {
        if (panels.length == 0) return null;
        glass.clear();
        for (Scene.Rect p : panels) glass.glass(p.x(), p.y(), p.w(), p.h(), panelCorners, FROST);
        return glass;
    }
}
