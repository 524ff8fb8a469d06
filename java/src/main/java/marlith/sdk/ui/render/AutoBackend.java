package marlith.sdk.ui.render;

import java.awt.Canvas;
import java.lang.management.CompilationMXBean;
import java.lang.management.ManagementFactory;
import java.nio.ByteBuffer;
import java.nio.FloatBuffer;
import java.util.Arrays;
import java.util.List;
import java.util.Locale;

/**
 * How a window session picks its path, and the auto path's trial on a software rasterizer. There
 * the GPU path runs on the CPU too, and which of the two draws the program's frames faster
 * depends on the cores, the frame size and what the frames hold, so it is measured: both
 * renderers stay open over the first frames (every texture made, uploaded and deleted in both,
 * under the GPU's name), a few frames run on the GPU, then frames in software until their times
 * settle, and the faster path stays while the other is closed.
 *
 * <p>A frame runs from its first drawing call (background or submit) after the previous frame's
 * end, a readback or present, to the next drawing call after that; its cost is the time spent
 * inside the session's calls, so that the program's own work between them, the same on either
 * path, does not blur the comparison.
 */
final class AutoBackend implements Backend {
    /** GL_RENDERER names of rasterizers that run on the CPU. */
    private static final List<String> SOFTWARE_RASTERIZERS =
            List.of("llvmpipe", "softpipe", "swiftshader", "gdi generic", "microsoft basic render");
    /**
     * The beginnings of the native open's messages that mean the machine offers no usable OpenGL
     * 3.3 here: no GL library or JAWT, a driver below 3.3 or missing one of its entry points, no
     * GL visual, pixel format or context for the window (an X server without GLX, the generic
     * GDI OpenGL of a remote desktop). Anything else, a Canvas that cannot be locked say, is the
     * program's to fix and still raises.
     */
    private static final List<String> NO_OPENGL = List.of(
            "The active driver exposes less than OpenGL 3.3",
            "Missing OpenGL entry point",
            "libGL.so.1 not available",
            "Cannot load JAWT/",
            "Required GLX/JAWT entry point is missing",
            "Required WGL/JAWT entry point is missing",
            "JAWT 1.4",
            "No matching X11 visual",
            "Cannot create/make current the GLX context",
            "Load opengl32.dll failed",
            "DescribePixelFormat failed",
            "ChoosePixelFormat failed",
            "SetPixelFormat failed",
            "wglCreateContext failed",
            "Initial wglMakeCurrent",
            "Both modern and legacy WGL contexts failed");

    // The trial: frames that warm a path up (llvmpipe compiles its shader variants on first use),
    // then frames timed on it. The software path's frames grow faster while the JIT compiles its
    // loops, which takes seconds on a busy machine, so it is timed on frames during which the JIT
    // compiled nothing; or, when its latest frames already beat the GPU, on those (the JIT only
    // makes them faster still); or on its latest frames once it has drawn SOFTWARE_MOST.
    private static final int GPU_WARMUP = 1, SOFTWARE_WARMUP = 2, TIMED = 3, SOFTWARE_MOST = 40;
    private static final CompilationMXBean JIT = jit();
    /** How the reason starts while the trial lasts. */
    private static final String MEASURING = "GPU for now, measuring";

    private final GpuBackend gpu = new GpuBackend(false);
    private final SoftwareBackend software;
    private final String renderer;
    private final long[] gpuTimes = new long[TIMED], latest = new long[TIMED], quiet = new long[TIMED];
    private final ByteBuffer fence = ByteBuffer.allocateDirect(4);
    private Backend on = gpu;
    private boolean choosing = true;
    private String reason;
    // The frame being drawn: its number on its path in the trial, the nanoseconds spent in its
    // calls, whether it has drawn and whether a readback or present has ended it. The software
    // path keeps the times of its latest frames, and of its latest quiet ones, round, and the
    // JIT's compilation time when its frame started.
    private int frame, quietFrames;
    private long compiled;
    private long spent;
    private boolean drew, ended;

    private AutoBackend(Canvas canvas, String renderer) {
        software = new SoftwareBackend(canvas);
        this.renderer = renderer;
        reason = MEASURING + ": " + renderer + " is a software rasterizer, so the first frames are drawn on both"
                + " paths in turn, and the faster stays";
    }

    /**
     * A session on {@code canvas} drawing with {@code path}, as {@link RenderSession#open(Canvas,
     * RenderPath)} describes; {@code asker} says who asked for the path, for the reason.
     */
    static RenderSession open(Canvas canvas, RenderPath path, String asker) {
        Checks.notNull("canvas", canvas);
        Checks.notNull("path", path);
        Checks.displayable(canvas);
        Thread owner = Thread.currentThread();
        if (path == RenderPath.SOFTWARE) {
            return RenderSession.start(new SoftwareBackend(canvas), owner, "software, as " + asker);
        }
        if (path == RenderPath.GPU) {
            NativeGpu.load();
            NativeGpu.open(canvas, NativeGpu.jawtPath(), NativeGpu.shaderSources());
            return RenderSession.start(new GpuBackend(false), owner, "GPU, as " + asker + ": " + gpuName());
        }
        String refusal = openGpu(canvas);
        if (refusal != null) return RenderSession.start(new SoftwareBackend(canvas), owner, "software: " + refusal);
        String renderer = NativeGpu.rendererString();
        String name = renderer.toLowerCase(Locale.ROOT);
        if (SOFTWARE_RASTERIZERS.stream().noneMatch(name::contains)) {
            return RenderSession.start(new GpuBackend(false), owner, "GPU: " + gpuName());
        }
        AutoBackend auto = new AutoBackend(canvas, renderer);
        return RenderSession.start(auto, owner, auto.reason);
    }

