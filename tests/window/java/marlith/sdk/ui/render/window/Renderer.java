package marlith.sdk.ui.render.window;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.fail;

import java.awt.Canvas;
import java.nio.ByteBuffer;
import java.util.function.BooleanSupplier;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.Corners;
import marlith.sdk.ui.render.NativeGpu;

/** The renderer calls and observations the window tests share. */
final class Renderer {
    static final int GL_BACK = 0x0405;
    static final int BASE = 0x203A80;
    static final int ACCENT = 0x3050C0;

    private Renderer() {}

    static void open(Canvas canvas) {
        NativeGpu.open(canvas, NativeGpu.jawtPath(), NativeGpu.shaderSources());
    }

    /** What clientSize answers for a window of this size. */
    static long packed(int width, int height) {
        return (long) width << 32 | height;
    }

    /** Paints the background of a width × height window; nothing else. */
    static void background(int width, int height) {
        NativeGpu.background(width, height, 1.5f, false, false, BASE, ACCENT);
    }

    /** Draws one opaque square-cornered fill, UI units equal to pixels. */
    static void fill(int width, int height, float x, float y, float w, float h, int argb) {
        CommandBuffer records = new CommandBuffer();
        records.fill(x, y, w, h, Corners.NONE, argb);
        records.submit(0, GL_BACK, width, height, width, height, 0f, 0f, 0f);
    }

    /** The back buffer as 0xAARRGGBB pixels, top row first (GL hands the lowest row first). */
    static int[] read(int width, int height) {
        ByteBuffer rgba = ByteBuffer.allocateDirect(width * height * 4);
        NativeGpu.readPixels(width, height, rgba);
        int[] argb = new int[width * height];
        for (int row = 0; row < height; row++) {
            int top = (height - 1 - row) * width;
            for (int x = 0; x < width; x++) {
                int i = (row * width + x) * 4;
                argb[top + x] = (rgba.get(i + 3) & 0xFF) << 24 | (rgba.get(i) & 0xFF) << 16
                        | (rgba.get(i + 1) & 0xFF) << 8 | (rgba.get(i + 2) & 0xFF);
            }
        }
        return argb;
    }

    /**
     * Checks that {@code frame} holds the opaque fill (x, y, w, h) of colour {@code argb} over
     * {@code before}: the fill's colour on every pixel one pixel or more inside its edge, and
     * {@code before} unchanged on every pixel three or more pixels outside it (the anti-aliased
     * fringe lies in between).
     */
    static void assertFill(int[] before, int[] frame, int width, int x, int y, int w, int h, int argb) {
        int height = frame.length / width;
        for (int py = 0; py < height; py++) {
            for (int px = 0; px < width; px++) {
                int i = py * width + px;
                boolean inside = px >= x + 1 && px < x + w - 1 && py >= y + 1 && py < y + h - 1;
                boolean outside = px < x - 3 || px >= x + w + 3 || py < y - 3 || py >= y + h + 3;
                if (inside && frame[i] != argb) {
                    fail(String.format("fill pixel (%d, %d) is %08X, expected %08X", px, py, frame[i], argb));
                }
                if (outside && frame[i] != before[i]) {
                    fail(String.format("pixel (%d, %d) outside the fill changed from %08X to %08X",
                            px, py, before[i], frame[i]));
                }
            }
        }
    }

    /** Draws the background and a fill into an open renderer and checks the pixels read back. */
    static void assertDraws(int width, int height) {
        background(width, height);
        int[] before = read(width, height);
        int fill = 0xFFE08020;
        fill(width, height, 20, 16, width / 2, height / 3, fill);
        assertFill(before, read(width, height), width, 20, 16, width / 2, height / 3, fill);
        assertEquals(0, NativeGpu.glError(), "GL error after drawing");
    }

    /** No backend is open: every entry point that needs one refuses or answers 0. */
    static void assertNotOpen() {
        assertEquals(0L, NativeGpu.clientSize(), "clientSize while not open");
        assertEquals(0, NativeGpu.glError(), "glError while not open");
        IllegalStateException refused = assertThrows(IllegalStateException.class,
                () -> fill(64, 64, 0, 0, 8, 8, 0xFFFFFFFF));
        assertEquals("Renderer is not initialized", refused.getMessage());
        refused = assertThrows(IllegalStateException.class, () -> NativeGpu.createTexture(4, 4));
        assertEquals("Invalid texture creation", refused.getMessage());
    }

    /** Not open, and no GL context is current on this thread any more. */
    static void assertReleased() {
        assertNotOpen();
        assertEquals("unknown renderer", NativeGpu.rendererString(), "a GL context is still current");
    }

    /** Waits up to ten seconds for something the X server or AWT does asynchronously. */
    static void await(String what, BooleanSupplier condition) {
        long deadline = System.nanoTime() + 10_000_000_000L;
        while (!condition.getAsBoolean()) {
            if (System.nanoTime() > deadline) fail("gave up waiting: " + what);
            try {
                Thread.sleep(10);
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
                fail("interrupted waiting: " + what);
            }
        }
    }
}
