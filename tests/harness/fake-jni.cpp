#include "fake-jni.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <utility>

namespace {

enum class Kind { Class, String, Array, DirectBuffer, HeapBuffer, Plain, Throwable };

struct Object {
    Kind kind;
    std::string class_name; // Class, Plain and Throwable
    std::u16string text;    // String; the message of a Throwable
    std::vector<jobject> elements;
    void *address;
    jlong capacity;
};

struct Ref {
    Object *object;
    bool global;
    bool live;
    bool by_library;
};

std::deque<Object> objects;
std::deque<Ref> refs;
std::set<const Ref *> known_refs;
std::map<const void *, Object *> pinned_utf, pinned_chars;
Object *pending;
bool refuse_global_ref;
JniAudit audit;

const char *const slot_names[] = {
#include "jni-slot-names.inc"
};
constexpr size_t slot_count = sizeof(JNINativeInterface_) / sizeof(void *);
static_assert(sizeof slot_names / sizeof *slot_names == slot_count, "one name per slot");

void misuse(const std::string &what) {
    audit.misuse.push_back(what);
}

Object *new_object(Kind kind) {
    objects.push_back(Object{kind, {}, {}, {}, nullptr, 0});
    return &objects.back();
}

jobject new_ref(Object *object, bool global, bool by_library) {
    refs.push_back(Ref{object, global, true, by_library});
    known_refs.insert(&refs.back());
    return reinterpret_cast<jobject>(&refs.back());
}

// Resolves a reference the library passed in; null stays null.
Object *deref(jobject ref, const char *function) {
    if (!ref) return nullptr;
    Ref *r = reinterpret_cast<Ref *>(ref);
    if (!known_refs.count(r)) {
        misuse(std::string(function) + ": not a reference this environment made");
        return nullptr;
    }
    if (!r->live) {
        misuse(std::string(function) + ": reference used after it was deleted");
        return nullptr;
    }
    return r->object;
}

std::u16string from_modified_utf8(const char *s) {
    std::u16string out;
    for (const unsigned char *p = (const unsigned char *)s; *p;) {
        if (*p < 0x80) {
            out += char16_t(*p++);
        } else if ((*p & 0xE0) == 0xC0) {
            out += char16_t(((p[0] & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
        } else {
            out += char16_t(((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            p += 3;
        }
    }
    return out;
}

// Java's modified UTF-8: NUL as two bytes and each surrogate on its own.
std::string to_modified_utf8(const std::u16string &s) {
    std::string out;
    for (char16_t c : s) {
        if (c != 0 && c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

[[noreturn]] void trap_slot(size_t slot) {
    std::printf("FATAL: the library called JNI function %s (slot %u), which the test "
                "environment does not provide\n",
                slot_names[slot], unsigned(slot));
    std::fflush(stdout);
    std::_Exit(3);
}

template <size_t N> void JNICALL trap() {
    trap_slot(N);
}

template <size_t... N> void fill_traps(void **slots, std::index_sequence<N...>) {
    ((slots[N] = reinterpret_cast<void *>(&trap<N>)), ...);
}

jboolean JNICALL exception_check(JNIEnv *) {
    return pending ? JNI_TRUE : JNI_FALSE;
}

jthrowable JNICALL exception_occurred(JNIEnv *) {
    return pending ? static_cast<jthrowable>(new_ref(pending, false, true)) : nullptr;
}

void JNICALL exception_clear(JNIEnv *) {
    pending = nullptr;
}

jclass JNICALL find_class(JNIEnv *, const char *name) {
    Object *c = new_object(Kind::Class);
    c->class_name = name;
    return static_cast<jclass>(new_ref(c, false, true));
}

jint JNICALL throw_new(JNIEnv *, jclass cls, const char *message) {
    Object *c = deref(cls, "ThrowNew");
    if (!c || c->kind != Kind::Class) {
        misuse("ThrowNew: first argument is not a class");
        return -1;
    }
    if (pending) misuse("ThrowNew while an exception is already pending");
    ++audit.throws;
    pending = new_object(Kind::Throwable);
    pending->class_name = c->class_name;
    pending->text = from_modified_utf8(message ? message : "");
    return 0;
}

jobject JNICALL new_global_ref(JNIEnv *, jobject ref) {
    Object *o = deref(ref, "NewGlobalRef");
    if (!o || refuse_global_ref) {
        refuse_global_ref = false;
        return nullptr;
    }
    return new_ref(o, true, true);
}

void JNICALL delete_global_ref(JNIEnv *, jobject ref) {
    if (!ref || !deref(ref, "DeleteGlobalRef")) return;
    Ref *r = reinterpret_cast<Ref *>(ref);
    if (!r->global) misuse("DeleteGlobalRef on a local reference");
    r->live = false;
}

void JNICALL delete_local_ref(JNIEnv *, jobject ref) {
    if (!ref || !deref(ref, "DeleteLocalRef")) return;
    Ref *r = reinterpret_cast<Ref *>(ref);
    if (r->global) misuse("DeleteLocalRef on a global reference");
    if (!r->by_library) misuse("DeleteLocalRef on a reference the library did not create");
    r->live = false;
}

jboolean JNICALL is_instance_of(JNIEnv *, jobject ref, jclass cls) {
    Object *o = deref(ref, "IsInstanceOf");
    Object *c = deref(cls, "IsInstanceOf");
    if (!c) return JNI_FALSE;
    if (!o || c->class_name == "java/lang/Object") return JNI_TRUE;
    if (o->kind == Kind::String) return c->class_name == "java/lang/String";
    return o->class_name == c->class_name;
}

jstring JNICALL new_string_utf(JNIEnv *, const char *utf) {
    Object *s = new_object(Kind::String);
    s->text = from_modified_utf8(utf);
    return static_cast<jstring>(new_ref(s, false, true));
}

Object *string_arg(jstring s, const char *function) {
    Object *o = deref(s, function);
    if (o && o->kind != Kind::String) misuse(std::string(function) + " on a non-string");
    return o && o->kind == Kind::String ? o : nullptr;
}

jsize JNICALL get_string_length(JNIEnv *, jstring s) {
    Object *o = string_arg(s, "GetStringLength");
    return o ? jsize(o->text.size()) : 0;
}

// The copy is not zero-terminated, as the JVM's is not guaranteed to be: a
// reader that runs past the length sees 'X' units.
const jchar *JNICALL get_string_chars(JNIEnv *, jstring s, jboolean *is_copy) {
    Object *o = string_arg(s, "GetStringChars");
    if (!o) return nullptr;
    jchar *copy = new jchar[o->text.size() + 8];
    std::memcpy(copy, o->text.data(), o->text.size() * sizeof(jchar));
    for (int i = 0; i < 8; ++i)
        copy[o->text.size() + i] = u'X';
    if (is_copy) *is_copy = JNI_TRUE;
    pinned_chars[copy] = o;
    return copy;
}

// Frees characters a Get call pinned from `s`; `what` names the Release call.
template <typename C>
void release_pinned(std::map<const void *, Object *> &pinned, jstring s, const C *chars,
                    const char *what) {
    Object *o = string_arg(s, what);
    auto it = pinned.find(chars);
    if (it == pinned.end() || it->second != o) {
        misuse(std::string(what) + " with characters not pinned from that string");
        return;
    }
    pinned.erase(it);
    delete[] chars;
}

void JNICALL release_string_chars(JNIEnv *, jstring s, const jchar *chars) {
    release_pinned(pinned_chars, s, chars, "ReleaseStringChars");
}

const char *JNICALL get_string_utf_chars(JNIEnv *, jstring s, jboolean *is_copy) {
    Object *o = string_arg(s, "GetStringUTFChars");
    if (!o) return nullptr;
    std::string utf = to_modified_utf8(o->text);
    char *copy = new char[utf.size() + 1];
    std::memcpy(copy, utf.c_str(), utf.size() + 1);
    if (is_copy) *is_copy = JNI_TRUE;
    pinned_utf[copy] = o;
    return copy;
}

void JNICALL release_string_utf_chars(JNIEnv *, jstring s, const char *chars) {
    release_pinned(pinned_utf, s, chars, "ReleaseStringUTFChars");
}

jsize JNICALL get_array_length(JNIEnv *, jarray a) {
    Object *o = deref(a, "GetArrayLength");
    if (!o || o->kind != Kind::Array) {
        misuse("GetArrayLength on a non-array");
        return 0;
    }
    return jsize(o->elements.size());
}

jobject JNICALL get_object_array_element(JNIEnv *, jobjectArray a, jsize i) {
    Object *o = deref(a, "GetObjectArrayElement");
    if (!o || o->kind != Kind::Array || i < 0 || size_t(i) >= o->elements.size()) {
        misuse("GetObjectArrayElement out of range or on a non-array");
        return nullptr;
    }
    jobject element = o->elements[size_t(i)];
    return element ? new_ref(reinterpret_cast<Ref *>(element)->object, false, true) : nullptr;
}

void *JNICALL get_direct_buffer_address(JNIEnv *, jobject b) {
    Object *o = deref(b, "GetDirectBufferAddress");
    return o && o->kind == Kind::DirectBuffer ? o->address : nullptr;
}

jlong JNICALL get_direct_buffer_capacity(JNIEnv *, jobject b) {
    Object *o = deref(b, "GetDirectBufferCapacity");
    return o && o->kind == Kind::DirectBuffer ? o->capacity : -1;
}

// The few Java methods the library calls on buffers: a direct buffer's byte
// order, which is always the platform's here, and whether it is read-only,
// which it never is. A method ID points at its entry. The library calls them
// through the C++ wrappers of jni.h, which reach the va_list slots.
struct Method {
    const char *name, *signature;
    bool is_static;
};

const Method buffer_order = {"order", "()Ljava/nio/ByteOrder;", false};
const Method buffer_read_only = {"isReadOnly", "()Z", false};
const Method native_order = {"nativeOrder", "()Ljava/nio/ByteOrder;", true};
const Method *const methods[] = {&buffer_order, &buffer_read_only, &native_order};

jmethodID id_of(const Method &m) {
    return reinterpret_cast<jmethodID>(const_cast<Method *>(&m));
}

Object *platform_order() {
    static Object *order = [] {
        Object *o = new_object(Kind::Plain);
        o->class_name = "java/nio/ByteOrder";
        return o;
    }();
    return order;
}

jboolean JNICALL is_same_object(JNIEnv *, jobject a, jobject b) {
    return deref(a, "IsSameObject") == deref(b, "IsSameObject") ? JNI_TRUE : JNI_FALSE;
}

jclass JNICALL get_object_class(JNIEnv *, jobject ref) {
    Object *o = deref(ref, "GetObjectClass");
    if (!o) return nullptr;
    Object *c = new_object(Kind::Class);
    c->class_name = o->kind == Kind::DirectBuffer ? "java/nio/DirectByteBuffer" : o->class_name;
    return static_cast<jclass>(new_ref(c, false, true));
}

// Finds a method this environment answers; any other raises
// NoSuchMethodError as the JVM does.
jmethodID find_method(jclass cls, const char *name, const char *signature, bool is_static) {
    Object *c = deref(cls, "Get(Static)MethodID");
    for (const Method *m : methods)
        if (c && c->kind == Kind::Class && !std::strcmp(m->name, name) &&
            !std::strcmp(m->signature, signature) && m->is_static == is_static)
            return id_of(*m);
    misuse(std::string("no method ") + name + signature + " in this environment");
    pending = new_object(Kind::Throwable);
    pending->class_name = "java/lang/NoSuchMethodError";
    pending->text = from_modified_utf8(name);
    return nullptr;
}

jmethodID JNICALL get_method_id(JNIEnv *, jclass cls, const char *name, const char *signature) {
    return find_method(cls, name, signature, false);
}

jmethodID JNICALL get_static_method_id(JNIEnv *, jclass cls, const char *name,
                                       const char *signature) {
    return find_method(cls, name, signature, true);
}

// The receiver of a buffer method, or null after recording the misuse.
Object *buffer_receiver(jobject ref, jmethodID id, const Method &expected, const char *function) {
    Object *o = deref(ref, function);
    if (o && o->kind == Kind::DirectBuffer && id == id_of(expected)) return o;
    misuse(std::string(function) + " with a method or receiver this environment does not answer");
    return nullptr;
}

jobject JNICALL call_object_method(JNIEnv *, jobject ref, jmethodID id, va_list) {
    if (!buffer_receiver(ref, id, buffer_order, "CallObjectMethod")) return nullptr;
    return new_ref(platform_order(), false, true);
}

jboolean JNICALL call_boolean_method(JNIEnv *, jobject ref, jmethodID id, va_list) {
    buffer_receiver(ref, id, buffer_read_only, "CallBooleanMethod");
    return JNI_FALSE;
}

jobject JNICALL call_static_object_method(JNIEnv *, jclass, jmethodID id, va_list) {
    if (id != id_of(native_order)) {
        misuse("CallStaticObjectMethod with a method this environment does not answer");
        return nullptr;
    }
    return new_ref(platform_order(), false, true);
}

JNINativeInterface_ make_table() {
    JNINativeInterface_ t;
    fill_traps(reinterpret_cast<void **>(&t), std::make_index_sequence<slot_count>());
    t.ExceptionCheck = exception_check;
    t.ExceptionOccurred = exception_occurred;
    t.ExceptionClear = exception_clear;
    t.FindClass = find_class;
    t.ThrowNew = throw_new;
    t.NewGlobalRef = new_global_ref;
    t.DeleteGlobalRef = delete_global_ref;
    t.DeleteLocalRef = delete_local_ref;
    t.IsInstanceOf = is_instance_of;
    t.NewStringUTF = new_string_utf;
    t.GetStringLength = get_string_length;
    t.GetStringChars = get_string_chars;
    t.ReleaseStringChars = release_string_chars;
    t.GetStringUTFChars = get_string_utf_chars;
    t.ReleaseStringUTFChars = release_string_utf_chars;
    t.GetArrayLength = get_array_length;
    t.GetObjectArrayElement = get_object_array_element;
    t.GetDirectBufferAddress = get_direct_buffer_address;
    t.GetDirectBufferCapacity = get_direct_buffer_capacity;
    t.IsSameObject = is_same_object;
    t.GetObjectClass = get_object_class;
    t.GetMethodID = get_method_id;
    t.GetStaticMethodID = get_static_method_id;
    t.CallObjectMethodV = call_object_method;
    t.CallBooleanMethodV = call_boolean_method;
    t.CallStaticObjectMethodV = call_static_object_method;
    return t;
}

JNINativeInterface_ table = make_table();
JNIEnv env = {&table};

} // namespace

JNIEnv *fake_env() {
    return &env;
}

jobject make_object(const char *class_name) {
    Object *o = new_object(Kind::Plain);
    o->class_name = class_name;
    return new_ref(o, false, false);
}

jstring make_string(const std::u16string &text) {
    Object *o = new_object(Kind::String);
    o->text = text;
    return static_cast<jstring>(new_ref(o, false, false));
}

jstring make_string(const std::string &ascii) {
    return make_string(std::u16string(ascii.begin(), ascii.end()));
}

jobjectArray make_object_array(const std::vector<jobject> &elements) {
    Object *o = new_object(Kind::Array);
    o->class_name = "[Ljava/lang/Object;";
    o->elements = elements;
    return static_cast<jobjectArray>(new_ref(o, false, false));
}

jobjectArray make_string_array(const std::vector<std::string> &texts) {
    std::vector<jobject> elements;
    for (const std::string &t : texts)
        elements.push_back(make_string(t));
    return make_object_array(elements);
}

jobject make_direct_buffer(void *address, jlong capacity) {
    Object *o = new_object(Kind::DirectBuffer);
    o->address = address;
    o->capacity = capacity;
    return new_ref(o, false, false);
}

jobject make_heap_buffer() {
    return new_ref(new_object(Kind::HeapBuffer), false, false);
}

std::string take_string(jstring s) {
    if (!s) return "(null)";
    Ref *r = reinterpret_cast<Ref *>(s);
    std::u16string text = r->object->text;
    r->live = false;
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? char(c) : '?';
    return out;
}

std::string take_exception() {
    if (!pending) return "";
    std::string out = pending->class_name + ": ";
    for (char16_t c : pending->text)
        out += c < 0x80 ? char(c) : '?';
    pending = nullptr;
    return out;
}

void raise_pending(const char *class_name, const char *message) {
    pending = new_object(Kind::Throwable);
    pending->class_name = class_name;
    pending->text = from_modified_utf8(message);
}

void fail_next_new_global_ref() {
    refuse_global_ref = true;
}

const void *referent(jobject ref) {
    Ref *r = reinterpret_cast<Ref *>(ref);
    return known_refs.count(r) ? r->object : nullptr;
}

bool is_global_ref(jobject ref) {
    Ref *r = reinterpret_cast<Ref *>(ref);
    return known_refs.count(r) && r->global;
}

JniAudit jni_audit() {
    JniAudit a = audit;
    a.live_library_locals = a.live_globals = 0;
    for (const Ref &r : refs) {
        if (!r.live) continue;
        if (r.global)
            ++a.live_globals;
        else if (r.by_library)
            ++a.live_library_locals;
    }
    a.pinned_utf = int(pinned_utf.size());
    a.pinned_chars = int(pinned_chars.size());
    return a;
}

void reset_jni_audit() {
    audit.misuse.clear();
    audit.throws = 0;
}
