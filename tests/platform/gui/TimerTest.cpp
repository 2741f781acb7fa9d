// TimerTest.cpp: window timers and the time source: WM_TIMER in time order
// on a test clock moved by hand, restarting and killing timers, and the
// monotonic clock firing them from the event loop.
#include "platform/gui/Forms.h"

#include "tests/platform/gui/GuiTestSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using gui_test::GuiTest;

namespace {

// Records each WM_TIMER with the tick count it came at.
class TTimedControl : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  std::vector<std::pair<UINT_PTR, Cardinal>> Ticks;
  std::function<void(UINT_PTR)> OnTick;

protected:
  void WndProc(TMessage& Message) override
  {
    if (Message.Msg == WM_TIMER) {
      Ticks.emplace_back(UINT_PTR(Message.WParam), GetTickCount());
      if (OnTick)
        OnTick(UINT_PTR(Message.WParam));
      return;
    }
    TCustomControl::WndProc(Message);
  }
};

using TTicks = std::vector<std::pair<UINT_PTR, Cardinal>>;

} // namespace

TEST_F(GuiTest, TimersFireInTimeOrderOnATestClock)
{
  TTestClock Clock(5000);
  EXPECT_EQ(GetTickCount(), 5000u);
  auto* C = new TTimedControl(Application);
  EXPECT_EQ(SetTimer(C, 1, 60), 1u);
  EXPECT_EQ(SetTimer(C, 2, 100), 2u);
  Clock.Advance(59);
  EXPECT_TRUE(C->Ticks.empty());
  Clock.Advance(241);
  EXPECT_EQ(C->Ticks, (TTicks{{1, 5060}, {2, 5100}, {1, 5120}, {1, 5180}, {2, 5200}, {1, 5240}, {1, 5300},
                              {2, 5300}}));
  EXPECT_EQ(GetTickCount(), 5300u);

  // Setting a timer again restarts it from now; a killed one stays quiet.
  C->Ticks.clear();
  EXPECT_TRUE(KillTimer(C, 2));
  EXPECT_FALSE(KillTimer(C, 2));
  Clock.Advance(30);
  SetTimer(C, 1, 50);
  Clock.Advance(100);
  EXPECT_EQ(C->Ticks, (TTicks{{1, 5380}, {1, 5430}}));

  // A freed control gets no more timer messages.
  delete C;
  Clock.Advance(500);
}

TEST_F(GuiTest, TimerHandlersMayChangeTheirTimers)
{
  TTestClock Clock;
  auto* C = new TTimedControl(Application);
  // Auto-repeat: a first delay of 400 ms, then every 100 ms.
  C->OnTick = [C](UINT_PTR Id) {
    if (Id == 7 && C->Ticks.size() == 1)
      SetTimer(C, 7, 100);
    if (C->Ticks.size() == 4)
      KillTimer(C, 7);
  };
  SetTimer(C, 7, 400);
  Clock.Advance(1000);
  EXPECT_EQ(C->Ticks, (TTicks{{7, 1400}, {7, 1500}, {7, 1600}, {7, 1700}}));

  // A timer without a window calls its procedure and gets an id of its own.
  std::vector<DWORD> Calls;
  const UINT_PTR Id = SetTimer(nullptr, 0, 250, [&Calls](HWND Wnd, UINT Msg, UINT_PTR, DWORD Time) {
    EXPECT_EQ(Wnd, nullptr);
    EXPECT_EQ(Msg, UINT(WM_TIMER));
    Calls.push_back(Time);
  });
  EXPECT_NE(Id, 0u);
  Clock.Advance(500);
  EXPECT_EQ(Calls, (std::vector<DWORD>{2250, 2500}));
  EXPECT_TRUE(KillTimer(nullptr, Id));
}

TEST_F(GuiTest, TimersRunOnTheMonotonicClockFromTheEventLoop)
{
  ASSERT_EQ(TTestClock::Active(), nullptr);
  auto* C = new TTimedControl(Application);
  QElapsedTimer Waited;
  Waited.start();
  SetTimer(C, 3, 20);
  while (C->Ticks.size() < 3 && Waited.elapsed() < 5000)
    Application->HandleMessage();
  KillTimer(C, 3);
  ASSERT_EQ(C->Ticks.size(), 3u);
  EXPECT_GE(Waited.elapsed(), 40);
  EXPECT_GE(C->Ticks[2].second - C->Ticks[0].second, 30u);

  // Timers set on a test clock count from its time and go back to the
  // monotonic clock when it ends.
  {
    TTestClock Clock(100);
    SetTimer(C, 4, 10);
    Clock.Advance(10);
    EXPECT_EQ(C->Ticks.back(), (std::pair<UINT_PTR, Cardinal>{4, 110}));
  }
  const std::size_t Before = C->Ticks.size();
  Waited.restart();
  while (C->Ticks.size() == Before && Waited.elapsed() < 5000)
    Application->HandleMessage();
  EXPECT_GT(C->Ticks.size(), Before);
  KillTimer(C, 4);
}
