// The error kinds raised by the archive and bitmap readers. Each carries the
// message text the player or the tool shows; the reader may rewrite the text
// of an error passing through a stored property ("Error reading ...") while
// keeping its kind.
#pragma once

#include <exception>
#include <string>

class EAssetError : public std::exception {
public:
    explicit EAssetError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }

private:
    std::string message_;
};

// Stream errors: "Stream read error", "Cannot open file ...".
class EStreamError : public EAssetError {
    using EAssetError::EAssetError;
};
class EFOpenError : public EStreamError {
    using EStreamError::EStreamError;
};
// Component stream errors: "Invalid stream format", "Invalid property value",
// "Property %s does not exist", "Invalid property path".
class EReadError : public EStreamError {
    using EStreamError::EStreamError;
};
class EClassNotFound : public EReadError {
    using EReadError::EReadError;
};
// "''%s'' is not a valid component name".
class EComponentError : public EAssetError {
    using EAssetError::EAssetError;
};
// "DIB is invalid", "Bitcount in invalid (%d)", "PixelFormat in invalid",
// "%s cannot be made".
class EDIBError : public EAssetError {
    using EAssetError::EAssetError;
};
// "Bitmap image is not valid" (a "TBitmap" picture without its "BM" header).
class EInvalidGraphic : public EAssetError {
    using EAssetError::EAssetError;
};
// "Wave is invalid".
class EWaveStreamError : public EAssetError {
    using EAssetError::EAssetError;
};

namespace assets {
inline constexpr const char* kStreamReadError = "Stream read error";
inline constexpr const char* kInvalidStreamFormat = "Invalid stream format";
inline constexpr const char* kInvalidPropertyValue = "Invalid property value";
inline constexpr const char* kInvalidPropertyPath = "Invalid property path";
inline constexpr const char* kDibInvalid = "DIB is invalid";
inline constexpr const char* kPixelFormatInvalid = "PixelFormat in invalid";
inline constexpr const char* kWaveInvalid = "Wave is invalid";
inline constexpr const char* kBitmapNotValid = "Bitmap image is not valid";
} // namespace assets
