package marlith.sdk.ui.render;

import java.awt.Canvas;
import java.awt.image.BufferedImage;
import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.io.UncheckedIOException;
import java.nio.ByteBuffer;
import java.nio.FloatBuffer;
import java.nio.charset.StandardCharsets;
import java.nio.file.FileSystems;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.nio.file.attribute.PosixFileAttributes;
import java.nio.file.attribute.PosixFilePermission;
import java.nio.file.attribute.PosixFilePermissions;
import java.nio.file.attribute.UserPrincipal;
import java.security.MessageDigest;
import java.security.NoSuchAlgorithmException;
import java.util.Arrays;
import java.util.HexFormat;
import java.util.List;
import java.util.Locale;
import java.util.Set;

/**
 * The native GPU renderer: an OpenGL 3.3 renderer that draws glass panels, flat shapes, text and an
 * animated background, reached through JNI.
 *
 * <p>Programs draw through a {@link RenderSession}: {@link RenderSession#open(Canvas)} draws with
 * this renderer or the software one, whichever the machine serves better; {@link #open(Canvas)}
 * opens this renderer on
 * an AWT {@link Canvas} (the library makes its own GL context), {@link #attach()} inside a host's
 * current GL context, and each loads the library first. The session checks every argument, the
 * thread and which textures are its own before the renderer sees a call.
 *
 * <p>The static native methods are the renderer's raw contract, below the session. Call {@link
 * #load()} once before any of them. They take the seven shader sources of {@link
 * #shaderSources()}, must be called on the thread on which the renderer's context is current,
 * and raise {@link IllegalStateException} with fixed messages.
 */
public final class NativeGpu {
    /** What {@link #protocolVersion()} answers for a library that matches this class. */
    public static final int PROTOCOL_VERSION = 24164;

    /** System property naming the library file to load instead of the usual search. */
    public static final String LIBRARY_PROPERTY = "ombrel.library";

    /** Number of shader sources {@link #open} and {@link #attach} take. */
    public static final int SHADER_COUNT = 7;

    /** The default framebuffer's back buffer: the colour buffer of target 0 in {@link #submit}. */
    public static final int GL_BACK = 0x0405;

    /** A framebuffer object's first colour attachment, the usual colour buffer of a host's FBO target. */
    public static final int GL_COLOR_ATTACHMENT0 = 0x8CE0;

    /** Jar resource folder of the shader sources. */
    static final String SHADER_FOLDER = "/marlith/sdk/ui/render/shaders/";

    /** File names of the shader sources, in the order the native side expects them. */
    static final String[] SHADER_FILES = {
        "fullscreen.vert", "background.frag", "blur.frag",
        "record.vert", "glass.frag", "shape.frag", "text.frag",
    };

    private static volatile String loadedFrom;

    private static final boolean POSIX = FileSystems.getDefault().supportedFileAttributeViews().contains("posix");

    private NativeGpu() {}

    // ---- native methods ----

