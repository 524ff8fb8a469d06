# Link model of ombrel-ui.dll: no C or C++ runtime, no DLL entry routine, and
# only KERNEL32, GDI32 and USER32 imported, so the JVM can load it on any
# Windows without redistributables. The JNI functions are the only exports:
# JNIEXPORT marks them dllexport, and --exclude-all-symbols keeps the linker
# from exporting anything else.
set(JAVA_HOME "/usr/lib/jvm/java-17-openjdk-amd64" CACHE PATH "JDK whose jni.h and jawt.h are used")
# The JDK's platform-neutral jni.h and jawt.h; native/win32 supplies the
# Windows halves that a Linux JDK does not ship.
target_include_directories(ombrel-ui PRIVATE
  ${CMAKE_SOURCE_DIR}/native/win32 ${JAVA_HOME}/include)
# Without a runtime there is no stack protector, no ___chkstk_ms probe and no
# memset/memcpy for loops the optimiser would turn into library calls. With no
# probes a frame must stay below one page, or its first touch could jump the
# stack's guard page; -Wframe-larger-than makes a bigger frame a build error.
target_compile_options(ombrel-ui PRIVATE
  -fno-stack-protector -mno-stack-arg-probe -fno-tree-loop-distribute-patterns
  -Wframe-larger-than=4096)
set_target_properties(ombrel-ui PROPERTIES PREFIX "")
target_link_options(ombrel-ui PRIVATE
  -nostdlib -nodefaultlibs -Wl,--entry=0 -Wl,--exclude-all-symbols)
target_link_libraries(ombrel-ui PRIVATE kernel32 gdi32 user32)
