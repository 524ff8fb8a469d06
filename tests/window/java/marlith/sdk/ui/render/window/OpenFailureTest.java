package marlith.sdk.ui.render.window;

import static marlith.sdk.ui.render.window.Renderer.assertNotOpen;
import static marlith.sdk.ui.render.window.Renderer.assertReleased;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.awt.Canvas;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.Locale;
import java.util.function.Consumer;
import java.util.stream.Stream;
import marlith.sdk.ui.render.NativeGpu;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * Refused opens: each raises its message, leaves the renderer closed, and after close the same
 * Canvas opens and draws normally, so close released whatever the failed open held.
 */
class OpenFailureTest extends CanvasTest {
    static final int WIDTH = 240, HEIGHT = 160;

    @TempDir
    static Path scratch;

    OpenFailureTest() {
        super(WIDTH, HEIGHT);
    }

    static Stream<Arguments> refusedOpens() throws IOException {
        String jawt = NativeGpu.jawtPath();
        String[] shaders = NativeGpu.shaderSources();
        Path notALibrary = Files.writeString(scratch.resolve("libjawt.so"), "not a shared library\n");
        String notJawt = Path.of(System.getProperty("java.home"), "lib", "libjava.so").toString();
        return Stream.of(
                // OpenJDK 17 on X11 hands out a drawing surface for a Canvas without a peer;
                // locking it is what fails.
                refused("a Canvas that was never shown", "Cannot lock AWT Canvas.",
                        c -> NativeGpu.open(new Canvas(), jawt, shaders)),
                refused("a Canvas whose window was disposed", "Cannot lock AWT Canvas.",
                        c -> NativeGpu.open(disposedCanvas(), jawt, shaders)),
                refused("a null Canvas", "Cannot retain AWT Canvas.",
                        c -> NativeGpu.open(null, jawt, shaders)),
                refused("a JAWT path that names no file", "Cannot load JAWT/libGL.so.1.",
                        c -> NativeGpu.open(c, scratch.resolve("missing/libjawt.so").toString(), shaders)),
                refused("a JAWT path naming a file that is no library", "Cannot load JAWT/libGL.so.1.",
                        c -> NativeGpu.open(c, notALibrary.toString(), shaders)),
                refused("a null JAWT path", "Cannot load JAWT/libGL.so.1.",
                        c -> NativeGpu.open(c, null, shaders)),
                refused("a library that is not JAWT", "Required GLX/JAWT entry point is missing.",
                        c -> NativeGpu.open(c, notJawt, shaders)),
                // The GLX context exists and is current when the shader sources are refused.
                refused("six shader sources", "Seven shader sources are required.",
                        c -> NativeGpu.open(c, jawt, Arrays.copyOf(shaders, 6))),
                refused("a null shader source", "Shader sources must be seven strings.",
                        c -> NativeGpu.open(c, jawt, withSource(shaders, 3, null))));
    }

    private static Arguments refused(String what, String message, Consumer<Canvas> open) {
        return Arguments.of(what, message, open);
    }

    private static Canvas disposedCanvas() {
        TestWindow gone = TestWindow.show(64, 64);
        gone.dispose();
        return gone.canvas;
    }

    private static String[] withSource(String[] shaders, int index, String source) {
        String[] changed = shaders.clone();
        changed[index] = source;
        return changed;
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("refusedOpens")
    void refusedOpenLeavesTheRendererClosedAndCloseReleasesIt(String what, String message, Consumer<Canvas> open) {
        IllegalStateException refused = assertThrows(IllegalStateException.class, () -> open.accept(window.canvas));
        assertEquals(message, refused.getMessage());
        assertNotOpen();
        assertOpensAgainAfterClose();
    }

    @Test
    void shaderThatDoesNotCompileReportsTheCompilerLog() {
        String[] shaders = withSource(NativeGpu.shaderSources(), 4, "#version 330 core\nvoid main() { oops }\n");
        IllegalStateException refused = assertThrows(IllegalStateException.class,
                () -> NativeGpu.open(window.canvas, NativeGpu.jawtPath(), shaders));
        assertTrue(refused.getMessage().toLowerCase(Locale.ROOT).contains("error"), refused.getMessage());
        assertNotOpen();
        assertOpensAgainAfterClose();
    }

    @Test
    void secondOpenIsRefusedAndTheFirstKeepsWorking() {
        Renderer.open(window.canvas);
        TestWindow other = TestWindow.show(100, 80);
        try {
            IllegalStateException refused = assertThrows(IllegalStateException.class,
                    () -> Renderer.open(other.canvas));
            assertEquals("Renderer already open.", refused.getMessage());
            refused = assertThrows(IllegalStateException.class, () -> Renderer.open(window.canvas));
            assertEquals("Renderer already open.", refused.getMessage());
        } finally {
            other.dispose();
        }
        assertStillOpen();
    }

    @Test
    void attachAfterOpenIsRefusedAndTheWindowKeepsWorking() {
        Renderer.open(window.canvas);
        IllegalStateException refused = assertThrows(IllegalStateException.class,
                () -> NativeGpu.attach(NativeGpu.shaderSources()));
        assertEquals("Only one GPU backend is supported per process.", refused.getMessage());
        assertStillOpen();
    }

    private void assertStillOpen() {
        assertOpenAndDrawing();
        NativeGpu.close();
        assertReleased();
    }

    private void assertOpensAgainAfterClose() {
        NativeGpu.close();
        assertReleased();
        openAndAssertDrawing();
        NativeGpu.close();
        assertReleased();
    }
}
