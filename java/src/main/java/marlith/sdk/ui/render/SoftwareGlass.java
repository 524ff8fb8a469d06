package marlith.sdk.ui.render;

/**
 * The backdrop of glass and glass.frag's picture. A capture copies the part of the target that
 * the coming glass records can sample and, when they frost, a half-size copy of it (2 x 2
 * averages, as the GPU's linear downsample) blurred by the GPU's Gaussian: exact weights for small
 * strengths, three box passes per direction above. Glass then samples both bilinearly at the
 * shader's positions. Captures are in GL's orientation, row 0 at the bottom, as the GPU's are, so
 * odd sizes downsample alike.
 */
final class SoftwareGlass {
    /** Both components of the direction the light comes from: the top left, y down. */
    private static final float LIGHT = -0.7071068f;
    /** Above this sigma in half-size texels three box passes replace the exact kernel. */
    private static final float BOX_SIGMA = 3f;
    private static final float INV255 = 1f / 255f;

    private final SoftwareTarget t;
    private final SoftwareClips clips;
    private final SoftwareShapes shapes;
    private final SoftwareBox box = new SoftwareBox();

    // Sharp capture: target pixels [sx0, sx0 + sw) x GL rows [sy0, sy0 + sh), 0xRRGGBB.
    private int[] sharp = new int[0];
    private int sx0, sy0, sw, sh;
    // Blurred capture at half size (bw x bh for the whole target): texels [bx0, bx0 + bcw) x
    // [by0, by0 + bch), one plane per channel.
    private float[] red = new float[0], green = new float[0], blue = new float[0], scratch = new float[0];
    private float[] column = new float[0];
    private int bw, bh, bx0, by0, bcw, bch;
    // The downsample's two target columns and weight per half-size column.
    private int[] columnA = new int[0], columnB = new int[0];
    private float[] columnWeight = new float[0];
    private boolean blurred;
    private float sigma;

    SoftwareGlass(SoftwareTarget target, SoftwareClips clips, SoftwareShapes shapes) {
        this.t = target;
        this.clips = clips;
        this.shapes = shapes;
    }

    /**
     * Captures the backdrop for the glass records from {@code from} up to the next refresh: the
     * union of what they can sample, sharp, and blurred when sigma is above 0.01 and one of them
     * frosts.
     */
    void capture(float[][] records, int from, int count, float sigma) {
        this.sigma = sigma;
        int x0 = Integer.MAX_VALUE, y0 = Integer.MAX_VALUE, x1 = Integer.MIN_VALUE, y1 = Integer.MIN_VALUE;
        boolean frost = false;
        for (int i = from; i < count; i++) {
            float[] r = records[i];
            int kind = SoftwareBackend.kind(r[0]);
            if (kind == CommandBuffer.KIND_REFRESH) break;
            if (kind != CommandBuffer.KIND_GLASS) continue;
            // Refraction, with dispersion, moves samples by up to this many pixels.
            float reach = Math.abs(r[23]) * (1f + SoftwareBox.clamp01(r[26])) * Math.max(t.sx, t.sy) + 2f;
            float left = r[18] * t.sx - reach, right = (r[18] + r[20]) * t.sx + reach;
            float top = r[19] * t.sy - reach, bottom = (r[19] + r[21]) * t.sy + reach;
            if (!(reach < 1e6f && left < right && top < bottom)) {
                left = top = 0f;
                right = t.width;
                bottom = t.height;
            }
            left = Math.max(left, 0f);
            top = Math.max(top, 0f);
            right = Math.min(right, t.width);
            bottom = Math.min(bottom, t.height);
            x0 = Math.min(x0, (int) Math.floor(left));
            x1 = Math.max(x1, (int) Math.ceil(right));
            y0 = Math.min(y0, t.height - (int) Math.ceil(bottom));
            y1 = Math.max(y1, t.height - (int) Math.floor(top));
            frost |= r[22] > 0f;
        }
        sx0 = Math.max(x0, 0);
        sy0 = Math.max(y0, 0);
        sw = Math.max(Math.min(x1, t.colEnd) - sx0, 0);
        sh = Math.max(Math.min(y1, t.height - t.rowStart) - sy0, 0);
        if (sw == 0) sh = 0;
        if (sharp.length < sw * sh) sharp = new int[sw * sh];
        for (int y = 0; y < sh; y++) {
            System.arraycopy(t.pixels, t.index(sx0, t.height - 1 - (sy0 + y)), sharp, y * sw, sw);
        }
        blurred = frost && sigma > 0.01f && sw > 0 && sh > 0;
        if (blurred) blur();
    }

