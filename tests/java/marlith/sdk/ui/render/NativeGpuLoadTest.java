package marlith.sdk.ui.render;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertSame;

import java.io.File;
import org.junit.jupiter.api.Test;

/**
 * Loads the library the way an application does: from the file named by the system property when
 * the test runs with one, else from the jar on the class path.
 */
class NativeGpuLoadTest {
    @Test
    void loadsTheLibraryOnceAndItAnswersTheProtocolVersion() {
        String named = System.getProperty(NativeGpu.LIBRARY_PROPERTY);
        String expected = named != null
                ? new File(named).getAbsolutePath()
                : NativeGpu.bundledLibrary(System.getProperty("os.name"), System.getProperty("os.arch"));
        String from = NativeGpu.load();
        assertEquals(expected, from);
        assertSame(from, NativeGpu.load());
        assertEquals(NativeGpu.PROTOCOL_VERSION, NativeGpu.protocolVersion());
    }
}
