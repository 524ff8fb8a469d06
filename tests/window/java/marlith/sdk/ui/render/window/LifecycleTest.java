package marlith.sdk.ui.render.window;

import static marlith.sdk.ui.render.window.Renderer.assertReleased;
import static marlith.sdk.ui.render.window.Renderer.packed;
import static org.junit.jupiter.api.Assertions.assertEquals;

import marlith.sdk.ui.render.NativeGpu;
import org.junit.jupiter.api.Test;

/** A fresh process: nothing is open before the first open, and close returns to that state. */
class LifecycleTest {
    @Test
    void clientSizeIsZeroBeforeOpenAndAfterClose() {
        NativeGpu.load();
        assertEquals(0L, NativeGpu.clientSize(), "before anything was opened");
        NativeGpu.close();
        assertReleased();
        TestWindow window = TestWindow.show(180, 90);
        try {
            assertEquals(0L, NativeGpu.clientSize(), "with a window shown but not opened");
            Renderer.open(window.canvas);
            assertEquals(packed(180, 90), NativeGpu.clientSize());
            NativeGpu.close();
            assertEquals(0L, NativeGpu.clientSize(), "after close");
            assertReleased();
        } finally {
            NativeGpu.close();
            window.dispose();
        }
    }
}
