package consumer;

import java.awt.Canvas;
import java.awt.Dimension;
import java.awt.EventQueue;
import java.awt.Frame;
import java.awt.Toolkit;
import java.nio.ByteBuffer;
import marlith.sdk.ui.render.CommandBuffer;
import marlith.sdk.ui.render.Corners;
import marlith.sdk.ui.render.NativeGpu;

/**
 * Draws one frame on a Canvas with nothing but the ombrel-ui artifact: the background, then an
 * opaque rounded fill, and checks the fill's colour in the middle of the frame read back.
 */
public final class DrawOneFrame {
    private static final int WIDTH = 160, HEIGHT = 120, FILL = 0xFFE08020, GL_BACK = 0x0405;

    public static void main(String[] args) throws Exception {
        NativeGpu.load();
        Frame frame = new Frame("consumer");
        Canvas canvas = new Canvas();
        EventQueue.invokeAndWait(() -> {
            canvas.setPreferredSize(new Dimension(WIDTH, HEIGHT));
            frame.setUndecorated(true);
            frame.add(canvas);
            frame.pack();
            frame.setVisible(true);
        });
        Toolkit.getDefaultToolkit().sync();
        try {
            NativeGpu.open(canvas, NativeGpu.jawtPath(), NativeGpu.shaderSources());
            NativeGpu.background(WIDTH, HEIGHT, 0f, false, false, 0x101828, 0x6D5BD0);
            new CommandBuffer()
                    .fill(40, 30, 80, 60, Corners.of(8), FILL)
                    .submit(0, GL_BACK, WIDTH, HEIGHT, WIDTH, HEIGHT, 0f, 0f, 0f);
            ByteBuffer rgba = ByteBuffer.allocateDirect(WIDTH * HEIGHT * 4);
            NativeGpu.readPixels(WIDTH, HEIGHT, rgba);
            NativeGpu.swap();
            int i = (HEIGHT / 2 * WIDTH + WIDTH / 2) * 4;
            int argb = (rgba.get(i + 3) & 0xFF) << 24 | (rgba.get(i) & 0xFF) << 16 | (rgba.get(i + 1) & 0xFF) << 8
                    | (rgba.get(i + 2) & 0xFF);
            if (argb != FILL) {
                throw new AssertionError(String.format("middle pixel %08X, expected the fill %08X", argb, FILL));
            }
            System.out.println("consumer: drew a frame on " + NativeGpu.rendererString());
        } finally {
            NativeGpu.close();
            EventQueue.invokeAndWait(frame::dispose);
        }
    }
}
