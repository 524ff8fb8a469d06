package marlith.sdk.ui.render;

import java.nio.ByteBuffer;
import java.nio.FloatBuffer;

/**
 * What a {@link RenderSession} draws with: the native GPU renderer or the Java2D software
 * renderer. The session checks every argument, the thread and the textures' owner before it
 * calls one of these, so a backend sees only calls its session has accepted; the methods mean
 * what the natives of the same name in {@link NativeGpu} mean, pixel formats included (RGBA
 * bytes, straight alpha, lowest row first).
 */
interface Backend {
    /** Which renderer this is. */
    RenderPath path();

    /** Size of the drawing surface in pixels, packed as {@link NativeGpu#clientSize()} packs it. */
    long clientSize();

    void background(int width, int height, float time, boolean grid, boolean light, int background, int accent);

    void submit(FloatBuffer records, int count, int target, int colorBuffer, int width, int height,
            float uiWidth, float uiHeight, float sigma, float mx, float my);

    int createTexture(int width, int height);

    void upload(int texture, int x, int y, int width, int height, ByteBuffer rgba);

    void deleteTexture(int texture);

    void readPixels(int width, int height, ByteBuffer rgba);

    /** Shows the frame drawn since the last present. */
    void present();

    /** Releases everything the backend holds; the session calls it once. */
    void close();
}
