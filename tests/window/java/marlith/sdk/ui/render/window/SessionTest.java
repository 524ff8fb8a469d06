package marlith.sdk.ui.render.window;

import static marlith.sdk.ui.render.window.Renderer.assertReleased;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assertions.fail;

import java.awt.Canvas;
import java.awt.Font;
import java.awt.image.BufferedImage;
import java.util.List;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.ExecutionException;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.Corners;
import marlith.sdk.ui.render.GlyphAtlas;
import marlith.sdk.ui.render.NativeGpu;
import marlith.sdk.ui.render.RenderPath;
import marlith.sdk.ui.render.RenderSession;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.function.Executable;

/** The session on a real Canvas: its thread, images, and what it refuses. */
class SessionTest extends CanvasTest {
    static final int WIDTH = 160, HEIGHT = 100;

    SessionTest() {
        super(WIDTH, HEIGHT);
    }

    @Test
    void theSessionKeepsItsThreadAndClosingItClosesTheRenderer() {
        IllegalStateException refused = assertThrows(IllegalStateException.class, () -> NativeGpu.open(new Canvas()));
        assertTrue(refused.getMessage().contains("not displayable"), refused.getMessage());

        RenderSession session;
        try (RenderSession gpu = NativeGpu.open(window.canvas)) {
            session = gpu;
            assertEquals(List.of(WIDTH, HEIGHT), List.of(gpu.clientWidth(), gpu.clientHeight()));
            assertEquals(RenderPath.GPU, gpu.path());
            assertTrue(gpu.reason().contains(NativeGpu.rendererString()), gpu.reason());
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
        try (RenderSession gpu = NativeGpu.open(window.canvas)) {
            CommandBuffer records = new CommandBuffer().fill(0, 0, WIDTH, HEIGHT, Corners.NONE, 0xFF000000);
            BufferedImage[] images = new BufferedImage[types.length];
            for (int i = 0; i < types.length; i++) {
                images[i] = new BufferedImage(4, 3, types[i]);
                images[i].setRGB(0, 0, 4, 3, pixels, 0, 4);
                int texture = gpu.createTexture(images[i]);
                records.image(10 + 10 * i, 10, 4, 3, texture, 0, 0, 1, 1, Corners.NONE, 1f);
                if (i == 0) {
                    // The middle two texels of the second row, replaced by a 2 x 1 image before drawing.
                    BufferedImage patch = new BufferedImage(2, 1, BufferedImage.TYPE_INT_RGB);
                    patch.setRGB(0, 0, 2, 1, new int[] {0x3366CC, 0xCC6633}, 0, 2);
                    gpu.upload(texture, 1, 1, patch);
                    images[i].setRGB(1, 1, 2, 1, new int[] {0xFF3366CC, 0xFFCC6633}, 0, 2);
                }
            }
            gpu.submit(records, 0, Float.NaN, Float.NaN);
            BufferedImage frame = gpu.readImage(WIDTH, HEIGHT);
            for (int i = 0; i < types.length; i++) assertDrawn(images[i], frame, 10 + 10 * i, 10, "image type " + types[i]);
            assertEquals(0, NativeGpu.glError());
        }
    }

    /**
     * Misuse of a session, of its textures and of a closed session's textures and atlas: each
     * row raises its exception naming the texture, argument, thread or closed session, before
     * the renderer sees the call, and the session then draws as before.
     */
    @Test
    void misuseIsRefusedNamingWhatIsWrong() throws Exception {
        RenderSession first = NativeGpu.open(window.canvas);
        GlyphAtlas oldAtlas = new GlyphAtlas(new Font(Font.SANS_SERIF, Font.PLAIN, 14));
        new CommandBuffer().text(oldAtlas, 10, 20, "old", 0xFFFFFFFF);
        // The last of several names, so that the second session's own textures below are other
        // names: an old name must be refused, not taken for a new texture.
        first.createTexture(4, 4);
        first.createTexture(4, 4);
        int old = first.createTexture(4, 4);
        first.close();

        RenderSession gpu = NativeGpu.open(window.canvas);
        int own = gpu.createTexture(8, 8);
        int raw = NativeGpu.createTexture(4, 4);
        int deleted = gpu.createTexture(4, 4);
        gpu.deleteTexture(deleted);
        BufferedImage patch = new BufferedImage(4, 4, BufferedImage.TYPE_INT_ARGB);
        String owner = Thread.currentThread().getName();
        Object[][] rows = {
            {"image of a raw texture", IllegalArgumentException.class, "texture " + raw, draw(gpu, raw)},
            {"image of a deleted texture", IllegalArgumentException.class, "texture " + deleted, draw(gpu, deleted)},
            {"image of the renderer's own texture", IllegalArgumentException.class, "texture 1", draw(gpu, 1)},
            {"image of a closed session's texture", IllegalArgumentException.class, "texture " + old, draw(gpu, old)},
            {"upload into a closed session's texture", IllegalArgumentException.class, "texture " + old,
                (Executable) () -> gpu.upload(old, 0, 0, patch)},
            {"delete the renderer's own texture", IllegalArgumentException.class, "texture 2",
                (Executable) () -> gpu.deleteTexture(2)},
            {"upload past the right edge", IllegalArgumentException.class, "x must",
                (Executable) () -> gpu.upload(own, 6, 0, patch)},
            {"upload above the top", IllegalArgumentException.class, "y must",
                (Executable) () -> gpu.upload(own, 0, -1, patch)},
            {"text of a closed session's atlas", IllegalStateException.class, "closed",
                (Executable) () -> new CommandBuffer().text(oldAtlas, 10, 20, "old", 0xFFFFFFFF)},
            {"a closed session", IllegalStateException.class, "closed", (Executable) () -> first.createTexture(4, 4)},
            {"another thread", IllegalStateException.class, "thread \"" + owner + "\"",
                (Executable) () -> onOtherThread(() -> gpu.createTexture(4, 4))},
            {"readImage of a negative size", IllegalArgumentException.class, "width", read(gpu, -1, 4)},
            {"readImage larger than a buffer", IllegalArgumentException.class, "width x height", read(gpu, 65536, 65536)},
            {"readPixels into no buffer", IllegalArgumentException.class, "rgba",
                (Executable) () -> gpu.readPixels(4, 4, null)},
            {"background at a NaN time", IllegalArgumentException.class, "time",
                (Executable) () -> gpu.background(WIDTH, HEIGHT, Float.NaN, false, false, 0, 0)},
            {"submit of no records", IllegalArgumentException.class, "records",
                (Executable) () -> gpu.submit(null, 0, Float.NaN, Float.NaN)},
        };
        for (Object[] row : rows) {
            @SuppressWarnings("unchecked")
            Class<? extends RuntimeException> type = (Class<? extends RuntimeException>) row[1];
            RuntimeException refused = assertThrows(type, (Executable) row[3], (String) row[0]);
            assertTrue(refused.getMessage().contains((String) row[2]), row[0] + ": " + refused.getMessage());
        }

        // Nothing refused reached the renderer: the own texture draws, and no GL error is left.
        BufferedImage red = new BufferedImage(8, 8, BufferedImage.TYPE_INT_RGB);
        for (int i = 0; i < 64; i++) red.setRGB(i % 8, i / 8, 0xFF0000);
        gpu.upload(own, 0, 0, red);
        gpu.submit(new CommandBuffer().image(20, 20, 8, 8, own, 0, 0, 1, 1, Corners.NONE, 1f), 0, Float.NaN, Float.NaN);
        assertEquals(0xFF0000, gpu.readImage(WIDTH, HEIGHT).getRGB(24, 24) & 0xFFFFFF);
        assertEquals(0, NativeGpu.glError());
        NativeGpu.deleteTexture(raw);
        gpu.close();
        assertReleased();
    }

    private static Executable draw(RenderSession gpu, int texture) {
        CommandBuffer records = new CommandBuffer().image(0, 0, 4, 4, texture, 0, 0, 1, 1, Corners.NONE, 1f);
        return () -> gpu.submit(records, 0, Float.NaN, Float.NaN);
    }

    private static Executable read(RenderSession gpu, int width, int height) {
        return () -> gpu.readImage(width, height);
    }

    // Runs `call` on another thread and rethrows what it raised there.
    private static void onOtherThread(Runnable call) throws Throwable {
        try {
            CompletableFuture.runAsync(call).get();
        } catch (ExecutionException e) {
            throw e.getCause();
        }
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
    private static String message(Runnable call) {
        return assertThrows(IllegalStateException.class, () -> onOtherThread(call)).getMessage();
    }
}
