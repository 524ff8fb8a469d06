package marlith.sdk.ui.demo;

import java.io.IOException;

/**
 * The pure-Java baseline: the same scene painted with Java2D into an image, frame after frame,
 * without a window. Prints the average frame time; with a screenshot file saves the last frame.
 */
final class Java2DRun {
    private static final int DEFAULT_FRAMES = 60;

    private Java2DRun() {}

    static void run(Options options) throws IOException {
        int w = options.width(), h = options.height();
        int frames = options.frames() > 0 ? options.frames() : DEFAULT_FRAMES;
        Java2DPainter painter = new Java2DPainter(w, h);
        Scene scene = new Scene();
        Scene.Hud hud = new Scene.Hud();
        hud.renderer = "Java2D";
        hud.api = "Java2D";
        FrameRate rate = new FrameRate();
        for (int n = 0; n < frames; n++) {
            // The GPU demo's clock for a set number of frames: 60 frames per second.
            float time = n / 60f;
            hud.frame = n;
            painter.begin(Scene.idlePointerX(time, w), Scene.idlePointerY(time, h));
            scene.paint(painter, w, h, time, hud);
            hud.records = painter.end();
            if (rate.tick()) {
                hud.fps = rate.fps();
                hud.frameMillis = 1000 / rate.fps();
            }
        }
        System.out.println(rate.summary("Java2D", w, h));
        if (options.screenshot() != null) Demo.save(painter.image, options.screenshot());
    }
}
