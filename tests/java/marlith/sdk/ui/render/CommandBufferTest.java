package marlith.sdk.ui.render;

import static marlith.sdk.ui.render.CommandBuffer.*;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.awt.Canvas;
import java.awt.Font;
import java.awt.image.BufferedImage;
import java.io.IOException;
import java.lang.reflect.Field;
import java.lang.reflect.Modifier;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Map;
import java.util.TreeMap;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.function.Executable;

class CommandBufferTest {
    private static final Corners CORNERS = Corners.of(1, 2, 3, 4).smoothing(0.1f, 0.2f, 0.3f, 0.4f);

    private static float[] record(CommandBuffer commands, int index) {
        float[] slots = new float[RECORD_FLOATS];
        commands.buffer().get(index * RECORD_FLOATS, slots);
        return slots;
    }

    private static void assertSlots(float[] record, int first, float... expected) {
        for (int i = 0; i < expected.length; i++) {
            assertEquals(expected[i], record[first + i], 1e-6f, "slot " + (first + i));
        }
    }

    @Test
    void shapesWriteGeometryColourAndCornersIntoTheirSlots() {
        CommandBuffer commands = new CommandBuffer();
        commands.fill(10, 20, 30, 40, CORNERS, 0x80FF4000);
        commands.stroke(10, 20, 30, 40, CORNERS, 3, STROKE_OUTSIDE, 0xFF0000FF);

        float[] fill = record(commands, 0);
        assertSlots(fill, SLOT_KIND, KIND_FILL, 10, 20, 30, 40);
        assertSlots(fill, SLOT_INK, 1, 64 / 255f, 0, 128 / 255f);
        assertSlots(fill, SLOT_CORNER_RADII, 1, 2, 3, 4, 0.1f, 0.2f, 0.3f, 0.4f);
        assertSlots(fill, SLOT_BOUNDS, 10 - EDGE, 20 - EDGE, 30 + 2 * EDGE, 40 + 2 * EDGE);

        float[] stroke = record(commands, 1);
        assertSlots(stroke, SLOT_KIND, KIND_STROKE);
        assertSlots(stroke, SLOT_INK, 0, 0, 1, 1);
        assertSlots(stroke, SLOT_EXTRA, 3, STROKE_OUTSIDE);
        float out = EDGE + 3;
        assertSlots(stroke, SLOT_BOUNDS, 10 - out, 20 - out, 30 + 2 * out, 40 + 2 * out);
    }

    @Test
    void shadowBoundsCoverOffsetSpreadAndBlur() {
        CommandBuffer commands = new CommandBuffer();
        commands.shadow(100, 50, 80, 60, CORNERS, 8, 3, 5, -4, true, 0x40000000);
        commands.shadow(100, 50, 80, 60, CORNERS, 8, -6, 0, 0, false, 0x40000000);

        float[] grown = record(commands, 0);
        assertSlots(grown, SLOT_KIND, KIND_SHADOW, 100, 50, 80, 60, 8);
        assertSlots(grown, SLOT_EXTRA, 5, -4, 1);
        assertEquals(3, grown[SLOT_SPREAD]);
        assertEquals(1, grown[SLOT_DITHER]);
        float out = EDGE + 3 + 1.5f * 8;
        assertSlots(grown, SLOT_BOUNDS, 105 - out, 46 - out, 80 + 2 * out, 60 + 2 * out);

        // A negative spread shrinks the shadow, never the room for its blur.
        float[] shrunk = record(commands, 1);
        assertEquals(0, shrunk[SLOT_EXTRA + 2]);
        out = EDGE + 1.5f * 8;
        assertSlots(shrunk, SLOT_BOUNDS, 100 - out, 50 - out, 80 + 2 * out, 60 + 2 * out);
    }

