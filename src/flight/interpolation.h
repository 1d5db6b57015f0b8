#pragma once

// Interpolation in the reference tables, with the results a spreadsheet gives.

#include "flight/reference_db.h"

#include <QString>

#include <cstdint>

namespace korv::flight {

// Table lookups with the results a spreadsheet gives when the table is copied into a sheet, a row
// (or column) with the key and a relative interpolation formula is appended, and the block is sorted.
// Exact hits are rounded to whole seconds (half to even), interpolated values truncated toward zero.
// `tableName` only names the table in error messages.

// Table of (key, value) records. An exact pass first: the last record whose key, rounded, equals
// `key` gives its value, rounded. When that leaves 0 the key is placed among the records sorted by
// key (after equal keys) and interpolated linearly between its neighbours; with no neighbour above,
// the empty row below the block counts as key 0 and value 0. No neighbour below, or a zero
// denominator, is an error (type mismatch: the spreadsheet's error value cannot be converted).
std::int16_t lookupOneKey(const Table& table, std::int16_t key, const QString& tableName);

// Two-way table: the first record holds a corner value and the column keys, every further record a
// row key and its values. The column key is matched against the key record (corner included); when
// it is not there a column is interpolated at every row between the neighbouring columns, the key
// column standing left of the lowest column key. The row key is then matched exactly; when that
// leaves 0 it is interpolated between the neighbouring rows, the key record standing above the
// lowest row key. A column key above every column key or below the corner is an error; a row key
// above every row key meets an empty row (key 0, values 0); a row key below the corner gives 0.
std::int16_t lookupTwoKeys(const Table& table, std::int16_t rowKey, std::int16_t columnKey, const QString& tableName);

} // namespace korv::flight
