#include "local-refs.h"

#include "jvm.h"

#include <algorithm>
#include <stdarg.h>
#include <vector>

namespace {

const JNINativeInterface_ *real;
JNINativeInterface_ counting;
int live, peak;
std::vector<int> frames;

template <typename T> T made(T ref) {
    if (ref) peak = std::max(peak, ++live);
    return ref;
}

jclass JNICALL find_class(JNIEnv *e, const char *name) {
    return made(real->FindClass(e, name));
}
jclass JNICALL get_object_class(JNIEnv *e, jobject o) {
    return made(real->GetObjectClass(e, o));
}
jclass JNICALL get_superclass(JNIEnv *e, jclass c) {
    return made(real->GetSuperclass(e, c));
}
jobject JNICALL new_local_ref(JNIEnv *e, jobject o) {
    return made(real->NewLocalRef(e, o));
}
jthrowable JNICALL exception_occurred(JNIEnv *e) {
    return made(real->ExceptionOccurred(e));
}
jstring JNICALL new_string_utf(JNIEnv *e, const char *s) {
    return made(real->NewStringUTF(e, s));
}

jobject JNICALL get_object_array_element(JNIEnv *e, jobjectArray a, jsize i) {
    return made(real->GetObjectArrayElement(e, a, i));
}

jobject JNICALL get_object_field(JNIEnv *e, jobject o, jfieldID f) {
    return made(real->GetObjectField(e, o, f));
}

jobject JNICALL call_object_method_v(JNIEnv *e, jobject o, jmethodID m, va_list args) {
    return made(real->CallObjectMethodV(e, o, m, args));
}

jobject JNICALL new_object_v(JNIEnv *e, jclass c, jmethodID m, va_list args) {
    return made(real->NewObjectV(e, c, m, args));
}

// The "..." form of a JNI function, through its counting va_list form.
#define VARIADIC(name, receiver)                                                                   \
    jobject JNICALL name(JNIEnv *e, receiver r, jmethodID m, ...) {                                \
        va_list args;                                                                              \
        va_start(args, m);                                                                         \
        jobject result = name##_v(e, r, m, args);                                                  \
        va_end(args);                                                                              \
        return result;                                                                             \
    }
VARIADIC(call_object_method, jobject)
VARIADIC(new_object, jclass)
#undef VARIADIC

void JNICALL delete_local_ref(JNIEnv *e, jobject o) {
    if (o) live--;
    real->DeleteLocalRef(e, o);
}

jint JNICALL push_local_frame(JNIEnv *e, jint capacity) {
    jint r = real->PushLocalFrame(e, capacity);
    if (r == 0) frames.push_back(live);
    return r;
}

jobject JNICALL pop_local_frame(JNIEnv *e, jobject result) {
    jobject r = real->PopLocalFrame(e, result);
    if (!frames.empty()) {
        live = frames.back();
        frames.pop_back();
    }
    return made(r);
}

} // namespace

int peak_local_refs(const std::function<void()> &call) {
    JNIEnv *e = jni();
    real = e->functions;
    counting = *real;
    counting.FindClass = find_class;
    counting.GetObjectClass = get_object_class;
    counting.GetSuperclass = get_superclass;
    counting.NewLocalRef = new_local_ref;
    counting.ExceptionOccurred = exception_occurred;
    counting.NewStringUTF = new_string_utf;
    counting.GetObjectArrayElement = get_object_array_element;
    counting.GetObjectField = get_object_field;
    counting.CallObjectMethod = call_object_method;
    counting.CallObjectMethodV = call_object_method_v;
    counting.NewObject = new_object;
    counting.NewObjectV = new_object_v;
    counting.DeleteLocalRef = delete_local_ref;
    counting.PushLocalFrame = push_local_frame;
    counting.PopLocalFrame = pop_local_frame;
    live = peak = 0;
    frames.clear();
    e->functions = &counting;
    call();
    e->functions = real;
    return peak;
}
