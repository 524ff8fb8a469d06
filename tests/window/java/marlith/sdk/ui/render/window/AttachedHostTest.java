package marlith.sdk.ui.render.window;

import static marlith.sdk.ui.render.window.Renderer.assertReleased;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.jogamp.opengl.GLCapabilities;
import com.jogamp.opengl.GLContext;
import com.jogamp.opengl.GLDrawableFactory;
import com.jogamp.opengl.GLOffscreenAutoDrawable;
import com.jogamp.opengl.GLProfile;
import marlith.sdk.ui.render.NativeGpu;
import marlith.sdk.ui.render.RenderPath;
import marlith.sdk.ui.render.RenderSession;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

/**
 * One backend per process, seen from the window binding: while a JOGL host context is attached,
 * open on a Canvas is refused, and after close the Canvas opens normally.
 */
class AttachedHostTest extends CanvasTest {
    static final int WIDTH = 200, HEIGHT = 120;

    GLOffscreenAutoDrawable host;

    AttachedHostTest() {
        super(WIDTH, HEIGHT);
    }

    @BeforeEach
    void makeHostCurrent() {
        GLProfile profile = GLProfile.getDefault();
        host = GLDrawableFactory.getFactory(profile)
                .createOffscreenAutoDrawable(null, new GLCapabilities(profile), null, 64, 64);
        host.display();
        assertNotEquals(GLContext.CONTEXT_NOT_CURRENT, host.getContext().makeCurrent(), "JOGL host context");
    }

    // Runs before CanvasTest's: the renderer lets go of the host's context
    // while it is still current.
    @AfterEach
    void releaseHost() {
        NativeGpu.close();
        if (GLContext.getCurrent() == host.getContext()) host.getContext().release();
        host.destroy();
    }

    @Test
    void openWhileAttachedIsRefusedAndTheCanvasOpensAfterClose() {
        // Asked for software, attached mode draws on the GPU all the same, and says so.
        RenderSession attached;
        System.setProperty(RenderPath.PROPERTY, "software");
        try {
            attached = NativeGpu.attach();
        } finally {
            System.clearProperty(RenderPath.PROPERTY);
        }
        assertEquals(RenderPath.GPU, attached.path());
        assertTrue(attached.reason().contains("attached mode is GPU-only"), attached.reason());
        IllegalStateException refused = assertThrows(IllegalStateException.class, () -> Renderer.open(window.canvas));
        assertEquals("Renderer already open.", refused.getMessage());

        // Still attached to the host: textures can be made, no window size is known, and the
        // host presents.
        int texture = attached.createTexture(8, 8);
        assertNotEquals(0, texture);
        attached.deleteTexture(texture);
        assertEquals(0, attached.clientWidth());
        assertThrows(IllegalStateException.class, attached::present);

        attached.close();
        host.getContext().release();
        assertReleased();
        openAndAssertDrawing();
    }
}
