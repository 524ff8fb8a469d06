#include "renderer.h"

#include "entry-points.h"

#include <dlfcn.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <type_traits>

extern char **environ;

// ---- GL call recorder -------------------------------------------------------

namespace {

struct RecorderApi {
    void *handle = nullptr;
    RecorderKind kind = RecorderKind::lookup;
#define REC_SLOT(ret, name, params) decltype(&::name) name;
    REC_CONTROLS(REC_SLOT)
#undef REC_SLOT
};

RecorderApi recorder;

template <typename F> void bind(F *slot, const char *name) {
    *slot = (F)dlsym(recorder.handle, name);
    if (!*slot) throw std::runtime_error(std::string("recorder lacks ") + name);
}

const RecorderApi &api() {
    if (!recorder.handle) throw std::runtime_error("the GL call recorder is not loaded");
    return recorder;
}

} // namespace

void load_recorder(RecorderKind kind) {
    if (recorder.handle) {
        if (recorder.kind != kind)
            throw std::runtime_error("another recorder build is loaded; run the test alone");
        return;
    }
    if (dlopen("libGL.so.1", RTLD_NOW | RTLD_NOLOAD))
        throw std::runtime_error("a libGL.so.1 is already loaded; the recorder would be bypassed");
    const char *path =
        kind == RecorderKind::lookup ? OMBREL_RECORDER_LOOKUP : OMBREL_RECORDER_DIRECT;
    recorder.handle = dlopen(path, RTLD_NOW | RTLD_GLOBAL);
    if (!recorder.handle)
        throw std::runtime_error(std::string("cannot load recorder: ") + dlerror());
    recorder.kind = kind;
#define REC_BIND(ret, name, params) bind(&recorder.name, #name);
    REC_CONTROLS(REC_BIND)
#undef REC_BIND
    if (dlopen("libGL.so.1", RTLD_NOW | RTLD_NOLOAD) != recorder.handle)
        throw std::runtime_error("dlopen(\"libGL.so.1\") does not return the recorder");
}

void rec_reset() {
    api().rec_clear();
}

long rec_size() {
    if (api().rec_overflowed()) throw std::runtime_error("the GL call log overflowed");
    return api().rec_count();
}

const RecCall &rec_at(long index) {
    const RecCall *c = api().rec_call(index);
    if (!c) throw std::runtime_error("no such recorded call");
    return *c;
}

std::vector<const RecCall *> rec_calls(const char *name) {
    std::vector<const RecCall *> found;
    long n = rec_size();
    for (long k = 0; k < n; k++) {
        const RecCall &c = rec_at(k);
        if (!name || std::string(c.name) == name) found.push_back(&c);
    }
    return found;
}

std::vector<std::string> rec_names() {
    std::vector<std::string> names;
    for (const RecCall *c : rec_calls())
        names.push_back(c->name);
    return names;
}

void rec_hide_name(const char *name) {
    api().rec_hide(name);
}
void rec_unhide() {
    api().rec_unhide_all();
}
int *rec_depth() {
    return api().rec_driver_depth();
}

// ---- The renderer's exported entry points -----------------------------------

const char *const entry_point_names[15] = {
    "open",   "clientSize",     "protocolVersion", "attach",        "background",
    "submit", "createTexture",  "upload",          "deleteTexture", "readPixels",
    "swap",   "rendererString", "contextInfo",     "glError",       "close"};

