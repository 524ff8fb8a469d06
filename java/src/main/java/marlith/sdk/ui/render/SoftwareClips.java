package marlith.sdk.ui.render;

import java.util.Arrays;

/**
 * The open clips of a submit and their combined coverage. Every drawn pixel is multiplied by the
 * anti-aliased coverage of each open clip, edgeCoverage(distance - spread, aa + feather) as the
 * shaders compute it; the product of the open clips is kept as a mask over the pixels where it is
 * above 0, worked out the first time a record is drawn at that depth.
 */
final class SoftwareClips {
    private final SoftwareBox[] boxes = new SoftwareBox[CommandBuffer.MAX_CLIP_DEPTH];
    private final float[] spread = new float[CommandBuffer.MAX_CLIP_DEPTH];
    private final float[] feather = new float[CommandBuffer.MAX_CLIP_DEPTH];
    // Mask of depth d + 1 (clips 0 to d): its box in target pixels [x0, x1) x [y0, y1) and values.
    private final int[][] maskBox = new int[CommandBuffer.MAX_CLIP_DEPTH][4];
    private final float[][] masks = new float[CommandBuffer.MAX_CLIP_DEPTH][];
    private final boolean[] ready = new boolean[CommandBuffer.MAX_CLIP_DEPTH];
    private int depth;

    SoftwareClips() {
        for (int i = 0; i < boxes.length; i++) boxes[i] = new SoftwareBox();
    }

    void clear() {
        depth = 0;
    }

    int depth() {
        return depth;
    }

    void push(float[] r) {
        boxes[depth].set(r);
        spread[depth] = r[CommandBuffer.SLOT_SPREAD];
        feather[depth] = r[CommandBuffer.SLOT_FEATHER];
        ready[depth] = false;
        depth++;
    }

    void pop() {
        depth--;
    }

    /** The box [x0, x1) x [y0, y1) in target pixels outside which the open clips hide everything. */
    int[] box(SoftwareTarget t) {
        return prepare(t, depth - 1);
    }

    /** The open clips' coverage per pixel of {@link #box}, rows of its width. */
    float[] mask(SoftwareTarget t) {
        prepare(t, depth - 1);
        return masks[depth - 1];
    }

    private int[] prepare(SoftwareTarget t, int d) {
        int[] b = maskBox[d];
        if (ready[d]) return b;
        SoftwareBox clip = boxes[d];
        float w = t.aa + Math.max(feather[d], 0f), s = spread[d];
        // Coverage is 0 beyond half a ramp past the grown edge.
        float reach = Math.max(s, 0f) + 0.5f * w + 1e-3f;
        b[0] = within((int) Math.floor((clip.cx - clip.hx - reach) * t.sx - 0.5f), 0, t.colEnd);
        b[1] = within((int) Math.floor((clip.cy - clip.hy - reach) * t.sy - 0.5f), t.rowStart, t.height);
        b[2] = within((int) Math.ceil((clip.cx + clip.hx + reach) * t.sx + 0.5f), 0, t.colEnd);
        b[3] = within((int) Math.ceil((clip.cy + clip.hy + reach) * t.sy + 0.5f), t.rowStart, t.height);
        int[] parent = d > 0 ? prepare(t, d - 1) : null;
        if (parent != null) {
            b[0] = Math.max(b[0], parent[0]);
            b[1] = Math.max(b[1], parent[1]);
            b[2] = Math.min(b[2], parent[2]);
            b[3] = Math.min(b[3], parent[3]);
        }
        int mw = Math.max(b[2] - b[0], 0), mh = Math.max(b[3] - b[1], 0);
        float[] m = masks[d];
        if (m == null || m.length < mw * mh) m = masks[d] = new float[Math.max(mw * mh, 16)];
        Arrays.fill(m, 0, mw * mh, 0f);
        float[] up = parent != null ? masks[d - 1] : null;
        int upWidth = parent != null ? parent[2] - parent[0] : 0;
        for (int row = b[1]; row < b[3]; row++) {
            float py = (row + 0.5f) / t.sy - clip.cy;
            for (int col = b[0]; col < b[2]; col++) {
                float above = up == null ? 1f : up[(row - parent[1]) * upWidth + col - parent[0]];
                if (above <= 0f) continue;
                float e = clip.distance((col + 0.5f) / t.sx - clip.cx, py) - s;
                m[(row - b[1]) * mw + col - b[0]] = above * edge(e, w);
            }
        }
        ready[d] = true;
        return b;
    }

    private static int within(int v, int low, int high) {
        return Math.min(Math.max(v, low), high);
    }

    /** Coverage 0 to 1 of an edge at distance e for a ramp of width w. */
    static float edge(float e, float w) {
        float c = 0.5f - e / w;
        return c > 0f ? Math.min(c, 1f) : 0f;
    }
}
