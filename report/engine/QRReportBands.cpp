// QRReportBands.cpp: bands and how one prints, the report's band order, and
// the controllers that run the data loop with its groups and sub-details.
#include "report/engine/QRReport.h"

#include "report/engine/QRCtrls.h"

#include "platform/data/DB.h"

#include "platform/rtl/Math.h"
#include "platform/rtl/ScopeExit.h"

namespace {

Integer RoundInt(Extended Value) { return Integer(Round(Value)); }

// Set while a band continues in a new column or page, so that ForceNewPage
// does not break it again. Per generating thread.
thread_local bool SplitFlag = false;
// The name of the band being printed, for the HTML filter.
thread_local String CurrentBandName;

struct TBandTypeNames {
  const char* Name;
  const char* Base;
};
constexpr TBandTypeNames BandTypeNames[] = {
  {"Title", "TitleBand"}, {"Page Header", "PageHeaderBand"}, {"Detail", "DetailBand"},
  {"Page Footer", "PageFooterBand"}, {"Summary", "SummaryBand"}, {"Group Header", "GroupHeaderBand"},
  {"Group Footer", "GroupFooterBand"}, {"Sub Detail", "SubDetailBand"}, {"Column Header", "ColumnHeaderBand"},
  {"Overlay", "OverlayBand"}, {"Wild", "WildBand"}, {"Child", "ChildBand"},
};

bool Designing(const TComponent* C) { return C->ComponentState().Contains(csDesigning); }

}   // namespace

String QRBandTypeName(TQRBandType Type) { return QString::fromLatin1(BandTypeNames[Type].Name); }
String QRBandBaseName(TQRBandType Type) { return QString::fromLatin1(BandTypeNames[Type].Base); }
const String& QRCurrentBandName() { return CurrentBandName; }

// ---------------------------------------------------------------------------
// TQRCustomBand

TQRCustomBand::TQRCustomBand(TComponent* AOwner)
  : TQRBasePanel(AOwner), FSize(std::make_unique<TQRBandSize>(this))
{
  SetColor(clWhite);
  FSize->SetParentSizes();
}

TQRCustomBand::~TQRCustomBand()
{
  if (FParentReport) {
    FParentReport->StopBackground();
    FParentReport->RemoveBand(this);
  }
}

std::vector<TQRPrintable*> TQRCustomBand::Printables() const
{
  std::vector<TQRPrintable*> Result;
  for (Integer I = 0; I < ControlCount(); ++I)
    if (auto* P = dynamic_cast<TQRPrintable*>(Controls(I)))
      Result.push_back(P);
  return Result;
}

void TQRCustomBand::SetParentReport(TCustomQRReport* Value)
{
  FParentReport = Value;
  FSize->SetParentReport(Value);
}

void TQRCustomBand::SetParent(TWinControl* AParent)
{
  if (FParentReport && AParent != FParentReport) {
    TCustomQRReport* Old = FParentReport;
    SetParentReport(nullptr);
    Old->RemoveBand(this);
  }
  // Bands do not nest: a band dropped on a band goes to that band's parent.
  if (auto* Band = dynamic_cast<TQRCustomBand*>(AParent))
    AParent = Band->Parent();
  inherited::SetParent(AParent);
  if (auto* Report = dynamic_cast<TCustomQRReport*>(AParent)) {
    SetParentReport(Report);
    FSize->SetUnits(Report->Units());
    SetZoom(Report->Zoom());
    Report->AddBand(this);
  }
}

void TQRCustomBand::SetEnabled(bool Value)
{
  FEnabled = Value;
  inherited::SetEnabled(Value);
  Invalidate();
}

void TQRCustomBand::SetBandType(TQRBandType Value)
{
  FQRBandType = Value;
  if (FParentReport) {
    FParentReport->RebuildBandList();
    FParentReport->SetBandValues();
  }
}

TQRChildBand* TQRCustomBand::ChildBand() const
{
  if (!FParentReport)
    return nullptr;
  for (TQRCustomBand* B : FParentReport->BandList())
    if (B->FQRBandType == rbChild)
      if (auto* C = dynamic_cast<TQRChildBand*>(B); C && C->ParentBand() == this)
        return C;
  return nullptr;
}

void TQRCustomBand::SetHasChild(bool Value)
{
  TQRChildBand* Child = ChildBand();
  if (Value && !Child) {
    auto* C = new TQRChildBand(Owner());
    C->SetParent(Parent());
    C->SetParentBand(this);
  } else if (!Value && Child) {
    if (TQRChildBand* Grand = Child->ChildBand())
      Grand->SetParentBand(this);
    delete Child;
  }
}

