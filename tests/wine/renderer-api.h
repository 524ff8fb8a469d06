// The fifteen exports of ombrel-ui.dll, loaded the way the JVM loads them:
// LoadLibraryW on the file and GetProcAddress on each undecorated name.
#ifndef OMBREL_WINE_RENDERER_API_H
#define OMBREL_WINE_RENDERER_API_H

#include <windows.h>
#include <jni.h>

struct RendererApi {
    HMODULE module;
    void(JNICALL *open)(JNIEnv *, jclass, jobject canvas, jstring jawt_path, jobjectArray shaders);
    jlong(JNICALL *clientSize)(JNIEnv *, jclass);
    jint(JNICALL *protocolVersion)(JNIEnv *, jclass);
    void(JNICALL *attach)(JNIEnv *, jclass, jobjectArray shaders);
    void(JNICALL *background)(JNIEnv *, jclass, jint width, jint height, jfloat time, jboolean grid,
                              jboolean light, jint color, jint accent);
    void(JNICALL *submit)(JNIEnv *, jclass, jobject buffer, jint count, jint target,
                          jint color_buffer, jint width, jint height, jfloat ui_width,
                          jfloat ui_height, jfloat sigma, jfloat mx, jfloat my);
    jint(JNICALL *createTexture)(JNIEnv *, jclass, jint width, jint height);
    void(JNICALL *upload)(JNIEnv *, jclass, jint texture, jint x, jint y, jint width, jint height,
                          jobject pixels);
    void(JNICALL *deleteTexture)(JNIEnv *, jclass, jint texture);
    void(JNICALL *readPixels)(JNIEnv *, jclass, jint width, jint height, jobject pixels);
    void(JNICALL *swap)(JNIEnv *, jclass);
    jstring(JNICALL *rendererString)(JNIEnv *, jclass);
    jstring(JNICALL *contextInfo)(JNIEnv *, jclass);
    jint(JNICALL *glError)(JNIEnv *, jclass);
    void(JNICALL *close)(JNIEnv *, jclass);
};

// Loads the library and resolves every export; false names what is missing.
bool load_renderer(const wchar_t *path, RendererApi *api);

// The loaded library; tests call through it with the fake environment.
extern RendererApi nr;
// The class argument every entry point receives.
jclass native_gpu_class();

#endif
