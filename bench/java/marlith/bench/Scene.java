package marlith.bench;

import java.util.ArrayList;
import java.util.List;

/**
 * The benchmark scene, the same in every contestant: an animated background, N translucent rounded
 * rectangles drifting on fixed paths, and G frosted glass panels, laid out in a UI of 1280 x 720
 * units and scaled to the target size. bench/floor/scene.cpp is the C++ twin of this class and
 * must produce the same numbers.
 */
final class Scene {
    static final float UI_WIDTH = 1280f, UI_HEIGHT = 720f;
    static final int BACKGROUND = 0x101828, ACCENT = 0x6D5BD0;
    static final float POINTER_X = 640f, POINTER_Y = 360f;
    static final float GLASS_RADIUS = 24f;

    /** A rounded rectangle in UI units with straight-alpha colour 0xAARRGGBB. */
    record Rect(float x, float y, float w, float h, float radius, int argb) {}

    /** Path and colour of one rectangle. */
    record Shape(float x0, float y0, float w, float h, float radius, float phase, float speed, int argb) {}

    private Scene() {}

    /** Uniform numbers in [0, 1) from the top 24 bits of a 32-bit xorshift. */
    static final class Random {
        private int state = 0x2545F491;

        float unit() {
            state ^= state << 13;
            state ^= state >>> 17;
            state ^= state << 5;
            return (state >>> 8) / 16777216f;
        }
    }

    static List<Shape> shapes(int count) {
        Random random = new Random();
        List<Shape> out = new ArrayList<>(count);
        for (int i = 0; i < count; i++) {
            float w = 24f + 136f * random.unit();
            float h = 16f + 94f * random.unit();
            float x0 = random.unit() * (UI_WIDTH - w);
            float y0 = random.unit() * (UI_HEIGHT - h);
            float radius = 4f + 12f * random.unit();
            int r = (int) (random.unit() * 255f + 0.5f);
            int g = (int) (random.unit() * 255f + 0.5f);
            int b = (int) (random.unit() * 255f + 0.5f);
            int a = (int) ((0.25f + 0.35f * random.unit()) * 255f + 0.5f);
            float phase = 6.2831855f * random.unit();
            float speed = 0.5f + random.unit();
            out.add(new Shape(x0, y0, w, h, radius, phase, speed, a << 24 | r << 16 | g << 8 | b));
        }
        return out;
    }

    /** The rectangles at animation time t (seconds). */
    static Rect[] rectsAt(List<Shape> shapes, float t) {
        Rect[] out = new Rect[shapes.size()];
        for (int i = 0; i < out.length; i++) {
            Shape s = shapes.get(i);
            float x = s.x0() + 24f * (float) Math.sin(s.speed() * t + s.phase());
            float y = s.y0() + 16f * (float) Math.cos(0.8f * s.speed() * t + s.phase());
            out[i] = new Rect(x, y, s.w(), s.h(), s.radius(), s.argb());
        }
        return out;
    }

    /** The glass panels: one centred 480 x 300 panel, or a 4 x 2 grid of eight. */
    static Rect[] panels(int count) {
        if (count == 1) return new Rect[] {new Rect(400f, 210f, 480f, 300f, GLASS_RADIUS, -1)};
        if (count != 8) return new Rect[0];
        Rect[] out = new Rect[8];
        for (int i = 0; i < 8; i++) {
            out[i] = new Rect(100f + 280f * (i % 4), 110f + 300f * (i / 4), 240f, 200f, GLASS_RADIUS, -1);
        }
        return out;
    }
}