void TQRCustomBand::SetLinkBand(TQRCustomBand* Value)
{
  for (TQRCustomBand* B = Value; B; B = B->FLinkBand)
    if (B == this)
      return;   // a circle of links is refused
  FLinkBand = Value;
  if (Value)
    Value->FreeNotification(this);
}

void TQRCustomBand::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FLinkBand)
    FLinkBand = nullptr;
}

void TQRCustomBand::PlaceAt(Integer ALeft, Integer ATop)
{
  const bool Was = FPlacing;
  FPlacing = true;
  ScopeExit Done([&] { FPlacing = Was; });
  inherited::SetBounds(ALeft, ATop, Width(), Height());
}

void TQRCustomBand::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  if (!FPlacing && !FSize->ParentUpdating() && FParentReport) {
    // A change from code or the designer goes through the size, in pixels.
    // The report places the band again (and sets its width) whenever its
    // bands or page change; until then the width given here holds.
    FSize->SetPixels();
    FSize->SetWidth(AWidth);
    FSize->SetHeight(AHeight);
    FSize->RestoreUnits();
    inherited::SetBounds(ALeft, ATop, Width(), Height());
    FParentReport->SetModified(true);
  } else {
    inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
  }
  for (TQRPrintable* P : Printables())
    if (P->AlignToBand())
      P->ReceiveNotify(this, qrBandBoundsChanged);
}

void TQRCustomBand::Loaded()
{
  inherited::Loaded();
  FSize->Loaded();
}

void TQRCustomBand::SetZoom(Integer Value)
{
  if (Value <= 0)
    return;
  inherited::SetZoom(Value);
  FSize->SetZoom(Value);
  FSize->SetParentSizes();
  for (TQRPrintable* P : Printables())
    P->SetZoom(Value);
}

TQRPrintable* TQRCustomBand::AddPrintable(const std::function<TQRPrintable*(TComponent* Owner)>& Make)
{
  TQRPrintable* P = Make(Owner());
  P->SetParent(this);
  Integer Left = 1;
  for (TQRPrintable* Other : Printables())
    if (Other->Left() + Other->Width() >= Left)
      Left = Other->Left() + Other->Width() + 10;
  P->SetLeft(Left);
  return P;
}

Extended TQRCustomBand::LinkedHeight(bool FollowLink) const
{
  Extended Result = FSize->Height();
  Integer Guard = 0;
  for (TQRCustomBand* L = FollowLink ? FLinkBand : nullptr; L && L != this && Guard < 1000; L = L->FLinkBand, ++Guard)
    Result += L->Size()->Height();
  return Result;
}

void TQRCustomBand::ExpandedHeight(Extended& NewHeight)
{
  Extended E = FSize->Height();
  Extended Gap = 0;
  for (TQRPrintable* P : Printables()) {
    if (!P->Enabled())
      continue;
    // Only the controls that stretch answer; the others leave the mark.
    Extended H = -1;
    P->GetExpandedHeight(H);
    if (H < 0)
      continue;
    const Extended V = (P->Top() + H) / 0.37795;
    if (V > E) {
      E = V;
      Gap = (Height() - P->Top() - P->Height() + 1) / 0.37795;
    }
  }
  NewHeight = E + std::max<Extended>(Gap, 0);
  FExpandedHeight = NewHeight;
}

bool TQRCustomBand::CanExpand(Extended Value)
{
  return Int64(Round(Value + FSize->Height() + FExpanded)) <= Int64(FParentReport->AvailableSpace());
}

bool TQRCustomBand::ExpandBand(Extended Value, Extended& NewExpanded, bool& HasExpanded)
{
  if (!CanExpand(Value))
    return false;
  if (!HasExpanded && Value < FExpanded) {
    NewExpanded = FExpanded;
    HasExpanded = true;
    return true;
  }
  FExpanded += Value;
  NewExpanded = FExpanded;
  HasExpanded = true;
  return false;
}

void TQRCustomBand::MakeSpace()
{
  TCustomQRReport& R = *FParentReport;
  if (R.Page()->PrintOrder() == TQRPrintOrder::RowByRow)
    return;
  const Integer Need = RoundInt(LinkedHeight());
  const Extended PageRoom = R.Page()->Length() - (R.Page()->TopMargin() + R.Page()->BottomMargin());
  const bool Fits = FQRBandType == rbPageFooter || Need <= R.AvailableSpace() || Need > PageRoom;
  if (Fits && R.PageNumber() > 0) {
    if (FQRBandType == rbDetail)
      SplitFlag = false;
    return;
  }
  SplitFlag = FQRBandType == rbDetail;
  if (!(R.Page()->Continuous() && R.PageNumber() > 0))
    R.NewColumn();
}

