// DBLogDlg.cpp: the login dialog of connections that prompt for an account.
#include "platform/data/DBLogDlg.h"

#include "platform/gui/StdCtrls.h"

TLoginDialog::TLoginDialog(TComponent* AOwner) : TForm(AOwner, 0)
{
  SetCaption(QStringLiteral("Database Login"));
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(264);
  SetClientHeight(136);
  const auto AddLabel = [this](const String& Text, Integer Left, Integer Top) {
    auto* L = new TLabel(this);
    L->SetParent(this);
    L->SetBounds(Left, Top, 76, 13);
    L->SetCaption(Text);
    return L;
  };
  const auto AddEdit = [this](Integer Top) {
    auto* E = new TEdit(this);
    E->SetParent(this);
    E->SetBounds(92, Top, 164, 21);
    return E;
  };
  AddLabel(QStringLiteral("Database:"), 8, 12);
  FDatabaseName = AddLabel(String(), 92, 12);
  FDatabaseName->Font()->SetStyle({fsBold});
  AddLabel(QStringLiteral("User Name:"), 8, 42);
  FUserName = AddEdit(38);
  AddLabel(QStringLiteral("Password:"), 8, 72);
  FPassword = AddEdit(68);
  FPassword->SetPasswordChar(u'*');
  const auto AddButton = [this](const String& Text, Integer Left, TModalResult Result) {
    auto* B = new TButton(this);
    B->SetParent(this);
    B->SetBounds(Left, 102, 75, 25);
    B->SetCaption(Text);
    B->SetModalResult(Result);
    return B;
  };
  FOKButton = AddButton(QStringLiteral("OK"), 100, mrOk);
  FOKButton->SetDefault(true);
  FCancelButton = AddButton(QStringLiteral("Cancel"), 181, mrCancel);
  FCancelButton->SetCancel(true);
}

// A known user name leaves only the password to type.
void TLoginDialog::DoShow()
{
  SetActiveControl(FUserName->Text().isEmpty() ? FUserName : FPassword);
  inherited::DoShow();
}

bool LoginDialog(const String& ADatabaseName, String& AUserName, String& APassword)
{
  TLoginDialog Dialog(nullptr);
  Dialog.DatabaseName()->SetCaption(ADatabaseName);
  Dialog.UserName()->SetText(AUserName);
  if (Dialog.ShowModal() != mrOk)
    return false;
  AUserName = Dialog.UserName()->Text();
  APassword = Dialog.Password()->Text();
  return true;
}