    // Opens the native renderer on the canvas; null when it opened, else why the machine cannot
    // have the GPU path. Failures that are not for want of OpenGL raise.
    private static String openGpu(Canvas canvas) {
        try {
            NativeGpu.load();
        } catch (UnsatisfiedLinkError e) {
            return "the native library did not load (" + e.getMessage() + ")";
        }
        try {
            NativeGpu.open(canvas, NativeGpu.jawtPath(), NativeGpu.shaderSources());
            return null;
        } catch (IllegalStateException e) {
            String message = String.valueOf(e.getMessage());
            if (NO_OPENGL.stream().noneMatch(message::startsWith)) throw e;
            return "the GPU renderer did not open: " + message;
        }
    }

    private static String gpuName() {
        return NativeGpu.rendererString() + ", OpenGL " + NativeGpu.contextInfo();
    }

    /** Why the session draws with its current path: the trial under way, or what it measured. */
    String reason() {
        return reason;
    }

    @Override
    public RenderPath path() {
        return on.path();
    }

    @Override
    public long clientSize() {
        return on.clientSize();
    }

    @Override
    public void background(int width, int height, float time, boolean grid, boolean light, int base, int accent) {
        long start = draw();
        on.background(width, height, time, grid, light, base, accent);
        spend(start);
    }

    @Override
    public void submit(FloatBuffer records, int count, int target, int colorBuffer, int width, int height,
            float uiWidth, float uiHeight, float sigma, float mx, float my) {
        long start = draw();
        on.submit(records, count, target, colorBuffer, width, height, uiWidth, uiHeight, sigma, mx, my);
        spend(start);
    }

    // While choosing, a texture lives in both renderers under the GPU's name.
    @Override
    public int createTexture(int width, int height) {
        if (!choosing) return on.createTexture(width, height);
        int texture = gpu.createTexture(width, height);
        software.adoptTexture(texture, width, height);
        return texture;
    }

    @Override
    public void upload(int texture, int x, int y, int width, int height, ByteBuffer rgba) {
        if (!choosing) {
            on.upload(texture, x, y, width, height, rgba);
            return;
        }
        gpu.upload(texture, x, y, width, height, rgba);
        software.upload(texture, x, y, width, height, rgba);
    }

    @Override
    public void deleteTexture(int texture) {
        if (!choosing) {
            on.deleteTexture(texture);
            return;
        }
        gpu.deleteTexture(texture);
        software.deleteTexture(texture);
    }

    @Override
    public void readPixels(int width, int height, ByteBuffer rgba) {
        long start = System.nanoTime();
        on.readPixels(width, height, rgba);
        end(start);
    }

    // A GPU frame is timed to its last pixel: a swap may return before llvmpipe has finished
    // drawing, and a one-pixel readback waits for it.
    @Override
    public void present() {
        long start = System.nanoTime();
        if (choosing && on == gpu) gpu.readPixels(1, 1, fence);
        on.present();
        end(start);
    }

    @Override
    public void close() {
        if (!choosing) {
            on.close();
            return;
        }
        software.close();
        gpu.close();
    }

    // The start of a drawing call; the first after a frame's end starts the next frame, and on
    // the path the trial gives it.
    private long draw() {
        if (choosing && ended) next();
        drew = true;
        return System.nanoTime();
    }

    private void spend(long start) {
        if (choosing) spent += System.nanoTime() - start;
    }

    private void end(long start) {
        spend(start);
        ended |= drew;
    }

    private void next() {
        if (on == gpu) {
            if (frame >= GPU_WARMUP) gpuTimes[frame - GPU_WARMUP] = spent;
            if (++frame == GPU_WARMUP + TIMED) {
                on = software;
                frame = 0;
            }
        } else {
            long jit = jitMillis();
            latest[frame % TIMED] = spent;
            if (jit == compiled) quiet[quietFrames++ % TIMED] = spent;
            if (++frame >= SOFTWARE_WARMUP + TIMED) {
                if (quietFrames >= TIMED) {
                    decide(quiet);
                } else if (median(latest) < median(gpuTimes) || frame >= SOFTWARE_MOST) {
                    decide(latest);
                }
            }
        }
        compiled = jitMillis();
        spent = 0;
        drew = ended = false;
    }

    private void decide(long[] softwareTimes) {
        double gpuMillis = median(gpuTimes) / 1e6, softwareMillis = median(softwareTimes) / 1e6;
        choosing = false;
        if (softwareMillis < gpuMillis) {
            gpu.close();
            on = software;
            reason = String.format(Locale.ROOT, "software: measured %.1f ms/frame against %.1f ms/frame for the GPU on %s",
                    softwareMillis, gpuMillis, renderer);
        } else {
            software.close();
            on = gpu;
            reason = String.format(Locale.ROOT, "GPU: %s measured %.1f ms/frame against software %.1f ms/frame",
                    renderer, gpuMillis, softwareMillis);
        }
    }

    // Where the JVM runs without java.management (a module layer that did not resolve it), or
    // does not time its JIT, every frame counts as quiet.
    private static CompilationMXBean jit() {
        try {
            CompilationMXBean jit = ManagementFactory.getCompilationMXBean();
            return jit != null && jit.isCompilationTimeMonitoringSupported() ? jit : null;
        } catch (LinkageError e) {
            return null;
        }
    }

    private static long jitMillis() {
        return JIT == null ? 0 : JIT.getTotalCompilationTime();
    }

    private static double median(long[] times) {
        long[] sorted = times.clone();
        Arrays.sort(sorted);
        int half = sorted.length / 2;
        return sorted.length % 2 == 1 ? sorted[half] : (sorted[half - 1] + sorted[half]) / 2.0;
    }
}