    // The half-size copy of the captured part plus the blur's reach, blurred.
    private void blur() {
        bw = (t.width + 1) / 2;
        bh = (t.height + 1) / 2;
        float sgx = strength(sigma * bw / t.width), sgy = strength(sigma * bh / t.height);
        int reachX = (int) Math.ceil(3.5f * sgx) + 2, reachY = (int) Math.ceil(3.5f * sgy) + 2;
        bx0 = Math.max(sx0 / 2 - reachX, 0);
        by0 = Math.max(sy0 / 2 - reachY, 0);
        bcw = Math.min((sx0 + sw + 1) / 2 + reachX, bw) - bx0;
        bch = Math.min((sy0 + sh + 1) / 2 + reachY, bh) - by0;
        int n = bcw * bch;
        if (red.length < n) {
            red = new float[n];
            green = new float[n];
            blue = new float[n];
        }
        // A line and its ends: the widest box is about 2 sigma + 3, the kernel 6 sigma + 1.
        int longest = Math.max(bcw, bch) + (int) (6f * Math.max(sgx, sgy)) + 8;
        if (scratch.length < longest) scratch = new float[longest];
        downsample();
        for (float[] plane : new float[][] {red, green, blue}) {
            gaussian(plane, bcw, bch, 1, bcw, sgx);
            gaussian(plane, bch, bcw, bcw, 1, sgy);
        }
    }

    // The blur passes leave out the variance of 1/4 texel^2 that the 2 x 2 downsample and the
    // bilinear read-back add, as blur.frag does.
    private static float strength(float s) {
        return s > 0.05f ? (float) Math.sqrt(Math.max(s * s - 0.25f, 0.0025f)) : 0f;
    }

    // Each half-size texel is the GPU blit's linear sample of the target at its centre, which
    // for even sizes is the average of 2 x 2 pixels. Pixels outside the target are its edge's.
    private void downsample() {
        float fx = (float) t.width / bw, fy = (float) t.height / bh;
        if (columnA.length < bcw) {
            columnA = new int[bcw];
            columnB = new int[bcw];
            columnWeight = new float[bcw];
        }
        for (int i = 0; i < bcw; i++) {
            float u = (bx0 + i + 0.5f) * fx - 0.5f;
            int x = (int) Math.floor(u);
            columnWeight[i] = u - x;
            columnA[i] = Math.min(Math.max(x, 0), t.colEnd - 1);
            columnB[i] = Math.min(Math.max(x + 1, 0), t.colEnd - 1);
        }
        int[] p = t.pixels;
        for (int j = 0; j < bch; j++) {
            float v = (by0 + j + 0.5f) * fy - 0.5f;
            int y = (int) Math.floor(v);
            float wy = v - y;
            int rowA = t.index(0, targetRow(y)), rowB = t.index(0, targetRow(y + 1));
            for (int i = 0, at = j * bcw; i < bcw; i++, at++) {
                float wx = columnWeight[i];
                float wa = (1 - wx) * (1 - wy), wb = wx * (1 - wy), wc = (1 - wx) * wy, wd = wx * wy;
                int a = p[rowA + columnA[i]], b = p[rowA + columnB[i]], c = p[rowB + columnA[i]], d = p[rowB + columnB[i]];
                red[at] = wa * ((a >> 16) & 255) + wb * ((b >> 16) & 255) + wc * ((c >> 16) & 255) + wd * ((d >> 16) & 255);
                green[at] = wa * ((a >> 8) & 255) + wb * ((b >> 8) & 255) + wc * ((c >> 8) & 255) + wd * ((d >> 8) & 255);
                blue[at] = wa * (a & 255) + wb * (b & 255) + wc * (c & 255) + wd * (d & 255);
            }
        }
    }

    // The target row (top first) of GL row y, clamped to the rows the image holds.
    private int targetRow(int y) {
        return Math.min(Math.max(t.height - 1 - y, t.rowStart), t.height - 1);
    }

    // One direction of the blur over `lines` lines of `length` values, `step` apart, lines
    // `next` apart; edges clamped.
    private void gaussian(float[] v, int length, int lines, int step, int next, float s) {
        if (s <= 0f) return;
        if (s <= BOX_SIGMA) {
            kernel(v, length, lines, step, next, s);
            return;
        }
        for (int width : boxWidths(s)) {
            int r = (width - 1) / 2;
            if (step == 1) {
                for (int line = 0; line < lines; line++) boxLine(v, line * next, length, r);
            } else {
                boxColumns(v, r);
            }
        }
    }

