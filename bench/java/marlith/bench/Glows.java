package marlith.bench;

import java.awt.Color;

/**
 * The three drifting glows of the animated background (shaders/background.frag, dark palette), in
 * pixels with y down, for the contestants that paint the background themselves.
 */
final class Glows {
    /** The glow colour: the accent at 80 %. */
    static final Color COLOR = new Color(
            Math.round(((Scene.ACCENT >> 16) & 255) * 0.8f),
            Math.round(((Scene.ACCENT >> 8) & 255) * 0.8f),
            Math.round((Scene.ACCENT & 255) * 0.8f));

    private Glows() {}

    /** Centre x, centre y, radius (where the glow has fallen to 1/e) and strength of each glow. */
    static float[][] at(float t, int width, int height) {
        float aspect = (float) width / height;
        float[][] uv = {
            {aspect * (0.25f + 0.10f * sin(t * 0.21f)), 0.78f + 0.10f * cos(t * 0.17f), 0.55f, 1f},
            {aspect * (0.80f + 0.08f * cos(t * 0.13f)), 0.30f + 0.12f * sin(t * 0.19f), 0.50f, 0.8f},
            {aspect * (0.55f + 0.15f * sin(t * 0.11f + 1.7f)), 0.05f + 0.10f * cos(t * 0.23f), 0.45f, 0.6f},
        };
        float[][] out = new float[3][];
        for (int i = 0; i < 3; i++) {
            out[i] = new float[] {uv[i][0] * height, height - uv[i][1] * height, uv[i][2] * height, uv[i][3]};
        }
        return out;
    }

    private static float sin(float a) {
        return (float) Math.sin(a);
    }

    private static float cos(float a) {
        return (float) Math.cos(a);
    }
}
