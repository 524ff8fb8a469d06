package marlith.sdk.ui.render.window;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.awt.image.BufferedImage;
import java.nio.ByteBuffer;
import java.nio.FloatBuffer;
import java.util.List;
import java.util.function.IntFunction;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.Corners;
import marlith.sdk.ui.render.Glass;
import marlith.sdk.ui.render.NativeGpu;
import marlith.sdk.ui.render.RenderPath;
import marlith.sdk.ui.render.RenderSession;
import org.junit.jupiter.api.Test;

/**
 * The software renderer draws the GPU's picture: each case is drawn by both paths over the same
 * background and compared over the bounds of its last record, as the mean absolute difference of
 * the colour channels. The goals are 1 % of full scale (3 % for soft shadows and glass), which the
 * benchmark's {@code Bench check --software} holds every record kind and option to; these cases
 * measure 0.11 % at most, and at 0.5 % a wrong frost, tint, bend or edge fails here. The record
 * must also have changed what lay under it on the GPU, so that two paths drawing nothing cannot
 * agree.
 */
class SoftwarePictureTest extends CanvasTest {
    static final int WIDTH = 240, HEIGHT = 160;
    // Two pixels per UI unit, so that the records' scaling is drawn alike too.
    static final float UI_WIDTH = 120f, UI_HEIGHT = 80f;

    static final double LIMIT = 0.005;

    /** A stream of records using the texture whose name it is given, drawn with a blur strength. */
    record Case(String name, float sigma, IntFunction<CommandBuffer> stream) {}

    static final List<Case> CASES = List.of(
            new Case("fill", 0f, tex -> new CommandBuffer()
                    .fill(10, 10, 60, 40, Corners.of(12).smoothing(0.6f), 0xC0E04020)),
            new Case("stroke", 0f, tex -> new CommandBuffer()
                    .stroke(20, 15, 70, 45, Corners.of(0, 6, 12, 3), 3f, CommandBuffer.STROKE_CENTRED, 0xFFFFFFFF)),
            new Case("clip", 0f, tex -> new CommandBuffer()
                    .pushClip(20, 15, 60, 40, Corners.of(14).smoothing(0.5f), 1.5f)
                    .fill(0, 0, UI_WIDTH, UI_HEIGHT, Corners.NONE, 0xFF8060C0).popClip()),
            new Case("text", 0f, tex -> new CommandBuffer()
                    .glyph(30, 20, 32, 32, tex, 0f, 0f, 1f, 1f, 0xFFFFF0A0)),
            new Case("image", 0f, tex -> new CommandBuffer()
                    .image(40, 15, 50, 40, tex, 0.25f, 0f, 1f, 1f, Corners.of(8), 0.9f)),
            new Case("soft shadow", 0f, tex -> new CommandBuffer()
                    .shadow(35, 20, 50, 30, Corners.of(8), 10f, 2f, 3f, 4f, false, 0xE0000000)),
            new Case("glass", 8f, tex -> new CommandBuffer()
                    .fill(25, 15, 40, 40, Corners.of(20), 0xFFFF4080).refreshBackdrop()
                    .glass(10, 25, 90, 40, Corners.of(12), Glass.DEFAULT.withBevel(10f, 12f, 0.2f))));

    SoftwarePictureTest() {
        super(WIDTH, HEIGHT);
    }

    @Test
    void softwareDrawsTheGpuPictureOfEachRecordKind() {
        try (RenderSession gpu = NativeGpu.open(window.canvas);
                RenderSession software = RenderSession.open(window.canvas, RenderPath.SOFTWARE)) {
            assertEquals(RenderPath.SOFTWARE, software.path());
            int gpuTexture = texture(gpu), softwareTexture = texture(software);
            for (Case c : CASES) {
                BufferedImage under = draw(gpu, new CommandBuffer(), 0f);
                CommandBuffer records = c.stream.apply(gpuTexture);
                BufferedImage expected = draw(gpu, records, c.sigma);
                BufferedImage actual = draw(software, c.stream.apply(softwareTexture), c.sigma);
                int[] box = lastBounds(records);
                double drawn = difference(under, expected, box), apart = difference(expected, actual, box);
                assertTrue(drawn > 0.02, c.name + ": the GPU drew too little to compare (" + drawn + ")");
                assertTrue(apart <= LIMIT, c.name + ": software differs from the GPU by " + 100 * apart + " %");
            }
        }
    }

    private static BufferedImage draw(RenderSession session, CommandBuffer records, float sigma) {
        session.background(WIDTH, HEIGHT, 1.5f, true, false, 0x203040, 0xFF8040);
        session.submit(records, 0, NativeGpu.GL_BACK, WIDTH, HEIGHT, UI_WIDTH, UI_HEIGHT, sigma, 60f, 30f);
        return session.readImage(WIDTH, HEIGHT);
    }

    // A 16 x 16 texture: a colour ramp, an opaque disc, a clear ring and a half-clear corner.
    private static int texture(RenderSession session) {
        ByteBuffer rgba = ByteBuffer.allocateDirect(16 * 16 * 4);
        for (int y = 0; y < 16; y++) {
            for (int x = 0; x < 16; x++) {
                int d2 = (2 * x - 15) * (2 * x - 15) + (2 * y - 15) * (2 * y - 15);
                rgba.put((byte) (x * 17)).put((byte) (y * 17)).put((byte) (d2 < 100 ? 255 : 64))
                        .put((byte) (d2 < 100 ? 255 : d2 < 196 ? 0 : 128));
            }
        }
        int texture = session.createTexture(16, 16);
        session.upload(texture, 0, 0, 16, 16, rgba.flip());
        return texture;
    }

    // The pixels [x0, x1) x [y0, y1) of the last drawing record's bounds, rows top first.
    private static int[] lastBounds(CommandBuffer records) {
        FloatBuffer b = records.buffer();
        for (int i = records.count() - 1; ; i--) {
            int at = i * CommandBuffer.RECORD_FLOATS, kind = (int) b.get(at);
            if (kind >= CommandBuffer.KIND_REFRESH && kind <= CommandBuffer.KIND_CLIP_POP) continue;
            float sx = WIDTH / UI_WIDTH, sy = HEIGHT / UI_HEIGHT;
            float x = b.get(at + CommandBuffer.SLOT_BOUNDS), y = b.get(at + CommandBuffer.SLOT_BOUNDS + 1);
            float w = b.get(at + CommandBuffer.SLOT_BOUNDS + 2), h = b.get(at + CommandBuffer.SLOT_BOUNDS + 3);
            return new int[] {Math.max((int) (x * sx), 0), Math.max((int) (y * sy), 0),
                Math.min((int) Math.ceil((x + w) * sx), WIDTH), Math.min((int) Math.ceil((y + h) * sy), HEIGHT)};
        }
    }

    // Mean absolute difference of the colour channels over the box, as a fraction of full scale.
    private static double difference(BufferedImage a, BufferedImage b, int[] box) {
        long sum = 0;
        for (int y = box[1]; y < box[3]; y++) {
            for (int x = box[0]; x < box[2]; x++) {
                int p = a.getRGB(x, y), q = b.getRGB(x, y);
                for (int shift = 0; shift < 24; shift += 8) sum += Math.abs((p >> shift & 0xFF) - (q >> shift & 0xFF));
            }
        }
        return sum / 255.0 / (3.0 * (box[2] - box[0]) * (box[3] - box[1]));
    }
}
