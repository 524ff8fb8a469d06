package marlith.sdk.ui.render;

/**
 * Fills, strokes, shadows, glyphs and images: what shape.frag and text.frag draw, pixel by pixel
 * over the record's quad and scissor box, with the same distances, ramps and closed forms. The
 * inside of a fill, where coverage is whole, is blended as a run of one colour; only the pixels
 * along the edges are measured one by one.
 */
final class SoftwareShapes {
    private static final float EDGE = CommandBuffer.EDGE;
    private static final float FAR = 1e30f;

    private final SoftwareTarget t;
    private final SoftwareClips clips;
    private final SoftwareBox own = new SoftwareBox(), caster = new SoftwareBox(), fitted = new SoftwareBox();
    private final int[] range = new int[4], span = new int[2];
    private float[] columnTerm = new float[64];

    SoftwareShapes(SoftwareTarget target, SoftwareClips clips) {
        this.t = target;
        this.clips = clips;
    }

    /**
     * The pixels a record may paint: its quad (the rectangle grown by {@code pad} on every side
     * and moved by (dx, dy)), whose pixel centres the GPU rasterises, within the scissor box of
     * slots 18 to 21 and the open clips. Leaves [col0, col1) x [row0, row1) in {@link #range};
     * false when empty.
     */
    boolean range(float[] r, float pad, float dx, float dy) {
        float left = r[18] * t.sx, right = (r[18] + r[20]) * t.sx;
        float top = r[19] * t.sy, bottom = (r[19] + r[21]) * t.sy;
        if (!(left - left == 0f && right - right == 0f && top - top == 0f && bottom - bottom == 0f)) return false;
        float fw = t.width, fh = t.height;
        left = Math.max(left, 0f);
        top = Math.max(top, 0f);
        right = Math.min(right, fw);
        bottom = Math.min(bottom, fh);
        if (left >= right || top >= bottom || !(r[9] > 0f)) return false;
        // glScissor's box: left and bottom truncated, right and top widened to whole pixels.
        int col0 = (int) left, col1 = (int) (right + 0.999f);
        int row0 = t.height - (int) (fh - top + 0.999f), row1 = t.height - (int) (fh - bottom);
        float qx = r[1] + dx - pad, qy = r[2] + dy - pad;
        float qw = r[3] + 2f * pad, qh = r[4] + 2f * pad;
        // A pixel whose centre lies on the quad's left or top edge is the quad's, one on its right
        // or bottom edge is not, within the rounding of the scale.
        col0 = Math.max(col0, firstCentre(qx * t.sx));
        col1 = Math.min(col1, firstCentre((qx + qw) * t.sx));
        row0 = Math.max(row0, firstCentre(qy * t.sy));
        row1 = Math.min(row1, firstCentre((qy + qh) * t.sy));
        col0 = Math.max(col0, 0);
        row0 = Math.max(row0, t.rowStart);
        col1 = Math.min(col1, t.colEnd);
        if (clips.depth() > 0) {
            int[] b = clips.box(t);
            col0 = Math.max(col0, b[0]);
            row0 = Math.max(row0, b[1]);
            col1 = Math.min(col1, b[2]);
            row1 = Math.min(row1, b[3]);
        }
        range[0] = col0;
        range[1] = row0;
        range[2] = col1;
        range[3] = row1;
        return col0 < col1 && row0 < row1;
    }

    // The first pixel whose centre lies at or after the position p, in pixels.
    private static int firstCentre(float p) {
        return (int) Math.ceil(p - 0.5f - 1e-4f);
    }

    /** The pixels {@link #range} found: [col0, col1) x [row0, row1). */
    int[] rangeBox() {
        return range;
    }

    /** A fill (kind 1 and every kind without a meaning of its own), stroke (3) or shadow (4). */
    void shape(float[] r, int kind) {
        boolean shadow = kind == CommandBuffer.KIND_SHADOW, stroke = kind == CommandBuffer.KIND_STROKE;
        float feather = r[27], spread = r[44];
        float sw = Math.max(r[10], 0f), outer = sw * SoftwareBox.clamp01(r[11]);
        float blur = Math.max(r[5], 0f);
        float pad = EDGE + Math.max(feather, 0f) + Math.max(spread, 0f) + (stroke ? outer : 0f)
                + (shadow ? CommandBuffer.SHADOW_REACH * blur : 0f);
        float dx = shadow ? r[10] : 0f, dy = shadow ? r[11] : 0f;
        if (!range(r, pad, dx, dy)) return;
        own.set(r);
        float sigma = 0.5f * blur;
        if (shadow) fitShadow(r, spread, sigma, dx, dy);
        boolean knockout = shadow && r[12] > 0.5f;
        if (knockout) caster.set(r);
        if (shadow && sigma >= 0.5f * t.aa) {
            softShadow(r, sigma, knockout);
            return;
        }
        float coverX = stroke ? -spread - outer : shadow ? 0f : -spread;
        float coverY = stroke ? -spread - outer + sw : FAR;
        edges(r, t.aa + Math.max(feather, 0f), coverX, coverY, knockout, stroke);
    }

