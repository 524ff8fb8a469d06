package marlith.bench;

/** Summary of a benchmark run. */
final class Analyze {
    private Analyze() {}

    /** A float without a trailing ".0", the way the C++ probe prints it. */
    static String number(float v) {
        return v == (int) v ? Integer.toString((int) v) : Float.toString(v);
    }

    static void main(String dir) {
        System.out.println(dir);
    }
}
