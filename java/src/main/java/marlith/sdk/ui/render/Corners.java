package marlith.sdk.ui.render;

import static marlith.sdk.ui.render.Checks.atLeastZero;
import static marlith.sdk.ui.render.Checks.range;

/**
 * Corner radii and corner smoothing of a rounded rectangle, in the order top-left, top-right,
 * bottom-right, bottom-left. Radii are UI units; smoothing runs from 0 (circular arcs) to 1 (a
 * squircle whose curve starts further along the sides while its midpoint stays where the arc's
 * midpoint is). Immutable: make the ones a UI needs once and reuse them. Radii must be finite
 * and 0 or more, smoothing 0 to 1; anything else raises {@link IllegalArgumentException} naming
 * the argument.
 */
public final class Corners {
    /** Square corners. */
    public static final Corners NONE = new Corners(0, 0, 0, 0, 0, 0, 0, 0);

    final float topLeft, topRight, bottomRight, bottomLeft;
    final float smoothTopLeft, smoothTopRight, smoothBottomRight, smoothBottomLeft;

    private Corners(float topLeft, float topRight, float bottomRight, float bottomLeft,
            float smoothTopLeft, float smoothTopRight, float smoothBottomRight, float smoothBottomLeft) {
        this.topLeft = topLeft;
        this.topRight = topRight;
        this.bottomRight = bottomRight;
        this.bottomLeft = bottomLeft;
        this.smoothTopLeft = smoothTopLeft;
        this.smoothTopRight = smoothTopRight;
        this.smoothBottomRight = smoothBottomRight;
        this.smoothBottomLeft = smoothBottomLeft;
    }

    /**
     * The same circular radius at every corner.
     *
     * @param radius radius in UI units, 0 or more
     * @return the corners
     * @throws IllegalArgumentException for a radius that is negative or not finite
     */
    public static Corners of(float radius) {
        return of(atLeastZero("radius", radius), radius, radius, radius);
    }

    /**
     * Circular corners with one radius each, in UI units, 0 or more.
     *
     * @param topLeft radius of the top-left corner
     * @param topRight radius of the top-right corner
     * @param bottomRight radius of the bottom-right corner
     * @param bottomLeft radius of the bottom-left corner
     * @return the corners
     * @throws IllegalArgumentException naming a radius that is negative or not finite
     */
    public static Corners of(float topLeft, float topRight, float bottomRight, float bottomLeft) {
        return new Corners(atLeastZero("topLeft", topLeft), atLeastZero("topRight", topRight),
                atLeastZero("bottomRight", bottomRight), atLeastZero("bottomLeft", bottomLeft), 0, 0, 0, 0);
    }

    /**
     * These radii with the same smoothing at every corner.
     *
     * @param amount 0 (circular arcs) to 1 (squircle)
     * @return the smoothed corners
     * @throws IllegalArgumentException for an amount outside 0 to 1
     */
    public Corners smoothing(float amount) {
        return smoothing(range("amount", amount, 0f, 1f), amount, amount, amount);
    }

    /**
     * These radii with one smoothing amount per corner, each 0 (circular arc) to 1 (squircle).
     *
     * @param topLeft smoothing of the top-left corner
     * @param topRight smoothing of the top-right corner
     * @param bottomRight smoothing of the bottom-right corner
     * @param bottomLeft smoothing of the bottom-left corner
     * @return the smoothed corners
     * @throws IllegalArgumentException naming an amount outside 0 to 1
     */
    public Corners smoothing(float topLeft, float topRight, float bottomRight, float bottomLeft) {
        return new Corners(this.topLeft, this.topRight, this.bottomRight, this.bottomLeft,
                range("topLeft", topLeft, 0f, 1f), range("topRight", topRight, 0f, 1f),
                range("bottomRight", bottomRight, 0f, 1f), range("bottomLeft", bottomLeft, 0f, 1f));
    }
}