    /**
     * Opens the renderer on {@code canvas} with a GL context of its own (GLX on Linux, WGL on
     * Windows), current on the calling thread until {@link #close()}: every later call, {@link
     * #close()} included, must come from this thread. {@link #open(Canvas)} is the same with the
     * jar's JAWT path and shaders, and checks the thread of {@link CommandBuffer#submit}.
     *
     * <p>The Canvas must be displayable, that is in a window that was packed or shown; it need not
     * be showing yet (frames drawn while the window is hidden appear once it shows). Disposing the
     * window destroys the Canvas's native window: close the renderer first. Draw with target 0 and
     * {@link #GL_BACK}, and present each frame with {@link #swap()}.
     *
     * @param canvas the AWT Canvas to draw into
     * @param jawtPath file path of the JVM's JAWT library, as {@link #jawtPath()} gives it
     * @param shaderData the seven shader sources, as {@link #shaderSources()} gives them
     * @throws IllegalStateException "Renderer already open." when a renderer is open; "The
     *     renderer's GL context is not current on this thread" while GPU objects of an earlier
     *     failed start-up are held in another context; "Cannot retain AWT Canvas." for a null
     *     Canvas. On Linux: "Cannot load JAWT/libGL.so.1." when either library does not load;
     *     "Required GLX/JAWT entry point is missing."; "JAWT 1.4 unavailable."; "AWT Canvas is not
     *     displayable." before the Canvas is in a displayable window; "Cannot lock AWT Canvas.";
     *     "Cannot query AWT native surface."; "No matching X11 visual."; "Cannot create/make
     *     current the GLX context.". On Windows: "JAWT path is unexpectedly long."; "Required
     *     WGL/JAWT entry point is missing."; "JAWT 1.4 is unavailable."; "AWT Canvas is not
     *     displayable."; "Cannot lock the AWT Canvas."; "Cannot query AWT native surface."; "The
     *     AWT Canvas already owns a pixel format that does not support windowed OpenGL. Keep
     *     -Dsun.java2d.opengl=false (the hotfix launcher sets it automatically)."; and, each
     *     followed by the Win32 error as (GetLastError=0x and eight hexadecimal digits), "Cannot
     *     load JAWT/opengl32.dll", "GetDC(Canvas HWND) failed", "DescribePixelFormat failed",
     *     "ChoosePixelFormat failed", "SetPixelFormat failed", "wglCreateContext failed", "Initial
     *     wglMakeCurrent on the stable Canvas DC failed" or "Both modern and legacy WGL contexts
     *     failed to become current". Then, on the new context, "Missing OpenGL entry point: " followed by the name of a GL function the
     *     driver lacks; "The active driver exposes less than OpenGL 3.3. Update the GPU driver or
     *     use a machine with desktop OpenGL 3.3+." for an older context; "Seven shader sources are
     *     required." unless the array holds seven elements; "Shader sources must be seven strings."
     *     for an element that is null or no String; the GL info log of a shader that does not
     *     compile or link
     */
    public static native void open(Canvas canvas, String jawtPath, String[] shaderData);

    /**
     * Size in pixels of the client area of the window opened with {@link #open}, read from the
     * window at each call, as width &lt;&lt; 32 | height; {@link #clientWidth()} and {@link
     * #clientHeight()} unpack it.
     *
     * @return the packed size; 0 when nothing is open and in attached mode
     */
    public static native long clientSize();

    /**
     * The library's protocol version; answers at any time, also before anything is open.
     *
     * @return {@link #PROTOCOL_VERSION} for a library that matches this class
     */
    public static native int protocolVersion();

    /**
     * Opens the renderer on the GL context (3.3 or later) the host has current on this thread:
     * attached mode. {@link #attach()} is the same with the jar's shaders. The renderer then
     * draws into whatever framebuffer the host names in {@link #submit}, on whichever thread the
     * host has made the context current, and leaves every piece of host GL state it touches as it
     * found it. The host presents its frames itself.
     *
     * @param shaders the seven shader sources, as {@link #shaderSources()} gives them
     * @throws IllegalStateException "Only one GPU backend is supported per process." when a
     *     renderer is open; "libGL.so.1 not available" (Linux) or "Load opengl32.dll failed"
     *     followed by the Win32 error as (GetLastError=0x and eight hexadecimal digits) (Windows)
     *     when the GL library does not load; "No GL context is current on this thread"; "The
     *     renderer's GL context is not current on this thread" while GPU objects of an earlier
     *     failed start-up are held in another context; "Missing OpenGL entry point: " followed by the name of a GL function the
     *     driver lacks; "The active driver exposes less than OpenGL 3.3. Update the GPU driver or
     *     use a machine with desktop OpenGL 3.3+." for an older context; "Seven shader sources are
     *     required." unless the array holds seven elements; "Shader sources must be seven strings."
     *     for an element that is null or no String; the GL info log of a shader that does not
     *     compile or link
     */
    public static native void attach(String[] shaders);

