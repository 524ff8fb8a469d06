package marlith.bench;

import java.awt.Canvas;
import java.awt.Dimension;
import java.awt.EventQueue;
import java.awt.Frame;
import java.awt.Toolkit;
import java.awt.image.BufferedImage;
import java.nio.ByteBuffer;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.NativeGpu;
import marlith.sdk.ui.render.RenderPath;
import marlith.sdk.ui.render.RenderSession;

/**
 * Contestants S and U: ombrel-ui as a program uses it, through a session on an AWT Canvas in a
 * real window, on the software path ({@code software}) or the auto path ({@code auto}). A frame is
 * the {@code ombrel} contestant's (the background pass, one submit of the rectangles, one of the
 * glass panels with the blur), followed by a one-pixel readback that waits for the frame, since
 * auto may draw on the GPU; like the other window contestants it does not present.
 *
 * <p>On the auto path each configuration is a program of its own: a new session, which measures
 * both paths on that configuration's first frames and keeps the faster. Those frames are part of
 * the set-up, drawn before the warm-up, so that the timed frames show the path the session settled
 * on.
 */
final class SessionFrames implements Frames, AutoCloseable {
    /** How a session's reason starts while it is still measuring the two paths. */
    private static final String MEASURING = "GPU for now";
    /** More frames than the longest measurement takes. */
    private static final int MOST_TRIAL_FRAMES = 100;

    private final int width, height;
    private final RenderPath path;
    private final Canvas canvas = new Canvas();
    private final Frame window;
    private final FrameRecords records = new FrameRecords();
    private final ByteBuffer fence = ByteBuffer.allocateDirect(4);
    private RenderSession session;
    private float sigma;

    SessionFrames(int width, int height, RenderPath path) throws Exception {
        this.width = width;
        this.height = height;
        this.path = path;
        window = window("ombrel-ui " + path + " bench", canvas, width, height);
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
        records.prepare(c);
        sigma = c.sigma();
        if (session != null && path != RenderPath.AUTO) return;
        if (session != null) session.close();
        session = RenderSession.open(canvas, path);
        for (int i = 0; i < MOST_TRIAL_FRAMES && session.reason().startsWith(MEASURING); i++) frame(i, true);
        System.out.println(c.name(width, height) + ": " + session.path() + ": " + session.reason());
    }

    @Override
    public void frame(int index, boolean withGlass) {
        float t = index / 60f;
        session.background(width, height, t, false, false, Scene.BACKGROUND, Scene.ACCENT);
        CommandBuffer shapes = records.shapes(t), glass = withGlass ? records.glass() : null;
        if (shapes != null) submit(shapes, 0f);
        if (glass != null) submit(glass, sigma);
        session.readPixels(1, 1, fence);
    }

    private void submit(CommandBuffer buffer, float blur) {
        session.submit(buffer, 0, NativeGpu.GL_BACK, width, height, Scene.UI_WIDTH, Scene.UI_HEIGHT, blur,
                Scene.POINTER_X, Scene.POINTER_Y);
    }

    @Override
    public BufferedImage picture() {
        return session.readImage(width, height);
    }

    @Override
    public void close() {
        if (session != null) session.close();
        window.dispose();
    }
}
