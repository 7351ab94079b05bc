// Whole-file reads and crash-safe replacement on POSIX and Windows.
#include "support/file_io.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "support/errors.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
// windows.h maps this name onto its own function; ours is kvr::FormatMessage.
#undef FormatMessage
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kvr {

namespace {

std::string OpenError(const std::string& path, int error) {
    return FormatMessage("Cannot open file \"%s\". %s", {path, std::strerror(error)});
}

[[noreturn]] void ThrowCreateError(const std::string& path, const std::string& reason) {
    throw EFileError(FormatMessage("Cannot create file \"%s\". %s", {path, reason}));
}

#ifdef _WIN32

std::string LastErrorText() {
    const DWORD code = GetLastError();
    char buffer[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

int CreateExclusive(const std::string& path) {
    return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
int WriteSome(int fd, const char* data, std::size_t size) {
    const unsigned chunk = size > 0x40000000u ? 0x40000000u : static_cast<unsigned>(size);
    return _write(fd, data, chunk);
}
int FlushToDisk(int fd) { return _commit(fd); }
int CloseFile(int fd) { return _close(fd); }
void CopyModeOf(const std::string&, int) {}

bool RenameOver(const std::string& from, const std::string& to, std::string& reason) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    reason = LastErrorText();
    return false;
}

#else

int CreateExclusive(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
ssize_t WriteSome(int fd, const char* data, std::size_t size) { return ::write(fd, data, size); }
int FlushToDisk(int fd) { return ::fsync(fd); }
int CloseFile(int fd) { return ::close(fd); }

// A replacement keeps the permissions of the file it replaces.
void CopyModeOf(const std::string& path, int fd) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) (void)::fchmod(fd, old.st_mode & 07777);
}

bool RenameOver(const std::string& from, const std::string& to, std::string& reason) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    // The rename itself lives in the folder; syncing it makes the new name durable.
    const std::string folder = std::filesystem::path(to).parent_path().string();
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return true;
}

#endif

std::string RandomSuffix() {
    // random_device alone is not trusted to differ between runs on every
    // runtime, so the clock is mixed in.
    static std::mt19937_64 generator(std::random_device{}() ^
                                     static_cast<std::uint64_t>(
                                         std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    static constexpr char kHex[] = "0123456789abcdef";
    std::uint64_t bits = generator();
    std::string text;
    for (int i = 0; i < 12; ++i, bits >>= 4) text.push_back(kHex[bits & 0xF]);
    return text;
}

void RemoveQuietly(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

}  // namespace

std::string ReadWholeFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) throw EFileError(OpenError(path, errno));
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
        bytes.append(buffer, got);
        if (got < sizeof buffer) break;
    }
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) throw EFileError(OpenError(path, error));
    return bytes;
}

void ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = path + ".tmp-" + RandomSuffix();
        fd = CreateExclusive(temp);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) ThrowCreateError(path, std::strerror(errno));

    CopyModeOf(path, fd);
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const auto written = WriteSome(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            break;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    int error = left > 0 ? errno : 0;
    if (error == 0 && FlushToDisk(fd) != 0) error = errno;
    if (CloseFile(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
        RemoveQuietly(temp);
        ThrowCreateError(path, std::strerror(error));
    }

    std::string reason;
    if (!RenameOver(temp, path, reason)) {
        RemoveQuietly(temp);
        ThrowCreateError(path, reason);
    }
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

}  // namespace kvr