void TQRCustomBand::PrintChild(bool Before)
{
  TQRChildBand* Child = ChildBand();
  if (!Child)
    return;
  const TCBPrintOrder Order = Child->PrintOrder();
  if (Order != cboBeforeAndAfter && Order != (Before ? cboBeforeParent : cboAfterParent))
    return;
  TQRBandType As = rbChild;
  if (FQRBandType == rbPageFooter)
    As = rbPageFooter;
  else if (!Before && FQRBandType == rbGroupFooter)
    As = rbGroupFooter;
  Child->FQRBandType = As;
  ScopeExit Restore([&] { Child->FQRBandType = rbChild; });
  if (!Before)
    SplitFlag = false;
  FParentReport->PrintBand(Child);
  if (!Before && autoActivateChild)
    Child->SetEnabled(false);
}

void TQRCustomBand::ExportBackground()
{
  TCustomQRReport& R = *FParentReport;
  TQRPrinter& Job = *R.QRPrinter();
  const Extended H = FPreCaluculateBandHeight ? FExpandedHeight : FSize->Height();
  BandFrameRect = TRect(Job.XPos(R.CurrentX()), Job.YPos(R.CurrentY()), Job.XPos(R.CurrentX() + FSize->Width()),
                        Job.YPos(R.CurrentY() + H));
  CurrentBandName = Name();
  if (!R.Exporting() || !R.ExportFilter())
    return;
  TQRShape Shape(nullptr);
  Shape.SetShape(qrsRectangle);
  Shape.Brush()->SetColor(Color());
  Shape.Brush()->SetStyle(bsSolid);
  Shape.Pen()->SetStyle(psClear);
  Shape.SetBounds(BandFrameRect.Left, BandFrameRect.Top, BandFrameRect.Right - BandFrameRect.Left,
                  BandFrameRect.Bottom - BandFrameRect.Top);
  R.ExportFilter()->AcceptGraphic(BandFrameRect.Left, BandFrameRect.Top, &Shape);
}

// The controls print round after round until every one has finished; a
// round that ends unfinished continues in the next column.
void TQRCustomBand::PrintControls()
{
  TCustomQRReport& R = *FParentReport;
  TQRPrinter& Job = *R.QRPrinter();
  CurrentBandName = Name();
  if (R.FinalPass() && !FTransparentBand && Job.Canvas()) {
    TCanvas* C = Job.Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    C->FillRect(BandFrameRect);
  }
  FExpanded = 0;
  Extended M = 0;
  const Extended SavedHeight = FSize->Height();
  bool FirstRound = true;
  for (Integer Round = 0;; ++Round) {
    bool AllFinished = true;
    for (TQRPrintable* P : Printables()) {
      if (!P->Enabled())
        continue;
      FExpanded = 0;
      if (FirstRound || !P->PrintFinished())
        P->Print(R.CurrentX(), R.CurrentY());
      AllFinished = AllFinished && P->PrintFinished();
      M = std::max(M, FExpanded);
    }
    FExpanded = M;
    if (R.FinalPass() || R.Exporting()) {
      BandFrameRect = TRect(Job.XPos(R.CurrentX()), Job.YPos(R.CurrentY()),
                            Job.XPos(R.CurrentX() + FSize->Width()),
                            Job.YPos(R.CurrentY() + FSize->Height() + FExpanded + 1));
      if (Job.Canvas())
        FFrame->PaintIt(Job.Canvas(), BandFrameRect, Job.XFactor(), Job.YFactor());
      for (TQRPrintable* P : Printables()) {
        auto* S = dynamic_cast<TQRShape*>(P);
        if (!S || S->Tag() != 1000 || S->Shape() != qrsVertLine || Width() <= 0 || !Job.Canvas())
          continue;
        TCanvas* C = Job.Canvas();
        C->Pen()->SetStyle(psSolid);
        C->Pen()->SetWidth(S->Pen()->Width());
        const Integer X = BandFrameRect.Left + RoundInt(Extended(BandFrameRect.Right - BandFrameRect.Left) *
                                                        (S->Left() + S->Width() / 2) / Width());
        C->MoveTo(X, BandFrameRect.Top);
        C->LineTo(X, BandFrameRect.Bottom);
      }
    }
    if (AllFinished || R.Cancelled())
      break;
    // A round in a fresh column that placed nothing would repeat for ever:
    // what is left of the controls is given up instead.
    if (!FirstRound && M <= 0) {
      for (TQRPrintable* P : Printables())
        P->SetPrintFinished(true);
      break;
    }
    SplitFlag = true;
    R.NewColumn();
    SplitFlag = false;
    FSize->SetHeight(SavedHeight);
    FExpanded = 0;
    M = 0;
    FirstRound = false;
  }
  R.SetCurrentY(R.CurrentY() + RoundInt(FSize->Height() + FExpanded));
  FSize->SetHeight(SavedHeight);
}