    // A running box of 2r + 1 rows down every column at once, row by row, edges repeated.
    private void boxColumns(float[] v, int r) {
        int n = bcw * bch;
        if (column.length < n) column = new float[n];
        System.arraycopy(v, 0, column, 0, n);
        float[] sum = scratch, src = column;
        int last = bch - 1;
        java.util.Arrays.fill(sum, 0, bcw, 0f);
        for (int j = -r; j <= r; j++) {
            int at = Math.min(Math.max(j, 0), last) * bcw;
            for (int i = 0; i < bcw; i++) sum[i] += src[at + i];
        }
        float scale = 1f / (2 * r + 1);
        for (int j = 0; j < bch; j++) {
            int out = j * bcw;
            for (int i = 0; i < bcw; i++) v[out + i] = sum[i] * scale;
            int add = Math.min(j + r + 1, last) * bcw, drop = Math.max(j - r, 0) * bcw;
            for (int i = 0; i < bcw; i++) sum[i] += src[add + i] - src[drop + i];
        }
    }

    // Exact Gaussian weights over 3 sigma: along rows from a copy of the row with its ends
    // repeated, down columns a row at a time.
    private void kernel(float[] v, int length, int lines, int step, int next, float s) {
        int reach = (int) Math.ceil(3 * s);
        float[] w = new float[reach + 1];
        float sum = 0;
        for (int k = 0; k <= reach; k++) {
            w[k] = (float) Math.exp(-0.5 * k * k / (s * s));
            sum += k == 0 ? w[k] : 2 * w[k];
        }
        for (int k = 0; k <= reach; k++) w[k] /= sum;
        if (step != 1) {
            kernelColumns(v, w, reach);
            return;
        }
        float[] line = scratch;
        for (int l = 0; l < lines; l++) {
            int at = l * next;
            // line[k] holds the value at k - reach.
            for (int k = 0; k < reach; k++) line[k] = v[at];
            System.arraycopy(v, at, line, reach, length);
            for (int k = length + reach; k < length + 2 * reach; k++) line[k] = v[at + length - 1];
            for (int i = 0; i < length; i++) {
                int c = i + reach;
                float acc = w[0] * line[c];
                for (int k = 1; k <= reach; k++) acc += w[k] * (line[c - k] + line[c + k]);
                v[at + i] = acc;
            }
        }
    }

    private void kernelColumns(float[] v, float[] w, int reach) {
        int n = bcw * bch, last = bch - 1;
        if (column.length < n) column = new float[n];
        System.arraycopy(v, 0, column, 0, n);
        for (int j = 0; j < bch; j++) {
            int out = j * bcw;
            for (int i = 0; i < bcw; i++) v[out + i] = w[0] * column[out + i];
            for (int k = 1; k <= reach; k++) {
                int up = Math.max(j - k, 0) * bcw, down = Math.min(j + k, last) * bcw;
                float wk = w[k];
                for (int i = 0; i < bcw; i++) v[out + i] += wk * (column[up + i] + column[down + i]);
            }
        }
    }

    // A running box of 2r + 1 values along one row, the row's ends repeated beyond it.
    private void boxLine(float[] v, int at, int length, int r) {
        float[] line = scratch;
        float first = v[at], last = v[at + length - 1];
        // line[k] holds the value at k - r - 1.
        for (int k = 0; k <= r; k++) line[k] = first;
        System.arraycopy(v, at, line, r + 1, length);
        for (int k = length + r + 1; k < length + 2 * r + 1; k++) line[k] = last;
        float sum = 0;
        for (int k = 1; k <= 2 * r + 1; k++) sum += line[k];
        float scale = 1f / (2 * r + 1);
        v[at] = sum * scale;
        for (int i = 1; i < length; i++) {
            sum += line[i + 2 * r + 1] - line[i];
            v[at + i] = sum * scale;
        }
    }

    /** Odd widths of three boxes whose repeated application has the variance of a Gaussian of sigma. */
    static int[] boxWidths(float sigma) {
        double ideal = Math.sqrt(4.0 * sigma * sigma + 1);
        int lower = (int) Math.floor(ideal);
        if (lower % 2 == 0) lower--;
        int upper = lower + 2;
        double m = (12.0 * sigma * sigma - 3.0 * lower * lower - 12.0 * lower - 9.0) / (-4.0 * lower - 4);
        int smaller = (int) Math.round(m);
        return new int[] {smaller > 0 ? lower : upper, smaller > 1 ? lower : upper, smaller > 2 ? lower : upper};
    }

