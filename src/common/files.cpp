#include "common/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "common/paths.h"

namespace rw {
namespace fs = std::filesystem;

namespace {

std::string Reason(const std::error_code& ec) {
  return ec.message();
}

std::string TempNameFor(const fs::path& target) {
  static std::mt19937_64 rng{std::random_device{}()};
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(rng()));
  return target.string() + suffix;
}

}  // namespace

Status WriteFileAtomic(const std::string& systemPath, ByteSpan data) {
  const fs::path target(ToHostPath(systemPath));
  const std::string temp = TempNameFor(target);
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) {
    return MakeError(ErrorCode::Io, "Cannot create file \"" + systemPath + "\". " + std::strerror(errno));
  }
  const bool wrote = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
  const int writeErr = errno;
  const bool closed = std::fclose(f) == 0;
  if (!wrote || !closed) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return MakeError(ErrorCode::Io,
                     "Cannot write file \"" + systemPath + "\". " + std::strerror(wrote ? errno : writeErr));
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return MakeError(ErrorCode::Io, "Cannot create file \"" + systemPath + "\". " + Reason(ec));
  }
  return Status::Ok();
}

Result<Bytes> ReadWholeFile(const std::string& systemPath, std::uint64_t maxSize) {
  const std::string host = ToHostPath(systemPath);
  std::error_code ec;
  if (!fs::is_regular_file(host, ec)) {
    return MakeError(ErrorCode::NotFound, "File \"" + systemPath + "\" does not exist.");
  }
  const auto size = fs::file_size(host, ec);
  if (ec) return MakeError(ErrorCode::Io, "Cannot read file \"" + systemPath + "\". " + Reason(ec));
  if (size > maxSize) {
    return MakeError(ErrorCode::TooLarge,
                     "File \"" + systemPath + "\" is too large (" + std::to_string(size) + " bytes).");
  }
  std::ifstream in(host, std::ios::binary);
  if (!in) return MakeError(ErrorCode::Io, "Cannot open file \"" + systemPath + "\".");
  Bytes out(static_cast<std::size_t>(size));
  if (size > 0) in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(size));
  if (static_cast<std::uint64_t>(in.gcount()) != size) {
    return MakeError(ErrorCode::Io, "Cannot read file \"" + systemPath + "\".");
  }
  return out;
}

bool FileExists(const std::string& systemPath) {
  std::error_code ec;
  return fs::is_regular_file(ToHostPath(systemPath), ec);
}

bool FolderExists(const std::string& systemPath) {
  std::error_code ec;
  return fs::is_directory(ToHostPath(systemPath), ec);
}

bool CreateFolder(const std::string& systemPath) {
  std::error_code ec;
  const std::string host = ToHostPath(systemPath);
  fs::create_directory(host, ec);
  return fs::is_directory(host, ec);
}

bool CopyFileOver(const std::string& fromSystemPath, const std::string& toSystemPath) {
  std::error_code ec;
  fs::copy_file(ToHostPath(fromSystemPath), ToHostPath(toSystemPath), fs::copy_options::overwrite_existing,
                ec);
  return !ec;
}

bool DeleteFileAt(const std::string& systemPath) {
  std::error_code ec;
  return fs::remove(ToHostPath(systemPath), ec);
}

}  // namespace rw
