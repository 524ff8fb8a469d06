package marlith.bench;

import java.awt.Canvas;
import java.awt.Dimension;
import java.awt.EventQueue;
import java.awt.Frame;
import java.awt.Toolkit;
import java.awt.image.BufferedImage;
import java.nio.ByteBuffer;
import java.util.List;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.Corners;
import marlith.sdk.ui.render.Glass;
import marlith.sdk.ui.render.NativeGpu;

/**
 * Contestant A: ombrel-ui through its Java API, on an AWT Canvas in a real window. A frame is the
 * background pass, one submit of the rectangles, one submit of the glass panels with the blur,
 * and a one-pixel readPixels that waits until the back buffer holds the frame.
 */
final class OmbrelFrames implements Frames {
    private static final int GL_BACK = 0x0405;
    /** Glass that shows the blurred backdrop and nothing else, so that its accuracy can be checked. */
    private static final Glass FROST = Glass.DEFAULT.withTint(0xFFFFFF, 0f).withBevel(0f, 0f, 0f).withFrost(1f)
            .withSaturation(0f).withLight(0, 0, 0f).withSheen(0f);

    private final int width, height;
    private final Frame window;
    private final CommandBuffer shapes = new CommandBuffer(1024), glass = new CommandBuffer(16);
    private final ByteBuffer fence = ByteBuffer.allocateDirect(4);
    private List<Scene.Shape> shapeList;
    private Corners[] corners;
    private Scene.Rect[] panels;
    private Corners panelCorners;
    private Run.Config config;

    OmbrelFrames(int width, int height) throws Exception {
        this.width = width;
        this.height = height;
        window = openWindow("ombrel-ui bench", width, height, NativeGpu.shaderSources());
    }

    /**
     * An undecorated window whose Canvas is exactly {@code width} x {@code height} pixels, with the
     * renderer open on it from {@code sources}.
     */
    static Frame openWindow(String title, int width, int height, String[] sources) throws Exception {
        Canvas canvas = new Canvas();
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
        NativeGpu.load();
        NativeGpu.open(canvas, NativeGpu.jawtPath(), sources);
        long size = NativeGpu.clientSize();
        if (size != ((long) width << 32 | height)) {
            throw new IllegalStateException("window is " + (size >>> 32) + "x" + (size & 0xFFFFFFFFL)
                    + ", wanted " + width + "x" + height);
        }
        return window;
    }

    @Override
    public void prepare(Run.Config c) {
        config = c;
        shapeList = Scene.shapes(c.n());
        corners = shapeList.stream().map(s -> Corners.of(s.radius())).toArray(Corners[]::new);
        panels = Scene.panels(c.g());
        panelCorners = Corners.of(Scene.GLASS_RADIUS);
    }

    @Override
    public void frame(int index, boolean withGlass) {
        float t = index / 60f;
        NativeGpu.background(width, height, t, false, false, Scene.BACKGROUND, Scene.ACCENT);
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
            for (Scene.Rect p : panels) glass.glass(p.x(), p.y(), p.w(), p.h(), panelCorners, FROST);
            submit(glass, config.sigma());
        }
        NativeGpu.readPixels(1, 1, fence);
    }

    private void submit(CommandBuffer records, float sigma) {
        records.submit(0, GL_BACK, width, height, Scene.UI_WIDTH, Scene.UI_HEIGHT, sigma, Scene.POINTER_X,
                Scene.POINTER_Y);
    }

    @Override
    public BufferedImage picture() {
        return NativeGpu.readImage(width, height);
    }

    /** Fails on a pending GL error, then releases the renderer and the window. */
    void close() {
        int error = NativeGpu.glError();
        NativeGpu.close();
        window.dispose();
        if (error != 0) throw new IllegalStateException("GL error 0x" + Integer.toHexString(error));
    }
}
