package marlith.bench;

import java.awt.image.BufferedImage;
import java.io.IOException;
import javax.imageio.ImageIO;

/** A contestant that draws one frame per call and returns once the frame is complete. */
interface Frames {
    /** Sets up the scene of a configuration. */
    void prepare(Run.Config c) throws Exception;

    /** Draws frame {@code index} (animation time index / 60) and waits until it is complete. */
    void frame(int index, boolean withGlass) throws Exception;

    /** The frame drawn last. */
    BufferedImage picture() throws Exception;

    /** Runs every configuration of {@code run}: warm-up, timed frames, result line, pictures. */
    static void drive(String contestant, Frames frames, Run run) throws Exception {
        for (Run.Config c : run.configs) {
            frames.prepare(c);
            int index = 0;
            long start = System.nanoTime();
            while (index < Run.WARMUP_FRAMES || System.nanoTime() - start < Run.WARMUP_SECONDS * 1e9) {
                frames.frame(index++, true);
            }
            Run.Times times = new Run.Times();
            while (!times.done(run.budget)) {
                frames.frame(index++, true);
                times.lap();
            }
            run.report(contestant, c, times);
            if (run.png == null) continue;
            frames.frame(Run.PICTURE_FRAME, false);
            write(frames.picture(), run, contestant, c, "before");
            frames.frame(Run.PICTURE_FRAME, true);
            write(frames.picture(), run, contestant, c, "final");
        }
    }

    private static void write(BufferedImage image, Run run, String contestant, Run.Config c, String what)
            throws IOException {
        if (!ImageIO.write(image, "png", run.picture(contestant, c, what).toFile())) {
            throw new IOException("no PNG writer");
        }
    }
}
