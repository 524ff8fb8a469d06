package marlith.sdk.ui.render;

/**
 * A rounded box as the shaders measure it: centre, half size and, per corner (top-left,
 * top-right, bottom-right, bottom-left), the radius and superellipse exponent of the corner curve.
 * {@link #distance} is the shaders' signed distance, so that the software path's edges fall where
 * the GPU's do; {@link #distanceAndNormal} also gives the outward normal that bends glass.
 */
final class SoftwareBox {
    float cx, cy, hx, hy;
    final float[] radius = new float[4], exponent = new float[4];
    /** Outward normal at the point last measured by {@link #distanceAndNormal}. */
    float nx, ny;

    /**
     * The box of a record's or clip's rectangle with its own corners: slots 1 to 4, radii from slot
     * 28 and smoothing from slot 32, the radii widened for the smoothing and limited to the box.
     */
    SoftwareBox set(float[] r) {
        cx = r[1] + 0.5f * r[3];
        cy = r[2] + 0.5f * r[4];
        hx = 0.5f * r[3];
        hy = 0.5f * r[4];
        float limit = Math.max(Math.min(hx, hy), 0f);
        for (int c = 0; c < 4; c++) {
            float n = 2f + 2f * clamp01(r[CommandBuffer.SLOT_CORNER_SMOOTHING + c]);
            exponent[c] = n;
            radius[c] = Math.min(widened(r[CommandBuffer.SLOT_CORNER_RADII + c], n), limit);
        }
        return this;
    }

    // A smoothed corner keeps its point on the diagonal where the circular arc puts it.
    static float widened(float rad, float n) {
        return (float) (Math.max(rad, 0f) * 0.2928932 / (1.0 - Math.pow(2.0, -1.0 / n)));
    }

    /** Which corner's values serve the point (px, py) relative to the centre, y down. */
    static int corner(float px, float py) {
        return px >= 0f ? (py >= 0f ? 2 : 1) : (py >= 0f ? 3 : 0);
    }

    /** Signed distance in UI units (negative inside) of the point (px, py) relative to the centre. */
    float distance(float px, float py) {
        int c = corner(px, py);
        float re = radius[c], n = exponent[c];
        float qx = Math.abs(px) - hx + re, qy = Math.abs(py) - hy + re;
        if (qx <= 0f || qy <= 0f) return Math.max(qx, qy) - re;
        if (n == 2f) return (float) Math.sqrt(qx * qx + qy * qy) - re;
        float m = Math.max(qx, qy);
        double r = Math.max(Math.min(qx, qy) / m, 1e-20f);
        double t = Math.pow(r, n), s = Math.pow(1 + t, 1.0 / n), g = t / r;
        return (float) ((m * s - re) * (1 + t) / (s * Math.sqrt(1 + g * g)));
    }

    /** {@link #distance}, leaving the outward normal there in {@link #nx}, {@link #ny}. */
    float distanceAndNormal(float px, float py) {
        int c = corner(px, py);
        float re = radius[c], n = exponent[c];
        float qx = Math.abs(px) - hx + re, qy = Math.abs(py) - hy + re;
        float sx = px >= 0f ? 1f : -1f, sy = py >= 0f ? 1f : -1f;
        if (qx <= 0f || qy <= 0f) {
            // Off the corner curve the normal is the nearer side's (the larger offset's).
            boolean xLarger = qx > qy;
            nx = xLarger ? sx : 0f;
            ny = xLarger ? 0f : sy;
            return Math.max(qx, qy) - re;
        }
        float m = Math.max(qx, qy);
        double r = Math.max(Math.min(qx, qy) / m, 1e-20f);
        double t = n == 2f ? r * r : Math.pow(r, n), s = n == 2f ? Math.sqrt(1 + t) : Math.pow(1 + t, 1.0 / n);
        double g = t / r, gl = Math.sqrt(1 + g * g);
        boolean xLarger = qx > qy;
        nx = (float) (sx * (xLarger ? 1 : g) / gl);
        ny = (float) (sy * (xLarger ? g : 1) / gl);
        return (float) ((m * s - re) * (1 + t) / (s * gl));
    }

    /**
     * Columns of the pixels on a row (UI y {@code uy}) whose distance is at most {@code -margin}:
     * the first and one past the last, in {@code span}; an empty span when the row has none. Only
     * the straight parts of the sides are taken, so the span is exact or short, never long.
     */
    void inner(float uy, float margin, float sx, int[] span) {
        float py = uy - cy;
        span[0] = 0;
        span[1] = 0;
        if (!(Math.abs(py) <= hy - margin)) return;
        int left = py >= 0f ? 3 : 0, right = py >= 0f ? 2 : 1;
        float x0 = cx - (hx - sideInset(radius[left], py, margin)), x1 = cx + (hx - sideInset(radius[right], py, margin));
        span[0] = (int) Math.ceil(x0 * sx - 0.5f);
        span[1] = (int) Math.floor(x1 * sx - 0.5f) + 1;
    }

    // How far in from the side the span ends: beside the corner curve's height only the margin,
    // level with the curve as far as the curve starts.
    private float sideInset(float re, float py, float margin) {
        return Math.abs(py) <= hy - re ? margin : Math.max(re, margin);
    }

    static float clamp01(float v) {
        return v > 0f ? Math.min(v, 1f) : 0f;
    }
}
