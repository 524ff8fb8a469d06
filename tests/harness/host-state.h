// A host GL scene: objects of the host's own, a way to put the context into a
// state chosen by a few bytes, and a snapshot of every piece of state the
// renderer's entry points must leave as they found it. Used by the guard
// test, the fuzzers and the soak test.
#ifndef OMBREL_TEST_HOST_STATE_H
#define OMBREL_TEST_HOST_STATE_H

#include "host.h"
#include "snapshot.h"

#include <stddef.h>
#include <stdint.h>
#include <string>
#include <utility>
#include <vector>

// Host objects made once per context. `single` has colour attachment 0,
// `dual` attachments 0 and 1, `multisampled` a 4-sample renderbuffer (as many
// samples as the driver has, if fewer). Names left 0 are not made
// (scene_make leaves `cube` 0; the guard test adds it).
struct HostScene {
    bool compat = false;
    bool has_default_framebuffer = false;
    int clip_count = 0;
    GLuint program = 0, vao = 0, unpack_buffer = 0, pack_buffer = 0;
    GLuint textures[3] = {}, samplers[2] = {}, cube = 0;
    HostTarget single, dual;
    GLuint dual_second = 0, multisampled = 0, multisampled_storage = 0;
    // Reads the contents of `textures`, which no entry point may write.
    GLuint probe = 0;
};

// Makes the scene's objects in the current context; leaves the default state.
void scene_make(HostScene *scene, Profile profile, bool has_default_framebuffer);

// Sets every piece of host state the snapshot covers from `bytes` (any
// length; missing bytes count as 0), so that no state of an earlier input
// carries over.
void scene_apply(const HostScene &scene, const uint8_t *bytes, size_t size);

// host_read under any host pack state: w x h RGBA bytes at (x, y).
std::vector<unsigned char> read_packed(GLuint fbo, GLenum buffer, int x, int y, int w, int h);

// Every piece of state the entry points must leave as they found it, in a
// fixed order for one scene.
Snapshot snapshot(const HostScene &scene);

// What an entry point (by its Java name) changes by design, as `allowed`
// prefixes for differences(): the two passes over the default framebuffer
// leave its buffer selection on GL_BACK.
std::vector<std::string> changed_by_design(const std::string &call);

// The values random host states pick from.
extern const GLenum blend_factors[9], blend_equations[5], polygon_modes[3];

// Whether a texture name belongs to the host's scene; fuzzed calls must not
// delete those from under it.
bool scene_owns_texture(const HostScene &scene, GLuint name);

#endif
