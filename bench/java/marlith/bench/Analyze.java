package marlith.bench;

import java.awt.image.BufferedImage;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.LinkedHashMap;
import java.util.LinkedHashSet;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.Set;
import javax.imageio.ImageIO;

/**
 * Summary of a benchmark run: reads results.csv, stages.csv, micro.txt and the pictures of an output
 * folder and writes summary.md there (and to standard output): frame times, the ratios between
 * contestants, the cost of the glass and of the blur, the blur's accuracy, round-to-round spread
 * and the targets.
 */
final class Analyze {
    static final String OURS = "ombrel", FLOOR = "floor";
    static final List<String> CONTESTANTS = List.of(OURS, FLOOR, "javafx", "java2d-box", "java2d-gauss");
    static final List<String> PEERS = List.of("javafx", "java2d-box", "java2d-gauss");
    /** Round medians further apart than this, relative to their median, are flagged. */
    static final double SPREAD_LIMIT = 0.15;

    /** A configuration: target size, rectangles, glass panels, blur sigma. */
    record Key(int w, int h, int n, int g, float sigma) {
        String label() {
            return w + "x" + h + " N=" + n + " G=" + g + (g > 0 ? " σ=" + number(sigma) : "");
        }

        String file() {
            return String.format(Locale.ROOT, "%dx%d-N%d-G%d-s%s", w, h, n, g, number(sigma));
        }

        /** The same scene without glass, whose blur strength does not matter. */
        Key withoutGlass() {
            return new Key(w, h, n, 0, 0f);
        }
    }

    /** One result line. */
    record Row(String contestant, Key key, int round, double median, double p95, double cpu, String note) {}

    private final Path dir;
    private final Map<String, Map<Key, List<Row>>> rows = new LinkedHashMap<>();
    private final Set<Key> keys = new LinkedHashSet<>();
    private final StringBuilder out = new StringBuilder();

    private Analyze(Path dir) {
        this.dir = dir;
    }

    /** A float without a trailing ".0", the way the C++ probe prints it. */
    static String number(float v) {
        return v == (int) v ? Integer.toString((int) v) : Float.toString(v);
    }

    static void main(String folder) throws IOException {
        Analyze a = new Analyze(Path.of(folder));
        a.read();
        a.write();
        Files.writeString(a.dir.resolve("summary.md"), a.out, StandardCharsets.UTF_8);
        System.out.print(a.out);
    }

    private void read() throws IOException {
        for (String line : Files.readAllLines(dir.resolve("results.csv"))) {
            String[] f = line.split(",", -1);
            if (f.length < 12 || !CONTESTANTS.contains(f[0])) continue;
            Key key = new Key(Integer.parseInt(f[1]), Integer.parseInt(f[2]), Integer.parseInt(f[3]),
                    Integer.parseInt(f[4]), Float.parseFloat(f[5]));
            keys.add(key);
            boolean missing = f[7].equals("n/a");
            Row row = new Row(f[0], key, Integer.parseInt(f[6]), missing ? Double.NaN : Double.parseDouble(f[7]),
                    missing ? Double.NaN : Double.parseDouble(f[8]), missing ? Double.NaN : Double.parseDouble(f[10]),
                    f.length > 12 ? f[12] : "");
            rows.computeIfAbsent(f[0], c -> new LinkedHashMap<>()).computeIfAbsent(key, k -> new ArrayList<>()).add(row);
        }
    }

    // ---- statistics over rounds ----

    private List<Row> of(String contestant, Key key) {
        return rows.getOrDefault(contestant, Map.of()).getOrDefault(key, List.of());
    }

    private static double median(double[] v) {
        double[] s = v.clone();
        Arrays.sort(s);
        int n = s.length;
        return n == 0 ? Double.NaN : n % 2 == 1 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2;
    }

    /** Median over the rounds of the per-round medians; NaN when the contestant has none. */
    double time(String contestant, Key key) {
        return median(of(contestant, key).stream().filter(r -> !Double.isNaN(r.median())).mapToDouble(Row::median)
                .toArray());
    }

    double p95(String contestant, Key key) {
        return median(of(contestant, key).stream().filter(r -> !Double.isNaN(r.p95())).mapToDouble(Row::p95).toArray());
    }

    double cpu(String contestant, Key key) {
        return median(of(contestant, key).stream().filter(r -> !Double.isNaN(r.cpu())).mapToDouble(Row::cpu).toArray());
    }

