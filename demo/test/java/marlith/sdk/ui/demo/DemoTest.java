package marlith.sdk.ui.demo;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.awt.Canvas;
import java.awt.Color;
import java.awt.Dimension;
import java.awt.EventQueue;
import java.awt.Font;
import java.awt.Frame;
import java.awt.Graphics2D;
import java.awt.RenderingHints;
import java.awt.Toolkit;
import java.awt.font.TextAttribute;
import java.awt.image.BufferedImage;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.Corners;
import marlith.sdk.ui.render.GlyphAtlas;
import marlith.sdk.ui.render.NativeGpu;
import marlith.sdk.ui.render.RenderSession;
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

    /** Text drawn through glyph atlases, in one window: the painter's lines, then the atlas's own cases. */
    @Test
    void textShowsWhatJava2DDraws() throws Exception {
        inWindow(gpu -> {
            painterLinesShowWhatJava2DDraws(gpu);
            atlasLinesShowWhatJava2DDraws(gpu);
        });
    }

    /**
     * Text as the GPU painter lays it into records, one per line from its glyph atlases, shows
     * what Java2D's drawString shows for the same lines: a colour through the mask, a character
     * outside the atlas's prepared set, a line wider than an atlas page (drawn in pieces), lines
     * placed on a page opened mid-frame because the first one filled up, and the next frame,
     * which starts the atlas's line pages over.
     */
    private static void painterLinesShowWhatJava2DDraws(RenderSession gpu) throws Exception {
        String wide = "Refraction bends the backdrop at the rim; ".repeat(4);
        Object[][] lines = {
            {"Overview", 26f, 60f, Type.HEADLINE, 0xFFF4F6FF},
            {"frame 42  ·  960 × 600 — 7.9 fps…", 230f, 58f, Type.BODY, 0xFFFFC04A},
            {"Typography €", 26f, 110f, Type.LABEL, 0xFF2FE0C5},
            {wide, -700f, 190f, Type.DISPLAY, 0xFFFFFFFF},
            {"averaged over half a second", 26f, 240f, Type.CAPTION, 0xB0DDE3FF},
        };
        BufferedImage expected = new BufferedImage(WIDTH, HEIGHT, BufferedImage.TYPE_INT_RGB);
        Graphics2D g = expected.createGraphics();
        Type.applyHints(g);
        for (Object[] l : lines) {
            g.setFont(((Type) l[3]).font);
            g.setColor(new Color((int) l[4], true));
            g.drawString((String) l[0], Math.round((float) l[1]), Math.round((float) l[2]));
        }
        g.dispose();

        GpuPainter painter = new GpuPainter(gpu);
        try {
            for (int frame = 0; frame < 2; frame++) {
                painter.begin(WIDTH, HEIGHT, 0, 0);
                painter.fill(0, 0, WIDTH, HEIGHT, 0, 0xFF000000);
                // Lines above the window, more than one atlas page holds, new in every frame
                // as a counter would be.
                for (int i = 0; i < 30; i++) {
                    painter.text(frame + "/" + i + " " + wide, 0, -200, Type.DISPLAY, 0xFFFFFFFF);
                }
                for (Object[] l : lines) painter.text((String) l[0], (float) l[1], (float) l[2], (Type) l[3], (int) l[4]);
                // A line wider than a page takes a record for each page width (four for the
                // wide line), not one for each glyph.
                int records = painter.end(), characters = 30 * (4 + wide.length());
                for (Object[] l : lines) characters += ((String) l[0]).length();
                assertTrue(records * 30 < characters, records + " records for " + characters + " characters");
                assertMatches(expected, gpu.readImage(WIDTH, HEIGHT), "frame " + frame);
                gpu.present();
            }
        } finally {
            painter.delete();
        }
    }

    /**
     * The library's glyph atlas beyond what the demo asks of it, against Java2D's drawString of
     * the same strings with the atlas's hints: glyph by glyph on pages far smaller than the text,
     * so that the atlas adds page after page; kerning and ligatures; fractional metrics and the
     * font's own anti-aliasing table; characters outside the prepared set; more new lines in one
     * frame than the line pages may hold while the buffer holds them, drawn glyph by glyph
     * instead; and a second frame, after which the line pages start over.
     */
    private static void atlasLinesShowWhatJava2DDraws(RenderSession gpu) throws Exception {
        Font kerned = new Font(Font.SERIF, Font.ITALIC, 30).deriveFont(
                Map.of(TextAttribute.KERNING, TextAttribute.KERNING_ON, TextAttribute.LIGATURES, TextAttribute.LIGATURES_ON));
        String[] words = {"AVATAR Wave To ffi fl", "Typography: Å É Ø ß ✓ € 漢字"};
        List<String> lines = new ArrayList<>();
        for (int i = 0; i < 20; i++) lines.add("line " + i + ": the quick brown fox jumps over the lazy dog");
        BufferedImage expected = new BufferedImage(WIDTH, HEIGHT, BufferedImage.TYPE_INT_RGB);
        try (GlyphAtlas glyphs = new GlyphAtlas(kerned, RenderingHints.VALUE_TEXT_ANTIALIAS_ON,
                     RenderingHints.VALUE_FRACTIONALMETRICS_ON, "", 64).cacheLines(false);
             GlyphAtlas plain = new GlyphAtlas(new Font(Font.SANS_SERIF, Font.PLAIN, 20),
                     RenderingHints.VALUE_TEXT_ANTIALIAS_GASP, RenderingHints.VALUE_FRACTIONALMETRICS_OFF, "abc", 64)) {
            Graphics2D g = expected.createGraphics();
            glyphs.applyHints(g);
            g.setFont(glyphs.font());
            g.setColor(Color.WHITE);
            for (int i = 0; i < words.length; i++) g.drawString(words[i], 20, 45 + 40 * i);
            plain.applyHints(g);
            g.setFont(plain.font());
            g.setColor(new Color(0xB0FFC04A, true));
            for (int i = 0; i < lines.size(); i++) g.drawString(lines.get(i), 20, 140 + 22 * i);
            g.dispose();
            CommandBuffer records = new CommandBuffer();
            for (int frame = 0; frame < 2; frame++) {
                records.clear();
                records.fill(0, 0, WIDTH, HEIGHT, Corners.NONE, 0xFF000000);
                for (int i = 0; i < words.length; i++) records.text(glyphs, 20.4f, 45 + 40 * i, words[i], 0xFFFFFFFF);
                for (int i = 0; i < lines.size(); i++) {
                    records.text(plain, 20, 140 + 22 * i, lines.get(i), 0xB0FFC04A);
                }
                gpu.submit(records, 0, Float.NaN, Float.NaN);
                assertMatches(expected, gpu.readImage(WIDTH, HEIGHT), "frame " + frame);
                gpu.present();
            }
        }
    }

    interface Drawing {
        void run(RenderSession gpu) throws Exception;
    }

    // Runs `drawing` with a session open on a WIDTH x HEIGHT window, then closes both.
    private static void inWindow(Drawing drawing) throws Exception {
        Frame window = new Frame("text records");
        Canvas canvas = new Canvas();
        EventQueue.invokeAndWait(() -> {
            canvas.setPreferredSize(new Dimension(WIDTH, HEIGHT));
            canvas.setIgnoreRepaint(true);
            window.add(canvas);
            window.pack();
            window.setVisible(true);
        });
        Toolkit.getDefaultToolkit().sync();
        try (RenderSession gpu = NativeGpu.open(canvas)) {
            drawing.run(gpu);
        } finally {
            EventQueue.invokeAndWait(window::dispose);
        }
    }

    // Every channel of every pixel within 2 of the expected one, and the text really there.
    private static void assertMatches(BufferedImage expected, BufferedImage actual, String what) {
        int worst = 0, lit = 0;
        for (int y = 0; y < HEIGHT; y++) {
            for (int x = 0; x < WIDTH; x++) {
                int e = expected.getRGB(x, y), a = actual.getRGB(x, y);
                for (int shift = 0; shift < 24; shift += 8) {
                    worst = Math.max(worst, Math.abs((e >> shift & 0xFF) - (a >> shift & 0xFF)));
                }
                if ((a & 0xFFFFFF) != 0) lit++;
            }
        }
        assertTrue(lit > 10_000, what + ": pixels with text " + lit);
        assertTrue(worst <= 2, what + ": largest channel difference " + worst);
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
