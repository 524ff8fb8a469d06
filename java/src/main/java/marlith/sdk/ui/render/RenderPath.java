package marlith.sdk.ui.render;

import java.util.Locale;

/**
 * Which renderer a {@link RenderSession} draws with. A program written against the session runs
 * unchanged on either.
 */
public enum RenderPath {
    /** The GPU where it opens and is the faster; else the software renderer. */
    AUTO,
    /** The native OpenGL 3.3 renderer. */
    GPU,
    /** The Java2D renderer: the same records, textures and background, drawn on the CPU. */
    SOFTWARE;

    /** System property that picks the path when a program does not: {@code auto}, {@code gpu} or {@code software}. */
    public static final String PROPERTY = "ombrel.renderer";

    /**
     * The path the system property {@value #PROPERTY} names, {@link #AUTO} when it is not set.
     *
     * @return the configured path
     * @throws IllegalArgumentException when the property holds anything else
     */
    public static RenderPath configured() {
        String value = System.getProperty(PROPERTY);
        if (value == null) return AUTO;
        for (RenderPath path : values()) {
            if (path.name().toLowerCase(Locale.ROOT).equals(value.trim().toLowerCase(Locale.ROOT))) return path;
        }
        throw new IllegalArgumentException(PROPERTY + " must be auto, gpu or software: \"" + value + "\"");
    }
}
