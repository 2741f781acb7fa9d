// ComCtrls.h: page control and tab sheets, progress bar, date-time picker
// and status bar.
#pragma once

#include "platform/gui/ExtCtrls.h"

class TPageControl;

class TTabSheet : public TWinControl {
  VELMORA_CLASS(TTabSheet)
  using inherited = TWinControl;
public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* Value);
  Integer PageIndex() const;
  void SetPageIndex(Integer Value);
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value) { FImageIndex = Value; }
  void SetParent(TWinControl* AParent) override;
protected:
  friend class TPageControl;
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  // The tab widget places the sheet; its bounds follow the widget.
  void UpdateWidgetBounds() override {}
  void CMTextChanged(TMessage& Message) override;
private:
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  Integer FImageIndex = -1;
};

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TPageControl : public TWinControl {
  VELMORA_CLASS(TPageControl)
  using inherited = TWinControl;
public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;
  Integer PageCount() const { return Integer(FPages.size()); }
  TTabSheet* Pages(Integer Index) const { return FPages.at(std::size_t(Index)); }
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* Value);
  Integer ActivePageIndex() const;
  void SetActivePageIndex(Integer Value);
  void SelectNextPage(bool GoForward);
  TRect DisplayRect() const;

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

protected:
  friend class TTabSheet;
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitializeWidget() override;
  void AdjustClientRect(TRect& Rect) override;
  void Loaded() override;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void UpdateTabs();
  void UserChangedTab(int Index);
private:
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
  bool FSyncing = false;
};

enum class TProgressBarOrientation { pbHorizontal, pbVertical };
using enum TProgressBarOrientation;

class TProgressBar : public TWinControl {
  VELMORA_CLASS(TProgressBar)
  using inherited = TWinControl;
public:
  explicit TProgressBar(TComponent* AOwner);
  Integer Min() const { return FMin; }
  void SetMin(Integer Value);
  Integer Max() const { return FMax; }
  void SetMax(Integer Value);
  Integer Position() const { return FPosition; }
  void SetPosition(Integer Value);
  Integer Step() const { return FStep; }
  void SetStep(Integer Value) { FStep = Value; }
  TProgressBarOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TProgressBarOrientation Value);
  bool Smooth() const { return true; }
  void SetSmooth(bool) {}
  void StepIt() { SetPosition(FPosition + FStep >= FMax ? FMin + (FPosition + FStep - FMax) : FPosition + FStep); }
  void StepBy(Integer Delta) { SetPosition(FPosition + Delta); }
protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitializeWidget() override;
private:
  void Sync();
  Integer FMin = 0;
  Integer FMax = 100;
  Integer FPosition = 0;
  Integer FStep = 10;
  TProgressBarOrientation FOrientation = pbHorizontal;
};

enum class TDateTimeKind { dtkDate, dtkTime };
using enum TDateTimeKind;
enum class TDTDateFormat { dfShort, dfLong };
using enum TDTDateFormat;
enum class TDTDateMode { dmComboBox, dmUpDown };
using enum TDTDateMode;

class TDateTimePicker : public TWinControl {
  VELMORA_CLASS(TDateTimePicker)
  using inherited = TWinControl;
public:
  explicit TDateTimePicker(TComponent* AOwner);
  ~TDateTimePicker() override;
  TDateTime DateTime() const { return FDateTime; }
  void SetDateTime(TDateTime Value);
  TDate Date() const;
  void SetDate(TDate Value);
  TTime Time() const;
  void SetTime(TTime Value);
  TDateTimeKind Kind() const { return FKind; }
  void SetKind(TDateTimeKind Value);
  TDTDateFormat DateFormat() const { return FDateFormat; }
  void SetDateFormat(TDTDateFormat Value);
  TDTDateMode DateMode() const { return FDateMode; }
  void SetDateMode(TDTDateMode Value) { FDateMode = Value; }
  String Format() const { return FFormat; }
  void SetFormat(const String& Value);
  TDate MinDate() const { return FMinDate; }
  void SetMinDate(TDate Value) { FMinDate = Value; }
  TDate MaxDate() const { return FMaxDate; }
  void SetMaxDate(TDate Value) { FMaxDate = Value; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value) { FChecked = Value; }
  bool ShowCheckbox() const { return FShowCheckbox; }
  void SetShowCheckbox(bool Value) { FShowCheckbox = Value; }
  TNotifyEvent OnChange;
protected:
  QWidget* CreateWidget(QWidget* ParentWidget) override;
  void InitializeWidget() override;
  void WMGetDlgCode(TMessage& Message) override;
  virtual void Change();
private:
  void Sync();
  String DisplayFormat() const;
  TDateTime FDateTime;
  TDateTimeKind FKind = dtkDate;
  TDTDateFormat FDateFormat = dfShort;
  TDTDateMode FDateMode = dmComboBox;
  String FFormat;
  TDate FMinDate;
  TDate FMaxDate;
  bool FChecked = true;
  bool FShowCheckbox = false;
  bool FSyncing = false;
};

enum class TStatusPanelStyle { psText, psOwnerDraw };
using enum TStatusPanelStyle;

class TStatusPanel : public TCollectionItem {
  VELMORA_CLASS(TStatusPanel)
  using inherited = TCollectionItem;
public:
  explicit TStatusPanel(TCollection* Collection);
  String Text() const { return FText; }
  void SetText(const String& Value);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TBevelCut Bevel() const { return FBevel; }
  void SetBevel(TBevelCut Value);
  TStatusPanelStyle Style() const { return FStyle; }
  void SetStyle(TStatusPanelStyle Value) { FStyle = Value; }
private:
  String FText;
  Integer FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  TBevelCut FBevel = bvLowered;
  TStatusPanelStyle FStyle = psText;
};

class TStatusBar;

class TStatusPanels : public TCollection {
  VELMORA_CLASS(TStatusPanels)
  using inherited = TCollection;
public:
  explicit TStatusPanels(TStatusBar* AStatusBar);
  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  TStatusPanel* Items(Integer Index) const { return static_cast<TStatusPanel*>(TCollection::Items(Index)); }
protected:
  void Update(TCollectionItem* Item) override;
  TPersistent* GetOwner() const override;
private:
  TStatusBar* FStatusBar;
};

class TStatusBar : public TCustomControl {
  VELMORA_CLASS(TStatusBar)
  using inherited = TCustomControl;
public:
  explicit TStatusBar(TComponent* AOwner);
  ~TStatusBar() override;
  TStatusPanels* Panels() const { return FPanels.get(); }
  void SetPanels(TStatusPanels* Value) { FPanels->Assign(Value); }
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool Value);
  String SimpleText() const { return FSimpleText; }
  void SetSimpleText(const String& Value);
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool Value) { FSizeGrip = Value; }
protected:
  void Paint() override;
private:
  std::unique_ptr<TStatusPanels> FPanels;
  bool FSimplePanel = false;
  String FSimpleText;
  bool FSizeGrip = true;
};

void RegisterComCtrlsClasses();
