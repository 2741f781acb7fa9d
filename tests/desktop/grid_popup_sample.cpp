// grid_popup_sample.cpp: the axis test grid over two related tables of the
// test server, whose name cell has a pick list and whose date cell a
// calendar, for the desktop tests under a real window manager. The form's
// title tells the driver what it cannot see from outside:
//   "AXG: name=<pick index of the name> date=<yyyy-mm-dd> | focus=<Grid when the grid or its editor has it>
//    | col=<bar> | list=<shown|hidden> | closed=<accepted closes>/<closes> | cells=<x,y;x,y> | button=<x,y|none>"
// (points in the form's client area: the centres of the first row's cells
// and of the editor's main button).
#include "tests/desktop/DesktopSample.h"
#include "tests/gridlib/axisgrid/OneRowAxisGrid.h"

using namespace axisgrid_test;

namespace {

// The grid's editor, counting the closes of its lists.
class TSampleEdit : public TDBAxisGridInplaceEdit {
public:
  using TDBAxisGridInplaceEdit::TDBAxisGridInplaceEdit;
  void CloseUp(bool Accept) override
  {
    const bool Open = ListVisible();
    TDBAxisGridInplaceEdit::CloseUp(Accept);
    if (Open && !ListVisible()) {
      ++Closes;
      Accepted += Accept ? 1 : 0;
    }
  }
  bool ActiveListShown() const { return ListVisible() && ActiveList() && ActiveList()->Visible(); }
  Integer Closes = 0;
  Integer Accepted = 0;
};

class TSampleGrid : public TOneRowAxisGridEh {
public:
  explicit TSampleGrid(TComponent* AOwner) : TOneRowAxisGridEh(AOwner) {}
  String GetEditText(Integer, Integer) override
  {
    TAxisBarEh* Bar = SelectedIndex() >= 0 ? AxisBars()->AxisBar(SelectedIndex()) : nullptr;
    return Bar ? Bar->GetInplaceEditorText() : String();
  }

protected:
  TInplaceEdit* CreateEditor() override { return new TSampleEdit(this); }
};

class TSampleForm : public TDesktopSampleForm {
public:
  explicit TSampleForm(TComponent* AOwner) : TDesktopSampleForm(AOwner)
  {
    SetBounds(200, 150, 560, 360);
    MakeTables();
    Db = OpenTestConnection();
    Parts = new TADOQuery(this);
    Parts->SetConnection(Db.get());
    Parts->SQL()->SetText(QStringLiteral("select id, group_id, s_name, d_made from ax_part order by id"));
    Source = new TDataSource(this);
    Source->SetDataSet(Parts);

    Grid = new TSampleGrid(this);
    Grid->SetName(QStringLiteral("Grid"));
    Grid->SetParent(this);
    Grid->SetLeft(8);
    Grid->SetTop(8);
    Grid->SetDataSource(Source);
    Names = Grid->AxisBars()->Add();
    Names->SetFieldName(QStringLiteral("s_name"));
    for (const char* P : {"Болт М8", "Гайка М8", "Кабель", "Шайба"})
      Names->PickList()->Add(QString::fromUtf8(P));
    TAxisBarEh* Made = Grid->AxisBars()->Add();
    Made->SetFieldName(QStringLiteral("d_made"));
    Parts->Open();
    Grid->SetOptions(Grid->Options() + TGridOptionsEh{goEditingEh, goAlwaysShowEditorEh});
    Grid->Arrange();
    Edit = Grid;

    Other = new TEdit(this);
    Other->SetName(QStringLiteral("Edit2"));
    Other->SetParent(this);
    Other->SetBounds(8, 300, 220, 24);
  }

  // The data goes before the connection it reads through.
  ~TSampleForm() override
  {
    delete Grid;
    delete Source;
    delete Parts;
  }

  String Report() override
  {
    auto* E = dynamic_cast<TSampleEdit*>(Grid->InplaceEditor());
    TWinControl* Focused = FindControl(GetFocus());
    const bool GridFocused = Focused && (Focused == Grid || Grid->ContainsControl(Focused));
    const TPoint Origin = ClientOrigin();
    const auto Local = [&Origin](TWinControl* C, TPoint P) {
      const TPoint S = C->ClientToScreen(P);
      return QStringLiteral("%1,%2").arg(S.X - Origin.X).arg(S.Y - Origin.Y);
    };
    QStringList Cells;
    for (Integer Col = 0; Col < Grid->ColCount(); ++Col) {
      const TRect R = Grid->CalcCellRect(Col, 0);
      Cells << Local(Grid, TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2));
    }
    String Button = QStringLiteral("none");
    if (E && E->Visible() && E->ButtonsBox() && E->ButtonsBox()->Visible()) {
      TEditButtonsBoxEh* B = E->ButtonsBox();
      Button = Local(B, TPoint(B->Width() / 2, B->Height() / 2));
    }
    const TDateTime Made = Parts->FieldByName(QStringLiteral("d_made"))->AsDateTime();
    return QStringLiteral("AXG: name=%1 date=%2 | focus=%3 | col=%4 | list=%5 | closed=%6/%7 | cells=%8 | button=%9")
      .arg(Names->PickList()->IndexOf(Parts->FieldByName(QStringLiteral("s_name"))->AsString()))
      .arg(FormatDateTime(QStringLiteral("yyyy-mm-dd"), Made),
           GridFocused ? QStringLiteral("Grid") : FocusName())
      .arg(Grid->SelectedIndex())
      .arg(E && E->ActiveListShown() ? QStringLiteral("shown") : QStringLiteral("hidden"))
      .arg(E ? E->Accepted : 0)
      .arg(E ? E->Closes : 0)
      .arg(Cells.join(QLatin1Char(';')), Button);
  }

  std::unique_ptr<TADOConnection> Db;
  TADOQuery* Parts = nullptr;
  TDataSource* Source = nullptr;
  TSampleGrid* Grid = nullptr;
  TAxisBarEh* Names = nullptr;
  TWinControl* Edit = nullptr;
  TEdit* Other = nullptr;
};

} // namespace

int main(int argc, char** argv)
{
  return RunDesktopSample<TSampleForm>(argc, argv, [] { RegisterTestClasses(); });
}