    /**
     * Paints the animated background over the whole of the default framebuffer's back buffer
     * (framebuffer 0, {@code GL_BACK}), without blending, whatever framebuffer is bound, also in
     * attached mode. Its picture: a vertical gradient of {@code background} with three soft glows
     * of {@code accent} that drift with {@code time}. Does nothing when the renderer is not open,
     * and when the current context has no complete default framebuffer (an attached host drawing
     * offscreen); then draw a background of your own into the host's framebuffer.
     *
     * @param width width of the painted area in pixels from the left edge, usually the window's
     * @param height height of the painted area in pixels from the bottom edge, usually the window's
     * @param time animation time in seconds; the glows move slowly with it
     * @param grid whether faint pixel grid lines are drawn (every 32 and every 128 pixels, scaled
     *     up for windows over 1080 pixels tall), dark palette only
     * @param light the light palette (the gradient lightened towards white) when true; the dark
     *     palette (the gradient as given, darkened at the bottom, with a vignette) when false
     * @param background base colour 0xRRGGBB of the gradient; the top byte is ignored
     * @param accent colour 0xRRGGBB of the glows; the top byte is ignored
     * @throws IllegalStateException "The renderer's GL context is not current on this thread" when another context, or none, is current;
     *     "Width and height must be 1 to GL_MAX_VIEWPORT_DIMS" for a size outside 1 to the
     *     context's largest viewport. Both are raised before any GL call
     */
    public static native void background(
            int width, int height, float time, boolean grid, boolean light, int background, int accent);

    /**
     * Draws {@code count} command records from {@code buffer} into framebuffer {@code target}.
     * {@link CommandBuffer#submit} writes the buffer and checks the arguments first, with messages
     * that name the argument; this call has only the fixed messages below.
     *
     * <p>Glass records show the target as it was at the start of this call, or at the last
     * backdrop refresh record before them. In attached mode with the host's scissor test on,
     * drawing stays inside the host's scissor box. The host's GL state is restored afterwards.
     *
     * @param buffer a direct FloatBuffer in the machine's byte order; record i is floats 64·i to
     *     64·i + 63 counted from the buffer's start, whatever its position and limit
     * @param count number of records, 0 or more; the buffer's capacity must hold them
     * @param target GL name of the framebuffer to draw into; 0 is the default framebuffer
     * @param colorBuffer the target's colour buffer to capture and draw into: {@link #GL_BACK} for
     *     the default framebuffer, for example {@link #GL_COLOR_ATTACHMENT0} for a framebuffer object
     * @param width target width in pixels, above 0
     * @param height target height in pixels, above 0
     * @param uiWidth width of the target in UI units, finite and above 0; records are in UI units
     * @param uiHeight height of the target in UI units, finite and above 0
     * @param sigma blur strength of the backdrop in target pixels, 0 to 32; 0.01 or less, or NaN,
     *     turns the blur off
     * @param mx pointer x in UI units, where the sheen of glass follows the pointer; for a pointer
     *     outside the UI pass a point far outside, such as -1e9 (not NaN, which puts out the rim
     *     light of glass too; {@link CommandBuffer#submit} takes NaN and does this)
     * @param my pointer y in UI units
     * @throws IllegalStateException "Renderer is not initialized" when nothing is open; "The
     *     renderer's GL context is not current on this thread" when another context, or none, is
     *     current; "Buffer is null"; "Invalid draw buffer or framebuffer parameters" for a heap
     *     buffer, a buffer not in the machine's byte order, too small a buffer, a negative count,
     *     sigma outside 0 to 32, a size of 0 or less, or a UI size that is not finite;
     *     "Unbalanced shaped clip pop", "Shaped clip depth exceeds 32" or "Unbalanced shaped clip
     *     pushes" for clips that do not balance (these are refused before any GL call); "The name is one of the renderer's own textures
     *     or framebuffers" for a target of the renderer's; "Target is not a framebuffer" for a
     *     target other than 0 that names no framebuffer; "The target framebuffer cannot draw to
     *     this color buffer" for a colour buffer the target does not have (target 0 has the
     *     default framebuffer's buffers, such as {@link #GL_BACK}; a framebuffer object has the
     *     colour attachments it holds an image in); "The context has no complete default
     *     framebuffer" for target 0 in a context without one; "Target framebuffer is incomplete";
     *     "Resolve MSAA to a single-sample framebuffer before drawing UI" for a multisampled
     *     target; "More than 32 draw buffers is not supported" for a context that allows more;
     *     "Framebuffer exceeds GL_MAX_TEXTURE_SIZE" for a size above the context's texture limit;
     *     "Internal Ombrel framebuffer is incomplete." when the driver cannot draw into the
     *     renderer's own targets. A refused call draws nothing, and the host's GL state is as it
     *     was
     */
    public static native void submit(
            FloatBuffer buffer,
            int count,
            int target,
            int colorBuffer,
            int width,
            int height,
            float uiWidth,
            float uiHeight,
            float sigma,
            float mx,
            float my);

