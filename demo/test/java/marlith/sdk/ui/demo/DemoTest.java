package marlith.sdk.ui.demo;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.awt.image.BufferedImage;
import java.nio.file.Path;
import javax.imageio.ImageIO;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/** The demo as a user runs it: a few frames in a window, the last one saved as a PNG. */
class DemoTest {
    static final int WIDTH = 960, HEIGHT = 600;

    @TempDir
    Path dir;

    @Test
    void screenshotShowsGlassPanelsOverTheBackground() throws Exception {
        Path png = dir.resolve("demo.png");
        Demo.main(new String[] {"--frames", "3", "--size", WIDTH + "x" + HEIGHT, "--screenshot", png.toString()});
        BufferedImage image = ImageIO.read(png.toFile());
        assertEquals(WIDTH, image.getWidth());
        assertEquals(HEIGHT, image.getHeight());

        // Not blank: the whole frame has a wide spread of brightness.
        Stats frame = Stats.of(image, 0, 0, WIDTH, HEIGHT);
        assertTrue(frame.deviation() > 20, "brightness deviation of the frame: " + frame);

        // The sidebar's tinted glass is clearly lighter than the bare background in the margin
        // beside it, over the same rows: those between the logo and the menu, where nothing but
        // the glass is drawn and, at this point of the animation, no orb lies behind.
        Scene.Box side = Scene.sidebar(WIDTH, HEIGHT);
        int top = Math.round(side.y() + 68), rows = 22;
        Stats glass = Stats.of(image, Math.round(side.x() + 24), top, 150, rows);
        Stats margin = Stats.of(image, 2, top, Math.round(side.x()) - 10, rows);
        assertTrue(glass.mean() > margin.mean() + 18, "glass " + glass + " against margin " + margin);

        // The rim light: the sidebar's top edge is brighter than the glass just below it.
        Stats rim = Stats.of(image, Math.round(side.x() + 40), Math.round(side.y()), 120, 2);
        Stats below = Stats.of(image, Math.round(side.x() + 40), Math.round(side.y() + 6), 120, 4);
        assertTrue(rim.mean() > below.mean() + 15, "rim " + rim + " against " + below);
    }

    /** Mean and standard deviation of the brightness (0 to 255) of a rectangle of pixels. */
    record Stats(double mean, double deviation) {
        static Stats of(BufferedImage image, int x, int y, int w, int h) {
            double sum = 0, squares = 0;
            for (int py = y; py < y + h; py++) {
                for (int px = x; px < x + w; px++) {
                    int rgb = image.getRGB(px, py);
                    double l = 0.2126 * (rgb >> 16 & 0xFF) + 0.7152 * (rgb >> 8 & 0xFF) + 0.0722 * (rgb & 0xFF);
                    sum += l;
                    squares += l * l;
                }
            }
            double n = (double) w * h, mean = sum / n;
            return new Stats(mean, Math.sqrt(Math.max(squares / n - mean * mean, 0)));
        }

        @Override
        public String toString() {
            return String.format("mean %.1f, deviation %.1f", mean, deviation);
        }
    }
}
