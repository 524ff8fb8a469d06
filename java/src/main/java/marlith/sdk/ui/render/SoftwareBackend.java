package marlith.sdk.ui.render;

import java.awt.Canvas;
import java.awt.Graphics;
import java.awt.image.BufferedImage;
import java.awt.image.DataBufferInt;
import java.nio.ByteBuffer;
import java.nio.FloatBuffer;
import java.util.HashMap;
import java.util.Map;

/**
 * The software renderer: draws the command records, the background and client textures on the
 * CPU into an image the size of the Canvas (the back buffer), and shows it on the Canvas with
 * Java2D at {@link #present()}. Every record kind draws the picture of the shader the GPU draws
 * it with, measured the same way (see the Software* classes); the only target is the back buffer
 * (target 0, GL_BACK), whose bottom-left part a call of a smaller size draws into, as GL's
 * viewport does. Each record is read into a float[64], its slots named by their numbers in
 * docs/command-records.md, as the shaders' comments name them.
 */
final class SoftwareBackend implements Backend {
    private final Canvas canvas;
    private BufferedImage back;
    private int[] pixels;
    private final SoftwareTarget target = new SoftwareTarget();
    private final SoftwareClips clips = new SoftwareClips();
    private final SoftwareShapes shapes = new SoftwareShapes(target, clips);
    private final SoftwareGlass glass = new SoftwareGlass(target, clips, shapes);
    private final SoftwareBackground background = new SoftwareBackground();
    private final Map<Integer, SoftwareTexture> textures = new HashMap<>();
    // A name GL would not sample: an incomplete texture reads as opaque black.
    private final SoftwareTexture missing = new SoftwareTexture(1, 1);
    private int nextTexture = 1;
    private float[][] records = new float[0][];

    SoftwareBackend(Canvas canvas) {
        this.canvas = canvas;
        missing.texels[0] = 0xFF000000;
        back = new BufferedImage(1, 1, BufferedImage.TYPE_INT_RGB);
        pixels = ((DataBufferInt) back.getRaster().getDataBuffer()).getData();
    }

    @Override
    public RenderPath path() {
        return RenderPath.SOFTWARE;
    }

    @Override
    public long clientSize() {
        return (long) canvas.getWidth() << 32 | canvas.getHeight();
    }

    /** The back buffer, the Canvas's size; a new one (contents undefined) when the Canvas was resized. */
    BufferedImage image() {
        int w = Math.max(canvas.getWidth(), 1), h = Math.max(canvas.getHeight(), 1);
        if (back.getWidth() != w || back.getHeight() != h) {
            back = new BufferedImage(w, h, BufferedImage.TYPE_INT_RGB);
            pixels = ((DataBufferInt) back.getRaster().getDataBuffer()).getData();
        }
        return back;
    }

    private void aim(int width, int height) {
        image();
        target.set(pixels, back.getWidth(), back.getHeight(), width, height);
    }

    @Override
    public void background(int width, int height, float time, boolean grid, boolean light, int base, int accent) {
        if (width <= 0 || height <= 0) return;
        aim(width, height);
        background.paint(target, time, grid, light, base, accent);
    }

    @Override
    public void submit(FloatBuffer buffer, int count, int targetName, int colorBuffer, int width, int height,
            float uiWidth, float uiHeight, float sigma, float mx, float my) {
        aim(width, height);
        target.scale(uiWidth, uiHeight);
        if (records.length < count) {
            float[][] grown = new float[Math.max(count, 2 * records.length)][];
            System.arraycopy(records, 0, grown, 0, records.length);
            for (int i = records.length; i < grown.length; i++) grown[i] = new float[CommandBuffer.RECORD_FLOATS];
            records = grown;
        }
        for (int i = 0; i < count; i++) buffer.get(i * CommandBuffer.RECORD_FLOATS, records[i]);
        // A pointer that is no finite point is outside, where the sheen is 0.
        boolean inside = mx - mx == 0f && my - my == 0f;
        float px = inside ? mx : -1e9f, py = inside ? my : -1e9f;
        clips.clear();
        if (glassAhead(0, count)) glass.capture(records, 0, count, sigma);
        for (int i = 0; i < count; i++) {
            float[] r = records[i];
            int kind = kind(r[0]);
            switch (kind) {
                case CommandBuffer.KIND_REFRESH -> {
                    if (glassAhead(i + 1, count)) glass.capture(records, i + 1, count, sigma);
                }
                case CommandBuffer.KIND_CLIP_PUSH -> clips.push(r);
                case CommandBuffer.KIND_CLIP_POP -> clips.pop();
                case CommandBuffer.KIND_GLASS -> glass.draw(r, px, py);
                case CommandBuffer.KIND_TEXT -> shapes.text(r, textures.getOrDefault(
                        Float.floatToRawIntBits(r[CommandBuffer.SLOT_TEXTURE]), missing));
                default -> shapes.shape(r, kind);
            }
        }
    }

    // Whether a glass record comes before the next refresh: a capture nothing samples is skipped.
    private boolean glassAhead(int from, int count) {
        for (int i = from; i < count; i++) {
            int kind = kind(records[i][0]);
            if (kind == CommandBuffer.KIND_GLASS || kind == CommandBuffer.KIND_REFRESH) {
                return kind == CommandBuffer.KIND_GLASS;
            }
        }
        return false;
    }

    /** The kind slot truncated toward zero; a value with no int equivalent draws as a fill. */
    static int kind(float f) {
        if (!(f >= -2147483648f && f < 2147483648f)) return CommandBuffer.KIND_FILL;
        return (int) f;
    }

    @Override
    public int createTexture(int width, int height) {
        int name = nextTexture++;
        textures.put(name, new SoftwareTexture(width, height));
        return name;
    }

    /** Makes a texture under a name the GPU gave, so that both renderers answer to it; see {@link AutoBackend}. */
    void adoptTexture(int name, int width, int height) {
        textures.put(name, new SoftwareTexture(width, height));
        nextTexture = Math.max(nextTexture, name + 1);
    }

    @Override
    public void upload(int texture, int x, int y, int width, int height, ByteBuffer rgba) {
        SoftwareTexture t = textures.get(texture);
        if (t != null) t.upload(x, y, width, height, rgba);
    }

    @Override
    public void deleteTexture(int texture) {
        textures.remove(texture);
    }

    @Override
    public void readPixels(int width, int height, ByteBuffer rgba) {
        image();
        int w = back.getWidth(), h = back.getHeight();
        byte[] row = new byte[4 * width];
        for (int y = 0; y < height; y++) {
            int src = h - 1 - y;
            for (int x = 0; x < width; x++) {
                int p = src >= 0 && x < w ? pixels[src * w + x] : 0;
                row[4 * x] = (byte) (p >> 16);
                row[4 * x + 1] = (byte) (p >> 8);
                row[4 * x + 2] = (byte) p;
                row[4 * x + 3] = (byte) 255;
            }
            rgba.put(4 * width * y, row);
        }
    }

    @Override
    public void present() {
        Graphics g = canvas.getGraphics();
        if (g == null) return;
        try {
            g.drawImage(back, 0, 0, null);
        } finally {
            g.dispose();
        }
        canvas.getToolkit().sync();
    }

    @Override
    public void close() {
        textures.clear();
        back = new BufferedImage(1, 1, BufferedImage.TYPE_INT_RGB);
        pixels = ((DataBufferInt) back.getRaster().getDataBuffer()).getData();
    }
}
