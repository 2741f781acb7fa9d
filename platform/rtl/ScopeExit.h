// ScopeExit.h: a cleanup guard that runs a callable when the scope ends, the
// C++ form of try/finally (EndUpdate, EnableControls, restoring a cursor).
#pragma once

#include <utility>

template <class F>
class ScopeExit {
public:
  explicit ScopeExit(F Fn) : FFn(std::move(Fn)) {}
  ~ScopeExit()
  {
    if (FActive)
      FFn();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ScopeExit(ScopeExit&&) = delete;
  ScopeExit& operator=(ScopeExit&&) = delete;

  // Keeps the cleanup from running (the work it would undo was committed).
  void Release() { FActive = false; }

private:
  F FFn;
  bool FActive = true;
};

template <class F>
ScopeExit(F) -> ScopeExit<F>;
