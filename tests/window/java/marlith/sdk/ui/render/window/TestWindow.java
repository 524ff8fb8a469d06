package marlith.sdk.ui.render.window;

import java.awt.Canvas;
import java.awt.Color;
import java.awt.Dimension;
import java.awt.EventQueue;
import java.awt.Frame;
import java.awt.Toolkit;
import java.lang.reflect.InvocationTargetException;

/**
 * A Frame holding one Canvas of a given size, shown on the X server the tests run on. Built and
 * changed on the AWT event thread; the renderer itself is driven from the test thread.
 */
final class TestWindow {
    final Frame frame = new Frame("ombrel window test");
    final Canvas canvas = new Canvas();

    private TestWindow() {}

    static TestWindow show(int width, int height) {
        TestWindow w = new TestWindow();
        onEventThread(() -> {
            w.canvas.setBackground(Color.BLACK);
            w.canvas.setIgnoreRepaint(true);
            w.canvas.setPreferredSize(new Dimension(width, height));
            w.frame.setUndecorated(true);
            w.frame.add(w.canvas);
            w.frame.pack();
            w.frame.setLocation(0, 0);
            w.frame.setVisible(true);
        });
        Toolkit.getDefaultToolkit().sync();
        return w;
    }

    void resize(int width, int height) {
        onEventThread(() -> {
            canvas.setPreferredSize(new Dimension(width, height));
            frame.pack();
        });
        Toolkit.getDefaultToolkit().sync();
    }

    void dispose() {
        onEventThread(frame::dispose);
    }

    static void onEventThread(Runnable action) {
        try {
            EventQueue.invokeAndWait(action);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
            throw new IllegalStateException(e);
        } catch (InvocationTargetException e) {
            throw new IllegalStateException(e.getCause());
        }
    }
}
