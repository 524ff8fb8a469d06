package marlith.sdk.ui.demo;

/**
 * Frames per second: over the last half second for display, and over the whole run except the
 * first frame (which pays for start-up) for the summary.
 */
final class FrameRate {
    private static final long WINDOW = 500_000_000L;

    private long first, last, windowStart;
    private int frames, windowFrames;
    private double fps;

    /** Counts one finished frame; true when the displayed rate was updated. */
    boolean tick() {
        long now = System.nanoTime();
        if (frames++ == 0) {
            first = windowStart = now;
            return false;
        }
        last = now;
        windowFrames++;
        if (now - windowStart < WINDOW) return false;
        fps = windowFrames * 1e9 / (now - windowStart);
        windowStart = now;
        windowFrames = 0;
        return true;
    }

    double fps() {
        return fps;
    }

    /** Average frames per second and frame time after the first frame. */
    String summary(String what, int width, int height) {
        if (frames < 2) return what + ": too few frames to time";
        double seconds = (last - first) / 1e9, rate = (frames - 1) / seconds;
        return String.format("%s: %d frames at %d x %d, %.1f fps, %.2f ms per frame", what, frames, width, height,
                rate, 1000 / rate);
    }
}
