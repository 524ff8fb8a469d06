package marlith.bench;

import java.awt.Canvas;
import java.awt.Dimension;
import java.awt.EventQueue;
import java.awt.Frame;
import java.awt.Toolkit;
import java.awt.image.BufferedImage;
import java.util.List;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.Corners;
import marlith.sdk.ui.render.Glass;
import marlith.sdk.ui.render.NativeGpu;
import marlith.sdk.ui.render.RenderPath;
import marlith.sdk.ui.render.RenderSession;

/**
 * Contestant S: ombrel-ui's software renderer, a session opened with {@link RenderPath#SOFTWARE} on
 * an AWT Canvas in a real window. A frame is what the {@code ombrel} contestant does (the
 * background pass, one submit of the rectangles, one of the glass panels with the blur), drawn on
 * the CPU; like the other window contestants it does not present, and the frame is complete when
 * the calls return.
 */
final class SoftwareFrames implements Frames, AutoCloseable {
    /** The glass of the {@code ombrel} contestant: the blurred backdrop and nothing else. */
    private static final Glass FROST = Glass.DEFAULT.withTint(0xFFFFFF, 0f).withBevel(0f, 0f, 0f).withFrost(1f)
            .withSaturation(0f).withLight(0, 0, 0f).withSheen(0f);

    private final int width, height;
    private final Frame window;
    private final RenderSession renderer;
    private final CommandBuffer shapes = new CommandBuffer(1024), glass = new CommandBuffer(16);
    private List<Scene.Shape> shapeList;
    private Corners[] corners;
    private Scene.Rect[] panels;
    private Run.Config config;

    SoftwareFrames(int width, int height) throws Exception {
        this.width = width;
        this.height = height;
        Canvas canvas = new Canvas();
        window = window("ombrel-ui software bench", canvas, width, height);
        renderer = RenderSession.open(canvas, RenderPath.SOFTWARE);
    }

    /** An undecorated window, shown, whose Canvas is exactly {@code width} x {@code height} pixels. */
    static Frame window(String title, Canvas canvas, int width, int height) throws Exception {
        canvas.setPreferredSize(new Dimension(width, height));
        canvas.setIgnoreRepaint(true);
        Frame window = new Frame(title);
        window.setUndecorated(true);
        window.setResizable(false);
        window.add(canvas);
        EventQueue.invokeAndWait(() -> {
            window.pack();
            window.setVisible(true);
        });
        Toolkit.getDefaultToolkit().sync();
        if (canvas.getWidth() != width || canvas.getHeight() != height) {
            throw new IllegalStateException("window is " + canvas.getWidth() + "x" + canvas.getHeight() + ", wanted "
                    + width + "x" + height);
        }
        return window;
    }

    @Override
    public void prepare(Run.Config c) {
        config = c;
        shapeList = Scene.shapes(c.n());
        corners = shapeList.stream().map(s -> Corners.of(s.radius())).toArray(Corners[]::new);
        panels = Scene.panels(c.g());
    }

    @Override
    public void frame(int index, boolean withGlass) {
        float t = index / 60f;
        renderer.background(width, height, t, false, false, Scene.BACKGROUND, Scene.ACCENT);
        if (config.n() > 0) {
            shapes.clear();
            Scene.Rect[] rects = Scene.rectsAt(shapeList, t);
            for (int i = 0; i < rects.length; i++) {
                Scene.Rect r = rects[i];
                shapes.fill(r.x(), r.y(), r.w(), r.h(), corners[i], r.argb());
            }
            submit(shapes, 0f);
        }
        if (withGlass && config.g() > 0) {
            glass.clear();
            Corners round = Corners.of(Scene.GLASS_RADIUS);
            for (Scene.Rect p : panels) glass.glass(p.x(), p.y(), p.w(), p.h(), round, FROST);
            submit(glass, config.sigma());
        }
    }

    private void submit(CommandBuffer records, float sigma) {
        renderer.submit(records, 0, NativeGpu.GL_BACK, width, height, Scene.UI_WIDTH, Scene.UI_HEIGHT, sigma,
                Scene.POINTER_X, Scene.POINTER_Y);
    }

    @Override
    public BufferedImage picture() {
        return renderer.readImage(width, height);
    }

    @Override
    public void close() {
        renderer.close();
        window.dispose();
    }
}