    @Test
    void glassStyleReachesTheSlotsTheGlassShaderReads() {
        Glass style = Glass.DEFAULT.withTint(0x336699, 0.25f).withOpacity(0.75f).withBevel(11, 13, 0.3f)
                .withFrost(0.6f).withSaturation(0.4f).withLight(0xCCFFEEDD, 0x33112233, 2.5f).withSheen(90);
        CommandBuffer commands = new CommandBuffer();
        commands.glass(5, 6, 70, 80, CORNERS, style);

        float[] glass = record(commands, 0);
        assertSlots(glass, SLOT_KIND, KIND_GLASS, 5, 6, 70, 80, 11);
        assertSlots(glass, SLOT_INK, 0.2f, 0.4f, 0.6f, 0.75f);
        assertSlots(glass, SLOT_EXTRA, 90, 2.5f, 0);
        assertSlots(glass, SLOT_FROST, 0.6f, 13, 0.4f, 0.25f, 0.3f);
        assertSlots(glass, SLOT_CORNER_RADII, 1, 2, 3, 4, 0.1f, 0.2f, 0.3f, 0.4f);
        assertSlots(glass, SLOT_HIGHLIGHT, 1, 0xEE / 255f, 0xDD / 255f, 0xCC / 255f);
        assertSlots(glass, SLOT_SHADE, 0x11 / 255f, 0x22 / 255f, 0x33 / 255f, 0x33 / 255f);
        assertSlots(glass, SLOT_SPREAD, 0, 1);
        assertSlots(glass, SLOT_BOUNDS, 5 - EDGE, 6 - EDGE, 70 + 2 * EDGE, 80 + 2 * EDGE);
    }

    @Test
    void textureNamesKeepTheirExactBits() {
        int[] names = {1, 5, 0x12345, Integer.MAX_VALUE, 0xFFFFFFFE, 0x7FC00001, 0x7F800001};
        CommandBuffer commands = new CommandBuffer();
        for (int name : names) commands.glyph(1, 2, 3, 4, name, 0.1f, 0.2f, 0.3f, 0.4f, 0xFFFFFFFF);
        for (int i = 0; i < names.length; i++) {
            float slot = commands.buffer().get(i * RECORD_FLOATS + SLOT_TEXTURE);
            assertEquals(names[i], Float.floatToRawIntBits(slot), "texture name " + Integer.toHexString(names[i]));
        }
    }

    @Test
    void glyphsAndImagesSampleTheirRegionOverExactlyTheirQuad() {
        CommandBuffer commands = new CommandBuffer();
        commands.glyph(12, 14, 8, 9, 7, 0.25f, 0.5f, 0.375f, 0.75f, 0xFF102030);
        commands.image(40, 50, 64, 32, 9, 0, 0, 1, 1, Corners.of(6), 0.5f);

        float[] glyph = record(commands, 0);
        assertSlots(glyph, SLOT_KIND, KIND_TEXT, 12, 14, 8, 9);
        assertSlots(glyph, SLOT_INK, 0x10 / 255f, 0x20 / 255f, 0x30 / 255f, 1);
        assertSlots(glyph, SLOT_EXTRA, 0);
        assertSlots(glyph, SLOT_TEX_RECT, 0.25f, 0.5f, 0.375f, 0.75f);
        assertSlots(glyph, SLOT_BOUNDS, 12, 14, 8, 9);

        float[] image = record(commands, 1);
        assertSlots(image, SLOT_INK, 1, 1, 1, 0.5f);
        assertSlots(image, SLOT_EXTRA, 1);
        assertSlots(image, SLOT_CORNER_RADII, 6, 6, 6, 6);
        assertEquals(9, Float.floatToRawIntBits(image[SLOT_TEXTURE]));
        assertSlots(image, SLOT_BOUNDS, 40, 50, 64, 32);
    }

