// MemTableDataEh.cpp: the storage of the in-memory dataset.
#include "gridlib/memtable/MemTableDataEh.h"
