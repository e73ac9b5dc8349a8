#pragma once
// A design record as bytes, for kept designs: everything that draws the
// design again except its photo (kept apart, once for every design that
// shows it). The format is versioned; a later version of the program reads
// every earlier one, and a record draws the same pixels in every version.

#include "design/DesignHistory.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace lh::design {

inline constexpr int kRecordFormatVersion = 1;

QByteArray encodeRecord(const DesignRecord& record);

// The record without its photo; empty, with the reason, for bytes that are
// not a record, are damaged or come from a later version.
std::optional<DesignRecord> decodeRecord(const QByteArray& bytes, QString* error = nullptr);

}   // namespace lh::design
