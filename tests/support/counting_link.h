#pragma once
// A game link over memory that counts how often the process is opened, to show that a reader
// makes its reads through one handle.

#include <memory>

#include "gamelink/memory_link.h"

namespace rw::test {

class CountingLink : public MemoryGameLink {
 public:
  int opens = 0;
  std::unique_ptr<IGameProcess> OpenProcess() override {
    ++opens;
    return MemoryGameLink::OpenProcess();
  }
};

}  // namespace rw::test
