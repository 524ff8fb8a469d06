package marlith.sdk.ui.render;

import java.nio.ByteBuffer;
import java.nio.FloatBuffer;

/** The native OpenGL renderer behind a session: each call is the native of the same name. */
final class GpuBackend implements Backend {
    private final boolean attached;

    // Attached: the renderer draws in a host's context, and the host presents.
    GpuBackend(boolean attached) {
        this.attached = attached;
    }

    @Override
    public RenderPath path() {
        return RenderPath.GPU;
    }

    @Override
    public long clientSize() {
        return NativeGpu.clientSize();
    }

    @Override
    public void background(int width, int height, float time, boolean grid, boolean light, int background, int accent) {
        NativeGpu.background(width, height, time, grid, light, background, accent);
    }

    @Override
    public void submit(FloatBuffer records, int count, int target, int colorBuffer, int width, int height,
            float uiWidth, float uiHeight, float sigma, float mx, float my) {
        NativeGpu.submit(records, count, target, colorBuffer, width, height, uiWidth, uiHeight, sigma, mx, my);
    }

    @Override
    public int createTexture(int width, int height) {
        return NativeGpu.createTexture(width, height);
    }

    @Override
    public void upload(int texture, int x, int y, int width, int height, ByteBuffer rgba) {
        NativeGpu.upload(texture, x, y, width, height, rgba);
    }

    @Override
    public void deleteTexture(int texture) {
        NativeGpu.deleteTexture(texture);
    }

    @Override
    public void readPixels(int width, int height, ByteBuffer rgba) {
        NativeGpu.readPixels(width, height, rgba);
    }

    // A host presents its own frames; on Windows a swap there would fail anyway.
    @Override
    public void present() {
        if (attached) throw new IllegalStateException("present: an attached session's host presents its frames");
        NativeGpu.swap();
    }

    @Override
    public void close() {
        NativeGpu.close();
    }
}
