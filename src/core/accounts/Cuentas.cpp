#include "core/accounts/Cuentas.h"

#include "core/store/BaseDatos.h"
#include "core/store/Contrasenas.h"
#include "core/store/Recordset.h"
#include "core/store/Sentencias.h"
#include "core/store/modVarios.h"

namespace {

// Name of the account with that Id as stored now.
bool nombreDeCuenta(qint64 id, QString& nombre) {
    Recordset r;
    r.abrir(BaseDatosCompartida(), Sentencias::listaUsuarios());
    for (const QStringList& fila : r.filas()) {
        if (fila.value(0).toLongLong() == id) {
            nombre = fila.value(1);
            return true;
        }
    }
    return false;
}

// Account changes write through the shared database, which stays open whichever slot a
// window has closed.
void escribir(const Consulta& consulta) {
    BaseDatosCompartida().ejecutar(consulta.sql, consulta.parametros);
}

// Rights go by the exact name: "administrador" is an ordinary user.
bool esAdministrador(const QString& usuario) {
    return usuario == QLatin1String("Administrador");
}

} // namespace

std::vector<Cuenta> LeerCuentas() {
    Recordset r;
    r.abrir(BaseDatosCompartida(), Sentencias::listaUsuarios());
    std::vector<Cuenta> cuentas;
    cuentas.reserve(r.filas().size());
    for (const QStringList& fila : r.filas())
        cuentas.push_back({fila.value(0).toLongLong(), fila.value(1)});
    return cuentas;
}

bool CuentaProtegida(const QString& nombre) {
    return nombre == QLatin1String("Invitado") || nombre == QLatin1String("Administrador");
}

bool CambiarContrasenaCuenta(const QString& usuario, qint64 id, const QString& nombre,
                             const QString& contrasena) {
    if (!esAdministrador(usuario) && nombre != usuario)
        throw ErrorBD(
            QStringLiteral("Solo el usuario Administrador puede cambiar la contraseña de otro usuario."));
    QString actual;
    if (!nombreDeCuenta(id, actual) || actual != nombre)
        return false;
    escribir(Sentencias::actualizarUsuario(nombre, hashContrasena(contrasena), id));
    return true;
}

int BorrarCuentas(const QString& usuario, const QString& nombre) {
    if (!esAdministrador(usuario))
        throw ErrorBD(QStringLiteral("Solo el usuario Administrador puede eliminar usuarios."));
    if (CuentaProtegida(nombre))
        throw ErrorBD(QStringLiteral("¡No se puede eliminar el usuario ") + nombre + QLatin1Char('!'));
    Database& db = BaseDatosCompartida();
    escribir(Sentencias::borrarUsuario(nombre));
    return db.filasAfectadas();
}

void CrearCuenta(const QString& usuario, const QString& nombre, const QString& contrasena) {
    if (!esAdministrador(usuario))
        throw ErrorBD(QStringLiteral("Solo el usuario Administrador puede crear usuarios."));
    escribir(Sentencias::insertarUsuario(nombre, hashContrasena(contrasena)));
}