    /**
     * Creates an RGBA8 texture for text and image records, linearly filtered and clamped at its
     * edges, its contents undefined until {@link #upload}. The texture is the caller's: {@link
     * #deleteTexture} deletes it, {@link #close()} does not (though closing a window destroys its
     * context and every texture with it). {@link #createTexture(BufferedImage)} makes one from an
     * image.
     *
     * @param width width in texels, above 0
     * @param height height in texels, above 0
     * @return the texture's GL name, for the texture slot of text and image records
     * @throws IllegalStateException "Invalid texture creation" for a size of 0 or less or when the
     *     renderer is not open; "The renderer's GL context is not current on this thread" when another
     *     context, or none, is current; "Texture exceeds GL_MAX_TEXTURE_SIZE" for a size above the
     *     context's limit
     */
    public static native int createTexture(int width, int height);

    /**
     * Copies RGBA bytes into a rectangle of a texture. The bytes are R, G, B, A per texel,
     * straight (not premultiplied) alpha, rows packed without gaps, read from the buffer's start
     * whatever its position. Rows come in GL's order, "lowest row first": the first row in memory
     * becomes texture row {@code y}, and texture row 0 is v = 0 of text and image records, the
     * top of their quads. So an image uploaded top row first is drawn upright; {@link
     * #upload(int, int, int, BufferedImage)} does that from an image.
     *
     * @param texture a texture made by {@link #createTexture}
     * @param x left texel column of the rectangle
     * @param y first texel row of the rectangle, 0 being the row records show at v = 0
     * @param width width in texels, above 0
     * @param height height in texels, above 0
     * @param pixels a direct ByteBuffer of at least width × height × 4 bytes
     * @throws IllegalStateException "Renderer is not initialized" when nothing is open; "The
     *     renderer's GL context is not current on this thread" when another context, or none, is
     *     current; "The name is one of the renderer's own textures or framebuffers" for a texture
     *     of the renderer's; "Buffer is null"; "Invalid texture upload buffer" for a size of 0 or
     *     less, a heap buffer or too few bytes; "Upload rectangle lies outside the texture" for a
     *     negative offset or a rectangle that reaches past the texture's edge; "Name is not a 2D
     *     texture" for a name that is no texture (or one of another kind)
     */
    public static native void upload(int texture, int x, int y, int width, int height, ByteBuffer pixels);

    /**
     * Deletes a texture made by {@link #createTexture}; 0 and names that are no texture are ignored,
     * and so is every call while the renderer is not open.
     *
     * @param texture the texture's GL name
     * @throws IllegalStateException "The renderer's GL context is not current on this thread" when another context, or none, is current;
     *     "The name is one of the renderer's own textures or framebuffers" for a texture of the
     *     renderer's
     */
    public static native void deleteTexture(int texture);

    /**
     * Reads the bottom-left {@code width} × {@code height} pixels of the default framebuffer's back
     * buffer (framebuffer 0, whatever framebuffer is bound, also in attached mode) as RGBA bytes,
     * lowest row first: the window's bottom row comes first. Read after drawing a frame and before
     * {@link #swap()}: once presented, the back buffer's contents are undefined. The bytes are
     * written from the buffer's start whatever its position. {@link #readImage} gives an image.
     *
     * @param width width in pixels, 1 to the context's largest viewport width
     * @param height height in pixels, 1 to the context's largest viewport height
     * @param pixels a direct ByteBuffer of at least width × height × 4 bytes
     * @throws IllegalStateException "Renderer is not initialized" when nothing is open; "The
     *     renderer's GL context is not current on this thread" when another context, or none, is
     *     current; "Width and height must be 1 to GL_MAX_VIEWPORT_DIMS" for a size outside 1 to
     *     the context's largest viewport; "Buffer is null"; "Screenshot buffer is too small" for a
     *     heap buffer or too few bytes; "Screenshot buffer is read-only" for a read-only buffer;
     *     "The context has no complete default framebuffer" when there is nothing to read (an
     *     attached host drawing offscreen: read its framebuffer with GL instead)
     */
    public static native void readPixels(int width, int height, ByteBuffer pixels);

