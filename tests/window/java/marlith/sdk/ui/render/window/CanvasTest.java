package marlith.sdk.ui.render.window;

import static org.junit.jupiter.api.Assertions.assertEquals;

import marlith.sdk.ui.render.NativeGpu;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.BeforeEach;

/**
 * Test classes with a window per test: the library loaded once, a Canvas of the given size shown
 * before each test, the renderer closed and the window disposed after it.
 */
abstract class CanvasTest {
    private final int width, height;
    TestWindow window;

    CanvasTest(int width, int height) {
        this.width = width;
        this.height = height;
    }

    @BeforeAll
    static void load() {
        NativeGpu.load();
    }

    @BeforeEach
    void show() {
        window = TestWindow.show(width, height);
    }

    @AfterEach
    void closeAndHide() {
        NativeGpu.close();
        window.dispose();
    }

    /** Opens the renderer on the Canvas, then checks it as assertOpenAndDrawing does. */
    void openAndAssertDrawing() {
        Renderer.open(window.canvas);
        assertOpenAndDrawing();
    }

    /** The open renderer reports the Canvas's size and draws into it. */
    void assertOpenAndDrawing() {
        assertEquals(Renderer.packed(width, height), NativeGpu.clientSize());
        Renderer.assertDraws(width, height);
    }
}
