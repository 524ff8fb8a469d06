// Process-wide measures the soak tests compare before and after many cycles.
#ifndef OMBREL_TEST_SOAK_H
#define OMBREL_TEST_SOAK_H

// Resident set size of this process in KiB.
long resident_kib();

// Strong JNI global references as the JVM itself reports them (the heap
// roots of kind JNI_GLOBAL, through JVMTI); -1 when JVMTI cannot count them.
long jni_global_references();

#endif