    /** (largest - smallest) / median of the round medians. */
    double spread(String contestant, Key key) {
        double[] v = of(contestant, key).stream().filter(r -> !Double.isNaN(r.median())).mapToDouble(Row::median)
                .toArray();
        if (v.length < 2) return 0;
        return (Arrays.stream(v).max().getAsDouble() - Arrays.stream(v).min().getAsDouble()) / median(v);
    }

    String note(String contestant, Key key) {
        return of(contestant, key).stream().map(Row::note).filter(n -> !n.isEmpty()).findFirst().orElse("");
    }

    // ---- the summary ----

    private void write() throws IOException {
        line("## Frame time");
        line("");
        line("Milliseconds per frame, fence to fence: median over the rounds of each round's median (p95 in");
        line("parentheses). `~` marks a round-to-round spread above 15 %; n/a a configuration the contestant");
        line("cannot draw.");
        line("");
        header("configuration", CONTESTANTS);
        for (Key k : keys) {
            List<String> cells = new ArrayList<>();
            for (String c : CONTESTANTS) {
                double t = time(c, k);
                cells.add(Double.isNaN(t) ? (note(c, k).isEmpty() ? "–" : "n/a")
                        : String.format(Locale.ROOT, "%s%.1f (%.1f)", spread(c, k) > SPREAD_LIMIT ? "~" : "", t, p95(c, k)));
            }
            row(k.label(), cells);
        }
        line("");
        ratios();
        cpuTable();
        glassCost();
        blurCost();
        accuracy();
        spreadList();
        stages();
        micro();
        targets();
    }

    private void ratios() {
        line("## Ratios");
        line("");
        line("Peer ÷ ours: how many times longer the peer's frame takes. Ours ÷ floor: the cost of the Java API,");
        line("JNI, validation and the host-state guard over the same GL work issued directly.");
        line("");
        List<String> columns = new ArrayList<>();
        for (String p : PEERS) columns.add(p + " ÷ ours");
        columns.add("ours ÷ floor");
        header("configuration", columns);
        for (Key k : keys) {
            List<String> cells = new ArrayList<>();
            double ours = time(OURS, k);
            for (String p : PEERS) cells.add(ratio(time(p, k), ours));
            cells.add(ratio(ours, time(FLOOR, k)));
            row(k.label(), cells);
        }
        line("");
    }

    private void cpuTable() {
        line("## CPU time");
        line("");
        line("Process CPU milliseconds per frame (all threads, mean over the timed frames, median over rounds).");
        line("Less sensitive to other load on the machine than wall time; llvmpipe draws on two threads.");
        line("");
        header("configuration", CONTESTANTS);
        for (Key k : keys) {
            List<String> cells = new ArrayList<>();
            for (String c : CONTESTANTS) cells.add(ms(cpu(c, k)));
            row(k.label(), cells);
        }
        line("");
    }

    private void glassCost() {
        line("## Glass cost");
        line("");
        line("Frame time with the glass panels minus the same frame without them (ms).");
        line("");
        header("configuration", CONTESTANTS);
        for (Key k : keys) {
            if (k.g() == 0 || !keys.contains(k.withoutGlass())) continue;
            List<String> cells = new ArrayList<>();
            for (String c : CONTESTANTS) cells.add(ms(time(c, k) - time(c, k.withoutGlass())));
            row(k.label(), cells);
        }
        line("");
    }

    /** Blur cost: a glass frame at sigma minus the same frame at sigma 0 (no downsample, no passes). */
    private void blurCost() {
        List<Key> blurred = new ArrayList<>();
        for (Key k : keys) {
            if (k.g() > 0 && k.sigma() > 0 && keys.contains(new Key(k.w(), k.h(), k.n(), k.g(), 0f))) blurred.add(k);
        }
        if (blurred.isEmpty()) return;
        line("## Blur cost");
        line("");
        line("Frame time at a blur strength minus the same frame at sigma 0 (ms): the downsample and the two");
        line("passes for ours and the floor, the blur of the panel region for the peers.");
        line("");
        header("configuration", CONTESTANTS);
        for (Key k : blurred) {
            List<String> cells = new ArrayList<>();
            for (String c : CONTESTANTS) cells.add(ms(blurCost(c, k)));
            row(k.label(), cells);
        }
        line("");
    }

    double blurCost(String contestant, Key k) {
        return time(contestant, k) - time(contestant, new Key(k.w(), k.h(), k.n(), k.g(), 0f));
    }

