// DemoTableModel.h: the demo grid's cells as a Qt table model, so that a
// QTableView can be measured against the demo grid over the same data.
#pragma once

#include "tests/gridlib/foundation/DemoGrid.h"

#include <QAbstractTableModel>

class TDemoModel : public QAbstractTableModel {
public:
  int rowCount(const QModelIndex& = QModelIndex()) const override { return TDemoCellSource::DataRows; }
  int columnCount(const QModelIndex& = QModelIndex()) const override { return TDemoCellSource::DataCols; }
  QVariant data(const QModelIndex& Index, int Role) const override
  {
    if (Role == Qt::DisplayRole)
      return TDemoCellSource::Text(Index.column(), Index.row());
    if (Role == Qt::TextAlignmentRole)
      return int((TDemoCellSource::RightAligned(Index.column()) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return QVariant();
  }
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override
  {
    if (Role != Qt::DisplayRole)
      return QVariant();
    if (Orientation == Qt::Horizontal)
      return TDemoCellSource::Title(Section);
    return Section + 1;
  }
};
