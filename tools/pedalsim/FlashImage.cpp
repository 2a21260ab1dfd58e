// Flash storage with write-through to its file.
#include "FlashImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace harbrix::pedalsim {
namespace {

bool readAll(int fd, std::uint8_t* data, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::pread(fd, data + done, size - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size, std::size_t offset) {
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

FlashImage::~FlashImage() {
    if (fd_ >= 0) ::close(fd_);
}

bool FlashImage::persistTo(const std::string& path, std::string& error) {
    path_ = path;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return true;
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    Bytes loaded;
    bool good = ::fstat(fd, &info) == 0 && static_cast<std::size_t>(info.st_size) == kSize;
    if (good) {
        loaded.resize(kSize);
        good = readAll(fd, loaded.data(), kSize);
    }
    ::close(fd);
    if (!good) {
        error = path + " is not a " + std::to_string(kSize) + "-byte flash image";
        return false;
    }
    bytes_ = std::move(loaded);
    if (openFile()) return true;
    error = "cannot write " + path;
    return false;
}

bool FlashImage::fits(std::uint32_t offset, std::size_t length) {
    return offset <= kSize && length <= kSize - offset;
}

Bytes& FlashImage::bytes() const {
    if (bytes_.empty()) bytes_.assign(kSize, kErased);
    return bytes_;
}

// The file is written whole the first time, so it always holds a complete chip.
bool FlashImage::openFile() {
    if (fd_ >= 0 || path_.empty()) return true;
    const bool existed = ::access(path_.c_str(), F_OK) == 0;
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) return false;
    if (!existed && !writeAll(fd_, bytes().data(), kSize, 0)) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(path_.c_str());
        return false;
    }
    return true;
}

std::optional<Bytes> FlashImage::read(std::uint32_t offset, std::size_t length) const {
    if (!fits(offset, length)) return std::nullopt;
    const Bytes& chip = bytes();
    return Bytes(chip.begin() + offset, chip.begin() + offset + length);
}

bool FlashImage::write(std::uint32_t offset, const Bytes& bytes) {
    if (!fits(offset, bytes.size())) return false;
    if (!path_.empty()) {
        if (!openFile() || !writeAll(fd_, bytes.data(), bytes.size(), offset)) return false;
    }
    std::copy(bytes.begin(), bytes.end(), this->bytes().begin() + offset);
    return true;
}

}  // namespace harbrix::pedalsim
