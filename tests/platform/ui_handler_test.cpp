// The exception boundary around every handler call, over the fake user interface.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "platform/ui_fake.h"

namespace {

TEST(CallHandler, AnEscapingExceptionBecomesAnErrorBox) {
  struct Case {
    std::function<void()> raise;
    const char* reason;
  };
  const Case cases[] = {
      {[] { throw std::bad_alloc(); }, "There is not enough memory"},
      {[] { throw std::runtime_error("the disk is gone"); }, "the disk is gone"},
      {[] { throw 42; }, "An unexpected error occurred"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    fake::Reset();
    ui::Window window = ui::CreateWindowFromLayout({});
    auto handler = [&](ui::Window, std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t {
      c.raise();
      return 1;
    };
    EXPECT_EQ(ui::CallHandler(handler, window, ui::kCommand, 1006, 0), 0);
    ASSERT_EQ(fake::Messages().size(), 1u);
    EXPECT_EQ(fake::Messages()[0].owner, window);
    EXPECT_EQ(fake::Messages()[0].caption, "stowr - error");
    EXPECT_EQ(fake::Messages()[0].flags, ui::kMbOk | ui::kMbIconError);
    EXPECT_EQ(fake::Messages()[0].text, std::string("Could not complete the action:\r") + c.reason);
  }
}

}  // namespace
