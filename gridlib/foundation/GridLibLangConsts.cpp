// GridLibLangConsts.cpp: the library's texts and their registration.
#include "gridlib/foundation/GridLibLangConsts.h"

#include "gridlib/foundation/LanguageResManEh.h"

#include <memory>

TGridLibLanguageConsts::TGridLibLanguageConsts(TComponent* AOwner) : TComponent(AOwner)
{
  RegisterGridLibLangConstsClasses();
  ReadComponentResource(this, QStringLiteral("TGridLibLanguageConsts"));
}

void RegisterGridLibLangConstsClasses()
{
  static bool Done = false;
  if (Done)
    return;
  Done = true;
  RegisterRtlClasses();
  auto Info = RegisterClassInfo<TGridLibLanguageConsts, TComponent>("TGridLibLanguageConsts");
#define GRIDLIB_TEXT_PROPERTY(Name) \
  Info.Property(#Name, &TGridLibLanguageConsts::Name, &TGridLibLanguageConsts::Set##Name);
  GRIDLIB_LANGUAGE_TEXTS(GRIDLIB_TEXT_PROPERTY)
#undef GRIDLIB_TEXT_PROPERTY
}

static std::unique_ptr<TGridLibLanguageConsts>& TextObject()
{
  static std::unique_ptr<TGridLibLanguageConsts> Object;
  return Object;
}

TGridLibLanguageConsts* GridLibLanguageConsts()
{
  std::unique_ptr<TGridLibLanguageConsts>& Object = TextObject();
  if (!Object) {
    Object = std::make_unique<TGridLibLanguageConsts>(nullptr);
    // The stored texts are Russian; they are registered under the language
    // the library's texts have always been registered with.
    LanguageResourceManagerEh()->AddLocalizableObject(Object.get(), QStringLiteral("TGridLibLanguageConsts"),
                                                      QStringLiteral("GridLibLangConsts"), QStringLiteral("ENU"));
  }
  return Object.get();
}

void FreeGridLibLanguageConsts()
{
  std::unique_ptr<TGridLibLanguageConsts>& Object = TextObject();
  if (!Object)
    return;
  LanguageResourceManagerEh()->DeleteLocalizableObject(Object.get());
  Object.reset();
}