    private void accuracy() throws IOException {
        Path png = dir.resolve("png");
        if (!Files.isDirectory(png)) return;
        line("## Blur accuracy");
        line("");
        line("Mean absolute difference of the glass panels' inside (RGB, % of full scale; largest difference in");
        line("8-bit steps in parentheses) from an exact Gaussian of the same sigma, computed in double precision");
        line("from the contestant's own frame without the glass. Frame 90 of the first round.");
        line("");
        header("configuration", CONTESTANTS);
        for (Key k : keys) {
            if (k.g() == 0) continue;
            List<String> cells = new ArrayList<>();
            for (String c : CONTESTANTS) {
                double[] e = error(c, k);
                cells.add(e == null ? "–" : String.format(Locale.ROOT, "%.2f %% (%d)", e[0], (int) e[1]));
            }
            row(k.label(), cells);
        }
        line("");
        line("Ours against the floor, whole frame: "
                + keys.stream().filter(k -> k.g() > 0).map(this::sameAsFloor).filter(s -> !s.isEmpty())
                        .reduce((x, y) -> x + "; " + y).orElse("no pictures") + ".");
        line("");
    }

    private BufferedImage picture(String contestant, Key k, String what) throws IOException {
        Path p = dir.resolve("png").resolve(contestant + "-" + k.file() + "-" + what + ".png");
        return Files.exists(p) ? ImageIO.read(p.toFile()) : null;
    }

    /** Mean (% of 255) and largest absolute error of the glass inside, or null without pictures. */
    double[] error(String contestant, Key k) throws IOException {
        BufferedImage before = picture(contestant, k, "before"), after = picture(contestant, k, "final");
        if (before == null || after == null) return null;
        float scale = k.w() / Scene.UI_WIDTH;
        double sum = 0, worst = 0;
        long count = 0;
        for (Scene.Rect p : Scene.panels(k.g())) {
            int inset = (int) Math.ceil(p.radius() * scale) + 2;
            int x0 = (int) Math.ceil(p.x() * scale) + inset, x1 = (int) Math.floor((p.x() + p.w()) * scale) - inset;
            int y0 = (int) Math.ceil(p.y() * scale) + inset, y1 = (int) Math.floor((p.y() + p.h()) * scale) - inset;
            double[][] exact = Gaussian.blur(before, k.sigma(), x0, y0, x1, y1);
            for (int y = y0; y < y1; y++) {
                for (int x = x0; x < x1; x++) {
                    int rgb = after.getRGB(x, y);
                    for (int ch = 0; ch < 3; ch++) {
                        double d = Math.abs(((rgb >> (16 - 8 * ch)) & 255) - exact[ch][(y - y0) * (x1 - x0) + x - x0]);
                        sum += d;
                        worst = Math.max(worst, d);
                        count++;
                    }
                }
            }
        }
        return new double[] {100 * sum / count / 255, Math.round(worst)};
    }

    private String sameAsFloor(Key k) {
        try {
            BufferedImage a = picture(OURS, k, "final"), b = picture(FLOOR, k, "final");
            if (a == null || b == null) return "";
            int worst = 0;
            for (int y = 0; y < a.getHeight(); y++) {
                for (int x = 0; x < a.getWidth(); x++) {
                    int p = a.getRGB(x, y), q = b.getRGB(x, y);
                    for (int s = 0; s < 24; s += 8) worst = Math.max(worst, Math.abs(((p >> s) & 255) - ((q >> s) & 255)));
                }
            }
            return k.label() + " largest difference " + worst;
        } catch (IOException e) {
            return k.label() + " unreadable: " + e.getMessage();
        }
    }

    private void spreadList() {
        List<String> flagged = new ArrayList<>();
        for (Key k : keys) {
            for (String c : CONTESTANTS) {
                double s = spread(c, k);
                if (s > SPREAD_LIMIT) flagged.add(String.format(Locale.ROOT, "%s %s (%.0f %%)", c, k.label(), 100 * s));
            }
        }
        line("## Round-to-round spread above 15 %");
        line("");
        line(flagged.isEmpty() ? "None." : String.join("; ", flagged) + ".");
        line("");
    }

