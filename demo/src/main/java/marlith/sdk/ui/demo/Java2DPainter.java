package marlith.sdk.ui.demo;

import java.awt.AlphaComposite;
import java.awt.BasicStroke;
import java.awt.Color;
import java.awt.GradientPaint;
import java.awt.Graphics2D;
import java.awt.LinearGradientPaint;
import java.awt.MultipleGradientPaint;
import java.awt.RadialGradientPaint;
import java.awt.Rectangle;
import java.awt.RenderingHints;
import java.awt.Shape;
import java.awt.geom.Area;
import java.awt.geom.Point2D;
import java.awt.geom.Rectangle2D;
import java.awt.geom.RoundRectangle2D;
import java.awt.image.BufferedImage;
import java.awt.image.ConvolveOp;
import java.awt.image.DataBufferInt;
import java.awt.image.Kernel;
import java.util.ArrayDeque;
import java.util.Arrays;
import java.util.Deque;
import java.util.HashMap;
import java.util.Map;

/**
 * Paints the scene with nothing but Java2D into an opaque image: the pure-Java baseline the GPU
 * renderer is measured against. Glass is the backdrop blurred with the same Gaussian as the GPU's
 * frost (sigma {@link Scene#BLUR} pixels, computed at half size as the renderer does), tinted and
 * rim-lit; the bevel's refraction has no Java2D counterpart and is left out. Shadows are blurred
 * sprites made once per shape and reused, as a Java2D application would.
 */
public final class Java2DPainter implements Painter {
    /** The frame being painted. */
    public final BufferedImage image;
    private final BufferedImage backdrop;
    private final int[] pixels, backdropPixels;
    private final Graphics2D g;
    private final Deque<Shape> clips = new ArrayDeque<>();
    private final Map<String, BufferedImage> shadows = new HashMap<>();
    private final int width, height;
    private float mx, my;
    private int draws;

    public Java2DPainter(int width, int height) {
        this.width = width;
        this.height = height;
        image = new BufferedImage(width, height, BufferedImage.TYPE_INT_RGB);
        backdrop = new BufferedImage(width, height, BufferedImage.TYPE_INT_RGB);
        pixels = ((DataBufferInt) image.getRaster().getDataBuffer()).getData();
        backdropPixels = ((DataBufferInt) backdrop.getRaster().getDataBuffer()).getData();
        g = image.createGraphics();
        g.setRenderingHint(RenderingHints.KEY_ANTIALIASING, RenderingHints.VALUE_ANTIALIAS_ON);
        g.setRenderingHint(RenderingHints.KEY_INTERPOLATION, RenderingHints.VALUE_INTERPOLATION_BILINEAR);
        g.setRenderingHint(RenderingHints.KEY_STROKE_CONTROL, RenderingHints.VALUE_STROKE_PURE);
        Type.applyHints(g);
    }

    /** Starts a frame with the pointer at (mx, my). */
    public void begin(float mx, float my) {
        this.mx = mx;
        this.my = my;
        g.setClip(null);
        clips.clear();
        draws = 0;
    }

    /** Ends the frame; returns how many shapes, glass panels and texts it drew. */
    public int end() {
        return draws;
    }

    /** The background shader's picture, rebuilt from gradients: base colour, accent glows, grid, vignette. */
    @Override
    public void background(float time, int base, int accent) {
        g.setComposite(AlphaComposite.SrcOver);
        g.setPaint(new GradientPaint(0, 0, new Color(base), 0, height, new Color(scale(base, 0.55f))));
        g.fillRect(0, 0, width, height);
        int glow = scale(accent, 0.8f);
        float t = time;
        glow(0.25f + 0.10f * (float) Math.sin(t * 0.21f), 0.78f + 0.10f * (float) Math.cos(t * 0.17f),
                0.55f, 0.55f, glow);
        glow(0.80f + 0.08f * (float) Math.cos(t * 0.13f), 0.30f + 0.12f * (float) Math.sin(t * 0.19f),
                0.50f, 0.44f, glow);
        glow(0.55f + 0.15f * (float) Math.sin(t * 0.11f + 1.7f), 0.05f + 0.10f * (float) Math.cos(t * 0.23f),
                0.45f, 0.33f, glow);
        g.setColor(new Color(255, 255, 255, 13));
        for (int x = 32; x < width; x += 32) g.fillRect(x, 0, 1, height);
        for (int y = 32; y < height; y += 32) g.fillRect(0, height - y, width, 1);
        g.setColor(new Color(255, 255, 255, 26));
        for (int x = 128; x < width; x += 128) g.fillRect(x, 0, 1, height);
        for (int y = 128; y < height; y += 128) g.fillRect(0, height - y, width, 1);
        float r = (float) Math.hypot(width, height) / 2;
        g.setPaint(new RadialGradientPaint(new Point2D.Float(width / 2f, height / 2f), r, new float[] {0f, 1f},
                new Color[] {new Color(0, 0, 0, 0), new Color(0, 0, 0, 45)}));
        g.fillRect(0, 0, width, height);
    }

