package marlith.sdk.ui.render.window;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.awt.Color;
import java.awt.Graphics2D;
import java.awt.image.BufferedImage;
import java.io.File;
import java.net.URL;
import java.net.URLClassLoader;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import javax.imageio.ImageIO;
import javax.tools.JavaCompiler;
import javax.tools.ToolProvider;
import marlith.sdk.ui.render.NativeGpu;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;

/**
 * The first-frame example of the README, compiled and run as a reader would run it, draws what
 * the README says and shows: an upright image, text, a card seen through glass with its rim
 * light, and the screenshot docs/first-frame.png. A changed example or renderer that changes the
 * picture fails here; the frame it drew is left in the build folder as first-frame.png to
 * replace the README's screenshot with.
 */
class FirstFrameTest {
    static final int WIDTH = 480, HEIGHT = 270;

    @TempDir
    Path dir;

    @Test
    void readmeExampleDrawsItsScreenshot() throws Exception {
        Path source = Path.of(System.getProperty("ombrel.source"));
        Matcher block = Pattern.compile("```java\n(.*?class FirstFrame .*?)```", Pattern.DOTALL)
                .matcher(Files.readString(source.resolve("README.md")));
        assertTrue(block.find(), "no FirstFrame example in the README");
        Path java = dir.resolve("FirstFrame.java");
        Files.writeString(java, block.group(1));
        JavaCompiler javac = ToolProvider.getSystemJavaCompiler();
        String jar = Path.of(NativeGpu.class.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
        assertEquals(0, javac.run(null, null, null, "-Werror", "-Xlint:all,-try", "-cp", jar, "-d", dir.toString(),
                java.toString()));

        // A logo with a red top half, a teal bottom half and a white disc.
        BufferedImage logo = new BufferedImage(64, 64, BufferedImage.TYPE_3BYTE_BGR);
        Graphics2D g = logo.createGraphics();
        g.setColor(new Color(0xE04040));
        g.fillRect(0, 0, 64, 32);
        g.setColor(new Color(0x30C0A0));
        g.fillRect(0, 32, 64, 32);
        g.setColor(Color.WHITE);
        g.fillOval(16, 16, 32, 32);
        g.dispose();
        File logoFile = dir.resolve("logo.png").toFile(), shot = new File("first-frame.png");
        ImageIO.write(logo, "png", logoFile);
        try (URLClassLoader loader = new URLClassLoader(new URL[] {dir.toUri().toURL()}, getClass().getClassLoader())) {
            loader.loadClass("FirstFrame").getMethod("main", String[].class)
                    .invoke(null, (Object) new String[] {logoFile.getPath(), shot.getPath()});
        }
        BufferedImage frame = ImageIO.read(shot);
        assertEquals(List.of(WIDTH, HEIGHT), List.of(frame.getWidth(), frame.getHeight()));

        // The image upright where the example puts it: (360, 95), 64 x 64.
        assertColour(0xE04040, frame.getRGB(392, 100), "top of the image");
        assertColour(0xFFFFFF, frame.getRGB(392, 127), "middle of the image");
        assertColour(0x30C0A0, frame.getRGB(392, 154), "bottom of the image");

        // The white text on its baseline at y = 215 from x = 140.
        int white = 0;
        for (int y = 190; y < 222; y++) {
            for (int x = 140; x < 340; x++) white += (frame.getRGB(x, y) & 0xFFFFFF) == 0xFFFFFF ? 1 : 0;
        }
        assertTrue(white > 400, "white text pixels: " + white);

        // The glass shows the blue card drawn before the refresh: where the two overlap it is
        // far bluer than where the glass lies over the background alone.
        double card = blueness(frame, 140, 95, 90, 55), bare = blueness(frame, 270, 95, 70, 55);
        assertTrue(card > bare + 60, "blueness over the card " + card + ", beside it " + bare);

        // The pointer is NaN, outside: the rim light along the glass's top edge still shines.
        assertTrue(brightness(frame, 200, 70, 100, 2) > brightness(frame, 200, 76, 100, 4) + 15, "rim light");

        // The README's screenshot is this picture: on average within one level per channel.
        BufferedImage readme = ImageIO.read(source.resolve("docs/first-frame.png").toFile());
        long sum = 0;
        for (int y = 0; y < HEIGHT; y++) {
            for (int x = 0; x < WIDTH; x++) {
                int a = frame.getRGB(x, y), b = readme.getRGB(x, y);
                for (int shift = 0; shift < 24; shift += 8) sum += Math.abs((a >> shift & 0xFF) - (b >> shift & 0xFF));
            }
        }
        double mean = sum / (3.0 * WIDTH * HEIGHT);
        assertTrue(mean <= 1, "mean difference from docs/first-frame.png " + mean + ": " + shot.getAbsolutePath());
    }

    private static void assertColour(int rgb, int argb, String what) {
        for (int shift = 0; shift < 24; shift += 8) {
            int expected = rgb >> shift & 0xFF, actual = argb >> shift & 0xFF;
            assertTrue(Math.abs(expected - actual) <= 2, String.format("%s: %06X, expected %06X", what, argb & 0xFFFFFF, rgb));
        }
    }

    // Mean of blue minus red over a rectangle.
    private static double blueness(BufferedImage image, int x, int y, int w, int h) {
        double sum = 0;
        for (int py = y; py < y + h; py++) {
            for (int px = x; px < x + w; px++) {
                int rgb = image.getRGB(px, py);
                sum += (rgb & 0xFF) - (rgb >> 16 & 0xFF);
            }
        }
        return sum / (w * h);
    }

    private static double brightness(BufferedImage image, int x, int y, int w, int h) {
        double sum = 0;
        for (int py = y; py < y + h; py++) {
            for (int px = x; px < x + w; px++) {
                int rgb = image.getRGB(px, py);
                sum += ((rgb >> 16 & 0xFF) + (rgb >> 8 & 0xFF) + (rgb & 0xFF)) / 3.0;
            }
        }
        return sum / (w * h);
    }
}
