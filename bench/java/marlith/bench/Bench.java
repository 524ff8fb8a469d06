package marlith.bench;

import marlith.sdk.ui.render.RenderPath;

/**
 * Entry point of the Java side of the benchmark.
 *
 * <pre>
 *   Bench ombrel|software|auto|java2d-box|java2d-gauss|javafx --size WxH --configs N:G:SIGMA[,...] --round R
 *         [--budget SECONDS] [--out CSV] [--png DIR]
 *   Bench analyze OUTDIR
 *   Bench check OLD_SHADER_DIR NEW_SHADER_DIR [--tolerance STEPS]
 * </pre>
 */
public final class Bench {
    private Bench() {}

    public static void main(String[] args) throws Exception {
        if (args.length == 0) throw new IllegalArgumentException("usage: Bench CONTESTANT OPTIONS | analyze DIR");
        switch (args[0]) {
            case "analyze" -> Analyze.main(args[1]);
            case "check" -> System.exit(ShaderCheck.main(args));
            case "javafx" -> JavaFxBench.main(Run.parse(args, 1));
            case "ombrel" -> {
                Run run = Run.parse(args, 1);
                OmbrelFrames frames = new OmbrelFrames(run.width, run.height);
                Frames.drive("ombrel", frames, run);
                frames.close();
            }
            case "software", "auto" -> {
                Run run = Run.parse(args, 1);
                RenderPath path = args[0].equals("auto") ? RenderPath.AUTO : RenderPath.SOFTWARE;
                try (SessionFrames frames = new SessionFrames(run.width, run.height, path)) {
                    Frames.drive(args[0], frames, run);
                }
            }
            case "java2d-box", "java2d-gauss" -> {
                Run run = Run.parse(args, 1);
                Frames.drive(args[0], new Java2dFrames(run.width, run.height, args[0].equals("java2d-gauss")), run);
            }
            default -> throw new IllegalArgumentException("unknown contestant " + args[0]);
        }
        System.exit(0);
    }
}