    // The shadow's own box: the caster moved by the offset and grown by the spread, its corners
    // fitted to the level lines of the blurred corner (record.vert's fit), and the same box
    // fitted as if every corner were sharp.
    private void fitShadow(float[] r, float spread, float sigma, float dx, float dy) {
        own.cx += dx;
        own.cy += dy;
        own.hx = Math.max(0.5f * r[3] + spread, 0f);
        own.hy = Math.max(0.5f * r[4] + spread, 0f);
        float m = Math.max(Math.min(own.hx, own.hy), 0f);
        float s1 = Math.min(2.4f * sigma, m), s0 = Math.min(1.5f * sigma, m);
        float sharp = Math.max(2f * s1 / Math.max(s0, 1e-6f), 2f);
        for (int c = 0; c < 4; c++) {
            float rad = r[28 + c], n = own.exponent[c];
            float grown = rad >= 0.001f ? Math.max(rad + spread, 0f) : 0f;
            float re = Math.min(SoftwareBox.widened(grown, n), m);
            float r1 = Math.min((float) Math.sqrt(re * re + 5.76f * sigma * sigma), m);
            float f = re / Math.max(r1, 1e-6f);
            own.radius[c] = r1;
            own.exponent[c] = sharp + (n + (n - 2f) * (1f - f) - sharp) * f * f;
            fitted.radius[c] = s1;
            fitted.exponent[c] = sharp;
        }
        fitted.cx = own.cx;
        fitted.cy = own.cy;
        fitted.hx = own.hx;
        fitted.hy = own.hy;
    }

    // Coverage edge(d + coverX, w) - edge(d + coverY, w) of the own box: fills, strokes, sharp
    // shadows. Where a row's pixels lie deep inside, a fill is one run of one colour and a stroke
    // has nothing to draw.
    private void edges(float[] r, float w, float coverX, float coverY, boolean knockout, boolean stroke) {
        float ir = r[6], ig = r[7], ib = r[8], ia = r[9], dither = r[45];
        boolean clipped = clips.depth() > 0;
        float[] mask = clipped ? clips.mask(t) : null;
        int[] mb = clipped ? clips.box(t) : null;
        float margin = (stroke ? coverY : coverX) + 0.5f * w;
        for (int row = range[1]; row < range[3]; row++) {
            float uy = (row + 0.5f) / t.sy, py = uy - own.cy;
            int from = range[0], to = range[2];
            if (knockout) {
                span[0] = span[1] = from;
            } else {
                own.inner(uy, margin, t.sx, span);
            }
            int s0 = Math.max(Math.min(span[0], to), from), s1 = Math.max(Math.min(span[1], to), s0);
            int base = t.index(0, row);
            for (int pass = 0; pass < 2; pass++) {
                int c0 = pass == 0 ? from : s1, c1 = pass == 0 ? s0 : to;
                for (int col = c0; col < c1; col++) {
                    float px = (col + 0.5f) / t.sx - own.cx;
                    float d = own.distance(px, py);
                    float a = ia * (SoftwareClips.edge(d + coverX, w) - SoftwareClips.edge(d + coverY, w));
                    if (a <= 0f) continue;
                    if (clipped) a *= mask[(row - mb[1]) * (mb[2] - mb[0]) + col - mb[0]];
                    if (knockout) {
                        a *= 1f - SoftwareClips.edge(caster.distance(px + own.cx - caster.cx, py + own.cy - caster.cy),
                                t.aa);
                    }
                    paint(base + col, col, row, ir, ig, ib, a, dither);
                }
            }
            if (stroke || s0 >= s1) continue;
            if (!clipped) {
                t.overRun(base + s0, base + s1, ir, ig, ib, ia);
                continue;
            }
            int m = (row - mb[1]) * (mb[2] - mb[0]) - mb[0];
            for (int col = s0; col < s1; col++) {
                float a = ia * mask[m + col];
                if (a > 0f) paint(base + col, col, row, ir, ig, ib, a, dither);
            }
        }
    }