    /**
     * Presents the back buffer of the window opened with {@link #open}, after which its contents
     * are undefined. Does nothing when nothing is open; in attached mode the host presents (on
     * Windows this call then fails).
     *
     * @throws IllegalStateException "The renderer's GL context is not current on this thread" when another context, or none, is current;
     *     on Windows "SwapBuffers failed" followed by the Win32 error as (GetLastError=0x and eight
     *     hexadecimal digits) when presenting fails, as it always does in attached mode
     */
    public static native void swap();

    /**
     * GL_RENDERER of the context current on this thread.
     *
     * @return the renderer's name, "unknown renderer" when no context is current or no GL library
     *     was ever loaded
     */
    public static native String rendererString();

    /**
     * GL_VERSION of the context current on this thread.
     *
     * @return the version string, "unknown OpenGL version" when no context is current or no GL
     *     library was ever loaded
     */
    public static native String contextInfo();

    /**
     * One pending GL error of the current context. The renderer never reads GL errors itself;
     * errors GL raises during its calls (for example for a texture larger than GL allows) stay for
     * this call.
     *
     * @return the error code, 0 when there is none or the renderer is not open
     * @throws IllegalStateException "The renderer's GL context is not current on this thread" when another context, or none, is current
     */
    public static native int glError();

    /**
     * Releases everything the renderer holds: its GPU objects, the window's context and the
     * Canvas. Safe at any time; does nothing when nothing is open. Call it with the renderer's
     * context current: on the renderer's thread, or in attached mode with the host's context
     * current. In attached mode with no context current (the host has destroyed its context, and
     * the renderer's objects with it), it forgets the renderer's objects without a GL call, so
     * that a later {@link #attach} starts afresh. Textures made by {@link #createTexture} are not
     * deleted; in attached mode they stay in the host's context. Closing the {@link
     * RenderSession} that {@link #open(Canvas)} or {@link #attach()} returned calls this.
     *
     * @throws IllegalStateException "The renderer's GL context is not current on this thread" when another context is current, or none
     *     with a window open: nothing is released then, and a later call with the renderer's
     *     context current releases everything
     */
    public static native void close();

    // ---- loading ----

    /**
     * Loads the native library once; later calls return at once. The library comes from the file
     * named by the system property {@value #LIBRARY_PROPERTY} when it is set, else from {@code
     * java.library.path}, else from the copy bundled in the jar. The bundled copy is extracted once
     * per library version and content, into a folder {@code ombrel-ui-VERSION-HASH} of {@code
     * java.io.tmpdir} (or of {@code ~/.cache} when that is not usable), and reused by later starts.
     * The library loaded must answer {@link #PROTOCOL_VERSION}.
     *
     * @return where the library was loaded from: the file named by the property, {@code
     *     "java.library.path"}, or the jar resource
     * @throws UnsatisfiedLinkError when none of these yields a loadable library, or when the library
     *     loaded answers another protocol version
     */
    public static synchronized String load() {
        if (loadedFrom != null) return loadedFrom;
        String named = System.getProperty(LIBRARY_PROPERTY);
        if (named != null && !named.isEmpty()) {
            File file = new File(named);
            if (!file.isFile()) {
                throw new UnsatisfiedLinkError(LIBRARY_PROPERTY + " names no file: " + named);
            }
            System.load(file.getAbsolutePath());
            checkProtocol(file.getAbsolutePath());
            return loadedFrom = file.getAbsolutePath();
        }
        try {
            System.loadLibrary("ombrel-ui");
        } catch (UnsatisfiedLinkError notOnPath) {
            String resource = bundledLibrary(System.getProperty("os.name"), System.getProperty("os.arch"));
            if (resource == null || NativeGpu.class.getResource(resource) == null) {
                UnsatisfiedLinkError e = new UnsatisfiedLinkError("ombrel-ui is neither on java.library.path nor bundled for "
                        + System.getProperty("os.name") + " " + System.getProperty("os.arch"));
                e.addSuppressed(notOnPath);
                throw e;
            }
            checkProtocol(loadBundled(resource).toString());
            return loadedFrom = resource;
        }
        checkProtocol(onLibraryPath());
        return loadedFrom = "java.library.path";
    }

