// DBLogDlg.h: the login dialog a connection shows when it must ask for an
// account (LoginPrompt with no account in its connection string).
#pragma once

#include "platform/gui/Forms.h"

class TEdit;
class TLabel;
class TButton;

// The dialog's form: the database's name, the user name and the password.
class TLoginDialog : public TForm {
  VELMORA_CLASS(TLoginDialog)
  using inherited = TForm;
public:
  explicit TLoginDialog(TComponent* AOwner);
  TLabel* DatabaseName() const { return FDatabaseName; }
  TEdit* UserName() const { return FUserName; }
  TEdit* Password() const { return FPassword; }
  TButton* OKButton() const { return FOKButton; }
  TButton* CancelButton() const { return FCancelButton; }

protected:
  void DoShow() override;

private:
  TLabel* FDatabaseName = nullptr;
  TEdit* FUserName = nullptr;
  TEdit* FPassword = nullptr;
  TButton* FOKButton = nullptr;
  TButton* FCancelButton = nullptr;
};

// Shows the dialog modally with the name given filled in; on OK answers
// true with what was typed.
bool LoginDialog(const String& ADatabaseName, String& AUserName, String& APassword);
