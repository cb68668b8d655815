#pragma once
// Whole-file saves that never leave a truncated file behind: the new content goes to a
// temporary file in the same folder, is flushed to the disk, and is renamed over the old file.
// A crash, a kill or a full disk during a save leaves either the old file or the new one.
#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace AtomicFile {

// Replaces the file at path with data. False (and the old file untouched) on any failure.
bool Write(const QString& path, const QByteArray& data);

// Moves a file that Kestrel could not read out of the way, to path + ".unreadable-" + the UTC
// time "%Y%m%d%H%M%S" (a "-2", "-3", ... is added when that name is taken). True when the file
// was moved or no longer exists; newPath receives the new name when it was moved.
bool MoveAside(const QString& path, QString* newPath = nullptr,
               const QDateTime& nowUtc = QDateTime::currentDateTimeUtc());

} // namespace AtomicFile
