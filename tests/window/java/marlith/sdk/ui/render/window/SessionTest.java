package marlith.sdk.ui.render.window;

import static marlith.sdk.ui.render.window.Renderer.assertReleased;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assertions.fail;

import java.awt.Canvas;
import java.awt.image.BufferedImage;
import java.util.List;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.ExecutionException;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.Corners;
import marlith.sdk.ui.render.NativeGpu;
import marlith.sdk.ui.render.RenderSession;
import org.junit.jupiter.api.Test;

/** The conveniences over the native methods on a real Canvas: the session, its thread, images. */
class SessionTest extends CanvasTest {
    static final int WIDTH = 160, HEIGHT = 100;

    SessionTest() {
        super(WIDTH, HEIGHT);
    }

    @Test
    void theSessionKeepsItsThreadAndClosingItClosesTheRenderer() throws Exception {
        IllegalStateException refused = assertThrows(IllegalStateException.class, () -> NativeGpu.open(new Canvas()));
        assertTrue(refused.getMessage().contains("not displayable"), refused.getMessage());

        RenderSession session;
        try (RenderSession gpu = NativeGpu.open(window.canvas)) {
            session = gpu;
            assertEquals(List.of(WIDTH, HEIGHT), List.of(NativeGpu.clientWidth(), NativeGpu.clientHeight()));
            CommandBuffer records = new CommandBuffer().fill(0, 0, 10, 10, Corners.NONE, 0xFFFFFFFF);
            String elsewhere = message(() -> records.submit(0, NativeGpu.GL_BACK, WIDTH, HEIGHT, WIDTH, HEIGHT, 0, 0, 0));
            assertTrue(elsewhere.contains(Thread.currentThread().getName()), elsewhere);
            assertTrue(message(gpu::close).contains("RenderSession.close"));
            assertTrue(gpu.isOpen());
            records.submit(0, NativeGpu.GL_BACK, WIDTH, HEIGHT, WIDTH, HEIGHT, 0, 0, 0);
        }
        assertFalse(session.isOpen());
        assertReleased();
        session.close();
        assertReleased();
    }

    @Test
    void imagesOfAnyTypeAreDrawnUprightAndUpdatedInPart() {
        int[] pixels = {
            0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF,
            0xFF808080, 0x80FF8000, 0x00FFFFFF, 0xFF123456,
            0xFF000000, 0xC0204060, 0xFFFFFF00, 0xFF00FFFF,
        };
        int[] types = {
            BufferedImage.TYPE_INT_ARGB, BufferedImage.TYPE_INT_ARGB_PRE, BufferedImage.TYPE_4BYTE_ABGR,
            BufferedImage.TYPE_3BYTE_BGR, BufferedImage.TYPE_BYTE_GRAY, BufferedImage.TYPE_USHORT_565_RGB,
            BufferedImage.TYPE_BYTE_INDEXED,
        };
        NativeGpu.open(window.canvas);
        CommandBuffer records = new CommandBuffer().fill(0, 0, WIDTH, HEIGHT, Corners.NONE, 0xFF000000);
        BufferedImage[] images = new BufferedImage[types.length];
        for (int i = 0; i < types.length; i++) {
            images[i] = new BufferedImage(4, 3, types[i]);
            images[i].setRGB(0, 0, 4, 3, pixels, 0, 4);
            int texture = NativeGpu.createTexture(images[i]);
            records.image(10 + 10 * i, 10, 4, 3, texture, 0, 0, 1, 1, Corners.NONE, 1f);
            if (i == 0) {
                // The middle two texels of the second row, replaced by a 2 x 1 image before drawing.
                BufferedImage patch = new BufferedImage(2, 1, BufferedImage.TYPE_INT_RGB);
                patch.setRGB(0, 0, 2, 1, new int[] {0x3366CC, 0xCC6633}, 0, 2);
                NativeGpu.upload(texture, 1, 1, patch);
                images[i].setRGB(1, 1, 2, 1, new int[] {0xFF3366CC, 0xFFCC6633}, 0, 2);
            }
        }
        records.submit(0, NativeGpu.GL_BACK, WIDTH, HEIGHT, WIDTH, HEIGHT, 0, Float.NaN, Float.NaN);
        BufferedImage frame = NativeGpu.readImage(WIDTH, HEIGHT);
        for (int i = 0; i < types.length; i++) assertDrawn(images[i], frame, 10 + 10 * i, 10, "image type " + types[i]);
        assertEquals(0, NativeGpu.glError());
    }

    // Each texel of `image` at (x + column, y + row), its straight colour over black.
    private static void assertDrawn(BufferedImage image, BufferedImage frame, int x, int y, String what) {
        for (int row = 0; row < image.getHeight(); row++) {
            for (int column = 0; column < image.getWidth(); column++) {
                int texel = image.getRGB(column, row), alpha = texel >>> 24, drawn = frame.getRGB(x + column, y + row);
                for (int shift = 0; shift < 24; shift += 8) {
                    int expected = ((texel >> shift & 0xFF) * alpha + 127) / 255;
                    if (Math.abs(expected - (drawn >> shift & 0xFF)) > 1) {
                        fail(String.format("%s, texel (%d, %d) %08X drawn as %06X", what, column, row, texel,
                                drawn & 0xFFFFFF));
                    }
                }
            }
        }
    }

    // The message of the IllegalStateException that `call` raises on another thread.
    private static String message(Runnable call) throws InterruptedException {
        try {
            CompletableFuture.runAsync(call).get();
        } catch (ExecutionException e) {
            if (e.getCause() instanceof IllegalStateException refused) return refused.getMessage();
            throw new AssertionError(e.getCause());
        }
        throw new AssertionError("no exception on another thread");
    }
}
