package marlith.sdk.ui.demo;

import java.nio.file.Path;
import java.util.Locale;
import marlith.sdk.ui.render.RenderPath;

/**
 * The demo's command line.
 *
 * @param width window (or image) width in pixels
 * @param height window (or image) height in pixels
 * @param frames frames to render, 0 for as long as the window is open; a set number of frames
 *     runs the animation at 60 frames per second of scene time, whatever the frame rate, so
 *     that frame N always shows the same picture
 * @param screenshot PNG file for the last frame, or null
 * @param java2d render with the demo's own Java2D painter into an image instead of into a window
 * @param renderer the session's path in the window: auto, the GPU or the software renderer
 */
record Options(int width, int height, int frames, Path screenshot, boolean java2d, RenderPath renderer) {
    static final String USAGE = "usage: ombrel-demo [--size WIDTHxHEIGHT] [--frames N] [--screenshot FILE.png]"
            + " [--renderer auto|gpu|software] [--java2d]";

    static Options parse(String... args) {
        int width = 1280, height = 720, frames = 0;
        Path screenshot = null;
        boolean java2d = false;
        RenderPath renderer = RenderPath.configured();
        for (int i = 0; i < args.length; i++) {
            switch (args[i]) {
                case "--size" -> {
                    String[] parts = value(args, ++i).split("x");
                    if (parts.length != 2) throw new IllegalArgumentException("--size takes WIDTHxHEIGHT");
                    width = positive("--size", parts[0]);
                    height = positive("--size", parts[1]);
                }
                case "--frames" -> frames = positive("--frames", value(args, ++i));
                case "--screenshot" -> screenshot = Path.of(value(args, ++i));
                case "--java2d" -> java2d = true;
                case "--renderer" -> renderer = path(value(args, ++i));
                default -> throw new IllegalArgumentException("unknown argument " + args[i]);
            }
        }
        return new Options(width, height, frames, screenshot, java2d, renderer);
    }

    private static String value(String[] args, int i) {
        if (i >= args.length) throw new IllegalArgumentException(args[i - 1] + " needs a value");
        return args[i];
    }

    private static RenderPath path(String text) {
        for (RenderPath path : RenderPath.values()) {
            if (path.name().toLowerCase(Locale.ROOT).equals(text)) return path;
        }
        throw new IllegalArgumentException("--renderer takes auto, gpu or software, not " + text);
    }

    private static int positive(String option, String text) {
        int n;
        try {
            n = Integer.parseInt(text);
        } catch (NumberFormatException e) {
            n = 0;
        }
        if (n <= 0) throw new IllegalArgumentException(option + " needs a positive number, not " + text);
        return n;
    }
}
