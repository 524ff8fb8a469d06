package marlith.bench;

import java.awt.image.BufferedImage;
import java.io.File;
import java.io.IOException;
import java.util.ArrayList;
import java.util.List;
import javafx.animation.AnimationTimer;
import javafx.application.Application;
import javafx.application.Platform;
import javafx.geometry.Rectangle2D;
import javafx.scene.Group;
import javafx.scene.Node;
import javafx.scene.SnapshotParameters;
import javafx.scene.effect.GaussianBlur;
import javafx.scene.image.ImageView;
import javafx.scene.image.PixelReader;
import javafx.scene.image.WritableImage;
import javafx.scene.paint.Color;
import javafx.scene.paint.CycleMethod;
import javafx.scene.paint.LinearGradient;
import javafx.scene.paint.RadialGradient;
import javafx.scene.paint.Stop;
import javafx.scene.shape.Circle;
import javafx.scene.shape.Rectangle;
import javafx.stage.Stage;
import javax.imageio.ImageIO;

/**
 * Contestant B: JavaFX (the ES2 pipeline, forced onto llvmpipe by the launcher). The background
 * and rectangles are nodes; each glass panel is an ImageView of a snapshot of what lies behind it
 * (grown by the blur's reach) with a GaussianBlur of radius 3 sigma, clipped to the panel. A frame
 * is one pulse; its time is the interval between pulses with pulses running at full speed.
 */
public final class JavaFxBench extends Application {
    /** JavaFX caps GaussianBlur's radius here, so sigma above a third of it cannot be drawn. */
    static final double MAX_RADIUS = 63;

    private static Run run;
    private static Exception failure;

    private Stage stage;
    private final Group content = new Group(), glass = new Group();
    private final Rectangle background = new Rectangle();
    private final Circle[] glows = new Circle[3];
    private final List<Rectangle> rects = new ArrayList<>();
    private final List<ImageView> views = new ArrayList<>();
    private List<Scene.Shape> shapes;
    private Rectangle2D region;
    private WritableImage backdrop;
    private float scale;
    private int configIndex = -1, frameIndex;
    private long configStart;
    private Run.Times times;

    /** Runs the configurations of {@code r} in a JavaFX window; returns when all are done. */
    static void main(Run r) throws Exception {
        run = r;
        Application.launch(JavaFxBench.class);
        if (failure != null) throw failure;
    }

    @Override
    public void start(Stage primary) {
        stage = primary;
        scale = run.width / Scene.UI_WIDTH;
        background.setWidth(run.width);
        background.setHeight(run.height);
        Color base = rgb(Scene.BACKGROUND, 1);
        background.setFill(new LinearGradient(0, 1, 0, 0, true, CycleMethod.NO_CYCLE, new Stop(0, base.deriveColor(0, 1, 0.55, 1)),
                new Stop(1, base)));
        for (int i = 0; i < glows.length; i++) glows[i] = new Circle();
        Group root = new Group(content, glass);
        stage.setScene(new javafx.scene.Scene(root, run.width, run.height));
        stage.setResizable(false);
        stage.show();
        new AnimationTimer() {
            @Override
            public void handle(long now) {
                try {
                    if (!pulse()) {
                        stop();
                        Platform.exit();
                    }
                } catch (Exception e) {
                    failure = e;
                    stop();
                    Platform.exit();
                }
            }
        }.start();
    }

    /** One pulse: closes the previous frame's interval, then draws the next frame. False when done. */
    private boolean pulse() throws Exception {
        if (times != null) times.lap();
        if (configIndex < 0 || (times != null && times.done(run.budget))) {
            if (times != null) finish(run.configs.get(configIndex));
            if (!nextConfig()) return false;
        }
        boolean warm = frameIndex >= Run.WARMUP_FRAMES && System.nanoTime() - configStart >= Run.WARMUP_SECONDS * 1e9;
        if (times == null && warm) times = new Run.Times();
        draw(frameIndex++, true);
        return true;
    }

    private void finish(Run.Config c) throws IOException {
        run.report("javafx", c, times);
        times = null;
        if (run.png == null) return;
        draw(Run.PICTURE_FRAME, false);
        write(c, "before");
        draw(Run.PICTURE_FRAME, true);
        write(c, "final");
    }

    /** Moves on to the next configuration that JavaFX can draw; false when there is none. */
    private boolean nextConfig() throws IOException {
        while (++configIndex < run.configs.size()) {
            Run.Config c = run.configs.get(configIndex);
            if (3 * c.sigma() <= MAX_RADIUS) {
                build(c);
                frameIndex = 0;
                configStart = System.nanoTime();
                return true;
            }
            run.reportMissing("javafx", c, "GaussianBlur radius above " + (int) MAX_RADIUS);
        }
        return false;
    }

