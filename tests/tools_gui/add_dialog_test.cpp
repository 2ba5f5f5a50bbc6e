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

// What the user reads, the owner, and no default button on either: Enter is the dialog's own check.
TEST_F(AddDialogTest, TextsOwnerAndNoDefaultButton) {
  ui::WindowLayout layout = AddDialogLayout(owner);
  EXPECT_EQ(layout.title, "stowr - add tailpack");
  EXPECT_EQ(layout.owner, owner);
  std::vector<std::pair<int, std::string>> texts;
  for (const ui::ControlLayout& c : layout.controls) {
    texts.emplace_back(c.id, c.text);
    if (std::string(c.className) == "BUTTON") {
      EXPECT_EQ(c.style & 0xF, 0u) << c.text;  // BS_DEFPUSHBUTTON is 1
    }
  }
  EXPECT_EQ(texts, (std::vector<std::pair<int, std::string>>{
                       {1001, "Alphanumeric 3-character description:"}, {kDescriptorBox, ""}, {2, "Cancel"}, {1, "OK"}}));
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