    /** The library version of this jar, from its resource ombrel-ui.version; "dev" without one. */
    static String version() {
        try (InputStream in = NativeGpu.class.getResourceAsStream("ombrel-ui.version")) {
            return in != null ? new String(in.readAllBytes(), StandardCharsets.UTF_8).trim() : "dev";
        } catch (IOException e) {
            throw new UncheckedIOException("Cannot read ombrel-ui.version", e);
        }
    }

    // A stale library (an older build on java.library.path, say) fails here, at load, rather than
    // with a misbehaving call later.
    private static void checkProtocol(String file) {
        int answered;
        try {
            answered = protocolVersion();
        } catch (UnsatisfiedLinkError e) {
            UnsatisfiedLinkError notOurs = new UnsatisfiedLinkError(file + " has no protocolVersion: not an ombrel-ui library");
            notOurs.initCause(e);
            throw notOurs;
        }
        if (answered != PROTOCOL_VERSION) {
            throw new UnsatisfiedLinkError(file + " answers protocol version " + answered + ", but ombrel-ui "
                    + version() + " on the Java side needs protocol version " + PROTOCOL_VERSION);
        }
    }

    private static String onLibraryPath() {
        String name = System.mapLibraryName("ombrel-ui");
        for (String dir : System.getProperty("java.library.path", "").split(File.pathSeparator)) {
            File file = new File(dir, name);
            if (file.isFile()) return file.getAbsolutePath();
        }
        return name + " from java.library.path";
    }

    /** Jar resource of the library for this platform, or null when none is bundled for it. */
    static String bundledLibrary(String osName, String osArch) {
        String arch = osArch.toLowerCase(Locale.ROOT);
        if (!arch.equals("amd64") && !arch.equals("x86_64")) return null;
        String os = osName.toLowerCase(Locale.ROOT);
        if (os.startsWith("windows")) return "/native/windows-x86-64/ombrel-ui.dll";
        if (os.startsWith("linux")) return "/native/linux-x86-64/libombrel-ui.so";
        return null;
    }

    // The bundled library goes into a folder named by the library version and a hash of its bytes,
    // so later starts of the same jar reuse the file, another build never does, and no copies pile
    // up (Windows cannot delete a library while it is loaded). When a folder cannot be used (not
    // writable, not ours, mounted without exec), the next one is tried.
    private static Path loadBundled(String resource) {
        byte[] bytes = readResource(resource);
        String name = resource.substring(resource.lastIndexOf('/') + 1);
        String folder = "ombrel-ui-" + version() + "-" + sha256(bytes).substring(0, 16);
        List<Path> bases = List.of(
                Path.of(System.getProperty("java.io.tmpdir")), Path.of(System.getProperty("user.home"), ".cache"));
        UnsatisfiedLinkError failure = new UnsatisfiedLinkError("Cannot extract and load " + resource + " in "
                + bases + "; name a library file with -D" + LIBRARY_PROPERTY);
        for (Path base : bases) {
            Path file = base.resolve(folder).resolve(name);
            try {
                extract(bytes, file);
                System.load(file.toString());
                return file;
            } catch (IOException | UnsatisfiedLinkError e) {
                failure.addSuppressed(e);
            }
        }
        throw failure;
    }

    // Reuses the file when it is whole; otherwise writes it under a temporary name and renames it
    // into place, so that a JVM starting at the same time sees either no file or the whole file.
    private static void extract(byte[] bytes, Path file) throws IOException {
        Path dir = file.getParent();
        if (POSIX) {
            Files.createDirectories(dir, PosixFilePermissions.asFileAttribute(PosixFilePermissions.fromString("rwx------")));
            checkPrivate(dir);
        } else {
            Files.createDirectories(dir);
        }
        if (holds(file, bytes)) return;
        Path part = Files.createTempFile(dir, file.getFileName().toString(), ".part");
        try {
            Files.write(part, bytes);
            Files.move(part, file, StandardCopyOption.ATOMIC_MOVE);
        } catch (IOException e) {
            // Windows refuses to replace a file another JVM has loaded; that copy is whole.
            if (!holds(file, bytes)) throw e;
        } finally {
            Files.deleteIfExists(part);
        }
    }

