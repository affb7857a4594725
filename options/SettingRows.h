#pragma once

#include <QString>

class AdapterList;
class DbCommand;
class DbConnection;

// Each setting is replaced by a delete of its key and an insert of the new row. The pair runs in one
// transaction, so a failure leaves the old row in place instead of losing the setting.
bool replaceSetting(DbConnection& db, DbCommand& command, const QString& key, const QString& value);

// Replaces every Adapter row by one row per selected entry, named by the entry's position in the list
// (entries 0 and 2 selected give Adapter0 and Adapter2), as one group.
bool replaceAdapterRows(DbConnection& db, DbCommand& command, const AdapterList& adapters);
