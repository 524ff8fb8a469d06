// Layout of the call log kept by the GL call recorder, and its control
// functions. Shared by the recorder library and the tests that read the log.
#ifndef OMBREL_TEST_RECORDER_H
#define OMBREL_TEST_RECORDER_H

#define REC_MAX_ARGS 10
#define REC_MAX_DATA 16
#define REC_MAX_TEXT 64

// One recorded call. Integer, enum, boolean and pointer arguments land in
// `i`, float arguments in `f` (integers are copied there as well). `data`
// holds what a few calls pass through arrays: the names of glGen*/glDelete*
// and glDrawBuffers, the values of glUniform4fv; `text` holds the name given
// to glGetUniformLocation or glXGetProcAddressARB.
struct RecCall {
    const char *name;
    int argc;
    long long i[REC_MAX_ARGS];
    float f[REC_MAX_ARGS];
    long long ret;
    int data_count;
    unsigned int data_u[REC_MAX_DATA];
    float data_f[REC_MAX_DATA];
    char text[REC_MAX_TEXT];
};

// The control functions: return type, name, parameters.
#define REC_CONTROLS(X)                                                                            \
    X(void, rec_clear, (void))                                                                     \
    X(long, rec_count, (void))                                                                     \
    X(const struct RecCall *, rec_call, (long index))                                              \
    X(int, rec_overflowed, (void))                                                                 \
    X(void, rec_hide, (const char *name))                                                          \
    X(void, rec_unhide_all, (void))                                                                \
    X(int *, rec_driver_depth, (void))

#ifdef __cplusplus
extern "C" {
#endif
#define REC_DECLARE(ret, name, params) ret name params;
REC_CONTROLS(REC_DECLARE)
#undef REC_DECLARE
#ifdef __cplusplus
}
#endif

#endif
