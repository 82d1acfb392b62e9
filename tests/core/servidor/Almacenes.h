#pragma once

// The two stores behind the office model, for suites that run on both.

#include "BaseTemporal.h"
#include "ServidorPrueba.h"
#include "core/store/modVarios.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

enum class Almacen { Archivo, Servidor };

inline std::string NombreAlmacen(const ::testing::TestParamInfo<Almacen>& info) {
    return info.param == Almacen::Archivo ? "SQLCipher" : "PostgreSQL";
}

// Makes a fresh register of the chosen kind the program's one; false (the test skipped) when the
// server cannot run here.
class RegistroDePrueba {
public:
    bool preparar(Almacen almacen, QString* motivo) {
        if (almacen == Almacen::Archivo) {
            ConfigurarRegistroServidor(QString());
            archivo_.emplace();
            return true;
        }
        ServidorPrueba* s = ServidorPrueba::compartido(motivo);
        if (!s)
            return false;
        CerrarBaseDatos();
        conninfo_ = s->baseNueva();
        ConfigurarRegistroServidor(conninfo_);
        return true;
    }
    ~RegistroDePrueba() {
        CerrarBaseDatos();
        ConfigurarRegistroServidor(QString());
    }
    const QString& conninfo() const { return conninfo_; }

private:
    std::optional<BaseTemporal> archivo_;
    QString conninfo_;
};

#define PREPARAR_ALMACEN(registro, almacen)                                                                  \
    do {                                                                                                     \
        QString motivo_;                                                                                     \
        if (!(registro).preparar((almacen), &motivo_))                                                       \
            GTEST_SKIP() << "Sin servidor PostgreSQL: " << motivo_.toStdString();                            \
    } while (false)