    // The record being drawn: its look, and per column of its pixels the blurred capture's
    // column pair and weight at the pixel centre.
    private float aa, w, spread, opacity, tintR, tintG, tintB, tint, bevel, refraction, dispersion, frostAmount;
    private float saturation, sheen, hw, shadeReach, dither, hiR, hiG, hiB, hiA, shR, shG, shB, shA, mx, my;
    private int[] blurColumn = new int[0];
    private int blurFrom, blurLow, blurHigh;
    private float[] blurWeight = new float[0], rowR = new float[0], rowG = new float[0], rowB = new float[0];
    private final float[] rgb = new float[3];
    private final int[] span = new int[2];

    /** Draws one glass record; (mx, my) is the pointer in UI units. */
    void draw(float[] r, float mx, float my) {
        if (!shapes.range(r, CommandBuffer.EDGE + Math.max(r[27], 0f) + Math.max(r[44], 0f), 0f, 0f)) return;
        int[] range = shapes.rangeBox();
        look(r, mx, my);
        boolean clipped = clips.depth() > 0;
        float[] mask = clipped ? clips.mask(t) : null;
        int[] mb = clipped ? clips.box(t) : null;
        if (frostAmount > 0f) blurColumns(range[0], range[2]);
        // Deeper inside than the bevel, the rim light, the shade and the edge's ramp reach, the
        // panel is flat: no bend, light only from the sheen.
        float margin = Math.max(Math.max(bevel, hw), 0.5f * w) - spread;
        for (int row = range[1]; row < range[3]; row++) {
            float uy = (row + 0.5f) / t.sy;
            box.inner(uy, margin, t.sx, span);
            int s0 = Math.max(Math.min(span[0], range[2]), range[0]), s1 = Math.max(Math.min(span[1], range[2]), s0);
            int base = t.index(0, row), m = clipped ? (row - mb[1]) * (mb[2] - mb[0]) - mb[0] : 0;
            for (int col = range[0]; col < range[2]; col++) {
                if (col == s0 && s0 < s1) {
                    flat(row, s0, s1, mask, m);
                    col = s1 - 1;
                    continue;
                }
                float clip = clipped ? mask[m + col] : 1f;
                if (clip > 0f) pixel(base + col, col, row, uy, clip);
            }
        }
    }

    private void look(float[] r, float mx, float my) {
        box.set(r);
        aa = t.aa;
        w = aa + Math.max(r[27], 0f);
        spread = r[44];
        tintR = r[6];
        tintG = r[7];
        tintB = r[8];
        opacity = r[9];
        bevel = Math.max(r[5], 0f);
        refraction = r[23];
        dispersion = SoftwareBox.clamp01(r[26]);
        frostAmount = blurred ? SoftwareBox.clamp01(r[22]) : 0f;
        saturation = 1f + r[24];
        tint = SoftwareBox.clamp01(r[25]);
        sheen = r[10];
        hw = Math.max(r[11], aa);
        shadeReach = Math.max(bevel, hw);
        dither = r[45];
        hiR = r[36];
        hiG = r[37];
        hiB = r[38];
        hiA = r[39];
        shR = r[40];
        shG = r[41];
        shB = r[42];
        shA = r[43];
        this.mx = mx;
        this.my = my;
    }

    // Where the blurred capture is sampled for the pixel centres of columns [from, to).
    private void blurColumns(int from, int to) {
        int n = to - from;
        blurFrom = from;
        if (blurColumn.length < n) {
            blurColumn = new int[n];
            blurWeight = new float[n];
        }
        if (rowR.length < bcw) {
            rowR = new float[bcw];
            rowG = new float[bcw];
            rowB = new float[bcw];
        }
        for (int col = from; col < to; col++) {
            float u = (col + 0.5f) * bw / t.width - 0.5f - bx0;
            int i = (int) Math.floor(u);
            blurWeight[col - from] = Math.min(Math.max(u - i, 0f), 1f);
            blurColumn[col - from] = i;
        }
        blurLow = clampTo(blurColumn[0], bcw);
        blurHigh = clampTo(blurColumn[n - 1] + 1, bcw);
    }

