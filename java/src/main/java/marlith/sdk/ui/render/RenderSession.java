package marlith.sdk.ui.render;

import static marlith.sdk.ui.render.Checks.finite;
import static marlith.sdk.ui.render.Checks.notNull;
import static marlith.sdk.ui.render.Checks.positive;

import java.awt.Canvas;
import java.awt.image.BufferedImage;
import java.nio.ByteBuffer;
import java.nio.FloatBuffer;
import java.util.Map;
import java.util.concurrent.ConcurrentHashMap;

/**
 * An open renderer and everything drawn through it: the background, textures, command records,
 * readback and presenting, on the GPU or in software. {@link #open(Canvas)}, {@link
 * NativeGpu#open(java.awt.Canvas)} and {@link NativeGpu#attach()} return one; closing it closes
 * the renderer, so a try-with-resources block releases the renderer however it ends.
 *
 * <pre>{@code
 * try (RenderSession gpu = NativeGpu.open(canvas)) {
 *     int w = gpu.clientWidth(), h = gpu.clientHeight();
 *     gpu.background(w, h, time, false, false, 0x101828, 0x6D5BD0);
 *     gpu.submit(records, 16f, Float.NaN, Float.NaN);
 *     gpu.present();
 * }
 * }</pre>
 *
 * <p>The session checks every call before the renderer sees it, and raises {@link
 * IllegalArgumentException} naming the argument, or {@link IllegalStateException} naming the
 * session or thread:
 * <ul>
 *   <li>A window session draws on the thread that opened it, where its GL context is current:
 *       every method, {@link #close()} included, refuses other threads. In attached mode the host
 *       may make its context current on any thread, and no thread is checked.
 *   <li>Textures belong to the session that made them with {@link #createTexture(int, int)}.
 *       {@link #upload}, {@link #deleteTexture} and the image and text records of {@link #submit}
 *       refuse any other name: one made by another session, by the raw {@link
 *       NativeGpu#createTexture(int, int)}, deleted, or the renderer's own.
 *   <li>A closed session refuses every call but {@link #close()}, and so do its textures and the
 *       {@link GlyphAtlas}es that drew through it.
 * </ul>
 *
 * <p>Close the session rather than calling {@link NativeGpu#close()} directly, which this class
 * cannot see: until the session is closed or a newer GPU session opened, it counts as open.
 */
public final class RenderSession implements AutoCloseable {
    // The most recently opened session that is still open: where the static conveniences of
    // NativeGpu and CommandBuffer draw.
    private static volatile RenderSession current;

    private final Backend backend;
    private final Thread thread;
    private final String reason;
    // Width << 32 | height of each texture this session made and has not deleted. Attached
    // sessions may be called on any thread.
    private final Map<Integer, Long> textures = new ConcurrentHashMap<>();
    private volatile boolean closed;

    private RenderSession(Backend backend, Thread thread, String reason) {
        this.backend = backend;
        this.thread = thread;
        this.reason = reason;
    }

    /**
     * Opens a session on {@code canvas} with the path the system property {@value
     * RenderPath#PROPERTY} names, {@link RenderPath#AUTO} when it is not set: {@link #open(Canvas,
     * RenderPath)} with {@link RenderPath#configured()}.
     *
     * @param canvas a displayable Canvas: in a window that was packed or shown
     * @return the open session; close it (try-with-resources) to close its renderer
     * @throws IllegalArgumentException for a null canvas, or a property naming no path
     * @throws IllegalStateException as {@link #open(Canvas, RenderPath)} does
     * @throws UnsatisfiedLinkError as {@link #open(Canvas, RenderPath)} does
     */
    public static RenderSession open(Canvas canvas) {
        return AutoBackend.open(canvas, RenderPath.configured(), "-D" + RenderPath.PROPERTY + " asks");
    }

