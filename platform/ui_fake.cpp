// The fake user interface: every function of ui.h over plain records, for native tests.
// Implements: windows and controls, colours, fonts, list views, modal runs driven by queued steps,
// message boxes and file dialogs answered from queues.
#include "platform/ui_fake.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <memory>
#include <stdexcept>
#include <thread>

namespace fake {
namespace {

struct World {
  std::deque<std::unique_ptr<WindowRecord>> windows;
  std::deque<std::unique_ptr<FontRecord>> fonts;
  std::deque<int> messageAnswers;
  std::deque<std::string> fileAnswers;
  std::multimap<std::string, Step> steps;  // per title, in the order queued
  std::vector<MessageRecord> messages;
  std::vector<FileDialogRecord> fileDialogs;
  std::vector<TaskRecord> tasks;
  std::deque<int> menuAnswers;
  std::vector<MenuRecord> menus;
  int cancels = 0;  // RunTask calls to cancel before their work starts
};

World& TheWorld() {
  static World world;
  return world;
}

// Runs, and forgets, the first step queued for title, handing it window.
void RunQueuedStep(const std::string& title, ui::Window window) {
  auto& steps = TheWorld().steps;
  auto it = steps.find(title);
  if (it == steps.end()) return;
  Step step = std::move(it->second);
  steps.erase(it);
  step(window);
}

ControlRecord MakeControl(const ui::ControlLayout& layout) {
  ControlRecord control;
  control.layout = layout;
  control.text = layout.text;
  control.enabled = (layout.style & ui::style::kDisabled) == 0;
  return control;
}

// What the modal loop would do next: hand the posted messages to the handler, oldest first.
void DeliverPosted(ui::Window window) {
  WindowRecord& record = Record(window);
  while (!record.posted.empty() && !record.ended) {
    std::uint32_t message = record.posted.front();
    record.posted.erase(record.posted.begin());
    record.handler(window, message, 0, 0);
  }
}

std::string NextFileAnswer() {
  auto& answers = TheWorld().fileAnswers;
  if (answers.empty()) return {};
  std::string answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace

void Reset() { TheWorld() = World{}; }

void QueueMessageAnswer(int answer) { TheWorld().messageAnswers.push_back(answer); }
void QueueFileAnswer(const std::string& path) { TheWorld().fileAnswers.push_back(path); }
void QueueStep(const std::string& title, Step step) { TheWorld().steps.emplace(title, std::move(step)); }

const std::vector<MessageRecord>& Messages() { return TheWorld().messages; }
const std::vector<FileDialogRecord>& FileDialogs() { return TheWorld().fileDialogs; }
const std::vector<TaskRecord>& Tasks() { return TheWorld().tasks; }
void QueueCancel() { ++TheWorld().cancels; }
void QueueMenuAnswer(int id) { TheWorld().menuAnswers.push_back(id); }
const std::vector<MenuRecord>& Menus() { return TheWorld().menus; }

std::vector<ui::Window> Windows() {
  std::vector<ui::Window> all;
  for (auto& window : TheWorld().windows) all.push_back(window.get());
  return all;
}

WindowRecord& Record(ui::Window window) {
  if (window == nullptr) throw std::invalid_argument("fake: null window");
  return *static_cast<WindowRecord*>(window);
}

WindowRecord* FindWindow(const std::string& title) {
  auto& windows = TheWorld().windows;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if ((*it)->layout.title == title) return it->get();
  }
  return nullptr;
}

// An unknown control id is a fault of the logic under test, so it throws rather than being
// ignored the way the real window system would ignore it.
ControlRecord& Control(ui::Window window, int id) {
  auto& controls = Record(window).controls;
  auto it = controls.find(id);
  if (it == controls.end()) throw std::out_of_range("fake: no control " + std::to_string(id));
  return it->second;
}

const FontRecord& Font(ui::Font font) { return *static_cast<FontRecord*>(font); }

std::intptr_t Send(ui::Window window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  WindowRecord& record = Record(window);
  if (!record.handler) throw std::logic_error("fake: window '" + record.layout.title + "' is not running");
  return record.handler(window, message, wParam, lParam);
}

void Click(ui::Window window, int id) { Send(window, ui::kCommand, static_cast<std::uintptr_t>(id)); }
void PressEnter(ui::Window window) { Click(window, ui::kIdOk); }
void PressEscape(ui::Window window) { Click(window, ui::kIdCancel); }

void SelectRows(ui::Window window, int id, const std::set<int>& rows) { Control(window, id).selected = rows; }

const std::vector<std::vector<std::string>>& Rows(ui::Window window, int id) { return Control(window, id).rows; }

}  // namespace fake

namespace ui {

using fake::Control;
using fake::Record;

Window CreateWindowFromLayout(const WindowLayout& layout) {
  auto record = std::make_unique<fake::WindowRecord>();
  record->layout = layout;
  for (const ControlLayout& control : layout.controls) record->controls[control.id] = fake::MakeControl(control);
  fake::TheWorld().windows.push_back(std::move(record));
  return fake::TheWorld().windows.back().get();
}

void AddControl(Window window, const ControlLayout& control) {
  Record(window).layout.controls.push_back(control);
  Record(window).controls[control.id] = fake::MakeControl(control);
}

void AcceptDroppedFiles(Window window) { Record(window).acceptsDrops = true; }
void AddWindowMenuItem(Window window, int id, const std::string& text) {
  Record(window).windowMenu.push_back({id, text, true});
}

// The handler gets kInitDialog, then the step queued for this title plays the user; a window
// still open afterwards is closed with 0, as by its close box.
std::intptr_t RunModal(Window window, Handler handler) {
  fake::WindowRecord& record = Record(window);
  record.handler = std::move(handler);
  record.running = true;
  record.handler(window, kInitDialog, 0, 0);
  record.shown = !record.ended;
  fake::DeliverPosted(window);
  if (!record.ended) fake::RunQueuedStep(record.layout.title, window);
  fake::DeliverPosted(window);
  if (!record.ended) EndModal(window, 0);
  record.running = false;
  record.shown = false;
  record.handler = nullptr;
  return record.endValue;
}

void Post(Window window, std::uint32_t message) { Record(window).posted.push_back(message); }

void EndModal(Window window, std::intptr_t value) {
  Record(window).ended = true;
  Record(window).endValue = value;
}

void SetText(Window window, int id, const std::string& text) { Control(window, id).text = text; }
void SetByteText(Window window, int id, const std::string& bytes) { Control(window, id).text = bytes; }
std::string GetText(Window window, int id) { return Control(window, id).text; }
void EnableControl(Window window, int id, bool enabled) { Control(window, id).enabled = enabled; }
bool ControlEnabled(Window window, int id) { return Control(window, id).enabled; }
void FocusControl(Window window, int id) { Record(window).focusedControl = id; }
void RedrawAll(Window window) { ++Record(window).redraws; }

void SetControlColors(Window window, int id, Color text, Color background) {
  fake::ControlRecord& control = Control(window, id);
  control.colorsSet = true;
  control.textColor = text;
  control.background = background;
}

Font CreateFontFace(Window, const std::string& face, int points) {
  fake::TheWorld().fonts.push_back(std::make_unique<fake::FontRecord>(fake::FontRecord{face, points, false}));
  return fake::TheWorld().fonts.back().get();
}

void SetControlFont(Window window, int id, Font font) { Control(window, id).font = font; }
void ReleaseFont(Font font) { static_cast<fake::FontRecord*>(font)->released = true; }
void PostClearSelection(Window window, int id) { ++Control(window, id).clearSelectionPosts; }
void PostCaretToStart(Window window, int id) { ++Control(window, id).caretToStartPosts; }

void AddListColumns(Window window, int id, const std::vector<Column>& columns) {
  auto& all = Control(window, id).columns;
  all.insert(all.end(), columns.begin(), columns.end());
}

void AddListExtendedStyle(Window window, int id, std::uint32_t exStyle) { Control(window, id).listExStyle |= exStyle; }

void ListDeleteAll(Window window, int id) {
  Control(window, id).rows.clear();
  Control(window, id).selected.clear();
}

// The fake asks for every cell at once, so tests read the rows as shown.
void ListSetRows(Window window, int id, int count, CellText cellText) {
  fake::ControlRecord& list = Control(window, id);
  list.rows.assign(static_cast<std::size_t>(count), {});
  list.selected.clear();
  for (int row = 0; row < count; ++row)
    for (int column = 0; column < std::max<int>(static_cast<int>(list.columns.size()), 1); ++column)
      list.rows[static_cast<std::size_t>(row)].push_back(cellText(row, column));
}

void ListSelect(Window window, int id, int row) {
  fake::ControlRecord& list = Control(window, id);
  if (row < 0 || static_cast<std::size_t>(row) >= list.rows.size()) throw std::out_of_range("fake: no such row");
  list.selected.insert(row);
}

void ListSelectOnly(Window window, int id, int row) {
  Control(window, id).selected.clear();
  ListSelect(window, id, row);
}

int ListFirstSelected(Window window, int id) {
  const auto& selected = Control(window, id).selected;
  return selected.empty() ? 0 : *selected.begin() + 1;
}

// The work runs on its own thread, as in the program; the fake simply waits for its end.
void RunTask(Window owner, Task& task, const std::function<void()>& start) {
  fake::World& world = fake::TheWorld();
  if (world.cancels > 0 && task.cancellable) {
    --world.cancels;
    task.cancelled = true;
  }
  start();
  while (!task.finished.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  world.tasks.push_back({owner, task.title, task.what, task.path, task.cancellable, task.cancelled.load()});
  fake::RunQueuedStep(task.title, owner);
}

int ShowMessage(Window owner, const std::string& text, const std::string& caption, std::uint32_t flags) {
  fake::World& world = fake::TheWorld();
  bool ownerShown = false;  // a test may hand in an owner from before the last Reset
  for (const auto& window : world.windows) ownerShown |= window.get() == owner && window->shown;
  world.messages.push_back({owner, ownerShown, text, caption, flags});
  if (world.messageAnswers.empty()) return (flags & 0xF) == kMbOk ? kIdOk : kIdNo;
  int answer = world.messageAnswers.front();
  world.messageAnswers.pop_front();
  return answer;
}

// A chosen item that is disabled is no choice, as in a real menu.
int ShowPopupMenu(Window window, Point at, const std::vector<MenuItem>& items) {
  fake::World& world = fake::TheWorld();
  world.menus.push_back({window, at, items});
  if (world.menuAnswers.empty()) return 0;
  const int answer = world.menuAnswers.front();
  world.menuAnswers.pop_front();
  for (const MenuItem& item : items)
    if (item.id == answer && item.enabled) return answer;
  return 0;
}

std::string AskOpenFile(Window owner, const FileDialogOptions& options) {
  fake::TheWorld().fileDialogs.push_back({owner, false, options});
  return fake::NextFileAnswer();
}

std::string AskSaveFile(Window owner, const FileDialogOptions& options) {
  fake::TheWorld().fileDialogs.push_back({owner, true, options});
  return fake::NextFileAnswer();
}

}  // namespace ui
