#pragma once

#include <QString>

#include <exception>

namespace vistarel {

// A failure of a step, carrying the description the failing component gave and,
// where the platform has one, its error number (53 file not found, 70 permission
// denied, ...). Handlers catch it and show it in the error report.
class Failure : public std::exception {
 public:
  explicit Failure(QString description, int number = 0)
      : description_(std::move(description)), number_(number) {}

  const QString& description() const noexcept { return description_; }
  int number() const noexcept { return number_; }
  const char* what() const noexcept override { return "vistarel::Failure"; }

 private:
  QString description_;
  int number_;
};

// The error numbers of the program's failures, as its users know them.
namespace failure_number {
inline constexpr int kOutOfMemory = 7;
inline constexpr int kSubscriptOutOfRange = 9;  // an entry outside a collection
inline constexpr int kTypeMismatch = 13;        // a value of the wrong kind
inline constexpr int kBadFileNameOrNumber = 52;
inline constexpr int kFileNotFound = 53;
inline constexpr int kDeviceIo = 57;  // also: no progress on a file for too long
inline constexpr int kFileAlreadyExists = 58;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kObjectNotSet = 91;
inline constexpr int kNoSuchProperty = 438;     // an object asked for a property it lacks
inline constexpr int kEntryPointMissing = 453;  // a library without an entry point we call
inline constexpr int kInvalidPicture = 481;
}  // namespace failure_number

// The object an earlier step made. When that step failed (and was reported),
// a later step that uses the object fails as a call on a missing object does.
template <class T>
T& Made(T* object) {
  if (object == nullptr) {
    throw Failure(QStringLiteral("Object variable or With block variable not set"),
                  failure_number::kObjectNotSet);
  }
  return *object;
}

// Thrown by a yield when the window was closed in the middle of a long handler:
// the handler stops at once, without its closing steps. Deliberately not a
// std::exception, so that no step guard mistakes it for a failure to report.
struct HandlerAbort {};

}  // namespace vistarel