    /**
     * Opens a session on {@code canvas} that draws with {@code path}; the calling thread becomes
     * the session's. {@link #path()} tells which renderer draws, {@link #reason()} why.
     * <ul>
     *   <li>{@link RenderPath#GPU}: loads the library and opens the native renderer, as {@link
     *       NativeGpu#open(Canvas)} does.
     *   <li>{@link RenderPath#SOFTWARE}: the Java2D renderer, which needs neither the library nor
     *       OpenGL.
     *   <li>{@link RenderPath#AUTO}: the GPU where it opens. Where it does not for want of OpenGL
     *       3.3, of JAWT or of the GL library, or the library does not load, the software path.
     *       Where the GPU is a software rasterizer (llvmpipe, softpipe, SwiftShader, GDI Generic,
     *       Microsoft Basic Render), the first frames are drawn by both paths in turn and timed,
     *       and the faster one draws from then on. Other failures raise.
     * </ul>
     *
     * @param canvas a displayable Canvas: in a window that was packed or shown; close the session
     *     before disposing the window
     * @param path the renderer to draw with
     * @return the open session; close it (try-with-resources) to close its renderer
     * @throws IllegalArgumentException for a null canvas or path
     * @throws IllegalStateException when the Canvas is not displayable, or as the native open does
     *     (for auto, in the cases that do not fall back to software)
     * @throws UnsatisfiedLinkError for the GPU path, as {@link NativeGpu#load()} does
     */
    public static RenderSession open(Canvas canvas, RenderPath path) {
        return AutoBackend.open(canvas, path, "the program asks");
    }

    /**
     * A session over a backend that has just opened, drawing on {@code owner}'s thread, or on any
     * thread when {@code owner} is null.
     */
    static RenderSession start(Backend backend, Thread owner, String reason) {
        RenderSession session = new RenderSession(backend, owner, reason);
        RenderSession previous = current;
        // There is one native renderer per process: if it opened again, the previous GPU
        // session's renderer was closed behind its back, through NativeGpu.close().
        if (previous != null && previous.path() == RenderPath.GPU && session.path() == RenderPath.GPU) {
            previous.closed = true;
        }
        current = session;
        return session;
    }

    /** The most recently opened session if it is still open, else null. */
    static RenderSession current() {
        return current;
    }

    /**
     * Which renderer the session draws with. An auto session on a software rasterizer draws its
     * first frames with both in turn, then keeps the faster.
     *
     * @return {@link RenderPath#GPU} or {@link RenderPath#SOFTWARE}, never {@link RenderPath#AUTO}
     */
    public RenderPath path() {
        return backend.path();
    }

    /**
     * Why the session draws with its path, for logs and overlays: for example "GPU: llvmpipe
     * (LLVM 15.0.6, 256 bits) measured 38.0 ms/frame against software 45.2 ms/frame", or
     * "software: the GPU renderer did not open: " and the native open's message. An auto
     * session on a software rasterizer gives its final reason once its first frames are measured.
     *
     * @return the path, who asked for it or what auto found, and the GL renderer and version
     *     where it is the GPU
     */
    public String reason() {
        return backend instanceof AutoBackend auto ? auto.reason() : reason;
    }

    /**
     * The thread the session draws on.
     *
     * @return the thread that opened the window; null in attached mode, where any thread may call
     */
    public Thread thread() {
        return thread;
    }

    /**
     * Whether the session is still open.
     *
     * @return false once closed, or once a newer GPU session was opened
     */
    public boolean isOpen() {
        return !closed;
    }

    /**
     * Width in pixels of the window's client area, read from the window at each call.
     *
     * @return the width; 0 in attached mode, which has no window
     * @throws IllegalStateException when the session is closed or called on another thread
     */
    public int clientWidth() {
        check("RenderSession.clientWidth");
        return (int) (backend.clientSize() >>> 32);
    }

    /**
     * Height in pixels of the window's client area, read from the window at each call.
     *
     * @return the height; 0 in attached mode, which has no window
     * @throws IllegalStateException when the session is closed or called on another thread
     */
    public int clientHeight() {
        check("RenderSession.clientHeight");
        return (int) backend.clientSize();
    }

    /**
     * Paints the animated background over the window, as {@link NativeGpu#background} describes:
     * a vertical gradient of {@code background} with three soft glows of {@code accent} that
     * drift with {@code time}.
     *
     * @param width width of the painted area in pixels, above 0, usually the window's
     * @param height height of the painted area in pixels, above 0, usually the window's
     * @param time animation time in seconds, finite
     * @param grid whether faint pixel grid lines are drawn (dark palette only)
     * @param light the light palette when true, the dark one when false
     * @param background base colour 0xRRGGBB of the gradient; the top byte is ignored
     * @param accent colour 0xRRGGBB of the glows; the top byte is ignored
     * @throws IllegalArgumentException naming the argument out of range
     * @throws IllegalStateException when the session is closed or called on another thread, or
     *     as the renderer does for a size beyond its limits
     */
    public void background(int width, int height, float time, boolean grid, boolean light, int background, int accent) {
        positive("width", width);
        positive("height", height);
        finite("time", time);
        check("RenderSession.background");
        backend.background(width, height, time, grid, light, background, accent);
    }

