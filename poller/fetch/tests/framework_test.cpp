// The framework pieces under the download: its per-process initialisation and the error text
// of a failed internet call.
#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <cstring>

#include "platform/framework_exception.h"
#include "platform/framework_init.h"

namespace {

TEST(InitFramework, WantsAModuleOfThisProcess) {
  char commandLine[] = "";
  EXPECT_TRUE(InitFramework(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 0));
  EXPECT_TRUE(InitFramework(GetModuleHandleA(nullptr), nullptr, commandLine, 0)) << "and again, any number of times";
  EXPECT_FALSE(InitFramework(nullptr, nullptr, commandLine, 0));
  EXPECT_FALSE(InitFramework(reinterpret_cast<HINSTANCE>(0x10), nullptr, commandLine, 0));
}

TEST(CInternetException, GivesTheSystemTextWithinItsBuffer) {
  const CInternetException refused(ERROR_INTERNET_CANNOT_CONNECT);
  EXPECT_EQ(refused.Error(), static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT));
  char text[1024];
  ASSERT_TRUE(refused.GetErrorMessage(text, sizeof text));
  EXPECT_GT(std::strlen(text), 0u);

  char tiny[4] = {'x', 'x', 'x', 'x'};
  EXPECT_FALSE(refused.GetErrorMessage(tiny, sizeof tiny));
  EXPECT_EQ(tiny[0], '\0');
  EXPECT_FALSE(refused.GetErrorMessage(tiny, 0));
}

}  // namespace
