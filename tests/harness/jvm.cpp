#include "jvm.h"

#include <mutex>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

namespace {

JavaVM *vm;
JNIEnv *env;
std::mutex log_mutex;
std::string log_text;

// The JVM prints through this hook instead of stdout/stderr; the text is
// kept for the JNI warning check and still shown on stderr.
extern "C" jint JNICALL capture_output(FILE *stream, const char *format, va_list args) {
    char text[4096];
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(text, sizeof text, format, copy);
    va_end(copy);
    if (n < 0) return n;
    {
        std::lock_guard<std::mutex> lock(log_mutex);
        log_text.append(text);
    }
    fputs(text, stream);
    return n;
}

void fail_hard(const char *what) {
    fprintf(stderr, "JVM harness: %s\n", what);
    if (env && env->ExceptionCheck()) env->ExceptionDescribe();
    abort();
}

jclass find_class(const char *name) {
    jclass c = env->FindClass(name);
    if (!c) fail_hard(name);
    return c;
}

jmethodID method(jclass c, const char *name, const char *signature) {
    jmethodID m = env->GetMethodID(c, name, signature);
    if (!m) fail_hard(name);
    return m;
}

jmethodID static_method(jclass c, const char *name, const char *signature) {
    jmethodID m = env->GetStaticMethodID(c, name, signature);
    if (!m) fail_hard(name);
    return m;
}

jobject checked(jobject o, const char *what) {
    if (!o || env->ExceptionCheck()) fail_hard(what);
    return o;
}

jobjectArray filled_array(jclass element, const std::vector<const char *> &texts) {
    jobjectArray a = (jobjectArray)checked(
        env->NewObjectArray((jsize)texts.size(), element, nullptr), "NewObjectArray");
    for (size_t k = 0; k < texts.size(); k++) {
        if (!texts[k]) continue;
        jstring s = jstr(texts[k]);
        env->SetObjectArrayElement(a, (jsize)k, s);
        if (env->ExceptionCheck()) fail_hard("SetObjectArrayElement");
        env->DeleteLocalRef(s);
    }
    return a;
}

std::string to_text(jstring s) {
    const char *chars = env->GetStringUTFChars(s, nullptr);
    if (!chars) fail_hard("GetStringUTFChars");
    std::string text(chars);
    env->ReleaseStringUTFChars(s, chars);
    return text;
}

} // namespace

void JvmEnvironment::SetUp() {
    if (vm) return;
    JavaVMOption options[] = {
        {(char *)"-Xcheck:jni", nullptr},
        {(char *)"-XX:+UseSerialGC", nullptr},
        {(char *)"-Xmx64m", nullptr},
        {(char *)"vfprintf", (void *)capture_output},
    };
    JavaVMInitArgs args;
    args.version = JNI_VERSION_1_8;
    args.nOptions = sizeof options / sizeof options[0];
    args.options = options;
    args.ignoreUnrecognized = JNI_FALSE;
    if (JNI_CreateJavaVM(&vm, (void **)&env, &args) != JNI_OK) fail_hard("JNI_CreateJavaVM failed");
}

JNIEnv *jni() {
    return env;
}

std::string jvm_log() {
    std::lock_guard<std::mutex> lock(log_mutex);
    return log_text;
}

void jvm_log_clear() {
    std::lock_guard<std::mutex> lock(log_mutex);
    log_text.clear();
}

std::string jni_warnings() {
    static const char *const markers[] = {"WARNING in native method", "WARNING: JNI local refs",
                                          "JNI WARNING", "FATAL ERROR in native method"};
    std::string text = jvm_log();
    std::string found;
    for (const char *marker : markers) {
        size_t at = text.find(marker);
        if (at == std::string::npos) continue;
        size_t end = text.find('\n', at);
        found += text.substr(at, end == std::string::npos ? std::string::npos : end - at) + "\n";
    }
    return found;
}

jstring jstr(const char *text) {
    return (jstring)checked(env->NewStringUTF(text), "NewStringUTF");
}

jobjectArray string_array(const std::vector<const char *> &texts) {
    jclass string_class = find_class("java/lang/String");
    jobjectArray a = filled_array(string_class, texts);
    env->DeleteLocalRef(string_class);
    return a;
}