    /**
     * Creates an RGBA texture of this session for image and text records, its contents undefined
     * until {@link #upload}. It is the session's until {@link #deleteTexture}; closing the
     * session ends it too.
     *
     * @param width width in texels, above 0
     * @param height height in texels, above 0
     * @return the texture's name, for the texture slot of image and text records
     * @throws IllegalArgumentException for a size of 0 or less
     * @throws IllegalStateException when the session is closed or called on another thread, or
     *     when the renderer cannot make a texture that large
     */
    public int createTexture(int width, int height) {
        positive("width", width);
        positive("height", height);
        check("RenderSession.createTexture");
        int texture = backend.createTexture(width, height);
        textures.put(texture, (long) width << 32 | height);
        return texture;
    }

    /**
     * Creates a texture holding {@code image}, converted once from any image type to straight
     * RGBA in sRGB, top row first, so that an image record with the region (0, 0, 1, 1) draws it
     * upright.
     *
     * @param image the picture
     * @return the texture's name
     * @throws IllegalArgumentException for a null image
     * @throws IllegalStateException as {@link #createTexture(int, int)} does
     */
    public int createTexture(BufferedImage image) {
        notNull("image", image);
        int texture = createTexture(image.getWidth(), image.getHeight());
        upload(texture, 0, 0, image);
        return texture;
    }

    /**
     * Replaces a rectangle of one of this session's textures with {@code image}, converted as
     * {@link #createTexture(BufferedImage)} does; pass {@code picture.getSubimage(...)} to update
     * a part of a picture.
     *
     * @param texture a texture of this session
     * @param x left texel column the image's left column goes to, 0 or more
     * @param y texel row the image's top row goes to, counted from the top of the picture, 0 or more
     * @param image the new pixels, which must fit inside the texture at (x, y)
     * @throws IllegalArgumentException for a texture that is not this session's, a null image, or
     *     a rectangle that does not fit the texture
     * @throws IllegalStateException when the session is closed or called on another thread
     */
    public void upload(int texture, int x, int y, BufferedImage image) {
        notNull("image", image);
        checkRect("RenderSession.upload", texture, x, y, image.getWidth(), image.getHeight());
        backend.upload(texture, x, y, image.getWidth(), image.getHeight(), Pixels.rgba(image));
    }

    /**
     * Copies RGBA bytes into a rectangle of one of this session's textures, in the layout {@link
     * NativeGpu#upload} describes: R, G, B, A per texel, straight alpha, rows packed without gaps
     * and read from the buffer's start, the first row in memory becoming texture row {@code y}.
     *
     * @param texture a texture of this session
     * @param x left texel column of the rectangle, 0 or more
     * @param y first texel row of the rectangle, 0 or more
     * @param width width in texels, above 0; x + width at most the texture's width
     * @param height height in texels, above 0; y + height at most the texture's height
     * @param rgba a direct ByteBuffer of at least width × height × 4 bytes
     * @throws IllegalArgumentException for a texture that is not this session's, a rectangle that
     *     does not fit it, or a missing, heap or too small buffer
     * @throws IllegalStateException when the session is closed or called on another thread
     */
    public void upload(int texture, int x, int y, int width, int height, ByteBuffer rgba) {
        positive("width", width);
        positive("height", height);
        checkBuffer(rgba, Pixels.bytes(width, height));
        checkRect("RenderSession.upload", texture, x, y, width, height);
        backend.upload(texture, x, y, width, height, rgba);
    }

    /**
     * Deletes one of this session's textures; its name is refused from then on.
     *
     * @param texture a texture of this session
     * @throws IllegalArgumentException for a texture that is not this session's
     * @throws IllegalStateException when the session is closed or called on another thread
     */
    public void deleteTexture(int texture) {
        check("RenderSession.deleteTexture");
        size(texture);
        backend.deleteTexture(texture);
        textures.remove(texture);
    }

