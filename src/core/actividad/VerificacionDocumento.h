#pragma once

// "Verificar documento": whether this register issued a document, and whether it still holds
// exactly the rows the document listed. Reads only.

#include "core/actividad/LeerDocumento.h"

#include <QString>

class Conexion;

struct VerificacionDocumento {
    // Also the exit status of the command line.
    enum Estado { Vigente = 0, Cambiado = 1, Ilegible = 2, Ajeno = 3 };
    Estado estado = Ilegible;
    QString texto; // Spanish, one finding a line
    // The document was read but its signature does not hold (the state is then Ilegible).
    bool firmaRota = false;
};

// `identidad`: this register's. A signed PDF whose signature no longer holds is never Vigente:
// it is Ilegible, whatever the register says. Throws ErrorBD when the register cannot be read.
VerificacionDocumento VerificarDocumento(Conexion& db, const QString& identidad,
                                         const DocumentoLeido& documento);