    @Test
    void growingKeepsEveryRecordInADirectNativeOrderBuffer() {
        CommandBuffer commands = new CommandBuffer(1);
        for (int i = 0; i < 300; i++) {
            commands.fill(i, 2 * i, 5, 5, Corners.NONE, 0xFF000000 | i);
            if (i % 50 == 0) commands.refreshBackdrop();
        }
        FloatBuffer buffer = commands.buffer();
        assertEquals(306, commands.count());
        assertTrue(buffer.isDirect());
        assertEquals(ByteOrder.nativeOrder(), buffer.order());
        assertTrue(buffer.capacity() >= 306 * RECORD_FLOATS);
        int index = 0;
        for (int i = 0; i < 300; i++) {
            float[] fill = record(commands, index++);
            assertSlots(fill, SLOT_KIND, KIND_FILL, i, 2 * i);
            assertEquals((i & 0xFF) / 255f, fill[SLOT_INK + 2], 1e-6f);
            if (i % 50 == 0) assertEquals(KIND_REFRESH, record(commands, index++)[SLOT_KIND]);
        }
    }

    @Test
    void openClipsNarrowTheBoundsAndDropWhatTheyHide() {
        CommandBuffer commands = new CommandBuffer();
        commands.pushClip(100, 100, 50, 50, CORNERS, 4);
        commands.pushClip(120, 0, 500, 500, Corners.NONE);
        commands.fill(0, 0, 1000, 1000, Corners.NONE, 0xFFFFFFFF);
        commands.fill(300, 300, 10, 10, Corners.NONE, 0xFFFFFFFF); // outside both clips
        commands.popClip();
        commands.fill(0, 0, 1000, 1000, Corners.NONE, 0xFFFFFFFF);
        commands.popClip();
        commands.fill(0, 0, 1000, 1000, Corners.NONE, 0xFFFFFFFF);

        assertEquals(7, commands.count());
        float[] push = record(commands, 0);
        assertSlots(push, SLOT_KIND, KIND_CLIP_PUSH, 100, 100, 50, 50);
        assertSlots(push, SLOT_CORNER_RADII, 1, 2, 3, 4, 0.1f, 0.2f, 0.3f, 0.4f);
        assertEquals(4, push[SLOT_FEATHER]);
        assertEquals(0, push[SLOT_SPREAD]);
        float out = EDGE + 4;
        assertSlots(record(commands, 2), SLOT_BOUNDS, 120 - EDGE, 100 - out, 150 + out - (120 - EDGE), 50 + 2 * out);
        assertEquals(KIND_CLIP_POP, record(commands, 3)[SLOT_KIND]);
        assertSlots(record(commands, 4), SLOT_BOUNDS, 100 - out, 100 - out, 50 + 2 * out, 50 + 2 * out);
        assertEquals(KIND_CLIP_POP, record(commands, 5)[SLOT_KIND]);
        assertSlots(record(commands, 6), SLOT_BOUNDS, -EDGE, -EDGE, 1000 + 2 * EDGE, 1000 + 2 * EDGE);
    }

    @Test
    void clipsMustBalanceBeforeSubmit() {
        CommandBuffer commands = new CommandBuffer();
        assertThrows(IllegalStateException.class, commands::popClip);
        for (int i = 0; i < MAX_CLIP_DEPTH; i++) commands.pushClip(0, 0, 10, 10, Corners.NONE);
        assertThrows(IllegalStateException.class, () -> commands.pushClip(0, 0, 10, 10, Corners.NONE));
        assertEquals(MAX_CLIP_DEPTH, commands.count());
        assertThrows(IllegalStateException.class, () -> commands.submit(0, 0x0405, 100, 100, 100, 100, 0, 0, 0));

        commands.clear();
        assertEquals(0, commands.count());
        assertThrows(IllegalStateException.class, commands::popClip);
    }