    /**
     * Draws the records written so far into framebuffer {@code target}, as {@link
     * NativeGpu#submit} describes. The records stay; {@link CommandBuffer#clear()} starts the
     * next frame.
     *
     * @param records the records; every clip closed, and every image and text record naming a
     *     texture of this session
     * @param target GL framebuffer to draw into: 0, the default framebuffer, for a window, or an
     *     attached host's framebuffer object
     * @param colorBuffer the target's colour buffer: {@link NativeGpu#GL_BACK} for the default
     *     framebuffer, usually {@link NativeGpu#GL_COLOR_ATTACHMENT0} for a framebuffer object
     * @param width target width in pixels, above 0
     * @param height target height in pixels, above 0
     * @param uiWidth width of the target in UI units, finite and above 0; equal to {@code width}
     *     for one UI unit per pixel
     * @param uiHeight height of the target in UI units, finite and above 0
     * @param sigma blur strength of the backdrop that glass frosts, in target pixels, 0 to 32;
     *     0.01 or less turns the blur off
     * @param mx pointer x in UI units, for the sheen of glass; NaN when the pointer is outside
     * @param my pointer y in UI units; NaN when the pointer is outside
     * @throws IllegalArgumentException naming the first argument out of its range, or the first
     *     texture of the records that is not this session's
     * @throws IllegalStateException when a clip is still open, when the session is closed or
     *     called on another thread, or when the renderer refuses the target
     */
    public void submit(CommandBuffer records, int target, int colorBuffer, int width, int height, float uiWidth,
            float uiHeight, float sigma, float mx, float my) {
        notNull("records", records).checkSubmit(width, height, uiWidth, uiHeight, sigma);
        check("RenderSession.submit");
        checkTextures(records);
        backend.submit(records.buffer(), records.count(), target, colorBuffer, width, height, uiWidth, uiHeight,
                sigma, mx, my);
    }

    /**
     * Draws the records into the window's back buffer at its current size, one UI unit per pixel:
     * {@link #submit(CommandBuffer, int, int, int, int, float, float, float, float, float)} with
     * target 0 and {@link NativeGpu#GL_BACK}.
     *
     * @param records the records, as the full form takes them
     * @param sigma blur strength of the backdrop, 0 to 32
     * @param mx pointer x in pixels; NaN when the pointer is outside
     * @param my pointer y in pixels; NaN when the pointer is outside
     * @throws IllegalArgumentException as the full form does
     * @throws IllegalStateException as the full form does, and when there is no window to draw
     *     into (attached mode) or the window has no area
     */
    public void submit(CommandBuffer records, float sigma, float mx, float my) {
        check("RenderSession.submit");
        long size = backend.clientSize();
        int width = (int) (size >>> 32), height = (int) size;
        if (width <= 0 || height <= 0) {
            throw new IllegalStateException("RenderSession.submit: " + (thread == null
                    ? "an attached session has no window; name the target and its size"
                    : "the window has no area (" + width + " x " + height + ")"));
        }
        submit(records, 0, NativeGpu.GL_BACK, width, height, width, height, sigma, mx, my);
    }

    /**
     * Reads the bottom-left {@code width} × {@code height} pixels of the window's back buffer as
     * RGBA bytes, lowest row first, as {@link NativeGpu#readPixels} does. Read after drawing a
     * frame and before {@link #present()}.
     *
     * @param width width in pixels, above 0
     * @param height height in pixels, above 0
     * @param rgba a direct, writable ByteBuffer of at least width × height × 4 bytes, written from
     *     its start
     * @throws IllegalArgumentException for a size of 0 or less or a missing, heap, read-only or
     *     too small buffer
     * @throws IllegalStateException when the session is closed or called on another thread, or
     *     when there is no back buffer to read (an attached host drawing offscreen)
     */
    public void readPixels(int width, int height, ByteBuffer rgba) {
        positive("width", width);
        positive("height", height);
        checkBuffer(rgba, Pixels.bytes(width, height));
        if (rgba.isReadOnly()) throw new IllegalArgumentException("rgba is read-only");
        check("RenderSession.readPixels");
        backend.readPixels(width, height, rgba);
    }

