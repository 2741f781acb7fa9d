// MemTableDataEh.h: the storage of the in-memory dataset: structure and
// field descriptors, records and their list, indexes, the view, the tree
// list, the expression evaluator, aggregates and the stream format.
#pragma once

#include "gridlib/foundation/ToolCtrlsEh.h"
#include "platform/data/DB.h"

// ---------------------------------------------------------------------------
// Data structure and field descriptors.

// (end of section)

// ---------------------------------------------------------------------------
// Memory records and records list.

// (end of section)

// ---------------------------------------------------------------------------
// Indexes.

// (end of section)

// ---------------------------------------------------------------------------
// Data container.

// (end of section)

// ---------------------------------------------------------------------------
// Records view.

// (end of section)

// ---------------------------------------------------------------------------
// Memory tree list.

// (end of section)

// ---------------------------------------------------------------------------
// Dataset expression evaluator.

// (end of section)

// ---------------------------------------------------------------------------
// Aggregates.

// (end of section)

// ---------------------------------------------------------------------------
// Stream format.

// (end of section)
