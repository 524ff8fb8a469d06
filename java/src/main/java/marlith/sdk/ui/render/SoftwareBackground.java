package marlith.sdk.ui.render;

/**
 * The animated background of background.frag and fullscreen.vert, pixel for pixel: gradient,
 * three glows, grid, vignette and noise. A glow exp2(-k |p - c|^2) is the product of one factor
 * per column and one per row, and the grid and vignette are sums of such parts too, so a pixel
 * costs a few multiplications; the per-column and per-row tables are made once per pass.
 */
final class SoftwareBackground {
    private static final float[] GLOW_K = {4.7692398f, 5.7707802f, 7.1244200f};
    private static final float[] GLOW_WEIGHT = {1f, 0.8f, 0.6f};

    private float[] columns = new float[0], rows = new float[0];

    /** Paints the target's pixels; the colours are 0xRRGGBB. */
    void paint(SoftwareTarget t, float time, boolean grid, boolean lightPalette, int background, int accent) {
        int w = t.width, h = t.height;
        float fw = Math.max(w, 1f), fh = Math.max(h, 1f);
        float aspect = fw / fh;
        float[] glows = {
            aspect * (0.25f + 0.10f * sin(time * 0.21f)), 0.78f + 0.10f * cos(time * 0.17f),
            aspect * (0.80f + 0.08f * cos(time * 0.13f)), 0.30f + 0.12f * sin(time * 0.19f),
            aspect * (0.55f + 0.15f * sin(time * 0.11f + 1.7f)), 0.05f + 0.10f * cos(time * 0.23f),
        };
        float scale = Math.max(1f, (float) Math.floor(fh / 1080f + 0.5f));
        float light = lightPalette ? 1f : 0f;
        float[] base = rgb(background), glowAccent = rgb(accent);
        float[] top = new float[3], bottom = new float[3], glowColor = new float[3];
        for (int c = 0; c < 3; c++) {
            top[c] = mix(base[c], mix(base[c], 1f, 0.85f), light);
            bottom[c] = mix(base[c] * 0.55f, mix(base[c], 1f, 0.68f), light);
            glowColor[c] = mix(glowAccent[c] * 0.8f, mix(glowAccent[c], 1f, 0.45f), light);
        }
        float glowMix = mix(0.55f, 0.45f, light), vignette = 0.35f * (1f - light), lineShade = 1f - light;
        float gridOn = grid ? 1f : 0f;

        // Per column: three glow factors, minor and major grid lines, the vignette's x part.
        int cw = t.colEnd;
        if (columns.length < 6 * cw) columns = new float[6 * cw];
        for (int x = 0; x < cw; x++) {
            float px = x + 0.5f, ux = px / fw, p = ux * aspect;
            for (int g = 0; g < 3; g++) {
                float d = p - glows[2 * g];
                columns[6 * x + g] = (float) Math.pow(2.0, -GLOW_K[g] * d * d);
            }
            columns[6 * x + 3] = lines(px, 32f * scale);
            columns[6 * x + 4] = lines(px, 128f * scale);
            columns[6 * x + 5] = (ux - 0.5f) * (ux - 0.5f);
        }
        if (rows.length < 6 * h) rows = new float[6 * h];
        for (int y = t.rowStart; y < h; y++) {
            float py = h - y - 0.5f, uy = py / fh;
            for (int g = 0; g < 3; g++) {
                float d = uy - glows[2 * g + 1];
                rows[6 * y + g] = GLOW_WEIGHT[g] * (float) Math.pow(2.0, -GLOW_K[g] * d * d);
            }
            rows[6 * y + 3] = lines(py, 32f * scale);
            rows[6 * y + 4] = lines(py, 128f * scale);
            rows[6 * y + 5] = (uy - 0.5f) * (uy - 0.5f);
        }
        float[] col = columns, row = rows;
        int[] out = t.pixels;
        for (int y = t.rowStart; y < h; y++) {
            float uy = (h - y - 0.5f) / fh;
            float r0 = mix(bottom[0], top[0], uy), g0 = mix(bottom[1], top[1], uy), b0 = mix(bottom[2], top[2], uy);
            float gy0 = row[6 * y], gy1 = row[6 * y + 1], gy2 = row[6 * y + 2];
            float minorY = row[6 * y + 3], majorY = row[6 * y + 4], vy = row[6 * y + 5];
            float noiseY = (h - y - 0.5f) * 0.00583715f;
            int at = t.index(0, y);
            for (int x = 0; x < cw; x++) {
                int c = 6 * x;
                float f = col[c] * gy0 + col[c + 1] * gy1 + col[c + 2] * gy2;
                float glow = Math.min(f, 1f) * glowMix;
                float r = r0 + (glowColor[0] - r0) * glow, g = g0 + (glowColor[1] - g0) * glow;
                float b = b0 + (glowColor[2] - b0) * glow;
                float r2 = col[c + 5] + vy;
                float amount = Math.max(Math.max(col[c + 3], minorY) * 0.05f, Math.max(col[c + 4], majorY) * 0.10f)
                        * (1f - 1.2f * r2) * gridOn;
                float keep = (1f - vignette * r2);
                r = (r + (lineShade - r) * amount) * keep;
                g = (g + (lineShade - g) * amount) * keep;
                b = (b + (lineShade - b) * amount) * keep;
                float n = (x + 0.5f) * 0.06711056f + noiseY;
                n = 52.9829189f * (n - (int) n);
                n = (n - (int) n - 0.5f) / 255f;
                out[at + x] = SoftwareTarget.channel(r + n) << 16 | SoftwareTarget.channel(g + n) << 8
                        | SoftwareTarget.channel(b + n);
            }
        }
    }

    // Coverage of one-pixel grid lines every `cell` pixels along one axis.
    private static float lines(float p, float cell) {
        float f = p / cell + 0.5f;
        float g = Math.abs(f - (float) Math.floor(f) - 0.5f) * cell;
        return Math.min(Math.max(1f - g, 0f), 1f);
    }

    private static float[] rgb(int color) {
        return new float[] {((color >> 16) & 255) / 255f, ((color >> 8) & 255) / 255f, (color & 255) / 255f};
    }

    private static float mix(float a, float b, float t) {
        return a + (b - a) * t;
    }

    private static float sin(float a) {
        return (float) Math.sin(a);
    }

    private static float cos(float a) {
        return (float) Math.cos(a);
    }
}
