// GL types, enumerants and the list of GL entry points the renderer calls.
// The lists are X-macros: each entry is X(return type, name, parameters,
// arguments), so the same list yields the function pointers and the load loop
// here, and the forwarding wrappers of the test call recorder.
#ifndef OMBREL_GL_API_H
#define OMBREL_GL_API_H

#include <GL/glcorearb.h>

// Compatibility-profile enumerant the core header leaves out.
#ifndef GL_ALPHA_TEST
#define GL_ALPHA_TEST 0x0BC0
#endif

// The 63 functions the renderer cannot do without, in lookup order: when a
// driver lacks several, the first one here is the one reported.
#define OMBREL_GL_REQUIRED(X)                                                                      \
    X(void, glActiveTexture, (GLenum texture), (texture))                                          \
    X(void, glAttachShader, (GLuint program, GLuint shader), (program, shader))                    \
    X(void, glBindFramebuffer, (GLenum target, GLuint framebuffer), (target, framebuffer))         \
    X(void, glBindTexture, (GLenum target, GLuint texture), (target, texture))                     \
    X(void, glBindVertexArray, (GLuint array), (array))                                            \
    X(void, glBlendEquationSeparate, (GLenum rgb, GLenum alpha), (rgb, alpha))                     \
    X(void, glBlendFuncSeparate, (GLenum srgb, GLenum drgb, GLenum salpha, GLenum dalpha),         \
      (srgb, drgb, salpha, dalpha))                                                                \
    X(void, glBlitFramebuffer,                                                                     \
      (GLint sx0, GLint sy0, GLint sx1, GLint sy1, GLint dx0, GLint dy0, GLint dx1, GLint dy1,     \
       GLbitfield mask, GLenum filter),                                                            \
      (sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, mask, filter))                                      \
    X(void, glCompileShader, (GLuint shader), (shader))                                            \
    X(GLuint, glCreateProgram, (void), ())                                                         \
    X(GLuint, glCreateShader, (GLenum type), (type))                                               \
    X(void, glDeleteFramebuffers, (GLsizei n, const GLuint *names), (n, names))                    \
    X(void, glDeleteProgram, (GLuint program), (program))                                          \
    X(void, glDeleteShader, (GLuint shader), (shader))                                             \
    X(void, glDeleteTextures, (GLsizei n, const GLuint *names), (n, names))                        \
    X(void, glDeleteVertexArrays, (GLsizei n, const GLuint *names), (n, names))                    \
    X(void, glDisable, (GLenum cap), (cap))                                                        \
    X(void, glDrawArrays, (GLenum mode, GLint first, GLsizei count), (mode, first, count))         \
    X(void, glDrawBuffer, (GLenum buf), (buf))                                                     \
    X(void, glEnable, (GLenum cap), (cap))                                                         \
    X(void, glFramebufferTexture2D,                                                                \
      (GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level),           \
      (target, attachment, textarget, texture, level))                                             \
    X(void, glGenFramebuffers, (GLsizei n, GLuint * names), (n, names))                            \
    X(void, glGenTextures, (GLsizei n, GLuint * names), (n, names))                                \
    X(void, glGenVertexArrays, (GLsizei n, GLuint * names), (n, names))                            \
    X(GLenum, glCheckFramebufferStatus, (GLenum target), (target))                                 \
    X(GLenum, glGetError, (void), ())                                                              \
    X(void, glGetIntegerv, (GLenum pname, GLint * data), (pname, data))                            \
    X(void, glGetProgramInfoLog, (GLuint program, GLsizei size, GLsizei * length, GLchar * log),   \
      (program, size, length, log))                                                                \
    X(void, glGetProgramiv, (GLuint program, GLenum pname, GLint * params),                        \
      (program, pname, params))                                                                    \
    X(void, glGetShaderInfoLog, (GLuint shader, GLsizei size, GLsizei * length, GLchar * log),     \
      (shader, size, length, log))                                                                 \
    X(void, glGetShaderiv, (GLuint shader, GLenum pname, GLint * params), (shader, pname, params)) \
    X(const GLubyte *, glGetString, (GLenum name), (name))                                         \
    X(GLint, glGetUniformLocation, (GLuint program, const GLchar *name), (program, name))          \
    X(void, glLinkProgram, (GLuint program), (program))                                            \
    X(void, glReadBuffer, (GLenum src), (src))                                                     \
    X(void, glShaderSource,                                                                        \
      (GLuint shader, GLsizei count, const GLchar *const *string, const GLint *length),            \
      (shader, count, string, length))                                                             \
    X(void, glTexImage2D,                                                                          \
      (GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,            \
       GLint border, GLenum format, GLenum type, const void *pixels),                              \
      (target, level, internalformat, width, height, border, format, type, pixels))                \
    X(void, glTexParameteri, (GLenum target, GLenum pname, GLint param), (target, pname, param))   \
    X(void, glUniform4fv, (GLint location, GLsizei count, const GLfloat *value),                   \
      (location, count, value))                                                                    \
    X(void, glUniform1f, (GLint location, GLfloat v0), (location, v0))                             \
    X(void, glUniform1i, (GLint location, GLint v0), (location, v0))                               \
    X(void, glUniform2f, (GLint location, GLfloat v0, GLfloat v1), (location, v0, v1))             \
    X(void, glUniform4f, (GLint location, GLfloat v0, GLfloat v1, GLfloat v2, GLfloat v3),         \
      (location, v0, v1, v2, v3))                                                                  \
    X(void, glUseProgram, (GLuint program), (program))                                             \
    X(void, glViewport, (GLint x, GLint y, GLsizei width, GLsizei height), (x, y, width, height))  \
    X(GLboolean, glIsEnabled, (GLenum cap), (cap))                                                 \
    X(void, glScissor, (GLint x, GLint y, GLsizei width, GLsizei height), (x, y, width, height))   \
    X(void, glGetIntegeri_v, (GLenum target, GLuint index, GLint * data), (target, index, data))   \
    X(void, glColorMaski, (GLuint index, GLboolean r, GLboolean g, GLboolean b, GLboolean a),      \
      (index, r, g, b, a))                                                                         \
    X(GLboolean, glIsEnabledi, (GLenum target, GLuint index), (target, index))                     \
    X(void, glEnablei, (GLenum target, GLuint index), (target, index))                             \
    X(void, glDisablei, (GLenum target, GLuint index), (target, index))                            \
    X(void, glBindBuffer, (GLenum target, GLuint buffer), (target, buffer))                        \
    X(void, glBindSampler, (GLuint unit, GLuint sampler), (unit, sampler))                         \
    X(void, glPixelStorei, (GLenum pname, GLint param), (pname, param))                            \
    X(void, glPolygonMode, (GLenum face, GLenum mode), (face, mode))                               \
    X(void, glTexSubImage2D,                                                                       \
      (GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width, GLsizei height,    \
       GLenum format, GLenum type, const void *pixels),                                            \
      (target, level, xoffset, yoffset, width, height, format, type, pixels))                      \
    X(void, glReadPixels,                                                                          \
      (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, void *pixels), \
      (x, y, width, height, format, type, pixels))                                                 \
    X(const GLubyte *, glGetStringi, (GLenum name, GLuint index), (name, index))                   \
    X(GLboolean, glIsTexture, (GLuint texture), (texture))                                         \
    X(GLboolean, glIsFramebuffer, (GLuint framebuffer), (framebuffer))                             \
    X(void, glGetTexLevelParameteriv, (GLenum target, GLint level, GLenum pname, GLint * params),  \
      (target, level, pname, params))                                                              \
    X(void, glGetFramebufferAttachmentParameteriv,                                                 \
      (GLenum target, GLenum attachment, GLenum pname, GLint * params),                            \
      (target, attachment, pname, params))