    // Pixels [s0, s1) of a row on the flat face.
    private void flat(int row, int s0, int s1, float[] mask, int m) {
        int gy = t.height - 1 - row, base = t.index(0, row);
        int sharpRow = (gy - sy0) * sw - sx0;
        float uy = (row + 0.5f) / t.sy;
        if (frostAmount > 0f) blurRow(gy);
        float dyPointer = (uy - my) / sheen;
        for (int col = s0; col < s1; col++) {
            float a = mask == null ? opacity : opacity * mask[m + col];
            if (a <= 0f) continue;
            int p = sharp[sharpRow + col];
            float cr = ((p >> 16) & 255) * INV255, cg = ((p >> 8) & 255) * INV255, cb = (p & 255) * INV255;
            if (frostAmount > 0f) {
                int k = col - blurFrom, i = blurColumn[k];
                int i0 = clampTo(i, bcw), i1 = clampTo(i + 1, bcw);
                float f = blurWeight[k];
                cr += ((rowR[i0] + (rowR[i1] - rowR[i0]) * f) * INV255 - cr) * frostAmount;
                cg += ((rowG[i0] + (rowG[i1] - rowG[i0]) * f) * INV255 - cg) * frostAmount;
                cb += ((rowB[i0] + (rowB[i1] - rowB[i0]) * f) * INV255 - cb) * frostAmount;
            }
            float light = 0f;
            if (sheen > 0f) {
                float dx = ((col + 0.5f) / t.sx - mx) / sheen, q = dx * dx + dyPointer * dyPointer;
                if (q < 30f) light = (float) Math.exp(-q) * 0.15f;
            }
            finish(base + col, col, row, cr, cg, cb, light, 0f, a);
        }
    }

    // The blurred capture interpolated to the pixel row gy (GL's y up), into rowR, rowG, rowB,
    // across the columns the record samples.
    private void blurRow(int gy) {
        float v = (gy + 0.5f) * bh / t.height - 0.5f - by0;
        int j = (int) Math.floor(v);
        float f = Math.min(Math.max(v - j, 0f), 1f);
        int j0 = clampTo(j, bch) * bcw, j1 = clampTo(j + 1, bch) * bcw;
        for (int i = blurLow; i <= blurHigh; i++) {
            rowR[i] = red[j0 + i] + (red[j1 + i] - red[j0 + i]) * f;
            rowG[i] = green[j0 + i] + (green[j1 + i] - green[j0 + i]) * f;
            rowB[i] = blue[j0 + i] + (blue[j1 + i] - blue[j0 + i]) * f;
        }
    }

    // One pixel of the panel anywhere: the bevel's bend, dispersion, frost, rim light and shade.
    private void pixel(int i, int col, int row, float uy, float clip) {
        float ux = (col + 0.5f) / t.sx;
        float d = box.distanceAndNormal(ux - box.cx, uy - box.cy) - spread;
        float a = opacity * SoftwareClips.edge(d, w) * clip;
        if (a <= 0f) return;
        float nx = box.nx, ny = box.ny, inside = -d;
        float e = bevel > 0f ? Math.min(Math.max(1f - inside / bevel, 0f), 1f) : 0f;
        float bend = 1f - (float) Math.sqrt(1f - e * e);
        // The sample point in target pixels, GL's y up: UI offsets turn y around.
        float ox = nx * refraction * bend * t.sx, oy = -ny * refraction * bend * t.sy;
        float cx = col + 0.5f, cy = t.height - row - 0.5f;
        float cr, cg, cb;
        sampleSharp(cx + ox, cy + oy, rgb);
        cg = rgb[1];
        cr = dispersion == 0f ? rgb[0] : sampleSharp(cx + ox * (1 + dispersion), cy + oy * (1 + dispersion), rgb);
        sampleSharp(cx + ox * (1 - dispersion), cy + oy * (1 - dispersion), rgb);
        cb = rgb[2];
        float frost = frostAmount * smoothstep(1f - e);
        if (frost > 0f) {
            sampleBlur((cx + ox) * bw / t.width - 0.5f, (cy + oy) * bh / t.height - 0.5f, rgb);
            cr += (rgb[0] - cr) * frost;
            cg += (rgb[1] - cg) * frost;
            cb += (rgb[2] - cb) * frost;
        }
        float facing = LIGHT * (nx + ny);
        float rim = 1f - smoothstep(inside / hw);
        float light = rim * (0.35f + 0.65f * Math.max(facing, 0f));
        float shade = (1f - smoothstep(inside / shadeReach)) * Math.max(-facing, 0f);
        if (sheen > 0f) {
            float dx = (ux - mx) / sheen, dy = (uy - my) / sheen, q = dx * dx + dy * dy;
            if (q < 30f) light += (float) Math.exp(-q) * (0.15f + 0.85f * Math.max(e, rim));
        }
        finish(i, col, row, cr, cg, cb, light, shade, a);
    }