jobjectArray array_with_integer(const std::vector<const char *> &texts, int index) {
    jclass object_class = find_class("java/lang/Object");
    jobjectArray a = filled_array(object_class, texts);
    jclass integer_class = find_class("java/lang/Integer");
    jobject value = checked(
        env->CallStaticObjectMethod(
            integer_class, static_method(integer_class, "valueOf", "(I)Ljava/lang/Integer;"), 42),
        "Integer.valueOf");
    env->SetObjectArrayElement(a, index, value);
    if (env->ExceptionCheck()) fail_hard("SetObjectArrayElement");
    env->DeleteLocalRef(value);
    env->DeleteLocalRef(integer_class);
    env->DeleteLocalRef(object_class);
    return a;
}

jobject direct_float_buffer(float *memory, long floats, bool native_order) {
    jobject bytes = checked(env->NewDirectByteBuffer(memory, floats * 4), "NewDirectByteBuffer");
    jclass byte_buffer = find_class("java/nio/ByteBuffer");
    if (native_order) {
        jclass byte_order = find_class("java/nio/ByteOrder");
        jobject order = checked(
            env->CallStaticObjectMethod(
                byte_order, static_method(byte_order, "nativeOrder", "()Ljava/nio/ByteOrder;")),
            "ByteOrder.nativeOrder");
        // order() returns the same buffer, now in native order.
        env->DeleteLocalRef(checked(
            env->CallObjectMethod(
                bytes, method(byte_buffer, "order", "(Ljava/nio/ByteOrder;)Ljava/nio/ByteBuffer;"),
                order),
            "ByteBuffer.order"));
        env->DeleteLocalRef(order);
        env->DeleteLocalRef(byte_order);
    }
    jobject floats_view = checked(env->CallObjectMethod(bytes, method(byte_buffer, "asFloatBuffer",
                                                                      "()Ljava/nio/FloatBuffer;")),
                                  "ByteBuffer.asFloatBuffer");
    if (env->GetDirectBufferCapacity(floats_view) != floats) fail_hard("float buffer capacity");
    env->DeleteLocalRef(byte_buffer);
    env->DeleteLocalRef(bytes);
    return floats_view;
}

jobject read_only_view(jobject byte_buffer) {
    jclass c = find_class("java/nio/ByteBuffer");
    jobject view = checked(env->CallObjectMethod(byte_buffer, method(c, "asReadOnlyBuffer",
                                                                     "()Ljava/nio/ByteBuffer;")),
                           "ByteBuffer.asReadOnlyBuffer");
    env->DeleteLocalRef(c);
    return view;
}

jobject direct_byte_buffer(void *memory, long bytes) {
    return checked(env->NewDirectByteBuffer(memory, bytes), "NewDirectByteBuffer");
}

namespace {

// FloatBuffer.allocate or ByteBuffer.allocate: a buffer without an address.
jobject heap_buffer(const char *type, int count) {
    std::string name = std::string("java/nio/") + type;
    jclass c = find_class(name.c_str());
    std::string signature = "(I)L" + name + ";";
    jobject b = checked(
        env->CallStaticObjectMethod(c, static_method(c, "allocate", signature.c_str()), count),
        (std::string(type) + ".allocate").c_str());
    env->DeleteLocalRef(c);
    return b;
}

} // namespace

jobject heap_float_buffer(int floats) {
    return heap_buffer("FloatBuffer", floats);
}

jobject heap_byte_buffer(int bytes) {
    return heap_buffer("ByteBuffer", bytes);
}

Thrown take_exception() {
    Thrown t;
    jthrowable e = env->ExceptionOccurred();
    if (!e) return t;
    env->ExceptionClear();
    t.pending = true;
    jclass throwable = find_class("java/lang/Throwable");
    jclass class_class = find_class("java/lang/Class");
    jclass type = env->GetObjectClass(e);
    jstring name = (jstring)checked(
        env->CallObjectMethod(type, method(class_class, "getName", "()Ljava/lang/String;")),
        "Class.getName");
    t.type = to_text(name);
    jstring message =
        (jstring)env->CallObjectMethod(e, method(throwable, "getMessage", "()Ljava/lang/String;"));
    if (env->ExceptionCheck()) fail_hard("Throwable.getMessage");
    t.null_message = message == nullptr;
    if (message) t.message = to_text(message);
    env->DeleteLocalRef(message);
    env->DeleteLocalRef(name);
    env->DeleteLocalRef(type);
    env->DeleteLocalRef(class_class);
    env->DeleteLocalRef(throwable);
    env->DeleteLocalRef(e);
    return t;
}
