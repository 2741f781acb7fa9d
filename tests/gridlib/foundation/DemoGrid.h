// DemoGrid.h: a descendant of the base grid over a plain cell source, used by
// the painting tests and the painting benchmark: 10,000 rows of 50 data
// columns, a fixed number column, a frozen name column, a totals row.
#pragma once

#include "gridlib/foundation/GridsEh.h"

#include <map>

// The cells: texts made from the coordinates, the same for every consumer.
struct TDemoCellSource {
  static constexpr Integer DataCols = 50;
  static constexpr Integer DataRows = 10000;
  // Column 0 of the data is the name, the others amounts.
  static String Title(Integer DataCol)
  {
    return DataCol == 0 ? QStringLiteral("Наименование") : QStringLiteral("Сумма %1").arg(DataCol);
  }
  static String Text(Integer DataCol, Integer DataRow)
  {
    if (DataCol == 0)
      return QStringLiteral("Изделие %1").arg(DataRow + 1);
    const Integer Cents = (DataRow * 7919 + DataCol * 104729) % 100000;
    return QString::number(Cents / 100) + QLatin1Char(',') + QString::number(Cents % 100).rightJustified(2, QLatin1Char('0'));
  }
  static bool RightAligned(Integer DataCol) { return DataCol != 0; }
};

class TDemoGridEh : public TCustomGridEh {
  using inherited = TCustomGridEh;
public:
  // The frozen name column is tinted a little warmer than the data.
  static TColor NameColumnColor(TColor CellColor) { return MixColorsByPercentEh(CellColor, RGBEh(255, 200, 80), 10); }

  explicit TDemoGridEh(TComponent* AOwner) : TCustomGridEh(AOwner)
  {
    BeginUpdateBoundaries();
    SetFixedColCount(2);   // the number column and the frozen name column
    SetFrozenColCount(1);
    SetColCount(2 + TDemoCellSource::DataCols - 1);
    SetRowCount(1 + TDemoCellSource::DataRows);
    SetContraRowCount(1);
    SetColWidths(0, 44);
    SetColWidths(1, 110);
    SetOptions(Options() + TGridOptionsEh{goRangeSelectEh});
    EndUpdateBoundaries();
  }

  // Paints the grid into a canvas as its window would, without a window.
  void PaintInto(TCanvas* ACanvas) { PaintWindow(ACanvas->Handle()); }

  // Columns passed to PaintCell during the last paints, and the last state
  // each cell was painted with.
  std::map<Integer, Integer> PaintedCols;
  std::map<std::pair<Integer, Integer>, TGridDrawState> States;

protected:
  static Integer DataCol(Integer ACol) { return ACol - 1; }

  void PaintCell(Integer ACol, Integer ARow, TGridDrawState State, TRect ARect) override
  {
    ++PaintedCols[ACol];
    States[{ACol, ARow}] = State;
    inherited::PaintCell(ACol, ARow, State, ARect);
  }

  void DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState State) override
  {
    TCanvas* C = Canvas();
    const bool Title = ARow == 0;
    const bool Number = ACol == 0;
    const bool Totals = ARow >= RowCount();
    C->Font()->SetStyle(Title || Totals ? TFontStyles{fsBold} : TFontStyles{});
    C->Brush()->SetStyle(bsSolid);
    bool Fill = true;
    if (Title || Number || Totals) {
      C->Brush()->SetColor(FInternalFixedColor);
      C->Font()->SetColor(FInternalFixedFontColor);
    } else if (State.Contains(gdSelected)) {
      C->Brush()->SetColor(ColorToRGB(IsActiveControl() ? clHighlight : clBtnShadow));
      C->Font()->SetColor(ColorToRGB(clHighlightText));
    } else {
      C->Brush()->SetColor(ACol == 1 ? NameColumnColor(FInternalColor) : FInternalColor);
      C->Font()->SetColor(FInternalFontColor);
      // Over a background picture the data cells let it show through.
      Fill = !BackgroundData()->Showing();
    }
    String Text;
    TAlignment Align = taLeftJustify;
    if (Title && Number)
      Text = QStringLiteral("№");
    else if (Title)
      Text = TDemoCellSource::Title(DataCol(ACol));
    else if (Totals)
      Text = Number ? QStringLiteral("Итого") : (ACol == 1 ? QString() : QStringLiteral("Σ"));
    else if (Number)
      Text = QString::number(ARow);
    else
      Text = TDemoCellSource::Text(DataCol(ACol), ARow - 1);
    if (!Title && !Number && !Totals && TDemoCellSource::RightAligned(DataCol(ACol)))
      Align = taRightJustify;
    if (Number || Title)
      Align = taCenter;
    WriteCellText(C, ARect, Fill, 2, 0, Text, Align, tlCenter, false, false, 0, 0, false, true);
  }

  void DrawEmptyAreaCell(Integer ACol, Integer ARow, TRect ARect) override
  {
    if (BackgroundData()->Showing())
      return;
    inherited::DrawEmptyAreaCell(ACol, ARow, ARect);
  }
};
