// Every message the library raises as IllegalStateException (a shader that
// does not compile or link raises its GL info log instead), as X(name, text):
// first the messages of both platforms, then those of Linux (GLX) and of
// Windows (WGL, and WGL_CODED for those raised with the suffix
// " (GetLastError=0xXXXXXXXX)"). Where the platforms say the same thing in
// other words, their lists use the same name.
#ifndef OMBREL_MESSAGES_H
#define OMBREL_MESSAGES_H

#define OMBREL_MESSAGES(X)                                                                         \
    X(already_open, "Renderer already open.")                                                      \
    X(one_backend, "Only one GPU backend is supported per process.")                               \
    X(cannot_retain_canvas, "Cannot retain AWT Canvas.")                                           \
    X(canvas_not_displayable, "AWT Canvas is not displayable.")                                    \
    X(cannot_query_surface, "Cannot query AWT native surface.")                                    \
    X(missing_entry_point, "Missing OpenGL entry point: ")                                         \
    X(old_driver, "The active driver exposes less than OpenGL 3.3. Update the GPU driver or use "  \
                  "a machine with desktop OpenGL 3.3+.")                                           \
    X(seven_sources, "Seven shader sources are required.")                                         \
    X(sources_not_strings, "Shader sources must be seven strings.")                                \
    X(not_initialized, "Renderer is not initialized")                                              \
    X(invalid_parameters, "Invalid draw buffer or framebuffer parameters")                         \
    X(unbalanced_pop, "Unbalanced shaped clip pop")                                                \
    X(clip_depth, "Shaped clip depth exceeds 32")                                                  \
    X(unbalanced_pushes, "Unbalanced shaped clip pushes")                                          \
    X(multisampled, "Resolve MSAA to a single-sample framebuffer before drawing UI")               \
    X(too_many_draw_buffers, "More than 32 draw buffers is not supported")                         \
    X(texture_limit, "Framebuffer exceeds GL_MAX_TEXTURE_SIZE")                                    \
    X(incomplete_framebuffer, "Internal Ombrel framebuffer is incomplete.")                        \
    X(invalid_texture, "Invalid texture creation")                                                 \
    X(invalid_upload, "Invalid texture upload buffer")                                             \
    X(screenshot_too_small, "Screenshot buffer is too small")                                      \
    X(read_only_screenshot, "Screenshot buffer is read-only")                                      \
    X(no_default_framebuffer, "The context has no complete default framebuffer")                   \
    X(wrong_context, "The renderer's GL context is not current on this thread")                    \
    X(nothing_current, "No GL context is current on this thread")                                  \
    X(renderer_object, "The name is one of the renderer's own textures or framebuffers")           \
    X(null_buffer, "Buffer is null")                                                               \
    X(not_a_framebuffer, "Target is not a framebuffer")                                            \
    X(incomplete_target, "Target framebuffer is incomplete")                                       \
    X(bad_color_buffer, "The target framebuffer cannot draw to this color buffer")                 \
    X(size_out_of_range, "Width and height must be 1 to GL_MAX_VIEWPORT_DIMS")                     \
    X(texture_too_large, "Texture exceeds GL_MAX_TEXTURE_SIZE")                                    \
    X(not_a_texture, "Name is not a 2D texture")                                                   \
    X(upload_outside, "Upload rectangle lies outside the texture")

// missing_entry_point is followed by the GL function's name.

#define OMBREL_GLX_MESSAGES(X)                                                                     \
    X(no_gl_library, "libGL.so.1 not available")                                                   \
    X(cannot_load_libraries, "Cannot load JAWT/libGL.so.1.")                                       \
    X(missing_window_entry_point, "Required GLX/JAWT entry point is missing.")                     \
    X(jawt_unavailable, "JAWT 1.4 unavailable.")                                                   \
    X(cannot_lock_canvas, "Cannot lock AWT Canvas.")                                               \
    X(no_visual, "No matching X11 visual.")                                                        \
    X(no_context, "Cannot create/make current the GLX context.")

#define OMBREL_WGL_MESSAGES(X)                                                                     \
    X(jawt_path_too_long, "JAWT path is unexpectedly long.")                                       \
    X(missing_window_entry_point, "Required WGL/JAWT entry point is missing.")                     \
    X(jawt_unavailable, "JAWT 1.4 is unavailable.")                                                \
    X(cannot_lock_canvas, "Cannot lock the AWT Canvas.")                                           \
    X(foreign_pixel_format, "The AWT Canvas already owns a pixel format that does not support "    \
                            "windowed OpenGL. Keep -Dsun.java2d.opengl=false (the hotfix "         \
                            "launcher sets it automatically).")

#define OMBREL_WGL_CODED_MESSAGES(X)                                                               \
    X(no_gl_library, "Load opengl32.dll failed")                                                   \
    X(cannot_load_libraries, "Cannot load JAWT/opengl32.dll")                                      \
    X(no_device_context, "GetDC(Canvas HWND) failed")                                              \
    X(describe_failed, "DescribePixelFormat failed")                                               \
    X(choose_failed, "ChoosePixelFormat failed")                                                   \
    X(set_failed, "SetPixelFormat failed")                                                         \
    X(no_context, "wglCreateContext failed")                                                       \
    X(make_current_failed, "Initial wglMakeCurrent on the stable Canvas DC failed")                \
    X(no_current_context, "Both modern and legacy WGL contexts failed to become current")          \
    X(swap_failed, "SwapBuffers failed")

#endif