    private void stages() throws IOException {
        Path file = dir.resolve("stages.csv");
        if (!Files.exists(file)) return;
        Map<String, Map<String, List<Double>>> byConfig = new LinkedHashMap<>();
        List<String> names = new ArrayList<>();
        for (String line : Files.readAllLines(file)) {
            String[] f = line.split(",");
            if (f.length < 8) continue;
            Key k = new Key(Integer.parseInt(f[1]), Integer.parseInt(f[2]), Integer.parseInt(f[3]),
                    Integer.parseInt(f[4]), Float.parseFloat(f[5]));
            for (int i = 7; i < f.length; i++) {
                String[] nv = f[i].split("=");
                if (!names.contains(nv[0])) names.add(nv[0]);
                byConfig.computeIfAbsent(k.label(), x -> new LinkedHashMap<>())
                        .computeIfAbsent(nv[0], x -> new ArrayList<>()).add(Double.parseDouble(nv[1]));
            }
        }
        line("## Where the floor's frame goes");
        line("");
        line("The floor probe's frame with the GPU waited for after each stage (ms, mean of frames, median of");
        line("rounds); waiting adds a little to each stage.");
        line("");
        header("configuration", names);
        for (Map.Entry<String, Map<String, List<Double>>> e : byConfig.entrySet()) {
            List<String> cells = new ArrayList<>();
            for (String n : names) {
                List<Double> v = e.getValue().getOrDefault(n, List.of());
                cells.add(ms(median(v.stream().mapToDouble(Double::doubleValue).toArray())));
            }
            row(e.getKey(), cells);
        }
        line("");
    }

    private void micro() throws IOException {
        Path file = dir.resolve("micro.txt");
        if (!Files.exists(file)) return;
        line("## submit micro-benchmark");
        line("");
        line("```");
        for (String l : Files.readAllLines(file)) line(l);
        line("```");
        line("");
    }

    private void targets() throws IOException {
        Key headline = new Key(1280, 720, 200, 1, 16f);
        if (!keys.contains(headline)) return;
        line("## Targets");
        line("");
        double ours = time(OURS, headline);
        line(String.format(Locale.ROOT, "- Glass frame 1280x720 N=200 G=1 σ=16: JavaFX ÷ ours %s (target ≥ 5), "
                + "Java2D box ÷ ours %s (target ≥ 1).", ratio(time("javafx", headline), ours),
                ratio(time("java2d-box", headline), ours)));
        double[] mine = error(OURS, headline), fx = error("javafx", headline), box = error("java2d-box", headline);
        if (mine != null) {
            line(String.format(Locale.ROOT, "- Blur error there: ours %.2f %%, JavaFX %s, Java2D box %s (target: ours no worse).",
                    mine[0], fx == null ? "–" : String.format(Locale.ROOT, "%.2f %%", fx[0]),
                    box == null ? "–" : String.format(Locale.ROOT, "%.2f %%", box[0])));
        }
        double worst = 0;
        String where = "";
        for (Key k : keys) {
            double r = time(OURS, k) / time(FLOOR, k);
            if (r > worst) {
                worst = r;
                where = k.label();
            }
        }
        line(String.format(Locale.ROOT, "- Ours ÷ floor at most %.2f (%s; target ≤ 1.10).", worst, where));
        Path micro = dir.resolve("micro.txt");
        if (Files.exists(micro)) {
            List<String> perSize = new ArrayList<>();
            for (String l : Files.readAllLines(micro)) {
                if (l.startsWith("wall, N = ")) perSize.add(l.substring(6, l.indexOf(':')) + " " + l.substring(l.lastIndexOf('(')));
            }
            line("- submit ÷ raw loop per record (wall): " + String.join(", ", perSize) + " (target ≤ 1.10).");
        }
        Key s4 = new Key(1280, 720, 200, 1, 4f), s32 = new Key(1280, 720, 200, 1, 32f);
        if (keys.contains(s4) && keys.contains(s32)) {
            double[] e32 = error(OURS, s32);
            line(String.format(Locale.ROOT, "- Blur cost at σ=32 ÷ at σ=4: %.2f (target ≤ 3); error at σ=32 %s (target ≤ 1 %%).",
                    blurCost(OURS, s32) / blurCost(OURS, s4),
                    e32 == null ? "–" : String.format(Locale.ROOT, "%.2f %%", e32[0])));
        }
        line("");
    }

    // ---- formatting ----

    private static String ratio(double a, double b) {
        return Double.isNaN(a) || Double.isNaN(b) ? "–" : String.format(Locale.ROOT, "%.2f", a / b);
    }

    private static String ms(double v) {
        return Double.isNaN(v) ? "–" : String.format(Locale.ROOT, "%.1f", v);
    }

    private void header(String first, List<String> columns) {
        line("| " + first + " | " + String.join(" | ", columns) + " |");
        line("|---" + "|---:".repeat(columns.size()) + "|");
    }

    private void row(String first, List<String> cells) {
        line("| " + first + " | " + String.join(" | ", cells) + " |");
    }

    private void line(String text) {
        out.append(text).append('\n');
    }
}
