// The fifteen JNI functions the library exports, one per static native method
// of marlith.sdk.ui.render.NativeGpu, as X(result, method, parameter types).
// The exported symbol is Java_marlith_sdk_ui_render_NativeGpu_<method>;
// nothing else is exported.
#ifndef OMBREL_ENTRY_POINTS_H
#define OMBREL_ENTRY_POINTS_H

#define OMBREL_ENTRY_POINTS(X)                                                                     \
    X(void, open, (JNIEnv *, jclass, jobject, jstring, jobjectArray))                              \
    X(jlong, clientSize, (JNIEnv *, jclass))                                                       \
    X(jint, protocolVersion, (JNIEnv *, jclass))                                                   \
    X(void, attach, (JNIEnv *, jclass, jobjectArray))                                              \
    X(void, background, (JNIEnv *, jclass, jint, jint, jfloat, jboolean, jboolean, jint, jint))    \
    X(void, submit,                                                                                \
      (JNIEnv *, jclass, jobject, jint, jint, jint, jint, jint, jfloat, jfloat, jfloat, jfloat,    \
       jfloat))                                                                                    \
    X(jint, createTexture, (JNIEnv *, jclass, jint, jint))                                         \
    X(void, upload, (JNIEnv *, jclass, jint, jint, jint, jint, jint, jobject))                     \
    X(void, deleteTexture, (JNIEnv *, jclass, jint))                                               \
    X(void, readPixels, (JNIEnv *, jclass, jint, jint, jobject))                                   \
    X(void, swap, (JNIEnv *, jclass))                                                              \
    X(jstring, rendererString, (JNIEnv *, jclass))                                                 \
    X(jstring, contextInfo, (JNIEnv *, jclass))                                                    \
    X(jint, glError, (JNIEnv *, jclass))                                                           \
    X(void, close, (JNIEnv *, jclass))

#endif
