package marlith.sdk.ui.demo;

import java.awt.image.BufferedImage;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import javax.imageio.ImageIO;

/**
 * The ombrel demo: glass panels, text, shapes and clips over the animated background, drawn
 * through a render session into a window, on the path {@code --renderer auto|gpu|software} asks
 * for (auto by default), or with {@code --java2d} by the demo's own Java2D painter into an image
 * as the baseline to compare with. Run without arguments for a 1280 × 720 window that stays open
 * until closed; {@code --frames N --screenshot FILE.png} renders N frames and saves the last.
 */
public final class Demo {
    private Demo() {}

    public static void main(String[] args) throws Exception {
        if (args.length == 1 && args[0].equals("--help")) {
            System.out.println(Options.USAGE);
            return;
        }
        Options options;
        try {
            options = Options.parse(args);
        } catch (IllegalArgumentException e) {
            System.err.println(e.getMessage());
            System.err.println(Options.USAGE);
            System.exit(2);
            return;
        }
        if (options.java2d()) {
            Java2DRun.run(options);
        } else {
            WindowRun.run(options);
        }
    }

    static void save(BufferedImage image, Path file) throws IOException {
        Path parent = file.toAbsolutePath().getParent();
        if (parent != null) Files.createDirectories(parent);
        if (!ImageIO.write(image, "png", file.toFile())) throw new IOException("no PNG writer");
        System.out.println("screenshot: " + file.toAbsolutePath());
    }
}
