package marlith.sdk.ui.demo;

import java.awt.Font;
import java.awt.FontMetrics;
import java.awt.Graphics2D;
import java.awt.RenderingHints;
import java.awt.image.BufferedImage;
import marlith.sdk.ui.render.GlyphAtlas;

/**
 * The text styles of the scene. Both painters draw with these fonts and measure with these
 * metrics: whole-pixel advances (fractional metrics off) and greyscale anti-aliasing, so the glyph
 * atlas and Java2D's own text lay out a string identically.
 */
public enum Type {
    CAPTION(Font.PLAIN, 12),
    BODY(Font.PLAIN, 14),
    LABEL(Font.BOLD, 14),
    TITLE(Font.BOLD, 19),
    HEADLINE(Font.BOLD, 26),
    DISPLAY(Font.BOLD, 38);

    final Font font;
    final FontMetrics metrics;

    Type(int style, int size) {
        font = new Font(Font.SANS_SERIF, style, size);
        Graphics2D g = new BufferedImage(1, 1, BufferedImage.TYPE_INT_ARGB).createGraphics();
        applyHints(g);
        metrics = g.getFontMetrics(font);
        g.dispose();
    }

    /** The text rendering settings both painters use. */
    static void applyHints(Graphics2D g) {
        g.setRenderingHint(RenderingHints.KEY_TEXT_ANTIALIASING, RenderingHints.VALUE_TEXT_ANTIALIAS_ON);
        g.setRenderingHint(RenderingHints.KEY_FRACTIONALMETRICS, RenderingHints.VALUE_FRACTIONALMETRICS_OFF);
    }

    /**
     * A glyph atlas of this type with the same hints, for the GPU painter. It prepares no
     * characters: whole lines are what it keeps, and it rasterises a glyph when a line first needs it.
     */
    GlyphAtlas atlas() {
        return new GlyphAtlas(font, RenderingHints.VALUE_TEXT_ANTIALIAS_ON, RenderingHints.VALUE_FRACTIONALMETRICS_OFF,
                "", GlyphAtlas.DEFAULT_PAGE_SIZE);
    }

    int width(String text) {
        return metrics.stringWidth(text);
    }
}
