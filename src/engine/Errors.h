// The error kinds the engine raises. Each carries the finished message text
// (the "%s"/"%d" of its format already filled in).
#pragma once

#include <stdexcept>
#include <string>

// Base of every engine error.
class EDXError : public std::runtime_error {
public:
    explicit EDXError(const std::string& message) : std::runtime_error(message) {}
};

class ESpriteError : public EDXError {
public:
    using EDXError::EDXError;
};

class EPictureCollectionError : public EDXError {
public:
    using EDXError::EDXError;
};

class EDXDrawError : public EDXError {
public:
    using EDXError::EDXError;
};

class EDXInputError : public EDXError {
public:
    using EDXError::EDXError;
};

class EDXTimerError : public EDXError {
public:
    using EDXError::EDXError;
};

// An index outside an existing list ("List index out of bounds (%d)").
class EListError : public EDXError {
public:
    using EDXError::EDXError;
};

namespace engine {
// Fills the first "%s" or "%d" of `format` with `value`; the messages above are
// built from such formats.
std::string FormatMessage(const std::string& format, const std::string& value);
std::string FormatMessage(const std::string& format, long long value);
} // namespace engine
