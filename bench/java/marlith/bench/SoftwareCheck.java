package marlith.bench;

import java.awt.Canvas;
import java.awt.Frame;
import java.nio.ByteBuffer;
import java.nio.FloatBuffer;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.TreeMap;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.NativeGpu;
import marlith.sdk.ui.render.RenderPath;
import marlith.sdk.ui.render.RenderSession;

/**
 * {@code Bench check --software}: the shader check's cases drawn by the GPU and by the software
 * renderer, measured record by record over each record's bounds (see {@link ShaderCheck}).
 */
final class SoftwareCheck {
    private static final double GOAL = 0.01, SOFT_GOAL = 0.03;

    /** One drawn record's difference. */
    record Row(String kind, String where, double mean, int largest, int x, int y, double goal) {}

    private SoftwareCheck() {}

    static int main(String[] args) throws Exception {
        String[] sources = ShaderCheck.sources(Path.of(args[2]));
        Path png = null;
        List<String> only = null;
        for (int i = 3; i + 1 < args.length; i += 2) {
            if (args[i].equals("--png")) png = Path.of(args[i + 1]);
            else if (args[i].equals("--cases")) only = List.of(args[i + 1].split(","));
            else throw new IllegalArgumentException("unknown option " + args[i]);
        }
        List<ShaderCheck.Case> cases = new ArrayList<>();
        for (ShaderCheck.Case c : ShaderCheck.cases()) if (only == null || only.contains(c.name())) cases.add(c);
        List<Row> rows = new ArrayList<>();
        for (int[] size : ShaderCheck.SIZES) {
            int width = size[0], height = size[1];
            Map<String, byte[]> gpu = ShaderCheck.drawAll(sources, cases, width, height);
            Map<String, byte[]> soft = drawAll(cases, width, height);
            for (ShaderCheck.Case c : cases) {
                for (float sigma : c.glass() ? ShaderCheck.SIGMAS : new float[] {0f}) {
                    String key = c.name() + " sigma " + Analyze.number(sigma);
                    String where = width + "x" + height + " " + key;
                    measure(c.stream().apply(1), gpu.get(key), soft.get(key), width, height, where, rows);
                    if (png != null) {
                        ShaderCheck.write(soft.get(key), width, height, png.resolve("software-" + width + "x" + height
                                + "-" + key.replace(' ', '-') + ".png"));
                    }
                }
            }
        }
        return report(rows);
    }

    /** Rows for every drawn record of the stream, or the whole picture for a stream of none. */
    private static void measure(CommandBuffer stream, byte[] gpu, byte[] soft, int width, int height, String where,
            List<Row> rows) {
        FloatBuffer b = stream.buffer();
        float sx = width / ShaderCheck.UI_W, sy = height / ShaderCheck.UI_H;
        int depth = 0, drawn = 0;
        for (int i = 0; i < stream.count(); i++) {
            int at = i * CommandBuffer.RECORD_FLOATS, kind = (int) b.get(at);
            if (kind == CommandBuffer.KIND_CLIP_PUSH) depth++;
            if (kind == CommandBuffer.KIND_CLIP_POP) depth--;
            if (kind >= CommandBuffer.KIND_REFRESH && kind <= CommandBuffer.KIND_CLIP_POP) continue;
            int x0 = Math.max((int) Math.floor(b.get(at + 18) * sx), 0);
            int y0 = Math.max((int) Math.floor(b.get(at + 19) * sy), 0);
            int x1 = Math.min((int) Math.ceil((b.get(at + 18) + b.get(at + 20)) * sx), width);
            int y1 = Math.min((int) Math.ceil((b.get(at + 19) + b.get(at + 21)) * sy), height);
            if (x0 >= x1 || y0 >= y1) continue;
            String name = kindName(b, at, kind, sx, sy) + (depth > 0 ? " clipped" : "");
            double goal = name.startsWith("glass") || name.startsWith("soft shadow") ? SOFT_GOAL : GOAL;
            rows.add(difference(gpu, soft, width, height, x0, y0, x1, y1, name, where + " #" + i, goal));
            drawn++;
        }
        if (drawn == 0) rows.add(difference(gpu, soft, width, height, 0, 0, width, height, "background", where, GOAL));
    }