void TQRCustomBand::Print()
{
  TCustomQRReport& R = *FParentReport;
  TQRPrinter& Job = *R.QRPrinter();
  if (Job.Cancelled() && Job.Destination() == qrdPrinter)
    return;
  bool PrintIt = FEnabled;
  if (FEnabled && BeforePrint && !Designing(this) && !suppressBeforePrint)
    BeforePrint(this, PrintIt);
  if (!PrintIt) {
    if (!FEnabled && FNotifyController)
      FNotifyController->NotifyClients(0);
  } else {
    TQRPage& P = *R.Page();
    if (FQRBandType == rbSummary && P.Columns() > 1) {
      if (!FAlignToBottom) {
        const Extended CW = (P.Width() - (P.LeftMargin() + P.RightMargin()) - P.ColumnSpace() * (P.Columns() - 1)) /
                            P.Columns();
        R.SetCurrentX(RoundInt(P.LeftMargin() + (R.CurrentColumn() - 1) * CW) +
                      RoundInt(P.ColumnSpace() * (R.CurrentColumn() - 1)));
        FSize->SetWidth(CW);
      } else {
        R.NewPage(true);
      }
    }
    PrintChild(true);
    if (FQRBandType == rbGroupHeader && autoActivateChild)
      if (TQRChildBand* C = ChildBand())
        C->SetEnabled(true);

    const auto& ColHeaders = R.Controller()->ColHeaders;
    const bool InColHeaders = std::any_of(ColHeaders.begin(), ColHeaders.end(),
                                          [this](const auto& E) { return E.second == this; });
    const Integer RecordNumber = R.Controller()->DetailNumber();
    const bool FirstOfRun = ColHeaders.empty() && R.PageNumber() == 0;
    const bool HeadersOnce = !ColHeaders.empty() && RecordNumber < 2;
    const bool Breaking = FQRBandType == rbSummary || FQRBandType == rbGroupHeader ||
                          FQRBandType == rbGroupFooter || FQRBandType == rbSubDetail || FQRBandType == rbWild ||
                          FQRBandType == rbChild;
    const auto* Group = dynamic_cast<const TQRGroup*>(this);
    if (FQRBandType == rbDetail && (FForceNewPage || FForceNewColumn) && !FirstOfRun && !HeadersOnce) {
      if (FForceNewPage)
        R.NewPage(true);
      else
        R.NewColumn();
    } else if (Breaking && FForceNewPage && !SplitFlag && RecordNumber >= 2) {
      if (!(FQRBandType == rbGroupHeader && Group && Group->InGroup())) {
        suppressBeforePrint = true;
        R.NewPage(true);
        SplitFlag = false;
        suppressBeforePrint = false;
        if (InColHeaders)
          return;
      }
    } else if (Breaking && FForceNewColumn && R.PageNumber() > 0) {
      suppressBeforePrint = true;
      R.NewColumn();
      SplitFlag = false;
      suppressBeforePrint = false;
      if (InColHeaders)
        return;
    } else {
      MakeSpace();
      if ((FQRBandType == rbGroupHeader && FPrintedInHeader) || R.Cancelled())
        return;
    }
    if (FNotifyController && FNotifyController->DetailNumber() > 0)
      FNotifyController->NotifyClients(0);
    if (FKeepOnOnePage) {
      Extended H = 0;
      ExpandedHeight(H);
      if (H > R.AvailableSpace())
        R.NewColumn();
    }
    if (!FTransparentBand)
      ExportBackground();
    else
      BandFrameRect = TRect(Job.XPos(R.CurrentX()), Job.YPos(R.CurrentY()),
                            Job.XPos(R.CurrentX() + FSize->Width()), Job.YPos(R.CurrentY() + FSize->Height()));
    if (Height() > 0 || FSize->Height() > 0)
      PrintControls();
  }
  if (AfterPrint && !Designing(this))
    AfterPrint(this, PrintIt);
  PrintChild(false);
  SplitFlag = false;
}

// ---------------------------------------------------------------------------
// TQRChildBand

TQRChildBand::TQRChildBand(TComponent* AOwner) : TQRCustomBand(AOwner) { FQRBandType = rbChild; }

void TQRChildBand::SetParentBand(TQRCustomBand* Value)
{
  for (TQRCustomBand* B = Value; B;) {
    if (B == this)
      return;   // a circle of parents is refused
    auto* C = dynamic_cast<TQRChildBand*>(B);
    B = C ? C->ParentBand() : nullptr;
  }
  FParentBand = Value;
  if (Value)
    Value->FreeNotification(this);
  if (FParentReport) {
    FParentReport->RebuildBandList();
    FParentReport->SetBandValues();
  }
}

