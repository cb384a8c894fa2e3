#include "SqlConnection.h"

#include <QSqlDatabase>
#include <QUuid>

QString NewSqlConnectionName(const QString& store)
{
    return store + QLatin1Char('-') + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

void CloseSqlConnection(const QString& name)
{
    if (!QSqlDatabase::contains(name))
        return;
    {
        // No handle of the connection may be alive when it is removed.
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(name);
}
