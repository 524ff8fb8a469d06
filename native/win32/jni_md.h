// Machine-dependent JNI types for 64-bit Windows, used in place of the JDK's
// Linux jni_md.h when cross-building ombrel-ui.dll. The types match the
// Windows JDK: long is 32 bits there, so jint is a long.
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef __int64 jlong;
typedef signed char jbyte;

#endif