void TQRChildBand::Notification(TComponent* AComponent, TOperation Operation)
{
  TQRCustomBand::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FParentBand)
    FParentBand = nullptr;
}

// ---------------------------------------------------------------------------
// TQRReportBands

TQRCustomBand* TQRReportBands::BandOfType(TQRBandType Type) const
{
  for (TQRCustomBand* B : FOwner->BandList())
    if (B->BandType() == Type)
      return B;
  return nullptr;
}

void TQRReportBands::SetHasBand(TQRBandType Type, bool Value)
{
  TQRCustomBand* B = BandOfType(Type);
  if (Value && !B)
    FOwner->CreateBand(Type);
  else if (!Value && B)
    delete B;
}

// ---------------------------------------------------------------------------
// TQRCustomController

TQRCustomController::TQRCustomController(TComponent* AOwner) : TComponent(nullptr), FOrgOwner(AOwner)
{
  FSelfCheck = this;
}

TQRCustomController::~TQRCustomController() = default;

void TQRCustomController::GetValue(TQREvResult& Value) { SetErrorResult(String(), Value); }

void TQRCustomController::SetMaster(TComponent* Value)
{
  if (Value == this)
    return;
  if (Value && !dynamic_cast<TCustomQRReport*>(Value) && !dynamic_cast<TQRCustomController*>(Value) &&
      !dynamic_cast<TQRControllerBand*>(Value))
    return;
  FMaster = Value;
}

void TQRCustomController::NotifyClients(Integer Operation)
{
  for (TQRPrintable* P : NotifyList)
    P->ReceiveNotify(this, Operation);
}

void TQRCustomController::RegisterClients()
{
  if (ComponentState().Contains(csDestroying))
    return;
  PrintAfterList.clear();
  PrintBeforeList.clear();
  GroupList.clear();
  auto Scan = [this](TComponent* Root) {
    if (!Root)
      return;
    for (Integer I = 0; I < Root->ComponentCount(); ++I) {
      TComponent* C = Root->Components(I);
      if (auto* CB = dynamic_cast<TQRControllerBand*>(C); CB && CB->Master() == FSelfCheck && CB != FSelfCheck) {
        TQRCustomController* Client = CB->Controller();
        Client->SetParentReport(FParentReport);
        (Client->PrintBefore() ? PrintBeforeList : PrintAfterList).push_back(Client);
        Client->RegisterClients();
      } else if (auto* G = dynamic_cast<TQRGroup*>(C);
                 G && G->Master() == FSelfCheck && !G->ComponentState().Contains(csDestroying)) {
        G->FGroupIndex = Integer(GroupList.size());
        GroupList.push_back(G);
        G->SetParentReport(FParentReport);
      }
    }
  };
  TComponent* Owner = FSelfCheck == this ? FOrgOwner : FSelfCheck->Owner();
  Scan(Owner);
  if (FSelfCheck != Owner)
    Scan(FSelfCheck);
  AddDataSets();
}

void TQRCustomController::RegisterBands(const std::function<void(TQRCustomBand*)>& Register)
{
  for (TQRGroup* G : GroupList)
    Register(G);
  for (TQRCustomController* C : PrintBeforeList)
    C->RegisterBands(Register);
  for (TQRCustomController* C : PrintAfterList)
    C->RegisterBands(Register);
  for (auto It = GroupList.rbegin(); It != GroupList.rend(); ++It)
    Register((*It)->FooterBand());
}

void TQRCustomController::Prepare()
{
  NotifyList.clear();
  for (TQRCustomController* C : PrintBeforeList)
    C->Prepare();
  for (TQRCustomController* C : PrintAfterList)
    C->Prepare();
  for (TQRGroup* G : GroupList)
    G->Prepare();
  if (FParentReport && FOrgOwner)
    EvConstant = FParentReport->Functions()->GetConstant(FOrgOwner->Name());
}

void TQRCustomController::Unprepare()
{
  for (TQRCustomController* C : PrintBeforeList)
    C->Unprepare();
  for (TQRCustomController* C : PrintAfterList)
    C->Unprepare();
  for (TQRGroup* G : GroupList)
    G->Unprepare();
}

void TQRCustomController::RunBeforeClients()
{
  for (TQRCustomController* C : PrintBeforeList)
    C->Execute();
}

void TQRCustomController::RunAfterClients()
{
  for (TQRCustomController* C : PrintAfterList)
    C->Execute();
}

void TQRCustomController::Execute() {}

void TQRCustomController::PrintEmpty()
{
  RunBeforeClients();
  RunAfterClients();
}

bool TQRCustomController::ReportCancelled() const
{
  return !FParentReport || FParentReport->Cancelled() || !FParentReport->QRPrinter() ||
         FParentReport->QRPrinter()->Cancelled();
}

