#include "core/store/Contrasenas.h"

#include "core/store/ErrorBD.h"

#include <sodium.h>

namespace {
void iniciarSodium() {
    static const bool listo = sodium_init() >= 0;
    if (!listo)
        throw ErrorBD(QStringLiteral("No se pudo iniciar la biblioteca criptográfica."));
}
} // namespace

QString hashContrasena(const QString& contrasena) {
    iniciarSodium();
    const QByteArray plano = contrasena.toUtf8();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, plano.constData(), static_cast<unsigned long long>(plano.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw ErrorBD(QStringLiteral("No hay memoria suficiente para proteger la contraseña."));
    return QString::fromLatin1(hash);
}

bool verificarContrasena(const QString& hash, const QString& contrasena) {
    iniciarSodium();
    const QByteArray h = hash.toLatin1();
    if (h.isEmpty() || h.size() >= crypto_pwhash_STRBYTES)
        return false;
    const QByteArray plano = contrasena.toUtf8();
    return crypto_pwhash_str_verify(h.constData(), plano.constData(),
                                    static_cast<unsigned long long>(plano.size())) == 0;
}
