#version 330 core
// One direction of a separable Gaussian blur: the first pass runs along x
// ("stepv" = (1 / width, 0)), the second along y, both over textures of the
// same size. "sigma" is the blur strength in texels of "src".
//
// Up to a sigma of RATIO texels each pass reads every texel within 3 sigma,
// two neighbours per bilinear fetch placed between them by their weights.
// Above it the cost stops growing with sigma: a blur that wide is smooth, so
// the first pass writes a coarse image, one texel per s = sigma / RATIO texels
// in both directions (the Gaussian along x, a box of s rows across), into the
// bottom-left corner of its target, and the second pass sums the coarse rows
// with Gaussian weights and interpolates between coarse columns. The second
// pass works out s from its own sigma; for odd target sizes the two sigmas
// differ by less than one part in the target's width, and the first pass
// writes one spare coarse row and column for that.
//
// A software rasterizer such as llvmpipe runs every branch for every pixel and
// a loop one time more than it turns, so both passes share one pair of
// do-while loops whose inputs are chosen per pass, pixels outside the coarse
// image run a single turn, and the Gaussian weights come from recurrences that
// start next to the centre and shrink outwards, with no exponential per tap.
uniform sampler2D src;
uniform vec2 stepv;
uniform float sigma;

out vec4 fragColor;

const float RATIO = 2.0;

// Length of the texel row [r, r + 1) inside [a, b).
float cover(float r, float a, float b) {
    return clamp(min(r + 1.0, b) - max(r, a), 0.0, 1.0);
}

// Adds the samples i and i + 1 (weights wa and wb) with one bilinear fetch at
// row y; x positions are in texels of the grid the samples lie on.
void fetchPair(float i, float wa, float wb, float y, float limit, bool first, vec2 size,
               inout vec4 acc, inout float total) {
    float w = wa + wb;
    float x = clamp(i + 0.5 + wb / max(w, 1e-30), 0.5, limit - 0.5);
    acc += w * texture(src, (first ? vec2(x, y) : vec2(y, x)) / size);
    total += w;
}

void main() {
    vec2 size = vec2(textureSize(src, 0));
    bool first = stepv.x > 0.0;
    // Pass axes: x along the blur, y across it.
    vec2 extent = first ? size : size.yx;
    vec2 at = floor(first ? gl_FragCoord.xy : gl_FragCoord.yx);
    // The half-size copy averages 2 x 2 pixels and the glass reads the result
    // back with bilinear filtering: together they blur by a variance of 1/4
    // texel^2 already, which the passes leave out. Also 0 for NaN; below 0.05
    // the outer weights vanish and a pass copies.
    float sg = sigma > 0.05 ? sqrt(max(sigma * sigma - 0.25, 0.0025)) : 0.0;
    float s = max(1.0, sg / RATIO);
    float reach = ceil(3.0 * sg);
    vec2 coarse = ceil(extent / s);

    // Along: samples `spacing` fine texels apart around `centre` (in fine
    // texels), on the grid of the texture read: sample i is at (i + 0.5) *
    // spacing. Sample c is the last one at or before the centre.
    float spacing = first ? 1.0 : s;
    float centre = first ? (at.x + 0.5) * s : at.x + 0.5;
    float limit = first ? extent.x : coarse.x;
    float c = floor(centre / spacing - 0.5);
    float left = (c + 0.5) * spacing - centre, right = left + spacing;
    // Weights 2^(k t^2): g at the next sample out on each side, times r for
    // the one after it, r itself times q per step.
    float k = -0.7213475 / max(sg * sg, 1e-6);
    float gl = exp2(k * left * left), rl = exp2(k * spacing * (spacing - 2.0 * left));
    float gr = exp2(k * right * right), rr = exp2(k * spacing * (spacing + 2.0 * right));
    float q = exp2(2.0 * k * spacing * spacing);

    // Across: the rows [a, b) of the box, in texels of the texture read.
    float u = clamp((at.y + 0.5) / s, 0.5, coarse.y - 0.5);
    float a = first ? at.y * s : u - 0.5;
    float b = a + (first ? s : 1.0);
    bool inside = !first || (at.x <= coarse.x && at.y <= coarse.y);
    float row0 = floor(a);
    int rows = inside ? (int(ceil(b) - row0) + 1) / 2 : 1;
    int steps = inside ? int(ceil(reach / spacing)) / 2 + 1 : 1;

    vec4 acc = vec4(0.0);
    float total = 0.0;
    int m = 0;
    do {
        float r = row0 + 2.0 * float(m);
        float lower = cover(r, a, b), upper = cover(r + 1.0, a, b);
        float h = lower + upper;
        float y = r + 0.5 + upper / max(h, 1e-6);
        float wl = h * gl, fl = rl, wr = h * gr, fr = rr;
        int j = 0;
        do {
            // Samples c - 2j - 1 and c - 2j on the left, c + 2j + 1 and
            // c + 2j + 2 on the right.
            float i = 2.0 * float(j);
            float near = wl, far = wl * fl;
            fetchPair(c - i - 1.0, far, near, y, limit, first, size, acc, total);
            wl = far * fl * q;
            fl *= q * q;
            near = wr;
            far = wr * fr;
            fetchPair(c + i + 1.0, near, far, y, limit, first, size, acc, total);
            wr = far * fr * q;
            fr *= q * q;
        } while (++j < steps);
    } while (++m < rows);
    fragColor = inside && total > 0.0 ? acc / total : vec4(0.0);
}
