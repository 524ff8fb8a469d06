package marlith.bench;

import java.awt.Color;
import java.awt.GradientPaint;
import java.awt.Graphics2D;
import java.awt.MultipleGradientPaint;
import java.awt.RadialGradientPaint;
import java.awt.Rectangle;
import java.awt.RenderingHints;
import java.awt.TexturePaint;
import java.awt.geom.Point2D;
import java.awt.geom.RoundRectangle2D;
import java.awt.image.BufferedImage;
import java.awt.image.ConvolveOp;
import java.awt.image.DataBufferInt;
import java.awt.image.Kernel;
import java.util.List;

/**
 * Contestant C: Java2D into a BufferedImage. Each glass panel copies the region under it (grown by
 * the blur's reach), blurs the copy and fills the panel's rounded rectangle with it. The blur is
 * either three box passes per direction sized for the sigma, or an exact Gaussian as two
 * ConvolveOps.
 */
final class Java2dFrames implements Frames {
    private final int width, height;
    private final boolean exact;
    private final float scale;
    private final BufferedImage frame;
    private final int[] pixels;
    private final Graphics2D g;
    private List<Scene.Shape> shapes;
    private Run.Config config;
    private Panel[] panels;

    /** A glass panel's rounded rectangle in pixels and the blur buffers of its region. */
    private static final class Panel {
        final RoundRectangle2D shape;
        final Rectangle region;
        final BufferedImage copy, blurred;
        final int[] copyPixels, scratch;

        Panel(RoundRectangle2D shape, Rectangle region) {
            this.shape = shape;
            this.region = region;
            copy = new BufferedImage(region.width, region.height, BufferedImage.TYPE_INT_RGB);
            blurred = new BufferedImage(region.width, region.height, BufferedImage.TYPE_INT_RGB);
            copyPixels = ((DataBufferInt) copy.getRaster().getDataBuffer()).getData();
            scratch = new int[region.width * region.height];
        }
    }

    Java2dFrames(int width, int height, boolean exact) {
        this.width = width;
        this.height = height;
        this.exact = exact;
        scale = width / Scene.UI_WIDTH;
        frame = new BufferedImage(width, height, BufferedImage.TYPE_INT_RGB);
        pixels = ((DataBufferInt) frame.getRaster().getDataBuffer()).getData();
        g = frame.createGraphics();
        g.setRenderingHint(RenderingHints.KEY_ANTIALIASING, RenderingHints.VALUE_ANTIALIAS_ON);
    }

    @Override
    public void prepare(Run.Config c) {
        config = c;
        shapes = Scene.shapes(c.n());
        Scene.Rect[] rects = Scene.panels(c.g());
        panels = new Panel[rects.length];
        int reach = (int) Math.ceil(3 * c.sigma());
        for (int i = 0; i < rects.length; i++) {
            RoundRectangle2D shape = pixels(rects[i]);
            Rectangle region = shape.getBounds();
            region.grow(reach, reach);
            panels[i] = new Panel(shape, region.intersection(new Rectangle(width, height)));
        }
    }

    private RoundRectangle2D pixels(Scene.Rect r) {
        float d = 2 * r.radius() * scale;
        return new RoundRectangle2D.Float(r.x() * scale, r.y() * scale, r.w() * scale, r.h() * scale, d, d);
    }

    @Override
    public void frame(int index, boolean withGlass) {
        float t = index / 60f;
        Background.paint(g, width, height, t);
        for (Scene.Rect r : Scene.rectsAt(shapes, t)) {
            g.setColor(new Color(r.argb(), true));
            g.fill(pixels(r));
        }
        if (!withGlass) return;
        for (Panel p : panels) glass(p);
    }

    private void glass(Panel p) {
        Rectangle r = p.region;
        for (int y = 0; y < r.height; y++) {
            System.arraycopy(pixels, (r.y + y) * width + r.x, p.copyPixels, y * r.width, r.width);
        }
        BufferedImage shown = p.copy;
        if (config.sigma() > 0) shown = exact ? gaussian(p) : boxes(p);
        g.setPaint(new TexturePaint(shown, r));
        g.fill(p.shape);
    }

    private BufferedImage gaussian(Panel p) {
        float[] weights = Blur.gaussianKernel(config.sigma());
        new ConvolveOp(new Kernel(weights.length, 1, weights), ConvolveOp.EDGE_NO_OP, null).filter(p.copy, p.blurred);
        new ConvolveOp(new Kernel(1, weights.length, weights), ConvolveOp.EDGE_NO_OP, null).filter(p.blurred, p.copy);
        return p.copy;
    }

    private BufferedImage boxes(Panel p) {
        Blur.boxes(p.copyPixels, p.scratch, p.region.width, p.region.height, config.sigma());
        return p.copy;
    }

    @Override
    public BufferedImage picture() {
        return frame;
    }

    /** The animated background, drawn as a vertical gradient and three soft radial glows. */
    static final class Background {
        private static final float[] STOPS = {0f, 0.25f, 0.5f, 0.75f, 1f};

        private Background() {}

        static void paint(Graphics2D g, int width, int height, float t) {
            Color base = new Color(Scene.BACKGROUND);
            g.setPaint(new GradientPaint(0, height, scaled(base, 0.55f), 0, 0, base));
            g.fillRect(0, 0, width, height);
            float[][] glows = Glows.at(t, width, height);
            for (float[] glow : glows) {
                float radius = 2 * glow[2];
                Color[] colors = new Color[STOPS.length];
                for (int i = 0; i < STOPS.length; i++) {
                    float d = 2 * STOPS[i];
                    colors[i] = withAlpha(Glows.COLOR, 0.55f * glow[3] * (float) Math.exp(-d * d));
                }
                g.setPaint(new RadialGradientPaint(new Point2D.Float(glow[0], glow[1]), radius, STOPS, colors,
                        MultipleGradientPaint.CycleMethod.NO_CYCLE));
                g.fillRect(0, 0, width, height);
            }
        }

        private static Color scaled(Color c, float f) {
            return new Color(Math.round(c.getRed() * f), Math.round(c.getGreen() * f), Math.round(c.getBlue() * f));
        }

        private static Color withAlpha(Color c, float alpha) {
            return new Color(c.getRed(), c.getGreen(), c.getBlue(), Math.round(Math.min(alpha, 1f) * 255));
        }
    }
}
