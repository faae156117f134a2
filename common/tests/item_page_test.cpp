// The item-view host: which values of "ItemHost" may stand in an address.
#include "common/item_page.h"

#include <gtest/gtest.h>

TEST(ItemHost, OnlyPlainHostNamesWithAnOptionalPort) {
  for (const char* plain : {"cgi.rure.com", "items.example.test", "127.0.0.1:8080", "localhost", "host-1:1",
                            "HOST.Example:65535"})
    EXPECT_TRUE(IsPlainItemHost(plain)) << plain;
  for (const char* refused : {"", ":80", "host:", "host:0", "host:65536", "host:123456", "host:8o", "host:-1",
                              "evil.example/phish?x=", "user@host", "host name", "host\\x", "host:80:81",
                              "host#x", "[::1]", "host\t"})
    EXPECT_FALSE(IsPlainItemHost(refused)) << refused;
}
