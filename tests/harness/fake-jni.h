// A JNIEnv without a JVM, for programs that drive the library where no JVM
// runs: the Windows harness under Wine (there is no Java for Windows on this
// machine) and the headless benchmark (bench/headless). Every one of the 234
// table slots traps and names itself unless the library is known to use it;
// the ones it uses behave like the JVM's and count references and string pins
// so a test can prove nothing leaked.
#ifndef OMBREL_FAKE_JNI_H
#define OMBREL_FAKE_JNI_H

#include <jni.h>

#include <string>
#include <vector>

JNIEnv *fake_env();

// Objects made by the harness, as local references the library did not create.
jobject make_object(const char *class_name);
jstring make_string(const std::u16string &text);
jstring make_string(const std::string &ascii);
jobjectArray make_string_array(const std::vector<std::string> &texts);
jobjectArray make_object_array(const std::vector<jobject> &elements);
jobject make_direct_buffer(void *address, jlong capacity);
jobject make_heap_buffer();

// Reads a string the library returned and drops the reference as Java would.
std::string take_string(jstring s);

// The exception pending in the environment, as "class: message", or "" when
// none is; taking it clears it.
std::string take_exception();
// Makes an exception pending, as if an earlier JNI call had raised it.
void raise_pending(const char *class_name, const char *message);

// Faults the environment can be told to produce on the next call.
void fail_next_new_global_ref();

// Which object a reference names, and whether it is a global reference.
const void *referent(jobject ref);
bool is_global_ref(jobject ref);

// Bookkeeping of what the library itself created and released.
struct JniAudit {
    int live_library_locals;         // local references the library made and did not delete
    int live_globals;                // global references not yet deleted
    int pinned_utf;                  // GetStringUTFChars results not released
    int pinned_chars;                // GetStringChars results not released
    int throws;                      // ThrowNew calls
    std::vector<std::string> misuse; // calls a JVM would reject or that break the rules
};

JniAudit jni_audit();
// Forgets the recorded misuse and throw count; references stay as they are.
void reset_jni_audit();

#endif
