// ComCtrls.cpp: page control over QTabWidget, progress bar, date-time picker
// over QDateTimeEdit, and the painted status bar.
#include "platform/gui/ComCtrls.h"

#include "platform/gui/ControlsQt.h"
#include "platform/gui/Forms.h"

#include <QDateTimeEdit>
#include <QProgressBar>
#include <QTabBar>
#include <QTabWidget>

#include <cmath>

namespace {

template <class F>
void Guarded(TObject* Sender, F&& Fn)
{
  try {
    Fn();
  } catch (...) {
    Application->HandleException(Sender);
  }
}

// Days since 1899-12-30 and the time of day as a fraction.
QDateTime ToQDateTime(TDateTime D)
{
  const double Days = std::floor(D.Val);
  const double Frac = std::abs(D.Val - Days);
  const QDate Date = QDate(1899, 12, 30).addDays(qint64(Days));
  const QTime Time = QTime(0, 0).addMSecs(int(std::llround(Frac * 86400000.0)) % 86400000);
  return QDateTime(Date, Time);
}

TDateTime FromQDateTime(const QDateTime& Q)
{
  const double Days = double(QDate(1899, 12, 30).daysTo(Q.date()));
  const double Frac = Q.time().msecsSinceStartOfDay() / 86400000.0;
  return TDateTime(Days + Frac);
}

} // namespace

// ---------------------------------------------------------------------------
// Tab sheets and the page control.

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner)
{
  FControlStyle << csAcceptsControls;
  FParentColor = true;
  FVisible = false;
}

TTabSheet::~TTabSheet()
{
  if (FPageControl)
    FPageControl->RemovePage(this);
}

void TTabSheet::SetParent(TWinControl* AParent)
{
  TWinControl::SetParent(AParent);
  auto* PC = dynamic_cast<TPageControl*>(AParent);
  if (PC != FPageControl) {
    if (FPageControl)
      FPageControl->RemovePage(this);
    FPageControl = PC;
    if (PC)
      PC->InsertPage(this);
  }
}

void TTabSheet::SetPageControl(TPageControl* Value) { SetParent(Value); }

Integer TTabSheet::PageIndex() const
{
  if (!FPageControl)
    return -1;
  const auto& P = FPageControl->FPages;
  return Integer(std::find(P.begin(), P.end(), this) - P.begin());
}

void TTabSheet::SetPageIndex(Integer Value)
{
  if (!FPageControl)
    return;
  auto& P = FPageControl->FPages;
  P.erase(std::find(P.begin(), P.end(), this));
  P.insert(P.begin() + std::clamp(Value, 0, Integer(P.size())), this);
  FPageControl->UpdateTabs();
}

void TTabSheet::SetTabVisible(bool Value)
{
  FTabVisible = Value;
  if (FPageControl)
    FPageControl->UpdateTabs();
}

// The sheet's widget lives inside the tab widget, which sizes it.
QWidget* TTabSheet::CreateWidget(QWidget*)
{
  auto* W = new TControlWidget(nullptr);
  return W;
}

void TTabSheet::CMTextChanged(TMessage& M)
{
  if (FPageControl)
    FPageControl->UpdateTabs();
  TWinControl::CMTextChanged(M);
}

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner)
{
  FWidth = 289;
  FHeight = 193;
  FTabStop = true;
}

TPageControl::~TPageControl()
{
  // The tab widget reports page removals while it goes; nothing may answer.
  FSyncing = true;
  for (TTabSheet* P : FPages)
    P->FPageControl = nullptr;
  FPages.clear();
  DestroyHandle();
}

static QTabWidget* TabsOf(const TWinControl* C) { return qobject_cast<QTabWidget*>(C->Widget()); }

QWidget* TPageControl::CreateWidget(QWidget* ParentWidget) { return new QTabWidget(ParentWidget); }

void TPageControl::InitializeWidget()
{
  TWinControl::InitializeWidget();
  QTabWidget* T = TabsOf(this);
  QObject::connect(T, &QTabWidget::currentChanged, T, [this](int Index) {
    if (!FSyncing)
      Guarded(this, [this, Index] { UserChangedTab(Index); });
  });
  UpdateTabs();
}

TRect TPageControl::DisplayRect() const
{
  TRect R = ClientRect();
  R.Top += 24;
  R.Inflate(-4, -4);
  R.Top += 2;
  return R;
}

void TPageControl::AdjustClientRect(TRect& Rect) { Rect = DisplayRect(); }

void TPageControl::InsertPage(TTabSheet* Page)
{
  FPages.push_back(Page);
  const TRect R = DisplayRect();
  Page->SetBounds(R.Left, R.Top, R.Width(), R.Height());
  Page->SetAlign(alClient);
  if (!FActivePage)
    SetActivePage(Page);
  UpdateTabs();
}