    private static String kindName(FloatBuffer b, int at, int kind, float sx, float sy) {
        return switch (kind) {
            case CommandBuffer.KIND_GLASS -> "glass";
            case CommandBuffer.KIND_TEXT -> b.get(at + 10) >= 0.5f ? "image" : "text";
            case CommandBuffer.KIND_STROKE -> "stroke";
            case CommandBuffer.KIND_SHADOW -> 0.5f * b.get(at + 5) >= 0.25f * (1 / sx + 1 / sy) ? "soft shadow"
                    : "sharp shadow";
            default -> "fill";
        };
    }

    // Mean absolute difference of the colour channels over [x0, x1) x [y0, y1) (rows top first).
    private static Row difference(byte[] a, byte[] b, int width, int height, int x0, int y0, int x1, int y1,
            String kind, String where, double goal) {
        long sum = 0;
        int largest = 0, lx = x0, ly = y0;
        for (int y = y0; y < y1; y++) {
            for (int x = x0; x < x1; x++) {
                int at = 4 * ((height - 1 - y) * width + x);
                for (int c = 0; c < 3; c++) {
                    int d = Math.abs((a[at + c] & 255) - (b[at + c] & 255));
                    sum += d;
                    if (d > largest) {
                        largest = d;
                        lx = x;
                        ly = y;
                    }
                }
            }
        }
        return new Row(kind, where, sum / 255.0 / (3.0 * (x1 - x0) * (y1 - y0)), largest, lx, ly, goal);
    }

    // Every row, then per kind of record the worst mean and largest difference against the goal.
    private static int report(List<Row> rows) {
        boolean ok = true;
        Map<String, List<Row>> kinds = new TreeMap<>();
        for (Row r : rows) {
            boolean met = r.mean <= r.goal;
            ok &= met;
            System.out.printf("%s: %s, mean difference %.3f %%, largest %d at %d, %d%s%n", r.where, r.kind,
                    100 * r.mean, r.largest, r.x, r.y, met ? "" : "  FAIL");
            kinds.computeIfAbsent(r.kind, k -> new ArrayList<>()).add(r);
        }
        System.out.println();
        System.out.println("| Record | Records | Mean of means | Worst mean (where) | Largest | Goal | |");
        System.out.println("|---|---:|---:|---|---:|---:|---|");
        for (Map.Entry<String, List<Row>> e : kinds.entrySet()) {
            List<Row> list = e.getValue();
            Row worst = list.get(0);
            double total = 0;
            int largest = 0;
            for (Row r : list) {
                total += r.mean;
                largest = Math.max(largest, r.largest);
                if (r.mean > worst.mean) worst = r;
            }
            System.out.printf("| %s | %d | %.3f %% | %.3f %% (%s) | %d | %.0f %% | %s |%n", e.getKey(), list.size(),
                    100 * total / list.size(), 100 * worst.mean, worst.where, largest, 100 * worst.goal,
                    worst.mean <= worst.goal ? "met" : "missed");
        }
        return ok ? 0 : 1;
    }

    /** The cases drawn by the software renderer on a Canvas of the given size: RGBA, rows bottom first. */
    static Map<String, byte[]> drawAll(List<ShaderCheck.Case> cases, int width, int height) throws Exception {
        Canvas canvas = new Canvas();
        Frame window = SessionFrames.window("software check", canvas, width, height);
        Map<String, byte[]> out = new LinkedHashMap<>();
        try (RenderSession renderer = RenderSession.open(canvas, RenderPath.SOFTWARE)) {
            int size = ShaderCheck.ATLAS_SIZE, atlas = renderer.createTexture(size, size);
            renderer.upload(atlas, 0, 0, size, size, ShaderCheck.atlasPixels());
            for (ShaderCheck.Case c : cases) {
                for (float sigma : c.glass() ? ShaderCheck.SIGMAS : new float[] {0f}) {
                    renderer.background(width, height, 2.5f, c.grid(), c.light(), 0x203040, 0xFF8040);
                    renderer.submit(c.stream().apply(atlas), 0, NativeGpu.GL_BACK, width, height, ShaderCheck.UI_W,
                            ShaderCheck.UI_H, sigma, 120f, 40f);
                    ByteBuffer pixels = ByteBuffer.allocateDirect(width * height * 4);
                    renderer.readPixels(width, height, pixels);
                    byte[] rgba = new byte[pixels.capacity()];
                    pixels.get(rgba);
                    out.put(c.name() + " sigma " + Analyze.number(sigma), rgba);
                }
            }
        } finally {
            window.dispose();
        }
        return out;
    }
}