    private static boolean holds(Path file, byte[] bytes) throws IOException {
        return Files.isRegularFile(file) && Files.size(file) == bytes.length
                && Arrays.equals(Files.readAllBytes(file), bytes);
    }

    // In a shared temporary folder another user could swap the library between the check and the
    // load, so the folder must belong to this process's user (the owner of /proc/self) and be
    // writable by no one else.
    private static void checkPrivate(Path dir) throws IOException {
        PosixFileAttributes attributes = Files.readAttributes(dir, PosixFileAttributes.class, LinkOption.NOFOLLOW_LINKS);
        Set<PosixFilePermission> permissions = attributes.permissions();
        UserPrincipal user = Files.getOwner(Path.of("/proc/self"));
        if (!attributes.isDirectory()
                || !attributes.owner().equals(user)
                || permissions.contains(PosixFilePermission.GROUP_WRITE)
                || permissions.contains(PosixFilePermission.OTHERS_WRITE)) {
            throw new IOException(dir + " is not a folder of " + user.getName() + " alone");
        }
    }

    private static byte[] readResource(String resource) {
        try (InputStream in = NativeGpu.class.getResourceAsStream(resource)) {
            return in.readAllBytes();
        } catch (IOException e) {
            throw new UncheckedIOException("Cannot read " + resource, e);
        }
    }

    private static String sha256(byte[] bytes) {
        try {
            return HexFormat.of().formatHex(MessageDigest.getInstance("SHA-256").digest(bytes));
        } catch (NoSuchAlgorithmException e) {
            throw new IllegalStateException("SHA-256 is missing from this JVM", e);
        }
    }

    // ---- helpers ----

    /**
     * The seven shader sources for {@link #open} and {@link #attach}, read from the jar.
     *
     * @return the sources in the order the renderer takes them
     */
    public static String[] shaderSources() {
        String[] sources = new String[SHADER_COUNT];
        for (int i = 0; i < SHADER_COUNT; i++) {
            String resource = SHADER_FOLDER + SHADER_FILES[i];
            try (InputStream in = NativeGpu.class.getResourceAsStream(resource)) {
                if (in == null) throw new IllegalStateException("Missing shader resource " + resource);
                sources[i] = new String(in.readAllBytes(), StandardCharsets.UTF_8);
            } catch (IOException e) {
                throw new UncheckedIOException("Cannot read " + resource, e);
            }
        }
        return sources;
    }

    /**
     * File path of this JVM's JAWT library, the second argument of {@link #open}.
     *
     * @return the path under {@code java.home}
     */
    public static String jawtPath() {
        return jawtPath(System.getProperty("java.home"), System.getProperty("os.name"));
    }

    static String jawtPath(String javaHome, String osName) {
        if (osName.toLowerCase(Locale.ROOT).startsWith("windows")) return javaHome + "\\bin\\jawt.dll";
        return javaHome + "/lib/libjawt.so";
    }

    // ---- conveniences over the native methods ----

    /**
     * Loads the library, opens the renderer on {@code canvas} as {@link #open(Canvas, String,
     * String[])} does, with this JVM's JAWT library and the jar's shaders, and returns the session
     * to draw through. The calling thread becomes the session's: it refuses calls from others.
     *
     * @param canvas a displayable Canvas: in a window that was packed or shown; close the session
     *     before disposing the window
     * @return the open session; close it (try-with-resources) to close the renderer
     * @throws IllegalArgumentException for a null canvas
     * @throws IllegalStateException when the Canvas is not displayable, or as the native open does
     * @throws UnsatisfiedLinkError as {@link #load()} does
     */
    public static RenderSession open(Canvas canvas) {
        Checks.displayable(Checks.notNull("canvas", canvas));
        load();
        open(canvas, jawtPath(), shaderSources());
        return RenderSession.start(new GpuBackend(false), Thread.currentThread(),
                "NativeGpu.open asked for the GPU: " + rendererString() + ", OpenGL " + contextInfo());
    }