// Functions looked up by name when needed rather than at load: the draw-buffer
// list of a framebuffer target and the indexed blend calls with their ARB forms.
#define OMBREL_GL_OPTIONAL(X)                                                                      \
    X(void, glDrawBuffers, (GLsizei n, const GLenum *bufs), (n, bufs))                             \
    X(void, glBlendFuncSeparatei,                                                                  \
      (GLuint buf, GLenum srgb, GLenum drgb, GLenum salpha, GLenum dalpha),                        \
      (buf, srgb, drgb, salpha, dalpha))                                                           \
    X(void, glBlendEquationSeparatei, (GLuint buf, GLenum rgb, GLenum alpha), (buf, rgb, alpha))   \
    X(void, glBlendFuncSeparateiARB,                                                               \
      (GLuint buf, GLenum srgb, GLenum drgb, GLenum salpha, GLenum dalpha),                        \
      (buf, srgb, drgb, salpha, dalpha))                                                           \
    X(void, glBlendEquationSeparateiARB, (GLuint buf, GLenum rgb, GLenum alpha), (buf, rgb, alpha))

// The default framebuffer's colour buffers submit may name, X(buffer, the
// single buffer whose presence says whether the framebuffer has it).
// GL_FRONT_AND_BACK is not among them: the backdrop is read from the buffer
// too, and glReadBuffer refuses it.
#define OMBREL_DEFAULT_COLOR_BUFFERS(X)                                                            \
    X(GL_FRONT_LEFT, GL_FRONT_LEFT)                                                                \
    X(GL_FRONT_RIGHT, GL_FRONT_RIGHT)                                                              \
    X(GL_BACK_LEFT, GL_BACK_LEFT)                                                                  \
    X(GL_BACK_RIGHT, GL_BACK_RIGHT)                                                                \
    X(GL_FRONT, GL_FRONT_LEFT)                                                                     \
    X(GL_BACK, GL_BACK_LEFT)                                                                       \
    X(GL_LEFT, GL_FRONT_LEFT)                                                                      \
    X(GL_RIGHT, GL_FRONT_RIGHT)

#endif
