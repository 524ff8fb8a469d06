// The real JVM embedded in the test binary: created once per process with
// -Xcheck:jni, its console output captured, and helpers to build the Java
// objects the renderer's entry points take and to read the exceptions they
// raise.
#ifndef OMBREL_TEST_JVM_H
#define OMBREL_TEST_JVM_H

#include <gtest/gtest.h>
#include <jni.h>
#include <string>
#include <vector>

class JvmEnvironment : public ::testing::Environment {
  public:
    void SetUp() override;
};

JNIEnv *jni();

// Everything the JVM printed since the last jvm_log_clear.
std::string jvm_log();
void jvm_log_clear();

// The JNI problems that -Xcheck:jni reports without stopping the process:
// missing exception checks, calls with an exception pending, local
// reference overflows. Empty when the log holds none.
std::string jni_warnings();

jstring jstr(const char *text);

// A String[] of the texts; a null pointer gives a null element.
jobjectArray string_array(const std::vector<const char *> &texts);

// An Object[] of the texts with a java.lang.Integer at `index`.
jobjectArray array_with_integer(const std::vector<const char *> &texts, int index);

// Direct buffers over memory the test owns: a FloatBuffer whose capacity
// counts `floats`, in native byte order unless told otherwise (then in the
// ByteBuffer's default, big-endian), a ByteBuffer of `bytes`, and a read-only
// view of a buffer.
jobject direct_float_buffer(float *memory, long floats, bool native_order = true);
jobject direct_byte_buffer(void *memory, long bytes);
jobject read_only_view(jobject byte_buffer);

// Heap buffers: JNI reports no address for them.
jobject heap_float_buffer(int floats);
jobject heap_byte_buffer(int bytes);

struct Thrown {
    bool pending = false;
    std::string type;
    std::string message;
    bool null_message = false;
};

// Takes the pending exception, if any, and clears it.
Thrown take_exception();

#endif