    // Every row is refused before any native call, so the library need not be loaded: an
    // argument check raises IllegalArgumentException with a message that starts with the
    // argument's name.
    @Test
    void misuseIsRefusedNamingTheArgument() {
        CommandBuffer commands = new CommandBuffer().fill(0, 0, 10, 10, Corners.NONE, 0xFFFFFFFF);
        GlyphAtlas atlas = new GlyphAtlas(new Font(Font.SANS_SERIF, Font.PLAIN, 12));
        float nan = Float.NaN, inf = Float.POSITIVE_INFINITY;
        Object[][] cases = {
            {"sigma", submit(commands, 100, 100, 100f, 100f, 32.5f)},
            {"sigma", submit(commands, 100, 100, 100f, 100f, -1f)},
            {"sigma", submit(commands, 100, 100, 100f, 100f, nan)},
            {"width", submit(commands, 0, 100, 100f, 100f, 0f)},
            {"height", submit(commands, 100, -5, 100f, 100f, 0f)},
            {"uiWidth", submit(commands, 100, 100, 0f, 100f, 0f)},
            {"uiWidth", submit(commands, 100, 100, nan, 100f, 0f)},
            {"uiHeight", submit(commands, 100, 100, 100f, inf, 0f)},
            {"uiHeight", submit(commands, 100, 100, 100f, -1f, 0f)},
            {"initialRecords", (Executable) () -> new CommandBuffer(1 << 24)},
            {"initialRecords", (Executable) () -> new CommandBuffer(Integer.MAX_VALUE)},
            {"initialRecords", (Executable) () -> new CommandBuffer(-1)},
            {"x", (Executable) () -> commands.text(atlas, nan, 20, "a", 0xFFFFFFFF)},
            {"baseline", (Executable) () -> commands.text(atlas, 0, inf, "a", 0xFFFFFFFF)},
            {"atlas", (Executable) () -> commands.text(null, 0, 20, "a", 0xFFFFFFFF)},
            {"text", (Executable) () -> commands.text(atlas, 0, 20, null, 0xFFFFFFFF)},
            {"w", (Executable) () -> commands.fill(0, 0, nan, 10, Corners.NONE, 0xFFFFFFFF)},
            {"corners", (Executable) () -> commands.fill(0, 0, 10, 10, null, 0xFFFFFFFF)},
            {"style", (Executable) () -> commands.glass(0, 0, 10, 10, Corners.NONE, null)},
            {"alignment", (Executable) () -> commands.stroke(0, 0, 10, 10, Corners.NONE, 1, 7, 0xFFFFFFFF)},
            {"width", (Executable) () -> commands.stroke(0, 0, 10, 10, Corners.NONE, nan, 0, 0xFFFFFFFF)},
            {"blur", (Executable) () -> commands.shadow(0, 0, 10, 10, Corners.NONE, -1, 0, 0, 0, false, 0xFF000000)},
            {"dy", (Executable) () -> commands.shadow(0, 0, 10, 10, Corners.NONE, 4, 0, 0, inf, false, 0xFF000000)},
            {"feather", (Executable) () -> commands.pushClip(0, 0, 10, 10, Corners.NONE, nan)},
            {"opacity", (Executable) () -> commands.image(0, 0, 10, 10, 4, 0, 0, 1, 1, Corners.NONE, nan)},
            {"u1", (Executable) () -> commands.glyph(0, 0, 10, 10, 4, 0, 0, inf, 1, 0xFFFFFFFF)},
            {"amount", (Executable) () -> Glass.DEFAULT.withTint(0x336699, inf)},
            {"boost", (Executable) () -> Glass.DEFAULT.withSaturation(nan)},
            {"width", (Executable) () -> Glass.DEFAULT.withBevel(nan, 10, 0.2f)},
            {"opacity", (Executable) () -> Glass.DEFAULT.withOpacity(2)},
            {"frost", (Executable) () -> Glass.DEFAULT.withFrost(-0.5f)},
            {"radius", (Executable) () -> Corners.of(nan)},
            {"bottomLeft", (Executable) () -> Corners.of(1, 1, 1, -1)},
            {"amount", (Executable) () -> Corners.of(4).smoothing(1.5f)},
            {"width", (Executable) () -> NativeGpu.readImage(-1, 4)},
            {"width x height", (Executable) () -> NativeGpu.readImage(65536, 65536)},
            {"image", (Executable) () -> NativeGpu.createTexture((BufferedImage) null)},
            {"canvas", (Executable) () -> NativeGpu.open((Canvas) null)},
            {"font", (Executable) () -> new GlyphAtlas(null)},
            {"antialiasing", (Executable) () -> new GlyphAtlas(atlas.font(), null, null, "", 64)},
        };
        for (Object[] c : cases) {
            IllegalArgumentException refused = assertThrows(IllegalArgumentException.class, (Executable) c[1]);
            assertTrue(refused.getMessage().startsWith(c[0] + " "), c[0] + ": " + refused.getMessage());
        }
        assertEquals(1, commands.count(), "a refused call wrote a record");
    }

