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
import java.util.function.Predicate;
import java.util.function.ToDoubleFunction;
import javax.imageio.ImageIO;

/**
 * Summary of a benchmark run: reads results.csv, stages.csv, micro.txt and the pictures of an output
 * folder and writes summary.md there (and to standard output): frame times, the ratios between
 * contestants, the cost of the glass and of the blur, the blur's accuracy, round-to-round spread,
 * the stages of the floor's and the limit's frame, and the goals, each reached or not.
 */
final class Analyze {
    static final String OURS = "ombrel", FLOOR = "floor", LIMIT = "limit", FX = "javafx", BOX = "java2d-box";
    static final String SOFTWARE = "software", AUTO = "auto";
    static final List<String> CONTESTANTS = List.of(OURS, FLOOR, LIMIT, FX, BOX, "java2d-gauss", SOFTWARE, AUTO);
    static final List<String> PEERS = List.of(FX, BOX, "java2d-gauss");
    /** Round medians further apart than this, relative to their median, are flagged. */
    static final double SPREAD_LIMIT = 0.15;
    /** A stage under this many ms for both the floor and the limit does not run in that frame. */
    static final double NO_STAGE = 0.05;
    /** The configuration most goals are set at. */
    static final Key HEADLINE = new Key(1280, 720, 200, 1, 16f);
    /** Where Java2D box ÷ ours is to reach 1; everywhere else 0.8. */
    static final List<Key> BOX_EVEN = List.of(new Key(1280, 720, 200, 1, 4f), HEADLINE, new Key(1280, 720, 200, 1, 32f),
            new Key(1280, 720, 200, 8, 16f), new Key(1280, 720, 0, 1, 16f));

    /** A configuration: target size, rectangles, glass panels, blur sigma. */
    record Key(int w, int h, int n, int g, float sigma) {
        String label() {
            return w + "x" + h + " N=" + n + " G=" + g + (g > 0 ? " σ=" + number(sigma) : "");
        }

        String file() {
            return String.format(Locale.ROOT, "%dx%d-N%d-G%d-s%s", w, h, n, g, number(sigma));
        }

        Key withSigma(float s) {
            return new Key(w, h, n, g, s);
        }

        /** The same scene without glass, whose blur strength does not matter. */
        Key withoutGlass() {
            return new Key(w, h, n, 0, 0f);
        }

        static Key parse(String[] f) {
            return new Key(Integer.parseInt(f[1]), Integer.parseInt(f[2]), Integer.parseInt(f[3]),
                    Integer.parseInt(f[4]), Float.parseFloat(f[5]));
        }
    }

    /** One result line. */
    record Row(String contestant, Key key, int round, double median, double p95, double cpu, String note) {}

    /** A column that divides one contestant's frame time by another's. */
    record Quotient(String label, String top, String bottom) {}

    /** One cell of a table: a column at a configuration. */
    interface Cell {
        String at(String column, Key k) throws IOException;
    }

