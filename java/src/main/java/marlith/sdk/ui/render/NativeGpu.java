package marlith.sdk.ui.render;

import java.awt.Canvas;
import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.io.UncheckedIOException;
import java.nio.ByteBuffer;
import java.nio.FloatBuffer;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.util.Locale;

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
     * java.library.path}, else from the copy bundled in the jar, extracted to a temporary file.
     *
     * @return where the library was loaded from
     * @throws UnsatisfiedLinkError when none of these yields a loadable library
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
            return loadedFrom = file.getAbsolutePath();
        }
        try {
            System.loadLibrary("ombrel-ui");
            return loadedFrom = "java.library.path";
        } catch (UnsatisfiedLinkError notOnPath) {
            String resource = bundledLibrary(System.getProperty("os.name"), System.getProperty("os.arch"));
            if (resource == null || NativeGpu.class.getResource(resource) == null) {
                UnsatisfiedLinkError e = new UnsatisfiedLinkError("ombrel-ui is neither on java.library.path nor bundled for "
                        + System.getProperty("os.name") + " " + System.getProperty("os.arch"));
                e.addSuppressed(notOnPath);
                throw e;
            }
            Path file = extract(resource);
            System.load(file.toString());
            deleteLoaded(file);
            return loadedFrom = resource;
        }
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

    private static Path extract(String resource) {
        String name = resource.substring(resource.lastIndexOf('/') + 1);
        int dot = name.lastIndexOf('.');
        try (InputStream in = NativeGpu.class.getResourceAsStream(resource)) {
            Path file = Files.createTempFile(name.substring(0, dot) + "-", name.substring(dot));
            Files.copy(in, file, StandardCopyOption.REPLACE_EXISTING);
            return file;
        } catch (IOException e) {
            throw new UncheckedIOException("Cannot extract " + resource, e);
        }
    }

    // A loaded library stays mapped after its file is removed on Linux; Windows
    // keeps the file locked while it is loaded, so it goes at exit at best.
    private static void deleteLoaded(Path file) {
        try {
            Files.delete(file);
        } catch (IOException locked) {
            file.toFile().deleteOnExit();
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
