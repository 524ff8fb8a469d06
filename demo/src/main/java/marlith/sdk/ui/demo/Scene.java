package marlith.sdk.ui.demo;

/**
 * The demo's picture: a dashboard of frosted glass panels over drifting coloured orbs and the
 * animated background, with text, fills, strokes, shadows, nested rounded clips, a scrolling list
 * and a glass lens with a thick bevel that floats over the panels and bends them. It draws through a {@link
 * Painter}, so the GPU renderer ({@link GpuPainter}) and plain Java2D ({@link Java2DPainter}) paint
 * the same frame, in the demo and in benchmarks alike.
 */
public final class Scene {
    static final int BASE = 0x0D1233;
    static final int ACCENT = 0x6A4DFF;
    /** Blur strength under frosted glass, in pixels (Gaussian sigma). */
    public static final float BLUR = 20f;

    static final float MARGIN = 24, GAP = 20, SIDEBAR = 232, HEADER = 72, STATS = 128, ROW = 58;

    private static final int TEXT = 0xFFF4F6FF, MUTED = 0xB0DDE3FF, FAINT = 0x80DDE3FF;
    private static final int VIOLET = 0xFF8C7BFF, TEAL = 0xFF2FE0C5, AMBER = 0xFFFFC04A, CORAL = 0xFFFF6B5E;

    static final Material PANEL = new Material(0xFFFFFF, 0.07f, 1f, 14f, 16f, 0.25f, 0.35f, 0xA8FFFFFF,
            0x50000000, 260f);
    static final Material CARD = new Material(0xD8E2FF, 0.09f, 1f, 12f, 14f, 0.25f, 0.3f, 0x99FFFFFF,
            0x48000000, 220f);
    static final Material LENS = new Material(0xFFFFFF, 0.04f, 0.6f, 40f, 30f, 0.2f, 0.25f, 0xD0FFFFFF,
            0x60000000, 140f);

    private static final String[] NAV = {"Overview", "Materials", "Refraction", "Typography", "Motion", "Settings"};
    private static final int[] NAV_COLOURS = {VIOLET, TEAL, AMBER, CORAL, 0xFF5BB6FF, 0xFFB9C0D8};
    private static final String[][] EVENTS = {
        {"Backdrop captured", "scene texture, full size", "B", "step 1"},
        {"Frost blurred", "two passes at half size", "F", "step 2"},
        {"Panels refracted", "bevel bends the rim", "R", "step 3"},
        {"Glyphs drawn", "atlas of six type sizes", "A", "step 4"},
        {"Clips pushed", "nested and rounded", "C", "step 5"},
        {"Shadows composited", "Gaussian, knocked out", "S", "step 6"},
        {"Frame presented", "glXSwapBuffers", "P", "step 7"},
    };

    /** Figures about the renderer the scene shows; the demo updates them between frames. */
    public static final class Hud {
        public String renderer = "";
        public String api = "";
        public double fps;
        public double frameMillis;
        public int records;
        public long frame;
    }

    /** A rectangle in UI units. */
    record Box(float x, float y, float w, float h) {}

    /**
     * Where the pointer is taken to be while the mouse is not over the window: a slow figure of
     * eight over the panels, so that the sheen moves in recordings and screenshots too.
     */
    public static float idlePointerX(float time, float width) {
        return width * (0.5f + 0.3f * (float) Math.sin(time * 0.5f));
    }

    public static float idlePointerY(float time, float height) {
        return height * (0.45f + 0.25f * (float) Math.sin(time));
    }

    /** Where the sidebar panel lies in a window of this size. */
    static Box sidebar(float width, float height) {
        return new Box(MARGIN, MARGIN, SIDEBAR, height - 2 * MARGIN);
    }

    private Painter p;
    private Hud hud;
    private float width, height, time;
    // Glass panels of the frame being painted, and of the one before (which the stats show).
    private int panes, lastPanes;

