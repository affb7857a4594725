#pragma once

#include <QString>

class DbConnection;

// Where the traffic database lives and how it is opened: beside the executable when that folder is writable
// or already holds the file (the portable layout), else in the user's data directory.
namespace DatabaseFile {

inline constexpr const char* FileName = "Zovodazad.mdb";
inline constexpr int SchemaVersion = 2;

// exeDir: the executable's directory with symlinks resolved; dataDir: the per-user data directory.
QString locate(const QString& exeDir, const QString& dataDir);

// Opens the file at path, creating it with its tables, index and views when it does not exist.
// A file that exists but is not a usable traffic database is never modified; the reason is returned in error.
bool openOrCreate(DbConnection& db, const QString& path, QString* error);

// When the open file was deleted or replaced since it was opened, reopens the path (creating a new database
// when nothing is there), so that rows are not written into a file nobody will see again.
bool reopenIfMoved(DbConnection& db, QString* error);

// Creates the schema on an open, empty database, inside one transaction.
bool createSchema(DbConnection& db, QString* error);

} // namespace DatabaseFile
