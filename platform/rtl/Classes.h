// Classes.h: lists, string lists, streams, persistent objects, components and
// collections, and the component streams that form descriptions are made of.
#pragma once

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"
#include "platform/rtl/TypInfo.h"

#include <QHash>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

class TStream;
class TFiler;
class TReader;
class TWriter;
class TComponent;
class TCollection;
class TCollectionItem;

// ---------------------------------------------------------------------------
// Text encodings for string lists and string streams.

class TEncoding {
public:
  virtual ~TEncoding() = default;
  virtual String EncodingName() const = 0;
  virtual QByteArray GetPreamble() const = 0;   // the byte-order mark, empty when none
  virtual QByteArray GetBytes(const String& S) const = 0;
  virtual String GetString(const QByteArray& Bytes) const = 0;

  static TEncoding* UTF8();            // with a BOM preamble
  static TEncoding* Unicode();         // UTF-16 little-endian
  static TEncoding* BigEndianUnicode();
  static TEncoding* ANSI();            // this system's 8-bit code page: UTF-8 without preamble
  static TEncoding* Default();         // = ANSI()
  // An 8-bit code page by number (1251, 866, 65001); nullptr when unknown.
  static TEncoding* GetEncoding(int CodePage);
  // Finds the encoding from a byte-order mark at the start of Buffer; returns
  // the preamble length (0 when none) and sets Encoding when it was nullptr.
  static int GetBufferEncoding(const QByteArray& Buffer, TEncoding*& Encoding, TEncoding* DefaultEncoding = nullptr);
};

// ---------------------------------------------------------------------------
// TList: a list of untyped pointers.

enum TListNotification { lnAdded, lnExtracted, lnDeleted };
enum TListAssignOp { laCopy, laAnd, laOr, laXor, laSrcUnique, laDestUnique };
using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

class TList : public TObject {
  VELMORA_CLASS(TList)
public:
  TList() = default;
  ~TList() override;

  Integer Add(void* Item);
  void Insert(Integer Index, void* Item);
  void Delete(Integer Index);
  Integer Remove(void* Item);
  void* Extract(void* Item);
  virtual void Clear();
  Integer IndexOf(void* Item) const;
  void Exchange(Integer Index1, Integer Index2);
  void Move(Integer CurIndex, Integer NewIndex);
  void Pack();                       // removes nil items
  void Sort(const TListSortCompare& Compare);
  void* First() const;
  void* Last() const;
  TList* Expand() { return this; }
  void Assign(TList* ListA, TListAssignOp AOperator = laCopy, TList* ListB = nullptr);

  Integer Count() const { return Integer(FList.size()); }
  void SetCount(Integer Value);
  Integer Capacity() const { return Integer(FList.capacity()); }
  void SetCapacity(Integer Value);
  void* Items(Integer Index) const;
  void SetItems(Integer Index, void* Item);
  void* operator[](Integer Index) const { return Items(Index); }
  void** List() { return FList.data(); }

  [[noreturn]] static void Error(const String& Msg, Integer Data);

protected:
  virtual void Notify(void* Ptr, TListNotification Action);

private:
  std::vector<void*> FList;
};

// ---------------------------------------------------------------------------
// String lists.

// Text alignment, shared by controls and fields.
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
using enum TAlignment;

enum TDuplicates { dupIgnore, dupAccept, dupError };
enum TStringsOption { soStrictDelimiter, soWriteBOM, soTrailingLineBreak, soUseLocale };
using TStringsOptions = TSet<TStringsOption>;
enum TTextLineBreakStyle { tlbsLF, tlbsCRLF, tlbsCR };

class TStrings;
using TStringListSortCompare = std::function<int(class TStringList* List, Integer Index1, Integer Index2)>;

class TPersistent : public TObject {
  VELMORA_CLASS(TPersistent)
public:
  TPersistent() = default;
  ~TPersistent() override;

  // Copies Source into this object; a class that cannot takes it to Source's
  // AssignTo, and EConvertError "Cannot assign a %s to a %s" ends the chain.
  virtual void Assign(TPersistent* Source);
  virtual String GetNamePath() const;

