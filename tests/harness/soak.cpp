#include "soak.h"

#include "jvm.h"

#include <jvmti.h>
#include <stdio.h>
#include <unistd.h>

long resident_kib() {
    FILE *f = fopen("/proc/self/statm", "r");
    long pages = 0, resident = 0;
    if (f) {
        if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

static jint JNICALL count_global_root(jvmtiHeapReferenceKind kind, const jvmtiHeapReferenceInfo *,
                                      jlong, jlong, jlong, jlong *, jlong *, jint,
                                      void *user_data) {
    if (kind == JVMTI_HEAP_REFERENCE_JNI_GLOBAL) ++*static_cast<long *>(user_data);
    // Roots only: following them into the heap would count nothing more.
    return 0;
}

long jni_global_references() {
    static jvmtiEnv *ti;
    if (!ti) {
        JavaVM *vm = nullptr;
        if (jni()->GetJavaVM(&vm) != JNI_OK) return -1;
        if (vm->GetEnv(reinterpret_cast<void **>(&ti), JVMTI_VERSION_1_2) != JNI_OK) return -1;
        jvmtiCapabilities wanted = {};
        wanted.can_tag_objects = 1;
        if (ti->AddCapabilities(&wanted) != JVMTI_ERROR_NONE) return -1;
    }
    jvmtiHeapCallbacks callbacks = {};
    callbacks.heap_reference_callback = count_global_root;
    long count = 0;
    if (ti->FollowReferences(0, nullptr, nullptr, &callbacks, &count) != JVMTI_ERROR_NONE)
        return -1;
    return count;
}
