#include "shell/qt/DisplayProbe.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace veltrano {
namespace {

std::string_view environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Connects and completes the X handshake, authentication included, as the toolkit will.
bool xServerAnswers() {
    if (environment("DISPLAY").empty()) return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

bool waylandCompositorAnswers() {
    const std::string_view name = environment("WAYLAND_DISPLAY");
    if (name.empty()) return false;
    std::string path(name);
    if (!name.starts_with('/')) {
        const std::string_view runtime = environment("XDG_RUNTIME_DIR");
        if (runtime.empty()) return false;
        path = std::string(runtime) + "/" + path;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool answers =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
}

}  // namespace

bool displayAnswers() {
    const std::string_view platform = environment("QT_QPA_PLATFORM");
    if (!platform.empty() && !platform.starts_with("xcb") && !platform.starts_with("wayland")) {
        return true;
    }
    return waylandCompositorAnswers() || xServerAnswers();
}

}  // namespace veltrano
