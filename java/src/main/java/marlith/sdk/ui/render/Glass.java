package marlith.sdk.ui.render;

/**
 * The look of a glass panel: how it bends, frosts, tints and lights the backdrop behind it.
 * Immutable; every {@code with} method returns a changed copy, so a UI makes its styles once and
 * reuses them. Lengths are UI units, colours 0xAARRGGBB with straight (not premultiplied) alpha.
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

    /** Tint colour 0xRRGGBB mixed over the backdrop by {@code amount}, 0 (none) to 1 (opaque tint). */
    public Glass withTint(int rgb, float amount) {
        return new Glass(rgb & 0xFFFFFF, amount, opacity, refraction, dispersion, frost, bevel, saturation,
                highlight, shade, sheenRadius, rimWidth);
    }

    /** Opacity of the whole panel over what is drawn under it, 0 to 1; 0 draws nothing. */
    public Glass withOpacity(float opacity) {
        return new Glass(tint, tintAmount, opacity, refraction, dispersion, frost, bevel, saturation,
                highlight, shade, sheenRadius, rimWidth);
    }

    /**
     * The bevel along the rim: its width, how far (UI units) it shifts the backdrop at the very
     * rim (negative bends the other way), and the colour split of that shift, 0 to 1.
     */
    public Glass withBevel(float width, float refraction, float dispersion) {
        return new Glass(tint, tintAmount, opacity, refraction, dispersion, frost, width, saturation,
                highlight, shade, sheenRadius, rimWidth);
    }

    /** How much the flat face shows the blurred backdrop, 0 (clear) to 1 (fully frosted). */
    public Glass withFrost(float frost) {
        return new Glass(tint, tintAmount, opacity, refraction, dispersion, frost, bevel, saturation,
                highlight, shade, sheenRadius, rimWidth);
    }

    /** Saturation change of the backdrop: 0 unchanged, positive more vivid, -1 grey. */
    public Glass withSaturation(float boost) {
        return new Glass(tint, tintAmount, opacity, refraction, dispersion, frost, bevel, boost,
                highlight, shade, sheenRadius, rimWidth);
    }

    /**
     * Rim lighting: {@code highlight} along the rim facing the top left and around the pointer,
     * {@code shade} across the bevel on the far side; their alpha is their strength. The rim line
     * is {@code rimWidth} wide.
     */
    public Glass withLight(int highlight, int shade, float rimWidth) {
        return new Glass(tint, tintAmount, opacity, refraction, dispersion, frost, bevel, saturation,
                highlight, shade, sheenRadius, rimWidth);
    }

    /** Radius of the sheen that follows the pointer; 0 turns it off. */
    public Glass withSheen(float radius) {
        return new Glass(tint, tintAmount, opacity, refraction, dispersion, frost, bevel, saturation,
                highlight, shade, radius, rimWidth);
    }
}