bool TQRCustomController::CheckGroups()
{
  for (std::size_t I = 0; I < GroupList.size(); ++I) {
    GroupList[I]->CheckValue();
    if (!GroupList[I]->FReprint)
      continue;
    // An outer group that changes starts every inner group again.
    for (std::size_t J = I + 1; J < GroupList.size(); ++J) {
      TQRGroup& Inner = *GroupList[J];
      Inner.GroupValue = Inner.Evaluator->Value();
      Inner.FReprint = true;
      Inner.HasResult = true;
    }
    return true;
  }
  return false;
}

void TQRCustomController::PrintGroupHeaders()
{
  for (TQRGroup* G : GroupList) {
    if (!G->FReprint)
      continue;
    if (!G->FPrintedInHeader) {
      FParentReport->PrintBand(G);
      G->FInGroup = true;
      G->PrintPageNumber = FParentReport->PageNumber();
      G->PrintColumnNumber = FParentReport->CurrentColumn();
    }
    G->FPrintedInHeader = false;
    G->FInGroup = true;
  }
}

void TQRCustomController::PrintGroupFooters()
{
  for (auto It = GroupList.rbegin(); It != GroupList.rend(); ++It) {
    TQRGroup* G = *It;
    if (!G->FReprint)
      continue;
    if (G->FooterBand())
      FParentReport->PrintBand(G->FooterBand());
    G->FInGroup = false;
    G->FPrintedInHeader = false;
  }
}

// ---------------------------------------------------------------------------
// TQRController

void TQRController::SetDataSet(TDataSet* Value)
{
  FDataSet = Value;
  if (Value)
    Value->FreeNotification(this);
}

void TQRController::Notification(TComponent* AComponent, TOperation Operation)
{
  TQRCustomController::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  // A run on the report's thread must not read what goes.
  if (FParentReport)
    FParentReport->StopBackground();
  if (AComponent == FDataSet)
    FDataSet = nullptr;
  if (AComponent == FMaster)
    FMaster = nullptr;
  if (AComponent == FDetail)
    FDetail = nullptr;
  if (AComponent == FHeader)
    FHeader = nullptr;
  if (AComponent == FFooter)
    FFooter = nullptr;
}

void TQRController::RegisterBands(const std::function<void(TQRCustomBand*)>& Register)
{
  Register(FHeader);
  for (TQRGroup* G : GroupList)
    Register(G);
  for (TQRCustomController* C : PrintBeforeList)
    C->RegisterBands(Register);
  Register(FDetail);
  for (TQRCustomController* C : PrintAfterList)
    C->RegisterBands(Register);
  for (auto It = GroupList.rbegin(); It != GroupList.rend(); ++It)
    Register((*It)->FooterBand());
  Register(FFooter);
}

void TQRController::AddDataSets()
{
  if (!FDataSet || !FDataSet->Active() || !FParentReport)
    return;
  if (std::vector<TDataSet*>* Sets = FParentReport->AllDataSets())
    if (std::find(Sets->begin(), Sets->end(), FDataSet) == Sets->end())
      Sets->push_back(FDataSet);
}

void TQRController::PrintEmpty()
{
  if (FHeader)
    FParentReport->PrintBand(FHeader);
  RunBeforeClients();
  if (FDetail)
    FParentReport->PrintBand(FDetail);
  RunAfterClients();
  if (FFooter)
    FParentReport->PrintBand(FFooter);
}

