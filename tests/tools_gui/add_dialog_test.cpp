// The Add dialog played through the fake ui: what it accepts, what it refuses and how it says so.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/state.h"
#include "platform/ui_fake.h"
#include "store/tailpack.h"
#include "tools/add_dialog.h"

namespace {

const std::string kInvalid = "Invalid descriptor!\rPlease type only 3 characters among A-Z and 0-9.";
const std::string kInUse = "This descriptor is already in use!\rPlease choose another one...";

ChunkRecord Record(const char* kind) {
  ChunkRecord record;
  std::snprintf(record.Kind, sizeof record.Kind, "%s", kind);
  return record;
}

struct AddDialogTest : ::testing::Test {
  ui::Window owner = nullptr;
  void SetUp() override {
    fake::Reset();
    Chunks() = {Record("ABC"), Record(" AB"), Record("png")};
    owner = ui::CreateWindowFromLayout({});
  }
  // Types each text into the box and presses OK, in one run of the dialog.
  std::string TypeAll(const std::vector<std::string>& typed) {
    fake::QueueStep(kAddDialogTitle, [typed](ui::Window w) {
      for (const std::string& text : typed) {
        ui::SetText(w, kDescriptorBox, text);
        fake::PressEnter(w);
      }
    });
    return AskDescriptor(owner, Chunks());
  }
};

TEST_F(AddDialogTest, LayoutAndOwner) {
  ui::WindowLayout layout = AddDialogLayout(owner);
  EXPECT_EQ(layout.title, "stowr - add tailpack");
  EXPECT_EQ(layout.owner, owner);
  EXPECT_TRUE(layout.centerInWorkArea);
  EXPECT_EQ(layout.clientWidth, 200);
  EXPECT_EQ(layout.clientHeight, 80);
  EXPECT_EQ(layout.style, 0x84C80084u);  // popup, clip siblings, caption, system menu, modal frame, 3D look
  EXPECT_EQ(layout.exStyle, 0x10000u);
  struct Want {
    int id;
    std::string className, text;
    int x, y, w, h;
    std::uint32_t style, exStyle;
  };
  const std::vector<Want> want = {
      {1001, "STATIC", "Alphanumeric 3-character description:", 8, 6, 184, 16, 0x0, 0},
      {1002, "EDIT", "", 70, 24, 60, 22, 0x00810088, 0x200},
      {2, "BUTTON", "Cancel", 8, 50, 60, 24, 0x00010000, 0},
      {1, "BUTTON", "OK", 132, 50, 60, 24, 0x00010000, 0},
  };
  ASSERT_EQ(layout.controls.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    const ui::ControlLayout& c = layout.controls[i];
    SCOPED_TRACE(want[i].id);
    EXPECT_EQ(c.id, want[i].id);
    EXPECT_EQ(c.className, want[i].className);
    EXPECT_EQ(c.text, want[i].text);
    EXPECT_EQ((std::vector<int>{c.x, c.y, c.width, c.height}), (std::vector<int>{want[i].x, want[i].y, want[i].w, want[i].h}));
    EXPECT_EQ(c.style, want[i].style);  // no BS_DEFPUSHBUTTON (1) on either button
    EXPECT_EQ(c.exStyle, want[i].exStyle);
  }
}

// Each row: what is typed, in order, and the messages shown before the dialog ends.
TEST_F(AddDialogTest, TypedTextsAndTheirVerdicts) {
  struct Case {
    std::vector<std::string> typed;
    std::vector<std::string> messages;
    std::string result;
  };
  const std::vector<Case> cases = {
      {{"xyz"}, {}, "XYZ"},
      {{"  X1Z  "}, {}, "X1Z"},
      {{"png"}, {}, "PNG"},  // a stored lower-case Kind is not the upper-case descriptor
      {{"AB"}, {kInvalid}, ""},
      {{" AB"}, {kInvalid}, ""},  // a short Kind stored with a leading space matches nothing typed
      {{""}, {kInvalid}, ""},
      {{"ABCD"}, {kInvalid}, ""},
      {{"A B"}, {kInvalid}, ""},
      {{"A-B"}, {kInvalid}, ""},
      {{"\tAB"}, {kInvalid}, ""},
      {{"abc", "", "ab", "0a9"}, {kInUse, kInvalid, kInvalid}, "0A9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.front());
    fake::Reset();
    owner = ui::CreateWindowFromLayout({});
    EXPECT_EQ(TypeAll(c.typed), c.result);
    fake::WindowRecord& dialog = *fake::FindWindow(kAddDialogTitle);
    std::vector<std::string> shown;
    for (const fake::MessageRecord& m : fake::Messages()) {
      shown.push_back(m.text);
      EXPECT_EQ(m.caption, "stowr - error");
      EXPECT_EQ(m.flags, ui::kMbOk | ui::kMbIconError);
      EXPECT_EQ(m.owner, static_cast<ui::Window>(&dialog));
    }
    EXPECT_EQ(shown, c.messages);
    if (!c.messages.empty()) {
      EXPECT_EQ(dialog.focusedControl, kDescriptorBox);
    }
  }
}

// After a refusal the box is empty and focused, and the dialog is still open.
TEST_F(AddDialogTest, RefusalEmptiesTheBoxAndKeepsTheDialogOpen) {
  fake::QueueStep(kAddDialogTitle, [](ui::Window w) {
    for (const char* typed : {"abc", "x y"}) {
      ui::SetText(w, kDescriptorBox, typed);
      fake::PressEnter(w);
      EXPECT_EQ(ui::GetText(w, kDescriptorBox), "");
      EXPECT_EQ(fake::Record(w).focusedControl, kDescriptorBox);
      EXPECT_FALSE(fake::Record(w).ended);
    }
  });
  EXPECT_EQ(AskDescriptor(owner, Chunks()), "");
  EXPECT_EQ(fake::Messages().size(), 2u);
}

// Cancel, Escape and the close box give "", even with a valid descriptor typed; an accepted
// descriptor of an earlier call is not remembered.
TEST_F(AddDialogTest, CancelEscapeAndCloseGiveNothing) {
  EXPECT_EQ(TypeAll({"new"}), "NEW");
  const std::vector<fake::Step> ways = {
      [](ui::Window w) { fake::Click(w, ui::kIdCancel); },
      [](ui::Window w) { fake::PressEscape(w); },
      [](ui::Window) {},  // the fake closes a window its step left open, as the close box does
  };
  for (const fake::Step& way : ways) {
    fake::QueueStep(kAddDialogTitle, [way](ui::Window w) {
      ui::SetText(w, kDescriptorBox, "NEW");
      way(w);
    });
    EXPECT_EQ(AskDescriptor(owner, Chunks()), "");
  }
  EXPECT_TRUE(fake::Messages().empty());
}

}  // namespace