    private static Executable submit(CommandBuffer commands, int width, int height, float uiWidth, float uiHeight,
            float sigma) {
        return () -> commands.submit(0, NativeGpu.GL_BACK, width, height, uiWidth, uiHeight, sigma, 0, 0);
    }

    @Test
    void recordsThatCannotPaintAreLeftOut() {
        CommandBuffer commands = new CommandBuffer();
        commands.fill(0, 0, 10, 10, Corners.NONE, 0x00FFFFFF);
        commands.glass(0, 0, 10, 10, Corners.NONE, Glass.DEFAULT.withOpacity(0));
        commands.pushClip(50, 50, 10, 10, Corners.NONE);
        commands.fill(0, 0, 20, 20, Corners.NONE, 0xFFFFFFFF);
        commands.popClip();
        commands.glyph(0, 0, 0, 10, 1, 0, 0, 1, 1, 0xFFFFFFFF);
        assertEquals(2, commands.count());
        assertEquals(KIND_CLIP_PUSH, record(commands, 0)[SLOT_KIND]);
        assertEquals(KIND_CLIP_POP, record(commands, 1)[SLOT_KIND]);
    }

    // The entries X(name, value...) of one X-macro list of a C header.
    private static void readList(String header, String list, String prefix, Map<String, Integer> into) {
        Matcher body = Pattern.compile("#define " + list + "\\(X\\)((?:.*\\\\\n)*.*)").matcher(header);
        assertTrue(body.find(), list + " is missing from the native header");
        Matcher entry = Pattern.compile("X\\((\\w+), (-?\\d+)").matcher(body.group(1));
        while (entry.find()) {
            into.put(prefix + entry.group(1).toUpperCase(), Integer.valueOf(entry.group(2)));
        }
    }

    // The native side reads records by the lists in native/command-records.h;
    // CommandBuffer's limits, kinds and slots must be exactly those. The
    // tests run in the build directory, whose CMake cache names the sources.
    @Test
    void recordConstantsAreTheNativeLists() throws IOException, IllegalAccessException {
        String source = null;
        for (String line : Files.readAllLines(Path.of("CMakeCache.txt"))) {
            if (line.startsWith("CMAKE_HOME_DIRECTORY:INTERNAL=")) source = line.substring(30);
        }
        assertTrue(source != null, "no source directory in CMakeCache.txt");
        String header = Files.readString(Path.of(source, "native", "command-records.h"));
        Map<String, Integer> nativeSide = new TreeMap<>();
        readList(header, "OMBREL_RECORD_LIMITS", "", nativeSide);
        readList(header, "OMBREL_RECORD_KINDS", "KIND_", nativeSide);
        readList(header, "OMBREL_RECORD_SLOTS", "SLOT_", nativeSide);
        Map<String, Integer> javaSide = new TreeMap<>();
        for (Field f : CommandBuffer.class.getFields()) {
            String name = f.getName();
            boolean listed = name.startsWith("KIND_") || name.startsWith("SLOT_")
                    || name.equals("RECORD_FLOATS") || name.equals("MAX_CLIP_DEPTH");
            if (listed && Modifier.isStatic(f.getModifiers()) && f.getType() == int.class) {
                javaSide.put(name, f.getInt(null));
            }
        }
        assertEquals(nativeSide, javaSide);
    }
}
