import java.nio.file.Files;
import java.nio.file.Path;
import marlith.sdk.ui.render.NativeGpu;

/**
 * Run as a single source file with only ombrel-ui.jar on the class path: the library must come
 * out of the jar and answer the protocol version. With the arguments READY GO it first creates the
 * file READY and then waits for the file GO, so that several JVMs load at the same moment.
 */
public class PackagedLoad {
    public static void main(String[] args) throws Exception {
        if (args.length == 2) {
            Files.createFile(Path.of(args[0]));
            long deadline = System.nanoTime() + 60_000_000_000L;
            while (!Files.exists(Path.of(args[1]))) {
                if (System.nanoTime() > deadline) throw new AssertionError("no start signal " + args[1]);
                Thread.sleep(1);
            }
        }
        String from = NativeGpu.load();
        int version = NativeGpu.protocolVersion();
        System.out.println("loaded from " + from + ", protocol version " + version);
        if (!from.equals("/native/linux-x86-64/libombrel-ui.so")) {
            throw new AssertionError("the library did not come from the jar: " + from);
        }
        if (version != 24164) throw new AssertionError("protocol version " + version + ", expected 24164");
    }
}
