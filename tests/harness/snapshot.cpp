#include "snapshot.h"

#include "host.h"

#include <algorithm>
#include <sstream>

void StateReader::add(const std::string &name, long long v) {
    values.emplace_back(name, v);
}

void StateReader::ints(const std::string &name, GLenum pname, int n) {
    GLint v[4] = {};
    gl.glGetIntegerv(pname, v);
    for (int k = 0; k < n; k++)
        add(name + "[" + std::to_string(k) + "]", v[k]);
}

void StateReader::indexed(const std::string &name, GLenum pname, GLuint index, int n) {
    GLint v[4] = {};
    gl.glGetIntegeri_v(pname, index, v);
    for (int k = 0; k < n; k++)
        add(name + "[" + std::to_string(k) + "]", v[k]);
}

std::string differences(const Snapshot &before, const Snapshot &after,
                        const std::vector<std::string> &allowed) {
    std::ostringstream out;
    if (before.size() != after.size()) out << "  snapshots of different scenes\n";
    for (size_t k = 0; k < before.size() && k < after.size(); k++) {
        const std::string &name = before[k].first;
        bool skip = std::any_of(allowed.begin(), allowed.end(), [&](const std::string &prefix) {
            return name.compare(0, prefix.size(), prefix) == 0;
        });
        if (!skip && before[k].second != after[k].second)
            out << "  " << name << ": " << before[k].second << " became " << after[k].second
                << "\n";
    }
    return out.str();
}
