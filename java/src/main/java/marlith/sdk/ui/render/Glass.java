package marlith.sdk.ui.render;

import static marlith.sdk.ui.render.Checks.atLeastZero;
import static marlith.sdk.ui.render.Checks.finite;
import static marlith.sdk.ui.render.Checks.range;

/**
 * The look of a glass panel: how it bends, frosts, tints and lights the backdrop behind it.
 * Immutable; every {@code with} method returns a changed copy, so a UI makes its styles once and
 * reuses them. Lengths are UI units, colours 0xAARRGGBB with straight (not premultiplied) alpha.
 * A number that is not finite or outside its documented range raises {@link
 * IllegalArgumentException} naming the argument.
 */
public final class Glass {
    /** A clear, lightly frosted panel with a white rim light. */
    public static final Glass DEFAULT = new Glass(0xFFFFFF, 0.06f, 1f, 14f, 0.12f, 1f, 18f, 0.15f,
            0x8CFFFFFF, 0x38000000, 160f, 1.5f);

    final int tint;
    final float tintAmount, opacity, refraction, dispersion, frost, bevel, saturation;
    final int highlight, shade;
    final float sheenRadius, rimWidth;

    private Glass(int tint, float tintAmount, float opacity, float refraction, float dispersion, float frost,
            float bevel, float saturation, int highlight, int shade, float sheenRadius, float rimWidth) {
        this.tint = tint;
        this.tintAmount = tintAmount;
        this.opacity = opacity;
        this.refraction = refraction;
        this.dispersion = dispersion;
        this.frost = frost;
        this.bevel = bevel;
        this.saturation = saturation;
        this.highlight = highlight;
        this.shade = shade;
        this.sheenRadius = sheenRadius;
        this.rimWidth = rimWidth;
    }

    /**
     * A tint mixed over the backdrop.
     *
     * @param rgb tint colour 0xRRGGBB; the top byte is ignored
     * @param amount 0 (no tint) to 1 (the tint alone)
     * @return the changed style
     * @throws IllegalArgumentException for an amount outside 0 to 1
     */
    public Glass withTint(int rgb, float amount) {
        return new Glass(rgb & 0xFFFFFF, range("amount", amount, 0f, 1f), opacity, refraction, dispersion, frost, bevel, saturation,
                highlight, shade, sheenRadius, rimWidth);
    }

    /**
     * Opacity of the whole panel over what is drawn under it.
     *
     * @param opacity 0 to 1; 0 draws nothing
     * @return the changed style
     * @throws IllegalArgumentException for an opacity outside 0 to 1
     */
    public Glass withOpacity(float opacity) {
        return new Glass(tint, tintAmount, range("opacity", opacity, 0f, 1f), refraction, dispersion, frost, bevel, saturation,
                highlight, shade, sheenRadius, rimWidth);
    }

    /**
     * The bevel along the rim: its width, how far (UI units) it shifts the backdrop at the very
     * rim (negative bends the other way), and the colour split of that shift, 0 to 1.
     *
     * @param width bevel width in UI units, 0 or more
     * @param refraction shift of the backdrop at the rim in UI units; negative bends the other way
     * @param dispersion 0 to 1, how much more red and less blue is bent
     * @return the changed style
     * @throws IllegalArgumentException naming an argument that is not finite or out of range
     */
    public Glass withBevel(float width, float refraction, float dispersion) {
        atLeastZero("width", width);
        finite("refraction", refraction);
        range("dispersion", dispersion, 0f, 1f);
        return new Glass(tint, tintAmount, opacity, refraction, dispersion, frost, width, saturation,
                highlight, shade, sheenRadius, rimWidth);
    }

    /**
     * How much the flat face shows the blurred backdrop; the submit's sigma sets the blur.
     *
     * @param frost 0 (clear) to 1 (fully frosted)
     * @return the changed style
     * @throws IllegalArgumentException for a frost outside 0 to 1
     */
    public Glass withFrost(float frost) {
        return new Glass(tint, tintAmount, opacity, refraction, dispersion, range("frost", frost, 0f, 1f), bevel, saturation,
                highlight, shade, sheenRadius, rimWidth);
    }

    /**
     * Saturation change of the backdrop.
     *
     * @param boost 0 unchanged, positive more vivid, -1 grey; finite and -1 or more
     * @return the changed style
     * @throws IllegalArgumentException for a boost below -1 or not finite
     */
    public Glass withSaturation(float boost) {
        if (!(boost >= -1f && boost < Float.POSITIVE_INFINITY)) {
            throw new IllegalArgumentException("boost must be finite and -1 or more: " + boost);
        }
        return new Glass(tint, tintAmount, opacity, refraction, dispersion, frost, bevel, boost,
                highlight, shade, sheenRadius, rimWidth);
    }

    /**
     * Rim lighting: {@code highlight} along the rim facing the top left and around the pointer,
     * {@code shade} across the bevel on the far side; their alpha is their strength. The rim line
     * is {@code rimWidth} wide.
     *
     * @param highlight rim light and sheen colour 0xAARRGGBB, alpha the strength
     * @param shade bevel shade colour 0xAARRGGBB, alpha the strength
     * @param rimWidth width of the rim line in UI units, 0 or more; at least one pixel is drawn
     * @return the changed style
     * @throws IllegalArgumentException for a rim width below 0 or not finite
     */
    public Glass withLight(int highlight, int shade, float rimWidth) {
        return new Glass(tint, tintAmount, opacity, refraction, dispersion, frost, bevel, saturation,
                highlight, shade, sheenRadius, atLeastZero("rimWidth", rimWidth));
    }

    /**
     * The sheen that follows the pointer.
     *
     * @param radius its radius in UI units, 0 or more; 0 turns it off
     * @return the changed style
     * @throws IllegalArgumentException for a radius below 0 or not finite
     */
    public Glass withSheen(float radius) {
        return new Glass(tint, tintAmount, opacity, refraction, dispersion, frost, bevel, saturation,
                highlight, shade, atLeastZero("radius", radius), rimWidth);
    }
}
