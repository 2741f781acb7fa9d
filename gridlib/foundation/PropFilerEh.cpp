// PropFilerEh.cpp: the interceptor registry and the form's placement
// interceptor.
#include "gridlib/foundation/PropFilerEh.h"

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"

#include <algorithm>
#include <cmath>

namespace {

using TRegistration = std::pair<TClass, TStoragePropertyInterceptorClassEh>;

// Made on first use with the forms' own interceptor registered, as the unit
// does when it starts.
std::vector<TRegistration>& Registry()
{
  static std::vector<TRegistration> List = [] {
    TFormStoragePropertyInterceptor::RegisterClass();
    return std::vector<TRegistration>{
        {TCustomForm::StaticClass(), StoragePropertyInterceptorClassEh<TFormStoragePropertyInterceptor>()}};
  }();
  return List;
}

} // namespace

void RegisterStoragePropertyInterceptorEh(TClass AClass, const TStoragePropertyInterceptorClassEh& AInterceptorClass)
{
  auto& List = Registry();
  std::erase_if(List, [AClass](const TRegistration& R) { return R.first == AClass; });
  List.emplace_back(AClass, AInterceptorClass);
}

void UnregisterStoragePropertyInterceptorEh(TClass AClass, const TStoragePropertyInterceptorClassEh& AInterceptorClass)
{
  std::erase_if(Registry(), [&](const TRegistration& R) { return R.first == AClass && R.second == AInterceptorClass; });
}

std::vector<std::pair<TClass, TStoragePropertyInterceptorClassEh>> StoragePropertyInterceptorsEh()
{
  return Registry();
}

// ---------------------------------------------------------------------------
// Form placement.

TFormStoragePropertyInterceptor::TFormStoragePropertyInterceptor(TObject* ATarget)
    : TStoragePropertyInterceptor(ATarget)
{
  RegisterClass();
  TCustomForm* F = Form();
  if (!F)
    throw EInvalidCast(QStringLiteral("Invalid class typecast: the form placement needs a form"));
  const TRect R = F->NormalBounds();
  FLeft = R.Left;
  FTop = R.Top;
  FWidth = R.Width();
  FHeight = R.Height();
  FPixelsPerInch = ScreenPixelsPerInch;
  FWindowState = F->WindowState();
  FActiveControl = F->ActiveControl();
}

void TFormStoragePropertyInterceptor::RegisterClass()
{
  static bool Done = false;
  if (Done)
    return;
  Done = true;
  RegisterClassInfo<TStoragePropertyInterceptor, TPersistent>("TStoragePropertyInterceptor");
  RegisterClassInfo<TFormStoragePropertyInterceptor, TStoragePropertyInterceptor>("TFormStoragePropertyInterceptor")
      .Property("ActiveControl", [](const TFormStoragePropertyInterceptor* I) { return I->FActiveControl; },
                &TFormStoragePropertyInterceptor::SetActiveControl)
      .Property("Height", &TFormStoragePropertyInterceptor::Height, &TFormStoragePropertyInterceptor::SetHeight)
      .Property("Left", &TFormStoragePropertyInterceptor::Left, &TFormStoragePropertyInterceptor::SetLeft)
      .Property("PixelsPerInch", &TFormStoragePropertyInterceptor::PixelsPerInch,
                &TFormStoragePropertyInterceptor::SetPixelsPerInch)
      .Property("Top", &TFormStoragePropertyInterceptor::Top, &TFormStoragePropertyInterceptor::SetTop)
      .Property("Width", &TFormStoragePropertyInterceptor::Width, &TFormStoragePropertyInterceptor::SetWidth)
      .Property("WindowState", &TFormStoragePropertyInterceptor::WindowState,
                &TFormStoragePropertyInterceptor::SetWindowState);
}

TRect TFormStoragePropertyInterceptor::NormalPlacement() const
{
  TCustomForm* F = Form();
  return F ? F->NormalBounds() : TRect(0, 0, 0, 0);
}

Integer TFormStoragePropertyInterceptor::Height() const { return NormalPlacement().Height(); }
Integer TFormStoragePropertyInterceptor::Left() const { return NormalPlacement().Left; }
Integer TFormStoragePropertyInterceptor::Top() const { return NormalPlacement().Top; }
Integer TFormStoragePropertyInterceptor::Width() const { return NormalPlacement().Width(); }

void TFormStoragePropertyInterceptor::SetLeft(Integer Value)
{
  FLeft = Value;
  FPosPresent = true;
}

void TFormStoragePropertyInterceptor::SetTop(Integer Value)
{
  FTop = Value;
  FPosPresent = true;
}

static Integer Rescale(Integer Value, Integer From, Integer To)
{
  return Integer(std::lround(double(Value) * To / From));
}

void TFormStoragePropertyInterceptor::Readed()
{
  // A placement stored without its density is taken as it stands.
  if (FPixelsPerInch > 0 && FPixelsPerInch != ScreenPixelsPerInch) {
    FHeight = Rescale(FHeight, FPixelsPerInch, ScreenPixelsPerInch);
    FLeft = Rescale(FLeft, FPixelsPerInch, ScreenPixelsPerInch);
    FTop = Rescale(FTop, FPixelsPerInch, ScreenPixelsPerInch);
    FWidth = Rescale(FWidth, FPixelsPerInch, ScreenPixelsPerInch);
  }
  TCustomForm* F = Form();
  if (!F)
    return;
  F->SetWindowState(FWindowState);
  F->SetActiveControl(FActiveControl);
  if (F->WindowState() != wsNormal)
    F->SetNormalBounds(TRect(FLeft, FTop, FLeft + FWidth, FTop + FHeight));
  else
    F->SetBounds(FLeft, FTop, FWidth, FHeight);
  // A centred form would centre itself again when shown.
  const bool Centred = F->Position() == poScreenCenter || F->Position() == poDesktopCenter;
  if (Centred && !F->ComponentState().Contains(csDesigning) && FPosPresent)
    F->SetPosition(poDesigned);
}
