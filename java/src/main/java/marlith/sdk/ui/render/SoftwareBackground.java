package marlith.sdk.ui.render;

/**
 * The animated background of background.frag and fullscreen.vert, pixel for pixel: gradient,
 * three glows, grid, vignette and noise. A glow exp2(-k |p - c|^2) is the product of one factor
 * per column and one per row, and the grid and vignette are made of such parts too, so a pixel
 * costs a few multiplications; the per-column table is made once per pass.
 */
final class SoftwareBackground {
    private static final float[] GLOW_K = {4.7692398f, 5.7707802f, 7.1244200f};
    private static final float[] GLOW_WEIGHT = {1f, 0.8f, 0.6f};

    private float[] columns = new float[0];

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

        // Per column: three glow factors, the vignette's x part, minor and major grid lines.
        int cw = t.colEnd;
        if (columns.length < 6 * cw) columns = new float[6 * cw];
        float[] col = columns;
        for (int x = 0; x < cw; x++) {
            float px = x + 0.5f, ux = px / fw, p = ux * aspect;
            for (int g = 0; g < 3; g++) {
                float d = p - glows[2 * g];
                col[g * cw + x] = (float) Math.pow(2.0, -GLOW_K[g] * d * d);
            }
            col[3 * cw + x] = (ux - 0.5f) * (ux - 0.5f);
            col[4 * cw + x] = lines(px, 32f * scale);
            col[5 * cw + x] = lines(px, 128f * scale);
        }
        int[] out = t.pixels;
        for (int y = t.rowStart; y < h; y++) {
            float py = h - y - 0.5f, uy = py / fh;
            float gy0 = weightedGlow(0, uy, glows), gy1 = weightedGlow(1, uy, glows), gy2 = weightedGlow(2, uy, glows);
            float vy = (uy - 0.5f) * (uy - 0.5f);
            float r0 = mix(bottom[0], top[0], uy), g0 = mix(bottom[1], top[1], uy), b0 = mix(bottom[2], top[2], uy);
            float minorY = lines(py, 32f * scale), majorY = lines(py, 128f * scale);
            // The noise, -0.5 to 0.5 of a step, plus the half step that rounds: 0 to 1, in steps.
            float noise = 0.5f * 0.06711056f + py * 0.00583715f;
            int at = t.index(0, y);
            for (int x = 0; x < cw; x++) {
                float f = col[x] * gy0 + col[cw + x] * gy1 + col[2 * cw + x] * gy2;
                float glow = (f < 1f ? f : 1f) * glowMix;
                float r = r0 + (glowColor[0] - r0) * glow, g = g0 + (glowColor[1] - g0) * glow;
                float b = b0 + (glowColor[2] - b0) * glow;
                float r2 = col[3 * cw + x] + vy;
                if (grid) {
                    float amount = Math.max(Math.max(col[4 * cw + x], minorY) * 0.05f,
                            Math.max(col[5 * cw + x], majorY) * 0.10f) * (1f - 1.2f * r2);
                    r += (lineShade - r) * amount;
                    g += (lineShade - g) * amount;
                    b += (lineShade - b) * amount;
                }
                float keep = 255f * (1f - vignette * r2);
                float n = noise + x * 0.06711056f;
                n = 52.9829189f * (n - (int) n);
                n -= (int) n;
                // Every term stays within 0 to 1, so the sum needs no clamping.
                out[at + x] = (int) (r * keep + n) << 16 | (int) (g * keep + n) << 8 | (int) (b * keep + n);
            }
        }
    }

    // Glow g's row factor at height uy, times its strength.
    private static float weightedGlow(int g, float uy, float[] glows) {
        float d = uy - glows[2 * g + 1];
        return GLOW_WEIGHT[g] * (float) Math.pow(2.0, -GLOW_K[g] * d * d);
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
