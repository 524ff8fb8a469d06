package marlith.sdk.ui.render;

/**
 * The open renderer, as {@link NativeGpu#open(java.awt.Canvas)} and {@link NativeGpu#attach()}
 * return it: closing it calls {@link NativeGpu#close()}, so a try-with-resources block releases
 * the renderer however it ends.
 *
 * <pre>{@code
 * try (RenderSession gpu = NativeGpu.open(canvas)) {
 *     ... frames ...
 * }
 * }</pre>
 *
 * <p>A window opened with {@code open} has its GL context current on the opening thread only, so
 * {@link CommandBuffer#submit} and {@link #close()} refuse other threads while it is open. In
 * attached mode the host may make its context current on any thread, and no thread is checked.
 * Close the session rather than calling {@link NativeGpu#close()} directly, which this class
 * cannot see: until the session is closed or a newer one opened, it counts as open.
 */
public final class RenderSession implements AutoCloseable {
    private static volatile RenderSession current;

    private final Thread thread;

    private RenderSession(Thread thread) {
        this.thread = thread;
    }

    // Called once the native open or attach has succeeded.
    static RenderSession opened(boolean attached) {
        RenderSession session = new RenderSession(attached ? null : Thread.currentThread());
        current = session;
        return session;
    }

    /**
     * The thread the window was opened on.
     *
     * @return the one thread the window's GL context is current on; null in attached mode
     */
    public Thread thread() {
        return thread;
    }

    /**
     * Whether this session is still the open renderer.
     *
     * @return false once closed through this handle, or once a newer session was opened
     */
    public boolean isOpen() {
        return current == this;
    }

    /**
     * Calls {@link NativeGpu#close()} unless this session was closed already; a second close does
     * nothing, and neither does closing a session after a newer one was opened.
     *
     * @throws IllegalStateException when a window session is closed on another thread than its own
     */
    @Override
    public void close() {
        if (current != this) return;
        checkThread("RenderSession.close");
        current = null;
        NativeGpu.close();
    }

    // Refuses a call on another thread than the one whose window is open.
    static void checkThread(String call) {
        RenderSession session = current;
        if (session == null || session.thread == null || session.thread == Thread.currentThread()) return;
        throw new IllegalStateException(call + " called on thread \"" + Thread.currentThread().getName()
                + "\", but the renderer's GL context is current on thread \"" + session.thread.getName()
                + "\", which opened it");
    }
}
