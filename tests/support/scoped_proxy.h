// The current user's proxy setting pointed somewhere for a while, and a loopback port that
// refuses connections: how tests steer a fixed address to the fixture site, or nowhere.
#pragma once
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace testing_support {

// Points the current user's proxy setting at host:port; puts back exactly what was there.
class ScopedProxy {
 public:
  explicit ScopedProxy(const std::string& hostAndPort);
  ~ScopedProxy();
  ScopedProxy(const ScopedProxy&) = delete;
  ScopedProxy& operator=(const ScopedProxy&) = delete;

 private:
  std::vector<RegistryValue> saved_;
};

// A loopback port with nothing listening on it.
int ClosedPort();

}  // namespace testing_support
