// The native tests rely on -Xcheck:jni to catch JNI misuse by the library:
// the JVM must run with it, and what it reports must reach jni_warnings(),
// which fails every RendererTest in its TearDown.
#include "renderer.h"

namespace {

jobject call_static(const char *cls, const char *name, const char *signature) {
    JNIEnv *e = jni();
    jclass c = e->FindClass(cls);
    jmethodID m = c ? e->GetStaticMethodID(c, name, signature) : nullptr;
    jobject result = m ? e->CallStaticObjectMethod(c, m) : nullptr;
    return e->ExceptionCheck() ? nullptr : result;
}

jobject call(jobject target, const char *cls, const char *name, const char *signature) {
    JNIEnv *e = jni();
    jclass c = e->FindClass(cls);
    jmethodID m = c ? e->GetMethodID(c, name, signature) : nullptr;
    jobject result = m ? e->CallObjectMethod(target, m) : nullptr;
    return e->ExceptionCheck() ? nullptr : result;
}

TEST_F(RendererTest, TheEmbeddedJvmRunsWithCheckedJni) {
    jobject runtime = call_static("java/lang/management/ManagementFactory", "getRuntimeMXBean",
                                  "()Ljava/lang/management/RuntimeMXBean;");
    ASSERT_NE(runtime, nullptr);
    jobject arguments = call(runtime, "java/lang/management/RuntimeMXBean", "getInputArguments",
                             "()Ljava/util/List;");
    ASSERT_NE(arguments, nullptr);
    jobject text = call(arguments, "java/lang/Object", "toString", "()Ljava/lang/String;");
    ASSERT_NE(text, nullptr);
    const char *chars = jni()->GetStringUTFChars((jstring)text, nullptr);
    std::string list = chars;
    jni()->ReleaseStringUTFChars((jstring)text, chars);
    EXPECT_NE(list.find("-Xcheck:jni"), std::string::npos) << "JVM arguments: " << list;
}

// A JNI call made while an exception is pending is what a library that
// forgets an exception check does; -Xcheck:jni reports it as a warning.
TEST_F(RendererTest, ACheckedJniWarningReachesTheWarningLog) {
    JNIEnv *e = jni();
    jclass failure = e->FindClass("java/lang/IllegalStateException");
    ASSERT_NE(failure, nullptr);
    e->ThrowNew(failure, "pending on purpose");
    jclass again = e->FindClass("java/lang/String");
    e->ExceptionClear();
    if (again) e->DeleteLocalRef(again);
    std::string warnings = jni_warnings();
    EXPECT_NE(warnings.find("exception pending"), std::string::npos)
        << "-Xcheck:jni output did not reach the warning log:\n"
        << jvm_log();
    // The warning was provoked on purpose; the fixture must not fail for it.
    jvm_log_clear();
}

} // namespace
