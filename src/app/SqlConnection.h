#pragma once

#include <QString>

// Every store of the program's own (the run ledger, the page cache, a mirror's state) opens its
// SQLite file on a connection of its own, named by `NewSqlConnectionName`, so that two stores or two
// threads never share one.
QString NewSqlConnectionName(const QString& store);
// Closes the connection and lets Qt forget it; nothing when there is none.
void CloseSqlConnection(const QString& name);
