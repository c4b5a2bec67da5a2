// The phone's side of the end-to-end test of veltrano.exe, run under Wine beside it: writes the
// receive table's files into an outbox folder and sends each to 127.0.0.1:3456 as the phone does:
// "STAT||" and the percent-encoded UTF-8 name, the bytes, "END||", each marker alone between
// short pauses. Prints the ANSI code page and the transfer's figures. With a size in MiB as well,
// sends one file of that size instead (the throughput benchmark).
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cctype>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "shell/win32/Wide.h"

namespace {

constexpr int kPauseMs = 20;

struct Photo {
    std::string name;  // UTF-8
    std::string bytes;
};

// Random bytes, zero bytes included, between a JPEG's first and last markers.
std::string photoLikeBytes(std::size_t size, std::mt19937& random) {
    std::string bytes(size, '\0');
    for (auto& byte : bytes) byte = static_cast<char>(random());
    bytes.replace(0, 4, "\xFF\xD8\xFF\xE0", 4);
    bytes.replace(size - 2, 2, "\xFF\xD9", 2);
    return bytes;
}

// The receive table of the Linux end-to-end test: ten files, every other one with a Chinese name.
std::vector<Photo> receiveTable() {
    std::mt19937 random(10);
    std::vector<Photo> photos;
    for (int index = 0; index < 10; ++index) {
        const std::string name =
            (index % 2 ? "\xE7\x85\xA7\xE7\x89\x87" : "IMG_") + std::to_string(index) + ".jpg";
        photos.push_back({name, photoLikeBytes(200'000 + 130'000 * std::size_t(index), random)});
    }
    return photos;
}

std::string percentEncoded(const std::string& utf8) {
    std::string encoded;
    for (unsigned char c : utf8) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += char(c);
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", c);
            encoded += escape;
        }
    }
    return encoded;
}

bool sendAll(SOCKET socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const int sent =
            send(socket, bytes.data(), int(std::min<std::size_t>(bytes.size(), 65536)), 0);
        if (sent <= 0) return false;
        bytes.remove_prefix(std::size_t(sent));
    }
    return true;
}

bool sendMarker(SOCKET socket, const std::string& marker) {
    Sleep(kPauseMs);
    const bool sent = sendAll(socket, marker);
    Sleep(kPauseMs);
    return sent;
}

bool writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

// The program opens its port a moment after Wine has started it: try for up to a minute.
SOCKET connectWhenListening() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(3456);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int attempt = 0; attempt < 600; ++attempt) {
        SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            BOOL noDelay = TRUE;
            setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                       sizeof noDelay);
            return socket;
        }
        closesocket(socket);
        Sleep(100);
    }
    return INVALID_SOCKET;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: phone OUTBOX-FOLDER [MIB]\n");
        return 2;
    }
    std::printf("ANSI code page %u\n", GetACP());
    std::vector<Photo> photos;
    if (argc == 3) {
        std::mt19937 random(11);
        photos.push_back({"big.bin", photoLikeBytes(std::size_t(_wtoi(argv[2])) << 20, random)});
    } else {
        photos = receiveTable();
    }
    for (const Photo& photo : photos) {
        if (!writeFile(std::wstring(argv[1]) + L"\\" + veltrano::utf8ToWide(photo.name),
                       photo.bytes)) {
            std::fprintf(stderr, "cannot write %s into the outbox\n", photo.name.c_str());
            return 1;
        }
    }
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET socket = connectWhenListening();
    if (socket == INVALID_SOCKET) {
        std::fprintf(stderr, "nothing listens on 127.0.0.1:3456\n");
        return 1;
    }
    std::printf("connected\n");
    std::fflush(stdout);
    const ULONGLONG start = GetTickCount64();
    std::size_t total = 0;
    for (const Photo& photo : photos) {
        if (!sendMarker(socket, "STAT||" + percentEncoded(photo.name)) ||
            !sendAll(socket, photo.bytes) || !sendMarker(socket, "END||")) {
            std::fprintf(stderr, "sending %s failed\n", photo.name.c_str());
            return 1;
        }
        total += photo.bytes.size();
    }
    const ULONGLONG elapsed = GetTickCount64() - start;
    std::printf("sent %zu bytes in %llu ms\n", total, elapsed);
    closesocket(socket);
    return 0;
}
