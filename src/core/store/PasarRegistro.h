#pragma once

#include <QByteArray>
#include <QString>

// Copies a local register (the encrypted file) into an empty shared register on a server, in
// one transaction: clients, infractions, accounts with their hashes, the import log and its
// original files, ids kept, the register's identity, and the activity log entry by entry as it
// is (the server checks that they chain), followed by an entry of the move itself. Before committing it
// compares the counts of every table and the hash of every kept original; any difference and nothing is
// written. The local file is only read.
struct InformeTraspaso {
    qint64 clientes = 0; // without the placeholder row
    qint64 infracciones = 0;
    qint64 cuentas = 0;
    qint64 importaciones = 0;
    qint64 originales = 0; // originals whose hash was checked on the server
    qint64 entradas = 0;   // activity log entries copied
    QString texto() const;
};

// Throws ErrorBD, with the reason in Spanish, when the server is not empty, the local register
// has repeated client numbers, or the comparison fails; nothing is written then.
// `usuario`: the account that moves it, for the move's entry.
InformeTraspaso PasarRegistroAlServidor(const QString& rutaArchivo, const QByteArray& clave,
                                        const QString& conninfo, const QString& contrasena = QString(),
                                        const QString& usuario = QString());
