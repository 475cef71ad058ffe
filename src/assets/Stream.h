// Byte streams the readers work on: memory (owned or borrowed) and files.
// Every stream knows its size, so a length read from damaged data can be
// checked against what is really there before anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to `count` bytes; returns how many were read (short at the end).
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::uint64_t Position() const = 0;
    // Positions past the end are allowed; reads there return nothing.
    virtual void SetPosition(std::uint64_t position) = 0;
    virtual std::uint64_t Size() const = 0;

    std::uint64_t Remaining() const { return Position() < Size() ? Size() - Position() : 0; }
    // Reads exactly `count` bytes or throws EStreamError "Stream read error".
    void ReadBuffer(void* buffer, std::size_t count);
    // Moves forward by `count`; past the end throws "Stream read error".
    void Skip(std::uint64_t count);
    std::uint8_t ReadByte();
    std::uint16_t ReadU16();
    std::uint32_t ReadU32();
};

// A read-only view of bytes the caller keeps alive.
class TMemoryView : public TStream {
public:
    TMemoryView(const void* data, std::size_t size)
        : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}
    explicit TMemoryView(const std::vector<std::uint8_t>& bytes)
        : TMemoryView(bytes.data(), bytes.size()) {}
    std::size_t Read(void* buffer, std::size_t count) override;
    std::uint64_t Position() const override { return position_; }
    void SetPosition(std::uint64_t position) override { position_ = position; }
    std::uint64_t Size() const override { return size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::uint64_t position_ = 0;
};

// The next `size` bytes of another stream, read in place: positions count
// from where the window starts, and reads stop at its end. The other stream
// must outlive the window and is moved by its reads.
class TStreamWindow : public TStream {
public:
    TStreamWindow(TStream& inner, std::uint64_t size)
        : inner_(inner), start_(inner.Position()), size_(size) {}
    std::size_t Read(void* buffer, std::size_t count) override;
    std::uint64_t Position() const override { return position_; }
    void SetPosition(std::uint64_t position) override { position_ = position; }
    std::uint64_t Size() const override { return size_; }

private:
    TStream& inner_;
    std::uint64_t start_;
    std::uint64_t size_;
    std::uint64_t position_ = 0;
};

// A stream over bytes it owns.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::size_t Read(void* buffer, std::size_t count) override;
    std::uint64_t Position() const override { return position_; }
    void SetPosition(std::uint64_t position) override { position_ = position; }
    std::uint64_t Size() const override { return bytes_.size(); }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::uint64_t position_ = 0;
};

// A file opened for reading through a 4096-byte buffer. Opening a missing or
// unreadable file throws EFOpenError "Cannot open file "%s". %s" with the
// full path and the system's reason.
class TFileStream : public TStream {
public:
    explicit TFileStream(const std::string& path);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    std::size_t Read(void* buffer, std::size_t count) override;
    std::uint64_t Position() const override { return position_; }
    void SetPosition(std::uint64_t position) override;
    std::uint64_t Size() const override { return size_; }

private:
    std::FILE* file_ = nullptr;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
};
