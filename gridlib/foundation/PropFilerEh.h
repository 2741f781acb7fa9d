// PropFilerEh.h: property interceptors, which stand in for a component while
// its properties are stored and read back, and their registry; the form's
// interceptor keeps its placement and rescales it to the screen's density.
#pragma once

#include "platform/gui/Forms.h"

#include <utility>
#include <vector>

class TStoragePropertyInterceptor : public TPersistent {
  VELMORA_CLASS(TStoragePropertyInterceptor)
  using inherited = TPersistent;
public:
  explicit TStoragePropertyInterceptor(TObject* ATarget) : FTarget(ATarget) {}
  // Whether the target's properties go through this interceptor.
  virtual bool NeedIntercept() { return true; }
  // The interceptor's properties were read back.
  virtual void Readed() {}
  TObject* Target() const { return FTarget; }

protected:
  TObject* FTarget = nullptr;
};

// A form's normal placement, density and window state.
class TFormStoragePropertyInterceptor : public TStoragePropertyInterceptor {
  VELMORA_CLASS(TFormStoragePropertyInterceptor)
  using inherited = TStoragePropertyInterceptor;
public:
  // Takes the form's present placement; ATarget must be a form.
  explicit TFormStoragePropertyInterceptor(TObject* ATarget);

  void SetActiveControl(TWinControl* Value) { FActiveControl = Value; }
  // Left, Top, Width and Height read the form's live normal placement and
  // write the values to restore.
  Integer Height() const;
  void SetHeight(Integer Value) { FHeight = Value; }
  Integer Left() const;
  void SetLeft(Integer Value);
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value; }
  Integer Top() const;
  void SetTop(Integer Value);
  Integer Width() const;
  void SetWidth(Integer Value) { FWidth = Value; }
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState Value) { FWindowState = Value; }

  TRect GetNotmalFormPlacement() const { return TRect(0, 0, 0, 0); }
  void Readed() override;

  // Registers the published properties through which a layout is stored and
  // read back; the first interceptor made does it.
  static void RegisterClass();

private:
  TCustomForm* Form() const { return dynamic_cast<TCustomForm*>(FTarget); }
  TRect NormalPlacement() const;

  TWinControl* FActiveControl = nullptr;
  Integer FHeight = 0;
  Integer FLeft = 0;
  Integer FPixelsPerInch = 0;
  bool FPosPresent = false;
  Integer FTop = 0;
  Integer FWidth = 0;
  TWindowState FWindowState = wsNormal;
};

// Makes an interceptor of a registered class for its target.
using TStoragePropertyInterceptorFactoryEh = TStoragePropertyInterceptor* (*)(TObject* Target);

struct TStoragePropertyInterceptorClassEh {
  TClass Class = nullptr;
  TStoragePropertyInterceptorFactoryEh Create = nullptr;
  bool operator==(const TStoragePropertyInterceptorClassEh& Other) const { return Class == Other.Class; }
};

// The interceptor class of T, made with T's constructor.
template <class T>
TStoragePropertyInterceptorClassEh StoragePropertyInterceptorClassEh()
{
  return {T::StaticClass(), [](TObject* Target) -> TStoragePropertyInterceptor* { return new T(Target); }};
}

// Replaces every registration of AClass with this one. Forms
// (TCustomForm) come registered with TFormStoragePropertyInterceptor.
void RegisterStoragePropertyInterceptorEh(TClass AClass, const TStoragePropertyInterceptorClassEh& AInterceptorClass);
// Removes the registrations of exactly that pair.
void UnregisterStoragePropertyInterceptorEh(TClass AClass, const TStoragePropertyInterceptorClassEh& AInterceptorClass);
// The registrations in order: component class, interceptor class.
std::vector<std::pair<TClass, TStoragePropertyInterceptorClassEh>> StoragePropertyInterceptorsEh();
