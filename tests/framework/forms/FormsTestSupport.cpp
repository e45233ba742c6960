#include "tests/framework/forms/FormsTestSupport.h"

#include <utility>

namespace sx::testing {

DefinitionServices& FormsTest::Services() {
  static DefinitionServices services;
  return services;
}

void FormsTest::SetUp() {
  SetSystem(&Services());
  Services().Clear();
  RecordedBoxes().clear();
  previousBox_ = RecordMessageBoxes();
  // Nothing a previous test left behind (a quit message among it) may reach this one.
  DrainQueue();
  ASSERT_TRUE(StartFramework());
}

void FormsTest::TearDown() {
  FinishFramework();
  DrainQueue();
  SetMessageBoxProc(previousBox_);
}

FakeDesktop::FakeDesktop(std::vector<Monitor> monitors)
    : monitors_(std::move(monitors)), previous_(Desktop()) {
  current_ = this;
  DesktopQueries queries = previous_;
  if (!monitors_.empty()) {
    queries.monitorFromWindow = &FromWindow;
    queries.monitorFromRect = &FromRect;
    queries.monitorInfo = &Info;
    queries.monitorPixelsPerInch = &PixelsPerInch;
  }
  queries.nonClientMetrics = &Metrics;
  SetDesktopQueries(queries);
}

FakeDesktop::~FakeDesktop() {
  SetDesktopQueries(previous_);
  current_ = nullptr;
}

void FakeDesktop::SetMessageFont(const LOGFONTA& font) {
  messageFont_ = font;
}

HMONITOR FakeDesktop::FromWindow(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return FromRect(rect);
}

HMONITOR FakeDesktop::FromRect(const RECT& rect) {
  std::size_t best = 0;
  long long bestOverlap = 0;
  for (std::size_t i = 0; i < current_->monitors_.size(); ++i) {
    RECT common{};
    if (!IntersectRect(&common, &current_->monitors_[i].rect, &rect)) continue;
    const long long overlap =
        static_cast<long long>(common.right - common.left) * (common.bottom - common.top);
    if (overlap > bestOverlap) {
      best = i;
      bestOverlap = overlap;
    }
  }
  return reinterpret_cast<HMONITOR>(best + 1);
}

bool FakeDesktop::Info(HMONITOR monitor, MONITORINFO& info) {
  const auto index = reinterpret_cast<std::size_t>(monitor);
  if (index == 0 || index > current_->monitors_.size()) return false;
  info.rcMonitor = current_->monitors_[index - 1].rect;
  info.rcWork = current_->monitors_[index - 1].work;
  info.dwFlags = index == 1 ? MONITORINFOF_PRIMARY : 0;
  return true;
}

int FakeDesktop::PixelsPerInch(HMONITOR monitor) {
  const auto index = reinterpret_cast<std::size_t>(monitor);
  if (index == 0 || index > current_->monitors_.size()) return 0;
  return current_->monitors_[index - 1].pixelsPerInch;
}

bool FakeDesktop::Metrics(NONCLIENTMETRICSA& metrics) {
  if (current_->failMetrics_ || !current_->previous_.nonClientMetrics(metrics)) return false;
  if (current_->messageFont_) metrics.lfMessageFont = *current_->messageFont_;
  return true;
}

namespace {
constinit const ClassInfo* const kTestFormFieldClasses[] = {&TTestButton::StaticClass,
                                                            &TTestEdit::StaticClass};
}  // namespace

constinit const ClassInfo TTestForm::StaticClass{
    .name = "TTestForm",
    .parent = &TForm::StaticClass,
    .construct = &ConstructComponent<TTestForm>,
    .fieldClasses = kTestFormFieldClasses,
};

}  // namespace sx::testing