  // The handler names that the reader bound to this object's events, so that
  // the writer writes them back (OnClick = Button1Click).
  String EventHandlerName(const String& EventName) const;
  void SetEventHandlerName(const String& EventName, const String& HandlerName);

protected:
  virtual void AssignTo(TPersistent* Dest);
  // Extra values stored beside the published properties (Filer.DefineProperty).
  virtual void DefineProperties(TFiler& Filer);
  virtual TPersistent* GetOwner() const { return nullptr; }
  [[noreturn]] void AssignError(TPersistent* Source);

private:
  friend class TReader;
  friend class TWriter;
  std::unique_ptr<std::vector<std::pair<String, String>>> FEventNames;
};

class TStrings : public TPersistent {
  VELMORA_CLASS(TStrings)
public:
  TStrings();
  ~TStrings() override;

  // The abstract storage.
  virtual String Get(Integer Index) const = 0;
  virtual Integer GetCount() const = 0;
  virtual void Put(Integer Index, const String& S);
  virtual TObject* GetObject(Integer Index) const;
  virtual void PutObject(Integer Index, TObject* AObject);
  virtual void Insert(Integer Index, const String& S) = 0;
  virtual void Delete(Integer Index) = 0;
  virtual void Clear() = 0;

  virtual Integer Add(const String& S);
  virtual Integer AddObject(const String& S, TObject* AObject);
  void InsertObject(Integer Index, const String& S, TObject* AObject);
  void Append(const String& S) { Add(S); }
  virtual void AddStrings(TStrings* Strings);
  void AddStrings(const QStringList& Strings);
  void Assign(TPersistent* Source) override;
  virtual Integer IndexOf(const String& S) const;
  Integer IndexOfName(const String& Name) const;
  Integer IndexOfObject(TObject* AObject) const;
  virtual void Exchange(Integer Index1, Integer Index2);
  virtual void Move(Integer CurIndex, Integer NewIndex);
  bool Equals(TStrings* Strings) const;

  Integer Count() const { return GetCount(); }
  String Strings(Integer Index) const { return Get(Index); }
  void SetStrings(Integer Index, const String& S) { Put(Index, S); }
  String operator[](Integer Index) const { return Get(Index); }
  TObject* Objects(Integer Index) const { return GetObject(Index); }
  void SetObjects(Integer Index, TObject* AObject) { PutObject(Index, AObject); }

  String Names(Integer Index) const;
  String ValueFromIndex(Integer Index) const;
  void SetValueFromIndex(Integer Index, const String& Value);
  String Values(const String& Name) const;
  void SetValues(const String& Name, const String& Value);   // empty Value deletes the line

  virtual String Text() const;
  virtual void SetText(const String& Value);
  String CommaText() const;
  void SetCommaText(const String& Value);
  String DelimitedText() const;
  void SetDelimitedText(const String& Value);
  QChar Delimiter() const { return FDelimiter; }
  void SetDelimiter(QChar Value) { FDelimiter = Value; }
  QChar QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(QChar Value) { FQuoteChar = Value; }
  QChar NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(QChar Value) { FNameValueSeparator = Value; }
  bool StrictDelimiter() const { return FOptions.Contains(soStrictDelimiter); }
  void SetStrictDelimiter(bool Value);
  String LineBreak() const { return FLineBreak; }
  void SetLineBreak(const String& Value) { FLineBreak = Value; }
  void SetTextLineBreakStyle(TTextLineBreakStyle Value);
  bool TrailingLineBreak() const { return FOptions.Contains(soTrailingLineBreak); }
  void SetTrailingLineBreak(bool Value);
  bool WriteBOM() const { return FOptions.Contains(soWriteBOM); }
  void SetWriteBOM(bool Value);
  TStringsOptions Options() const { return FOptions; }
  void SetOptions(TStringsOptions Value) { FOptions = Value; }
  // The encoding the last LoadFrom… found (or was given); SaveTo… without an
  // encoding writes it again.
  TEncoding* Encoding() const { return FEncoding; }
  TEncoding* DefaultEncoding() const { return FDefaultEncoding; }
  void SetDefaultEncoding(TEncoding* Value);

