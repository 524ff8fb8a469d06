// AWT windows for the window binding: a Canvas shown in a Frame on the X
// display, or one never shown, made through the embedded JVM.
#ifndef OMBREL_TEST_AWT_H
#define OMBREL_TEST_AWT_H

#include <jni.h>

struct Window {
    jobject frame = nullptr;  // global reference
    jobject canvas = nullptr; // global reference
};

// A Frame holding a Canvas of the given size, shown and displayable.
Window show_canvas(int width, int height);
// A Canvas with no peer: not displayable.
jobject hidden_canvas();
void dispose(Window *w);

// A WeakReference to the object, and whether it still refers to it after a
// full garbage collection.
jobject weak_reference(jobject o);
bool survives_collection(jobject weak);

#endif
