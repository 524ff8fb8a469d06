#include "objects.h"

#include "host.h"
#include "renderer.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace {

void append_data(std::vector<GLuint> *names, const RecCall &c) {
    names->insert(names->end(), c.data_u, c.data_u + c.data_count);
}

void expect_each(const char *kind, const std::vector<GLuint> &names,
                 GLboolean(APIENTRY *is)(GLuint), bool alive) {
    for (GLuint name : names)
        EXPECT_EQ(is(name) == GL_TRUE, alive)
            << kind << " " << name << (alive ? " does not exist" : " still exists");
}

void expect_contains(const char *kind, const std::vector<GLuint> &created,
                     const std::vector<GLuint> &deleted) {
    for (GLuint name : created)
        EXPECT_NE(std::find(deleted.begin(), deleted.end(), name), deleted.end())
            << kind << " " << name << " was never deleted";
}

} // namespace

namespace {

// Per kind of object: the calls that make and delete one, and where the name
// is: the result of the make call and the first argument of the delete call,
// or the name array of both.
struct ObjectCalls {
    const char *make, *remove;
    std::vector<GLuint> GlObjects::*names;
    bool single;
};

const ObjectCalls object_calls[] = {
    {"glCreateProgram", "glDeleteProgram", &GlObjects::programs, true},
    {"glCreateShader", "glDeleteShader", &GlObjects::shaders, true},
    {"glGenTextures", "glDeleteTextures", &GlObjects::textures, false},
    {"glGenFramebuffers", "glDeleteFramebuffers", &GlObjects::framebuffers, false},
    {"glGenVertexArrays", "glDeleteVertexArrays", &GlObjects::vertex_arrays, false},
};

GlObjects objects_in_log(bool deleted) {
    GlObjects o;
    for (const RecCall *c : rec_calls())
        for (const ObjectCalls &k : object_calls) {
            if (std::string(c->name) != (deleted ? k.remove : k.make)) continue;
            if (k.single)
                (o.*k.names).push_back((GLuint)(deleted ? c->i[0] : c->ret));
            else
                append_data(&(o.*k.names), *c);
        }
    return o;
}

} // namespace

GlObjects created_in_log() {
    return objects_in_log(false);
}

GlObjects deleted_in_log() {
    return objects_in_log(true);
}

void host_bind_names(const GlObjects &objects) {
    GLint texture = get_int(GL_TEXTURE_BINDING_2D);
    GLint draw = get_int(GL_DRAW_FRAMEBUFFER_BINDING);
    GLint vao = get_int(GL_VERTEX_ARRAY_BINDING);
    for (GLuint t : objects.textures)
        gl.glBindTexture(GL_TEXTURE_2D, t);
    for (GLuint f : objects.framebuffers)
        gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, f);
    for (GLuint v : objects.vertex_arrays)
        gl.glBindVertexArray(v);
    gl.glBindVertexArray(vao);
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, draw);
    gl.glBindTexture(GL_TEXTURE_2D, texture);
}

void expect_alive(const GlObjects &o) {
    expect_each("program", o.programs, gl.glIsProgram, true);
    expect_each("texture", o.textures, gl.glIsTexture, true);
    expect_each("framebuffer", o.framebuffers, gl.glIsFramebuffer, true);
    expect_each("vertex array", o.vertex_arrays, gl.glIsVertexArray, true);
}

void expect_gone(const GlObjects &o) {
    expect_each("program", o.programs, gl.glIsProgram, false);
    expect_each("shader", o.shaders, gl.glIsShader, false);
    expect_each("texture", o.textures, gl.glIsTexture, false);
    expect_each("framebuffer", o.framebuffers, gl.glIsFramebuffer, false);
    expect_each("vertex array", o.vertex_arrays, gl.glIsVertexArray, false);
}

void expect_all_deleted(const GlObjects &created, const GlObjects &deleted) {
    expect_contains("program", created.programs, deleted.programs);
    expect_contains("shader", created.shaders, deleted.shaders);
    expect_contains("texture", created.textures, deleted.textures);
    expect_contains("framebuffer", created.framebuffers, deleted.framebuffers);
    expect_contains("vertex array", created.vertex_arrays, deleted.vertex_arrays);
}
