// Named GL state values read in a fixed order, for comparing the host's state
// before and after an entry point.
#ifndef OMBREL_TEST_SNAPSHOT_H
#define OMBREL_TEST_SNAPSHOT_H

#include <string>
#include <utility>
#include <vector>

#include "gl-api.h"

using Snapshot = std::vector<std::pair<std::string, long long>>;

// Appends named values to a snapshot; array queries get one entry per element.
struct StateReader {
    Snapshot values;

    void add(const std::string &name, long long v);
    void ints(const std::string &name, GLenum pname, int n);
    void indexed(const std::string &name, GLenum pname, GLuint index, int n);
};

// One line per value that differs; empty when the snapshots agree. Values
// whose name starts with one of `allowed` are not compared.
std::string differences(const Snapshot &before, const Snapshot &after,
                        const std::vector<std::string> &allowed = {});

#endif
