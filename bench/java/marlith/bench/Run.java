package marlith.bench;

import java.io.IOException;
import java.lang.management.ManagementFactory;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardOpenOption;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Locale;

/**
 * What one contestant process is asked to do and how it reports: the target size, the list of
 * configurations, the round, the time budget per configuration, and where the CSV lines and the
 * pictures go. Parsed from the same options the C++ floor probe takes.
 */
final class Run {
    /** Frames drawn before timing starts: at least this many, and for at least WARMUP_SECONDS. */
    static final int WARMUP_FRAMES = 3;
    /** Long enough for the JIT to compile the per-frame Java code of every contestant. */
    static final double WARMUP_SECONDS = 0.5;
    static final int MIN_FRAMES = 5;
    static final int MAX_FRAMES = 240;
    /** The frame written as PNG, with and without the glass. */
    static final int PICTURE_FRAME = 90;

    /** One configuration: N rectangles, G glass panels, blur sigma in pixels. */
    record Config(int n, int g, float sigma) {
        String name(int width, int height) {
            return String.format(Locale.ROOT, "%dx%d-N%d-G%d-s%s", width, height, n, g, Analyze.number(sigma));
        }
    }

    int width = 1280, height = 720, round;
    double budget = 1.0;
    List<Config> configs = new ArrayList<>();
    Path out, png;

    static Run parse(String[] args, int from) {
        Run r = new Run();
        for (int i = from; i + 1 < args.length; i += 2) {
            String value = args[i + 1];
            switch (args[i]) {
                case "--size" -> {
                    String[] wh = value.split("x");
                    r.width = Integer.parseInt(wh[0]);
                    r.height = Integer.parseInt(wh[1]);
                }
                case "--configs" -> {
                    for (String c : value.split(",")) {
                        String[] p = c.split(":");
                        r.configs.add(new Config(Integer.parseInt(p[0]), Integer.parseInt(p[1]), Float.parseFloat(p[2])));
                    }
                }
                case "--round" -> r.round = Integer.parseInt(value);
                case "--budget" -> r.budget = Double.parseDouble(value);
                case "--out" -> r.out = Path.of(value);
                case "--png" -> r.png = Path.of(value);
                default -> throw new IllegalArgumentException("unknown option " + args[i]);
            }
        }
        if (r.configs.isEmpty()) throw new IllegalArgumentException("--configs is required");
        return r;
    }

    /** Process CPU time of all threads in milliseconds. */
    static double cpuMillis() {
        var os = (com.sun.management.OperatingSystemMXBean) ManagementFactory.getOperatingSystemMXBean();
        return os.getProcessCpuTime() / 1e6;
    }

    /**
     * Frame times of one configuration in milliseconds, and the process CPU time they took. The JVM
     * reads CPU time in whole clock ticks, so only its mean over all frames is reported.
     */
    static final class Times {
        final List<Double> wall = new ArrayList<>();
        private final double firstCpu = cpuMillis();
        private long lastWall = System.nanoTime();
        private double spent;

        /** Marks the end of a frame (after its fence). */
        void lap() {
            long now = System.nanoTime();
            wall.add((now - lastWall) / 1e6);
            spent += (now - lastWall) / 1e6;
            lastWall = now;
        }

        double cpuPerFrame() {
            return (cpuMillis() - firstCpu) / wall.size();
        }

        boolean done(double budgetSeconds) {
            return wall.size() >= MAX_FRAMES || (spent >= budgetSeconds * 1000 && wall.size() >= MIN_FRAMES);
        }
    }

    static double percentile(List<Double> values, double q) {
        double[] v = values.stream().mapToDouble(Double::doubleValue).toArray();
        Arrays.sort(v);
        int rank = (int) Math.ceil(q * v.length);
        return v[Math.min(v.length, Math.max(rank, 1)) - 1];
    }

    /** Appends the result line of one configuration: the same columns as the floor probe writes. */
    void report(String contestant, Config c, Times t) throws IOException {
        String line = String.format(Locale.ROOT, "%s,%d,%d,%d,%d,%s,%d,%.4f,%.4f,%d,%.4f,%.4f%n", contestant, width,
                height, c.n(), c.g(), Analyze.number(c.sigma()), round, percentile(t.wall, 0.5), percentile(t.wall, 0.95),
                t.wall.size(), t.cpuPerFrame(), percentile(t.wall, 0));
        if (out == null) {
            System.out.print(line);
            return;
        }
        Files.writeString(out, line, StandardCharsets.UTF_8, StandardOpenOption.CREATE, StandardOpenOption.APPEND);
    }

    /** Reports a configuration the contestant cannot draw (for example a blur beyond its limit). */
    void reportMissing(String contestant, Config c, String why) throws IOException {
        String line = String.format(Locale.ROOT, "%s,%d,%d,%d,%d,%s,%d,n/a,n/a,0,n/a,n/a,%s%n", contestant, width, height,
                c.n(), c.g(), Analyze.number(c.sigma()), round, why);
        if (out == null) {
            System.out.print(line);
            return;
        }
        Files.writeString(out, line, StandardCharsets.UTF_8, StandardOpenOption.CREATE, StandardOpenOption.APPEND);
    }

    Path picture(String contestant, Config c, String what) {
        return png.resolve(contestant + "-" + c.name(width, height) + "-" + what + ".png");
    }
}
