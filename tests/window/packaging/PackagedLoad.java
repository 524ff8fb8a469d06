import marlith.sdk.ui.render.NativeGpu;

/**
 * Run as a single source file with only ombrel-ui.jar on the class path: the library must come
 * out of the jar and answer the protocol version.
 */
public class PackagedLoad {
    public static void main(String[] args) {
        String from = NativeGpu.load();
        int version = NativeGpu.protocolVersion();
        System.out.println("loaded from " + from + ", protocol version " + version);
        if (!from.equals("/native/linux-x86-64/libombrel-ui.so")) {
            throw new AssertionError("the library did not come from the jar: " + from);
        }
        if (version != 24164) throw new AssertionError("protocol version " + version + ", expected 24164");
    }
}
