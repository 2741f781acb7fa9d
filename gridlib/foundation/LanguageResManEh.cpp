// LanguageResManEh.cpp: the language manager.
#include "gridlib/foundation/LanguageResManEh.h"

#include "platform/gui/Forms.h"

TLanguageResourceManagerEh::TLanguageResourceManagerEh()
    : FLanguageList(std::make_unique<TStringList>()), FLocObjects(false), FChangeNotifyConsumers(false)
{
}

TLanguageResourceManagerEh::~TLanguageResourceManagerEh()
{
  for (Integer I = 0; I < FLocObjects.Count(); ++I)
    delete FLocObjects.Items(I);
}

TResObjectEh* TLanguageResourceManagerEh::GetResObject(Integer Index) const
{
  return static_cast<TResObjectEh*>(FLocObjects.Items(Index));
}

void TLanguageResourceManagerEh::AddLocalizableObject(TComponent* Component, const String& ResourceName,
                                                      const String& ExtResourceFileName,
                                                      const String& DefaultResourceLanguage)
{
  auto* Res = new TResObjectEh();
  Res->RefResObject = Component;
  Res->ResourceName = ResourceName;
  Res->ExtResourceFileName = ExtResourceFileName;
  Res->DefaultResourceLanguage = DefaultResourceLanguage;
  FLocObjects.Add(Res);
  if (!FActiveLanguageAbbr.isEmpty() && FActiveLanguageAbbr != DefaultResourceLanguage)
    ReadObjectResource(Res);
}

void TLanguageResourceManagerEh::DeleteLocalizableObject(TComponent* Component)
{
  for (Integer I = FLocObjects.Count() - 1; I >= 0; --I) {
    TResObjectEh* Res = GetResObject(I);
    if (Res->RefResObject != Component)
      continue;
    FLocObjects.Delete(I);
    delete Res;
  }
}

void TLanguageResourceManagerEh::AddChangeNotifyConsumer(TComponent* Component,
                                                         const String& DefaultResourceLanguage)
{
  FChangeNotifyConsumers.Add(Component);
  if (!FActiveLanguageAbbr.isEmpty() && FActiveLanguageAbbr != DefaultResourceLanguage)
    NotifyConsumerChange(Component);
}

void TLanguageResourceManagerEh::DeleteChangeNotifyConsumer(TComponent* Component)
{
  FChangeNotifyConsumers.Remove(Component);
}

void TLanguageResourceManagerEh::NotifyConsumerChange(TComponent* Component)
{
  if (auto* Consumer = dynamic_cast<ILanguageResourceLoadNotificationConsumer*>(Component))
    Consumer->ResourceLanguageChanged();
}

// Depth first through the components a form owns.
static void SendSettingChange(TComponent* Owner)
{
  for (Integer I = 0; I < Owner->ComponentCount(); ++I) {
    TComponent* C = Owner->Components(I);
    if (auto* Control = dynamic_cast<TControl*>(C))
      Control->Perform(WM_SETTINGCHANGE, 0, 0);
    SendSettingChange(C);
  }
}

void TLanguageResourceManagerEh::NotifyAllConsumersChange()
{
  for (Integer I = 0; I < FChangeNotifyConsumers.Count(); ++I)
    NotifyConsumerChange(static_cast<TComponent*>(FChangeNotifyConsumers.Items(I)));
  if (!Screen)
    return;
  for (Integer I = 0; I < Screen->FormCount(); ++I) {
    TCustomForm* Form = Screen->Forms(I);
    Form->Perform(WM_SETTINGCHANGE, 0, 0);
    SendSettingChange(Form);
  }
}

void TLanguageResourceManagerEh::SetActiveLanguageAbbr(const String& Value)
{
  if (Value == FActiveLanguageAbbr)
    return;
  if (IndexOfLanguage(Value) < 0)
    throw Exception(QStringLiteral("Language \"%1\" is not supported").arg(Value));
  FActiveLanguageAbbr = Value;
  ActiveLanguageChanged();
}

void TLanguageResourceManagerEh::ActiveLanguageChanged()
{
  for (Integer I = 0; I < FLocObjects.Count(); ++I)
    if (!FActiveLanguageAbbr.isEmpty())
      ReadObjectResource(GetResObject(I));
  NotifyAllConsumersChange();
}

void TLanguageResourceManagerEh::ReadObjectResource(TResObjectEh* ObjectRes)
{
  if (FResourcePlacement == lrpExternalEh)
    ReadComponentExternalResource(ObjectRes->RefResObject, ObjectRes->ExtResourceFileName);
  else
    ReadComponentEmbeddedResource(ObjectRes->RefResObject);
}

