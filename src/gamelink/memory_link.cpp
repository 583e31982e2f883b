#include "gamelink/memory_link.h"

#include <algorithm>
#include <cstring>

namespace rw {
namespace {

class MemoryProcess : public IGameProcess {
 public:
  explicit MemoryProcess(const MemoryGameLink& link) : link_(link) {}
  std::size_t Read(std::uint32_t address, std::span<std::uint8_t> out) override {
    return link_.ReadMemory(address, out);
  }

 private:
  const MemoryGameLink& link_;
};

}  // namespace

Status MemoryGameLink::MapRegion(std::uint32_t address, Bytes bytes) {
  const std::uint64_t end = static_cast<std::uint64_t>(address) + bytes.size();
  if (end > 0x1'0000'0000ull)
    return MakeError(ErrorCode::Invalid, "region runs past the 4 GiB address space");
  if (bytes.empty()) return Status::Ok();
  auto next = regions_.lower_bound(address);
  if (next != regions_.end() && next->first < end) {
    return MakeError(ErrorCode::Invalid, "region overlaps another region");
  }
  if (next != regions_.begin()) {
    auto prev = std::prev(next);
    if (static_cast<std::uint64_t>(prev->first) + prev->second.size() > address) {
      return MakeError(ErrorCode::Invalid, "region overlaps another region");
    }
  }
  regions_.emplace(address, std::move(bytes));
  return Status::Ok();
}

namespace {

// Visits the mapped bytes from `address` on, region by region, while they are contiguous;
// `copy(regionBytes, offsetInRegion, done, n)` handles each piece. Returns the bytes covered.
template <typename Regions, typename Copy>
std::size_t WalkMapped(Regions& regions, std::uint32_t address, std::size_t length, Copy copy) {
  std::size_t done = 0;
  std::uint64_t at = address;
  // Bounded: each pass consumes one region or ends.
  while (done < length) {
    auto it = regions.upper_bound(static_cast<std::uint32_t>(std::min<std::uint64_t>(at, 0xFFFFFFFFu)));
    if (at > 0xFFFFFFFFu || it == regions.begin()) break;
    --it;
    const std::uint64_t start = it->first;
    const std::uint64_t end = start + it->second.size();
    if (at < start || at >= end) break;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(end - at, length - done));
    copy(it->second, static_cast<std::size_t>(at - start), done, n);
    done += n;
    at += n;
  }
  return done;
}

}  // namespace

std::size_t MemoryGameLink::ReadMemory(std::uint32_t address, std::span<std::uint8_t> out) const {
  return WalkMapped(regions_, address, out.size(),
                    [&](const Bytes& r, std::size_t from, std::size_t done, std::size_t n) {
                      std::memcpy(out.data() + done, r.data() + from, n);
                    });
}

std::size_t MemoryGameLink::Write(std::uint32_t address, ByteSpan bytes) {
  return WalkMapped(regions_, address, bytes.size(),
                    [&](Bytes& r, std::size_t from, std::size_t done, std::size_t n) {
                      std::memcpy(r.data() + from, bytes.data() + done, n);
                    });
}

bool MemoryGameLink::FindWindow(std::string_view cls, std::string_view title) {
  return windowPresent && EqualsNoCase(cls, windowClass) && EqualsNoCase(title, windowTitle);
}

std::unique_ptr<IGameProcess> MemoryGameLink::OpenProcess() {
  if (!windowPresent || !processOpens) return nullptr;
  return std::make_unique<MemoryProcess>(*this);
}

std::optional<std::string> MemoryGameLink::ExecutablePath() {
  if (!windowPresent) return std::nullopt;
  return executablePath;
}

}  // namespace rw
