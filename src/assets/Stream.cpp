#include "assets/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "assets/Errors.h"

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) {
        throw EStreamError(assets::kStreamReadError);
    }
}

void TStream::Skip(std::uint64_t count) {
    if (count > Remaining()) {
        SetPosition(Size());
        throw EStreamError(assets::kStreamReadError);
    }
    SetPosition(Position() + count);
}

std::uint8_t TStream::ReadByte() {
    std::uint8_t value = 0;
    ReadBuffer(&value, 1);
    return value;
}

std::uint16_t TStream::ReadU16() {
    std::uint8_t bytes[2];
    ReadBuffer(bytes, 2);
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

std::uint32_t TStream::ReadU32() {
    std::uint8_t bytes[4];
    ReadBuffer(bytes, 4);
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

namespace {
std::size_t CopyOut(const std::uint8_t* data, std::size_t size, std::uint64_t& position,
                    void* buffer, std::size_t count) {
    if (position >= size) {
        return 0;
    }
    std::size_t n = std::min<std::uint64_t>(count, size - position);
    if (n != 0) {
        std::memcpy(buffer, data + position, n);
    }
    position += n;
    return n;
}
} // namespace

std::size_t TMemoryView::Read(void* buffer, std::size_t count) {
    return CopyOut(data_, size_, position_, buffer, count);
}

std::size_t TStreamWindow::Read(void* buffer, std::size_t count) {
    if (position_ >= size_ || count == 0) {
        return 0;
    }
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - position_));
    // The other stream skips its own repositioning when it is already there.
    inner_.SetPosition(start_ + position_);
    const std::size_t n = inner_.Read(buffer, count);
    position_ += n;
    return n;
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    return CopyOut(bytes_.data(), bytes_.size(), position_, buffer, count);
}

TFileStream::TFileStream(const std::string& path) {
    std::error_code ec;
    std::string full = std::filesystem::absolute(path, ec).lexically_normal().string();
    if (ec) {
        full = path;
    }
    auto fail = [&](int error) {
        throw EFOpenError("Cannot open file \"" + full + "\". " + std::strerror(error));
    };
    if (std::filesystem::is_directory(path, ec)) {
        fail(EISDIR);
    }
    errno = 0;
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        fail(errno != 0 ? errno : ENOENT);
    }
    // The archive readers take a few bytes at a time: keep them buffered.
    std::setvbuf(file_, nullptr, _IOFBF, 4096);
    auto size = std::filesystem::file_size(path, ec);
    size_ = ec ? 0 : size;
}

TFileStream::~TFileStream() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    if (position_ >= size_ || count == 0) {
        return 0;
    }
    count = std::min<std::uint64_t>(count, size_ - position_);
    std::size_t n = std::fread(buffer, 1, count, file_);
    position_ += n;
    return n;
}

void TFileStream::SetPosition(std::uint64_t position) {
    if (position == position_) {
        return;
    }
    position_ = position;
    if (position <= size_) {
        std::fseek(file_, static_cast<long>(position), SEEK_SET);
    }
}
