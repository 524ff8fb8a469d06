package marlith.sdk.ui.render;

import java.awt.Canvas;
import java.awt.image.BufferedImage;
import java.nio.ByteBuffer;

/**
 * The software renderer for the benchmark's contestants and checks, which live outside the
 * renderer's package: the same calls as the natives of the same names, on a Canvas.
 */
public final class SoftwareDriver implements AutoCloseable {
    private final SoftwareBackend backend;

    /** A software renderer drawing at the size of {@code canvas}. */
    public SoftwareDriver(Canvas canvas) {
        backend = new SoftwareBackend(canvas);
    }

    /** As {@link NativeGpu#background}. */
    public void background(int width, int height, float time, boolean grid, boolean light, int base, int accent) {
        backend.background(width, height, time, grid, light, base, accent);
    }

    /** As {@link CommandBuffer#submit} into the back buffer (target 0, GL_BACK). */
    public void submit(CommandBuffer records, int width, int height, float uiWidth, float uiHeight, float sigma,
            float mx, float my) {
        backend.submit(records.buffer(), records.count(), 0, NativeGpu.GL_BACK, width, height, uiWidth, uiHeight,
                sigma, mx, my);
    }

    /** As {@link NativeGpu#createTexture(int, int)}. */
    public int createTexture(int width, int height) {
        return backend.createTexture(width, height);
    }

    /** As {@link NativeGpu#upload(int, int, int, int, int, ByteBuffer)}. */
    public void upload(int texture, int x, int y, int width, int height, ByteBuffer rgba) {
        backend.upload(texture, x, y, width, height, rgba);
    }

    /** As {@link NativeGpu#readPixels}. */
    public void readPixels(int width, int height, ByteBuffer rgba) {
        backend.readPixels(width, height, rgba);
    }

    /** As {@link NativeGpu#readImage}. */
    public BufferedImage readImage(int width, int height) {
        ByteBuffer rgba = ByteBuffer.allocateDirect(width * height * 4);
        backend.readPixels(width, height, rgba);
        return Pixels.image(rgba, width, height);
    }

    /** Shows the frame on the Canvas. */
    public void present() {
        backend.present();
    }

    @Override
    public void close() {
        backend.close();
    }
}