    // The Gaussian-blurred coverage of the shadow's box in shape.frag's closed form: separable
    // erf terms of the sides, scaled at the corners by the fitted and the sharp-fitted boxes.
    private void softShadow(float[] r, float sigma, boolean knockout) {
        float ir = r[6], ig = r[7], ib = r[8], ia = r[9], dither = r[45];
        float k = 0.7071068f / Math.max(sigma, 1e-6f);
        boolean clipped = clips.depth() > 0;
        float[] mask = clipped ? clips.mask(t) : null;
        int[] mb = clipped ? clips.box(t) : null;
        int cols = range[2] - range[0];
        if (columnTerm.length < cols) columnTerm = new float[2 * cols];
        for (int col = range[0]; col < range[2]; col++) {
            float o = Math.abs((col + 0.5f) / t.sx - own.cx) - own.hx;
            columnTerm[col - range[0]] = erf((o + 2f * own.hx) * k) - erf(o * k);
        }
        for (int row = range[1]; row < range[3]; row++) {
            float py = (row + 0.5f) / t.sy - own.cy;
            float o = Math.abs(py) - own.hy;
            float rowTerm = 0.25f * (erf((o + 2f * own.hy) * k) - erf(o * k));
            int base = t.index(0, row);
            for (int col = range[0]; col < range[2]; col++) {
                float px = (col + 0.5f) / t.sx - own.cx;
                float near = erf(own.distance(px, py) * k), far = erf(fitted.distance(px, py) * k);
                float blurred = rowTerm * columnTerm[col - range[0]] * (1f - near) / Math.max(1f - far, 1e-6f);
                float a = ia * Math.min(Math.max(blurred, 0f), 1f);
                if (clipped) a *= mask[(row - mb[1]) * (mb[2] - mb[0]) + col - mb[0]];
                if (knockout) {
                    a *= 1f - SoftwareClips.edge(caster.distance(px + own.cx - caster.cx, py + own.cy - caster.cy), t.aa);
                }
                if (a > 0f) paint(base + col, col, row, ir, ig, ib, a, dither);
            }
        }
    }

    private void paint(int i, int col, int row, float r, float g, float b, float a, float dither) {
        if (a < 1f && dither != 0f) a = Math.min(Math.max(a + t.dither(col, row, dither), 0f), 1f);
        t.over(i, r, g, b, a);
    }

    /** shape.frag's erf, within 5e-4 of the exact one. */
    static float erf(float x) {
        float a = Math.abs(x);
        float s = 1f + (0.278393f + (0.230389f + (0.000972f + 0.078108f * a) * a) * a) * a;
        s *= s;
        float e = 1f - 1f / (s * s);
        return x < 0f ? -e : e;
    }

    /**
     * A glyph (mask mode: coverage from the texture's alpha, colour from the ink) or an image
     * (colour mode: the texture's straight RGBA times the ink), the region texRect stretched over
     * the quad and sampled bilinearly with clamped edges; rounded when a corner radius is set.
     */
    void text(float[] r, SoftwareTexture texture) {
        if (!range(r, 0f, 0f, 0f)) return;
        boolean rounded = r[28] > 0f || r[29] > 0f || r[30] > 0f || r[31] > 0f, image = r[10] >= 0.5f;
        if (rounded) own.set(r);
        float w = t.aa + Math.max(r[27], 0f);
        float ir = r[6], ig = r[7], ib = r[8], ia = r[9];
        boolean clipped = clips.depth() > 0;
        float[] mask = clipped ? clips.mask(t) : null;
        int[] mb = clipped ? clips.box(t) : null;
        // Texel coordinates of the first pixel centre and their steps per pixel.
        float du = (r[15] - r[13]) * texture.width / (r[3] * t.sx), dv = (r[16] - r[14]) * texture.height / (r[4] * t.sy);
        float u0 = (r[13] + ((range[0] + 0.5f) / t.sx - r[1]) / r[3] * (r[15] - r[13])) * texture.width - 0.5f;
        float v0 = (r[14] + ((range[1] + 0.5f) / t.sy - r[2]) / r[4] * (r[16] - r[14])) * texture.height - 0.5f;
        boolean aligned = Math.abs(du - 1f) < 1e-4f && Math.abs(dv - 1f) < 1e-4f
                && Math.abs(u0 - Math.round(u0)) < 1e-3f && Math.abs(v0 - Math.round(v0)) < 1e-3f;
        float[] texel = new float[3];
        for (int row = range[1]; row < range[3]; row++) {
            float v = v0 + (row - range[1]) * dv;
            float py = rounded ? (row + 0.5f) / t.sy - own.cy : 0f;
            int base = t.index(0, row);
            for (int col = range[0]; col < range[2]; col++) {
                float u = u0 + (col - range[0]) * du;
                int argb = aligned ? texture.texel(Math.round(u), Math.round(v)) : 0;
                float ta = aligned ? (argb >>> 24) / 255f : texture.sample(u, v, texel);
                float a = ia * ta;
                if (a <= 0f) continue;
                if (rounded) a *= SoftwareClips.edge(own.distance((col + 0.5f) / t.sx - own.cx, py), w);
                if (clipped) a *= mask[(row - mb[1]) * (mb[2] - mb[0]) + col - mb[0]];
                if (a <= 0f) continue;
                if (!image) {
                    t.over(base + col, ir, ig, ib, a);
                } else if (aligned) {
                    t.over(base + col, ir * ((argb >> 16) & 255) / 255f, ig * ((argb >> 8) & 255) / 255f,
                            ib * (argb & 255) / 255f, a);
                } else {
                    t.over(base + col, ir * texel[0], ig * texel[1], ib * texel[2], a);
                }
            }
        }
    }
}
