package marlith.sdk.ui.render;

/**
 * Argument checks of the public methods. Each message starts with the argument's name, so that a
 * caller sees which of a dozen floats was out of range.
 */
final class Checks {
    private Checks() {}

    static <T> T notNull(String name, T value) {
        if (value == null) throw new IllegalArgumentException(name + " is null");
        return value;
    }

    static float finite(String name, float value) {
        if (!Float.isFinite(value)) throw new IllegalArgumentException(name + " must be finite: " + value);
        return value;
    }

    /** A finite value from {@code min} to {@code max}, both included. */
    static float range(String name, float value, float min, float max) {
        if (!(value >= min && value <= max)) {
            throw new IllegalArgumentException(name + " must be " + min + " to " + max + ": " + value);
        }
        return value;
    }

    /** A finite value of 0 or more. */
    static float atLeastZero(String name, float value) {
        if (!(value >= 0f && value < Float.POSITIVE_INFINITY)) {
            throw new IllegalArgumentException(name + " must be finite and 0 or more: " + value);
        }
        return value;
    }

    /** A Canvas a renderer can draw on: in a window that was packed or shown. */
    static void displayable(java.awt.Canvas canvas) {
        if (!canvas.isDisplayable()) {
            throw new IllegalStateException("the Canvas is not displayable: add it to a window and pack or show the"
                    + " window before open");
        }
    }

    static int positive(String name, int value) {
        if (value <= 0) throw new IllegalArgumentException(name + " must be above 0: " + value);
        return value;
    }
}