void TLanguageResourceManagerEh::ReadComponentExternalResource(TComponent* Component,
                                                               const String& ResourceName)
{
  if (FActiveLanguageAbbr.isEmpty())
    throw Exception(QStringLiteral("ActiveLanguage is not defined"));
  const String FileName = IncludeTrailingPathDelimiter(FResourceFolderPath) + ResourceName + QLatin1Char('.') +
                          FActiveLanguageAbbr + QStringLiteral(".dfm");
  if (!FileExists(FileName))
    return;
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  ReadComponentFromStream(Component, &Stream);
}

void TLanguageResourceManagerEh::ReadComponentEmbeddedResource(TComponent* Component)
{
  const String Name = Component->ClassName() + QLatin1Char('_') + FActiveLanguageAbbr;
  if (!ReadComponentResource(Component, Name))
    return;
  NotifyConsumerChange(Component);
}

bool TLanguageResourceManagerEh::ReadComponentResource(TComponent* Component, const String& ResourceName)
{
  if (!TResourceStream::Exists(ResourceName))
    return false;
  TResourceStream Stream(ResourceName);
  ReadComponentFromStream(Component, &Stream);
  return true;
}

void TLanguageResourceManagerEh::ReadComponentFromStream(TComponent* Component, TStream* Stream)
{
  const TStreamOriginalFormat Format = TestStreamFormat(Stream);
  if (Format == sofUnknown)
    throw Exception(QStringLiteral("Invalid stream format."));
  if (Format == sofBinary) {
    Stream->ReadComponent(Component);
    return;
  }
  TMemoryStream Binary;
  ObjectTextToBinary(Stream, &Binary);
  Binary.SetPosition(0);
  try {
    Binary.ReadComponent(Component);
  } catch (const EReadError&) {
    // Shown by the application; only this read stops.
    if (Application)
      Application->HandleException(this);
  }
}

// The three-letter ISO 639-2 codes, and "ENU", the name the library's own
// texts have always given English.
static String LanguageCodeOfAbbr(const String& Abbr)
{
  return Abbr == QStringLiteral("ENU") ? QStringLiteral("ENG") : Abbr;
}

bool TLanguageResourceManagerEh::IsKnownLanguageAbbr(const String& Abbr)
{
  return IsLanguageCode(LanguageCodeOfAbbr(Abbr));
}

void TLanguageResourceManagerEh::LoadListOfAvailableLanguages(const String& BaseFileName)
{
  FLanguageList->Clear();
  if (FResourcePlacement == lrpExternalEh) {
    if (FResourceFolderPath.isEmpty())
      FResourceFolderPath = IncludeTrailingPathDelimiter(GetCurrentDir()) + QStringLiteral("Res");
    const QStringList Files = FindFileNames(FResourceFolderPath, BaseFileName + QStringLiteral(".???.dfm"));
    for (const String& File : Files) {
      const String Abbr = File.section(QLatin1Char('.'), -2, -2).toUpper();
      if (IsKnownLanguageAbbr(Abbr) && FLanguageList->IndexOf(Abbr) < 0)
        FLanguageList->Add(Abbr);
    }
    return;
  }
  const String Prefix = BaseFileName.toUpper() + QLatin1Char('_');
  const QStringList Names = TResourceStream::Names();
  for (const String& Name : Names) {
    const Integer At = Integer(Name.toUpper().indexOf(Prefix));
    if (At < 0 || Name.size() != At + Prefix.size() + 3)
      continue;
    const String Abbr = Name.right(3);
    if (FLanguageList->IndexOf(Abbr) < 0)
      FLanguageList->Add(Abbr);
  }
}

Integer TLanguageResourceManagerEh::IndexOfLanguage(const String& LangID) const
{
  for (Integer I = 0; I < FLanguageList->Count(); ++I)
    if (FLanguageList->Strings(I) == LangID)
      return I;
  return -1;
}

String TLanguageResourceManagerEh::GetSuffixForLocale(const String& LocaleName) const
{
  return LocaleLanguageCode(LocaleName);
}

String TLanguageResourceManagerEh::GetNativeLanguageName(const String& LanguageAbbr) const
{
  return NativeLanguageName(LanguageCodeOfAbbr(LanguageAbbr));
}

String TLanguageResourceManagerEh::AutoselectLanguage(const String& LocaleName)
{
  const String Own = GetSuffixForLocale(LocaleName);
  if (!Own.isEmpty() && IndexOfLanguage(Own) >= 0)
    return Own;
  if (IndexOfLanguage(QStringLiteral("ENU")) >= 0)
    return QStringLiteral("ENU");
  return String();
}

String TLanguageResourceManagerEh::AutoselectLanguage()
{
  // The program runs with Russian settings whatever the session's locale.
  String Result = AutoselectLanguage(QStringLiteral("ru_RU"));
  if (OnAutoselectLanguage)
    OnAutoselectLanguage(this, Result);
  return Result;
}

TLanguageResourceManagerEh* LanguageResourceManagerEh()
{
  static std::unique_ptr<TLanguageResourceManagerEh> Manager =
      std::make_unique<TLanguageResourceManagerEh>();
  return Manager.get();
}
