#pragma once
// One error convention for the whole core: a small result type carrying what went wrong,
// where (a byte offset into the input, when there is one) and a short context text.
// Errors turn into user text only at the edges (CLI, GUI).

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace rw {

enum class ErrorCode {
  Truncated,   // the input ended before a value could be read whole
  Invalid,     // the bytes are there but do not form a valid value
  TooLarge,    // a size or count beyond what we accept
  NotFound,    // a file, member, table or field that does not exist
  Io,          // the operating system refused a file operation
  Conversion,  // a text is not a number
  Index,       // an index outside a table
  Usage,       // a caller's argument is wrong
};

struct Error {
  ErrorCode code = ErrorCode::Invalid;
  std::string message;       // short text, already readable by a person
  std::int64_t offset = -1;  // byte offset in the input, -1 when not applicable

  std::string Describe() const {
    if (offset < 0) return message;
    return message + " (at byte " + std::to_string(offset) + ")";
  }
};

inline Error MakeError(ErrorCode code, std::string message, std::int64_t offset = -1) {
  return Error{code, std::move(message), offset};
}

// Result<T>: either a value or an Error. Result<void> is spelled Status.
template <typename T>
class Result {
 public:
  Result(T value) : v_(std::move(value)) {}      // NOLINT: implicit by design
  Result(Error error) : v_(std::move(error)) {}  // NOLINT: implicit by design

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  T* operator->() { return &std::get<0>(v_); }
  const T* operator->() const { return &std::get<0>(v_); }
  T& operator*() { return std::get<0>(v_); }
  const T& operator*() const { return std::get<0>(v_); }
  const Error& error() const { return std::get<1>(v_); }

 private:
  std::variant<T, Error> v_;
};

class Status {
 public:
  Status() = default;
  Status(Error error) : error_(std::move(error)) {}  // NOLINT: implicit by design
  static Status Ok() { return Status(); }

  bool ok() const { return !error_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Error& error() const { return *error_; }

 private:
  std::optional<Error> error_;
};

}  // namespace rw
