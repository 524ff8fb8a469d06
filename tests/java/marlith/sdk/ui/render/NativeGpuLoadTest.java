package marlith.sdk.ui.render;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertSame;
import static org.junit.jupiter.api.Assertions.assertThrows;

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

    /**
     * Runs with the property naming a library that answers the protocol version in {@code
     * ombrel.test.wrongProtocol}: loading fails, names the file and both versions, and fails again
     * on the next call rather than counting the library as loaded.
     */
    @Test
    void refusesALibraryOfAnotherProtocolVersion() {
        String named = new File(System.getProperty(NativeGpu.LIBRARY_PROPERTY)).getAbsolutePath();
        String answered = System.getProperty("ombrel.test.wrongProtocol");
        for (int call = 0; call < 2; call++) {
            String message = assertThrows(UnsatisfiedLinkError.class, NativeGpu::load).getMessage();
            assertEquals(named + " answers protocol version " + answered + ", but ombrel-ui " + NativeGpu.version()
                    + " on the Java side needs protocol version " + NativeGpu.PROTOCOL_VERSION, message);
        }
    }
}
