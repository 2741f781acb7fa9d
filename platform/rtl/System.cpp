// System.cpp: the root object class over the class registry.
#include "platform/rtl/System.h"

#include "platform/rtl/TypInfo.h"

TClass TObject::StaticClass()
{
  static TClassInfo* Info = [] {
    TClassInfo* I = typinfo_detail::NewClassInfo("TObject", typeid(TObject));
    I->IsInstance = [](const TObject* Obj) { return Obj != nullptr; };
    typinfo_detail::RegisterName(I);
    return I;
  }();
  return Info;
}

String TObject::ClassName() const
{
  TClass C = ClassType();
  return C ? C->Name : QString();
}

bool TObject::InheritsFrom(TClass AClass) const
{
  if (!AClass)
    return false;
  if (AClass->IsInstance)
    return AClass->IsInstance(this);
  return ClassInheritsFrom(ClassType(), AClass);
}