    /** Paints the frame at time t (seconds) of a w × h window through the painter. */
    public void paint(Painter painter, float w, float h, float t, Hud figures) {
        p = painter;
        hud = figures;
        width = w;
        height = h;
        time = t;
        p.background(t, BASE, ACCENT);
        orbs();
        // The panels show the orbs; the lens, after the second refresh, shows the panels.
        p.refreshBackdrop();

        float x0 = MARGIN + SIDEBAR + GAP, cw = width - x0 - MARGIN;
        float statsY = MARGIN + HEADER + GAP, lowerY = statsY + STATS + GAP, lowerH = height - lowerY - MARGIN;
        float chartW = (float) Math.floor(cw * 0.58f), listX = x0 + chartW + GAP, listW = cw - chartW - GAP;
        float cardW = (cw - 2 * GAP) / 3;

        Box side = sidebar(w, h);
        glass(side.x, side.y, side.w, side.h, 28, PANEL);
        glass(x0, MARGIN, cw, HEADER, 22, PANEL);
        for (int i = 0; i < 3; i++) glass(x0 + i * (cardW + GAP), statsY, cardW, STATS, 22, CARD);
        glass(x0, lowerY, chartW, lowerH, 24, CARD);
        glass(listX, lowerY, listW, lowerH, 24, CARD);

        sidebarContent(side);
        header(x0, MARGIN, cw);
        String millis = hud.fps <= 0 ? "—" : String.format(hud.frameMillis < 100 ? "%.1f" : "%.0f", hud.frameMillis);
        stat(x0, statsY, cardW, "FRAME TIME", millis, "ms", "averaged over half a second", VIOLET, 0);
        stat(x0 + cardW + GAP, statsY, cardW, "GLASS PANELS", Integer.toString(lastPanes), "",
                "frosted, refracting, lit", TEAL, 1);
        stat(x0 + 2 * (cardW + GAP), statsY, cardW, "DRAWS / FRAME", Integer.toString(hud.records), "",
                "shapes, glass and glyphs", AMBER, 2);
        chart(x0, lowerY, chartW, lowerH);
        activity(listX, lowerY, listW, lowerH);

        p.refreshBackdrop();
        lens(x0, cw, lowerY);
        lastPanes = panes;
        panes = 0;
    }

    private void glass(float x, float y, float w, float h, float radius, Material material) {
        p.glass(x, y, w, h, radius, material);
        panes++;
    }

    // Vivid discs behind the glass, drifting slowly.
    private void orbs() {
        orb(MARGIN + 180 + 46 * sin(0.31f, 0), 0.62f * height + 80 * sin(0.23f, 1), 130, 0xFFFF4FA3);
        orb(0.42f * width + 120 * sin(0.19f, 2), 0.30f * height + 50 * sin(0.27f, 3), 150, CORAL);
        orb(0.78f * width + 70 * sin(0.25f, 4), 0.24f * height + 60 * sin(0.17f, 5), 115, AMBER);
        orb(0.62f * width + 140 * sin(0.15f, 6), 0.80f * height + 40 * sin(0.29f, 7), 165, TEAL);
        orb(0.90f * width + 40 * sin(0.21f, 8), 0.78f * height + 70 * sin(0.33f, 9), 95, 0xFF5BB6FF);
    }

    private void orb(float cx, float cy, float r, int argb) {
        p.fill(cx - r, cy - r, 2 * r, 2 * r, r, argb);
    }

    private void sidebarContent(Box b) {
        float x = b.x + 20, y = b.y + 22;
        logo(x, y, 40);
        p.text("ombrel", x + 54, y + 20, Type.TITLE, TEXT);
        p.text("glass renderer", x + 54, y + 37, Type.CAPTION, FAINT);

        float itemY = b.y + 98;
        for (int i = 0; i < NAV.length; i++) {
            float iy = itemY + i * 44;
            if (i == 0) {
                p.fill(b.x + 12, iy, b.w - 24, 38, 12, 0x26FFFFFF);
                p.stroke(b.x + 12, iy, b.w - 24, 38, 12, 1, 0x2EFFFFFF);
                p.fill(b.x + 12, iy + 11, 3, 16, 1.5f, VIOLET);
            }
            p.fill(b.x + 30, iy + 12, 14, 14, 4, NAV_COLOURS[i]);
            p.text(NAV[i], b.x + 58, iy + 24, i == 0 ? Type.LABEL : Type.BODY, i == 0 ? TEXT : MUTED);
        }

        float cardH = 92, cy = b.y + b.h - cardH - 14;
        p.fill(b.x + 12, cy, b.w - 24, cardH, 16, 0x1AFFFFFF);
        p.stroke(b.x + 12, cy, b.w - 24, cardH, 16, 1, 0x24FFFFFF);
        p.text("RENDERER", b.x + 28, cy + 26, Type.CAPTION, FAINT);
        p.text(shorten(hud.renderer, Type.BODY, b.w - 56), b.x + 28, cy + 48, Type.BODY, TEXT);
        p.fill(b.x + 28, cy + 62, b.w - 56, 6, 3, 0x22FFFFFF);
        float load = 0.55f + 0.3f * sin(0.5f, 0);
        p.fill(b.x + 28, cy + 62, (b.w - 56) * load, 6, 3, TEAL);
    }

