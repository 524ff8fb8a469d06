package marlith.sdk.ui.demo;

import java.awt.Canvas;
import java.awt.Color;
import java.awt.Dimension;
import java.awt.EventQueue;
import java.awt.Frame;
import java.awt.Toolkit;
import java.awt.event.MouseAdapter;
import java.awt.event.MouseEvent;
import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;
import java.io.IOException;
import java.lang.reflect.InvocationTargetException;
import marlith.sdk.ui.render.NativeGpu;
import marlith.sdk.ui.render.RenderSession;

/**
 * The GPU demo: a Frame with a Canvas, the renderer opened on it, and a frame loop on this thread
 * (the one the renderer's context is current on) until the window closes or the frame count is
 * reached. The frame rate shows in the header and the window title.
 */
final class WindowRun {
    private final Frame frame = new Frame("ombrel demo");
    private final Canvas canvas = new Canvas();
    private volatile boolean open = true;
    // Pointer in UI units; NaN while it is outside the window.
    private volatile float pointerX = Float.NaN, pointerY = Float.NaN;

    private WindowRun() {}

    static void run(Options options) throws IOException, InterruptedException, InvocationTargetException {
        WindowRun run = new WindowRun();
        EventQueue.invokeAndWait(() -> run.show(options.width(), options.height()));
        Toolkit.getDefaultToolkit().sync();
        try (RenderSession gpu = NativeGpu.open(run.canvas)) {
            run.loop(gpu, options);
        } finally {
            EventQueue.invokeAndWait(run.frame::dispose);
        }
    }

    private void show(int width, int height) {
        canvas.setPreferredSize(new Dimension(width, height));
        canvas.setBackground(Color.BLACK);
        // The renderer owns every pixel of the Canvas; AWT must not clear it.
        canvas.setIgnoreRepaint(true);
        MouseAdapter pointer = new MouseAdapter() {
            @Override
            public void mouseMoved(MouseEvent e) {
                pointerX = e.getX();
                pointerY = e.getY();
            }

            @Override
            public void mouseDragged(MouseEvent e) {
                mouseMoved(e);
            }

            @Override
            public void mouseExited(MouseEvent e) {
                pointerX = pointerY = Float.NaN;
            }
        };
        canvas.addMouseListener(pointer);
        canvas.addMouseMotionListener(pointer);
        frame.addWindowListener(new WindowAdapter() {
            @Override
            public void windowClosing(WindowEvent e) {
                open = false;
            }
        });
        frame.add(canvas);
        frame.pack();
        frame.setLocationRelativeTo(null);
        frame.setVisible(true);
    }

    private void loop(RenderSession gpu, Options options) throws IOException {
        GpuPainter painter = new GpuPainter(gpu);
        try {
            Scene scene = new Scene();
            Scene.Hud hud = new Scene.Hud();
            hud.renderer = NativeGpu.rendererString();
            hud.api = "OpenGL " + NativeGpu.contextInfo().split(" ")[0];
            FrameRate rate = new FrameRate();
            long start = System.nanoTime();
            int w = 0, h = 0;
            for (long n = 0; open && (options.frames() == 0 || n < options.frames()); n++) {
                w = gpu.clientWidth();
                h = gpu.clientHeight();
                if (w <= 0 || h <= 0) continue;
                float time = options.frames() > 0 ? n / 60f : (System.nanoTime() - start) / 1e9f;
                hud.frame = n;
                float px = pointerX, py = pointerY;
                if (Float.isNaN(px)) {
                    px = Scene.idlePointerX(time, w);
                    py = Scene.idlePointerY(time, h);
                }
                painter.begin(w, h, px, py);
                scene.paint(painter, w, h, time, hud);
                hud.records = painter.end();
                if (options.screenshot() != null && n == options.frames() - 1) {
                    Demo.save(gpu.readImage(w, h), options.screenshot());
                }
                gpu.present();
                if (rate.tick()) {
                    hud.fps = rate.fps();
                    hud.frameMillis = 1000 / rate.fps();
                    String title = String.format("ombrel demo - %.1f fps", rate.fps());
                    EventQueue.invokeLater(() -> frame.setTitle(title));
                }
            }
            System.out.println(rate.summary("GPU (" + hud.renderer + ")", w, h));
        } finally {
            painter.delete();
        }
    }
}
