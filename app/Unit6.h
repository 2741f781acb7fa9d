// Unit6.h: the data module: the one database connection, the datasets the
// forms share, the general commands and the routines that put typed values
// into SQL text and client filters.
#pragma once

#include "platform/data/ADODB.h"
#include "platform/gui/Forms.h"

#include <initializer_list>

class TDataModule6 : public TDataModule {
  VELMORA_CLASS(TDataModule6)
  using inherited = TDataModule;
public:
  explicit TDataModule6(TComponent* AOwner);
  ~TDataModule6() override;

  // The decimal separator the database wants in SQL text (ver.delim); set by
  // every run of the version lock.
  String DbDecimalSeparator;
  // A typed number for SQL text: the first "," (or else the first ".") is
  // replaced by DbDecimalSeparator; an empty text gives "0".
  String FormatSqlDecimal(const String& Text) const;

  // Connection.
  TADOConnection* ADO_DB = nullptr;
  // Reference data.
  TADOQuery* workers = nullptr;
  TADOQuery* department = nullptr;
  TADOQuery* staffpos = nullptr;
  TADOQuery* role = nullptr;
  TADOQuery* jur_person = nullptr;
  TADOQuery* nomenclature = nullptr;
  TADOQuery* operation_type = nullptr;
  TADOQuery* operation = nullptr;
  TADOQuery* proc_tech = nullptr;
  TADOQuery* inventory_items = nullptr;
  TADOTable* msm = nullptr;
  // Login and version.
  TADOQuery* user = nullptr;
  TADOTable* ver = nullptr;
  // General commands and the ad-hoc query.
  TADOCommand* cmd_all = nullptr;
  TADOCommand* H_Tabel_ins = nullptr;
  TADOCommand* DelSmena = nullptr;
  TADOQuery* Control = nullptr;
  // Documents, shifts, time sheet and reports.
  TADOQuery* stock = nullptr;
  TADOQuery* stock_in = nullptr;
  TADOQuery* app_doc = nullptr;
  TADOQuery* app_spec = nullptr;
  TADOQuery* spec_out = nullptr;
  TADOQuery* Smena1 = nullptr;
  TADOQuery* Smena2 = nullptr;
  TADOQuery* Smena3 = nullptr;
  TADOQuery* Smena4 = nullptr;
  TADOQuery* H_Tabel_1 = nullptr;
  TADOQuery* H_Tabel_2 = nullptr;
  TADOQuery* H_Tabel_3 = nullptr;
  TADOQuery* w_Report = nullptr;
  TADOQuery* i_Report = nullptr;

protected:
  void Loaded() override;
};

extern TDataModule6* DataModule6;

// The data module could not connect while it was created; the message is
// the client's own and names what was tried.
class ENoDatabase : public Exception {
public:
  using Exception::Exception;
};

// Runs one statement through DataModule6.cmd_all with its ":name" parameters
// bound to the values given in order of first appearance; nothing typed is
// ever pasted into the text.
void ExecuteCommand(const String& CommandText, std::initializer_list<std::pair<const char*, Variant>> Values = {});
// The same through a form's own command.
void ExecuteCommand(TADOCommand* Command, const String& CommandText,
                    std::initializer_list<std::pair<const char*, Variant>> Values = {});

// A number typed into a box that takes digits with one "," or "." as the
// decimal separator: true with its value. A key filter does not stop a
// pasted text, so anything else is false. An empty text is 0, as
// FormatSqlDecimal writes it.
bool TypedDecimal(const String& Text, Currency& Value);

// Shows only the rows whose FieldName begins with Text, ignoring case; the
// text is taken literally (quotes, "%" and "_" are ordinary characters). An
// empty text switches the filter off. The filter stays on the dataset across
// reopening, as a filter text would.
void SetPrefixFilter(TDataSet* DataSet, const String& FieldName, const String& Text);

// Up and Down in a list's search box move the list while the box keeps the
// focus; every key is consumed, so only typing reaches the box.
void SearchBoxKeyDown(TDataSet* DataSet, Word& Key);

// A wheel notch on an editor form turns whichever of its lookup boxes has
// the focus by one row, as the arrow key does.
void WheelToFocusedBox(std::initializer_list<TWinControl*> Boxes, Word Key);

// Moves a dataset back to a remembered record number when it still has that
// many rows; otherwise it stays where it is.
void RestoreRecNo(TDataSet* DataSet, Integer RecNo);

// The component of that name and class owned by Owner; a form description
// that lacks it is a programming error.
template <class T>
T* OwnedComponent(TComponent* Owner, const char* Name)
{
  T* Found = dynamic_cast<T*>(Owner->FindComponent(QString::fromLatin1(Name)));
  if (!Found)
    throw EComponentError(QStringLiteral("%1 has no component %2").arg(Owner->Name(), QString::fromLatin1(Name)));
  return Found;
}

// The application's form object of that name, or nullptr while the module
// that holds it is not part of the program. A list opened to pick a row for
// another form writes that form's public members, which it publishes under
// their own names, through this object (SetOrdProp and GetOrdProp).
TComponent* FormObject(const char* Name);

void RegisterUnit6Classes();