  QStringList ToStringList() const;

  void BeginUpdate();
  void EndUpdate();
  Integer UpdateCount() const { return FUpdateCount; }

  virtual void LoadFromFile(const String& FileName, TEncoding* Encoding = nullptr);
  virtual void LoadFromStream(TStream* Stream, TEncoding* Encoding = nullptr);
  virtual void SaveToFile(const String& FileName, TEncoding* Encoding = nullptr) const;
  virtual void SaveToStream(TStream* Stream, TEncoding* Encoding = nullptr) const;

protected:
  void DefineProperties(TFiler& Filer) override;
  // Called with Updating true by the first BeginUpdate and false by the last
  // EndUpdate.
  virtual void SetUpdateState(bool Updating);
  [[noreturn]] void Error(const String& Msg, Integer Data) const;
  virtual Integer CompareStrings(const String& S1, const String& S2) const;
  String ExtractName(const String& S) const;

private:
  void ReadData(TReader& Reader);
  void WriteData(TWriter& Writer);

  QChar FDelimiter = QLatin1Char(',');
  QChar FQuoteChar = QLatin1Char('"');
  QChar FNameValueSeparator = QLatin1Char('=');
  String FLineBreak = QStringLiteral("\r\n");
  TStringsOptions FOptions = {soWriteBOM, soTrailingLineBreak, soUseLocale};
  TEncoding* FEncoding = nullptr;
  TEncoding* FDefaultEncoding = nullptr;
  Integer FUpdateCount = 0;
};

class TStringList : public TStrings {
  VELMORA_CLASS(TStringList)
public:
  TStringList();
  explicit TStringList(bool OwnsObjects);
  ~TStringList() override;

  String Get(Integer Index) const override;
  Integer GetCount() const override;
  void Put(Integer Index, const String& S) override;
  TObject* GetObject(Integer Index) const override;
  void PutObject(Integer Index, TObject* AObject) override;
  void Insert(Integer Index, const String& S) override;
  void Delete(Integer Index) override;
  void Clear() override;
  Integer Add(const String& S) override;
  Integer AddObject(const String& S, TObject* AObject) override;
  void Exchange(Integer Index1, Integer Index2) override;
  Integer IndexOf(const String& S) const override;
  void Assign(TPersistent* Source) override;

  // Binary search in a sorted list: true when found; Index is the position of
  // the (first) match or where S would go.
  virtual bool Find(const String& S, Integer& Index) const;
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& Compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  virtual void Changed();
  virtual void Changing();
  void SetUpdateState(bool Updating) override;
  Integer CompareStrings(const String& S1, const String& S2) const override;
  virtual void InsertItem(Integer Index, const String& S, TObject* AObject);

private:
  struct TStringItem {
    String FString;
    TObject* FObject = nullptr;
  };
  void CheckIndex(Integer Index) const;
  void QuickSort(Integer L, Integer R, const TStringListSortCompare& Compare);

  std::vector<TStringItem> FList;
  TDuplicates FDuplicates = dupIgnore;
  bool FSorted = false;
  bool FCaseSensitive = false;
  bool FOwnsObjects = false;
};

// ---------------------------------------------------------------------------
// Streams.

enum TSeekOrigin { soBeginning, soCurrent, soEnd };
inline constexpr Word fmCreate = 0xFF00;
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmShareCompat = 0x0000;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyRead = 0x0030;
inline constexpr Word fmShareDenyNone = 0x0040;

class TStream : public TObject {
  VELMORA_CLASS(TStream)
public:
  TStream() = default;

