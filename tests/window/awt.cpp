#include "awt.h"

#include "jvm.h"

#include <stdarg.h>
#include <stdexcept>
#include <string>

namespace {

jclass find(const char *name) {
    jclass c = jni()->FindClass(name);
    if (!c) throw std::runtime_error(std::string("no class ") + name);
    return c;
}

jmethodID method(jclass c, const char *name, const char *signature) {
    jmethodID m = jni()->GetMethodID(c, name, signature);
    if (!m) throw std::runtime_error(std::string("no method ") + name);
    return m;
}

void check(const char *what) {
    Thrown t = take_exception();
    if (t.pending) throw std::runtime_error(std::string(what) + ": " + t.type + ": " + t.message);
}

jobject make(const char *class_name) {
    jclass c = find(class_name);
    jobject o = jni()->NewObject(c, method(c, "<init>", "()V"));
    check(class_name);
    jni()->DeleteLocalRef(c);
    return o;
}

void call_void(jobject o, const char *class_name, const char *name, const char *signature, ...) {
    jclass c = find(class_name);
    va_list args;
    va_start(args, signature);
    jni()->CallVoidMethodV(o, method(c, name, signature), args);
    va_end(args);
    check(name);
    jni()->DeleteLocalRef(c);
}

} // namespace

Window show_canvas(int width, int height) {
    JNIEnv *e = jni();
    jobject frame = make("java/awt/Frame");
    jobject canvas = make("java/awt/Canvas");
    call_void(canvas, "java/awt/Component", "setSize", "(II)V", width, height);
    jclass container = find("java/awt/Container");
    jobject added = e->CallObjectMethod(
        frame, method(container, "add", "(Ljava/awt/Component;)Ljava/awt/Component;"), canvas);
    check("add");
    e->DeleteLocalRef(added);
    e->DeleteLocalRef(container);
    call_void(frame, "java/awt/Window", "pack", "()V");
    call_void(frame, "java/awt/Window", "setVisible", "(Z)V", JNI_TRUE);
    Window w;
    w.frame = e->NewGlobalRef(frame);
    w.canvas = e->NewGlobalRef(canvas);
    e->DeleteLocalRef(frame);
    e->DeleteLocalRef(canvas);
    return w;
}

jobject hidden_canvas() {
    return make("java/awt/Canvas");
}

void dispose(Window *w) {
    if (w->frame) call_void(w->frame, "java/awt/Window", "dispose", "()V");
    if (w->frame) jni()->DeleteGlobalRef(w->frame);
    if (w->canvas) jni()->DeleteGlobalRef(w->canvas);
    *w = Window();
}

jobject weak_reference(jobject o) {
    jclass c = find("java/lang/ref/WeakReference");
    jobject weak = jni()->NewObject(c, method(c, "<init>", "(Ljava/lang/Object;)V"), o);
    check("WeakReference");
    jni()->DeleteLocalRef(c);
    return weak;
}

bool survives_collection(jobject weak) {
    JNIEnv *e = jni();
    jclass system = find("java/lang/System");
    e->CallStaticVoidMethod(system, e->GetStaticMethodID(system, "gc", "()V"));
    check("System.gc");
    jclass reference = find("java/lang/ref/Reference");
    jobject referent = e->CallObjectMethod(weak, method(reference, "get", "()Ljava/lang/Object;"));
    check("Reference.get");
    bool alive = referent != nullptr;
    e->DeleteLocalRef(referent);
    e->DeleteLocalRef(reference);
    e->DeleteLocalRef(system);
    return alive;
}
