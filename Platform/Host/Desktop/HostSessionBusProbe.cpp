#include <Host/Desktop/HostSessionBusProbe.h>

#include <Host/HostPendingAnswer.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// "%2f" and the like, as addresses escape bytes.
std::string unescaped(const std::string& value) {
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size()) {
            text += static_cast<char>(std::strtol(value.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            text += value[i];
        }
    }
    return text;
}

// The socket one "unix:key=value,..." entry names; none for other transports.
std::optional<sockaddr_un> socketOf(const std::string& entry, socklen_t& length) {
    if (entry.rfind("unix:", 0) != 0) {
        return std::nullopt;
    }
    std::string path;
    bool abstract = false;
    std::size_t at = 5;
    while (at < entry.size()) {
        std::size_t end = entry.find(',', at);
        std::string pair =
            entry.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? entry.size() : end + 1;
        std::size_t equals = pair.find('=');
        std::string key = pair.substr(0, equals);
        std::string value = equals == std::string::npos ? "" : unescaped(pair.substr(equals + 1));
        if (key == "path" || key == "abstract") {
            path = value;
            abstract = key == "abstract";
        } else if (key == "runtime" && value == "yes") {
            const char* runtime = std::getenv("XDG_RUNTIME_DIR");
            path = runtime ? std::string(runtime) + "/bus" : "";
        }
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::size_t offset = abstract ? 1 : 0;
    if (path.empty() || path.size() + offset >= sizeof address.sun_path) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() +
                                    (abstract ? 0 : 1));
    return address;
}

void appendUint32(std::string& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes += static_cast<char>((value >> static_cast<unsigned>(shift)) & 0xFFU);
    }
}

void padTo(std::string& bytes, std::size_t boundary) {
    while (bytes.size() % boundary != 0) {
        bytes += '\0';
    }
}

// The bus's Hello, as the wire protocol lays a method call out (little-endian).
std::string helloMessage() {
    std::string bytes = "l\x01";
    bytes += '\0';                       // no flags
    bytes += '\x01';                     // protocol version
    appendUint32(bytes, 0);              // no body
    appendUint32(bytes, 1);              // serial
    std::size_t lengthAt = bytes.size(); // the header fields' array length, set below
    appendUint32(bytes, 0);
    auto field = [&bytes](char code, char type, const std::string& value) {
        padTo(bytes, 8);
        bytes += code;
        bytes += '\x01';
        bytes += type;
        bytes += '\0';
        padTo(bytes, 4);
        appendUint32(bytes, static_cast<std::uint32_t>(value.size()));
        bytes += value;
        bytes += '\0';
    };
    field(1, 'o', "/org/freedesktop/DBus");
    field(6, 's', "org.freedesktop.DBus");
    field(2, 's', "org.freedesktop.DBus");
    field(3, 's', "Hello");
    std::string length;
    appendUint32(length, static_cast<std::uint32_t>(bytes.size() - lengthAt - 4));
    bytes.replace(lengthAt, 4, length);
    padTo(bytes, 8);
    return bytes;
}

// Reads until `enough` says the bytes so far suffice: answers; silent when the
// deadline passes first; refuses when the far end closes or fails.
template <typename Enough>
HostBusProbe readUntil(int fd, Clock::time_point deadline, std::string& bytes, Enough enough) {
    char chunk[256];
    while (!enough(bytes)) {
        if (!HostReadableBy(fd, deadline)) {
            return HostBusProbe::silent;
        }
        ssize_t read = recv(fd, chunk, sizeof chunk, 0);
        if (read <= 0) {
            return HostBusProbe::refuses;
        }
        bytes.append(chunk, static_cast<std::size_t>(read));
    }
    return HostBusProbe::answers;
}

bool sendAll(int fd, const std::string& bytes) {
    return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

// One socket: authenticated as this user (EXTERNAL), then greeted.
HostBusProbe probe(const sockaddr_un& address, socklen_t length, Clock::time_point deadline) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return HostBusProbe::unknown;
    }
    HostBusProbe result = HostBusProbe::refuses;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        // A full backlog (a stopped bus) takes nothing, and answers nothing either.
        result = errno == EAGAIN ? HostBusProbe::silent : HostBusProbe::refuses;
        close(fd);
        return result;
    }
    std::string uid = std::to_string(geteuid()), hex;
    for (char digit : uid) {
        hex += "3" + std::string(1, digit); // ASCII digits in hexadecimal
    }
    std::string reply;
    auto line = [](const std::string& bytes) { return bytes.find("\r\n") != std::string::npos; };
    result = sendAll(fd, std::string(1, '\0') + "AUTH EXTERNAL " + hex + "\r\n")
                 ? readUntil(fd, deadline, reply, line)
                 : HostBusProbe::refuses;
    if (result == HostBusProbe::answers && reply.rfind("OK ", 0) != 0) {
        result = HostBusProbe::refuses;
    } else if (result == HostBusProbe::answers) {
        std::string greeting;
        auto header = [](const std::string& bytes) { return bytes.size() >= 16; };
        result = sendAll(fd, "BEGIN\r\n" + helloMessage())
                     ? readUntil(fd, deadline, greeting, header)
                     : HostBusProbe::refuses;
    }
    close(fd);
    return result;
}

} // namespace

HostBusProbe HostProbeSessionBus(const std::string& address, std::chrono::milliseconds limit) {
    Clock::time_point deadline = Clock::now() + limit;
    HostBusProbe result = HostBusProbe::unknown;
    std::size_t at = 0;
    while (at <= address.size() && !address.empty()) {
        std::size_t end = address.find(';', at);
        std::string entry =
            address.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? address.size() + 1 : end + 1;
        socklen_t length = 0;
        std::optional<sockaddr_un> socket = socketOf(entry, length);
        if (!socket) {
            continue;
        }
        // A client takes the first address that it can connect to.
        result = probe(*socket, length, deadline);
        if (result != HostBusProbe::refuses) {
            return result;
        }
    }
    return result;
}