  // Read and Write move up to Count bytes and answer how many they moved.
  virtual Integer Read(void* Buffer, Integer Count) = 0;
  virtual Integer Write(const void* Buffer, Integer Count) = 0;
  virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;
  // All or nothing: EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* Buffer, Integer Count);
  void WriteBuffer(const void* Buffer, Integer Count);
  void WriteBuffer(const QByteArray& Bytes) { WriteBuffer(Bytes.constData(), Integer(Bytes.size())); }
  // Copies Count bytes from Source (0: all of Source from its start).
  Int64 CopyFrom(TStream* Source, Int64 Count);
  QByteArray ReadBytes(Integer Count);       // up to Count bytes

  Int64 Position() const { return const_cast<TStream*>(this)->Seek(0, soCurrent); }
  void SetPosition(Int64 Value) { Seek(Value, soBeginning); }
  virtual Int64 Size() const;
  virtual void SetSize(Int64 NewSize);

  // Component streams in the binary form.
  TComponent* ReadComponent(TComponent* Instance);
  TComponent* ReadComponentRes(TComponent* Instance) { return ReadComponent(Instance); }
  void WriteComponent(TComponent* Instance);
  void WriteDescendent(TComponent* Instance, TComponent* Ancestor);
};

class TCustomMemoryStream : public TStream {
  VELMORA_CLASS(TCustomMemoryStream)
public:
  Integer Read(void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() const override { return FSize; }
  void SaveToStream(TStream* Stream) const;
  void SaveToFile(const String& FileName) const;
  void* Memory() const { return FMemory; }

protected:
  void SetPointer(void* Ptr, Int64 Size);

  void* FMemory = nullptr;
  Int64 FSize = 0;
  Int64 FPosition = 0;
};

class TMemoryStream : public TCustomMemoryStream {
  VELMORA_CLASS(TMemoryStream)
public:
  TMemoryStream() = default;
  ~TMemoryStream() override;

  Integer Write(const void* Buffer, Integer Count) override;
  void SetSize(Int64 NewSize) override;
  void Clear();
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const String& FileName);
  Int64 Capacity() const { return FCapacity; }
  void SetCapacity(Int64 NewCapacity);
  QByteArray Bytes() const;   // a copy of the contents

protected:
  // Answers the block for NewCapacity, keeping the contents; descendants
  // round the capacity their own way. The block comes from std::malloc /
  // std::realloc (the stream frees it with std::free).
  virtual void* Realloc(Int64& NewCapacity);

private:
  Int64 FCapacity = 0;
};

// A memory stream over a byte array (TBytesStream).
class TBytesStream : public TMemoryStream {
  VELMORA_CLASS(TBytesStream)
public:
  TBytesStream() = default;
  explicit TBytesStream(const QByteArray& Bytes);
};

class TStringStream : public TBytesStream {
  VELMORA_CLASS(TStringStream)
public:
  TStringStream();
  explicit TStringStream(const String& AString, TEncoding* AEncoding = nullptr);
  explicit TStringStream(const QByteArray& Bytes);

  String DataString() const;
  String ReadString(Integer Count);   // Count bytes, decoded
  void WriteString(const String& AString);
  TEncoding* Encoding() const { return FEncoding; }

private:
  TEncoding* FEncoding = nullptr;
};

class TFileStream : public TStream {
  VELMORA_CLASS(TFileStream)
public:
  // Mode: fmCreate or fmOpenRead/fmOpenWrite/fmOpenReadWrite with a share
  // flag. EFCreateError "Cannot create file \"%s\". %s" or EFOpenError
  // "Cannot open file \"%s\". %s" when the file cannot be had.
  TFileStream(const String& AFileName, Word Mode);
  ~TFileStream() override;

  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() const override;
  void SetSize(Int64 NewSize) override;
  const String& FileName() const { return FFileName; }

private:
  String FFileName;
  std::FILE* FFile = nullptr;
};

// A read-only stream over a resource compiled into the program: the form
// descriptions and language files (":/forms/<name>").
class TResourceStream : public TCustomMemoryStream {
  VELMORA_CLASS(TResourceStream)
public:
  // EResNotFound "Resource %s not found" when there is none of that name.
  explicit TResourceStream(const String& ResName);
  Integer Write(const void* Buffer, Integer Count) override;
  static bool Exists(const String& ResName);
  static String PathOf(const String& ResName);
  // The names of all the program's resources.
  static QStringList Names();

private:
  QByteArray FData;
};