void TPageControl::RemovePage(TTabSheet* Page)
{
  FPages.erase(std::remove(FPages.begin(), FPages.end(), Page), FPages.end());
  if (FActivePage == Page)
    FActivePage = FPages.empty() ? nullptr : FPages.front();
  UpdateTabs();
}

// The tab widget shows the visible sheets in page order.
void TPageControl::UpdateTabs()
{
  QTabWidget* T = TabsOf(this);
  if (!T)
    return;
  FSyncing = true;
  while (T->count() > 0)
    T->removeTab(0);
  for (TTabSheet* P : FPages) {
    if (!P->TabVisible())
      continue;
    P->HandleNeeded();
    T->addTab(P->Widget(), P->Caption());
    P->Widget()->setVisible(true);
  }
  if (FActivePage && FActivePage->HandleAllocated())
    T->setCurrentWidget(FActivePage->Widget());
  FSyncing = false;
}

void TPageControl::UserChangedTab(int Index)
{
  QTabWidget* T = TabsOf(this);
  if (!T)
    return;
  TTabSheet* New = nullptr;
  for (TTabSheet* P : FPages)
    if (P->Widget() == T->widget(Index))
      New = P;
  if (!New || New == FActivePage)
    return;
  bool Allow = true;
  if (OnChanging)
    OnChanging(this, Allow);
  if (!Allow) {
    FSyncing = true;
    T->setCurrentWidget(FActivePage->Widget());
    FSyncing = false;
    return;
  }
  FActivePage = New;
  if (OnChange)
    OnChange(this);
}

void TPageControl::SetActivePage(TTabSheet* Value)
{
  if (Value && Value->PageControl() != this)
    return;
  FActivePage = Value;
  for (TTabSheet* P : FPages)
    P->FVisible = P == Value;
  if (QTabWidget* T = TabsOf(this); T && Value && Value->HandleAllocated()) {
    FSyncing = true;
    T->setCurrentWidget(Value->Widget());
    FSyncing = false;
  }
}

Integer TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(Integer Value)
{
  SetActivePage(Value >= 0 && Value < PageCount() ? FPages[std::size_t(Value)] : nullptr);
}

void TPageControl::SelectNextPage(bool GoForward)
{
  if (FPages.empty())
    return;
  const Integer N = PageCount();
  const Integer I = (ActivePageIndex() + (GoForward ? 1 : N - 1)) % N;
  SetActivePageIndex(I);
  if (OnChange)
    OnChange(this);
}

void TPageControl::Loaded()
{
  TWinControl::Loaded();
  UpdateTabs();
}

// ---------------------------------------------------------------------------
// TProgressBar.

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner)
{
  FWidth = 150;
  FHeight = 16;
}

QWidget* TProgressBar::CreateWidget(QWidget* ParentWidget) { return new QProgressBar(ParentWidget); }

void TProgressBar::InitializeWidget()
{
  TWinControl::InitializeWidget();
  static_cast<QProgressBar*>(Widget())->setTextVisible(false);
  Sync();
}

void TProgressBar::Sync()
{
  if (auto* P = qobject_cast<QProgressBar*>(Widget())) {
    P->setRange(FMin, FMax);
    P->setValue(FPosition);
    P->setOrientation(FOrientation == pbHorizontal ? Qt::Horizontal : Qt::Vertical);
  }
}

void TProgressBar::SetMin(Integer Value)
{
  FMin = Value;
  FPosition = std::max(FPosition, FMin);
  Sync();
}

void TProgressBar::SetMax(Integer Value)
{
  FMax = Value;
  FPosition = std::min(FPosition, FMax);
  Sync();
}

void TProgressBar::SetPosition(Integer Value)
{
  FPosition = std::clamp(Value, FMin, std::max(FMin, FMax));
  Sync();
}

void TProgressBar::SetOrientation(TProgressBarOrientation Value)
{
  FOrientation = Value;
  Sync();
}

// ---------------------------------------------------------------------------
// TDateTimePicker.

TDateTimePicker::~TDateTimePicker() { DestroyHandle(); }

TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TWinControl(AOwner)
{
  FWidth = 186;
  FHeight = 21;
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  FDateTime = FromQDateTime(QDateTime::currentDateTime());
  FMinDate = TDate(-53690);   // 1753-01-01, as the original's control allows
  FMaxDate = TDate(2958465);
}

String TDateTimePicker::DisplayFormat() const
{
  if (!FFormat.isEmpty()) {
    String F = FFormat;
    return F.replace(QLatin1Char('m'), QLatin1Char('M')).replace(QLatin1String("nn"), QLatin1String("mm"));
  }
  if (FKind == dtkTime)
    return QStringLiteral("H:mm:ss");
  return FDateFormat == dfLong ? QStringLiteral("d MMMM yyyy 'г.'") : QStringLiteral("dd.MM.yyyy");
}

