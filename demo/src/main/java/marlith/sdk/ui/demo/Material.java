package marlith.sdk.ui.demo;

/**
 * How a glass panel of the scene looks, in terms both painters can render: the GPU painter hands
 * every field to the glass shader, Java2D approximates it with a blurred backdrop, a tint and rim
 * light. Lengths are UI units, colours 0xAARRGGBB (alpha = strength for the lights).
 *
 * @param tint colour 0xRRGGBB mixed over the backdrop by {@code tintAmount}
 * @param frost 0 clear to 1 fully blurred face
 * @param bevel width of the rounded bevel along the rim
 * @param refraction how far the bevel bends the backdrop at the rim
 * @param dispersion colour split of that bend, 0 to 1
 * @param saturation saturation change of the backdrop, 0 unchanged
 * @param highlight rim light and pointer sheen
 * @param shade shade across the bevel on the far side
 * @param sheen radius of the sheen around the pointer
 */
public record Material(int tint, float tintAmount, float frost, float bevel, float refraction, float dispersion,
        float saturation, int highlight, int shade, float sheen) {}
