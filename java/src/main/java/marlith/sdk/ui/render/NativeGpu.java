package marlith.sdk.ui.render;

import java.awt.Canvas;
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
 * <p>Call {@link #load()} once before any native method. Then open the renderer either on an AWT
 * {@link Canvas} with {@link #open} (the library makes its own GL context and presents with {@link
 * #swap}) or inside a host's current GL context with {@link #attach}. Both take the seven shader
 * sources of {@link #shaderSources()}. Every native method must be called on the thread on which
 * the renderer's context is current; failures surface as {@link IllegalStateException}.
 *
 * <p>Frames are drawn with {@link #background} and with command records written by {@link
 * CommandBuffer} and handed over by {@link #submit}.
 */
public final class NativeGpu {
    /** What {@link #protocolVersion()} answers for a library that matches this class. */
    public static final int PROTOCOL_VERSION = 24164;

    /** System property naming the library file to load instead of the usual search. */
    public static final String LIBRARY_PROPERTY = "ombrel.library";

    /** Number of shader sources {@link #open} and {@link #attach} take. */
    public static final int SHADER_COUNT = 7;

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

    /** Opens the renderer on {@code canvas} with a GL context of its own. */
    public static native void open(Canvas canvas, String jawtPath, String[] shaderData);

    /** Size of the open window as width &lt;&lt; 32 | height; 0 when not open. */
    public static native long clientSize();

    /** The library's protocol version, {@link #PROTOCOL_VERSION} for a matching library. */
    public static native int protocolVersion();

    /** Opens the renderer on the GL context the host has current on this thread. */
    public static native void attach(String[] shaders);

    /** Paints the animated background into the default framebuffer's back buffer. */
    public static native void background(
            int width, int height, float time, boolean grid, boolean light, int background, int accent);

    /**
     * Draws {@code count} command records from {@code buffer} into framebuffer {@code target}.
     *
     * @param colorBuffer the target's colour buffer, e.g. GL_BACK or GL_COLOR_ATTACHMENT0
     * @param sigma blur strength of the backdrop in target pixels, 0 to 32
     * @param mx pointer x in UI units
     * @param my pointer y in UI units
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

    /** Creates an RGBA8 texture and returns its GL name. */
    public static native int createTexture(int width, int height);

    /** Copies RGBA bytes, lowest row first, into a rectangle of a texture. */
    public static native void upload(int texture, int x, int y, int width, int height, ByteBuffer pixels);

    /** Deletes a texture made by {@link #createTexture}. */
    public static native void deleteTexture(int texture);

    /** Reads the back buffer's bottom-left rectangle as RGBA bytes, lowest row first. */
    public static native void readPixels(int width, int height, ByteBuffer pixels);

    /** Presents the window's back buffer. */
    public static native void swap();

    /** GL_RENDERER of the current context. */
    public static native String rendererString();

    /** GL_VERSION of the current context. */
    public static native String contextInfo();

    /** One pending GL error code, 0 when there is none or the renderer is not open. */
    public static native int glError();

    /** Releases everything the renderer holds; safe at any time. */
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

    /** The seven shader sources for {@link #open} and {@link #attach}, read from the jar. */
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

    /** File path of this JVM's JAWT library, the second argument of {@link #open}. */
    public static String jawtPath() {
        return jawtPath(System.getProperty("java.home"), System.getProperty("os.name"));
    }

    static String jawtPath(String javaHome, String osName) {
        if (osName.toLowerCase(Locale.ROOT).startsWith("windows")) return javaHome + "\\bin\\jawt.dll";
        return javaHome + "/lib/libjawt.so";
    }
}