    // A Gaussian glow at (x, y) in the shader's units: heights from the bottom, x scaled likewise.
    private void glow(float x, float y, float radius, float strength, int rgb) {
        float cx = x * width, cy = height - y * height, r = 2 * radius * height;
        float[] stops = {0f, 0.25f, 0.5f, 0.75f, 1f};
        Color[] colours = new Color[stops.length];
        for (int i = 0; i < stops.length; i++) {
            double d = 2 * stops[i];
            colours[i] = new Color(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF,
                    (int) Math.round(255 * strength * Math.exp(-d * d)));
        }
        g.setPaint(new RadialGradientPaint(new Point2D.Float(cx, cy), r, stops, colours));
        g.fillRect(0, 0, width, height);
    }

    @Override
    public void fill(float x, float y, float w, float h, float radius, int argb) {
        draws++;
        g.setColor(new Color(argb, true));
        g.fill(round(x, y, w, h, radius));
    }

    @Override
    public void stroke(float x, float y, float w, float h, float radius, float width, int argb) {
        draws++;
        g.setColor(new Color(argb, true));
        g.setStroke(new BasicStroke(width));
        float half = width / 2;
        g.draw(round(x + half, y + half, w - width, h - width, radius - half));
    }

    @Override
    public void shadow(float x, float y, float w, float h, float radius, float blur, float dy, boolean knockout,
            int argb) {
        draws++;
        int b = Math.round(blur), pad = (int) Math.ceil(1.5f * b) + 2;
        String key = Math.round(w) + "x" + Math.round(h) + "r" + radius + "b" + b + "#" + Integer.toHexString(argb);
        BufferedImage sprite = shadows.computeIfAbsent(key,
                k -> shadowSprite(Math.round(w), Math.round(h), radius, b, pad, argb));
        Shape clip = g.getClip();
        if (knockout) {
            Area area = new Area(clip != null ? clip : new Rectangle(0, 0, width, height));
            area.subtract(new Area(round(x, y, w, h, radius)));
            g.setClip(area);
        }
        g.drawImage(sprite, Math.round(x) - pad, Math.round(y + dy) - pad, null);
        g.setClip(clip);
    }

    private static BufferedImage shadowSprite(int w, int h, float radius, int blur, int pad, int argb) {
        BufferedImage sprite = new BufferedImage(w + 2 * pad, h + 2 * pad, BufferedImage.TYPE_INT_ARGB_PRE);
        Graphics2D s = sprite.createGraphics();
        s.setRenderingHint(RenderingHints.KEY_ANTIALIASING, RenderingHints.VALUE_ANTIALIAS_ON);
        s.setColor(new Color(argb, true));
        s.fill(round(pad, pad, w, h, radius));
        s.dispose();
        return blur(sprite, blur / 2f);
    }

    @Override
    public void glass(float x, float y, float w, float h, float radius, Material m) {
        draws++;
        Shape shape = round(x, y, w, h, radius);
        Rectangle box = shape.getBounds().intersection(new Rectangle(0, 0, width, height));
        if (box.isEmpty()) return;
        Shape clip = g.getClip();
        g.clip(shape);
        g.drawImage(backdrop, box.x, box.y, box.x + box.width, box.y + box.height,
                box.x, box.y, box.x + box.width, box.y + box.height, null);
        if (m.frost() > 0) {
            g.setComposite(AlphaComposite.SrcOver.derive(Math.min(m.frost(), 1f)));
            drawFrosted(box);
            g.setComposite(AlphaComposite.SrcOver);
        }
        g.setColor(withAlpha(m.tint(), m.tintAmount()));
        g.fill(shape);
        if (m.sheen() > 0) {
            Color hi = new Color(m.highlight(), true);
            g.setPaint(new RadialGradientPaint(new Point2D.Float(mx, my), m.sheen(), new float[] {0f, 1f},
                    new Color[] {withAlpha(hi.getRGB(), 0.35f * hi.getAlpha() / 255f), withAlpha(hi.getRGB(), 0f)}));
            g.fill(shape);
        }
        g.setStroke(new BasicStroke(Math.max(m.bevel() * 0.6f, 1f)));
        g.setPaint(diagonal(x, y, w, h, 0, m.shade()));
        g.draw(shape);
        g.setClip(clip);
        g.setStroke(new BasicStroke(1.5f));
        g.setPaint(diagonal(x, y, w, h, m.highlight(), (m.highlight() >>> 1) & 0xFF000000 | m.highlight() & 0xFFFFFF));
        g.draw(round(x + 0.75f, y + 0.75f, w - 1.5f, h - 1.5f, radius - 0.75f));
    }

