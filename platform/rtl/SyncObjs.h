// SyncObjs.h: the main (GUI) thread as seen from other threads: whether the
// caller runs on it, and calls queued to it.
#pragma once

#include <functional>
#include <memory>

// Whether the caller runs on the thread that handles the application's
// events.
bool IsMainThread();

// Runs Proc on the main thread when it next handles its events.
void QueueOnMainThread(std::function<void()> Proc);

// Calls queued to the main thread for one owner: the calls still pending when
// the owner goes are dropped. Made and destroyed on the main thread.
class TMainThreadCalls {
public:
  TMainThreadCalls();
  ~TMainThreadCalls();
  TMainThreadCalls(const TMainThreadCalls&) = delete;
  TMainThreadCalls& operator=(const TMainThreadCalls&) = delete;
  // May be called from any thread.
  void Queue(std::function<void()> Proc);

private:
  struct TContext;
  std::unique_ptr<TContext> FContext;
};