void TQRController::Execute()
{
  TCustomQRReport* Report = FParentReport;
  const bool ForReport = dynamic_cast<TCustomQRReport*>(FSelfCheck) != nullptr;
  ColHeaders.clear();
  if (Report && ForReport) {
    if (TQRCustomBand* CH = Report->Bands()->ColumnHeaderBand(); CH && CH->BandEnabled())
      ColHeaders.emplace_back(CH->Name(), CH);
    for (TQRGroup* G : GroupList)
      if (G->ReprintOnNewPage())
        ColHeaders.emplace_back(G->Name(), G);
  }
  for (TQRGroup* G : GroupList)
    G->HasResult = false;
  const bool Open = FDataSet && FDataSet->Active();
  if (!Report || (!Open && !OnNeedData)) {
    if (Report && FPrintIfEmpty)
      PrintEmpty();
    return;
  }
  bool MoreData = true;
  Integer RecCount = 1;
  auto* QR = dynamic_cast<TQRReport*>(Report);
  const bool Progressing = Open && QR && QR->DataSet() == FDataSet;
  if (Open) {
    if (Progressing)
      RecCount = QR->RecordCount();
    FDataSet->First();
    MoreData = !FDataSet->Eof();
    if (!MoreData && FPrintIfEmpty)
      PrintEmpty();
  } else if (!Designing(Report)) {
    OnNeedData(FSelfCheck, MoreData);
  }
  FDetailNumber = 0;
  if (FDetail)
    FDetail->SetNotifyController(this);
  if (!MoreData)
    return;
  QRProcessMessages();
  if (ReportCancelled())
    return;
  Report->PrintBand(FHeader);
  if (ForReport && (Report->PageNumber() <= 1 || QRContinuingRun()))
    Report->PrintColumnHeaders();
  CheckGroups();
  Report->UserCancel = false;
  while (MoreData) {
    QRProcessMessages();
    if (ReportCancelled() || (Report->PreparingDesignTime() && Report->PageNumber() > 1))
      break;
    SetQRCurrentRecordNumber(FDetailNumber);
    ++FDetailNumber;
    PrintGroupHeaders();
    RunBeforeClients();
    Report->PrintBand(FDetail);
    RunAfterClients();
    if (Open) {
      FDataSet->Next();
      MoreData = !FDataSet->Eof();
    } else {
      MoreData = false;
      if (!Designing(Report))
        OnNeedData(FSelfCheck, MoreData);
    }
    if (CheckGroups()) {
      // Footers print with the last record of the ending group current.
      if (Open)
        FDataSet->Prior();
      PrintGroupFooters();
      if (Open)
        FDataSet->Next();
    }
    if (Progressing && RecCount != 0) {
      const Integer Percent = FDetailNumber * 100 / RecCount;
      if (Percent != Report->QRPrinter()->Progress())
        Report->QRPrinter()->SetProgress(Percent);
    }
    if (Report->UserCancel)
      Report->Cancel();
    MoreData = MoreData && !Report->UserCancel;
    if (Report->PagesInPreview() > 0)
      MoreData = MoreData && Report->QRPrinter()->PageNumber() <= Report->PagesInPreview();
  }
  // A cancelled run ends without footers or summary.
  if (ReportCancelled())
    return;
  for (TQRGroup* G : GroupList)
    G->FReprint = !G->FReprint;
  PrintGroupFooters();
  if (ForReport)
    Report->QRPrinter()->SetProgress(100);
  if (FFooter) {
    if (Report->PageNumber() == 0)
      Report->NewPage(true);
    if (FFooter->Size()->Height() > Report->AvailableSpace())
      Report->NewColumn();
    Report->PrintBand(FFooter);
  }
}

// ---------------------------------------------------------------------------
// TQRGroup

TQRGroup::TQRGroup(TComponent* AOwner) : TQRCustomBand(AOwner), Evaluator(std::make_unique<TQREvaluator>())
{
  FQRBandType = rbGroupHeader;
}

TQRGroup::~TQRGroup() = default;

void TQRGroup::SetParent(TWinControl* AParent)
{
  inherited::SetParent(AParent);
  if (!FMaster)
    if (auto* Report = dynamic_cast<TCustomQRReport*>(AParent))
      SetMaster(Report);
}

void TQRGroup::SetFooterBand(TQRCustomBand* Value)
{
  FFooterBand = Value;
  if (Value) {
    Value->FreeNotification(this);
    Value->SetBandType(rbGroupFooter);
  }
}

void TQRGroup::SetMaster(TComponent* Value)
{
  if (Value && !dynamic_cast<TCustomQRReport*>(Value) && !dynamic_cast<TQRControllerBand*>(Value))
    return;
  FMaster = Value;
  if (Value)
    Value->FreeNotification(this);
  if (FParentReport) {
    FParentReport->RebuildBandList();
    FParentReport->SetBandValues();
  }
}

void TQRGroup::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FFooterBand)
    FFooterBand = nullptr;
  if (AComponent == FMaster)
    FMaster = nullptr;
}

void TQRGroup::Prepare()
{
  Evaluator->SetDataSets(FParentReport->AllDataSets());
  Evaluator->SetEnvironment(FParentReport->Functions());
  Evaluator->Prepare(FExpression);
  HasResult = false;
  FInGroup = false;
  FPrintedInHeader = false;
  PrintPageNumber = 1;
}

void TQRGroup::Unprepare() { Evaluator->UnPrepare(); }

void TQRGroup::CheckValue()
{
  FReprint = false;
  const TQREvResult V = Evaluator->Value();
  if (!HasResult) {
    GroupValue = V;
    FReprint = true;
    HasResult = true;
    return;
  }
  bool Changed = false;
  if (V.Kind == resError || GroupValue.Kind == resError)
    Changed = V.Kind != GroupValue.Kind && V.Kind != resError && GroupValue.Kind != resError;
  else if (V.Kind != GroupValue.Kind)
    Changed = true;
  else
    switch (V.Kind) {
    case resInt: Changed = V.intResult != GroupValue.intResult; break;
    case resDouble: Changed = !(V.dblResult == GroupValue.dblResult); break;
    case resString: Changed = V.StringVal != GroupValue.StringVal; break;
    case resBool: Changed = V.booResult != GroupValue.booResult; break;
    case resError: break;
    }
  if (Changed) {
    GroupValue = V;
    FReprint = true;
  }
}