// ---------------------------------------------------------------------------
// Filers: readers and writers of component streams.

enum TValueType : Byte {
  vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaExtended = 5,
  vaString = 6, vaIdent = 7, vaFalse = 8, vaTrue = 9, vaBinary = 10, vaSet = 11,
  vaLString = 12, vaNil = 13, vaCollection = 14, vaSingle = 15, vaCurrency = 16,
  vaDate = 17, vaWString = 18, vaInt64 = 19, vaUTF8String = 20, vaDouble = 21
};

enum TFilerFlag { ffInherited, ffChildPos, ffInline };
using TFilerFlags = TSet<TFilerFlag>;

using TReaderProc = std::function<void(TReader& Reader)>;
using TWriterProc = std::function<void(TWriter& Writer)>;
using TStreamProc = std::function<void(TStream& Stream)>;
using TGetChildProc = std::function<void(TComponent* Child)>;

class TFiler : public TObject {
  VELMORA_CLASS(TFiler)
public:
  explicit TFiler(TStream* Stream);
  ~TFiler() override;

  // A value stored beside the published properties. HasData false: not written.
  virtual void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                              bool HasData) = 0;
  // The same for raw bytes, stored as a binary value ({ ... } in the text form).
  virtual void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                                    bool HasData) = 0;

  TComponent* Root() const { return FRoot; }
  void SetRoot(TComponent* Value) { FRoot = Value; }
  TComponent* LookupRoot() const { return FLookupRoot; }
  // The ancestor's copy while writing an inherited description (nullptr otherwise).
  TPersistent* Ancestor() const { return FAncestor; }
  void SetAncestor(TPersistent* Value) { FAncestor = Value; }
  bool IgnoreChildren() const { return FIgnoreChildren; }
  void SetIgnoreChildren(bool Value) { FIgnoreChildren = Value; }
  TStream* Stream() const { return FStream; }

protected:
  TStream* FStream;
  TComponent* FRoot = nullptr;
  TComponent* FLookupRoot = nullptr;
  TPersistent* FAncestor = nullptr;
  bool FIgnoreChildren = false;
};

class TReader : public TFiler {
  VELMORA_CLASS(TReader)
public:
  explicit TReader(TStream* Stream);
  ~TReader() override;

  void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                            bool HasData) override;

  // Reads the root component of a stream (the signature first) into Root, or
  // creates it by class name when Root is nullptr.
  TComponent* ReadRootComponent(TComponent* Root);
  // Reads one component (after its parent's properties); Component nullptr
  // creates it by class name, owned by Owner().
  TComponent* ReadComponent(TComponent* Component);
  // The properties and then the children of Instance (TComponent::ReadState).
  void ReadData(TComponent* Instance);
  void ReadSignature();
  void ReadPrefix(TFilerFlags& Flags, Integer& AChildPos);

  // Values.
  TValueType ReadValue();
  TValueType NextValue();
  void CheckValue(TValueType Value);
  void SkipValue();
  void Read(void* Buffer, Integer Count);
  bool EndOfList();
  void ReadListBegin();
  void ReadListEnd();
  Integer ReadInteger();
  Int64 ReadInt64();
  bool ReadBoolean();
  double ReadFloat();
  Single ReadSingle();
  Int64 ReadCurrency();      // the stored value: the amount times 10000
  TDateTime ReadDate();
  String ReadString();       // any string value
  String ReadIdent();        // identifiers, and False/True/nil/Null as words
  QChar ReadChar();
  String ReadStr();          // a short string (names in the stream)
  QByteArray ReadBinary();   // a vaBinary value
  // Any value as a Variant: vaNil gives Unassigned, vaNull Null; the integer
  // tags give the matching integer kinds, vaExtended/vaDouble a double.
  Variant ReadVariant();
  // Reads one value of any tag into text (the converter and SkipValue use it).
  void ReadCollection(TCollection* Collection);
  Int64 Position() const;
  void SetPosition(Int64 Value);

  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* Value) { FOwner = Value; }
  TComponent* Parent() const { return FParent; }
  void SetParent(TComponent* Value) { FParent = Value; }

  // Hooks for components that read their own children into existing objects.
  std::function<void(TReader* Reader, TClass ComponentClass, TComponent*& Component)> OnCreateComponent;
  std::function<void(TReader* Reader, const String& ComponentName, TClass ComponentClass, TComponent*& Component)>
    OnAncestorNotFound;
  std::function<void(TReader* Reader, const String& ClassName, TClass& ComponentClass)> OnFindComponentClass;

  // Maps a stream offset to the line of the text it came from (set by the
  // text readers so that errors name the line).
  std::function<int(Int64 Offset)> LineOfOffset;
  [[noreturn]] void PropertyError(const String& Name);
  [[noreturn]] void Error(const String& Message);