    // A gem of two colours inside a circular clip, with a ring.
    private void logo(float x, float y, float size) {
        p.pushClip(x, y, size, size, size / 2);
        p.fill(x, y, size, size, 0, VIOLET);
        float s = 0.9f * size;
        p.fill(x + 0.35f * size + 4 * sin(0.7f, 0), y + 0.3f * size, s, s, s / 2, 0xFFFF5FA8);
        p.fill(x - 0.2f * size, y - 0.45f * size, 0.8f * size, 0.8f * size, 0.4f * size, 0x55FFFFFF);
        p.popClip();
        p.stroke(x, y, size, size, size / 2, 1.5f, 0x66FFFFFF);
    }

    private void header(float x, float y, float w) {
        p.text("Overview", x + 26, y + 45, Type.HEADLINE, TEXT);
        String info = String.format("frame %d  ·  %d × %d", hud.frame, (int) width, (int) height);
        p.text(info, x + 26 + Type.HEADLINE.width("Overview") + 18, y + 44, Type.BODY, FAINT);

        String fps = hud.fps > 0 ? String.format("%.1f fps", hud.fps) : "— fps";
        float pillW = Type.LABEL.width(fps) + 46, pillX = x + w - pillW - 20, pillY = y + 20;
        p.fill(pillX, pillY, pillW, 32, 16, 0x24FFFFFF);
        p.stroke(pillX, pillY, pillW, 32, 16, 1, 0x33FFFFFF);
        float pulse = 0.5f + 0.5f * sin(3f, 0);
        p.shadow(pillX + 14, pillY + 12, 8, 8, 4, 6 + 4 * pulse, 0, false, 0xA02FE0C5);
        p.fill(pillX + 14, pillY + 12, 8, 8, 4, 0xFF3DF0B0);
        p.text(fps, pillX + 32, pillY + 21, Type.LABEL, TEXT);

        float tagW = Type.LABEL.width(hud.api) + 28, tagX = pillX - tagW - 12;
        p.stroke(tagX, pillY, tagW, 32, 16, 1, 0x40FFFFFF);
        p.text(hud.api, tagX + 14, pillY + 21, Type.LABEL, MUTED);
    }

    private void stat(float x, float y, float w, String label, String value, String unit, String note, int colour,
            int seed) {
        p.text(label, x + 22, y + 32, Type.CAPTION, FAINT);
        p.text(value, x + 22, y + 78, Type.DISPLAY, TEXT);
        p.text(unit, x + 28 + Type.DISPLAY.width(value), y + 78, Type.TITLE, MUTED);
        p.text(note, x + 22, y + 104, Type.CAPTION, MUTED);

        // A sparkline of bars, clipped to a rounded well.
        float wellW = 96, wellH = 58, wx = x + w - wellW - 20, wy = y + 36;
        p.pushClip(wx, wy, wellW, wellH, 12);
        p.fill(wx, wy, wellW, wellH, 0, 0x14FFFFFF);
        for (int i = 0; i < 8; i++) {
            float v = 0.5f + 0.4f * (float) Math.sin(time * 1.3f + i * 0.8f + seed * 2.1f);
            float bh = 8 + v * (wellH - 14);
            p.fill(wx + 6 + i * 11.25f, wy + wellH - bh, 7, bh + 8, 3.5f, colour);
        }
        p.popClip();
    }

