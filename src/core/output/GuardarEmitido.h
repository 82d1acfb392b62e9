#pragma once

// Saving an issued document so that its log entry exists only when the file does: the document
// is written beside its target, the entry is written, and the file is moved into place inside the
// entry's transaction.

#include <QString>

#include <functional>

// Writes the document into the file named (a temporary one); false, with the reason, on failure.
using EscribirDocumento = std::function<bool(const QString& archivo, QString* error)>;
// Writes the entry, running `moverAlDestino` inside its transaction. Throws ErrorBD.
using AnotarDocumento = std::function<void(const std::function<void()>& moverAlDestino)>;

// False, with the reason in Spanish in `error`, when nothing was issued: the target is then as it
// was (an earlier file kept) and no temporary file is left.
bool GuardarEmitido(const QString& destino, const EscribirDocumento& escribir, const AnotarDocumento& anotar,
                    QString* error);