QWidget* TDateTimePicker::CreateWidget(QWidget* ParentWidget)
{
  auto* E = new QDateTimeEdit(ParentWidget);
  E->setCalendarPopup(FKind == dtkDate && FDateMode == dmComboBox);
  E->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
  return E;
}

void TDateTimePicker::InitializeWidget()
{
  TWinControl::InitializeWidget();
  auto* E = static_cast<QDateTimeEdit*>(Widget());
  Sync();
  FWidgetState->Link->Watch(E);
  QObject::connect(E, &QDateTimeEdit::dateTimeChanged, E, [this](const QDateTime& D) {
    if (FSyncing)
      return;
    const TDateTime New = FromQDateTime(D);
    // The picker edits its own part; the other part of the value stays.
    FDateTime = FKind == dtkDate ? TDateTime(std::floor(New.Val) + (FDateTime.Val - std::floor(FDateTime.Val)))
                                 : TDateTime(std::floor(FDateTime.Val) + (New.Val - std::floor(New.Val)));
    Guarded(this, [this] { Change(); });
  });
}

void TDateTimePicker::Sync()
{
  auto* E = qobject_cast<QDateTimeEdit*>(Widget());
  if (!E)
    return;
  FSyncing = true;
  E->setDisplayFormat(DisplayFormat());
  E->setDateTime(ToQDateTime(FDateTime));
  FSyncing = false;
}

void TDateTimePicker::Change()
{
  if (OnChange)
    OnChange(this);
}

void TDateTimePicker::SetDateTime(TDateTime Value)
{
  FDateTime = Value;
  Sync();
}

TDate TDateTimePicker::Date() const { return TDate(std::floor(FDateTime.Val)); }
void TDateTimePicker::SetDate(TDate Value) { SetDateTime(TDateTime(std::floor(Value.Val) + (FDateTime.Val - std::floor(FDateTime.Val)))); }
TTime TDateTimePicker::Time() const { return TTime(FDateTime.Val - std::floor(FDateTime.Val)); }
void TDateTimePicker::SetTime(TTime Value) { SetDateTime(TDateTime(std::floor(FDateTime.Val) + (Value.Val - std::floor(Value.Val)))); }

void TDateTimePicker::SetKind(TDateTimeKind Value)
{
  FKind = Value;
  Sync();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat Value)
{
  FDateFormat = Value;
  Sync();
}

void TDateTimePicker::SetFormat(const String& Value)
{
  FFormat = Value;
  Sync();
}

void TDateTimePicker::WMGetDlgCode(TMessage& M) { M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

// ---------------------------------------------------------------------------
// Status bar.

TStatusPanel::TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}

void TStatusPanel::SetText(const String& Value)
{
  FText = Value;
  Changed(false);
}

void TStatusPanel::SetWidth(Integer Value)
{
  FWidth = Value;
  Changed(true);
}

void TStatusPanel::SetAlignment(TAlignment Value)
{
  FAlignment = Value;
  Changed(false);
}

void TStatusPanel::SetBevel(TBevelCut Value)
{
  FBevel = Value;
  Changed(false);
}

TStatusPanels::TStatusPanels(TStatusBar* AStatusBar) : TCollection(TStatusPanel::StaticClass()), FStatusBar(AStatusBar) {}

void TStatusPanels::Update(TCollectionItem*) { FStatusBar->Invalidate(); }
TPersistent* TStatusPanels::GetOwner() const { return FStatusBar; }

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner), FPanels(std::make_unique<TStatusPanels>(this))
{
  FHeight = 19;
  FWidth = 200;
  FAlign = alBottom;
  FAnchors = {akLeft, akRight, akBottom};
  FParentColor = false;
  FColor = clBtnFace;
}

TStatusBar::~TStatusBar() { DestroyHandle(); }

void TStatusBar::SetSimplePanel(bool Value)
{
  FSimplePanel = Value;
  Invalidate();
}

void TStatusBar::SetSimpleText(const String& Value)
{
  FSimpleText = Value;
  Invalidate();
}

