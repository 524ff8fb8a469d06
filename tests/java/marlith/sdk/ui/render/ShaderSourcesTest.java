package marlith.sdk.ui.render;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.Set;
import java.util.TreeMap;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import org.junit.jupiter.api.Test;

/** The shader sources as the jar ships them, checked against what the renderer sets. */
class ShaderSourcesTest {
    private static final Pattern UNIFORM = Pattern.compile("^uniform\\s+(\\w+)\\s+(\\w+)\\s*(\\[\\s*(\\d+)\\s*\\])?\\s*;",
            Pattern.MULTILINE);

    /** Every uniform the renderer looks up, with the GLSL type it sets it with. */
    private static final Map<String, String> TYPES = Map.ofEntries(
            Map.entry("res", "vec2"), Map.entry("time", "float"), Map.entry("grid", "float"),
            Map.entry("palette", "float"), Map.entry("backgroundColor", "vec4"),
            Map.entry("backgroundAccent", "vec4"), Map.entry("src", "sampler2D"), Map.entry("stepv", "vec2"),
            Map.entry("sigma", "float"), Map.entry("rect", "vec4"), Map.entry("view", "vec2"),
            Map.entry("kind", "int"), Map.entry("extra", "vec4"), Map.entry("radius", "float"),
            Map.entry("ink", "vec4"), Map.entry("texRect", "vec4"), Map.entry("optics", "vec4"),
            Map.entry("material", "vec4"), Map.entry("pointerv", "vec4"), Map.entry("cornerRadii", "vec4"),
            Map.entry("cornerHandles", "vec4"), Map.entry("quality", "vec4"),
            Map.entry("highlightColor", "vec4"), Map.entry("shadowColor", "vec4"),
            Map.entry("shapeClipCount", "int"), Map.entry("shapeClipRects", "vec4[32]"),
            Map.entry("shapeClipRadii", "vec4[32]"), Map.entry("shapeClipHandles", "vec4[32]"),
            Map.entry("shapeClipInfo", "vec4[32]"), Map.entry("sharpTex", "sampler2D"),
            Map.entry("blurTex", "sampler2D"), Map.entry("atlas", "sampler2D"));

    private static final Set<String> CLIPS =
            Set.of("shapeClipCount", "shapeClipRects", "shapeClipRadii", "shapeClipHandles", "shapeClipInfo");

    /** Uniforms each source must declare for its program to draw what the records describe. */
    private static final List<Set<String>> NEEDED = List.of(
            Set.of(),
            Set.of("res", "time", "grid", "palette", "backgroundColor", "backgroundAccent"),
            Set.of("src", "stepv", "sigma"),
            Set.of("rect", "view", "kind", "extra", "radius", "quality", "texRect"),
            union(CLIPS, "sharpTex", "blurTex", "rect", "view", "extra", "ink", "optics", "material", "pointerv",
                    "cornerRadii", "cornerHandles", "quality", "highlightColor", "shadowColor"),
            union(CLIPS, "rect", "kind", "extra", "radius", "ink", "cornerRadii", "cornerHandles", "quality"),
            union(CLIPS, "atlas", "rect", "extra", "ink", "cornerRadii", "cornerHandles", "quality"));

    private static Set<String> union(Set<String> base, String... more) {
        Set<String> all = new java.util.HashSet<>(base);
        all.addAll(List.of(more));
        return all;
    }

    private static Map<String, String> uniforms(String source) {
        Map<String, String> declared = new TreeMap<>();
        Matcher m = UNIFORM.matcher(source);
        while (m.find()) declared.put(m.group(2), m.group(3) == null ? m.group(1) : m.group(1) + "[" + m.group(4) + "]");
        return declared;
    }

    @Test
    void sevenSourcesInTheRenderersOrderDeclareItsUniformsWithItsTypes() {
        String[] sources = NativeGpu.shaderSources();
        assertEquals(NativeGpu.SHADER_COUNT, sources.length);
        for (int i = 0; i < sources.length; i++) {
            String name = NativeGpu.SHADER_FILES[i];
            assertTrue(sources[i].startsWith("#version 330 core\n"), name);
            assertEquals(name.endsWith(".vert"), sources[i].contains("gl_Position"), name + " stage");
            Map<String, String> declared = uniforms(sources[i]);
            for (Map.Entry<String, String> u : declared.entrySet()) {
                assertEquals(TYPES.get(u.getKey()), u.getValue(), name + " declares uniform " + u.getKey());
            }
            assertTrue(declared.keySet().containsAll(NEEDED.get(i)), name + " lacks some of " + NEEDED.get(i));
        }
    }

    @Test
    void theThreeDrawingFragmentShadersShareOneClipAndCornerCode() {
        String[] sources = NativeGpu.shaderSources();
        Map<String, String> shared = new HashMap<>();
        for (int i : new int[] {4, 5, 6}) {
            String s = sources[i];
            int from = s.indexOf("// ---- rounded box and clip stack");
            int to = s.indexOf("// ---- end of the shared part ----");
            assertTrue(from >= 0 && to > from, NativeGpu.SHADER_FILES[i] + " has the shared part");
            shared.put(NativeGpu.SHADER_FILES[i], s.substring(from, to));
        }
        assertEquals(1, Set.copyOf(shared.values()).size(), "shared part differs between " + shared.keySet());
    }
}