namespace {

void *library() {
    static void *handle;
    if (!handle) {
        handle = dlopen(OMBREL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            throw std::runtime_error(std::string("cannot load the renderer: ") + dlerror());
    }
    return handle;
}

} // namespace

void *native_symbol(const char *method) {
    std::string symbol = std::string("Java_marlith_sdk_ui_render_NativeGpu_") + method;
    void *f = dlsym(library(), symbol.c_str());
    if (!f) throw std::runtime_error(symbol + " is not exported");
    return f;
}

jclass native_class() {
    static jclass cls;
    if (!cls) {
        jclass local = jni()->FindClass("java/lang/Object");
        cls = (jclass)jni()->NewGlobalRef(local);
        jni()->DeleteLocalRef(local);
    }
    return cls;
}

namespace {

// The entry points' function types, by method name.
namespace entry_type {
#define OMBREL_ENTRY_TYPE(ret, method, params) using method = ret(*) params;
OMBREL_ENTRY_POINTS(OMBREL_ENTRY_TYPE)
#undef OMBREL_ENTRY_TYPE
} // namespace entry_type

template <typename F> F entry(const char *method) {
    return (F)native_symbol(method);
}

template <typename R, typename... P, typename... A>
R invoke(const char *method, R (*)(JNIEnv *, jclass, P...), A... args) {
    auto f = entry<R (*)(JNIEnv *, jclass, P...)>(method);
    JNIEnv *e = jni();
    if (e->PushLocalFrame(16) != 0) throw std::runtime_error("PushLocalFrame failed");
    if constexpr (std::is_void_v<R>) {
        f(e, native_class(), args...);
        e->PopLocalFrame(nullptr);
    } else if constexpr (std::is_pointer_v<R>) {
        R r = f(e, native_class(), args...);
        return (R)e->PopLocalFrame(r);
    } else {
        R r = f(e, native_class(), args...);
        e->PopLocalFrame(nullptr);
        return r;
    }
}

std::string text_of(jstring s) {
    if (!s) return "<null>";
    JNIEnv *e = jni();
    const char *chars = e->GetStringUTFChars(s, nullptr);
    std::string text = chars ? chars : "<no characters>";
    if (chars) e->ReleaseStringUTFChars(s, chars);
    e->DeleteLocalRef(s);
    return text;
}

} // namespace

// Each entry point called with the type the library declares it with.
#define ENTRY(method, ...) invoke(#method, entry_type::method(nullptr), ##__VA_ARGS__)

namespace native {

void open(jobject canvas, jstring jawt_path, jobjectArray shaders) {
    ENTRY(open, canvas, jawt_path, shaders);
}

jlong client_size() {
    return ENTRY(clientSize);
}

jint protocol_version() {
    return ENTRY(protocolVersion);
}

void attach(jobjectArray shaders) {
    ENTRY(attach, shaders);
}

void background(jint width, jint height, jfloat time, jboolean grid, jboolean light,
                jint background, jint accent) {
    ENTRY(background, width, height, time, grid, light, background, accent);
}

void submit(jobject buffer, jint count, jint target, jint color_buffer, jint width, jint height,
            jfloat ui_width, jfloat ui_height, jfloat sigma, jfloat mx, jfloat my) {
    ENTRY(submit, buffer, count, target, color_buffer, width, height, ui_width, ui_height, sigma,
          mx, my);
}

jint create_texture(jint width, jint height) {
    return ENTRY(createTexture, width, height);
}

void upload(jint texture, jint x, jint y, jint width, jint height, jobject pixels) {
    ENTRY(upload, texture, x, y, width, height, pixels);
}

void delete_texture(jint texture) {
    ENTRY(deleteTexture, texture);
}

void read_pixels(jint width, jint height, jobject pixels) {
    ENTRY(readPixels, width, height, pixels);
}

void swap() {
    ENTRY(swap);
}

std::string renderer_string() {
    return text_of(ENTRY(rendererString));
}

std::string context_info() {
    return text_of(ENTRY(contextInfo));
}

jint gl_error() {
    return ENTRY(glError);
}

void close() {
    ENTRY(close);
}

#undef ENTRY

} // namespace native

// ---- Shader sources ---------------------------------------------------------

namespace {

const char *const role_files[7] = {"fullscreen.vert", "background.frag", "blur.frag", "record.vert",
                                   "glass.frag",      "shape.frag",      "text.frag"};

std::string read_file(const std::string &path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

std::string test_shader(const char *file) {
    return read_file(std::string(OMBREL_TEST_SHADERS) + "/" + file);
}

std::vector<std::string> test_sources() {
    std::vector<std::string> sources;
    for (const char *file : role_files)
        sources.push_back(test_shader(file));
    return sources;
}

std::vector<std::string> reference_sources() {
    std::vector<std::string> sources;
    for (const char *file : role_files)
        sources.push_back(read_file(std::string(OMBREL_REFERENCE_SHADERS) + "/" + file));
    return sources;
}

jobjectArray sources_array(const std::vector<std::string> &sources) {
    std::vector<const char *> texts;
    for (const std::string &s : sources)
        texts.push_back(s.c_str());
    return string_array(texts);
}

// ---- Child processes --------------------------------------------------------

bool in_child(const std::vector<std::string> &environment) {
    if (getenv("OMBREL_TEST_CHILD")) return true;
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string filter =
        std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    std::vector<std::string> entries = environment;
    entries.push_back("OMBREL_TEST_CHILD=1");
    for (char **e = environ; *e; e++)
        entries.push_back(*e);
    std::vector<char *> envp;
    for (std::string &s : entries)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    // The child's report tells a skip (its driver lacks what the test needs)
    // from a pass, which its exit status does not.
    char report[] = "/tmp/ombrel-child-XXXXXX.json";
    int fd = mkstemps(report, 5);
    if (fd < 0) {
        ADD_FAILURE() << "cannot make the child's report file";
        return false;
    }
    ::close(fd);
    std::string output = std::string("--gtest_output=json:") + report;
    char self[] = "/proc/self/exe";
    char *argv[] = {self, filter.data(), output.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, self, nullptr, nullptr, argv, envp.data()) != 0) {
        ADD_FAILURE() << "cannot start the child process";
        unlink(report);
        return false;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    std::ifstream in(report);
    std::stringstream text;
    text << in.rdbuf();
    unlink(report);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the child run of this test failed (status " << status << ")";
    if (text.str().find("\"result\": \"SKIPPED\"") != std::string::npos)
        [] { GTEST_SKIP() << "skipped in the child run"; }();
    return false;
}

// ---- Fixture ----------------------------------------------------------------

void RendererTest::SetUp() {
    jvm_log_clear();
    ASSERT_EQ(jni()->PushLocalFrame(256), 0);
}

void RendererTest::TearDown() {
    Thrown stray = take_exception();
    EXPECT_FALSE(stray.pending) << "exception left pending: " << stray.type << ": "
                                << stray.message;
    if (host.display != EGL_NO_DISPLAY) {
        host_make_current(host);
        native::close();
        Thrown from_close = take_exception();
        EXPECT_FALSE(from_close.pending) << "close raised " << from_close.message;
        host_close(&host);
    }
    jni()->PopLocalFrame(nullptr);
    std::string warnings = jni_warnings();
    EXPECT_TRUE(warnings.empty()) << "JNI problems reported by -Xcheck:jni:\n" << warnings;
}

void RendererTest::start(Profile profile, int major, int minor, RecorderKind recorder_kind,
                         int pbuffer_width, int pbuffer_height) {
    load_recorder(recorder_kind);
    std::string failure = host_open(&host, profile, major, minor, pbuffer_width, pbuffer_height);
    if (!failure.empty()) throw std::runtime_error("host context: " + failure);
}

void RendererTest::attach_ok() {
    native::attach(sources_array(test_sources()));
    Thrown t = take_exception();
    if (t.pending) throw std::runtime_error("attach failed: " + t.type + ": " + t.message);
}

void expect_thrown(const char *type, const std::string &message) {
    Thrown t = take_exception();
    EXPECT_TRUE(t.pending) << "expected " << type << ": " << message;
    if (!t.pending) return;
    EXPECT_EQ(t.type, type);
    EXPECT_EQ(t.message, message);
}

void expect_no_exception() {
    Thrown t = take_exception();
    EXPECT_FALSE(t.pending) << t.type << ": " << t.message;
}
