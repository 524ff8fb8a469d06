// Counts the JNI local references a call holds at once. The thread's JNIEnv
// is pointed at a copy of its function table in which the functions that
// return a new local reference, DeleteLocalRef and the local frame calls keep
// count, each forwarding to the JVM's own function with the real JNIEnv.
#ifndef OMBREL_TEST_LOCAL_REFS_H
#define OMBREL_TEST_LOCAL_REFS_H

#include <functional>

// The most local references live at one time during the call, counting
// those it made and not those that existed before.
int peak_local_refs(const std::function<void()> &call);

#endif