    private void chart(float x, float y, float w, float h) {
        p.text("Waves", x + 24, y + 38, Type.TITLE, TEXT);
        p.text("animated bars in a rounded clip", x + 24, y + 58, Type.CAPTION, FAINT);
        legend(x + w - 190, y + 34, VIOLET, "swell");
        legend(x + w - 110, y + 34, TEAL, "ripple");

        float ax = x + 24, ay = y + 80, aw = w - 48, ah = h - 104;
        p.pushClip(ax, ay, aw, ah, 16);
        p.fill(ax, ay, aw, ah, 0, 0x12FFFFFF);
        for (int i = 1; i < 4; i++) p.fill(ax, ay + i * ah / 4, aw, 1, 0, 0x18FFFFFF);
        int bars = 22;
        float slot = aw / bars, bw = slot * 0.36f;
        for (int i = 0; i < bars; i++) {
            float phase = time * 0.9f + i * 0.45f;
            float swell = 0.55f + 0.25f * (float) Math.sin(phase) + 0.1f * (float) Math.sin(phase * 2.3f);
            float ripple = 0.18f + 0.08f * (float) Math.sin(phase * 0.7f + 1);
            float bx = ax + i * slot + slot * 0.5f - bw;
            bar(bx, ay + ah, bw, swell * ah, VIOLET);
            bar(bx + bw + 2, ay + ah, bw, ripple * ah, TEAL);
        }
        p.popClip();
    }

    // A bar standing on the bottom of the chart; its lower corners reach below the clip.
    private void bar(float x, float bottom, float w, float h, int argb) {
        p.fill(x, bottom - h, w, h + w, w / 2, argb);
        p.fill(x, bottom - h, w, w, w / 2, 0x55FFFFFF);
    }

    private void legend(float x, float baseline, int colour, String name) {
        p.fill(x, baseline - 9, 10, 10, 5, colour);
        p.text(name, x + 16, baseline, Type.CAPTION, MUTED);
    }

    private void activity(float x, float y, float w, float h) {
        p.text("Activity", x + 24, y + 38, Type.TITLE, TEXT);
        p.text("what each frame does", x + 24, y + 58, Type.CAPTION, FAINT);

        float vx = x + 14, vy = y + 74, vw = w - 28, vh = h - 88;
        p.pushClip(vx, vy, vw, vh, 18);
        float scroll = (time * 24) % (EVENTS.length * ROW);
        int first = (int) (scroll / ROW);
        for (int k = 0; k * ROW < vh + ROW; k++) {
            int i = (first + k) % EVENTS.length;
            float ry = vy + (first + k) * ROW - scroll;
            row(vx, ry, vw, EVENTS[i], NAV_COLOURS[i % NAV_COLOURS.length]);
        }
        p.popClip();
    }

    private void row(float x, float y, float w, String[] event, int colour) {
        p.fill(x, y + 4, w, ROW - 8, 14, 0x14FFFFFF);
        float ax = x + 12, ay = y + 12, size = 34;
        p.shadow(ax, ay, size, size, size / 2, 10, 3, false, 0x80000010);
        p.pushClip(ax, ay, size, size, size / 2);
        p.fill(ax, ay, size, size, 0, colour);
        p.fill(ax, ay + size / 2, size, size / 2, 0, 0x33000000);
        p.text(event[2], ax + (size - Type.LABEL.width(event[2])) / 2, ay + 22, Type.LABEL, 0xFF10132A);
        p.popClip();
        p.text(event[0], x + 58, y + 27, Type.LABEL, TEXT);
        p.text(event[1], x + 58, y + 44, Type.CAPTION, FAINT);
        p.text(event[3], x + w - 14 - Type.CAPTION.width(event[3]), y + 27, Type.CAPTION, MUTED);
    }

    // A lens drifting over the cards; its thick bevel bends them, its face frosts them.
    private void lens(float x0, float cw, float lowerY) {
        float r = 74;
        float cx = x0 + cw * (0.5f + 0.36f * sin(0.23f, 0));
        float cy = lowerY - 10 + 70 * sin(0.37f, 1);
        p.shadow(cx - r, cy - r, 2 * r, 2 * r, r, 30, 18, true, 0x55000010);
        glass(cx - r, cy - r, 2 * r, 2 * r, r, LENS);
    }

    private String shorten(String text, Type type, float max) {
        if (type.width(text) <= max) return text;
        int n = text.length();
        while (n > 0 && type.width(text.substring(0, n) + "…") > max) n--;
        return text.substring(0, n) + "…";
    }

    // A slow oscillation of the animation time with its own phase.
    private float sin(float speed, int phase) {
        return (float) Math.sin(time * speed + phase * 1.7f);
    }
}