void TStatusBar::Paint()
{
  TCanvas* C = Canvas();
  C->Brush()->SetColor(FColor);
  C->FillRect(ClientRect());
  C->SetFont(FFont.get());
  auto DrawPanel = [C](TRect R, const String& Text, TAlignment Align, TBevelCut Bevel) {
    if (Bevel != bvNone)
      Frame3D(C, R, Bevel == bvLowered ? clBtnShadow : clBtnHighlight, Bevel == bvLowered ? clBtnHighlight : clBtnShadow, 1);
    C->Brush()->SetStyle(bsClear);
    String T = Text;
    TTextFormat F = {tfSingleLine, tfVerticalCenter, tfEndEllipsis};
    if (Align == taCenter)
      F << tfCenter;
    else if (Align == taRightJustify)
      F << tfRight;
    R.Inflate(-2, 0);
    C->TextRect(R, T, F);
    C->Brush()->SetStyle(bsSolid);
  };
  const TRect All = ClientRect();
  if (FSimplePanel || FPanels->Count() == 0) {
    DrawPanel(TRect(All.Left, All.Top + 2, All.Right, All.Bottom), FSimpleText, taLeftJustify, bvNone);
    return;
  }
  Integer X = 0;
  for (Integer I = 0; I < FPanels->Count(); ++I) {
    TStatusPanel* P = FPanels->Items(I);
    const bool Last = I == FPanels->Count() - 1;
    const Integer W = Last ? std::max(0, All.Right - X) : P->Width();
    DrawPanel(TRect(X, All.Top + 2, X + W - 2, All.Bottom), P->Text(), P->Alignment(), P->Bevel());
    X += W;
  }
}

void RegisterComCtrlsClasses()
{
  RegisterEnum<TProgressBarOrientation>("TProgressBarOrientation", {"pbHorizontal", "pbVertical"});
  RegisterEnum<TDateTimeKind>("TDateTimeKind", {"dtkDate", "dtkTime"});
  RegisterEnum<TDTDateFormat>("TDTDateFormat", {"dfShort", "dfLong"});
  RegisterEnum<TDTDateMode>("TDTDateMode", {"dmComboBox", "dmUpDown"});
  RegisterEnum<TStatusPanelStyle>("TStatusPanelStyle", {"psText", "psOwnerDraw"});
  RegisterClassInfo<TTabSheet, TWinControl>("TTabSheet")
    .Property("Caption", &TTabSheet::Caption, &TTabSheet::SetCaption)
    .Property("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex, -1)
    .Property("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible, true)
    .Property("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex).Stored(false);
  RegisterClassInfo<TPageControl, TWinControl>("TPageControl")
    .Property("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage)
    .Property("TabStop", &TPageControl::TabStop, &TPageControl::SetTabStop, true)
    .Event("OnChange", &TPageControl::OnChange)
    .Event("OnChanging", &TPageControl::OnChanging);
  RegisterClassInfo<TProgressBar, TWinControl>("TProgressBar")
    .Property("Max", &TProgressBar::Max, &TProgressBar::SetMax, 100)
    .Property("Min", &TProgressBar::Min, &TProgressBar::SetMin, 0)
    .Property("Orientation", &TProgressBar::Orientation, &TProgressBar::SetOrientation, pbHorizontal)
    .Property("Position", &TProgressBar::Position, &TProgressBar::SetPosition, 0)
    .Property("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth, false)
    .Property("Step", &TProgressBar::Step, &TProgressBar::SetStep, 10);
  RegisterClassInfo<TDateTimePicker, TWinControl>("TDateTimePicker")
    .Property("Checked", &TDateTimePicker::Checked, &TDateTimePicker::SetChecked, true)
    .Property("Date", &TDateTimePicker::Date, &TDateTimePicker::SetDate)
    .Property("DateFormat", &TDateTimePicker::DateFormat, &TDateTimePicker::SetDateFormat, dfShort)
    .Property("DateMode", &TDateTimePicker::DateMode, &TDateTimePicker::SetDateMode, dmComboBox)
    .Property("Format", &TDateTimePicker::Format, &TDateTimePicker::SetFormat)
    .Property("Kind", &TDateTimePicker::Kind, &TDateTimePicker::SetKind, dtkDate)
    .Property("MaxDate", &TDateTimePicker::MaxDate, &TDateTimePicker::SetMaxDate)
    .Property("MinDate", &TDateTimePicker::MinDate, &TDateTimePicker::SetMinDate)
    .Property("ShowCheckbox", &TDateTimePicker::ShowCheckbox, &TDateTimePicker::SetShowCheckbox, false)
    .Property("TabStop", &TDateTimePicker::TabStop, &TDateTimePicker::SetTabStop, true)
    .Property("Time", &TDateTimePicker::Time, &TDateTimePicker::SetTime)
    .Event("OnChange", &TDateTimePicker::OnChange);
  RegisterClassInfo<TStatusPanel, TCollectionItem>("TStatusPanel")
    .Property("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment, taLeftJustify)
    .Property("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel, bvLowered)
    .Property("Style", &TStatusPanel::Style, &TStatusPanel::SetStyle, psText)
    .Property("Text", &TStatusPanel::Text, &TStatusPanel::SetText)
    .Property("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth);
  RegisterClassInfo<TStatusPanels, TCollection>("TStatusPanels");
  RegisterClassInfo<TStatusBar, TCustomControl>("TStatusBar")
    .Property("Panels", &TStatusBar::Panels, &TStatusBar::SetPanels)
    .Property("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel, false)
    .Property("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText)
    .Property("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip, true);
}
