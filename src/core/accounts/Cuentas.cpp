#include "core/accounts/Cuentas.h"

#include "core/store/Conexion.h"
#include "core/store/Contrasenas.h"
#include "core/store/Recordset.h"
#include "core/store/Sentencias.h"

namespace {

// Name of the account with that Id as stored now.
bool nombreDeCuenta(Conexion& db, qint64 id, QString& nombre) {
    Recordset r;
    r.abrir(db, Sentencias::listaUsuarios());
    for (const QStringList& fila : r.filas()) {
        if (fila.value(0).toLongLong() == id) {
            nombre = fila.value(1);
            return true;
        }
    }
    return false;
}

void escribir(Conexion& db, const Consulta& consulta) {
    db.ejecutar(consulta.sql, consulta.parametros);
}

// Rights go by the exact name: "administrador" is an ordinary user.
bool esAdministrador(const QString& usuario) {
    return usuario == QLatin1String("Administrador");
}

} // namespace

std::vector<Cuenta> LeerCuentas(Conexion& db) {
    Recordset r;
    r.abrir(db, Sentencias::listaUsuarios());
    std::vector<Cuenta> cuentas;
    cuentas.reserve(r.filas().size());
    for (const QStringList& fila : r.filas())
        cuentas.push_back({fila.value(0).toLongLong(), fila.value(1)});
    return cuentas;
}

bool CuentaProtegida(const QString& nombre) {
    return nombre == QLatin1String("Invitado") || nombre == QLatin1String("Administrador");
}

bool CambiarContrasenaCuenta(Conexion& db, const QString& usuario, qint64 id, const QString& nombre,
                             const QString& contrasena) {
    if (!esAdministrador(usuario) && nombre != usuario)
        throw ErrorBD(
            QStringLiteral("Solo el usuario Administrador puede cambiar la contraseña de otro usuario."));
    QString actual;
    if (!nombreDeCuenta(db, id, actual) || actual != nombre)
        return false;
    escribir(db, Sentencias::actualizarUsuario(nombre, hashContrasena(contrasena), id));
    return true;
}

int BorrarCuentas(Conexion& db, const QString& usuario, const QString& nombre) {
    if (!esAdministrador(usuario))
        throw ErrorBD(QStringLiteral("Solo el usuario Administrador puede eliminar usuarios."));
    if (CuentaProtegida(nombre))
        throw ErrorBD(QStringLiteral("¡No se puede eliminar el usuario ") + nombre + QLatin1Char('!'));
    escribir(db, Sentencias::borrarUsuario(nombre));
    return db.filasAfectadas();
}

void CrearCuenta(Conexion& db, const QString& usuario, const QString& nombre, const QString& contrasena) {
    if (!esAdministrador(usuario))
        throw ErrorBD(QStringLiteral("Solo el usuario Administrador puede crear usuarios."));
    escribir(db, Sentencias::insertarUsuario(nombre, hashContrasena(contrasena)));
}
