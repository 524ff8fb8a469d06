package marlith.sdk.ui.render.window;

import static marlith.sdk.ui.render.window.Renderer.assertDraws;
import static marlith.sdk.ui.render.window.Renderer.assertFill;
import static marlith.sdk.ui.render.window.Renderer.assertReleased;
import static marlith.sdk.ui.render.window.Renderer.await;
import static marlith.sdk.ui.render.window.Renderer.packed;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.awt.AWTException;
import java.awt.Point;
import java.awt.Robot;
import marlith.sdk.ui.render.NativeGpu;
import org.junit.jupiter.api.Test;

/** The renderer's own GL context on a real AWT Canvas: drawing, presenting, window size, close. */
class WindowBindingTest extends CanvasTest {
    static final int WIDTH = 320, HEIGHT = 200;

    WindowBindingTest() {
        super(WIDTH, HEIGHT);
    }

    @Test
    void opensOnTheCanvasAndDrawsIntoItsBackBuffer() {
        Renderer.open(window.canvas);
        // The Mesa driver the run names: llvmpipe, or softpipe with OpenGL 3.3 only.
        String driver = System.getenv().getOrDefault("GALLIUM_DRIVER", "llvmpipe");
        assertTrue(NativeGpu.rendererString().contains(driver), NativeGpu.rendererString());
        assertEquals(packed(WIDTH, HEIGHT), NativeGpu.clientSize());

        Renderer.background(WIDTH, HEIGHT);
        int[] background = Renderer.read(WIDTH, HEIGHT);
        // The dark palette of a blue base: every pixel opaque and blue above red.
        for (int argb : background) {
            assertEquals(0xFF, argb >>> 24);
            assertTrue((argb & 0xFF) > (argb >> 16 & 0xFF), String.format("background pixel %08X", argb));
        }
        int fill = 0xFF20C060;
        Renderer.fill(WIDTH, HEIGHT, 100, 50, 60, 40, fill);
        assertFill(background, Renderer.read(WIDTH, HEIGHT), WIDTH, 100, 50, 60, 40, fill);
        assertEquals(0, NativeGpu.glError());
    }

    @Test
    void swapShowsTheFrameInTheWindow() throws AWTException {
        Renderer.open(window.canvas);
        int colour = 0xFF10D070;
        Renderer.fill(WIDTH, HEIGHT, 0, 0, WIDTH, HEIGHT, colour);
        Robot screen = new Robot();
        Point at = window.canvas.getLocationOnScreen();
        int x = at.x + WIDTH / 2, y = at.y + HEIGHT / 2;
        assertNotEquals(colour, screen.getPixelColor(x, y).getRGB(), "the frame is on screen before swap");
        NativeGpu.swap();
        await("the swapped frame on screen", () -> screen.getPixelColor(x, y).getRGB() == colour);
    }

    @Test
    void clientSizeFollowsTheWindowAndDrawingUsesTheNewSize() {
        Renderer.open(window.canvas);
        assertEquals(packed(WIDTH, HEIGHT), NativeGpu.clientSize());
        int width = WIDTH + 130, height = HEIGHT + 70;
        window.resize(width, height);
        await("clientSize after the resize", () -> NativeGpu.clientSize() == packed(width, height));
        // Mesa's GLX looks at the window size again when a frame is presented, as a frame loop
        // does after every frame; the next frame then has buffers of the new size.
        NativeGpu.swap();

        // A fill in the part of the window that the resize added.
        Renderer.background(width, height);
        int[] before = Renderer.read(width, height);
        int fill = 0xFFF0F0F0;
        Renderer.fill(width, height, WIDTH + 20, HEIGHT + 10, 90, 50, fill);
        assertFill(before, Renderer.read(width, height), width, WIDTH + 20, HEIGHT + 10, 90, 50, fill);
    }

    @Test
    void closeReleasesTheContextAndTheSameCanvasOpensAgain() {
        Renderer.open(window.canvas);
        assertDraws(WIDTH, HEIGHT);
        NativeGpu.close();
        assertReleased();
        NativeGpu.close();
        assertReleased();

        openAndAssertDrawing();
        NativeGpu.swap();
    }
}
