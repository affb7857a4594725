#pragma once

#include <QString>
#include <QStringList>

class DbConnection;

// Where the traffic database lives and how it is opened: beside the executable when that folder is writable
// or already holds the file (the portable layout), else in the user's data directory.
namespace DatabaseFile {

inline constexpr const char* FileName = "Zovodazad.mdb";
inline constexpr int SchemaVersion = 3;

// exeDir: the executable's directory with symlinks resolved; dataDir: the per-user data directory.
QString locate(const QString& exeDir, const QString& dataDir);

// Opens the file at path, creating it with its tables, index and views when it does not exist.
// A file that exists but is not a usable traffic database is never modified; the reason is returned in error.
// What was repaired that the user should know of goes to notes, or, without notes, to the connection's notice.
bool openOrCreate(DbConnection& db, const QString& path, QString* error, QStringList* notes = nullptr);

// Before a write: a file moved since it was opened is followed to its new name (DbConnection::followFile). One
// that has no name left is let go, and the path it was opened at is opened (made anew when nothing is there) and
// locked in its place, unless another copy of the program holds the file there. The user is told through the
// connection's notice; a failure leaves its reason in db.lastError() too.
bool reopenIfMoved(DbConnection& db, QString* error);

// Creates the schema on an open, empty database, inside one transaction.
bool createSchema(DbConnection& db, QString* error);

} // namespace DatabaseFile
