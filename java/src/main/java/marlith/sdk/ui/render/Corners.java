package marlith.sdk.ui.render;

/**
 * Corner radii and corner smoothing of a rounded rectangle, in the order top-left, top-right,
 * bottom-right, bottom-left. Radii are UI units; smoothing runs from 0 (circular arcs) to 1 (a
 * squircle whose curve starts further along the sides while its midpoint stays where the arc's
 * midpoint is). Immutable: make the ones a UI needs once and reuse them.
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

    /** The same circular radius at every corner. */
    public static Corners of(float radius) {
        return of(radius, radius, radius, radius);
    }

    /** Circular corners with one radius each. */
    public static Corners of(float topLeft, float topRight, float bottomRight, float bottomLeft) {
        return new Corners(topLeft, topRight, bottomRight, bottomLeft, 0, 0, 0, 0);
    }

    /** These radii with the same smoothing, 0 to 1, at every corner. */
    public Corners smoothing(float amount) {
        return smoothing(amount, amount, amount, amount);
    }

    /** These radii with one smoothing amount, 0 to 1, per corner. */
    public Corners smoothing(float topLeft, float topRight, float bottomRight, float bottomLeft) {
        return new Corners(this.topLeft, this.topRight, this.bottomRight, this.bottomLeft,
                topLeft, topRight, bottomRight, bottomLeft);
    }
}
