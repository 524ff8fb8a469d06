// The renderer under test as the tests reach it: the shared library loaded
// by path, its exported JNI functions called with the real JNIEnv, the GL
// call recorder it loads in place of libGL.so.1, the shader sources, and the
// fixture that ties them to a host GL context.
#ifndef OMBREL_TEST_RENDERER_H
#define OMBREL_TEST_RENDERER_H

#include "host.h"
#include "jvm.h"
#include "recorder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// ---- GL call recorder -------------------------------------------------------

enum class RecorderKind {
    lookup, // gl* reached only through glXGetProcAddressARB; names can be hidden
    direct, // gl* exported for dlsym; no glXGetProcAddressARB
};

// Loads the recorder by path with RTLD_GLOBAL so that a later
// dlopen("libGL.so.1") returns it. Throws when another libGL.so.1 is already
// in the process.
void load_recorder(RecorderKind kind);

void rec_reset();
long rec_size();
const RecCall &rec_at(long index);
// Every recorded call, or those of one function, in call order.
std::vector<const RecCall *> rec_calls(const char *name = nullptr);
// Names of the functions called, in order.
std::vector<std::string> rec_names();
void rec_hide_name(const char *name);
void rec_unhide();
// The calling thread's count of calls currently inside the real driver.
int *rec_depth();

// ---- The renderer's exported entry points -----------------------------------

// Each call runs inside a fresh local frame of 16 references, the capacity a
// native method gets from the JVM, so -Xcheck:jni reports a native method
// that needs more. Throws when the library does not export the function.
namespace native {
void open(jobject canvas, jstring jawt_path, jobjectArray shaders);
jlong client_size();
jint protocol_version();
void attach(jobjectArray shaders);
void background(jint width, jint height, jfloat time, jboolean grid, jboolean light,
                jint background, jint accent);
void submit(jobject buffer, jint count, jint target, jint color_buffer, jint width, jint height,
            jfloat ui_width, jfloat ui_height, jfloat sigma, jfloat mx, jfloat my);
jint create_texture(jint width, jint height);
void upload(jint texture, jint x, jint y, jint width, jint height, jobject pixels);
void delete_texture(jint texture);
void read_pixels(jint width, jint height, jobject pixels);
void swap();
// The returned text; "<null>" when the function returned a null reference.
std::string renderer_string();
std::string context_info();
jint gl_error();
void close();
} // namespace native

// The exported function of a method, for calls that must not go through the
// local frame of the namespace above; throws when it is not exported. Its
// jclass argument can be native_class().
void *native_symbol(const char *method);
jclass native_class();

// Names of the exported entry points, in the order of the Java class.
extern const char *const entry_point_names[15];

// ---- Shader sources ---------------------------------------------------------

// The seven test shader sources, in role order (0 fullscreen.vert, 1
// background.frag, 2 blur.frag, 3 record.vert, 4 glass.frag, 5 shape.frag,
// 6 text.frag).
std::vector<std::string> test_sources();
// A file of the test shader folder.
std::string test_shader(const char *file);
// The seven reference shaders of the Java side, if present.
std::vector<std::string> reference_sources();
jobjectArray sources_array(const std::vector<std::string> &sources);

// ---- Child processes --------------------------------------------------------

// Returns true in a child started for the current test. Otherwise runs the
// current test again in a child process with the extra environment entries
// (for example Mesa overrides, which Mesa reads once per process), records a
// failure if the child fails, and returns false.
bool in_child(const std::vector<std::string> &environment);

// ---- Fixture ----------------------------------------------------------------

// Wraps each test in a local frame, fails it on JNI warnings or a stray
// pending exception, and closes the renderer and the host context it made.
class RendererTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Loads the recorder and makes a host context current; throws on failure.
    void start(Profile profile, int major = 4, int minor = 5,
               RecorderKind recorder = RecorderKind::lookup, int pbuffer_width = 0,
               int pbuffer_height = 0);
    // attach with the test sources, expecting success.
    void attach_ok();

    HostContext host;
};

// The exception expected from a call, checked and cleared.
void expect_thrown(const char *type, const std::string &message);
void expect_no_exception();

#endif