    private void build(Run.Config c) {
        shapes = Scene.shapes(c.n());
        rects.clear();
        for (Scene.Shape s : shapes) {
            Rectangle r = new Rectangle(s.w() * scale, s.h() * scale, rgb(s.argb(), (s.argb() >>> 24) / 255.0));
            r.setArcWidth(2 * s.radius() * scale);
            r.setArcHeight(2 * s.radius() * scale);
            rects.add(r);
        }
        List<Node> nodes = new ArrayList<>(List.of(background));
        nodes.addAll(List.of(glows));
        nodes.addAll(rects);
        content.getChildren().setAll(nodes);
        buildGlass(c);
    }

    private void buildGlass(Run.Config c) {
        views.clear();
        glass.getChildren().clear();
        Scene.Rect[] panels = Scene.panels(c.g());
        if (panels.length == 0) return;
        double reach = Math.ceil(3 * c.sigma());
        double left = Double.MAX_VALUE, top = Double.MAX_VALUE, right = 0, bottom = 0;
        for (Scene.Rect p : panels) {
            left = Math.min(left, Math.max(0, Math.floor(p.x() * scale - reach)));
            top = Math.min(top, Math.max(0, Math.floor(p.y() * scale - reach)));
            right = Math.max(right, Math.min(run.width, Math.ceil((p.x() + p.w()) * scale + reach)));
            bottom = Math.max(bottom, Math.min(run.height, Math.ceil((p.y() + p.h()) * scale + reach)));
        }
        region = new Rectangle2D(left, top, right - left, bottom - top);
        backdrop = new WritableImage((int) region.getWidth(), (int) region.getHeight());
        for (Scene.Rect p : panels) {
            double x0 = Math.max(region.getMinX(), Math.floor(p.x() * scale - reach));
            double y0 = Math.max(region.getMinY(), Math.floor(p.y() * scale - reach));
            double x1 = Math.min(region.getMaxX(), Math.ceil((p.x() + p.w()) * scale + reach));
            double y1 = Math.min(region.getMaxY(), Math.ceil((p.y() + p.h()) * scale + reach));
            ImageView view = new ImageView(backdrop);
            view.setViewport(new Rectangle2D(x0 - region.getMinX(), y0 - region.getMinY(), x1 - x0, y1 - y0));
            view.setLayoutX(x0);
            view.setLayoutY(y0);
            if (c.sigma() > 0) view.setEffect(new GaussianBlur(3 * c.sigma()));
            Rectangle clip = new Rectangle(p.x() * scale - x0, p.y() * scale - y0, p.w() * scale, p.h() * scale);
            clip.setArcWidth(2 * p.radius() * scale);
            clip.setArcHeight(2 * p.radius() * scale);
            view.setClip(clip);
            views.add(view);
        }
        glass.getChildren().setAll(views);
    }

    private void draw(int index, boolean withGlass) {
        float t = index / 60f;
        float[][] g = Glows.at(t, run.width, run.height);
        for (int i = 0; i < glows.length; i++) {
            glows[i].setCenterX(g[i][0]);
            glows[i].setCenterY(g[i][1]);
            glows[i].setRadius(2 * g[i][2]);
            glows[i].setFill(glow(g[i][3]));
        }
        Scene.Rect[] at = Scene.rectsAt(shapes, t);
        for (int i = 0; i < at.length; i++) {
            rects.get(i).setX(at[i].x() * scale);
            rects.get(i).setY(at[i].y() * scale);
        }
        glass.setVisible(withGlass);
        if (withGlass && !views.isEmpty()) {
            SnapshotParameters params = new SnapshotParameters();
            params.setViewport(region);
            content.snapshot(params, backdrop);
        }
    }

    private static RadialGradient glow(float strength) {
        Stop[] stops = new Stop[5];
        for (int i = 0; i < stops.length; i++) {
            double d = 2 * (i / 4.0);
            stops[i] = new Stop(i / 4.0, glowColor(0.55 * strength * Math.exp(-d * d)));
        }
        return new RadialGradient(0, 0, 0.5, 0.5, 0.5, true, CycleMethod.NO_CYCLE, stops);
    }

    private static Color glowColor(double alpha) {
        java.awt.Color c = Glows.COLOR;
        return Color.rgb(c.getRed(), c.getGreen(), c.getBlue(), Math.min(alpha, 1));
    }

    private static Color rgb(int rgb, double alpha) {
        return Color.rgb((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255, alpha);
    }

    private void write(Run.Config c, String what) throws IOException {
        WritableImage shot = stage.getScene().snapshot(null);
        PixelReader reader = shot.getPixelReader();
        BufferedImage image = new BufferedImage(run.width, run.height, BufferedImage.TYPE_INT_RGB);
        for (int y = 0; y < run.height; y++) {
            for (int x = 0; x < run.width; x++) image.setRGB(x, y, reader.getArgb(x, y));
        }
        File file = run.picture("javafx", c, what).toFile();
        if (!ImageIO.write(image, "png", file)) throw new IOException("no PNG writer");
    }
}