    private final Path dir;
    private final Map<String, Map<Key, List<Row>>> rows = new LinkedHashMap<>();
    private final Set<Key> keys = new LinkedHashSet<>();
    /** Stage milliseconds by contestant, configuration and stage, one value per round. */
    private final Map<String, Map<Key, Map<String, List<Double>>>> stageMs = new LinkedHashMap<>();
    private final List<String> stageNames = new ArrayList<>();
    private final Set<Key> staged = new LinkedHashSet<>();
    private final List<String[]> goals = new ArrayList<>();
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
            Key key = Key.parse(f);
            keys.add(key);
            boolean missing = f[7].equals("n/a");
            Row row = new Row(f[0], key, Integer.parseInt(f[6]), missing ? Double.NaN : Double.parseDouble(f[7]),
                    missing ? Double.NaN : Double.parseDouble(f[8]), missing ? Double.NaN : Double.parseDouble(f[10]),
                    f.length > 12 ? f[12] : "");
            rows.computeIfAbsent(f[0], c -> new LinkedHashMap<>()).computeIfAbsent(key, k -> new ArrayList<>()).add(row);
        }
        Path file = dir.resolve("stages.csv");
        if (!Files.exists(file)) return;
        for (String line : Files.readAllLines(file)) {
            String[] f = line.split(",");
            if (f.length < 8) continue;
            Key key = Key.parse(f);
            staged.add(key);
            for (int i = 7; i < f.length; i++) {
                String[] nv = f[i].split("=");
                if (!stageNames.contains(nv[0])) stageNames.add(nv[0]);
                stageMs.computeIfAbsent(f[0], c -> new LinkedHashMap<>()).computeIfAbsent(key, k -> new LinkedHashMap<>())
                        .computeIfAbsent(nv[0], s -> new ArrayList<>()).add(Double.parseDouble(nv[1]));
            }
        }
    }

    // ---- statistics over rounds ----

    private double[] values(String contestant, Key key, ToDoubleFunction<Row> field) {
        return rows.getOrDefault(contestant, Map.of()).getOrDefault(key, List.of()).stream().mapToDouble(field)
                .filter(v -> !Double.isNaN(v)).toArray();
    }

    private static double median(double[] v) {
        double[] s = v.clone();
        Arrays.sort(s);
        int n = s.length;
        return n == 0 ? Double.NaN : n % 2 == 1 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2;
    }

    /** Median over the rounds of the per-round medians; NaN when the contestant has none. */
    double time(String contestant, Key key) {
        return median(values(contestant, key, Row::median));
    }

    /** (largest - smallest) / median of the round medians. */
    double spread(String contestant, Key key) {
        double[] v = values(contestant, key, Row::median);
        if (v.length < 2) return 0;
        return (Arrays.stream(v).max().getAsDouble() - Arrays.stream(v).min().getAsDouble()) / median(v);
    }

    String note(String contestant, Key key) {
        return rows.getOrDefault(contestant, Map.of()).getOrDefault(key, List.of()).stream().map(Row::note)
                .filter(n -> !n.isEmpty()).findFirst().orElse("");
    }

    /** Median over the rounds of a stage's mean time; NaN when it was not timed. */
    double stage(String contestant, Key key, String name) {
        List<Double> v = stageMs.getOrDefault(contestant, Map.of()).getOrDefault(key, Map.of()).getOrDefault(name, List.of());
        return median(v.stream().mapToDouble(Double::doubleValue).toArray());
    }

    /** The floor's stage (our shaders) over the limit's; NaN where the stage does not run. */
    double stageRatio(Key key, String name) {
        double ours = stage(FLOOR, key, name), limit = stage(LIMIT, key, name);
        return Math.max(ours, limit) < NO_STAGE ? Double.NaN : ours / limit;
    }

    double blurCost(String contestant, Key k) {
        return time(contestant, k) - time(contestant, k.withSigma(0f));
    }

    // ---- the summary ----

    private void write() throws IOException {
        section("Frame time", "Milliseconds per frame, fence to fence: median over the rounds of each round's median (p95 in",
                "parentheses). `~` marks a round-to-round spread above 15 %; n/a a configuration the contestant",
                "cannot draw.");
        table(CONTESTANTS, k -> true, (c, k) -> {
            double t = time(c, k);
            if (Double.isNaN(t)) return note(c, k).isEmpty() ? "–" : "n/a";
            return String.format(Locale.ROOT, "%s%.1f (%.1f)", spread(c, k) > SPREAD_LIMIT ? "~" : "", t,
                    median(values(c, k, Row::p95)));
        });
        ratios();
        section("CPU time", "Process CPU milliseconds per frame (all threads, mean over the timed frames, median over rounds).",
                "Less sensitive to other load on the machine than wall time; llvmpipe draws on two threads.");
        table(CONTESTANTS, k -> true, (c, k) -> ms(median(values(c, k, Row::cpu))));
        section("Glass cost", "Frame time with the glass panels minus the same frame without them (ms).");
        table(CONTESTANTS, k -> k.g() > 0 && keys.contains(k.withoutGlass()),
                (c, k) -> ms(time(c, k) - time(c, k.withoutGlass())));
        if (keys.stream().anyMatch(this::hasBlurCost)) {
            section("Blur cost", "Frame time at a blur strength minus the same frame at sigma 0 (ms): the downsample and the two",
                    "passes for ours, the floor and the limit, the blur of the panel region for the peers.");
            table(CONTESTANTS, this::hasBlurCost, (c, k) -> ms(blurCost(c, k)));
        }
        accuracy();
        spreadList();
        stages();
        micro();
        goals();
    }

    private boolean hasBlurCost(Key k) {
        return k.g() > 0 && k.sigma() > 0 && keys.contains(k.withSigma(0f));
    }

    private void ratios() throws IOException {
        section("Ratios", "Peer ÷ ours: how many times longer the peer's frame takes. Ours ÷ floor: the cost of the Java API,",
                "JNI, validation and the host-state guard over the same GL work issued directly. Ours ÷ limit: how",
                "far the whole frame is from the same GL work with minimal shaders; floor ÷ limit: the shaders' part.",
                "Software ÷ Java2D box: our records drawn by the software renderer against the hand-written Java2D frame.",
                "Auto ÷ faster: the auto session against the faster of ours (the GPU path) and Java2D box.");
        List<Quotient> quotients = new ArrayList<>();
        for (String p : PEERS) quotients.add(new Quotient(p + " ÷ ours", p, OURS));
        quotients.add(new Quotient("ours ÷ floor", OURS, FLOOR));
        quotients.add(new Quotient("ours ÷ limit", OURS, LIMIT));
        quotients.add(new Quotient("floor ÷ limit", FLOOR, LIMIT));
        quotients.add(new Quotient("software ÷ Java2D box", SOFTWARE, BOX));
        Map<String, ToDoubleFunction<Key>> byLabel = new LinkedHashMap<>();
        for (Quotient q : quotients) byLabel.put(q.label(), k -> time(q.top(), k) / time(q.bottom(), k));
        byLabel.put("auto ÷ faster", this::autoRatio);
        table(List.copyOf(byLabel.keySet()), k -> true, (label, k) -> ratio(byLabel.get(label).applyAsDouble(k)));
    }

    private void accuracy() throws IOException {
        if (!Files.isDirectory(dir.resolve("png"))) return;
        section("Blur accuracy", "Mean absolute difference of the glass panels' inside (RGB, % of full scale; largest difference in",
                "8-bit steps in parentheses) from an exact Gaussian of the same sigma, computed in double precision",
                "from the contestant's own frame without the glass. Frame 90 of the first round.");
        table(CONTESTANTS, k -> k.g() > 0, (c, k) -> {
            double[] e = error(c, k);
            return e == null ? "–" : String.format(Locale.ROOT, "%.2f %% (%d)", e[0], (int) e[1]);
        });
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
        section("Round-to-round spread above 15 %");
        line(flagged.isEmpty() ? "None." : String.join("; ", flagged) + ".");
        line("");
    }

    private void stages() {
        if (staged.isEmpty()) return;
        section("Where the frame goes", "The floor probe's frame with the GPU waited for after each stage (ms, mean of frames, median of",
                "rounds), with our shaders (floor) and with the minimal ones (limit); waiting adds a little to each",
                "stage. Ours ÷ limit is the floor's stage over the limit's, left out where the stage does not run.",
                "The copies and the downsample are the same blits in both, so their ratios show the noise of the",
                "measurement; the limit's blur reads as many texels as ours, but blurs exactly only up to about sigma 5.");
        List<String> columns = new ArrayList<>(List.of(""));
        columns.addAll(stageNames);
        header("configuration", columns);
        for (Key k : staged) {
            List<String> floor = new ArrayList<>(List.of(FLOOR)), limit = new ArrayList<>(List.of(LIMIT)),
                    ratios = new ArrayList<>(List.of("ours ÷ limit"));
            for (String s : stageNames) {
                floor.add(ms(stage(FLOOR, k, s)));
                limit.add(ms(stage(LIMIT, k, s)));
                ratios.add(ratio(stageRatio(k, s)));
            }
            row(k.label(), floor);
            row("", limit);
            row("", ratios);
        }
        line("");
    }

    private void micro() throws IOException {
        Path file = dir.resolve("micro.txt");
        if (!Files.exists(file)) return;
        section("submit micro-benchmark");
        line("```");
        for (String l : Files.readAllLines(file)) line(l);
        line("```");
        line("");
    }

    // ---- goals ----

    private void goals() throws IOException {
        for (Key k : BOX_EVEN) {
            goal("Java2D box ÷ ours ≥ 1.0 at " + k.label(), List.of(k), x -> time(BOX, x) / time(OURS, x), 1.0, false);
        }
        List<Key> rest = keys.stream().filter(k -> !BOX_EVEN.contains(k)).toList();
        goal("Java2D box ÷ ours ≥ 0.8 everywhere else", rest, x -> time(BOX, x) / time(OURS, x), 0.8, false);
        goal("JavaFX ÷ ours ≥ 5 at " + HEADLINE.label(), List.of(HEADLINE), x -> time(FX, x) / time(OURS, x), 5.0, false);
        goal("ours ÷ limit ≤ 1.3, every configuration's frame", List.copyOf(keys), x -> time(OURS, x) / time(LIMIT, x), 1.3, true);
        for (String s : stageNames) {
            goal("ours ÷ limit ≤ 1.5, stage " + s, List.copyOf(staged), x -> stageRatio(x, s), 1.5, true);
        }
        goal("ours ÷ floor ≤ 1.10 everywhere", List.copyOf(keys), x -> time(OURS, x) / time(FLOOR, x), 1.10, true);
        goal("software ÷ Java2D box ≤ 1.15 at " + HEADLINE.label(), List.of(HEADLINE),
                x -> time(SOFTWARE, x) / time(BOX, x), 1.15, true);
        goal("software ÷ Java2D box ≤ 1.3 everywhere else", keys.stream().filter(k -> !k.equals(HEADLINE)).toList(),
                x -> time(SOFTWARE, x) / time(BOX, x), 1.3, true);
        goal("auto ÷ faster of (ours, Java2D box) ≤ 1.1 everywhere", List.copyOf(keys), this::autoRatio, 1.1, true);
        double[] mine = error(OURS, HEADLINE), fx = error(FX, HEADLINE), box = error(BOX, HEADLINE);
        if (mine != null && fx != null && box != null) {
            goals.add(new String[] {"blur error at " + HEADLINE.label() + " no worse than JavaFX and Java2D box",
                    String.format(Locale.ROOT, "%.2f %% against %.2f %% and %.2f %%", mine[0], fx[0], box[0]),
                    mine[0] <= Math.min(fx[0], box[0]) ? "yes" : "no"});
        }
        Path micro = dir.resolve("micro.txt");
        if (Files.exists(micro)) {
            List<String> perSize = new ArrayList<>();
            boolean within = true;
            for (String l : Files.readAllLines(micro)) {
                if (!l.startsWith("wall, N = ")) continue;
                String r = l.substring(l.lastIndexOf('(') + 1, l.lastIndexOf(')'));
                perSize.add(l.substring(6, l.indexOf(':')) + ": " + r);
                within &= Double.parseDouble(r) <= 1.10;
            }
            goals.add(new String[] {"submit ÷ raw loop per record (wall) ≤ 1.10", String.join(", ", perSize),
                    perSize.isEmpty() ? "–" : within ? "yes" : "no"});
        }
        Key s4 = HEADLINE.withSigma(4f), s32 = HEADLINE.withSigma(32f);
        double cost = blurCost(OURS, s32) / blurCost(OURS, s4);
        if (!Double.isNaN(cost)) {
            double[] e32 = error(OURS, s32);
            goals.add(new String[] {"blur cost at σ=32 ≤ 3 × at σ=4, error at σ=32 ≤ 1 %",
                    String.format(Locale.ROOT, "%.2f ×, %s", cost, e32 == null ? "–" : String.format(Locale.ROOT, "%.2f %%", e32[0])),
                    cost <= 3 && (e32 == null || e32[0] <= 1) ? "yes" : "no"});
        }
        section("Goals", "Ours is ombrel-ui's frame, except in the stage goals, where it is the floor probe with our shaders.");
        line("| goal | figure | reached |");
        line("|---|---|---|");
        for (String[] g : goals) row(g[0], List.of(g[1], g[2]));
        line("");
    }

    /**
     * A goal that f reaches the bound (at least it, or with atMost at most it) at every configuration
     * of which; configurations without figures are left out. The figure is the worst value and, over
     * several configurations, where it was and where the goal was missed.
     */
    /** Auto's frame against the faster of the GPU path's and Java2D box's. */
    private double autoRatio(Key k) {
        return time(AUTO, k) / Math.min(time(OURS, k), time(BOX, k));
    }

    private void goal(String what, List<Key> which, ToDoubleFunction<Key> f, double bound, boolean atMost) {
        Key worst = null;
        double w = Double.NaN;
        List<String> missed = new ArrayList<>();
        int counted = 0;
        for (Key k : which) {
            double v = f.applyAsDouble(k);
            if (Double.isNaN(v)) continue;
            counted++;
            if (worst == null || (atMost ? v > w : v < w)) {
                worst = k;
                w = v;
            }
            if (atMost ? v > bound : v < bound) missed.add(k.label() + " " + ratio(v));
        }
        String figure;
        if (worst == null) {
            figure = "no figures";
        } else if (which.size() == 1) {
            figure = ratio(w);
        } else {
            figure = (atMost ? "largest " : "smallest ") + ratio(w) + " (" + worst.label() + ")"
                    + (missed.isEmpty() ? "" : "; missed in " + missed.size() + " of " + counted + ": " + String.join(", ", missed));
        }
        goals.add(new String[] {what, figure, worst == null ? "–" : missed.isEmpty() ? "yes" : "no"});
    }

    // ---- formatting ----

    /** A table with a row per configuration that passes which and a cell per column. */
    private void table(List<String> columns, Predicate<Key> which, Cell cell) throws IOException {
        header("configuration", columns);
        for (Key k : keys) {
            if (!which.test(k)) continue;
            List<String> cells = new ArrayList<>();
            for (String c : columns) cells.add(cell.at(c, k));
            row(k.label(), cells);
        }
        line("");
    }

    private void section(String title, String... intro) {
        line("## " + title);
        line("");
        for (String l : intro) line(l);
        if (intro.length > 0) line("");
    }

    private static String ratio(double v) {
        return Double.isNaN(v) ? "–" : String.format(Locale.ROOT, "%.2f", v);
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
