package marlith.bench;

import java.awt.Canvas;
import java.awt.Frame;
import java.awt.image.BufferedImage;
import java.nio.ByteBuffer;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.NativeGpu;

/**
 * Contestant A: ombrel-ui through its Java API, on an AWT Canvas in a real window. A frame is the
 * background pass, one submit of the rectangles, one submit of the glass panels with the blur,
 * and a one-pixel readPixels that waits until the back buffer holds the frame.
 */
final class OmbrelFrames implements Frames {
    private static final int GL_BACK = 0x0405;

    private final int width, height;
    private final Frame window;
    private final FrameRecords records = new FrameRecords();
    private final ByteBuffer fence = ByteBuffer.allocateDirect(4);
    private float sigma;

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
        Frame window = SessionFrames.window(title, canvas, width, height);
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
        records.prepare(c);
        sigma = c.sigma();
    }

    @Override
    public void frame(int index, boolean withGlass) {
        float t = index / 60f;
        NativeGpu.background(width, height, t, false, false, Scene.BACKGROUND, Scene.ACCENT);
        CommandBuffer shapes = records.shapes(t), glass = withGlass ? records.glass() : null;
        if (shapes != null) submit(shapes, 0f);
        if (glass != null) submit(glass, sigma);
        NativeGpu.readPixels(1, 1, fence);
    }

    private void submit(CommandBuffer buffer, float blur) {
        buffer.submit(0, GL_BACK, width, height, Scene.UI_WIDTH, Scene.UI_HEIGHT, blur, Scene.POINTER_X,
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