private:
  friend class TComponent;
  struct TFixup {
    TObject* Instance;
    const TPropInfo* Prop;
    String Name;
    int Line;
  };
  void ReadProperty(TPersistent* Instance);
  void ReadPropValue(TPersistent* Instance, const TPropInfo* Prop);
  void ReadEvent(TPersistent* Instance, const TPropInfo* Prop);
  std::uint64_t ReadSetBits(const TPropInfo* Prop);
  void FixupReferences();
  void DoLoaded();
  void DiscardCreated();
  String LineSuffix() const;

  void CheckLength(Int64 Count);
  void EnterNesting();

  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  std::vector<TComponent*> FLoaded;
  std::vector<TComponent*> FCreated;
  std::vector<TFixup> FFixups;
  String FPropName;
  bool FPropHandled = false;
  Int64 FItemStart = 0;
  int FNesting = 0;
  int FPropDepth = 0;
};

class TWriter : public TFiler {
  VELMORA_CLASS(TWriter)
public:
  explicit TWriter(TStream* Stream);
  ~TWriter() override;

  void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                            bool HasData) override;

  void WriteRootComponent(TComponent* Root);
  void WriteDescendent(TComponent* Root, TComponent* AAncestor);
  void WriteComponent(TComponent* Component);
  // The header, properties and children of Instance (TComponent::WriteState).
  void WriteData(TComponent* Instance);
  void WriteSignature();
  // The published and defined properties of Instance.
  void WriteProperties(TPersistent* Instance);
  void WriteCollection(TCollection* Value);

  void WriteValue(TValueType Value);
  void Write(const void* Buffer, Integer Count);
  void WriteListBegin();
  void WriteListEnd();
  void WriteInteger(Int64 Value);   // the shortest of vaInt8/16/32/64
  void WriteBoolean(bool Value);
  void WriteFloat(double Value);    // vaExtended
  void WriteDouble(double Value);
  void WriteSingle(Single Value);
  void WriteCurrency(Int64 Value);  // the amount times 10000
  void WriteDate(TDateTime Value);
  void WriteString(const String& Value);   // vaString/vaLString for ASCII, else vaUTF8String
  void WriteUTF8Str(const String& Value);
  void WriteWideString(const String& Value);
  void WriteIdent(const String& Ident);
  void WriteChar(QChar Value);
  void WriteBinary(const QByteArray& Bytes);
  // Unassigned as vaNil, Null as vaNull, numbers by their kind, text as a
  // string; an array raises EWriteError.
  void WriteVariant(const Variant& Value);
  void WriteStr(const String& Value);      // a short string (names)
  Int64 Position() const;

  TComponent* RootAncestor() const { return FRootAncestor; }

private:
  void WriteProperties(TPersistent* Instance, TPersistent* AncestorObj);
  void WriteProperty(TPersistent* Instance, const TPropInfo* Prop, TPersistent* AncestorObj);
  void WritePropName(const String& Name);
  void WritePrefix(TFilerFlags Flags, Integer AChildPos);
  String ReferenceName(TComponent* Value) const;

  String FPropPath;
  TComponent* FRootAncestor = nullptr;
  TPersistent* FDefineAncestor = nullptr;
};

