/* A library that exports only NativeGpu.protocolVersion and answers another
   version than the Java side expects: NativeGpu.load() must refuse it. */
__attribute__((visibility("default"))) int
Java_marlith_sdk_ui_render_NativeGpu_protocolVersion(void *env, void *cls) {
    (void)env;
    (void)cls;
    return WRONG_PROTOCOL_VERSION;
}