    /**
     * Loads the library and attaches to the GL context the host has current on this thread, as
     * {@link #attach(String[])} does, with the jar's shaders. Attached mode is GPU-only: when
     * {@code -Dombrel.renderer=software} asks for the software path, the session draws on the GPU
     * all the same, and its {@link RenderSession#reason()} says so.
     *
     * @return the open session, callable on any thread the host makes its context current on;
     *     closing it calls {@link #close()}
     * @throws IllegalArgumentException when {@value RenderPath#PROPERTY} names no path
     * @throws IllegalStateException as the native attach does
     * @throws UnsatisfiedLinkError as {@link #load()} does
     */
    public static RenderSession attach() {
        // Attached mode draws in the host's GL context, so the software path cannot serve it; a
        // process-wide property asking for software still lets a GL host draw, and says so.
        String software = RenderPath.configured() == RenderPath.SOFTWARE
                ? " (-D" + RenderPath.PROPERTY + "=software applies to windows: attached mode is GPU-only)" : "";
        load();
        attach(shaderSources());
        return RenderSession.start(new GpuBackend(true), null, "NativeGpu.attach drew in the host's context: "
                + rendererString() + ", OpenGL " + contextInfo() + software);
    }

    /**
     * Width in pixels of the window opened with {@link #open}; 0 when none is open. Each call asks
     * the window; where width and height must come from the same moment (a window being
     * resized), unpack one {@link #clientSize()} instead.
     *
     * @return the client area's width
     */
    public static int clientWidth() {
        return (int) (clientSize() >>> 32);
    }

    /**
     * Height in pixels of the window opened with {@link #open}; 0 when none is open.
     *
     * @return the client area's height
     */
    public static int clientHeight() {
        return (int) clientSize();
    }

    /**
     * Creates a texture holding {@code image}: {@link RenderSession#createTexture(BufferedImage)}
     * of the open session, with its checks; without a session (the renderer opened by the raw
     * {@link #open(Canvas, String, String[])}), the raw natives' texture.
     *
     * @param image the picture
     * @return the texture's GL name; delete it with the session's or the raw deleteTexture
     * @throws IllegalArgumentException for a null image
     * @throws IllegalStateException as {@link #createTexture(int, int)} does
     */
    public static int createTexture(BufferedImage image) {
        RenderSession session = RenderSession.current();
        if (session != null) return session.createTexture(image);
        int texture = createTexture(Checks.notNull("image", image).getWidth(), image.getHeight());
        upload(texture, 0, 0, image);
        return texture;
    }

    /**
     * Replaces a rectangle of a texture with {@code image}: {@link RenderSession#upload(int, int,
     * int, BufferedImage)} of the open session, with its checks; without a session, the raw
     * upload.
     *
     * @param texture the texture's GL name
     * @param x left texel column the image's left column goes to
     * @param y texel row the image's top row goes to, counted from the top of the picture
     * @param image the new pixels
     * @throws IllegalArgumentException for a null image, or as the session's upload does
     * @throws IllegalStateException as {@link #upload(int, int, int, int, int, ByteBuffer)} does
     */
    public static void upload(int texture, int x, int y, BufferedImage image) {
        RenderSession session = RenderSession.current();
        if (session != null) {
            session.upload(texture, x, y, image);
        } else {
            upload(texture, x, y, Checks.notNull("image", image).getWidth(), image.getHeight(), Pixels.rgba(image));
        }
    }

    /**
     * The bottom-left {@code width} × {@code height} pixels of the default framebuffer's back
     * buffer as an image, top row first: {@link RenderSession#readImage} of the open session, with
     * its checks; without a session, read with the raw {@link #readPixels}. Alpha is dropped, as
     * the window shows colour only.
     *
     * @param width width in pixels, above 0
     * @param height height in pixels, above 0; width × height × 4 at most {@link Integer#MAX_VALUE}
     * @return the pixels, TYPE_INT_RGB
     * @throws IllegalArgumentException for a size of 0 or less or too large for one buffer
     * @throws IllegalStateException as {@link #readPixels} does
     */
    public static BufferedImage readImage(int width, int height) {
        RenderSession session = RenderSession.current();
        if (session != null) return session.readImage(width, height);
        ByteBuffer rgba = ByteBuffer.allocateDirect(Pixels.bytes(width, height));
        readPixels(width, height, rgba);
        return Pixels.image(rgba, width, height);
    }
}