    // The backdrop under box, blurred at half size and stretched back over the box. The half-size
    // copy gets a margin as wide as the blur kernel, filled by repeating its edge pixels (as the
    // GPU's clamp-to-edge sampling does), so that the blur reaches every pixel that is shown.
    private void drawFrosted(Rectangle box) {
        int pad = (int) Math.ceil(3 * Scene.BLUR);
        Rectangle src = new Rectangle(box.x - pad, box.y - pad, box.width + 2 * pad, box.height + 2 * pad)
                .intersection(new Rectangle(0, 0, width, height));
        int w = (src.width + 1) / 2, h = (src.height + 1) / 2, m = kernelRadius(Scene.BLUR / 2);
        BufferedImage half = new BufferedImage(w + 2 * m, h + 2 * m, BufferedImage.TYPE_INT_RGB);
        Graphics2D g2 = half.createGraphics();
        g2.setRenderingHint(RenderingHints.KEY_INTERPOLATION, RenderingHints.VALUE_INTERPOLATION_BILINEAR);
        g2.drawImage(backdrop, m, m, m + w, m + h, src.x, src.y, src.x + src.width, src.y + src.height, null);
        g2.dispose();
        clampEdges(((DataBufferInt) half.getRaster().getDataBuffer()).getData(), w + 2 * m, h + 2 * m, m);
        BufferedImage blurred = blur(half, Scene.BLUR / 2);
        g.drawImage(blurred, src.x, src.y, src.x + src.width, src.y + src.height, m, m, m + w, m + h, null);
    }

    // Fills the margin m around the inner rectangle of an image with its nearest edge pixels.
    private static void clampEdges(int[] px, int stride, int rows, int m) {
        int right = stride - m - 1, bottom = rows - m - 1;
        for (int y = m; y <= bottom; y++) {
            int row = y * stride;
            Arrays.fill(px, row, row + m, px[row + m]);
            Arrays.fill(px, row + right + 1, row + stride, px[row + right]);
        }
        for (int y = 0; y < m; y++) System.arraycopy(px, m * stride, px, y * stride, stride);
        for (int y = bottom + 1; y < rows; y++) System.arraycopy(px, bottom * stride, px, y * stride, stride);
    }

    @Override
    public void refreshBackdrop() {
        System.arraycopy(pixels, 0, backdropPixels, 0, pixels.length);
    }

    @Override
    public void pushClip(float x, float y, float w, float h, float radius) {
        clips.push(g.getClip() != null ? g.getClip() : new Rectangle(0, 0, width, height));
        g.clip(round(x, y, w, h, radius));
    }

    @Override
    public void popClip() {
        g.setClip(clips.pop());
    }

    @Override
    public void text(String text, float x, float baseline, Type type, int argb) {
        draws++;
        g.setFont(type.font);
        g.setColor(new Color(argb, true));
        g.drawString(text, Math.round(x), Math.round(baseline));
    }

    /** A separable Gaussian blur of sigma pixels; a border as wide as the kernel radius is left as it is. */
    static BufferedImage blur(BufferedImage source, float sigma) {
        int radius = kernelRadius(sigma);
        float[] weights = new float[2 * radius + 1];
        float total = 0;
        for (int i = -radius; i <= radius; i++) {
            weights[i + radius] = (float) Math.exp(-0.5 * i * i / (sigma * sigma));
            total += weights[i + radius];
        }
        for (int i = 0; i < weights.length; i++) weights[i] /= total;
        BufferedImage across = new ConvolveOp(new Kernel(weights.length, 1, weights), ConvolveOp.EDGE_NO_OP, null)
                .filter(source, null);
        return new ConvolveOp(new Kernel(1, weights.length, weights), ConvolveOp.EDGE_NO_OP, null)
                .filter(across, null);
    }

    private static int kernelRadius(float sigma) {
        return (int) Math.ceil(3 * sigma);
    }

    private static RoundRectangle2D round(float x, float y, float w, float h, float radius) {
        float r = Math.max(0, Math.min(radius, Math.min(w, h) / 2));
        return new RoundRectangle2D.Float(x, y, w, h, 2 * r, 2 * r);
    }

    // From the top-left corner (colour a) to the bottom-right one (colour b).
    private static LinearGradientPaint diagonal(float x, float y, float w, float h, int a, int b) {
        Rectangle2D r = new Rectangle2D.Float(x, y, w, h);
        return new LinearGradientPaint(new Point2D.Double(r.getMinX(), r.getMinY()),
                new Point2D.Double(r.getMaxX(), r.getMaxY()), new float[] {0f, 1f},
                new Color[] {new Color(a, true), new Color(b, true)}, MultipleGradientPaint.CycleMethod.NO_CYCLE);
    }

    private static Color withAlpha(int rgb, float alpha) {
        int a = Math.round(255 * Math.min(Math.max(alpha, 0), 1));
        return new Color(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF, a);
    }

    private static int scale(int rgb, float f) {
        return Math.round((rgb >> 16 & 0xFF) * f) << 16 | Math.round((rgb >> 8 & 0xFF) * f) << 8
                | Math.round((rgb & 0xFF) * f);
    }
}