    // Saturation, tint, shade, light and dither of the backdrop's colour, blended over pixel i.
    private void finish(int i, int col, int row, float cr, float cg, float cb, float light, float shade, float a) {
        if (saturation != 1f) {
            float luma = 0.2126f * cr + 0.7152f * cg + 0.0722f * cb;
            cr = clamp01(luma + (cr - luma) * saturation);
            cg = clamp01(luma + (cg - luma) * saturation);
            cb = clamp01(luma + (cb - luma) * saturation);
        }
        cr += (tintR - cr) * tint;
        cg += (tintG - cg) * tint;
        cb += (tintB - cb) * tint;
        float s = SoftwareBox.clamp01(shA * shade), h = SoftwareBox.clamp01(hiA * light);
        cr += (shR - cr) * s;
        cg += (shG - cg) * s;
        cb += (shB - cb) * s;
        cr += (hiR - cr) * h;
        cg += (hiG - cg) * h;
        cb += (hiB - cb) * h;
        if (dither != 0f) {
            float n = t.dither(col, row, dither);
            cr = clamp01(cr + n);
            cg = clamp01(cg + n);
            cb = clamp01(cb + n);
        }
        t.over(i, cr, cg, cb, a);
    }

    // Bilinear sample of the sharp capture at target position (x, y), GL's y up; red, green and
    // blue 0 to 1 into rgb; returns red.
    private float sampleSharp(float x, float y, float[] rgb) {
        float u = x - 0.5f - sx0, v = y - 0.5f - sy0;
        int i = SoftwareTexture.floor(u), j = SoftwareTexture.floor(v);
        float fx = u - i, fy = v - j;
        int i0 = clampTo(i, sw), i1 = clampTo(i + 1, sw), j0 = clampTo(j, sh), j1 = clampTo(j + 1, sh);
        int a = sharp[j0 * sw + i0], b = sharp[j0 * sw + i1], c = sharp[j1 * sw + i0], d = sharp[j1 * sw + i1];
        float wa = (1 - fx) * (1 - fy), wb = fx * (1 - fy), wc = (1 - fx) * fy, wd = fx * fy;
        for (int s = 16, k = 0; k < 3; s -= 8, k++) {
            rgb[k] = (wa * ((a >> s) & 255) + wb * ((b >> s) & 255) + wc * ((c >> s) & 255) + wd * ((d >> s) & 255)) * INV255;
        }
        return rgb[0];
    }

    // Bilinear sample of the blurred capture at half-size texel coordinates (u, v) from texel
    // centres.
    private void sampleBlur(float u, float v, float[] rgb) {
        u -= bx0;
        v -= by0;
        int i = SoftwareTexture.floor(u), j = SoftwareTexture.floor(v);
        float fx = u - i, fy = v - j;
        int i0 = clampTo(i, bcw), i1 = clampTo(i + 1, bcw), j0 = clampTo(j, bch) * bcw, j1 = clampTo(j + 1, bch) * bcw;
        float wa = (1 - fx) * (1 - fy), wb = fx * (1 - fy), wc = (1 - fx) * fy, wd = fx * fy;
        rgb[0] = (wa * red[j0 + i0] + wb * red[j0 + i1] + wc * red[j1 + i0] + wd * red[j1 + i1]) * INV255;
        rgb[1] = (wa * green[j0 + i0] + wb * green[j0 + i1] + wc * green[j1 + i0] + wd * green[j1 + i1]) * INV255;
        rgb[2] = (wa * blue[j0 + i0] + wb * blue[j0 + i1] + wc * blue[j1 + i0] + wd * blue[j1 + i1]) * INV255;
    }

    private static int clampTo(int i, int n) {
        return Math.min(Math.max(i, 0), n - 1);
    }

    // smoothstep(0, 1, x)
    private static float smoothstep(float x) {
        float c = clamp01(x);
        return c * c * (3f - 2f * c);
    }

    private static float clamp01(float v) {
        return SoftwareBox.clamp01(v);
    }
}