    /**
     * The bottom-left {@code width} × {@code height} pixels of the window's back buffer as an
     * image, top row first; alpha is dropped, as the window shows colour only.
     *
     * @param width width in pixels, above 0
     * @param height height in pixels, above 0; width × height × 4 at most {@link Integer#MAX_VALUE}
     * @return the pixels, TYPE_INT_RGB
     * @throws IllegalArgumentException for a size of 0 or less or too large for one buffer
     * @throws IllegalStateException as {@link #readPixels} does
     */
    public BufferedImage readImage(int width, int height) {
        ByteBuffer rgba = ByteBuffer.allocateDirect(Pixels.bytes(width, height));
        readPixels(width, height, rgba);
        return Pixels.image(rgba, width, height);
    }

    /**
     * Shows the frame drawn since the last present; the back buffer's contents are undefined
     * afterwards.
     *
     * @throws IllegalStateException when the session is closed, called on another thread, or
     *     attached (the host presents its own frames)
     */
    public void present() {
        check("RenderSession.present");
        backend.present();
    }

    /**
     * Closes the renderer unless this session was closed already; a second close does nothing,
     * and neither does closing a session after a newer GPU session was opened. When the renderer
     * refuses to close (an attached host's context is not current) the session stays open, so
     * that a close with the right context current frees everything.
     *
     * @throws IllegalStateException when a window session is closed on another thread than its
     *     own, or as the renderer's close does
     */
    @Override
    public void close() {
        if (closed) return;
        check("RenderSession.close");
        backend.close();
        closed = true;
        textures.clear();
        if (current == this) current = null;
    }

    @Override
    public String toString() {
        return "the " + path() + " session " + (thread == null ? "attached to a host's context"
                : "opened on thread \"" + thread.getName() + "\"");
    }

    // Refuses a call to a closed session or on another thread than the window's.
    private void check(String call) {
        if (closed) throw new IllegalStateException(call + ": " + this + " is closed");
        if (thread == null || thread == Thread.currentThread()) return;
        throw new IllegalStateException(call + " called on thread \"" + Thread.currentThread().getName() + "\", but "
                + this + " draws there only");
    }

    // Width << 32 | height of one of this session's textures.
    private long size(int texture) {
        Long size = textures.get(texture);
        if (size == null) throw new IllegalArgumentException("texture " + texture + notOurs());
        return size;
    }

    private String notOurs() {
        return " is not a texture of " + this + ": it was made by another session or by NativeGpu.createTexture,"
                + " deleted, or never made";
    }

    private void checkRect(String call, int texture, int x, int y, int width, int height) {
        check(call);
        long size = size(texture);
        int textureWidth = (int) (size >>> 32), textureHeight = (int) size;
        if (x < 0 || (long) x + width > textureWidth) {
            throw new IllegalArgumentException("x must leave room for " + width + " texels in texture " + texture
                    + ", " + textureWidth + " x " + textureHeight + ": " + x);
        }
        if (y < 0 || (long) y + height > textureHeight) {
            throw new IllegalArgumentException("y must leave room for " + height + " rows in texture " + texture
                    + ", " + textureWidth + " x " + textureHeight + ": " + y);
        }
    }

    private static void checkBuffer(ByteBuffer rgba, int bytes) {
        notNull("rgba", rgba);
        if (!rgba.isDirect()) throw new IllegalArgumentException("rgba must be a direct ByteBuffer");
        if (rgba.capacity() < bytes) {
            throw new IllegalArgumentException("rgba holds " + rgba.capacity() + " bytes, " + bytes + " needed");
        }
    }

    // Image and text records may name only this session's textures. Runs of records from one
    // atlas page name the same texture, checked once.
    private void checkTextures(CommandBuffer records) {
        FloatBuffer buffer = records.buffer();
        boolean any = false;
        int checked = 0;
        for (int i = 0, at = 0; i < records.count(); i++, at += CommandBuffer.RECORD_FLOATS) {
            if (buffer.get(at + CommandBuffer.SLOT_KIND) != CommandBuffer.KIND_TEXT) continue;
            int texture = Float.floatToRawIntBits(buffer.get(at + CommandBuffer.SLOT_TEXTURE));
            if (any && texture == checked) continue;
            if (!textures.containsKey(texture)) {
                throw new IllegalArgumentException("records: record " + i + " draws texture " + texture + notOurs());
            }
            any = true;
            checked = texture;
        }
    }
}