// ---------------------------------------------------------------------------
// Collections.

class TCollectionItem : public TPersistent {
  VELMORA_CLASS(TCollectionItem)
public:
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return FCollection; }
  void SetCollection(TCollection* Value);
  Integer ID() const { return FID; }
  Integer Index() const;
  virtual void SetIndex(Integer Value);
  virtual String DisplayName() const;
  virtual void SetDisplayName(const String& Value);
  String GetNamePath() const override;

protected:
  // Tells the collection that this item changed (AllItems: every item did).
  void Changed(bool AllItems);
  TPersistent* GetOwner() const override;

private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  Integer FID = 0;
};

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollection : public TPersistent {
  VELMORA_CLASS(TCollection)
public:
  explicit TCollection(TClass ItemClass);
  ~TCollection() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(Integer Index);
  void Delete(Integer Index);
  void Clear();
  void ClearAndResetID();
  void Assign(TPersistent* Source) override;
  virtual void BeginUpdate();
  virtual void EndUpdate();
  TCollectionItem* FindItemID(Integer ID) const;
  void Exchange(Integer Index1, Integer Index2);
  String GetNamePath() const override;

  Integer Count() const { return Integer(FItems.size()); }
  TClass ItemClass() const { return FItemClass; }
  TCollectionItem* Items(Integer Index) const;
  void SetItems(Integer Index, TCollectionItem* Value);
  TCollectionItem* operator[](Integer Index) const { return Items(Index); }
  Integer UpdateCount() const { return FUpdateCount; }
  Integer NextID() const { return FNextID; }

protected:
  // Item nullptr: the whole collection changed. Runs when no update is open.
  virtual void Update(TCollectionItem* Item);
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
  virtual void Added(TCollectionItem* Item) { (void)Item; }
  virtual void Deleting(TCollectionItem* Item) { (void)Item; }
  virtual void SetItemName(TCollectionItem* Item) { (void)Item; }
  // Called by items: runs Update unless an update is open.
  void Changed();
  virtual TCollectionItem* CreateItem();

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);

  TClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  Integer FUpdateCount = 0;
  Integer FNextID = 0;
};

// A collection whose owner is a persistent (a grid's columns).
class TOwnedCollection : public TCollection {
  VELMORA_CLASS(TOwnedCollection)
public:
  TOwnedCollection(TPersistent* AOwner, TClass ItemClass);

protected:
  TPersistent* GetOwner() const override { return FOwner; }

private:
  TPersistent* FOwner;
};

// ---------------------------------------------------------------------------
// Components.

enum TComponentStateItem {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating, csFixups,
  csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;
enum TComponentStyleItem { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = TSet<TComponentStyleItem>;
enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
  VELMORA_CLASS(TComponent)
public:
  // Owned components are freed with their owner.
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  const String& Name() const { return FName; }
  // Checks the name ("'%s' is not a valid component name", "A component named
  // %s already exists") and renames.
  void SetName(const String& NewName);
  NativeInt Tag() const { return FTag; }
  void SetTag(NativeInt Value) { FTag = Value; }
  Integer ComponentCount() const { return Integer(FComponents.size()); }
  TComponent* Components(Integer Index) const;
  Integer ComponentIndex() const;
  void SetComponentIndex(Integer Value);
  TComponentState ComponentState() const { return FComponentState; }
  TComponentStyle ComponentStyle() const { return FComponentStyle; }
  void SetSubComponent(bool IsSubComponent);

  TComponent* FindComponent(const String& AName) const;   // ignoring case
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  void DestroyComponents();
  void Destroying();
  // AComponent's Notification(this, opRemove) runs when this component is freed.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);
  String GetNamePath() const override;

  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* Value) { (void)Value; }

