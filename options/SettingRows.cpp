#include "SettingRows.h"

#include "AdapterList.h"
#include "Db.h"

namespace {
const QString InsertSql = QStringLiteral("INSERT INTO settings(Settingname,Settingvalue) values(?, ?);");
}

bool replaceSetting(DbConnection& db, DbCommand& command, const QString& key, const QString& value)
{
    return db.transaction([&] {
        return command.execute(QStringLiteral("Delete from settings where settingname = ? collate nocase;"), {key})
            && command.execute(InsertSql, {key, value});
    });
}

bool replaceAdapterRows(DbConnection& db, DbCommand& command, const AdapterList& adapters)
{
    return db.transaction([&] {
        if (!command.execute(QStringLiteral("Delete from settings where settingname like ?;"),
                             {QStringLiteral("Adapter%")}))
            return false;
        for (int i = 0; i < adapters.count(); ++i) {
            if (adapters.isSelected(i)
                && !command.execute(InsertSql, {QStringLiteral("Adapter%1").arg(i), adapters.text(i)}))
                return false;
        }
        return true;
    });
}
