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
import marlith.sdk.ui.render.RenderPath;
import marlith.sdk.ui.render.RenderSession;

/**
 * The window demo: a Frame with a Canvas, a render session opened on it with the path the options
 * ask for, and a frame loop on this thread (the session's) until the window closes or the frame
 * count is reached. The frame rate and the path show in the header and the window title.
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
        try (RenderSession session = RenderSession.open(run.canvas, options.renderer())) {
            run.loop(session, options);
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

    private void loop(RenderSession session, Options options) throws IOException {
        GpuPainter painter = new GpuPainter(session);
        try {
            Scene scene = new Scene();
            Scene.Hud hud = new Scene.Hud();
            FrameRate rate = new FrameRate();
            long start = System.nanoTime();
            int w = 0, h = 0;
            for (long n = 0; open && (options.frames() == 0 || n < options.frames()); n++) {
                w = session.clientWidth();
                h = session.clientHeight();
                if (w <= 0 || h <= 0) continue;
                float time = options.frames() > 0 ? n / 60f : (System.nanoTime() - start) / 1e9f;
                hud.frame = n;
                describe(session, hud);
                float px = pointerX, py = pointerY;
                if (Float.isNaN(px)) {
                    px = Scene.idlePointerX(time, w);
                    py = Scene.idlePointerY(time, h);
                }
                painter.begin(w, h, px, py);
                scene.paint(painter, w, h, time, hud);
                hud.records = painter.end();
                if (options.screenshot() != null && n == options.frames() - 1) {
                    Demo.save(session.readImage(w, h), options.screenshot());
                }
                session.present();
                if (rate.tick()) {
                    hud.fps = rate.fps();
                    hud.frameMillis = 1000 / rate.fps();
                    String title = String.format("ombrel demo - %s - %.1f fps", hud.api, rate.fps());
                    EventQueue.invokeLater(() -> frame.setTitle(title));
                }
            }
            System.out.println(rate.summary(hud.api + " (" + hud.renderer + ")", w, h));
            System.out.println("path: " + session.reason());
        } finally {
            painter.delete();
        }
    }

    // The path in the overlay: an auto session may change it once its first frames are measured.
    private static void describe(RenderSession session, Scene.Hud hud) {
        if (session.path() == RenderPath.GPU) {
            hud.renderer = NativeGpu.rendererString();
            hud.api = "GPU · OpenGL " + NativeGpu.contextInfo().split(" ")[0];
        } else {
            hud.renderer = "ombrel software renderer";
            hud.api = "software · Java2D";
        }
    }
}