  // Designing state (form editors set it; kept for the code that tests it).
  void SetDesigning(bool Value, bool SetChildren = true);
  void SetInline(bool Value);

  // Streaming hooks.
  virtual void ReadState(TReader& Reader);
  virtual void WriteState(TWriter& Writer);
  virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root);
  virtual TComponent* GetChildOwner() { return nullptr; }
  virtual TComponent* GetChildParent() { return this; }
  virtual void SetChildOrder(TComponent* Child, Integer Order) { (void)Child; (void)Order; }

protected:
  friend class TReader;
  friend class TWriter;
  // After the whole tree was read; clears csLoading.
  virtual void Loaded();
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName);
  virtual void ValidateInsert(TComponent* AComponent) { (void)AComponent; }
  virtual void ValidateContainer(TComponent* AComponent) { AComponent->ValidateInsert(this); }
  virtual void SetNameInternal(const String& NewName) { FName = NewName; }
  virtual void Updating() { FComponentState.Include(csUpdating); }
  virtual void Updated() { FComponentState.Exclude(csUpdating); }
  void SetComponentState(TComponentState Value) { FComponentState = Value; }
  void SetComponentStyle(TComponentStyle Value) { FComponentStyle = Value; }
  void SetAncestor(bool Value);

private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);
  void IndexName(TComponent* AComponent, bool Add);

  TComponent* FOwner = nullptr;
  String FName;
  NativeInt FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  TComponentState FComponentState;
  TComponentStyle FComponentStyle = {csInheritable};
  // Owned components by case-folded name, made once there are many of them
  // (a form description of thousands of components looks every name up).
  std::unique_ptr<QHash<QString, TComponent*>> FNameIndex;
};

// ---------------------------------------------------------------------------
// Form descriptions.

enum TStreamOriginalFormat { sofUnknown, sofBinary, sofText, sofUTF8Text };

// Which form a stream holds, from its first bytes; the position is kept.
TStreamOriginalFormat TestStreamFormat(TStream* Stream);
// Text ("object Name: TClass … end") to the binary form and back. The text
// form written is UTF-8; with sofText characters above 127 become #nnnn codes.
void ObjectTextToBinary(TStream* Input, TStream* Output);
void ObjectBinaryToText(TStream* Input, TStream* Output, TStreamOriginalFormat OutputFormat = sofUTF8Text);
// Reads a component stream of either form into Instance (nullptr: creates
// the root by class name). Errors are EReadError naming the line of a text.
TComponent* ReadComponentFromStream(TStream* Stream, TComponent* Instance);
TComponent* ReadComponentFromText(const String& Text, TComponent* Instance);
String WriteComponentToText(TComponent* Instance, TStreamOriginalFormat Format = sofUTF8Text);
// Whether two collections would be written alike (item for item, property
// for property); references are named from Owner1 and Owner2.
bool CollectionsEqual(TCollection* C1, TCollection* C2, TComponent* Owner1, TComponent* Owner2);
QByteArray WriteComponentToBinary(TComponent* Instance);

// The description compiled into the program under ResName (the class name of
// a form: "TForm30", or a language resource "TGridLibLanguageConsts_RUS").
// Answers false when there is none.
bool ReadComponentResource(TComponent* Instance, const String& ResName);
// Reads the description stored for ClassName into Instance; EResNotFound
// "Resource %s not found" when there is none.
void ReadFormResource(TComponent* Instance, const String& ClassName);
// Reads the descriptions of Instance's class and of its ancestors down to
// RootAncestor (exclusive), the oldest first. Answers whether any was read.
bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor);

// Where "Form.Component" references and global names are looked up (the
// application sets it to search its forms and data modules).
void SetFindGlobalComponent(std::function<TComponent*(const String& Name)> Finder);
TComponent* FindGlobalComponent(const String& Name);
// Resolves references to Root's components that waited for it to load.
void GlobalFixupReferences();

// Registers the classes of this library (TStringList, TCollection, …).
void RegisterRtlClasses();

bool IsValidIdent(const String& Ident, bool AllowDots = false);