// ---------------------------------------------------------------------------
// TQRControllerBand and TQRSubDetail

TQRControllerBand::TQRControllerBand(TComponent* AOwner) : TQRCustomBand(AOwner)
{
  FController = CreateController();
  FController->SetSelfCheck(this);
}

TQRControllerBand::~TQRControllerBand() = default;

std::unique_ptr<TQRCustomController> TQRControllerBand::CreateController()
{
  auto C = std::make_unique<TQRController>(this);
  C->SetDetail(this);
  return C;
}

void TQRControllerBand::SetParent(TWinControl* AParent)
{
  inherited::SetParent(AParent);
  if (!FMaster)
    if (auto* Report = dynamic_cast<TCustomQRReport*>(AParent))
      SetMaster(Report);
}

void TQRControllerBand::SetPrintBefore(bool Value)
{
  if (Value == FController->PrintBefore())
    return;
  FController->SetPrintBefore(Value);
  if (FParentReport) {
    FParentReport->RebuildBandList();
    FParentReport->SetBandValues();
  }
}

void TQRControllerBand::SetMaster(TComponent* Value)
{
  if (Value == this)
    return;
  // A circle of masters through controller bands is refused.
  for (TComponent* M = Value; M;) {
    if (M == this)
      return;
    auto* CB = dynamic_cast<TQRControllerBand*>(M);
    M = CB ? CB->Master() : nullptr;
  }
  FMaster = Value;
  FController->SetMaster(Value);
  if (Value)
    Value->FreeNotification(this);
  if (FParentReport) {
    FParentReport->RebuildBandList();
    FParentReport->SetBandValues();
  }
}

void TQRControllerBand::Notification(TComponent* AComponent, TOperation Operation)
{
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FMaster) {
    FMaster = nullptr;
    FController->SetMaster(nullptr);
  }
}

TQRSubDetail::TQRSubDetail(TComponent* AOwner)
  : TQRControllerBand(AOwner), FBands(std::make_unique<TQRSubDetailGroupBands>(this))
{
  FQRBandType = rbSubDetail;
}

TQRSubDetail::~TQRSubDetail() = default;

void TQRSubDetail::SetHeaderBand(TQRCustomBand* Value)
{
  SubController()->SetHeader(Value);
  if (Value) {
    Value->FreeNotification(this);
    Value->SetBandType(rbGroupHeader);
  }
}

void TQRSubDetail::SetFooterBand(TQRCustomBand* Value)
{
  SubController()->SetFooter(Value);
  if (Value) {
    Value->FreeNotification(this);
    Value->SetBandType(rbGroupFooter);
  }
}

void TQRSubDetail::Notification(TComponent* AComponent, TOperation Operation)
{
  TQRControllerBand::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == HeaderBand())
    SubController()->SetHeader(nullptr);
  if (AComponent == FooterBand())
    SubController()->SetFooter(nullptr);
  if (AComponent == DataSet())
    SubController()->SetDataSet(nullptr);
}

bool TQRSubDetailGroupBands::HasHeader() const { return Owner->HeaderBand() != nullptr; }
bool TQRSubDetailGroupBands::HasFooter() const { return Owner->FooterBand() != nullptr; }
TQRCustomBand* TQRSubDetailGroupBands::HeaderBand() const { return Owner->HeaderBand(); }
TQRCustomBand* TQRSubDetailGroupBands::FooterBand() const { return Owner->FooterBand(); }

void TQRSubDetailGroupBands::SetHasHeader(bool Value)
{
  if (Value == HasHeader() || !Owner->ParentReport())
    return;
  if (Value) {
    Owner->SetHeaderBand(Owner->ParentReport()->CreateBand(rbGroupHeader));
  } else {
    TQRCustomBand* B = Owner->HeaderBand();
    Owner->SetHeaderBand(nullptr);
    delete B;
  }
}

void TQRSubDetailGroupBands::SetHasFooter(bool Value)
{
  if (Value == HasFooter() || !Owner->ParentReport())
    return;
  if (Value) {
    Owner->SetFooterBand(Owner->ParentReport()->CreateBand(rbGroupFooter));
  } else {
    TQRCustomBand* B = Owner->FooterBand();
    Owner->SetFooterBand(nullptr);
    delete B;
  }
}
